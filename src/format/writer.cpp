// Output channels: console, files, the null device and strings.

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "format/render.hpp"

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

  void fail(int code) {
    if (error == 0) error = code != 0 ? code : EIO;
  }

  void emit(std::string_view bytes) {
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
          if (std::filesystem::is_regular_file(name, ec) && std::filesystem::file_size(name, ec) > 0) {
            std::filesystem::resize_file(name, 0, ec);
            if (ec) fail(ec.value());
          }
        }
        [[fallthrough]];
      case Channel::Console:
        errno = 0;
        if (std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) fail(errno);
        return;
    }
  }

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
  return Writer(std::move(s));
}

Writer Writer::file(const std::string& name) {
  if (name == "NUL") {
    Writer w = null();
    w.state_->name = name;
    return w;
  }
  // Append mode creates a missing file and leaves an existing one as it is.
  errno = 0;
  std::FILE* f = std::fopen(name.c_str(), "ab");
  if (f == nullptr) {
    const int code = errno != 0 ? errno : ENOENT;
    throw FileError(name + ": " + std::strerror(code));
  }
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
  s.emit(s.buffer);
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
