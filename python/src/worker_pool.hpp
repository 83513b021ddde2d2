#pragma once
// Threads kept for the life of the process, so that each keeps its catalogue connection and
// psychrometric binding from one call to the next (a study rates many frames).
#include <functional>

namespace novaflux::python {

// Runs job(worker) on `workers` threads at once, worker 0 being the calling thread, and
// returns when all have returned. The first exception of any worker is rethrown. Calls from
// several threads are served one after another.
void run_on_workers(unsigned workers, const std::function<void(unsigned worker)>& job);

}  // namespace novaflux::python
