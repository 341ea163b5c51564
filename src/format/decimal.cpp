// Decimal conversions of floats: a fixed-point field of a few decimals by
// exact integer arithmetic; otherwise the standard library's conversions
// where it has them, and {fmt} and fast_float where it has not.

#include "format/decimal.hpp"

#include <charconv>
#include <cmath>
#include <cstring>
#include <string>

#include <fast_float/fast_float.h>
#include <fmt/format.h>

// libc++ has no float to_chars/from_chars (the WebAssembly build).
#if defined(_LIBCPP_VERSION)
#define BRENLOW_PORTABLE_DECIMAL 1
#else
#define BRENLOW_PORTABLE_DECIMAL 0
#endif

namespace record::detail {
namespace {

constexpr std::uint64_t powers_of_ten[] = {1u,      10u,      100u,      1000u,      10000u,
                                           100000u, 1000000u, 10000000u, 100000000u, 1000000000u};

// The exact binary value of a finite magnitude times 10^decimals, rounded
// to an integer (ties to even), when decimals <= 9 and the value is below
// 2^33: the numbers of the report fields. The float is m * 2^e with m below
// 2^24, so m * 10^decimals is below 2^54 and every step is exact in 64 bits.
// False outside that range.
bool scaled_integer(float magnitude, int decimals, std::uint64_t& scaled) {
  if (decimals < 0 || decimals > 9) return false;
  std::uint32_t bits = 0;
  std::memcpy(&bits, &magnitude, sizeof bits);  // libc++ 13 has no std::bit_cast
  const std::uint32_t biased = bits >> 23;
  std::uint64_t mantissa = bits & 0x7fffffu;
  int exponent = -149;
  if (biased != 0) {
    mantissa |= 0x800000u;
    exponent = static_cast<int>(biased) - 150;
  }
  const std::uint64_t n = mantissa * powers_of_ten[decimals];
  if (exponent >= 0) {
    if (exponent > 9) return false;
    scaled = n << exponent;
    return true;
  }
  const int shift = -exponent;
  if (shift >= 55) {  // n < 2^54 <= half a unit: rounds to 0
    scaled = 0;
    return true;
  }
  const std::uint64_t whole = n >> shift;
  const std::uint64_t rest = n & ((std::uint64_t{1} << shift) - 1);
  const std::uint64_t half = std::uint64_t{1} << (shift - 1);
  scaled = whole + (rest > half || (rest == half && whole % 2 == 1) ? 1 : 0);
  return true;
}

// "whole.fraction" of scaled / 10^decimals, as to_chars writes it.
char* write_scaled(char* first, char* last, std::uint64_t scaled, int decimals) {
  const std::uint64_t unit = powers_of_ten[decimals];
  const auto whole = std::to_chars(first, last, scaled / unit);
  if (whole.ec != std::errc()) return nullptr;
  if (decimals == 0) return whole.ptr;
  if (last - whole.ptr < decimals + 1) return nullptr;
  char* p = whole.ptr;
  *p++ = '.';
  std::uint64_t fraction = scaled % unit;
  for (int i = decimals; i-- > 0; fraction /= 10) p[i] = static_cast<char>('0' + fraction % 10);
  return p + decimals;
}

// {fmt}'s text in [first, last), or nullptr when it does not fit.
template <class... Args>
char* fmt_chars(char* first, char* last, fmt::format_string<Args...> format, Args&&... args) {
  const auto size = static_cast<std::size_t>(last - first);
  const auto r = fmt::format_to_n(first, size, format, std::forward<Args>(args)...);
  return r.size <= size ? r.out : nullptr;
}

}  // namespace

// {fmt} and fast_float give the same text and the same floats as the
// standard library's conversions (tests/format holds them against each
// other); the standard library's stay where it has them, being faster
// than {fmt} at these precisions (bench/format_bench.cpp).
char* portable_fixed_chars(char* first, char* last, float magnitude, int decimals) {
  return fmt_chars(first, last, "{:.{}f}", magnitude, decimals);
}

char* portable_scientific_chars(char* first, char* last, float magnitude, int precision) {
  return fmt_chars(first, last, "{:.{}e}", magnitude, precision);
}

std::errc portable_decimal_to_float(std::string_view digits, std::int64_t scale, float& value) {
  std::string text(digits);
  text += 'e';
  text += std::to_string(scale);
  float parsed = 0.0f;
  const auto r = fast_float::from_chars(text.data(), text.data() + text.size(), parsed);
  if (r.ec != std::errc()) return r.ec;
  if (r.ptr != text.data() + text.size()) return std::errc::invalid_argument;
  // fast_float gives the infinity or the zero the digits round to; out of
  // range, as the standard library says.
  if (std::isinf(parsed)) return std::errc::result_out_of_range;
  if (parsed == 0.0f && digits.find_first_not_of('0') != std::string_view::npos) return std::errc::result_out_of_range;
  value = parsed;
  return std::errc();
}

char* fixed_chars(char* first, char* last, float magnitude, int decimals) {
  // The report fields by integers: several times faster than either
  // library's general conversion (bench/format_bench.cpp), the same text.
  std::uint64_t scaled = 0;
  if (scaled_integer(magnitude, decimals, scaled)) return write_scaled(first, last, scaled, decimals);
#if BRENLOW_PORTABLE_DECIMAL
  return portable_fixed_chars(first, last, magnitude, decimals);
#else
  const auto r = std::to_chars(first, last, magnitude, std::chars_format::fixed, decimals);
  return r.ec == std::errc() ? r.ptr : nullptr;
#endif
}

char* scientific_chars(char* first, char* last, float magnitude, int precision) {
#if BRENLOW_PORTABLE_DECIMAL
  return portable_scientific_chars(first, last, magnitude, precision);
#else
  const auto r = std::to_chars(first, last, magnitude, std::chars_format::scientific, precision);
  return r.ec == std::errc() ? r.ptr : nullptr;
#endif
}

std::errc decimal_to_float(std::string_view digits, std::int64_t scale, float& value) {
#if BRENLOW_PORTABLE_DECIMAL
  return portable_decimal_to_float(digits, scale, value);
#else
  std::string text(digits);
  text += 'e';
  text += std::to_string(scale);
  float parsed = 0.0f;
  const auto r = std::from_chars(text.data(), text.data() + text.size(), parsed);
  if (r.ec == std::errc() && r.ptr != text.data() + text.size()) return std::errc::invalid_argument;
  if (r.ec == std::errc()) value = parsed;
  return r.ec;
#endif
}

}  // namespace record::detail
