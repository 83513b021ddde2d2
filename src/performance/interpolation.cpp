#include "common/numeric.hpp"
#include "component/run_steps.hpp"

namespace novaflux::detail {

namespace {
double interpolate_numbers(double a, double b, double ya, double yb, double x) {
  return ya + checked_div((yb - ya) * (x - a), b - a);
}

double interpolate(const Variant& x1, const Variant& x2, const Variant& y1, const Variant& y2,
                   double x) {
  const double a = x1.to_number(), b = x2.to_number();
  const double ya = y1.to_number(), yb = y2.to_number();
  return interpolate_numbers(a, b, ya, yb, x);
}
}  // namespace

// The caller's abscissa is rounded in place to the precision of the result.
double LinearInterpolate(double x1, double x2, double y1, double y2, double& x) {
  x = vb_round(x, 1);
  return vb_round(interpolate_numbers(x1, x2, y1, y2, x), 1);
}

double LinearInterpolate3(const Variant& x1, const Variant& x2, const Variant& y1,
                          const Variant& y2, double& x) {
  x = vb_round(x, 3);
  return vb_round(interpolate(x1, x2, y1, y2, x), 3);
}

}  // namespace novaflux::detail
