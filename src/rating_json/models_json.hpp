#pragma once
// The wheel models of the catalogue as JSON (`models --json`, the server's /api/models).
#include <nlohmann/json.hpp>

namespace novaflux {

// {"models": [{"id", "model" (the enumeration name), "rotorDiameterMm", "faceAreaPurgeFt2",
// "faceAreaNoPurgeFt2"}, ...]} in catalogue order; a value the catalogue lacks is null. Throws
// the catalogue's RunError when it cannot be opened.
nlohmann::ordered_json models_json();

}  // namespace novaflux
