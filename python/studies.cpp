#include "studies.hpp"

namespace brenlow_python {

void bind_studies(pybind11::module_&) {}

}  // namespace brenlow_python
