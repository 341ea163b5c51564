#pragma once
// brenlow.IonFlow, the ion flow under a line's DC poles in corona.
#include <pybind11/pybind11.h>

namespace brenlow_python {

void bind_ion_flow(pybind11::module_& m);

}  // namespace brenlow_python
