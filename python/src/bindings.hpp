#pragma once
// The parts of the extension module novaflux._core, each bound by its own file.
#include <pybind11/pybind11.h>

namespace novaflux::python {

void bind_object(pybind11::module_& m);   // object_binding.cpp
void bind_frames(pybind11::module_& m);   // frame_rating.cpp
void bind_annual(pybind11::module_& m);   // annual_binding.cpp

}  // namespace novaflux::python
