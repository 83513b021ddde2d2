#pragma once
// Ratings through the C interface, as a host makes them, captured whole for comparison.
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "novaflux/kiv.h"

namespace novaflux::test_support {

struct Rating {
  int status = 0;
  int number = 0;
  std::string error;
  std::vector<std::string> values;  // every property in interface order, exact
  bool all_finite = true;           // every numeric property a finite number
  friend bool operator==(const Rating&, const Rating&) = default;
  // The value of one property, as captured.
  const std::string& operator[](const char* name) const;
};
void PrintTo(const Rating& r, std::ostream* os);

using Inputs = std::vector<std::pair<const char*, double>>;
// The SI design day at 200 m and 110 Pa with model 66 for a fixed-model run.
const Inputs& si_design_day_inputs();

// Every property of the object after a call that returned `status`.
Rating capture(KivObject* o, int status);
// One rating of the design day on a new object, the thread's run state reset first (as the
// tool does between cases): CalculateOutput, CalculateOutputModel or EATRValue.
Rating rate(const char* method = "CalculateOutput");

inline constexpr const char* kMethods[] = {"CalculateOutput", "CalculateOutputModel", "EATRValue"};

// The catalogue the C interface reads while the object lives.
class UseCatalogue {
public:
  explicit UseCatalogue(const std::string& path) { kiv_set_catalogue(path.c_str()); }
  ~UseCatalogue() { kiv_set_catalogue(nullptr); }
  UseCatalogue(const UseCatalogue&) = delete;
  UseCatalogue& operator=(const UseCatalogue&) = delete;
};

}  // namespace novaflux::test_support
