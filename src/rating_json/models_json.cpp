#include "rating_json/models_json.hpp"

#include "catalogue/catalogue.hpp"
#include "rating_json/rating_json.hpp"

namespace novaflux {

namespace {

nlohmann::ordered_json value(const Num& n) { return n ? nlohmann::ordered_json(*n) : nlohmann::ordered_json(nullptr); }

}  // namespace

std::optional<int32_t> model_id(const Num& n) {
  if (!n || !(*n >= -2147483648.0 && *n <= 2147483647.0) || *n != static_cast<double>(static_cast<int64_t>(*n)))
    return std::nullopt;
  return static_cast<int32_t>(*n);
}

nlohmann::ordered_json models_json() {
  const Catalogue& c = open_database();
  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  for (const auto& row : c.modelmast) {
    const auto id = model_id(row.modelid);
    list.push_back({{"id", id ? nlohmann::ordered_json(*id) : value(row.modelid)},
                    {"model", id ? nlohmann::ordered_json(model_name(static_cast<Modelall>(*id))) : nullptr},
                    {"rotorDiameterMm", value(row.rotor_dia)},
                    {"faceAreaPurgeFt2", value(row.netarearot)},
                    {"faceAreaNoPurgeFt2", value(row.wonetarearot)}});
  }
  return {{"models", std::move(list)}};
}

}  // namespace novaflux
