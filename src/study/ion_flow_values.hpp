#pragma once
// E-TOTAL and J for the studies (limits/ion_flow_values.hpp).

#include "limits/ion_flow_values.hpp"
#include "study/quantity.hpp"

namespace study {

using limits::has_dc_pole;
using limits::ion_flow_value;

}  // namespace study
