#pragma once
// Windows: the console's characters of the records' bytes.

#ifdef _WIN32
#include <string>
#include <string_view>

namespace record {

// The characters that code page 437 bytes stand for, as UTF-16: what a
// console window is given, whatever code page it uses.
std::wstring console_text(std::string_view bytes);

}  // namespace record
#endif
