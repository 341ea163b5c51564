#pragma once
// A small XML 1.0 well-formedness check for the pictures the programs
// write: characters XML can carry, known entities, matched tags, unique
// attributes, one root. It also checks that every number in an attribute
// is finite, so a picture with "NaN" or "inf" coordinates fails too.

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace support {

namespace xml_detail {

// The next character of well-formed UTF-8, or -1.
inline long next_char(std::string_view s, std::size_t& i) {
  unsigned char c = static_cast<unsigned char>(s[i]);
  std::size_t n = c < 0x80 ? 1 : c >= 0xc2 && c < 0xe0 ? 2 : c >= 0xe0 && c < 0xf0 ? 3 : c >= 0xf0 && c < 0xf5 ? 4 : 0;
  if (n == 0 || i + n > s.size()) return -1;
  long v = n == 1 ? c : n == 2 ? c & 0x1f : n == 3 ? c & 0x0f : c & 0x07;
  for (std::size_t k = 1; k < n; ++k) {
    unsigned char d = static_cast<unsigned char>(s[i + k]);
    if ((d & 0xc0) != 0x80) return -1;
    v = v << 6 | (d & 0x3f);
  }
  const long least[] = {0, 0, 0x80, 0x800, 0x10000};
  if (v < least[n]) return -1;
  i += n;
  return v;
}

inline bool xml_char(long v) {
  return v == 0x9 || v == 0xa || v == 0xd || (v >= 0x20 && v <= 0xd7ff) || (v >= 0xe000 && v <= 0xfffd) ||
         (v >= 0x10000 && v <= 0x10ffff);
}

inline bool name_start(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_' || c == ':'; }
inline bool name_char(char c) {
  return name_start(c) || std::isdigit(static_cast<unsigned char>(c)) || c == '-' || c == '.';
}

// An entity or character reference at s[i] == '&'; moves past its ';'.
inline bool reference(std::string_view s, std::size_t& i) {
  std::size_t end = s.find(';', i);
  if (end == std::string_view::npos) return false;
  std::string_view ref = s.substr(i + 1, end - i - 1);
  i = end + 1;
  for (std::string_view known : {"amp", "lt", "gt", "quot", "apos"})
    if (ref == known) return true;
  if (ref.size() < 2 || ref[0] != '#') return false;
  bool hex = ref[1] == 'x';
  std::string digits(ref.substr(hex ? 2 : 1));
  if (digits.empty() || digits.size() > 8) return false;
  for (char c : digits)
    if (!(hex ? std::isxdigit(static_cast<unsigned char>(c)) : std::isdigit(static_cast<unsigned char>(c))))
      return false;
  return xml_char(std::strtol(digits.c_str(), nullptr, hex ? 16 : 10));
}

// Every number in an attribute value reads as a finite value.
inline bool finite_numbers(std::string_view value) {
  if (!value.empty() && value.front() == '#') return true;  // a colour: hex digits, "#3e4888" is no number
  for (std::string_view bad : {"nan", "NaN", "inf", "Inf", "INF"})
    if (value.find(bad) != std::string_view::npos) return false;
  std::string text(value);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) continue;
    char* end = nullptr;
    std::size_t start = i > 0 && (text[i - 1] == '-' || text[i - 1] == '.') ? i - 1 : i;
    double v = std::strtod(text.c_str() + start, &end);
    if (!std::isfinite(v)) return false;
    i = static_cast<std::size_t>(end - text.c_str());
  }
  return true;
}

}  // namespace xml_detail

// Empty when the text is a well-formed XML document with finite numbers in
// its attributes; otherwise what is wrong and where.
inline std::string xml_problem(std::string_view s) {
  using namespace xml_detail;
  const auto at = [&](std::size_t i, const std::string& what) { return what + " at byte " + std::to_string(i); };
  for (std::size_t i = 0; i < s.size();) {
    std::size_t from = i;
    long v = next_char(s, i);
    if (v < 0) return at(from, "malformed UTF-8");
    if (!xml_char(v)) return at(from, "character XML cannot carry (U+" + std::to_string(v) + ")");
  }
  std::size_t i = 0;
  if (s.substr(0, 5) == "<?xml") {
    i = s.find("?>");
    if (i == std::string_view::npos) return "unterminated XML declaration";
    i += 2;
  }
  std::vector<std::string> open;
  int roots = 0;
  while (i < s.size()) {
    if (s[i] == '&') {
      std::size_t from = i;
      if (open.empty() || !reference(s, i)) return at(from, "bad reference or text outside the root");
      continue;
    }
    if (s[i] != '<') {
      if (open.empty() && !std::isspace(static_cast<unsigned char>(s[i]))) return at(i, "text outside the root");
      ++i;
      continue;
    }
    if (s.substr(i, 4) == "<!--" || s.substr(i, 2) == "<?") {
      std::size_t end = s.find(s[i + 1] == '!' ? "-->" : "?>", i + 2);
      if (end == std::string_view::npos) return at(i, "unterminated comment");
      i = end + 2;
      continue;
    }
    if (s.substr(i, 2) == "</") {
      std::size_t start = i + 2, j = start;
      while (j < s.size() && name_char(s[j])) ++j;
      std::string name(s.substr(start, j - start));
      while (j < s.size() && std::isspace(static_cast<unsigned char>(s[j]))) ++j;
      if (j >= s.size() || s[j] != '>') return at(i, "bad end tag");
      if (open.empty() || open.back() != name) return at(i, "end tag </" + name + "> does not match");
      open.pop_back();
      i = j + 1;
      continue;
    }
    std::size_t j = i + 1;
    if (j >= s.size() || !name_start(s[j])) return at(i, "bad tag name");
    while (j < s.size() && name_char(s[j])) ++j;
    std::string name(s.substr(i + 1, j - i - 1));
    std::set<std::string> seen;
    for (;;) {
      std::size_t space = j;
      while (j < s.size() && std::isspace(static_cast<unsigned char>(s[j]))) ++j;
      if (j >= s.size()) return at(i, "unterminated tag");
      if (s[j] == '>' || s.substr(j, 2) == "/>") break;
      if (j == space || !name_start(s[j])) return at(j, "bad attribute");
      std::size_t a = j;
      while (j < s.size() && name_char(s[j])) ++j;
      std::string attribute(s.substr(a, j - a));
      if (!seen.insert(attribute).second) return at(a, "repeated attribute " + attribute);
      if (s.substr(j, 2) != "=\"" && s.substr(j, 2) != "='") return at(j, "attribute without a quoted value");
      char quote = s[j + 1];
      std::size_t end = s.find(quote, j + 2);
      if (end == std::string_view::npos) return at(j, "unterminated attribute value");
      std::string_view value = s.substr(j + 2, end - j - 2);
      for (std::size_t k = 0; k < value.size();) {
        if (value[k] == '<') return at(j, "'<' in an attribute value");
        if (value[k] == '&') {
          if (!reference(value, k)) return at(j, "bad reference in an attribute value");
        } else {
          ++k;
        }
      }
      if (!finite_numbers(value)) return at(j, "number not finite in " + attribute + "=\"" + std::string(value) + "\"");
      j = end + 1;
    }
    bool empty = s[j] == '/';
    if (open.empty() && ++roots > 1) return at(i, "more than one root element");
    if (!empty) open.push_back(name);
    i = j + (empty ? 2 : 1);
  }
  if (!open.empty()) return "element <" + open.back() + "> not closed";
  if (roots != 1) return "no root element";
  return {};
}

}  // namespace support
