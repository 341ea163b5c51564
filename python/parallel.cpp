// Work over many points shared among the cores.
#include "parallel.hpp"

#include <algorithm>
#include <exception>
#include <thread>
#include <vector>

#include "cli/threads.hpp"

namespace brenlow_python {

void parallel_for(std::size_t n, const std::function<void(std::size_t, std::size_t)>& work) {
  const std::size_t min_chunk = 512;
  const std::size_t cores = std::max(1u, std::thread::hardware_concurrency());
  const std::size_t chunks = std::min(cores, std::max<std::size_t>(1, n / min_chunk));
  if (chunks <= 1) {
    work(0, n);
    return;
  }
  std::vector<std::exception_ptr> errors(chunks);
  const std::size_t size = (n + chunks - 1) / chunks;
  const auto chunk = [&](std::size_t c) {
    try {
      const std::size_t begin = std::min(n, c * size);
      work(begin, std::min(n, begin + size));
    } catch (...) {
      errors[c] = std::current_exception();
    }
  };
  // Chunk 0 here, one thread for each of the others; the chunks of the
  // threads the system would not give are done here too.
  std::vector<std::thread> threads =
      cli::start_threads(static_cast<unsigned>(chunks - 1), [&chunk](unsigned i) { chunk(i + 1); });
  chunk(0);
  for (std::size_t c = threads.size() + 1; c < chunks; ++c) chunk(c);
  for (auto& t : threads) t.join();
  for (const auto& e : errors) {
    if (e) std::rethrow_exception(e);
  }
}

}  // namespace brenlow_python
