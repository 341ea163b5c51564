#pragma once
// The console's characters of the bytes the programs write.

#include <string>
#include <string_view>

namespace record {

// The characters a console window is to show for bytes the programs write:
// a well-formed UTF-8 sequence of two to four bytes is its character (a
// file name the user gave); every other byte is its code page 437
// character (the banner's blocks, the menus' boxes: they never form such a
// sequence). UTF-16, as a console window is given text.
std::u16string console_characters(std::string_view bytes);

#ifdef _WIN32
// The same as the system's wide characters.
std::wstring console_text(std::string_view bytes);
#endif

}  // namespace record
