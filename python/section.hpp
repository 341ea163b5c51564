#pragma once
// Cross sections between Python and the engine: brenlow.CrossSection and
// the data files it is read from.
#include <pybind11/pybind11.h>

#include <optional>
#include <string>

#include "engine/engine.hpp"
#include "initialised.hpp"
#include "parts.hpp"
#include "values.hpp"

namespace brenlow_python {

// Groups and lateral point groups are Python lists, so that a notebook can
// append, remove and change them in place; they become the engine's section
// each time it is evaluated.
struct Section {
  std::string titles[2];
  pybind11::list groups;
  // How many groups lead the list as phases or poles; not yet said for a
  // section built without groups, which is refused once it has some.
  std::optional<int> energized;
  brenlow::Conditions conditions = python_conditions();
  bool english = false;
  std::string options = "ALL";
  pybind11::list points;
};

}  // namespace brenlow_python

namespace pybind11::detail {
template <>
class type_caster<brenlow_python::Section> : public brenlow_python::initialised_caster<brenlow_python::Section> {};
}  // namespace pybind11::detail

namespace brenlow_python {

// The engine's section to be evaluated or written (the GIL held): its
// groups must say which of them are energized (ValueError otherwise).
brenlow::CrossSection to_engine(const Section& s);
// A Python section holding new copies of the engine's groups and points.
Section from_engine(const brenlow::CrossSection& section);

// The engine's section from a brenlow.CrossSection for a study to evaluate
// (TypeError for anything else), its warnings shown as for any evaluation.
brenlow::CrossSection section_from_python(const pybind11::object& section);
// A new brenlow.CrossSection holding the engine's section.
pybind11::object section_to_python(const brenlow::CrossSection& section);

// brenlow.CrossSection, its evaluating methods left to the evaluation.
pybind11::class_<Section> bind_cross_section(pybind11::module_& m);
// brenlow.read_data_file and parse_data_file.
void bind_data_files(pybind11::module_& m);
// Shows each of the engine's warnings about an evaluation (what is legal
// but probably not meant: the section's and its gradients') as a
// brenlow.BrenlowWarning.
void warn_about(const brenlow::Evaluation& run);

}  // namespace brenlow_python
