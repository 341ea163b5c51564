#pragma once
// Between the engine's plain cross section and the problem records the
// routines and the data-file reader work on.

#include "engine/engine.hpp"
#include "model/problem_data.hpp"

namespace brenlow::records {

// The cross section held in a run's records, metric (converted already).
CrossSection section_of(const Problem& problem);

// The routine inputs of a checked cross section, before the gradient step.
Inputs inputs_of(const CrossSection& section);

// The section's warnings, then those of the gradients the records hold
// (Inputs::gradient, after the gradient step).
std::vector<std::string> warnings_with_gradients(const CrossSection& section, const Inputs& in);

}  // namespace brenlow::records
