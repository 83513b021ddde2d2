#pragma once
// Helpers for tests that drive single steps of a run.
#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "common/module_state.hpp"
#include "component/run_steps.hpp"
#include "novaflux/kiv_class.hpp"

namespace novaflux::test_support {

// Forgets everything the thread's earlier runs left behind.
inline void reset_thread_state() { module_state() = ModuleState{}; }

// Runs a case on a thread of its own, so that it starts from fresh per-thread state.
inline void on_fresh_thread(const std::function<void()>& body) {
  std::thread t(body);
  t.join();
}

// Inputs of a plain rating: SI, relative-humidity mode for both streams.
inline void set_si_design_day(KivClass& k, double supply = 10000, double ret = 9000) {
  k.put_KivunitSI(true);
  k.KivinputSupplyAir = supply;
  k.KivinputReturnAir = ret;
  k.KivinputLeakagePressureDifference = 200;
  k.KivinputOAUnitDBTRH = true;
  k.KivinputRAUnitDBTRH = true;
  k.KivinputOAS_DBT = 35;
  k.KivinputOAS_RH = 40;
  k.KivinputOAW_DBT = -10;
  k.KivinputOAW_RH = 80;
  k.KivinputRaS_DBT = 24;
  k.KivinputRaS_RH = 50;
  k.KivinputRaW_DBT = 21;
  k.KivinputRaW_RH = 40;
}

}  // namespace novaflux::test_support
