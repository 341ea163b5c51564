// Windows: the characters a console window is given for the records' code
// page 437 bytes, whatever code page the console uses.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <windows.h>

#include "format/console.hpp"

namespace {

TEST(WindowsConsole, CodePage437BytesBecomeTheirCharacters) {
  // Unicode's mapping of code page 437 for the banner's blocks and the
  // menus' box pieces.
  struct Case {
    std::string bytes;
    std::wstring characters;
  };
  const std::vector<Case> cases = {
      {"\xDB\xDF\xDC", L"\u2588\u2580\u2584"},
      {"\xDA\xC4\xBF", L"\u250C\u2500\u2510"},
      {"\xB3 1 \xB3", L"\u2502 1 \u2502"},
      {"\xC0\xC4\xD9\r\n", L"\u2514\u2500\u2518\r\n"},
      {" INPUT DATA PRINTED\r\n", L" INPUT DATA PRINTED\r\n"},
      {"\x82\xE1\xF8", L"\u00E9\u00DF\u00B0"},  // e acute, sharp s, degree
      {"", L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    EXPECT_EQ(record::console_text(c.bytes, false), c.characters);
  }
}

TEST(WindowsConsole, TheCodePage437TableIsTheSystems) {
  std::string bytes;
  for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
  std::wstring system(256, L'\0');
  ASSERT_EQ(MultiByteToWideChar(437, 0, bytes.data(), 256, system.data(), 256), 256);
  EXPECT_EQ(record::console_text(bytes, false), system);
}

}  // namespace
