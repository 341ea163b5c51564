#include "driver/run_files.hpp"

#include <cstdlib>
#include <filesystem>
#include <random>
#include <system_error>
#include <utility>

#include "cli/files.hpp"
#include "format/file_system.hpp"

namespace driver {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view printer_device = "PRN";

#ifdef _WIN32
// Windows has the printer itself.
constexpr bool system_printer = true;
#else
// Elsewhere the print file is handed to the print spooler.
constexpr bool system_printer = false;
#endif

bool is_device(const std::string& name) {
  return record::is_null_device_name(name) || record::is_printer_device_name(name);
}

bool spooler_available() {
  return std::system(nullptr) != 0 && std::system("command -v lp >/dev/null 2>&1") == 0;
}

// A fresh name for the temporary copy of a PRN channel.
std::string spool_file_name() {
  std::random_device random;
  std::error_code ec;
  fs::path dir = fs::temp_directory_path(ec);
  if (ec) dir = ".";
  for (;;) {
    fs::path candidate = fs::absolute(dir / ("tesk31-prn-" + std::to_string(random()) + ".txt"), ec);
    if (!fs::exists(candidate, ec)) return record::name_of(candidate);
  }
}

std::string shell_quoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace

void refuse_unusable_name(const FileName& name) {
  const std::string& text = name.str();
  if (text.find('\0') != std::string::npos) {
    std::string shown;
    for (char c : text) shown += c == '\0' ? std::string("\\0") : std::string(1, c);
    throw record::FileError(shown + ": a file name cannot hold a NUL byte");
  }
  // Looking the name up tells whether the system takes it; only its
  // refusal for length matters here, a missing file is the opening's affair.
  std::error_code ec;
  static_cast<void>(fs::status(record::file_path(text), ec));
  if (ec == std::errc::filename_too_long) throw record::FileError(text + ": " + ec.message());
  // NUL and PRN alone are the devices meant; "com1.prt" would send the
  // print file to a serial port.
  if (!is_device(text)) record::refuse_device_name(text);
#ifdef _WIN32
  // Windows takes no part of a name longer than 255 characters, but says
  // only that such a file is missing, and a DIF file is not always opened.
  for (const fs::path& part : record::file_path(text)) {
    if (part.native().size() > 255) throw record::FileError(text + ": File name too long");
  }
#endif
}

void read_file_name(record::Reader& keyboard, FileName& name) {
  std::string answer;
  keyboard.read("(A)", &answer);
  name = answer;
  refuse_unusable_name(name);
}

OutputFile::OutputFile(record::Writer writer) : writer_(std::move(writer)) {}

OutputFile::OutputFile(OutputFile&& other) noexcept
    : writer_(std::move(other.writer_)), spool_path_(std::exchange(other.spool_path_, {})) {
  other.writer_.reset();
}

OutputFile& OutputFile::operator=(OutputFile&& other) noexcept {
  if (this != &other) {
    OutputFile old(std::move(*this));
    writer_ = std::move(other.writer_);
    other.writer_.reset();
    spool_path_ = std::exchange(other.spool_path_, {});
  }
  return *this;
}

OutputFile::~OutputFile() {
  // A run that ends early still hands its printout to the spooler.
  if (spool_path_.empty()) return;
  const std::string path = spool_path_;
  try {
    close();
  } catch (...) {
    std::error_code ec;
    fs::remove(record::file_path(path), ec);
  }
}

OutputFile OutputFile::open(const std::string& name) {
  if (!record::is_printer_device_name(name) || system_printer) return OutputFile(record::Writer::file(name));
  if (!spooler_available()) throw record::FileError(name + ": no print spooler (lp) is installed");
  const std::string path = spool_file_name();
  OutputFile file(record::Writer::file(path));
  file.spool_path_ = path;
  return file;
}

void OutputFile::close() {
  if (!writer_) return;
  writer_->close();
  if (!spool_path_.empty()) spool();
}

void OutputFile::spool() {
  const std::string path = std::exchange(spool_path_, {});
  // The path is absolute, so lp cannot take it for an option.
  const std::string command = "lp -s " + shell_quoted(path) + " >/dev/null 2>&1";
  const int status = std::system(command.c_str());
  std::error_code ec;
  fs::remove(record::file_path(path), ec);
  if (status != 0) throw record::FileError(std::string(printer_device) + ": the print spooler (lp) refused the print file");
}

void refuse_same_file(std::string_view output_role, const FileName& output, std::string_view other_role,
                      const FileName& other) {
  const std::string &output_name = output.str(), &other_name = other.str();
  if (is_device(output_name) || is_device(other_name) || !cli::same_file(output_name, other_name)) return;
  throw RunRefused(std::string(output_role) + " \"" + output_name + "\" is the same file as the " +
                   std::string(other_role) + " \"" + other_name + "\": refused");
}

}  // namespace driver
