#pragma once
// The wheel models of the catalogue as JSON (`models --json`, the server's /api/models).
#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>

#include "catalogue/catalogue.hpp"

namespace novaflux {

// {"models": [{"id", "model" (the enumeration name), "rotorDiameterMm", "faceAreaPurgeFt2",
// "faceAreaNoPurgeFt2"}, ...]} in catalogue order; a value the catalogue lacks is null. Throws
// the catalogue's RunError when it cannot be opened.
nlohmann::ordered_json models_json();

// A model id of a hand-made catalogue may be any number; only a whole 32-bit one names a model.
std::optional<int32_t> model_id(const Num& id);

}  // namespace novaflux
