#pragma once
// brenlow.Evaluation: one cross section evaluated, then any quantity at any
// point as numpy arrays; and the same through CrossSection's methods.
#include <pybind11/pybind11.h>

#include <memory>

#include "engine/engine.hpp"
#include "initialised.hpp"
#include "section.hpp"

namespace brenlow_python {

struct PyEvaluation {
  std::shared_ptr<const brenlow::Evaluation> evaluation;
};

}  // namespace brenlow_python

namespace pybind11::detail {
template <>
class type_caster<brenlow_python::PyEvaluation>
    : public brenlow_python::initialised_caster<brenlow_python::PyEvaluation> {};
}  // namespace pybind11::detail

namespace brenlow_python {

// brenlow.Evaluation.
void bind_evaluation(pybind11::module_& m);
// CrossSection.evaluate, profile, at and gradients.
void bind_section_evaluation(pybind11::class_<Section>& section);

}  // namespace brenlow_python
