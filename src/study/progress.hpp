#pragma once
// Progress of a long search on standard error, and Ctrl-C as a request to
// stop it: the search checks the request and ends with what it has found.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <ostream>
#include <string>

namespace study {

// True once Ctrl-C was pressed while a StopOnInterrupt was in force.
bool stop_requested();
// Forgets an earlier request (a new search starts).
void clear_stop_request();
// Asks a running search to stop, as Ctrl-C does (tests use it).
void request_stop();

// While it lives, SIGINT sets the stop request instead of ending the
// program; the previous handler comes back when it goes.
class StopOnInterrupt {
 public:
  StopOnInterrupt();
  ~StopOnInterrupt();
  StopOnInterrupt(const StopOnInterrupt&) = delete;
  StopOnInterrupt& operator=(const StopOnInterrupt&) = delete;

 private:
  void (*previous_)(int);
};

// A line "what: 12345 of 46656 (26 %), about 3 s left" rewritten in place,
// shown only when enabled (standard error is a terminal) and only once the
// work has run for a second.
class Progress {
 public:
  Progress(std::ostream& err, bool enabled, std::string what);
  void update(std::uint64_t done, std::uint64_t total);
  // Clears the line if one was shown.
  void finish();

 private:
  std::ostream& err_;
  bool enabled_;
  std::string what_;
  std::chrono::steady_clock::time_point start_, last_;
  bool shown_ = false;
};

// True when standard error is a terminal.
bool stderr_is_terminal();

}  // namespace study
