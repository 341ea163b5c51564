#pragma once
// What the programs take from the system and give back to it on the
// command line: their arguments, and the console streams. On Windows both
// carry names as UTF-16, which the programs hold as UTF-8 (the file layer,
// format/file_system.hpp, turns them back into the system's names).

#include <cstdio>
#include <memory>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

// The command-line arguments after the program's name. On Windows they are
// taken from the system's UTF-16 command line and given as UTF-8, so that
// a name outside the ANSI code page (Cyrillic, say) reaches the program
// whole; elsewhere they are argv as given.
std::vector<std::string> arguments(int argc, char** argv);

// What a console window's UTF-16 characters typed in `chunk` give as UTF-8
// bytes: each CR LF a LF, nothing from a Ctrl-Z on (`ended` is then set).
// A CR or a first surrogate at the end waits in `carry` for the next chunk.
std::string utf8_of_typed(std::u16string_view chunk, std::u16string& carry, bool& ended);

// An output stream's bytes to a C stream, keeping why the first write
// failed (by the end of a run errno tells something else). On Windows, when
// the stream is a console window, the bytes are shown as their characters
// (record::console_characters: UTF-8, and code page 437 for bytes that are
// not) whatever the console's code page; to a file or a pipe they go as
// they are.
class ConsoleBuffer : public std::streambuf {
 public:
  explicit ConsoleBuffer(std::FILE* stream);
  ~ConsoleBuffer() override;
  int error = 0;
  // Writes what is held; false when a write failed.
  bool finish() { return sync() == 0; }

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* s, std::streamsize n) override;
  int sync() override;

 private:
  bool put(const char* s, std::size_t n);
  bool show(bool all);
  std::FILE* stream_;
  bool window_ = false;  // a console window (Windows)
  std::string held_;     // bytes of a console window not shown yet
};

// For the life of a program's main: on Windows, standard output and error
// that are console windows show names as their characters (ConsoleBuffer),
// and standard input that is a console window is read as UTF-16 and given
// as UTF-8, so that a name typed at a prompt names its file. Elsewhere, or
// redirected to files and pipes, the streams are left as they are.
class ConsoleStreams {
 public:
  ConsoleStreams();
  ~ConsoleStreams();
  ConsoleStreams(const ConsoleStreams&) = delete;
  ConsoleStreams& operator=(const ConsoleStreams&) = delete;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace cli
