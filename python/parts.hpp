#pragma once
// The parts of a cross section in Python: brenlow.Group, Conditions and
// PointGroup.
#include <pybind11/pybind11.h>

#include "engine/engine.hpp"
#include "initialised.hpp"
#include "values.hpp"

namespace pybind11::detail {
template <>
class type_caster<brenlow::Group> : public brenlow_python::initialised_caster<brenlow::Group> {};
template <>
class type_caster<brenlow::Conditions> : public brenlow_python::initialised_caster<brenlow::Conditions> {};
template <>
class type_caster<brenlow::PointGroup> : public brenlow_python::initialised_caster<brenlow::PointGroup> {};
}  // namespace pybind11::detail

namespace brenlow_python {

// What a section built in Python starts with: the sensor heights, the
// frequencies and the ground conductivity of the bundled example lines.
brenlow::Conditions python_conditions();
// Sets the conditions named by keyword; an unknown keyword is a TypeError
// naming it and `caller`, as for any Python call.
void apply_condition_keywords(brenlow::Conditions& c, const pybind11::kwargs& keywords, const char* caller);

// Every value the same, bit for bit.
bool same(const brenlow::Group& a, const brenlow::Group& b);
bool same(const brenlow::Conditions& a, const brenlow::Conditions& b);

// brenlow.Group, Conditions and PointGroup.
void bind_section_parts(pybind11::module_& m);

}  // namespace brenlow_python
