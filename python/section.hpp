#pragma once
// Cross sections between Python and the engine, for the parts of the module
// beside the main binding.
#include <pybind11/pybind11.h>

#include <string>

#include "engine/engine.hpp"

namespace brenlow_python {

// The engine's section from a brenlow.CrossSection (TypeError for anything else).
brenlow::CrossSection section_from_python(const pybind11::object& section);
// A new brenlow.CrossSection holding the engine's section.
pybind11::object section_to_python(const brenlow::CrossSection& section);
// The shortest text that reads back as the same float.
std::string float_text(float value);

}  // namespace brenlow_python
