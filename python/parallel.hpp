#pragma once
// Work over many points shared among the cores.
#include <cstddef>
#include <functional>

namespace brenlow_python {

// Runs work(begin, end) over [0, n) on every core when n is large; the
// work must be safe to run on several threads at once.
void parallel_for(std::size_t n, const std::function<void(std::size_t, std::size_t)>& work);

}  // namespace brenlow_python
