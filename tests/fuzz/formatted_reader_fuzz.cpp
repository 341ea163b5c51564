// Fuzz target: the formatted reads of the program, one record each: titles
// (A72), the option line (A45), the short character fields (A8, A1), menu
// and count answers (I1, I2, I3), real answers (F8.0) and file names (A,
// the whole record). A character field must hold the record's first bytes,
// blank-padded; a file name the whole record; an integer must fit its
// field's digits; a real must be finite.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_support.hpp"
#include "format/record.hpp"

namespace {

struct Read {
  std::string_view spec;
  int width;
  char kind;  // 'A', 'I', 'F', or 'S' (a string of any length)
};

constexpr Read reads[] = {
    {"(A72)", 72, 'A'}, {"(A45)", 45, 'A'}, {"(A8)", 8, 'A'}, {"(A1)", 1, 'A'},
    {"(I1)", 1, 'I'},   {"(I2)", 2, 'I'},   {"(I3)", 3, 'I'}, {"(F8.0)", 8, 'F'},
    {"(A)", 0, 'S'},
};
constexpr int read_count = sizeof reads / sizeof reads[0];

// The records of the text as a file holds them: up to each line feed, a
// carriage return before it dropped.
std::string record_at(std::string_view text, std::size_t& next) {
  const std::size_t end = text.find('\n', next);
  std::string record(text.substr(next, end == std::string_view::npos ? std::string_view::npos : end - next));
  next = end == std::string_view::npos ? text.size() : end + 1;
  if (end != std::string_view::npos && !record.empty() && record.back() == '\r') record.pop_back();
  return record;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The first bytes choose the reads; the rest is the file.
  constexpr std::size_t script_length = 8;
  const std::size_t script = size < script_length ? size : script_length;
  const std::string text(reinterpret_cast<const char*>(data) + script, size - script);
  record::Reader in = record::Reader::from_string(text, "ANSWERS.TXT");
  std::size_t next = 0;
  for (std::size_t k = 0; k < script; ++k) {
    const Read& r = reads[data[k] % read_count];
    const bool more = next < text.size();
    const std::string record = more ? record_at(text, next) : std::string();
    try {
      if (r.kind == 'A') {
        char field[72];
        std::fill_n(field, 72, '\x01');
        in.read(r.spec, std::span<char>(field, static_cast<std::size_t>(r.width)));
        fuzz::check(more, "a record read past the end of the text");
        std::string expected = record.substr(0, static_cast<std::size_t>(r.width));
        expected.resize(static_cast<std::size_t>(r.width), ' ');
        fuzz::check(std::string_view(field, static_cast<std::size_t>(r.width)) == expected,
                    "character field is not the record's first bytes:", record);
      } else if (r.kind == 'S') {
        std::string name = "old";
        in.read(r.spec, &name);
        fuzz::check(more, "a record read past the end of the text");
        fuzz::check(name == record, "file name is not the whole record:", record);
      } else if (r.kind == 'I') {
        std::int16_t value = 0x5a5a;
        in.read(r.spec, &value);
        fuzz::check(more, "a record read past the end of the text");
        const int largest = r.width == 1 ? 9 : r.width == 2 ? 99 : 999;
        const int smallest = r.width == 1 ? 0 : -(largest / 10);
        fuzz::check(value >= smallest && value <= largest, "integer outside its field's digits:", record);
      } else {
        float value = 12345.0f;
        in.read(r.spec, &value);
        fuzz::check(more, "a record read past the end of the text");
        fuzz::check(std::isfinite(value), "a real read as infinity or not-a-number:", record);
      }
    } catch (const record::ReadError& e) {
      const std::string message = e.what();
      if (!more) {
        fuzz::check(message == "End of file", "the end of the text gave:", message);
      } else {
        fuzz::check(message == (r.kind == 'I' ? "Bad value during integer read" : "Bad value during floating point read")
                        && r.kind != 'A' && r.kind != 'S',
                    "unexpected failure of a formatted read:", message);
      }
      fuzz::check(e.where().find("ANSWERS.TXT") != std::string::npos, "read error does not name the file:", e.where());
      return 0;
    }
  }
  return 0;
}
