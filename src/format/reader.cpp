// Input channels: formatted reads of one item and free-form value lists.

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <iostream>
#include <limits>

#include "format/decimal.hpp"
#include "format/file_system.hpp"
#include "format/record.hpp"
#include "format/spec.hpp"

namespace record {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Optional sign and at least one digit, nothing else. Returns false when
// malformed; `overflow` tells a well-formed value outside [low, high].
bool parse_integer(std::string_view text, std::int64_t low, std::int64_t high, std::int64_t& value,
                   bool& overflow) {
  overflow = false;
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) return false;
  std::int64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    if (!is_digit(text[i])) return false;
    if (magnitude <= high + 1) magnitude = magnitude * 10 + (text[i] - '0');  // saturates above the range
  }
  value = negative ? -magnitude : magnitude;
  overflow = value < low || value > high;
  return true;
}

// A real: optional sign, digits with an optional point, optional exponent
// (E or D in either case with optional sign and digits, or a sign directly
// followed by digits). Without a point the last `implied` digits are
// decimals. False when malformed or beyond the range of a float.
bool parse_real(std::string_view text, std::uint32_t implied, float& value) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  bool negative = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  std::string digits;  // significant digits, leading zeros dropped
  std::int64_t scale = 0;  // value = digits * 10^scale
  bool any_digit = false;
  bool point = false;
  for (; i < n; ++i) {
    const char c = text[i];
    if (is_digit(c)) {
      any_digit = true;
      if (point) --scale;
      if (c == '0' && digits.empty()) continue;
      digits += c;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (!any_digit) return false;
  if (i < n) {
    const char c = text[i];
    if (c == 'E' || c == 'e' || c == 'D' || c == 'd') {
      ++i;
    } else if (c != '+' && c != '-') {
      return false;
    }
    bool exponent_negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) exponent_negative = text[i++] == '-';
    if (i == n) return false;
    std::int64_t exponent = 0;
    for (; i < n; ++i) {
      if (!is_digit(text[i])) return false;
      if (exponent < 1000000) exponent = exponent * 10 + (text[i] - '0');
    }
    scale += exponent_negative ? -exponent : exponent;
  }
  if (!point) scale -= implied;
  const float zero = negative ? -0.0f : 0.0f;
  if (digits.empty()) {
    value = zero;
    return true;
  }
  // Decimal magnitude: the value lies in [10^(magnitude-1), 10^magnitude).
  const std::int64_t magnitude = static_cast<std::int64_t>(digits.size()) + scale;
  if (magnitude > 40) return false;
  if (magnitude < -50) {
    value = zero;
    return true;
  }
  float parsed = 0.0f;
  const std::errc ec = detail::decimal_to_float(digits, scale, parsed);
  if (ec == std::errc::result_out_of_range) {
    if (magnitude > 0) return false;  // beyond the largest float
    parsed = 0.0f;                    // below the smallest
  } else if (ec != std::errc()) {
    return false;
  }
  if (std::isinf(parsed)) return false;
  value = negative ? -parsed : parsed;
  return true;
}

// Stores text left-justified in a character field, cut or blank-padded.
void store_chars(std::span<char> field, std::string_view text) {
  const std::size_t count = std::min(field.size(), text.size());
  std::copy_n(text.data(), count, field.data());
  std::fill(field.begin() + static_cast<std::ptrdiff_t>(count), field.end(), ' ');
}

bool is_separator(char c) { return c == ' ' || c == '\t' || c == ',' || c == ';' || c == '/'; }

}  // namespace

struct Reader::State {
  std::string name;
  bool console = false;
  std::istream* in = nullptr;  // console
  Writer* prompts = nullptr;
  std::string data;  // a file's or a test text's bytes
  std::size_t next = 0;
  std::string record;
  std::size_t records = 0;  // records read so far
  bool closed = false;

  bool next_record() {
    if (closed) return false;
    if (in != nullptr) {
      if (!std::getline(*in, record)) return false;
      if (!in->eof() && !record.empty() && record.back() == '\r') record.pop_back();
    } else {
      if (next >= data.size()) return false;
      const std::size_t end = data.find('\n', next);
      if (end == std::string::npos) {
        record.assign(data, next);
        next = data.size();
      } else {
        std::size_t length = end - next;
        if (length > 0 && data[end - 1] == '\r') --length;
        record.assign(data, next, length);
        next = end + 1;
      }
    }
    ++records;
    return true;
  }

  void before_read() {
    if (prompts != nullptr) prompts->flush();
  }

  std::string where(std::size_t record_number) const {
    if (console) return "console";
    return "file " + name + ", record " + std::to_string(record_number);
  }
  [[noreturn]] void fail(const std::string& message) const { throw ReadError(message, where(records)); }
  [[noreturn]] void end_of_file() const { throw ReadError("End of file", where(records + 1)); }
  [[noreturn]] void fail_item(const char* pattern, std::size_t item) const {
    char text[96];
    std::snprintf(text, sizeof text, pattern, static_cast<int>(std::min<std::size_t>(item, 1000000000)));
    fail(text);
  }

  void assign(const Target& target, std::string_view token, bool quoted, std::size_t item) {
    if (auto* chars = std::get_if<std::span<char>>(&target)) {
      store_chars(*chars, token);
      return;
    }
    if (auto* text = std::get_if<std::string*>(&target)) {
      (*text)->assign(token);
      return;
    }
    if (auto* real = std::get_if<float*>(&target)) {
      float value = 0.0f;
      if (quoted || !parse_real(token, 0, value)) fail_item("Bad real number in item %d of list input", item);
      **real = value;
      return;
    }
    const bool narrow = std::holds_alternative<std::int16_t*>(target);
    const std::int64_t low = narrow ? std::numeric_limits<std::int16_t>::min() : std::numeric_limits<std::int32_t>::min();
    const std::int64_t high = narrow ? std::numeric_limits<std::int16_t>::max() : std::numeric_limits<std::int32_t>::max();
    std::int64_t value = 0;
    bool overflow = false;
    if (quoted || !parse_integer(token, low, high, value, overflow)) {
      fail_item("Bad integer for item %d in list input", item);
    }
    if (overflow) fail_item("Integer overflow while reading item %d", item);
    if (narrow) {
      *std::get<std::int16_t*>(target) = static_cast<std::int16_t>(value);
    } else {
      *std::get<std::int32_t*>(target) = static_cast<std::int32_t>(value);
    }
  }
};

Reader::Reader(std::unique_ptr<State> state) : state_(std::move(state)) {}
Reader::Reader(Reader&&) noexcept = default;
Reader& Reader::operator=(Reader&&) noexcept = default;
Reader::~Reader() = default;

Reader Reader::console(Writer* prompts) { return console(std::cin, prompts); }

Reader Reader::console(std::istream& in, Writer* prompts) {
  auto s = std::make_unique<State>();
  s->name = "console";
  s->console = true;
  s->in = &in;
  s->prompts = prompts;
  return Reader(std::move(s));
}

Reader Reader::file(const std::string& name) {
  std::FILE* f = open_file(name, "rb");
  // A data file is a few hundred records; a device or file that yields more
  // than this (an endless one, say) is refused before it exhausts memory.
  constexpr std::size_t largest_file = std::size_t{256} << 20;
  std::string data;
  char chunk[65536];
  for (;;) {
    const std::size_t got = std::fread(chunk, 1, sizeof chunk, f);
    data.append(chunk, got);
    if (got < sizeof chunk) break;
    if (data.size() > largest_file) {
      std::fclose(f);
      throw FileError(name + ": larger than 256 MiB, too large for a data file");
    }
  }
  const int code = std::ferror(f) ? (errno != 0 ? errno : EIO) : 0;
  std::fclose(f);
  if (code != 0) throw FileError(name + ": " + std::strerror(code));
  return from_string(std::move(data), name);
}

Reader Reader::from_string(std::string text, std::string name) {
  auto s = std::make_unique<State>();
  s->name = std::move(name);
  s->data = std::move(text);
  return Reader(std::move(s));
}

void Reader::read(std::string_view spec_text, Target item) {
  State& s = *state_;
  const detail::Spec& spec = detail::cached_spec(spec_text);
  // The field of the one data element, after any skips before it.
  std::size_t position = 0;
  const detail::Element* element = nullptr;
  for (const auto& e : spec.elements) {
    if (e.is_data()) {
      element = &e;
      break;
    }
    if (e.op == detail::Op::Skip) position += e.w;
    if (e.op == detail::Op::Slash) throw std::invalid_argument("a formatted read reads one record");
  }
  if (element == nullptr) throw std::invalid_argument("format specification has no data element to read");

  s.before_read();
  if (!s.next_record()) s.end_of_file();

  std::size_t width = element->w;
  if (width == 0) {
    auto* chars = std::get_if<std::span<char>>(&item);
    const bool whole_record = element->op == detail::Op::Chars && std::holds_alternative<std::string*>(item);
    if (chars != nullptr) {
      width = chars->size();
    } else if (whole_record) {
      width = s.record.size() > position ? s.record.size() - position : 0;
    }
  }
  // The field, padded with blanks past the end of a short record.
  std::string field(width, ' ');
  if (position < s.record.size()) {
    const std::size_t count = std::min(width, s.record.size() - position);
    std::copy_n(s.record.data() + position, count, field.data());
  }

  switch (element->op) {
    case detail::Op::Chars: {
      if (auto* text = std::get_if<std::string*>(&item)) {
        **text = std::move(field);
        return;
      }
      auto* chars = std::get_if<std::span<char>>(&item);
      if (chars == nullptr) throw std::invalid_argument("A element needs a character item");
      // A field wider than the item gives its rightmost characters.
      std::string_view text(field);
      if (text.size() > chars->size()) text.remove_prefix(text.size() - chars->size());
      store_chars(*chars, text);
      return;
    }
    case detail::Op::Int: {
      std::string digits;
      for (char c : field) {
        if (c != ' ') digits += c;
      }
      const bool narrow = std::holds_alternative<std::int16_t*>(item);
      if (!narrow && !std::holds_alternative<std::int32_t*>(item)) {
        throw std::invalid_argument("I element needs an integer item");
      }
      const std::int64_t low = narrow ? std::numeric_limits<std::int16_t>::min() : std::numeric_limits<std::int32_t>::min();
      const std::int64_t high = narrow ? std::numeric_limits<std::int16_t>::max() : std::numeric_limits<std::int32_t>::max();
      std::int64_t value = 0;
      bool overflow = false;
      if (!digits.empty() && (!parse_integer(digits, low, high, value, overflow) || overflow)) {
        s.fail("Bad value during integer read");
      }
      if (narrow) {
        *std::get<std::int16_t*>(item) = static_cast<std::int16_t>(value);
      } else {
        *std::get<std::int32_t*>(item) = static_cast<std::int32_t>(value);
      }
      return;
    }
    default: {
      auto* real = std::get_if<float*>(&item);
      if (real == nullptr) throw std::invalid_argument("F and E elements need a real item");
      std::string text;
      for (char c : field) {
        if (c != ' ') text += c;
      }
      float value = 0.0f;
      if (!text.empty() && !parse_real(text, element->d, value)) s.fail("Bad value during floating point read");
      **real = value;
      return;
    }
  }
}

bool Reader::read_list(std::initializer_list<Target> items, bool end_of_file_outcome) {
  State& s = *state_;
  s.before_read();
  const auto end_of_input = [&]() {
    if (end_of_file_outcome) return false;
    s.end_of_file();
  };
  if (!s.next_record()) return end_of_input();
  const std::size_t n = items.size();
  const Target* targets = items.begin();
  std::size_t i = 0;
  std::size_t p = 0;
  bool after_comma = true;  // a comma first in the statement is a null value
  std::string token;
  while (i < n) {
    const std::string& rec = s.record;
    while (p < rec.size() && (rec[p] == ' ' || rec[p] == '\t')) ++p;
    if (p >= rec.size()) {
      if (!s.next_record()) return end_of_input();
      p = 0;
      continue;
    }
    const char c = rec[p];
    if (c == ',' || c == ';') {
      if (after_comma) ++i;  // null value: the item keeps its value
      after_comma = true;
      ++p;
      continue;
    }
    if (c == '/') return true;

    // A repeat count r*.
    std::size_t count = 1;
    std::size_t q = p;
    while (q < rec.size() && is_digit(rec[q])) ++q;
    if (q > p && q < rec.size() && rec[q] == '*') {
      count = 0;
      for (std::size_t k = p; k < q; ++k) count = std::min<std::size_t>(count * 10 + (rec[k] - '0'), 1000000000);
      if (count == 0) s.fail_item("Zero repeat count in item %d of list input", i + 1);
      p = q + 1;
      if (p >= rec.size() || is_separator(rec[p])) {
        i += std::min(count, n - i);  // r null values
        after_comma = false;
        continue;
      }
    }

    bool quoted = false;
    token.clear();
    if (rec[p] == '\'' || rec[p] == '"') {
      // Quoted: to the matching delimiter (doubled: one delimiter) or the record's end.
      quoted = true;
      const char delimiter = rec[p++];
      while (p < rec.size()) {
        const char b = rec[p++];
        if (b == delimiter) {
          if (p < rec.size() && rec[p] == delimiter) {
            token += delimiter;
            ++p;
            continue;
          }
          break;
        }
        token += b;
      }
    } else {
      const std::size_t start = p;
      while (p < rec.size() && !is_separator(rec[p])) ++p;
      token.assign(rec, start, p - start);
    }
    for (std::size_t k = std::min(count, n - i); k > 0; --k, ++i) s.assign(targets[i], token, quoted, i + 1);
    after_comma = false;
  }
  // The rest of the record is skipped: the next statement reads the next one.
  return true;
}

void Reader::close() {
  State& s = *state_;
  s.closed = true;
  s.data.clear();
  s.data.shrink_to_fit();
}

const std::string& Reader::name() const { return state_->name; }

}  // namespace record
