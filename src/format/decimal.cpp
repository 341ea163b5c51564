// Decimal conversions of floats: the standard library's where it has them,
// otherwise the portable ones, which work on exact integers.

#include "format/decimal.hpp"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string>
#include <vector>

// libc++ has no float to_chars/from_chars (the WebAssembly build).
#if defined(_LIBCPP_VERSION)
#define BRENLOW_PORTABLE_DECIMAL 1
#else
#define BRENLOW_PORTABLE_DECIMAL 0
#endif

namespace record::detail {
namespace {

// An unsigned integer of any size: 32-bit words, least significant first,
// no zero word on top.
class Natural {
 public:
  explicit Natural(std::uint64_t v = 0) {
    for (; v != 0; v >>= 32) words_.push_back(static_cast<std::uint32_t>(v));
  }

  void multiply(std::uint32_t m) {
    if (m == 0) words_.clear();
    std::uint64_t carry = 0;
    for (auto& word : words_) {
      const std::uint64_t product = static_cast<std::uint64_t>(word) * m + carry;
      word = static_cast<std::uint32_t>(product);
      carry = product >> 32;
    }
    if (carry != 0) words_.push_back(static_cast<std::uint32_t>(carry));
  }
  void add(std::uint32_t a) {
    std::uint64_t carry = a;
    for (auto& word : words_) {
      if (carry == 0) return;
      const std::uint64_t sum = word + carry;
      word = static_cast<std::uint32_t>(sum);
      carry = sum >> 32;
    }
    if (carry != 0) words_.push_back(static_cast<std::uint32_t>(carry));
  }
  void multiply_power(std::uint32_t base, std::uint32_t chunk, int chunk_exponent, int exponent) {
    for (; exponent >= chunk_exponent; exponent -= chunk_exponent) multiply(chunk);
    std::uint32_t rest = 1;
    for (; exponent > 0; --exponent) rest *= base;
    multiply(rest);
  }
  void multiply_pow10(int n) { multiply_power(10, 1000000000u, 9, n); }
  void multiply_pow5(int n) { multiply_power(5, 1220703125u, 13, n); }

  void shift_left(int bits) {
    if (words_.empty() || bits == 0) return;
    const auto whole = static_cast<std::size_t>(bits / 32);
    const int part = bits % 32;
    if (part != 0) {
      std::uint32_t carry = 0;
      for (auto& word : words_) {
        const std::uint32_t next = word >> (32 - part);
        word = (word << part) | carry;
        carry = next;
      }
      if (carry != 0) words_.push_back(carry);
    }
    words_.insert(words_.begin(), whole, 0u);
  }

  // Divides in place; returns the remainder.
  std::uint32_t divide(std::uint32_t d) {
    std::uint64_t remainder = 0;
    for (auto it = words_.rbegin(); it != words_.rend(); ++it) {
      const std::uint64_t current = (remainder << 32) | *it;
      *it = static_cast<std::uint32_t>(current / d);
      remainder = current % d;
    }
    while (!words_.empty() && words_.back() == 0) words_.pop_back();
    return static_cast<std::uint32_t>(remainder);
  }

  // Decimal digits without leading zeros; empty for zero.
  std::string decimal() const {
    Natural rest = *this;
    std::string text;
    while (!rest.words_.empty()) {
      std::uint32_t chunk = rest.divide(1000000000u);
      for (int i = 0; i < 9; ++i, chunk /= 10) text += static_cast<char>('0' + chunk % 10);
    }
    while (!text.empty() && text.back() == '0') text.pop_back();
    std::reverse(text.begin(), text.end());
    return text;
  }

  friend int compare(const Natural& a, const Natural& b) {
    if (a.words_.size() != b.words_.size()) return a.words_.size() < b.words_.size() ? -1 : 1;
    for (std::size_t i = a.words_.size(); i-- > 0;) {
      if (a.words_[i] != b.words_[i]) return a.words_[i] < b.words_[i] ? -1 : 1;
    }
    return 0;
  }

 private:
  std::vector<std::uint32_t> words_;
};

// libc++ 13 has no std::bit_cast.
std::uint32_t bits_of(float value) {
  std::uint32_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}
float float_of(std::uint32_t bits) {
  float value = 0;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

// A finite float >= 0 as mantissa * 2^exponent; bit pattern 0x7f800000
// stands for 2^128, the bound the largest float rounds up to.
void split(std::uint32_t bits, std::uint32_t& mantissa, int& exponent) {
  const std::uint32_t biased = bits >> 23;
  mantissa = bits & 0x7fffffu;
  if (biased == 0) {
    exponent = -149;
  } else {
    mantissa |= 0x800000u;
    exponent = static_cast<int>(biased) - 150;
  }
}

// The exact value of a finite float >= 0: value = digits * 10^exponent,
// digits without leading zeros (empty for zero).
struct Exact {
  std::string digits;
  int exponent = 0;
};

Exact exact_decimal(float magnitude) {
  std::uint32_t mantissa = 0;
  int exponent = 0;
  split(bits_of(magnitude), mantissa, exponent);
  Natural n(mantissa);
  Exact exact;
  if (exponent >= 0) {
    n.shift_left(exponent);
  } else {
    n.multiply_pow5(-exponent);  // m / 2^k = m * 5^k / 10^k
    exact.exponent = exponent;
  }
  exact.digits = n.decimal();
  return exact;
}

// Rounds the digit string `kept` followed by `dropped` (which may be
// empty) to `kept`'s length, ties to even; true when a carry added a digit
// in front.
bool round_digits(std::string& kept, std::string_view dropped) {
  bool up = false;
  if (!dropped.empty() && dropped[0] >= '5') {
    if (dropped[0] > '5' || dropped.find_first_not_of('0', 1) != std::string_view::npos) {
      up = true;
    } else {
      up = !kept.empty() && (kept.back() - '0') % 2 == 1;
    }
  }
  if (!up) return false;
  for (std::size_t i = kept.size(); i-- > 0;) {
    if (kept[i] != '9') {
      ++kept[i];
      return false;
    }
    kept[i] = '0';
  }
  kept.insert(kept.begin(), '1');
  return true;
}

char* copy_out(char* first, char* last, const std::string& text) {
  if (static_cast<std::size_t>(last - first) < text.size()) return nullptr;
  std::memcpy(first, text.data(), text.size());
  return first + text.size();
}

}  // namespace

char* portable_fixed_chars(char* first, char* last, float magnitude, int decimals) {
  const Exact exact = exact_decimal(magnitude);
  const std::size_t d = static_cast<std::size_t>(decimals);
  // round(value * 10^d) as digits
  std::string scaled;
  const long shift = static_cast<long>(exact.exponent) + decimals;
  if (shift >= 0) {
    scaled = exact.digits;
    if (!scaled.empty()) scaled.append(static_cast<std::size_t>(shift), '0');
  } else {
    const std::size_t cut = static_cast<std::size_t>(-shift);
    const std::size_t n = exact.digits.size();
    if (n > cut) {
      scaled = exact.digits.substr(0, n - cut);
      round_digits(scaled, std::string_view(exact.digits).substr(n - cut));
    } else if (n == cut) {
      round_digits(scaled, exact.digits);
    }  // otherwise below a tenth of the last place: rounds to zero
  }
  if (scaled.size() < d + 1) scaled.insert(0, d + 1 - scaled.size(), '0');
  if (d > 0) scaled.insert(scaled.size() - d, 1, '.');
  return copy_out(first, last, scaled);
}

char* portable_scientific_chars(char* first, char* last, float magnitude, int precision) {
  const Exact exact = exact_decimal(magnitude);
  const std::size_t significant = static_cast<std::size_t>(precision) + 1;
  std::string kept;
  int exponent = 0;
  if (exact.digits.empty()) {
    kept.assign(significant, '0');
  } else {
    const std::size_t n = exact.digits.size();
    exponent = static_cast<int>(n) - 1 + exact.exponent;
    if (n > significant) {
      kept = exact.digits.substr(0, significant);
      if (round_digits(kept, std::string_view(exact.digits).substr(significant))) {
        kept.pop_back();
        ++exponent;
      }
    } else {
      kept = exact.digits;
      kept.append(significant - n, '0');
    }
  }
  std::string text(1, kept[0]);
  if (precision > 0) {
    text += '.';
    text.append(kept, 1);
  }
  text += 'e';
  text += exponent < 0 ? '-' : '+';
  const int e = exponent < 0 ? -exponent : exponent;
  if (e < 10) text += '0';
  text += std::to_string(e);
  return copy_out(first, last, text);
}

std::errc portable_decimal_to_float(std::string_view digits, std::int64_t scale, float& value) {
  const std::size_t lead = digits.find_first_not_of('0');
  if (lead == std::string_view::npos) {
    value = 0.0f;
    return std::errc();
  }
  digits.remove_prefix(lead);
  // The value lies in [10^(magnitude-1), 10^magnitude).
  const std::int64_t magnitude = static_cast<std::int64_t>(digits.size()) + scale;
  if (magnitude > 39) return std::errc::result_out_of_range;  // at least 1e39: beyond the largest float
  if (magnitude < -45) return std::errc::result_out_of_range;  // below 1e-46: nearer to zero than to any float
  // Digits far beyond the float's precision only break ties: keep 200 and
  // remember whether any dropped digit was not zero.
  constexpr std::size_t kKept = 200;
  bool sticky = false;
  if (digits.size() > kKept) {
    sticky = digits.find_first_not_of('0', kKept) != std::string_view::npos;
    scale += static_cast<std::int64_t>(digits.size() - kKept);
    digits = digits.substr(0, kKept);
  }
  // value = left / right, compared with a * 2^b as left * 2^-b against
  // a * right * 2^b, each power of two on the side where it is whole.
  Natural left(0);
  for (std::size_t i = 0; i < digits.size(); i += 9) {
    const std::string_view chunk = digits.substr(i, 9);
    std::uint32_t part = 0;
    for (const char c : chunk) part = part * 10 + static_cast<std::uint32_t>(c - '0');
    left.multiply_pow10(static_cast<int>(chunk.size()));
    left.add(part);
  }
  Natural right(1);
  if (scale >= 0) {
    left.multiply_pow10(static_cast<int>(scale));
  } else {
    right.multiply_pow10(static_cast<int>(-scale));
  }
  const auto against = [&](std::uint32_t a, int b) {  // the sign of value - a * 2^b
    Natural l = left;
    Natural r = right;
    r.multiply(a);
    if (b >= 0) {
      r.shift_left(b);
    } else {
      l.shift_left(-b);
    }
    const int c = compare(l, r);
    return c == 0 && sticky ? 1 : c;
  };
  const auto sign_against = [&](std::uint32_t bits) {
    std::uint32_t mantissa = 0;
    int exponent = 0;
    split(bits, mantissa, exponent);
    return against(mantissa, exponent);
  };
  constexpr std::uint32_t kInfinity = 0x7f800000u;
  if (sign_against(kInfinity) >= 0) return std::errc::result_out_of_range;
  // The largest float at or below the value: its bit pattern, found by halving.
  std::uint32_t low = 0;
  std::uint32_t high = kInfinity;
  while (high - low > 1) {
    const std::uint32_t middle = low + (high - low) / 2;
    if (sign_against(middle) >= 0) {
      low = middle;
    } else {
      high = middle;
    }
  }
  // The next float up is (m + 1) * 2^e: compare with the halfway point.
  std::uint32_t mantissa = 0;
  int exponent = 0;
  split(low, mantissa, exponent);
  const int c = against(2 * mantissa + 1, exponent - 1);
  const std::uint32_t nearest = c > 0 || (c == 0 && low % 2 == 1) ? low + 1 : low;
  if (nearest == 0 || nearest == kInfinity) return std::errc::result_out_of_range;
  value = float_of(nearest);
  return std::errc();
}

char* fixed_chars(char* first, char* last, float magnitude, int decimals) {
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
