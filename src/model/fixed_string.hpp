#pragma once
// A character(n) field: exactly N bytes, padded on the right with blanks,
// no terminator. Assigning cuts or pads; every padding rule lives here.

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>

// The text without its trailing blanks.
inline std::string_view without_trailing_blanks(std::string_view text) {
  const auto last = text.find_last_not_of(' ');
  return last == std::string_view::npos ? std::string_view{} : text.substr(0, last + 1);
}

template <std::size_t N>
class FixedString {
 public:
  FixedString() { chars_.fill(' '); }
  FixedString(std::string_view text) { assign(text); }  // NOLINT: implicit on purpose

  // Stores the text left-justified: cut after N bytes, padded with blanks.
  void assign(std::string_view text) {
    chars_.fill(' ');
    text.copy(chars_.data(), N < text.size() ? N : text.size());
  }
  FixedString& operator=(std::string_view text) {
    assign(text);
    return *this;
  }

  // All N bytes, trailing blanks included.
  std::string_view view() const { return {chars_.data(), N}; }
  operator std::string_view() const { return view(); }  // NOLINT: items of a formatted write

  // Writable bytes, for the readers that fill the field in place.
  std::span<char> span() { return {chars_.data(), N}; }

  // The text without trailing blanks.
  std::string_view trimmed() const { return without_trailing_blanks(view()); }
  bool blank() const { return trimmed().empty(); }
  std::string str() const { return std::string(view()); }

  static constexpr std::size_t size() { return N; }
  char operator[](std::size_t i) const { return chars_[i]; }

  friend bool operator==(const FixedString& a, const FixedString& b) { return a.chars_ == b.chars_; }

 private:
  std::array<char, N> chars_;
};
