#pragma once
// Decimal conversions of floats for the field renderers and readers: the
// exact binary value rounded to a number of decimals or significant digits
// (ties to even), and decimal digits read to the nearest float (ties to
// even). The standard library's float to_chars/from_chars do this where the
// library has them; libc++ (the WebAssembly build) lacks them, so it takes
// the portable conversions, which give the same bytes and the same floats.

#include <cstdint>
#include <string_view>
#include <system_error>

namespace record::detail {

// Like std::to_chars(first, last, magnitude, chars_format::fixed, decimals)
// for a finite magnitude >= 0: "123.450" ("123" for no decimals). Returns
// the end of the text, or nullptr when [first, last) is too short.
char* fixed_chars(char* first, char* last, float magnitude, int decimals);

// Like std::to_chars(first, last, magnitude, chars_format::scientific,
// precision): "1.2345e+02" ("1e+02" for precision 0).
char* scientific_chars(char* first, char* last, float magnitude, int precision);

// The float nearest to digits * 10^scale (digits: decimal digits only, none
// of them a leading zero, at least one). std::errc::result_out_of_range when
// the nearest float is infinite, or zero for digits that are not all zeros.
std::errc decimal_to_float(std::string_view digits, std::int64_t scale, float& value);

// The portable conversions themselves, always built so that the tests can
// hold them against the standard library's.
char* portable_fixed_chars(char* first, char* last, float magnitude, int decimals);
char* portable_scientific_chars(char* first, char* last, float magnitude, int precision);
std::errc portable_decimal_to_float(std::string_view digits, std::int64_t scale, float& value);

}  // namespace record::detail
