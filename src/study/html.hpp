#pragma once
// Pieces of a self-contained HTML page: text made safe, the data file's
// own text (one Latin-1 byte a character) as UTF-8, a study's table as an
// HTML table, an SVG picture inline.

#include <string>
#include <string_view>

#include "study/table.hpp"

namespace study::html {

// Text the user gave (names, options: UTF-8) made safe for HTML content and
// attribute values: the markup characters as entities, a control character
// as U+FFFD, a byte that is not part of well-formed UTF-8 as '?'.
std::string escape(std::string_view utf8);

// The data file's text (titles, group names) as UTF-8: each byte its
// Latin-1 character, a C1 control byte (0x80 to 0x9F, nothing printable) as
// U+FFFD. Not escaped.
std::string utf8_of_latin1(std::string_view latin1);

// A table: a header row of the column names with their units on a line of
// their own, then a row per row of cells (the terminal's text, escaped);
// numbers right-aligned. `css_class` names the table's class when given.
std::string table(const Table& t, std::string_view css_class = {});

// An SVG document as an element of the page: without its XML declaration.
std::string inline_svg(std::string_view document);

}  // namespace study::html
