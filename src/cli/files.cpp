#include "cli/files.hpp"

#include <deque>
#include <filesystem>
#include <system_error>

#include "format/file_system.hpp"
#include "format/windows_api.hpp"

namespace cli {

namespace fs = std::filesystem;

namespace {

// As many links as the system follows in one name before it gives up.
constexpr int most_links = 40;

// The absolute path a file written under `name` lands at: every link
// followed, a dangling one too (its target is where the write goes), and
// ".", ".." taken away. Made absolute first: a relative name whose first
// part does not exist would otherwise stay relative and never meet
// "./name". A name whose links go round in a loop is left as written.
fs::path resolved(const std::string& name) {
  std::error_code ec;
  const fs::path path = fs::absolute(record::file_path(name), ec);
  if (ec) return record::file_path(name).lexically_normal();
  const fs::path relative = path.relative_path();
  std::deque<fs::path> parts(relative.begin(), relative.end());
  fs::path out = path.root_path();
  int links = 0;
  while (!parts.empty()) {
    const fs::path part = parts.front();
    parts.pop_front();
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      out = out.parent_path();
      continue;
    }
    const fs::path next = out / part;
    if (!fs::is_symlink(fs::symlink_status(next, ec))) {
      out = next;
      continue;
    }
    const fs::path target = fs::read_symlink(next, ec);
    if (ec || ++links > most_links) return path.lexically_normal();
    if (target.is_absolute()) out = target.root_path();
    const fs::path rest = target.relative_path();
    parts.insert(parts.begin(), rest.begin(), rest.end());
  }
  return out;
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
  const fs::path output_path = record::file_path(output), other_path = record::file_path(other);
  const bool output_exists = fs::exists(output_path, ec);
  const bool other_exists = fs::exists(other_path, ec);
  if (output_exists && other_exists) {
    const bool same = fs::equivalent(output_path, other_path, ec);
    return !ec && same;
  }
  return comparable(resolved(output)) == comparable(resolved(other));
}

}  // namespace cli
