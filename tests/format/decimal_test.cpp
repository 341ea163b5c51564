// The portable decimal conversions (the WebAssembly build's) against the
// standard library's: the same text for every float of the reference
// vectors at their own and many other decimal counts, for a spread of
// random floats, and the same float (or the same refusal) for every
// halfway point between neighbouring floats, the digits just either side
// of it, and random digit strings.

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "format/decimal.hpp"

namespace {

using record::detail::decimal_to_float;
using record::detail::fixed_chars;
using record::detail::portable_decimal_to_float;
using record::detail::portable_fixed_chars;
using record::detail::portable_scientific_chars;
using record::detail::scientific_chars;

#if defined(_LIBCPP_VERSION)
constexpr bool kBothPaths = false;  // the portable path is the only one here
#else
constexpr bool kBothPaths = true;
#endif

std::string text_of(char* (*convert)(char*, char*, float, int), float magnitude, int digits) {
  char buffer[320];
  char* end = convert(buffer, buffer + sizeof buffer, magnitude, digits);
  return end == nullptr ? "<too long>" : std::string(buffer, end);
}

struct Parsed {
  std::errc ec;
  std::uint32_t bits;
  bool operator==(const Parsed&) const = default;
};

Parsed parse_with(std::errc (*convert)(std::string_view, std::int64_t, float&), const std::string& digits,
                  std::int64_t scale) {
  float value = -1.0f;
  const std::errc ec = convert(digits, scale, value);
  return {ec, ec == std::errc() ? std::bit_cast<std::uint32_t>(value) : 0u};
}

::testing::AssertionResult same_parse(const std::string& digits, std::int64_t scale) {
  const Parsed standard = parse_with(decimal_to_float, digits, scale);
  const Parsed portable = parse_with(portable_decimal_to_float, digits, scale);
  if (standard == portable) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << digits << "e" << scale << ": standard " << static_cast<int>(standard.ec)
                                       << "/" << std::hex << standard.bits << ", portable "
                                       << static_cast<int>(portable.ec) << "/" << portable.bits;
}

// The magnitudes of the reference vectors with the decimal count or
// precision of their field.
struct Vector {
  float magnitude;
  bool fixed;
  int digits;
};

std::vector<Vector> reference_vectors() {
  std::ifstream in(std::string(BRENLOW_TEST_DATA) + "/format/float_vectors.txt");
  std::vector<Vector> vectors;
  std::string line;
  while (std::getline(in, line)) {
    const float value = std::bit_cast<float>(static_cast<std::uint32_t>(std::stoul(line.substr(0, 8), nullptr, 16)));
    if (!std::isfinite(value)) continue;
    const std::string descriptor = line.substr(9, line.find('|') - 10);
    const int d = std::stoi(descriptor.substr(descriptor.find('.') + 1));
    const bool fixed = descriptor[0] == 'F';
    const bool scaled = descriptor.rfind("1P", 0) == 0;
    vectors.push_back({std::fabs(value), fixed, fixed ? d : (scaled ? d : d - 1)});
  }
  return vectors;
}

TEST(PortableDecimal, RendersTheReferenceVectorsAsTheStandardLibrary) {
  if (!kBothPaths) GTEST_SKIP() << "no standard float to_chars to compare with";
  const std::vector<Vector> vectors = reference_vectors();
  ASSERT_GT(vectors.size(), 1500u);
  const int counts[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 12, 20, 45, 100, 150, 254};
  for (const Vector& v : vectors) {
    if (v.digits >= 0) {
      const auto convert_std = v.fixed ? fixed_chars : scientific_chars;
      const auto convert_portable = v.fixed ? portable_fixed_chars : portable_scientific_chars;
      EXPECT_EQ(text_of(convert_portable, v.magnitude, v.digits), text_of(convert_std, v.magnitude, v.digits))
          << std::hexfloat << v.magnitude << " digits " << v.digits;
    }
    for (const int n : counts) {
      ASSERT_EQ(text_of(portable_fixed_chars, v.magnitude, n), text_of(fixed_chars, v.magnitude, n))
          << std::hexfloat << v.magnitude << " decimals " << n;
      if (n < 120) {
        ASSERT_EQ(text_of(portable_scientific_chars, v.magnitude, n), text_of(scientific_chars, v.magnitude, n))
            << std::hexfloat << v.magnitude << " precision " << n;
      }
    }
  }
}

TEST(PortableDecimal, RendersRandomFloatsAsTheStandardLibrary) {
  if (!kBothPaths) GTEST_SKIP() << "no standard float to_chars to compare with";
  std::mt19937 random(20261207);
  for (int i = 0; i < 20000; ++i) {
    const float magnitude = std::bit_cast<float>(static_cast<std::uint32_t>(random() % 0x7f800000u));
    for (const int n : {0, 2, 5, 9}) {
      ASSERT_EQ(text_of(portable_fixed_chars, magnitude, n), text_of(fixed_chars, magnitude, n))
          << std::hexfloat << magnitude << " decimals " << n;
      ASSERT_EQ(text_of(portable_scientific_chars, magnitude, n), text_of(scientific_chars, magnitude, n))
          << std::hexfloat << magnitude << " precision " << n;
    }
  }
}

std::string standard_fixed(float magnitude, int decimals) {
  char buffer[320];
  const auto r = std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::fixed, decimals);
  return std::string(buffer, r.ptr);
}

// The fixed-point fields take an integer path for a few decimals and
// values below 2^33: the standard library's text for the values at its
// edges (ties to even, the smallest floats, the exponents either side of
// its bound, ten decimals), then for four million random magnitudes
// spread over the binary exponents in and around that range.
TEST(FixedChars, ReportFieldsAsTheStandardLibrary) {
  if (!kBothPaths) GTEST_SKIP() << "no standard float to_chars to compare with";
  struct Case {
    float magnitude;
    int decimals;
  };
  const std::vector<Case> edges = {
      {0.0f, 0},          {0.0f, 3},           {0.5f, 0},         {1.5f, 0},          {2.5f, 0},
      {0.125f, 2},        {0.375f, 2},         {0.0625f, 3},      {9.5f, 0},          {99.95f, 1},
      {0x1p-149f, 9},     {0x1p-126f, 9},      {5e-10f, 9},       {1.5e-9f, 9},       {0x1.fffffep32f, 9},
      {0x1p33f, 9},       {0x1.fffffep33f, 0}, {0x1p34f, 2},      {123.456f, 10},     {16777216.0f, 9},
      {0.049999997f, 1},  {0.05f, 1},          {999999.94f, 1},   {1e-5f, 4},         {3.4028235e38f, 1}};
  for (const Case& c : edges)
    EXPECT_EQ(text_of(fixed_chars, c.magnitude, c.decimals), standard_fixed(c.magnitude, c.decimals))
        << std::hexfloat << c.magnitude << " decimals " << c.decimals;
  std::mt19937 random(4242);
  for (int i = 0; i < 4000000; ++i) {
    const int exponent = -60 + static_cast<int>(random() % 100);  // 2^-60 .. 2^39
    const float magnitude = std::ldexp(static_cast<float>(random() % 16777216u) / 16777216.0f + 0.0f, exponent);
    const int decimals = static_cast<int>(random() % 11);
    ASSERT_EQ(text_of(fixed_chars, magnitude, decimals), standard_fixed(magnitude, decimals))
        << std::hexfloat << magnitude << " decimals " << decimals;
  }
}

// Too short a buffer is refused, never overrun.
TEST(FixedChars, ShortBufferRefused) {
  struct Case {
    float magnitude;
    int decimals;
    std::size_t room;  // the text's length
  };
  for (const Case& c : {Case{123.456f, 2, 6}, Case{0.5f, 0, 1}, Case{7.0f, 9, 11}, Case{1e20f, 1, 23}}) {
    std::vector<char> buffer(c.room);
    EXPECT_NE(fixed_chars(buffer.data(), buffer.data() + c.room, c.magnitude, c.decimals), nullptr) << c.magnitude;
    buffer.resize(c.room - 1);
    EXPECT_EQ(fixed_chars(buffer.data(), buffer.data() + c.room - 1, c.magnitude, c.decimals), nullptr)
        << c.magnitude;
  }
}

// The exact decimal of a double as digits (no leading zeros) and scale.
void exact_digits(double value, std::string& digits, std::int64_t& scale) {
  char buffer[1200];
  auto r = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 1000);
  std::string text(buffer, r.ptr);
  const std::size_t e = text.find('e');
  const int exponent = std::stoi(text.substr(e + 1));
  digits = text.substr(0, 1) + text.substr(2, e - 2);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  scale = exponent - static_cast<std::int64_t>(digits.size()) + 1;
}

TEST(PortableDecimal, ReadsHalfwayPointsAndTheirNeighboursAsTheStandardLibrary) {
  if (!kBothPaths) GTEST_SKIP() << "no standard float from_chars to compare with";
  std::mt19937 random(17);
  std::vector<std::uint32_t> patterns = {0u, 1u, 2u, 0x7fffffu, 0x800000u, 0x7f7ffffeu, 0x7f7fffffu, 0x3f800000u};
  for (int i = 0; i < 3000; ++i) patterns.push_back(static_cast<std::uint32_t>(random() % 0x7f800000u));
  for (const std::uint32_t bits : patterns) {
    const double low = std::bit_cast<float>(bits);
    const double high = bits + 1 == 0x7f800000u ? 0x1p128 : static_cast<double>(std::bit_cast<float>(bits + 1));
    for (const double value : {low, (low + high) / 2}) {
      if (value == 0) continue;
      std::string digits;
      std::int64_t scale = 0;
      exact_digits(value, digits, scale);
      EXPECT_TRUE(same_parse(digits, scale));
      EXPECT_TRUE(same_parse(digits + "1", scale - 1));  // just above
      std::string below = digits;
      std::size_t last = below.size() - 1;
      while (below[last] == '0') below[last--] = '9';
      --below[last];
      if (below[0] == '0') below.erase(0, 1);
      if (!below.empty()) {
        EXPECT_TRUE(same_parse(below + "999", scale - 3));  // just below
      }
      // Beyond 200 digits only a tie is at stake.
      EXPECT_TRUE(same_parse(digits + std::string(250, '0'), scale - 250));
      EXPECT_TRUE(same_parse(digits + std::string(250, '0') + "3", scale - 251));
      // Nine significant digits: every float's shortest text reads back.
      char buffer[64];
      auto r = std::to_chars(buffer, buffer + sizeof buffer, static_cast<float>(low), std::chars_format::scientific, 8);
      const std::string text(buffer, r.ptr);
      const std::size_t e = text.find('e');
      std::string nine = text.substr(0, 1) + text.substr(2, e - 2);
      EXPECT_TRUE(same_parse(nine, std::stoi(text.substr(e + 1)) - 8));
    }
  }
}

TEST(PortableDecimal, ReadsRandomDigitsAsTheStandardLibrary) {
  if (!kBothPaths) GTEST_SKIP() << "no standard float from_chars to compare with";
  std::mt19937 random(31);
  for (int i = 0; i < 30000; ++i) {
    const int length = 1 + static_cast<int>(random() % 40);
    std::string digits(1, static_cast<char>('1' + random() % 9));
    for (int k = 1; k < length; ++k) digits += static_cast<char>('0' + random() % 10);
    const std::int64_t magnitude = -50 + static_cast<std::int64_t>(random() % 92);  // -50 .. 41
    ASSERT_TRUE(same_parse(digits, magnitude - length));
  }
}

}  // namespace
