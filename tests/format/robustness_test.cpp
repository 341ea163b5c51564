// The readers on arbitrary bytes: every outcome is a value, a ReadError or
// the end-of-file result; nothing else escapes and nothing is read past the
// input (the sanitizer build checks the latter).

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>

#include "format/record.hpp"

namespace {

std::string random_text(std::mt19937& rng) {
  static constexpr char kAlphabet[] = "0123456789+-.eEdD*/,; \t'\"\r\nAX\0\xFF";
  std::uniform_int_distribution<int> length(0, 40);
  std::uniform_int_distribution<int> pick(0, sizeof kAlphabet - 1);  // includes the terminating NUL
  std::string text;
  for (int n = length(rng); n > 0; --n) text += kAlphabet[pick(rng)];
  return text;
}

TEST(Robustness, ListReaderOnRandomBytes) {
  std::mt19937 rng(31);
  for (int round = 0; round < 20000; ++round) {
    record::Reader in = record::Reader::from_string(random_text(rng), "FUZZ.DAT");
    std::int16_t a = 0;
    std::int32_t b = 0;
    float x = 0;
    std::array<char, 8> s{};
    for (int statement = 0; statement < 4; ++statement) {
      try {
        if (!in.read_list({std::span<char>(s), &a, &x, &b}, statement % 2 == 0)) break;
      } catch (const record::ReadError&) {
        break;
      }
    }
  }
}

TEST(Robustness, FormattedReaderOnRandomBytes) {
  std::mt19937 rng(1031);
  for (int round = 0; round < 20000; ++round) {
    record::Reader in = record::Reader::from_string(random_text(rng), "FUZZ.DAT");
    std::int16_t a = 0;
    float x = 0;
    std::array<char, 72> title{};
    try {
      in.read("(I8)", &a);
      in.read("(F8.0)", &x);
      in.read("(A72)", std::span<char>(title));
      in.read("(1X,I1)", &a);
    } catch (const record::ReadError&) {
    }
  }
}

TEST(Robustness, HugeAndOddRecords) {
  std::string huge(1 << 20, '9');
  record::Reader in = record::Reader::from_string(huge + "\r\r\n" + std::string(1000, '\0') + "\n", "BIG.DAT");
  float x = 1;
  EXPECT_THROW(in.read_list({&x}), record::ReadError);  // far beyond the largest float
  std::int16_t a = 5;
  EXPECT_THROW(in.read("(I4)", &a), record::ReadError);  // NUL bytes are no digits

  record::Reader cr = record::Reader::from_string("1\r2\r3\r", "CR.DAT");
  EXPECT_THROW(cr.read_list({&x}), record::ReadError);  // one record "1\r2\r3\r"
}

}  // namespace
