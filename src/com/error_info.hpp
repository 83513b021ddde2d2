#pragma once
// Failures of a call as automation errors: an IErrorInfo with the number's description and
// the component as source, and an HRESULT that hosts turn back into the same number
// (FACILITY_CONTROL with the number as its code, as the numbers 5, 6, 11, 13 ... of VB hosts).
#include <windows.h>

#include <new>
#include <string>

#include "common/fp_state.hpp"
#include "common/run_error.hpp"

namespace novaflux::com {

HRESULT report_failure(int number, const std::string& description);

// Runs a call in the default floating-point state and turns whatever it throws into the failure
// it reports; S_OK otherwise.
template <class Body>
HRESULT guarded(Body&& body) noexcept {
  const FpStateGuard fp;
  try {
    body();
    return S_OK;
  } catch (const RunError& e) {
    return report_failure(e.code(), e.what());
  } catch (const std::bad_alloc&) {
    return report_failure(7, "Out of memory");
  } catch (const std::exception& e) {
    return report_failure(0, e.what());
  } catch (...) {
    return report_failure(0, "unexpected failure");
  }
}

}  // namespace novaflux::com
