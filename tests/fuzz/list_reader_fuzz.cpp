// Fuzz target: free-form value lists of the data file, several statements in
// a row over one text, mixed with the title and option reads, with and
// without the end-of-file outcome. A failed read must end in a ReadError
// with one of the known messages; a read that succeeds must leave every
// real finite.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.hpp"
#include "format/record.hpp"

namespace {

struct Fields {
  std::int16_t i16[4] = {7, 7, 7, 7};
  std::int32_t i32 = 7;
  float f[9] = {1, 1, 1, 1, 1, 1, 1, 1, 1};
  char c1[1], c3[3], c8[8], c45[45], c72[72];
};

constexpr int shape_count = 9;

// One statement of the given shape; returns what read_list returned (true
// for the formatted reads) and the number of items it asked for.
bool read_statement(record::Reader& in, Fields& v, int shape, bool eof_outcome, std::size_t& items) {
  switch (shape) {
    case 0:  // general data: four counts and options, four reals
      items = 8;
      return in.read_list({&v.i16[0], &v.i16[1], &v.i16[2], &v.i16[3], &v.f[0], &v.f[1], &v.f[2], &v.f[3]},
                          eof_outcome);
    case 1:  // heights and frequencies
      items = 9;
      return in.read_list({&v.f[0], &v.f[1], &v.f[2], &v.f[3], &v.f[4], &v.f[5], &v.f[6], &v.f[7], &v.f[8]},
                          eof_outcome);
    case 2:  // a conductor group
      items = 11;
      return in.read_list({std::span<char>(v.c8), std::span<char>(v.c1), &v.f[0], &v.f[1], &v.i16[0], &v.f[2],
                           &v.f[3], &v.f[4], &v.f[5], &v.f[6], &v.f[7]},
                          eof_outcome);
    case 3:  // a lateral point group
      items = 3;
      return in.read_list({&v.i16[0], &v.f[0], &v.f[1]}, eof_outcome);
    case 4:  // every kind of item
      items = 5;
      return in.read_list({&v.i32, std::span<char>(v.c3), &v.f[0], std::span<char>(v.c45), &v.i16[1]}, eof_outcome);
    case 5:
      items = 1;
      return in.read_list({&v.i16[2]}, eof_outcome);
    case 6:
      items = 1;
      return in.read_list({std::span<char>(v.c72)}, eof_outcome);
    case 7:  // a title line
      items = 1;
      in.read("(A72)", std::span<char>(v.c72));
      return true;
    default:  // the option line
      items = 1;
      in.read("(A45)", std::span<char>(v.c45));
      return true;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The first bytes choose the statements (shape, and the end-of-file
  // outcome in the top bit); the rest is the file.
  constexpr std::size_t script_length = 6;
  const std::size_t script = size < script_length ? size : script_length;
  std::string text(reinterpret_cast<const char*>(data) + script, size - script);
  record::Reader in = record::Reader::from_string(std::move(text), "FUZZ.DAT");
  Fields v;
  bool at_end = false;
  for (std::size_t k = 0; k < script; ++k) {
    const int shape = data[k] % shape_count;
    const bool eof_outcome = (data[k] & 0x80) != 0;
    std::size_t items = 0;
    try {
      const bool complete = read_statement(in, v, shape, eof_outcome, items);
      // Once the end is reached no record appears again.
      fuzz::check(!(at_end && complete), "a read succeeded after the end of the file");
      if (!complete) {
        fuzz::check(eof_outcome, "read_list returned false without the end-of-file outcome");
        at_end = true;
      }
      for (float f : v.f) fuzz::check(std::isfinite(f), "a real read as infinity or not-a-number");
    } catch (const record::ReadError& e) {
      const long item = fuzz::read_message_item(e.what());
      fuzz::check(item >= 0, "unknown read message:", e.what());
      fuzz::check(item <= static_cast<long>(items), "item number beyond the statement:", e.what());
      fuzz::check(e.where().find("FUZZ.DAT") != std::string::npos, "read error does not name the file:", e.where());
      fuzz::check(!(eof_outcome && shape < 7 && std::string(e.what()) == "End of file"),
                  "End of file thrown by a read with the end-of-file outcome");
      return 0;  // the run would end here
    }
  }
  return 0;
}
