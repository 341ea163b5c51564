#pragma once
#include <pybind11/pybind11.h>

namespace brenlow_python {

// The limit sets and the compliance check of a section against one.
void bind_limits(pybind11::module_& m);

}  // namespace brenlow_python
