// Output channels: console, files, the null device and strings.

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "format/file_system.hpp"
#include "format/render.hpp"
#include "format/windows_api.hpp"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

#include "format/console.hpp"
#endif

namespace record {

namespace {
enum class Channel { Console, File, Null, String };
const char* const console_name = "standard output";
}

struct Writer::State {
  Channel channel = Channel::Null;
  std::string name;
  std::FILE* file = nullptr;
  std::string* sink = nullptr;
  std::string buffer;    // reused for every statement
  bool started = false;  // a file is emptied when its first record is written
  int error = 0;         // first failure of a write, flush or close
  bool closed = false;
  bool console_window = false;  // Windows: standard output is a console window

  void fail(int code) {
    if (error == 0) error = code != 0 ? code : EIO;
  }

  // `names`: free-form strings, which hold the names the user gave (UTF-8),
  // not the code page 437 bytes of the formatted records.
  void emit(std::string_view bytes, [[maybe_unused]] bool names = false) {
    if (bytes.empty() || closed) return;
    switch (channel) {
      case Channel::Null:
        return;
      case Channel::String:
        sink->append(bytes);
        return;
      case Channel::File:
        if (!started) {
          started = true;
          // The file keeps its old content until this first record replaces it.
          std::error_code ec;
          const std::filesystem::path path = file_path(name);
          if (std::filesystem::is_regular_file(path, ec) && std::filesystem::file_size(path, ec) > 0) {
            std::filesystem::resize_file(path, 0, ec);
            if (ec) fail(ec.value());
          }
        }
        [[fallthrough]];
      case Channel::Console:
#ifdef _WIN32
        if (console_window) {
          write_console(bytes, names);
          return;
        }
#endif
        errno = 0;
        if (std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) fail(errno);
        return;
    }
  }

#ifdef _WIN32
  // A console window shows text in the code page it uses, the records hold
  // code page 437 bytes (the banner's blocks, the menus' boxes) and names in
  // UTF-8: written as UTF-16 characters they show right whatever that code
  // page is.
  void write_console(std::string_view bytes, bool names) {
    std::fflush(file);
    const std::wstring text = console_text(bytes, names);
    const HANDLE handle = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD written = 0;
    if (!WriteConsoleW(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
        written != text.size()) {
      fail(EIO);
    }
  }
#endif

  void flush() {
    if (closed || file == nullptr) return;
    errno = 0;
    if (std::fflush(file) != 0) fail(errno);
  }
};

Writer::Writer(std::unique_ptr<State> state) : state_(std::move(state)) {}
Writer::Writer(Writer&&) noexcept = default;
Writer& Writer::operator=(Writer&& other) noexcept {
  if (this != &other) {
    try {
      if (state_) close();
    } catch (...) {
    }
    state_ = std::move(other.state_);
  }
  return *this;
}
Writer::~Writer() {
  try {
    if (state_) close();
  } catch (...) {
    // Closing quietly: a caller that cares calls close() itself.
  }
}

Writer Writer::console() {
  // A closed standard output would hand its descriptor to the next file
  // opened, and the console lines would land in that file. Asking for the
  // position fails with EBADF only when the descriptor is closed.
  errno = 0;
  if (std::ftell(stdout) < 0 && errno == EBADF) throw FileError(std::string(console_name) + ": " + std::strerror(EBADF));
  auto s = std::make_unique<State>();
  s->channel = Channel::Console;
  s->name = console_name;
  s->file = stdout;
#ifdef _WIN32
  // The records end with CR LF themselves: no second CR from text mode.
  _setmode(_fileno(stdout), _O_BINARY);
  DWORD mode = 0;
  s->console_window = GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
#endif
  return Writer(std::move(s));
}

Writer Writer::file(const std::string& name) {
  if (is_null_device_name(name)) {
    Writer w = null();
    w.state_->name = name;
    return w;
  }
  // Append mode creates a missing file and leaves an existing one as it is.
  // Windows has the printer itself; every other device name is refused.
  std::FILE* f = is_printer_device_name(name) ? open_device_or_file(name, "ab") : open_file(name, "ab");
  auto s = std::make_unique<State>();
  s->channel = Channel::File;
  s->name = name;
  s->file = f;
  return Writer(std::move(s));
}

Writer Writer::null() {
  auto s = std::make_unique<State>();
  s->channel = Channel::Null;
  s->name = "NUL";
  return Writer(std::move(s));
}

Writer Writer::to_string(std::string* sink) {
  auto s = std::make_unique<State>();
  s->channel = Channel::String;
  s->name = "string";
  s->sink = sink;
  return Writer(std::move(s));
}

void Writer::write(std::string_view spec, std::span<const Item> items) {
  State& s = *state_;
  s.buffer.clear();
  detail::render_statement(detail::cached_spec(spec), items, s.buffer, nullptr, false);
  s.emit(s.buffer);
}

void Writer::prompt(std::string_view spec, std::initializer_list<Item> items) {
  State& s = *state_;
  s.buffer.clear();
  detail::render_statement(detail::cached_spec(spec), std::span<const Item>(items.begin(), items.size()), s.buffer,
                           nullptr, true);
  s.emit(s.buffer);
}

void Writer::write_list(std::initializer_list<std::string_view> strings) {
  State& s = *state_;
  s.buffer.assign(1, ' ');
  for (std::string_view text : strings) s.buffer.append(text);
  s.buffer.append("\r\n");
  s.emit(s.buffer, true);
}

void Writer::flush() { state_->flush(); }

void Writer::close() {
  State& s = *state_;
  if (s.closed) return;
  s.flush();
  if (s.channel == Channel::File) {
    errno = 0;
    if (std::fclose(s.file) != 0) s.fail(errno);
    s.file = nullptr;
  }
  s.closed = true;
  if (s.error != 0) throw FileError(s.name + ": " + std::strerror(s.error));
}

const std::string& Writer::name() const { return state_->name; }

}  // namespace record
