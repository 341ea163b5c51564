#pragma once
// The quantities, their names, units and values, as the studies use them:
// those of the limits library (limits/quantity.hpp), which the compliance
// check shares, named in the studies' namespace.

#include "limits/quantity.hpp"

namespace study {

using limits::all_quantities;
using limits::BUnit;
using limits::decimals;
using limits::default_quantities;
using limits::electric;
using limits::field_at;
using limits::fixed;
using limits::from_gauss;
using limits::from_gradients;
using limits::from_ion_flow;
using limits::hybrid_quantities;
using limits::ion_flow_quantities;
using limits::is_level;
using limits::LengthUnit;
using limits::name;
using limits::one_field;
using limits::parse_quantity;
using limits::Quantity;
using limits::quantity_names;
using limits::shown_value;
using limits::unit_label;
using limits::value;

}  // namespace study
