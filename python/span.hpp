#pragma once
// brenlow.Span, the line of sagging spans.
#include <pybind11/pybind11.h>

namespace brenlow_python {

void bind_span(pybind11::module_& m);

}  // namespace brenlow_python
