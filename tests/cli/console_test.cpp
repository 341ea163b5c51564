// The console streams: what a console window's typed characters give, and
// standard output's bytes through the console buffer.

#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "cli/console.hpp"
#include "support/files.hpp"

namespace {

TEST(TypedText, LinesOfUtf16BecomeLinesOfUtf8) {
  struct Case {
    std::vector<std::u16string> chunks;
    std::string text;
    bool ended;
  };
  const std::vector<Case> cases = {
      {{u"LINE.DAT\r\n"}, "LINE.DAT\n", false},
      {{u"ligne_\u00E9.prt\r\n", u"1\r\n"}, "ligne_\xC3\xA9.prt\n1\n", false},
      {{u"\u043B\u0438\u043D\u0438\u044F.dat\r", u"\n"}, "\xD0\xBB\xD0\xB8\xD0\xBD\xD0\xB8\xD1\x8F.dat\n", false},
      {{u"\U0001F4C8"}, "\xF0\x9F\x93\x88", false},
      {{u"x\xD83D", u"\xDCC8y"}, "x\xF0\x9F\x93\x88y", false},  // a pair cut between two reads
      {{u"A\rB\r\n"}, "A\rB\n", false},
      {{u"\x1A\r\n"}, "", true},  // Ctrl-Z ends the input
      {{u"abc\x1A", u"more"}, "abc", true},
  };
  for (const Case& c : cases) {
    std::u16string carry;
    bool ended = false;
    std::string text;
    for (const std::u16string& chunk : c.chunks)
      if (!ended) text += cli::utf8_of_typed(chunk, carry, ended);
    EXPECT_EQ(text, c.text);
    EXPECT_EQ(ended, c.ended);
  }
}

TEST(ConsoleBuffer, BytesToAFileOrPipeGoAsTheyAre) {
  support::ScratchDirectory dir("brenlow-console-buffer");
  const std::filesystem::path path = dir.path() / "out.txt";
  std::FILE* file = std::fopen(path.string().c_str(), "wb");
  ASSERT_NE(file, nullptr);
  {
    cli::ConsoleBuffer buffer(file);
    std::ostream out(&buffer);
    out << "wrote \xD0\xBB.svg\n" << '\xDB' << "\xC3";
    EXPECT_TRUE(buffer.finish());
    EXPECT_EQ(buffer.error, 0);
  }
  std::fclose(file);
  EXPECT_EQ(support::read_file(path), "wrote \xD0\xBB.svg\n\xDB\xC3");
}

#ifndef _WIN32
// Windows takes the process's own UTF-16 command line instead (the wine
// tests run the programs with such names).
TEST(Arguments, TheArgumentsAfterTheProgramsName) {
  char program[] = "tesk31", data[] = "ligne_\xC3\xA9.dat", print[] = "out.prt";
  char* argv[] = {program, data, print, nullptr};
  EXPECT_EQ(cli::arguments(3, argv), (std::vector<std::string>{data, print}));
  EXPECT_TRUE(cli::arguments(1, argv).empty());
  EXPECT_TRUE(cli::arguments(0, argv).empty());
}
#endif

}  // namespace
