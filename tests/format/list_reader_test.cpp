// Free-form value lists from the data file.

#include <gtest/gtest.h>

#include <array>
#include <limits>
#include <string>

#include "format/record.hpp"

namespace {

using record::ReadError;
using record::Reader;

std::string text(const std::array<char, 8>& a) { return std::string(a.data(), a.size()); }

TEST(ListRead, ConductorRecordWithRepeatAndNull) {
  Reader in = Reader::from_string(" 'COND 1  ','A',  10.00, 3*2.5 , ,7\r\n", "LINE.DAT");
  std::array<char, 8> name{};
  std::array<char, 1> letter{};
  float v[6] = {0, 0, 0, 0, -1.5f, 0};
  ASSERT_TRUE(in.read_list({std::span<char>(name), std::span<char>(letter), &v[0], &v[1], &v[2], &v[3], &v[4], &v[5]}));
  EXPECT_EQ(text(name), "COND 1  ");
  EXPECT_EQ(letter[0], 'A');
  EXPECT_EQ(v[0], 10.0f);
  EXPECT_EQ(v[1], 2.5f);
  EXPECT_EQ(v[2], 2.5f);
  EXPECT_EQ(v[3], 2.5f);
  EXPECT_EQ(v[4], -1.5f);  // null: unchanged
  EXPECT_EQ(v[5], 7.0f);
}

TEST(ListRead, SeparatorsRecordsAndSkipping) {
  struct Case {
    const char* input;
    std::array<float, 4> expected;  // start values are all -1
  };
  const Case cases[] = {
      {"1 2 3 4\n", {1, 2, 3, 4}},
      {"1,2;3\t4\n", {1, 2, 3, 4}},
      {"  1 ,  2 ; 3 ,4 9 9\nnext record\n", {1, 2, 3, 4}},
      {"1\n2\r\n\n 3 4\n", {1, 2, 3, 4}},
      {",2,,4\n", {-1, 2, -1, 4}},
      {"1,,,\n4\n", {1, -1, -1, 4}},
      {"1,\n,4 5\n", {1, -1, 4, 5}},
      {"1 2/ 3 4\n", {1, 2, -1, -1}},
      {"/\n", {-1, -1, -1, -1}},
      {"2*,3 4\n", {-1, -1, 3, 4}},
      {"2* 3 4\n", {-1, -1, 3, 4}},
      {"1 2*/ 4\n", {1, -1, -1, -1}},
      {"9*8.5\n", {8.5, 8.5, 8.5, 8.5}},
      {"1 2*\n3\n", {1, -1, -1, 3}},
      {"1.5E2 -1.5d-1 2.5+1 -.5\n", {150, -0.15f, 25, -0.5f}},
      {"1 2 3\r\n4\r\n", {1, 2, 3, 4}},
      {"1 2 3 4", {1, 2, 3, 4}},  // last record without a line end
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    Reader in = Reader::from_string(c.input, "T.DAT");
    std::array<float, 4> v = {-1, -1, -1, -1};
    EXPECT_TRUE(in.read_list({&v[0], &v[1], &v[2], &v[3]}));
    EXPECT_EQ(v, c.expected);
  }
}

TEST(ListRead, NextStatementStartsAtNextRecord) {
  Reader in = Reader::from_string("1 2 3\n4 5\n'X' 6/ 7\n8\n", "T.DAT");
  std::int16_t a = 0, b = 0;
  std::int32_t c = 0;
  ASSERT_TRUE(in.read_list({&a, &b}));
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 2);
  ASSERT_TRUE(in.read_list({&c}));
  EXPECT_EQ(c, 4);
  std::array<char, 3> s{};
  ASSERT_TRUE(in.read_list({std::span<char>(s), &a, &b}));
  EXPECT_EQ(std::string(s.data(), 3), "X  ");
  EXPECT_EQ(a, 6);
  EXPECT_EQ(b, 2);  // slash: unchanged
  ASSERT_TRUE(in.read_list({&a}));
  EXPECT_EQ(a, 8);
  // Nothing left: the end-of-file outcome, or the message.
  EXPECT_FALSE(in.read_list({&a}, true));
  EXPECT_EQ(a, 8);
}

TEST(ListRead, Strings) {
  struct Case {
    const char* input;
    const char* expected;  // 8 characters
  };
  const Case cases[] = {
      {"'AB''C'\n", "AB'C    "},       {"\"A,B \"\"Q\"\n", "A,B \"Q  "}, {"'A\"B'\n", "A\"B     "},
      {"ABC,D\n", "ABC     "},        {"ABCDEFGHIJ\n", "ABCDEFGH"},      {"'ABCDEFGHIJ'\n", "ABCDEFGH"},
      {"  NAME/X\n", "NAME    "},     {"2*XY\n", "XY      "},            {"'unterminated\n", "untermin"},
      {"''\n", "        "},           {"A'B\n", "A'B     "},             {"\xC4\xB3\n", "\xC4\xB3      "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    Reader in = Reader::from_string(c.input, "T.DAT");
    std::array<char, 8> s{};
    s.fill('?');
    ASSERT_TRUE(in.read_list({std::span<char>(s)}));
    EXPECT_EQ(text(s), c.expected);
  }
}

TEST(ListRead, MessagesNameTheItem) {
  struct Case {
    const char* input;
    const char* expected;
  };
  // Items: int16, int32, float, float.
  const Case cases[] = {
      {"1.5 2 3 4\n", "Bad integer for item 1 in list input @ file D.DAT, record 1"},
      {"1 x 3 4\n", "Bad integer for item 2 in list input @ file D.DAT, record 1"},
      {"1 '2' 3 4\n", "Bad integer for item 2 in list input @ file D.DAT, record 1"},
      {"1 2 3 4.0.\n", "Bad real number in item 4 of list input @ file D.DAT, record 1"},
      {"1 2\n3 ABC\n", "Bad real number in item 4 of list input @ file D.DAT, record 2"},
      {"1 2 1e39 4\n", "Bad real number in item 3 of list input @ file D.DAT, record 1"},
      {"1 2*7.5 4\n", "Bad integer for item 2 in list input @ file D.DAT, record 1"},
      {"2*1 3*4 5\n", "no error"},  // repeat copies beyond the last item are dropped
      {"40000 2 3 4\n", "Integer overflow while reading item 1 @ file D.DAT, record 1"},
      {"1 2147483648 3 4\n", "Integer overflow while reading item 2 @ file D.DAT, record 1"},
      {"1 2 0*5 4\n", "Zero repeat count in item 3 of list input @ file D.DAT, record 1"},
      {"1 2 3\n", "End of file @ file D.DAT, record 2"},
      {"", "End of file @ file D.DAT, record 1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    Reader in = Reader::from_string(c.input, "D.DAT");
    std::int16_t a = 0;
    std::int32_t b = 0;
    float x = 0, y = 0;
    std::string got = "no error";
    try {
      in.read_list({&a, &b, &x, &y});
    } catch (const ReadError& e) {
      got = std::string(e.what()) + " @ " + e.where();
    }
    EXPECT_EQ(got, c.expected);
  }
}

TEST(ListRead, IntegerLimits) {
  Reader in = Reader::from_string("-32768 32767 -2147483648 +2147483647\n", "T.DAT");
  std::int16_t a = 0, b = 0;
  std::int32_t c = 0, d = 0;
  ASSERT_TRUE(in.read_list({&a, &b, &c, &d}));
  EXPECT_EQ(a, std::numeric_limits<std::int16_t>::min());
  EXPECT_EQ(b, std::numeric_limits<std::int16_t>::max());
  EXPECT_EQ(c, std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(d, std::numeric_limits<std::int32_t>::max());
}

}  // namespace
