#pragma once
// Cross sections between Python and the engine, for the parts of the module
// beside the main binding.
#include <pybind11/pybind11.h>

#include <string>
#include <vector>

#include "cli/units.hpp"
#include "engine/engine.hpp"
#include "initialised.hpp"

namespace pybind11::detail {
template <>
class type_caster<brenlow::Group> : public brenlow_python::initialised_caster<brenlow::Group> {};
template <>
class type_caster<brenlow::Conditions> : public brenlow_python::initialised_caster<brenlow::Conditions> {};
template <>
class type_caster<brenlow::PointGroup> : public brenlow_python::initialised_caster<brenlow::PointGroup> {};
}  // namespace pybind11::detail

namespace brenlow_python {

// The engine's section from a brenlow.CrossSection for a study to evaluate
// (TypeError for anything else), its warnings shown as for any evaluation.
brenlow::CrossSection section_from_python(const pybind11::object& section);
// A new brenlow.CrossSection holding the engine's section.
pybind11::object section_to_python(const brenlow::CrossSection& section);
// Shows each of the engine's warnings about the section (what is legal but
// probably not meant) as a brenlow.BrenlowWarning.
void warn_about(const brenlow::CrossSection& section);
// The same for an evaluation: the section's warnings and its gradients'.
void warn_about(const brenlow::Evaluation& run);
// The shortest text that reads back as the same float.
std::string float_text(float value);
// The unit B is shown in: "uT", "mG" or "G" in any case; ValueError for
// another name, TypeError for what is not a str.
cli::BUnit b_unit_of(const pybind11::object& text);
// Values in gauss, in unit b.
void from_gauss(std::vector<float>& values, cli::BUnit b);

}  // namespace brenlow_python
