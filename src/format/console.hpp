#pragma once
// The console's characters of the bytes the programs write.

#include <string>
#include <string_view>

namespace record {

// The characters a console window is to show for bytes the programs write,
// in UTF-16 as a console window is given text. Records hold code page 437
// bytes (the banner's blocks, the menus' boxes): with `names` false every
// byte is its code page 437 character. Names the user gave are UTF-8: with
// `names` true a well-formed UTF-8 sequence of two to four bytes is its
// character and every other byte its code page 437 character. (A box's
// edge and corner, bytes C4 BF, would read as one UTF-8 character: the
// formatted records never take that way.)
std::u16string console_characters(std::string_view bytes, bool names);

#ifdef _WIN32
// The same as the system's wide characters.
std::wstring console_text(std::string_view bytes, bool names);
#endif

}  // namespace record
