#pragma once
// Worker threads the programs and the module start for one piece of work.
// The system may refuse a thread (memory, a limit on threads): the work then
// goes on with the threads already started, fewer or none, instead of ending
// the program (an exception past joinable threads would abort it). Header only: the explorer's build, which has no threads,
// never includes it.

#include <functional>
#include <new>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace cli {

// How a thread is started: std::thread's own way, or a test's that fails.
using ThreadStart = std::function<std::thread(std::function<void()>)>;

inline std::thread start_thread(std::function<void()> work) { return std::thread(std::move(work)); }

// Starts `count` threads running work(i), i from 0, by `start`; at the first
// the system refuses (std::system_error, or std::bad_alloc for the thread's
// state) it starts no more. Returns the
// threads running, perhaps fewer than asked or none: the caller joins them
// and does the work that none took.
inline std::vector<std::thread> start_threads(unsigned count, const std::function<void(unsigned)>& work,
                                              const ThreadStart& start = start_thread) {
  std::vector<std::thread> threads;
  threads.reserve(count);
  for (unsigned i = 0; i < count; ++i) {
    try {
      threads.push_back(start([work, i] { work(i); }));
    } catch (const std::system_error&) {
      break;
    } catch (const std::bad_alloc&) {
      break;
    }
  }
  return threads;
}

}  // namespace cli
