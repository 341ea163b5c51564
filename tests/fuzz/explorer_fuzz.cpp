// Fuzz target: the explorer's session as the page drives it. The input is a
// data file, then (after a NUL byte) one edit a line:
//   g<group><field>TEXT   a group value typed     (group: byte % 52 - 1, field: byte % 12)
//   c<field>TEXT          a condition typed       (field: byte % 16)
//   m<group>X Y           both coordinates of a group at once
//   p LEFT RIGHT COUNT    profiles over a range   (COUNT % 40)
//   u LENGTH SAG          the unknowns of a span solve
// and the text after the NUL read as a line handed to the span worker.
// Every call either succeeds or throws brenlow::Error and leaves the section
// as it was; a section accepted has finite gradients (the page draws them),
// and what reaches the page is plain JSON text and UTF-8 messages.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <string>
#include <string_view>

#include "explorer.hpp"
#include "line_text.hpp"
#include "span_panel.hpp"
#include "fuzz/fuzz_support.hpp"

namespace {

constexpr const char* group_fields[] = {"name", "type", "x", "y", "subconductors", "diameter",
                                        "spacing", "kv", "phase", "ka", "gradient", "colour"};
constexpr const char* condition_fields[] = {"wind", "rain", "altitude", "conductivity", "an_height", "ri_height",
                                            "tv_height", "oz_height", "ef_height", "mf_height", "ri_frequency",
                                            "tv_frequency", "given_gradients", "title1", "title2", "humidity"};

bool valid_utf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t size = lead < 0x80 ? 1 : lead >= 0xc2 && lead <= 0xdf ? 2 : lead >= 0xe0 && lead <= 0xef ? 3
                                                                          : lead >= 0xf0 && lead <= 0xf4 ? 4 : 0;
    if (size == 0 || i + size > text.size()) return false;
    for (std::size_t k = 1; k < size; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xc0) != 0x80) return false;
    }
    i += size;
  }
  return true;
}

// JSON as the page parses it: printable ASCII, every other byte escaped.
void check_json(const std::string& json) {
  for (const char c : json) {
    const auto byte = static_cast<unsigned char>(c);
    fuzz::check(byte >= 0x20 && byte < 0x7f, "JSON holds a raw byte:", json);
  }
}

// The session after an accepted call: gradients the page can draw.
void check_shown(const explorer::Session& session) {
  check_json(session.section_json());
  const std::string profiles = session.profiles_json(-60, 60, 5);
  check_json(profiles);
  const std::size_t gradients = profiles.find("\"gradients\":[");
  fuzz::check(gradients != std::string::npos, "profiles without gradients:", profiles);
  const std::size_t end = profiles.find(']', gradients);
  fuzz::check(profiles.substr(gradients, end - gradients).find("null") == std::string::npos,
              "a gradient the page cannot draw:", profiles);
}

// Runs one call; a refusal must leave the section as it was.
template <typename Call>
void attempt(explorer::Session& session, Call call) {
  const bool loaded = session.loaded();
  const std::string before = loaded ? session.section_json() : "";
  try {
    call();
  } catch (const brenlow::Error& e) {
    fuzz::check(valid_utf8(explorer::utf8_message(e.what())), "a message that is not UTF-8:", e.what());
    fuzz::check(session.loaded() == loaded && (!loaded || session.section_json() == before),
                "a refused call changed the section:", e.what());
    return;
  } catch (const std::exception& e) {
    fuzz::fail("a call failed with an unexpected exception:", e.what());
  }
  check_shown(session);
}

int index_of(char c, int count) { return static_cast<unsigned char>(c) % count; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::size_t split = input.find('\0');
  explorer::Session session;
  attempt(session, [&] { session.load(input.substr(0, split), "fuzz.dat"); });
  if (split == std::string::npos || !session.loaded()) return 0;
  std::size_t at = split + 1;
  for (int edits = 0; at < input.size() && edits < 64; ++edits) {
    std::size_t end = input.find('\n', at);
    if (end == std::string::npos) end = input.size();
    const std::string line = input.substr(at, end - at);
    at = end + 1;
    if (line.size() < 2) continue;
    const int group = index_of(line[1], 52) - 1;
    switch (line[0]) {
      case 'g':
        if (line.size() < 3) break;
        attempt(session, [&] { session.set_group(group, group_fields[index_of(line[2], 12)], line.substr(3)); });
        break;
      case 'c':
        attempt(session, [&] { session.set_condition(condition_fields[index_of(line[1], 16)], line.substr(2)); });
        break;
      case 'm': {
        const std::string rest = line.substr(2);
        const std::size_t space = rest.find(' ');
        attempt(session, [&] {
          session.move_group(group, rest.substr(0, space), space == std::string::npos ? "" : rest.substr(space + 1));
        });
        break;
      }
      case 'p': {
        char* next = nullptr;
        const double left = std::strtod(line.c_str() + 1, &next);
        const double right = std::strtod(next, &next);
        const long count = std::strtol(next, nullptr, 10) % 40;
        try {
          check_json(session.profiles_json(left, right, static_cast<int>(count)));
        } catch (const brenlow::Error&) {
        }
        break;
      }
      case 'u': {  // the cost of a span solve: a count, or a refusal
        char* next = nullptr;
        const double length = std::strtod(line.c_str() + 1, &next);
        const double sag = std::strtod(next, nullptr);
        try {
          explorer::span_unknowns(session.section(), length, sag);
        } catch (const brenlow::Error&) {
        }
        break;
      }
      default:
        break;
    }
  }
  // The line the span worker is handed reads back to the same line; any
  // other text is refused.
  const std::string text = explorer::line_text(session.section());
  fuzz::check(explorer::line_text(explorer::parse_line_text(text)) == text, "a line that does not read back:", text);
  try {
    explorer::parse_line_text(input.substr(split + 1));
  } catch (const brenlow::Error&) {
  }
  // What the page downloads reads back, or is refused with a message.
  attempt(session, [&] { session.load(session.data_file(), "again.dat"); });
  return 0;
}
