#pragma once
// A cross section as text that reads back to the very same section, every
// float to the bit (the data file rounds to its layout's decimals): how the
// page hands its line to the span solver's own engine in a Web Worker.

#include <string>

#include "engine/engine.hpp"

namespace explorer {

std::string line_text(const brenlow::CrossSection& section);
// Throws brenlow::Error for text line_text did not write.
brenlow::CrossSection parse_line_text(const std::string& text);

}  // namespace explorer
