#include "cli/files.hpp"

#include <filesystem>
#include <system_error>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

namespace cli {

namespace fs = std::filesystem;

namespace {

// Made absolute first: a relative name whose first part does not exist
// would otherwise stay relative and never meet "./name".
fs::path resolved(const std::string& name) {
  std::error_code ec;
  fs::path path = fs::absolute(name, ec);
  if (ec) return fs::path(name).lexically_normal();
  fs::path canonical = fs::weakly_canonical(path, ec);
  return ec ? path.lexically_normal() : canonical;
}

#ifdef _WIN32
// Windows names are blind to case ("LINE.DAT" is line.dat) and take either
// slash: compared in the system's upper case, with its own separators.
std::wstring comparable(fs::path path) {
  std::wstring text = path.make_preferred().native();
  if (!text.empty()) CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
  return text;
}
#else
const fs::path& comparable(const fs::path& path) { return path; }
#endif

}  // namespace

bool same_file(const std::string& output, const std::string& other) {
  if (output.empty() || other.empty()) return false;
  std::error_code ec;
  const bool output_exists = fs::exists(output, ec);
  const bool other_exists = fs::exists(other, ec);
  if (output_exists && other_exists) {
    const bool same = fs::equivalent(output, other, ec);
    return !ec && same;
  }
  return comparable(resolved(output)) == comparable(resolved(other));
}

}  // namespace cli
