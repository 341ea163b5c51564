#pragma once
// Progress of a long search on standard error, and Ctrl-C as a request to
// stop it: the search checks the request and ends with what it has found.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <ostream>
#include <string>

namespace study {

// A request to end one search early, set by whoever runs the search
// (Ctrl-C, a Python interrupt, a test) and read by the search as it works;
// each search has its own, so stopping one leaves the others running. The
// requests are counted: a search stopped while it scores still lists the
// best of what it scored, and a further request ends that listing too.
class StopFlag {
 public:
  bool requested() const { return requests() > 0; }
  unsigned requests() const { return count_.load(std::memory_order_relaxed); }
  void request() { count_.fetch_add(1, std::memory_order_relaxed); }
  void clear() { count_.store(0, std::memory_order_relaxed); }

 private:
  std::atomic<unsigned> count_{0};
  static_assert(std::atomic<unsigned>::is_always_lock_free, "a stop is requested from a signal handler");
};

// While it lives, SIGINT requests its stop instead of ending the program;
// the previous handler comes back when it goes. One at a time (the
// command's search).
class StopOnInterrupt {
 public:
  StopOnInterrupt();  // with the stop not requested
  ~StopOnInterrupt();
  StopOnInterrupt(const StopOnInterrupt&) = delete;
  StopOnInterrupt& operator=(const StopOnInterrupt&) = delete;
  const StopFlag& stop() const;

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
