#include "cli/files.hpp"

#include <deque>
#include <filesystem>
#include <system_error>

#ifndef _WIN32
#include <sys/stat.h>
#endif

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
// slash: compared in the system's upper case, with its own separators. The
// wide characters' bytes make the key.
std::string comparable(fs::path path) {
  std::wstring text = path.make_preferred().native();
  if (!text.empty()) CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
  return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

// The volume and file index of an existing file, through its links; empty
// when it cannot be opened to ask.
std::string identity(const std::string& name) {
  const HANDLE file = CreateFileW(record::file_path(name).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  BY_HANDLE_FILE_INFORMATION info{};
  const bool known = GetFileInformationByHandle(file, &info) != 0;
  CloseHandle(file);
  if (!known) return {};
  return "id:" + std::to_string(info.dwVolumeSerialNumber) + ":" +
         std::to_string((static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow);
}
#else
std::string comparable(const fs::path& path) { return path.string(); }

std::string identity(const std::string& name) {
  struct stat info {};
  if (::stat(name.c_str(), &info) != 0) return {};
  return "id:" + std::to_string(static_cast<unsigned long long>(info.st_dev)) + ":" +
         std::to_string(static_cast<unsigned long long>(info.st_ino));
}
#endif

}  // namespace

std::string file_key(const std::string& name) {
  if (name.empty()) return {};
  std::error_code ec;
  if (fs::exists(record::file_path(name), ec)) {
    std::string id = identity(name);
    if (!id.empty()) return id;
  }
  return "path:" + comparable(resolved(name));
}

bool same_file(const std::string& output, const std::string& other) {
  if (output.empty() || other.empty()) return false;
  return file_key(output) == file_key(other);
}

std::string comparable_name(const std::string& name, bool case_blind) {
  if (!case_blind) return name;
#ifdef _WIN32
  return comparable(record::file_path(name));
#else
  std::string out = name;
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
#endif
}

}  // namespace cli
