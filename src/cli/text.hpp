#pragma once
// Text the programs read back from lines: a listing's title, a console
// line of tesk31, a value typed in a field.

#include <string>
#include <string_view>

namespace cli {

// The text without the blanks (spaces, tabs, carriage returns, line feeds)
// at either end; empty when it holds nothing else.
std::string trimmed(std::string_view text);

}  // namespace cli
