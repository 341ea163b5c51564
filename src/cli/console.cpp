#include "cli/console.hpp"

#include <cerrno>
#include <iostream>
#include <string_view>

#include "format/console.hpp"
#include "format/file_system.hpp"
#include "format/windows_api.hpp"

#ifdef _WIN32
#include <io.h>
#include <shellapi.h>
#endif

namespace cli {

namespace {

#ifdef _WIN32
HANDLE handle_of(std::FILE* stream) {
  const int descriptor = _fileno(stream);
  return descriptor < 0 ? INVALID_HANDLE_VALUE : reinterpret_cast<HANDLE>(_get_osfhandle(descriptor));
}

bool is_console_window(std::FILE* stream) {
  DWORD mode = 0;
  const HANDLE handle = handle_of(stream);
  return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
}

// Standard input of a console window, read as UTF-16 and given as UTF-8.
class ConsoleInput : public std::streambuf {
 public:
  explicit ConsoleInput(HANDLE handle) : handle_(handle) {}

 protected:
  int_type underflow() override {
    while (gptr() == egptr()) {
      if (ended_) return traits_type::eof();
      wchar_t chunk[1024];
      DWORD got = 0;
      if (!ReadConsoleW(handle_, chunk, 1024, &got, nullptr) || got == 0) {
        ended_ = true;
        text_ = utf8_of_typed(u"", carry_, ended_);
      } else {
        text_ = utf8_of_typed(std::u16string(chunk, chunk + got), carry_, ended_);
      }
      setg(text_.data(), text_.data(), text_.data() + text_.size());
    }
    return traits_type::to_int_type(*gptr());
  }

 private:
  HANDLE handle_;
  std::u16string carry_;
  std::string text_;
  bool ended_ = false;
};
#endif

// The bytes at the end of `text` that begin a UTF-8 sequence whose rest has
// not come yet.
std::size_t unfinished_sequence(std::string_view text) {
  for (std::size_t back = 1; back <= 3 && back <= text.size(); ++back) {
    const auto byte = static_cast<unsigned char>(text[text.size() - back]);
    if ((byte & 0xC0) == 0x80) continue;
    const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC2 ? 2 : 1;
    return length > back ? back : 0;
  }
  return 0;
}

}  // namespace

std::string utf8_of_typed(std::u16string_view chunk, std::u16string& carry, bool& ended) {
  std::u16string text = carry + std::u16string(chunk);
  carry.clear();
  // A line end typed is CR LF; the records want LF. Ctrl-Z ends the input.
  const std::size_t stop = text.find(u'\x1A');
  if (stop != std::u16string::npos) {
    text.erase(stop);
    ended = true;
  }
  if (!ended && !text.empty() && (text.back() == u'\r' || (text.back() >= 0xD800 && text.back() <= 0xDBFF))) {
    carry = text.back();  // the LF or the low surrogate to come
    text.pop_back();
  }
  std::u16string lines;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')) lines += text[i];
  return record::utf8_of_utf16(lines);
}

std::vector<std::string> arguments(int argc, char** argv) {
#ifdef _WIN32
  int count = 0;
  if (LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i) {
      const std::wstring_view arg(wide[i]);
      args.push_back(record::utf8_of_utf16(std::u16string(arg.begin(), arg.end())));
    }
    LocalFree(wide);
    return args;
  }
#endif
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + (argc > 0 ? argc : 0));
}

ConsoleBuffer::ConsoleBuffer(std::FILE* stream) : stream_(stream) {
#ifdef _WIN32
  window_ = is_console_window(stream);
#endif
}

ConsoleBuffer::~ConsoleBuffer() { sync(); }

ConsoleBuffer::int_type ConsoleBuffer::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  const char ch = traits_type::to_char_type(c);
  return put(&ch, 1) ? c : traits_type::eof();
}

std::streamsize ConsoleBuffer::xsputn(const char* s, std::streamsize n) {
  return put(s, static_cast<std::size_t>(n)) ? n : 0;
}

int ConsoleBuffer::sync() {
  if (error == 0 && !show(true)) return -1;
  if (error != 0) return -1;
  errno = 0;
  if (std::fflush(stream_) != 0) error = errno != 0 ? errno : EIO;
  return error != 0 ? -1 : 0;
}

bool ConsoleBuffer::put(const char* s, std::size_t n) {
  if (error != 0) return false;
  if (window_) {
    held_.append(s, n);
    return std::string_view(s, n).find('\n') == std::string_view::npos || show(false);
  }
  errno = 0;
  if (std::fwrite(s, 1, n, stream_) != n) error = errno != 0 ? errno : EIO;
  return error == 0;
}

bool ConsoleBuffer::show(bool all) {
  if (held_.empty()) return true;
  const std::size_t keep = all ? 0 : unfinished_sequence(held_);
#ifdef _WIN32
  const std::wstring text = record::console_text(std::string_view(held_).substr(0, held_.size() - keep), true);
  DWORD written = 0;
  if (!text.empty() &&
      (!WriteConsoleW(handle_of(stream_), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
       written != text.size()))
    error = EIO;
#endif
  held_.erase(0, held_.size() - keep);
  return error == 0;
}

struct ConsoleStreams::State {
#ifdef _WIN32
  std::unique_ptr<ConsoleBuffer> out, err;
  std::unique_ptr<ConsoleInput> in;
  std::streambuf* old_out = nullptr;
  std::streambuf* old_err = nullptr;
  std::streambuf* old_in = nullptr;
#endif
};

ConsoleStreams::ConsoleStreams() : state_(std::make_unique<State>()) {
#ifdef _WIN32
  State& s = *state_;
  if (is_console_window(stdout)) {
    s.out = std::make_unique<ConsoleBuffer>(stdout);
    s.old_out = std::cout.rdbuf(s.out.get());
  }
  if (is_console_window(stderr)) {
    s.err = std::make_unique<ConsoleBuffer>(stderr);
    s.old_err = std::cerr.rdbuf(s.err.get());
  }
  if (is_console_window(stdin)) {
    s.in = std::make_unique<ConsoleInput>(handle_of(stdin));
    s.old_in = std::cin.rdbuf(s.in.get());
  }
#endif
}

ConsoleStreams::~ConsoleStreams() {
#ifdef _WIN32
  State& s = *state_;
  if (s.out) {
    std::cout.flush();
    std::cout.rdbuf(s.old_out);
  }
  if (s.err) {
    std::cerr.flush();
    std::cerr.rdbuf(s.old_err);
  }
  if (s.in) std::cin.rdbuf(s.old_in);
#endif
}

}  // namespace cli
