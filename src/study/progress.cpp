#include "study/progress.hpp"

#include <unistd.h>

#include <csignal>
#include <cstdio>

namespace study {

namespace {

StopFlag interrupt_stop;

extern "C" void on_interrupt(int) { interrupt_stop.request(); }

}  // namespace

StopOnInterrupt::StopOnInterrupt() {
  interrupt_stop.clear();
  previous_ = std::signal(SIGINT, on_interrupt);
}

StopOnInterrupt::~StopOnInterrupt() {
  if (previous_ != SIG_ERR) std::signal(SIGINT, previous_);
}

const StopFlag& StopOnInterrupt::stop() const { return interrupt_stop; }

bool stderr_is_terminal() { return ::isatty(STDERR_FILENO) == 1; }

Progress::Progress(std::ostream& err, bool enabled, std::string what)
    : err_(err), enabled_(enabled), what_(std::move(what)), start_(std::chrono::steady_clock::now()), last_(start_) {}

void Progress::update(std::uint64_t done, std::uint64_t total) {
  if (!enabled_ || total == 0) return;
  const auto now = std::chrono::steady_clock::now();
  const double elapsed = std::chrono::duration<double>(now - start_).count();
  if (elapsed < 1.0 || now - last_ < std::chrono::milliseconds(200)) return;
  last_ = now;
  const double fraction = static_cast<double>(done) / static_cast<double>(total);
  char line[160];
  if (fraction > 0) {
    const double left = elapsed * (1 - fraction) / fraction;
    std::snprintf(line, sizeof line, "\r%s: %llu of %llu (%.0f %%), about %.0f s left  ", what_.c_str(),
                  static_cast<unsigned long long>(done), static_cast<unsigned long long>(total), 100 * fraction, left);
  } else {
    std::snprintf(line, sizeof line, "\r%s: starting  ", what_.c_str());
  }
  err_ << line << std::flush;
  shown_ = true;
}

void Progress::finish() {
  if (shown_) err_ << '\r' << std::string(78, ' ') << '\r' << std::flush;
  shown_ = false;
}

}  // namespace study
