#pragma once
// The parsed form of a format specification: a flat list of elements in
// which a group is bracketed by GroupStart/GroupEnd. Parsed once per text
// and kept in a cache for the rest of the run.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace record::detail {

enum class Op : std::uint8_t {
  Text,        // literal bytes (quoted or counted text)
  Skip,        // nX
  Slash,       // record end
  Scale,       // kP
  Int,         // Iw, Iw.m
  Fixed,       // Fw.d
  Exponent,    // Ew.d
  Chars,       // Aw (w = 0: the item's length)
  GroupStart,  // r( ...
  GroupEnd,    // )
};

struct Element {
  explicit Element(Op kind) : op(kind) {}
  Op op;
  std::uint32_t repeat = 1;  // repeat count; for GroupStart the group count
  std::uint32_t w = 0;       // width, skip count, scale factor
  std::uint32_t d = 0;       // decimals (F, E) or minimum digits (I)
  bool has_m = false;        // Iw.m given
  std::uint32_t link = 0;    // GroupStart: index of its GroupEnd; GroupEnd: of its GroupStart
  std::string text;          // Text bytes

  bool is_data() const { return op == Op::Int || op == Op::Fixed || op == Op::Exponent || op == Op::Chars; }
};

struct Spec {
  std::vector<Element> elements;
  // Where format reversion resumes: the GroupStart of the last top-level
  // group, or 0 when there is none.
  std::size_t reversion = 0;
  bool has_data = false;
};

// Parses a specification; throws std::invalid_argument when malformed.
Spec parse_spec(std::string_view text);

// The cached parse of `text` (parsed on first use).
const Spec& cached_spec(std::string_view text);

}  // namespace record::detail
