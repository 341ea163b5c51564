#include "reports/dif_file.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "report_text.hpp"

namespace {

using support::records;

std::vector<std::string> header_records(integer tuples) {
  return {"TABLE", "0,1", "\"\"", "VECTORS", "0,9", "\"\"", "TUPLES",
          "0," + std::string(tuples < 10 ? "  " : tuples < 100 ? " " : "") + std::to_string(tuples),
          "\"\"", "DATA", "0,0", "\"\""};
}

TEST(DifFile, EmptyTableIsHeaderAndTrailer) {
  std::string text;
  auto dif = record::Writer::to_string(&text);
  dif::write_header(dif, 0);
  dif::write_trailer(dif);
  auto expected = header_records(0);
  EXPECT_EQ(expected[7], "0,  0");
  expected.push_back("-1,0");
  expected.push_back("EOD");
  EXPECT_EQ(records(text), expected);
  EXPECT_EQ(text.substr(text.size() - 5), "EOD\r\n");
}

TEST(DifFile, TupleCountRightJustifiedInThree) {
  for (integer n : {integer{7}, integer{42}, integer{100}}) {
    std::string text;
    auto dif = record::Writer::to_string(&text);
    dif::write_header(dif, n);
    EXPECT_EQ(records(text), header_records(n)) << n;
  }
  EXPECT_EQ(header_records(7)[7], "0,  7");
  EXPECT_EQ(header_records(100)[7], "0,100");
}

TEST(DifFile, TupleStartAndValues) {
  struct Case {
    float value;
    const char* line;
  };
  const Case cases[] = {
      {55.3f, "0,  5.529999923706055E+01"},
      {-999.9f, "0, -9.999000244140625E+02"},
      {0.0f, "0,  0.000000000000000E+00"},
      {-0.0f, "0, -0.000000000000000E+00"},
      {0.1f, "0,  1.000000014901161E-01"},
      {1234.5f, "0,  1.234500000000000E+03"},
  };
  std::string text;
  auto dif = record::Writer::to_string(&text);
  dif::write_tuple_start(dif);
  for (const Case& c : cases) dif::write_value(dif, c.value);
  std::vector<std::string> expected = {"-1,0", "BOT"};
  for (const Case& c : cases) {
    expected.push_back(c.line);
    expected.push_back("V");
  }
  EXPECT_EQ(records(text), expected);
}

}  // namespace
