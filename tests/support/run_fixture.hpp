#pragma once
// Helpers for tests that drive single steps of a run.
#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "common/module_state.hpp"
#include "component/run_steps.hpp"
#include "novaflux/kiv_class.hpp"
#include "support/design_days.hpp"

namespace novaflux::test_support {

// Forgets everything the thread's earlier runs left behind.
inline void reset_thread_state() { module_state() = ModuleState{}; }

// Runs a case on a thread of its own, so that it starts from fresh per-thread state.
inline void on_fresh_thread(const std::function<void()>& body) {
  std::thread t(body);
  t.join();
}

}  // namespace novaflux::test_support
