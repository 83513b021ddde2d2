#pragma once
// A region of a step in which a failing statement is skipped and the step goes on, leaving
// the statement's destination as it was. Until it is armed, failures pass through.
//
//   IgnoreErrors region;
//   region.arm();                                  // from this statement on
//   region.run([&] { lower = below.last_row(); }); // a throw leaves `lower` unchanged
#include "common/run_error.hpp"

namespace novaflux {

class IgnoreErrors {
public:
  void arm() noexcept { armed_ = true; }
  bool armed() const noexcept { return armed_; }

  template <class Statement>
  void run(Statement&& statement) const {
    if (!armed_) {
      statement();
      return;
    }
    try {
      statement();
    } catch (const RunError& e) {
      if (!e.ignorable()) throw;
    }
  }

private:
  bool armed_ = false;
};

}  // namespace novaflux
