#pragma once
// The files of one run: the console channels, the print file, the data
// file, the save-data file and the DIF file, with the device names "NUL"
// (discard) and "PRN" (the print spooler) and the refusal to write over
// the data being read.

#include <functional>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>

#include "model/file_name.hpp"
#include "format/record.hpp"

namespace driver {

// A run refused: before it could do harm (an output file that is the data
// file), or after the listing of a data file that failed its checks. Ends
// the run with status 2.
class RunRefused : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Throws record::FileError naming the file and the reason when the system
// cannot take `name` as a file name at all (longer than its path limits,
// or holding a NUL byte, which would make it name another file), or, on
// Windows, when it is a device name other than NUL and PRN alone (CON,
// AUX, COM1, lpt1.prt, ...). Asks the system without opening or creating
// anything.
void refuse_unusable_name(const FileName& name);

// A file name typed at a prompt: the whole answer line, never cut, checked
// by refuse_unusable_name.
void read_file_name(record::Reader& keyboard, FileName& name);

// An output channel of the run. "PRN" writes a temporary file that close()
// hands to the print spooler (lp); every other name goes to the record
// layer ("NUL" is the null device).
class OutputFile {
 public:
  OutputFile() = default;  // not open
  explicit OutputFile(record::Writer writer);
  OutputFile(OutputFile&& other) noexcept;
  OutputFile& operator=(OutputFile&& other) noexcept;
  ~OutputFile();

  // Throws record::FileError naming the file and the reason.
  static OutputFile open(const std::string& name);

  bool is_open() const { return writer_.has_value(); }
  record::Writer& writer() { return *writer_; }
  // Flushes and closes (a PRN file goes to the spooler); nothing when not
  // open. Throws record::FileError naming the file.
  void close();

 private:
  void spool();
  std::optional<record::Writer> writer_;
  std::string spool_path_;  // temporary file of a PRN channel
};

// Throws RunRefused naming both files when `output` would overwrite `other`
// (cli::same_file). Device names and blank names are never the same file.
void refuse_same_file(std::string_view output_role, const FileName& output, std::string_view other_role,
                      const FileName& other);

// The channels of a run. The console channels belong to the caller; the
// files are opened as the run goes and closed at its end.
struct RunFiles {
  RunFiles(record::Writer& console_out, record::Reader& console_in)
      : console(console_out), keyboard(console_in) {}

  record::Writer& console;
  record::Reader& keyboard;
  OutputFile print;
  std::optional<record::Reader> data;
  OutputFile save;
  OutputFile dif;
  // Where warnings about the data go (the error stream); none when null.
  std::ostream* warnings = nullptr;
  // How output files are opened; runs held in memory replace it.
  std::function<OutputFile(const std::string&)> open_output = OutputFile::open;
};

}  // namespace driver
