// Work over many points shared among the cores.
#include "parallel.hpp"

#include <algorithm>
#include <exception>
#include <system_error>
#include <thread>
#include <vector>

namespace brenlow_python {

void parallel_for(std::size_t n, const std::function<void(std::size_t, std::size_t)>& work) {
  const std::size_t min_chunk = 512;
  const std::size_t cores = std::max(1u, std::thread::hardware_concurrency());
  const std::size_t chunks = std::min(cores, std::max<std::size_t>(1, n / min_chunk));
  if (chunks <= 1) {
    work(0, n);
    return;
  }
  std::vector<std::thread> threads;
  std::vector<std::exception_ptr> errors(chunks);
  const std::size_t size = (n + chunks - 1) / chunks;
  std::size_t inline_from = n;
  for (std::size_t c = 1; c < chunks; ++c) {
    const std::size_t begin = std::min(n, c * size), end = std::min(n, begin + size);
    try {
      threads.emplace_back([&work, &errors, c, begin, end] {
        try {
          work(begin, end);
        } catch (...) {
          errors[c] = std::current_exception();
        }
      });
    } catch (const std::system_error&) {  // no thread to be had: do the rest here
      inline_from = begin;
      break;
    }
  }
  try {
    work(0, std::min(n, size));
    if (inline_from < n) work(inline_from, n);
  } catch (...) {
    errors[0] = std::current_exception();
  }
  for (auto& t : threads) t.join();
  for (const auto& e : errors) {
    if (e) std::rethrow_exception(e);
  }
}

}  // namespace brenlow_python
