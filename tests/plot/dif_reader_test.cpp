#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "plot/profile.hpp"
#include "plot_test_support.hpp"

using namespace plot;
using plot_test::data_path;
using plot_test::read_text;
using support::read_file;

namespace {

TEST(DifReader, ReadsEveryColumnOfTheHandWrittenTable) {
  Profile p = read_dif_file(data_path("profile_ac.dif"));
  ASSERT_EQ(p.rows.size(), 7u);
  struct Case {
    std::size_t row;
    Column column;
    float expected;
  };
  for (const Case& c : std::vector<Case>{{0, distance, -30.0f},
                                         {3, an_rain, 55.3f},
                                         {3, an_fair, 30.3f},
                                         {3, ri_rain, 65.2f},
                                         {3, ri_fair, 48.2f},
                                         {3, tv, 17.2f},
                                         {3, ozone, 0.0021f},
                                         {2, electric_field, 7.952f},
                                         {6, magnetic_field, 0.0712f}})
    EXPECT_EQ(p.rows[c.row][c.column], c.expected) << "row " << c.row << " column " << c.column;
}

TEST(DifReader, KeepsMarkersAndSpecialValuesAsWritten) {
  Profile p = read_dif_file(data_path("profile_dc.dif"));
  ASSERT_EQ(p.rows.size(), 5u);
  EXPECT_EQ(p.rows[0][an_rain], -999.9f);
  EXPECT_EQ(p.rows[2][ri_rain], -9999.0f);
  EXPECT_TRUE(std::isnan(p.rows[2][electric_field]));
  EXPECT_EQ(p.rows[4][electric_field], INFINITY);
  EXPECT_TRUE(std::signbit(p.rows[4][ozone]));
  EXPECT_EQ(p.rows[2][magnetic_field], 0.00025f);
}

TEST(DifReader, GapsAreTheMarkersAndNonNumbers) {
  for (float v : {-999.9f, -9999.0f, -12345.0f, NAN, INFINITY, -INFINITY}) EXPECT_TRUE(is_gap(v)) << v;
  for (float v : {-999.8f, -9998.9f, 0.0f, -0.0f, -40.0f, 1e30f}) EXPECT_FALSE(is_gap(v)) << v;
}

// Variants of a sound table that read to the same rows.
TEST(DifReader, AcceptsHarmlessVariants) {
  const std::string good = read_file(data_path("profile_ac.dif"));
  const Profile reference = read_text(good);
  auto replace = [&](std::string from, std::string to) {
    std::string s = good;
    s.replace(s.find(from), from.size(), to);
    return s;
  };
  std::string lf_only;
  for (char c : good)
    if (c != '\r') lf_only += c;
  struct Case {
    const char* what;
    std::string text;
  };
  for (const Case& c : std::vector<Case>{
           {"LF line ends", lf_only},
           {"no line end after EOD", good.substr(0, good.size() - 2)},
           {"an extra header entry", replace("DATA\r\n", "LABEL\r\n1,0\r\n\"x\"\r\nDATA\r\n")},
           {"records after EOD", good + "junk\r\n"},
           {"plain numbers", replace("0, -3.000000000000000E+01", "0,-30")}}) {
    Profile p = read_text(c.text);
    ASSERT_EQ(p.rows.size(), reference.rows.size()) << c.what;
    for (std::size_t i = 0; i < p.rows.size(); ++i) EXPECT_EQ(p.rows[i], reference.rows[i]) << c.what;
  }
  EXPECT_TRUE(std::isnan(read_text(replace("0,  5.529999923706055E+01\r\nV", "0,0\r\nNA")).rows[3][an_rain]));
}

TEST(DifReader, ReadsATableWithoutPoints) {
  Profile p = read_text("TABLE\r\n0,1\r\n\"\"\r\nVECTORS\r\n0,9\r\n\"\"\r\nTUPLES\r\n0,  0\r\n\"\"\r\n"
                        "DATA\r\n0,0\r\n\"\"\r\n-1,0\r\nEOD\r\n");
  EXPECT_TRUE(p.rows.empty());
}

// Every damaged input names the file and the record where it went wrong.
TEST(DifReader, RejectsDamagedInputWithItsPlace) {
  const std::string good = read_file(data_path("profile_ac.dif"));
  auto replace = [&](std::string from, std::string to) {
    std::string s = good;
    s.replace(s.find(from), from.size(), to);
    return s;
  };
  const std::string tuple_end = "0,  7.119999825954437E-02\r\nV\r\n-1,0\r\nBOT";
  struct Case {
    const char* what;
    std::string file;  // a data file, or empty to read `text`
    std::string text;
    std::string message;
  };
  for (const Case& c : std::vector<Case>{
           {"missing file", data_path("no_such.dif"), "", "no_such.dif: cannot open"},
           {"a directory", std::string(BRENLOW_TEST_DATA) + "/plot", "", "is a directory"},
           {"not a DIF file", data_path("not_a_table.dif"), "", "not_a_table.dif, record 1: not a DIF file"},
           {"truncated", data_path("truncated.dif"), "", "truncated.dif: truncated: the file ends after record 79"},
           {"eight vectors", data_path("eight_vectors.dif"), "", "eight_vectors.dif, record 4: the table has 8 vectors"},
           {"short tuple", data_path("short_tuple.dif"), "", "short_tuple.dif, record 33: tuple 2 has 8 values"},
           {"empty", "", "", "TEST.dif: empty file"},
           {"cut in the header", "", good.substr(0, 40), "truncated"},
           {"long tuple", "", replace(tuple_end, "0,  7.119999825954437E-02\r\nV\r\n0,1\r\nV\r\n-1,0\r\nBOT"),
            "record 13: tuple 1 has more than 9 values"},
           {"bad number", "", replace("5.529999923706055E+01", "5.5x"), "record 77: bad number \"5.5x\""},
           {"tuple count", "", replace("0,  7", "0,  8"), "record 7: the header announces 8 tuples, the data holds 7"},
           {"text value", "", replace("0,  5.529999923706055E+01\r\nV", "1,0\r\n\"abc\""), "record 77: a text value"},
           {"no vectors", "", replace("VECTORS", "VECTOR"), "the header has no VECTORS entry"},
           {"value before BOT", "", replace("-1,0\r\nBOT", "0,1\r\nV"), "record 13: a value outside a tuple"},
           {"unknown marker", "", replace("-1,0\r\nEOD", "-1,0\r\nEND"), "expected BOT or EOD, found \"END\""},
           {"bad header numbers", "", replace("0,9", "0,x"), "record 5: expected two numbers"},
           {"binary data", "", std::string("TABLE\r\n\x01\xff,1\r\n", 13), "found \"\\x01\\xff,1\""}}) {
    try {
      if (c.file.empty())
        read_text(c.text);
      else
        read_dif_file(c.file);
      ADD_FAILURE() << c.what << ": no error";
    } catch (const InputError& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << c.what << ": " << e.what();
    }
  }
}

// A file cut anywhere reads as an error, never as a shorter table; only a
// cut within the line end after EOD still gives the whole table.
TEST(DifReader, EveryCutOfAFileIsAnError) {
  const std::string good = read_file(data_path("profile_dc.dif"));
  for (std::size_t n = 0; n < good.size(); ++n) {
    bool whole = n >= good.size() - 2;
    try {
      Profile p = read_text(good.substr(0, n));
      EXPECT_TRUE(whole) << "cut at byte " << n << " read " << p.rows.size() << " rows";
      EXPECT_EQ(p.rows.size(), 5u);
    } catch (const InputError&) {
      EXPECT_FALSE(whole) << "cut at byte " << n;
    }
  }
}

}  // namespace
