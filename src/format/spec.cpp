// Parser and cache of format specifications.

#include "format/spec.hpp"

#include <memory>
#include <stdexcept>
#include <unordered_map>

#include "format/record.hpp"

namespace record::detail {
namespace {

constexpr std::uint32_t kMaxNumber = 65535;  // widths, counts, repeats
constexpr std::uint32_t kMaxRealWidth = 255;  // F and E fields
constexpr std::size_t kMaxDepth = 8;         // group nesting

class Parser {
 public:
  explicit Parser(std::string_view text) : s_(text) {}

  Spec parse() {
    skip_blanks();
    if (!eat('(')) fail("a specification begins with '('");
    std::vector<std::size_t> open;  // indices of unclosed GroupStart
    Spec spec;
    auto& out = spec.elements;
    for (;;) {
      skip_blanks();
      if (at_end()) fail("missing ')'");
      char c = s_[i_];
      if (c == ',') {
        ++i_;
        continue;
      }
      if (c == ')') {
        ++i_;
        if (open.empty()) break;  // the final parenthesis
        std::size_t start = open.back();
        open.pop_back();
        out[start].link = static_cast<std::uint32_t>(out.size());
        Element end{Op::GroupEnd};
        end.link = static_cast<std::uint32_t>(start);
        out.push_back(end);
        continue;
      }
      if (c == '\'' || c == '"') {
        out.push_back(text_element(quoted(c)));
        continue;
      }
      if (c == '/') {
        ++i_;
        out.push_back(Element{Op::Slash});
        continue;
      }
      std::uint32_t count = 0;
      bool has_count = false;
      bool negative = false;
      if (c == '-' || c == '+') {
        negative = c == '-';
        ++i_;
        if (at_end() || !is_digit(s_[i_])) fail("sign without a scale factor");
      }
      if (is_digit(s_[i_])) {
        count = number();
        has_count = true;
        skip_blanks();
        if (at_end()) fail("missing ')'");
        c = s_[i_];
      }
      if (negative && c != 'P') fail("sign without a scale factor");
      if (c == 'P') {
        ++i_;
        if (!has_count || count > 1 || negative) fail("only the scale factors 0P and 1P are supported");
        Element e{Op::Scale};
        e.w = count;
        out.push_back(e);
        continue;
      }
      if (has_count && count == 0 && c != 'X') fail("zero repeat count");
      if (c == 'H') {
        ++i_;
        if (!has_count || count == 0) fail("counted text needs a count");
        if (s_.size() - i_ < count) fail("counted text runs past the end");
        out.push_back(text_element(std::string(s_.substr(i_, count))));
        i_ += count;
        continue;
      }
      if (c == 'X') {
        ++i_;
        Element e{Op::Skip};
        e.w = has_count ? count : 1;
        out.push_back(e);
        continue;
      }
      if (c == '/') {
        ++i_;
        Element e{Op::Slash};
        e.repeat = count;
        out.push_back(e);
        continue;
      }
      if (c == '(') {
        ++i_;
        if (open.size() >= kMaxDepth) fail("groups nested too deeply");
        Element e{Op::GroupStart};
        e.repeat = has_count ? count : 1;
        if (open.empty()) spec.reversion = out.size();
        open.push_back(out.size());
        out.push_back(e);
        continue;
      }
      Element e{Op::Text};
      e.repeat = has_count ? count : 1;
      switch (c) {
        case 'I':
          ++i_;
          e.op = Op::Int;
          e.w = width();
          if (peek('.')) {
            ++i_;
            e.d = required_number();
            e.has_m = true;
            if (e.d > e.w) fail("minimum digits exceed the width");
          }
          break;
        case 'F':
        case 'E':
          ++i_;
          e.op = c == 'F' ? Op::Fixed : Op::Exponent;
          e.w = width();
          skip_blanks();
          if (!eat('.')) fail("F and E need a decimal count");
          e.d = required_number();
          if (e.d >= e.w) fail("decimals do not fit the width");
          if (e.w > kMaxRealWidth) fail("field too wide");
          break;
        case 'A':
          ++i_;
          e.op = Op::Chars;
          skip_blanks();
          e.w = !at_end() && is_digit(s_[i_]) ? width() : 0;
          break;
        default:
          fail(std::string("unexpected character '") + c + "'");
      }
      spec.has_data = true;
      out.push_back(e);
    }
    skip_blanks();
    if (!at_end()) fail("text after the final ')'");
    return spec;
  }

 private:
  static bool is_digit(char c) { return c >= '0' && c <= '9'; }
  bool at_end() const { return i_ >= s_.size(); }
  void skip_blanks() {
    while (!at_end() && s_[i_] == ' ') ++i_;
  }
  bool peek(char c) {
    skip_blanks();
    return !at_end() && s_[i_] == c;
  }
  bool eat(char c) {
    if (peek(c)) {
      ++i_;
      return true;
    }
    return false;
  }
  [[noreturn]] void fail(const std::string& why) const {
    throw std::invalid_argument("format specification " + std::string(s_) + ": " + why);
  }
  std::uint32_t number() {
    std::uint32_t n = 0;
    while (!at_end() && is_digit(s_[i_])) {
      n = n * 10 + static_cast<std::uint32_t>(s_[i_] - '0');
      if (n > kMaxNumber) fail("number too large");
      ++i_;
    }
    return n;
  }
  std::uint32_t required_number() {
    skip_blanks();
    if (at_end() || !is_digit(s_[i_])) fail("number expected");
    return number();
  }
  std::uint32_t width() {
    std::uint32_t w = required_number();
    if (w == 0) fail("zero width");
    return w;
  }
  // Text between delimiters; a doubled delimiter stands for one.
  std::string quoted(char delimiter) {
    ++i_;
    std::string text;
    for (;;) {
      if (at_end()) fail("unterminated text");
      char c = s_[i_++];
      if (c == delimiter) {
        if (!at_end() && s_[i_] == delimiter) {
          text += c;
          ++i_;
          continue;
        }
        return text;
      }
      text += c;
    }
  }
  static Element text_element(std::string text) {
    Element e{Op::Text};
    e.text = std::move(text);
    return e;
  }

  std::string_view s_;
  std::size_t i_ = 0;
};

struct TextHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};

}  // namespace

Spec parse_spec(std::string_view text) { return Parser(text).parse(); }

const Spec& cached_spec(std::string_view text) {
  // Specs live as long as the thread; the map owns them through pointers so
  // references stay valid when it rehashes. One cache per thread: runs on
  // several threads at once (tesk31-study run) share nothing.
  thread_local std::unordered_map<std::string, std::unique_ptr<Spec>, TextHash, std::equal_to<>> cache;
  auto it = cache.find(text);
  if (it != cache.end()) return *it->second;
  auto spec = std::make_unique<Spec>(parse_spec(text));
  return *cache.emplace(std::string(text), std::move(spec)).first->second;
}

}  // namespace record::detail

namespace record {
void check_spec(std::string_view spec) { detail::cached_spec(spec); }
}  // namespace record
