// Output channels: CR LF records, open prompt records, files emptied only by
// their first record, the null device, write failures reported at close.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "format/record.hpp"

namespace {

namespace fs = std::filesystem;
using record::FileError;
using record::Writer;

class Channels : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("brenlow_channels_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string path(const char* name) const { return (dir_ / name).string(); }
  static std::string content(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }
  static void put(const std::string& file, const std::string& text) {
    std::ofstream out(file, std::ios::binary);
    out << text;
  }

  fs::path dir_;
};

TEST_F(Channels, RecordsEndWithCrLfAndPromptsStayOpen) {
  std::string text;
  Writer out = Writer::to_string(&text);
  out.write("(' A',/,' B')");
  out.prompt("(' Enter: ')");
  out.write("('X',I2)", {std::int16_t{5}});
  out.write_list({"tesk31 ", "LINE.DAT"});
  out.write("(I1,',',I1)", {std::int16_t{0}, std::int16_t{1}});
  out.prompt("(1X)");
  out.write("('Z')");
  EXPECT_EQ(text, " A\r\n B\r\n Enter: X 5\r\n tesk31 LINE.DAT\r\n0,1\r\nZ\r\n");
}

TEST_F(Channels, ExistingFileKeptUntilFirstRecord) {
  const std::string kept = path("KEPT.DIF");
  const std::string replaced = path("NEW.DIF");
  put(kept, "old content\r\n");
  put(replaced, "old content that is longer than the new one\r\n");
  {
    Writer never = Writer::file(kept);
    Writer once = Writer::file(replaced);
    once.write("('TABLE')");
    once.write("(I1,',',I1)", {std::int16_t{0}, std::int16_t{1}});
    never.close();
    once.close();
  }
  EXPECT_EQ(content(kept), "old content\r\n");
  EXPECT_EQ(content(replaced), "TABLE\r\n0,1\r\n");

  // A missing file is created even when nothing is written to it.
  const std::string created = path("EMPTY.DIF");
  Writer::file(created).close();
  EXPECT_TRUE(fs::exists(created));
  EXPECT_EQ(fs::file_size(created), 0u);
}

TEST_F(Channels, NulWritesNothing) {
  const fs::path before = fs::current_path();
  fs::current_path(dir_);
  {
    Writer out = Writer::file("NUL");
    out.write("(' SOMETHING')");
    out.close();
  }
  fs::current_path(before);
  EXPECT_TRUE(fs::is_empty(dir_));
  Writer null = Writer::null();
  null.write("(F10.1)", {1.0f});
  EXPECT_NO_THROW(null.close());
}

TEST_F(Channels, OpenFailuresNameTheFile) {
  const std::string missing_dir = path("no/such/OUT.PRT");
  try {
    Writer::file(missing_dir);
    FAIL() << "no error";
  } catch (const FileError& e) {
    EXPECT_EQ(std::string(e.what()), missing_dir + ": No such file or directory");
  }
  EXPECT_THROW(Writer::file(dir_.string()), FileError);
  try {
    record::Reader::file(path("MISSING.DAT"));
    FAIL() << "no error";
  } catch (const FileError& e) {
    EXPECT_EQ(std::string(e.what()), path("MISSING.DAT") + ": No such file or directory");
  }
  try {
    record::Reader::file(dir_.string());
    FAIL() << "no error";
  } catch (const FileError& e) {
#ifdef _WIN32
    EXPECT_EQ(std::string(e.what()), dir_.string() + ": Permission denied");  // what Windows says of a folder
#else
    EXPECT_EQ(std::string(e.what()), dir_.string() + ": Is a directory");
#endif
  }
}

TEST_F(Channels, FullDeviceReportedAtClose) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no full device";
  Writer out = Writer::file("/dev/full");
  out.write("(' LINE')");
  try {
    out.close();
    FAIL() << "no error";
  } catch (const FileError& e) {
    EXPECT_EQ(std::string(e.what()), "/dev/full: No space left on device");
  }
  EXPECT_NO_THROW(out.close());  // closing twice does nothing
}

TEST_F(Channels, FileReaderReadsRecordsAndLocatesThem) {
  const std::string data = path("LINE.DAT");
  put(data, "TITLE\r\n1 2\r\nbad\r\n");
  record::Reader in = record::Reader::file(data);
  std::array<char, 5> title{};
  in.read("(A5)", std::span<char>(title));
  std::int16_t a = 0, b = 0;
  ASSERT_TRUE(in.read_list({&a, &b}));
  EXPECT_EQ(a + b, 3);
  try {
    in.read_list({&a});
    FAIL() << "no error";
  } catch (const record::ReadError& e) {
    EXPECT_EQ(std::string(e.what()), "Bad integer for item 1 in list input");
    EXPECT_EQ(e.where(), "file " + data + ", record 3");
  }
}

}  // namespace
