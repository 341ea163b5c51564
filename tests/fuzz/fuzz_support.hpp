#pragma once
// Shared by the fuzz targets: the messages a failed read may carry, and a
// hard stop that the fuzzer and the corpus replay both report as a crash.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>

namespace fuzz {

[[noreturn]] inline void fail(const char* what, std::string_view detail = {}) {
  std::fprintf(stderr, "fuzz check failed: %s %.*s\n", what, static_cast<int>(detail.size()), detail.data());
  std::abort();
}

inline void check(bool ok, const char* what, std::string_view detail = {}) {
  if (!ok) fail(what, detail);
}

// The item number of a failed read's message: 0 for the fixed messages, the
// number (from 1) for the numbered list-input messages, -1 for any other text.
inline long read_message_item(const std::string& message) {
  static constexpr std::string_view fixed[] = {"End of file", "Bad value during integer read",
                                               "Bad value during floating point read"};
  for (std::string_view m : fixed) {
    if (message == m) return 0;
  }
  static constexpr std::pair<std::string_view, std::string_view> numbered[] = {
      {"Bad integer for item ", " in list input"},
      {"Bad real number in item ", " of list input"},
      {"Integer overflow while reading item ", ""},
      {"Zero repeat count in item ", " of list input"},
  };
  for (const auto& [head, tail] : numbered) {
    if (message.size() <= head.size() + tail.size()) continue;
    if (message.compare(0, head.size(), head) != 0) continue;
    if (message.compare(message.size() - tail.size(), tail.size(), tail) != 0) continue;
    const std::string_view number(message.data() + head.size(), message.size() - head.size() - tail.size());
    if (number.front() == '0' || number.size() > 9) return -1;
    long value = 0;
    for (char c : number) {
      if (c < '0' || c > '9') return -1;
      value = value * 10 + (c - '0');
    }
    return value;
  }
  return -1;
}

}  // namespace fuzz
