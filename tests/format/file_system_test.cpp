// The file layer: names outside the system's code page, the text of names
// in UTF-8 and UTF-16, what a console window shows, and the device names of
// Windows, refused there and files elsewhere. Runs natively and, in the
// Windows build, under wine.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "format/console.hpp"
#include "format/file_system.hpp"
#include "format/record.hpp"
#include "support/files.hpp"

namespace {

namespace fs = std::filesystem;
using record::FileError;

#ifdef _WIN32
constexpr bool windows = true;
#else
constexpr bool windows = false;
#endif

TEST(DeviceNames, EveryWindowsDeviceInAnyDisguise) {
  const std::vector<std::string> devices = {
      "CON", "con", "Prn", "AUX", "nul", "aux.csv", "AUX.CSV", "aux.tar.gz", "com1.prt", "COM0", "com9",
      "LPT1", "lpt0.txt", "lpt9", "COM\xC2\xB9", "lpt\xC2\xB2.prt", "com\xC2\xB3", "CONIN$", "conout$.txt",
      "nul.", "aux...", "con ", "con .txt", "sub/aux.csv", "sub\\AUX.CSV", "C:\\dir\\Com1.prt", "C:nul",
      "com1:", "aux.csv:stream", "./prn.prt",
  };
  for (const std::string& name : devices) EXPECT_TRUE(record::is_windows_device_name(name)) << name;
  const std::vector<std::string> files = {
      "",          "com",       "lpt",     "COM10",     "lpt1x",  "comx",     "console", "auxiliary.csv", "nul_x",
      " aux",      "xaux",      "prn2",    "conin",     "conout", "CONIN$2",  "COM\xC2\xB9" "0", "com\xC2\xB4",
      "aux/",      "aux\\line.dat", "nul/run.prt", "C:\\dir\\line.dat", "line.aux", ".con", "LINE.DAT",
  };
  for (const std::string& name : files) EXPECT_FALSE(record::is_windows_device_name(name)) << name;
}

TEST(DeviceNames, NulAndPrnAloneAreTheDevicesTheProgramsMean) {
  struct Case {
    std::string name;
    bool null, printer;
  };
  // Windows' own names are blind to case; elsewhere they are as written.
  const std::vector<Case> cases = {
      {"NUL", true, false}, {"PRN", false, true}, {"nul", windows, false}, {"Prn", false, windows},
      {"NUL.prt", false, false}, {"sub/NUL", false, false}, {"NUL ", false, false}, {"CON", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(record::is_null_device_name(c.name), c.null);
    EXPECT_EQ(record::is_printer_device_name(c.name), c.printer);
  }
}

TEST(NameText, Utf8AndUtf16BothWays) {
  struct Case {
    std::string utf8;
    std::u16string utf16;
  };
  const std::vector<Case> cases = {
      {"", u""},
      {"LINE.DAT", u"LINE.DAT"},
      {"ligne_\xC3\xA9.dat", u"ligne_\u00E9.dat"},
      {"\xD0\xBB\xD0\xB8\xD0\xBD\xD0\xB8\xD1\x8F.dat", u"\u043B\u0438\u043D\u0438\u044F.dat"},
      {"\xE2\x82\xAC\xEF\xBF\xBF", u"\u20AC\uFFFF"},
      {"\xF0\x9F\x93\x88", u"\U0001F4C8"},  // a surrogate pair
      {"\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.utf8);
    EXPECT_EQ(record::utf16_of_utf8(c.utf8), c.utf16);
    EXPECT_EQ(record::utf8_of_utf16(c.utf16), c.utf8);
  }
  // Bytes that are no UTF-8: a lone or cut sequence, overlong forms,
  // surrogates, past U+10FFFF.
  for (const std::string bad : {"\xE9", "ligne_\xC3", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                                "\xF8\x88\x80\x80\x80", "\xC3\xA9\xA9", "\xE2\x82"})
    EXPECT_FALSE(record::utf16_of_utf8(bad)) << bad;
  // An unpaired surrogate from the system becomes the replacement character.
  EXPECT_EQ(record::utf8_of_utf16(u"a\xD800z\xDC00"), "a\xEF\xBF\xBDz\xEF\xBF\xBD");
}

TEST(ConsoleCharacters, NamesInUtf8BesideTheCodePage437Records) {
  struct Case {
    std::string bytes;
    std::u16string records, names;  // as a formatted record, as free-form strings
  };
  const std::vector<Case> cases = {
      {"ligne_\xC3\xA9.dat", u"ligne_\u251C\u2310.dat", u"ligne_\u00E9.dat"},
      {"\xD0\xBB\xD0\xB8\xD1\x8F", u"\u2568\u2557\u2568\u2555\u2564\u00C5", u"\u043B\u0438\u044F"},
      {"\xDB\xDF\xDF\xDB", u"\u2588\u2580\u2580\u2588", u"\u2588\u2580\u2580\u2588"},  // blocks
      {"\xDA\xC4\xBF\xB3\xC0\xD9", u"\u250C\u2500\u2510\u2502\u2514\u2518", u"\u250C\u013F\u2502\u2514\u2518"},
      {"\x82\xE1\xF8\xFF", u"\u00E9\u00DF\u00B0\u00A0", u"\u00E9\u00DF\u00B0\u00A0"},  // no UTF-8
      {"\xC3", u"\u251C", u"\u251C"},                       // a cut sequence: its byte
      {"\xC0\xAF", u"\u2514\u00BB", u"\u2514\u00BB"},        // overlong: two bytes
      {" LINE.DAT\r\n", u" LINE.DAT\r\n", u" LINE.DAT\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    EXPECT_EQ(record::console_characters(c.bytes, false), c.records);
    EXPECT_EQ(record::console_characters(c.bytes, true), c.names);
  }
}

class FileNames : public ::testing::Test {
 protected:
  support::ScratchDirectory dir_{"brenlow-file-names-" + support::test_name()};
  std::string at(const std::string& name) const { return record::name_of(dir_.path()) + "/" + name; }
  // The names of the folder's files as the system has them, in UTF-8.
  std::vector<std::string> listed() const {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir_.path()))
      names.push_back(record::name_of(entry.path().filename()));
    return names;
  }
};

TEST_F(FileNames, NamesOutsideTheCodePageOpenTheFilesTheyName) {
  for (const std::string name : {"ligne_\xC3\xA9.prt", "\xD0\xBB\xD0\xB8\xD0\xBD\xD0\xB8\xD1\x8F.dat",
                                 "\xE7\xBA\xBF.dif", "\xF0\x9F\x93\x88.csv"}) {
    SCOPED_TRACE(name);
    {
      record::Writer out = record::Writer::file(at(name));
      out.write("(' DATA')");
      out.close();
    }
    EXPECT_EQ(listed(), std::vector<std::string>{name});
    record::Reader in = record::Reader::file(at(name));
    std::string line;
    in.read("(A)", &line);
    EXPECT_EQ(line, " DATA");
    record::output_stream(at(name)) << "text";
    EXPECT_EQ(support::read_file(record::file_path(at(name))), "text");
    std::string word;
    record::input_stream(at(name)) >> word;
    EXPECT_EQ(word, "text");
    EXPECT_EQ(record::name_of(record::file_path(name)), name);
    fs::remove(record::file_path(at(name)));
  }
}

TEST_F(FileNames, DeviceNamesAreRefusedOnWindowsAndFilesElsewhere) {
  for (const std::string name : {"aux.csv", "COM1.PRT", "con", "lpt1", "CONOUT$", "nul.prt", "com\xC2\xB9.dif"}) {
    SCOPED_TRACE(name);
    const std::string path = at(name);
    if (windows) {
      EXPECT_THROW(record::refuse_device_name(path), FileError);
      try {
        record::Writer::file(path);
        ADD_FAILURE() << "opened";
      } catch (const FileError& e) {
        EXPECT_NE(std::string(e.what()).find(" names a device of Windows, not a file"), std::string::npos) << e.what();
      }
      EXPECT_THROW(record::Reader::file(path), FileError);
      EXPECT_THROW(record::output_stream(path), FileError);
      EXPECT_THROW(record::input_stream(path), FileError);
      EXPECT_THROW(record::open_file(path, "rb"), FileError);
    } else {
      EXPECT_NO_THROW(record::refuse_device_name(path));
      record::Writer::file(path).close();
      EXPECT_TRUE(fs::exists(path));
      record::Reader::file(path);
      fs::remove(path);
    }
  }
  // The null device, whatever its case on Windows, is never refused.
  for (const std::string name : {"NUL", windows ? "nul" : "NUL"}) {
    record::Writer out = record::Writer::file(name);
    out.write("(' LOST')");
    EXPECT_NO_THROW(out.close());
  }
}

TEST_F(FileNames, AFileThatCannotBeOpenedIsNamedWithTheReason) {
  const std::string missing = at("\xD0\xBD\xD0\xB5\xD1\x82.dat");
  try {
    std::fclose(record::open_file(missing, "rb"));
    ADD_FAILURE() << "opened";
  } catch (const FileError& e) {
    EXPECT_EQ(std::string(e.what()).rfind(missing + ": ", 0), 0u) << e.what();
  }
  EXPECT_FALSE(record::input_stream(missing));
}

}  // namespace
