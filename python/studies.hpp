#pragma once
#include <pybind11/pybind11.h>

namespace brenlow_python {

// The design studies, when the engine has them.
void bind_studies(pybind11::module_& m);

}  // namespace brenlow_python
