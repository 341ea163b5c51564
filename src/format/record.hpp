#pragma once
// The record layer: every line the program writes or reads goes through
// here. A format specification such as "(1X,A8,4X,F9.2)" is parsed once
// and cached; a formatted write renders items under it into records; a
// formatted read takes one item from one record; the free-form (list)
// reader takes value lists from the data file. Every record written ends
// with CR LF; strings are bytes and pass through unchanged.

#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <istream>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace record {

// A value handed to a formatted write.
using Item = std::variant<std::int16_t, std::int32_t, float, std::string_view>;

// Where a read stores its value: an integer, a real, the bytes of a
// fixed-length character field (filled and blank-padded in place), or a
// string of any length ("(A)" gives it the rest of the record, never cut).
using Target = std::variant<std::int16_t*, std::int32_t*, float*, std::span<char>, std::string*>;

// A read that failed. what() is the exact message ("End of file",
// "Bad real number in item 3 of list input", ...); where() locates the
// statement ("file LINE.DAT, record 7" or "console").
class ReadError : public std::runtime_error {
 public:
  ReadError(const std::string& message, std::string where)
      : std::runtime_error(message), where_(std::move(where)) {}
  const std::string& where() const { return where_; }
  // What was being read, in the terms of the file's layout ("conductor
  // group 7 of 7"), when the caller knows it; empty otherwise.
  const std::string& context() const { return context_; }
  void set_context(std::string context) { context_ = std::move(context); }

 private:
  std::string where_;
  std::string context_;
};

// A file that could not be opened, created, written or closed. what() names
// the file and the system's reason.
class FileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Renders one write statement under a format specification into its
// records, without line ends. A specification is parsed on first use and
// cached.
std::vector<std::string> render(std::string_view spec, std::span<const Item> items);
inline std::vector<std::string> render(std::string_view spec, std::initializer_list<Item> items = {}) {
  return render(spec, std::span<const Item>(items.begin(), items.size()));
}

// Parses a specification without rendering it; throws std::invalid_argument
// for a text that is not a specification of the notation.
void check_spec(std::string_view spec);

// An output channel: the console, a file, the null device, or a string
// (for tests).
class Writer {
 public:
  // Standard output. Throws FileError when it is closed; a write to it
  // that fails (a full device) makes close() throw, like a file's.
  static Writer console();
  // Opens a file for writing: created when missing; an existing file keeps
  // its content until the first record written replaces it. "NUL" is the
  // null device; on Windows "PRN" is the printer and every other device
  // name is refused (file_system.hpp). Throws FileError.
  static Writer file(const std::string& name);
  // Discards everything.
  static Writer null();
  // Appends every byte written to *sink (which must outlive the writer).
  static Writer to_string(std::string* sink);

  Writer(Writer&&) noexcept;
  Writer& operator=(Writer&&) noexcept;
  ~Writer();

  // Formatted write: one or more records, the last one ended.
  void write(std::string_view spec, std::span<const Item> items);
  void write(std::string_view spec, std::initializer_list<Item> items = {}) {
    write(spec, std::span<const Item>(items.begin(), items.size()));
  }
  // Prompt write: like write, but the last record is left open; the next
  // write continues it.
  void prompt(std::string_view spec, std::initializer_list<Item> items = {});
  // Free-form write of strings: one record, a leading blank, then the
  // strings one after another at their full length.
  void write_list(std::initializer_list<std::string_view> strings);

  void flush();
  // Flushes and closes; throws FileError naming the file when any write or
  // the close failed (a full disk, say). Closing twice does nothing.
  void close();
  const std::string& name() const;

 private:
  struct State;
  explicit Writer(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

// An input channel: the console, a data file, or a string (for tests).
class Reader {
 public:
  // Standard input. `prompts` (may be null) is flushed before every read.
  static Reader console(Writer* prompts);
  // Any stream as the console (for tests).
  static Reader console(std::istream& in, Writer* prompts);
  // An existing file; throws FileError naming the file and the reason (a
  // device name of Windows too).
  static Reader file(const std::string& name);
  // Text as a file called `name` (for tests and fuzzing).
  static Reader from_string(std::string text, std::string name);

  Reader(Reader&&) noexcept;
  Reader& operator=(Reader&&) noexcept;
  ~Reader();

  // Formatted read of one item from the next record, under a specification
  // with one data element ("(A72)", "(I1)", "(F8.0)"). An A element without
  // a width takes as many characters as its item holds; into a string, the
  // whole rest of the record. Throws ReadError.
  void read(std::string_view spec, Target item);

  // Free-form read of the items from the next record onward. Returns true
  // when every item got its value (or a slash ended the list). At the end
  // of the input: returns false when `end_of_file_outcome` is set, else
  // throws ReadError("End of file").
  bool read_list(std::initializer_list<Target> items, bool end_of_file_outcome = false);

  void close();
  const std::string& name() const;

 private:
  struct State;
  explicit Reader(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

}  // namespace record
