// Threads started for one piece of work: a thread the system refuses ends
// the starting, and those already started run on.

#include <gtest/gtest.h>

#include <atomic>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#include "cli/threads.hpp"

namespace {

enum class Refusal { no_thread, no_memory };

// Starts threads as std::thread does until `allowed` have started, then
// fails as the system does when it has no more to give: no thread left
// (std::system_error) or no memory for the thread's state (std::bad_alloc).
cli::ThreadStart failing_after(unsigned allowed, Refusal refusal) {
  return [allowed, refusal, started = 0u](std::function<void()> work) mutable {
    if (started == allowed) {
      if (refusal == Refusal::no_memory) throw std::bad_alloc();
      throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    }
    ++started;
    return std::thread(std::move(work));
  };
}

TEST(StartThreads, ARefusedThreadLeavesThoseStartedRunning) {
  for (const Refusal refusal : {Refusal::no_thread, Refusal::no_memory}) {
    for (const unsigned allowed : {0u, 1u, 3u, 8u}) {
      std::vector<std::atomic<int>> ran(8);
      std::vector<std::thread> threads =
          cli::start_threads(8, [&ran](unsigned i) { ++ran[i]; }, failing_after(allowed, refusal));
      EXPECT_EQ(threads.size(), allowed);
      for (std::thread& t : threads) t.join();
      for (unsigned i = 0; i < 8; ++i)
        EXPECT_EQ(ran[i].load(), i < allowed ? 1 : 0) << static_cast<int>(refusal) << " " << allowed << " " << i;
    }
  }
}

}  // namespace
