// The module's long work beside the interpreter's signals and its exit.
#include "interpreter.hpp"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stdexcept>

namespace py = pybind11;

namespace brenlow_python {

namespace {

// The long calls running, and whether the exit has begun: one record for
// the interpreter, as Python has one exit.
struct Running {
  std::mutex mutex;
  std::condition_variable idle;
  int calls = 0;
  std::atomic<bool> exiting{false};
};

Running& running() {
  static Running r;
  return r;
}

// The long calls of this thread under way (nested calls count once each).
thread_local int calls_here = 0;

// Called by atexit, the GIL held: no work releases the GIL from now on,
// long work stops, and the exit goes on once every long call has returned.
void wait_at_exit() {
  Running& r = running();
  r.exiting = true;
  py::gil_scoped_release released;
  std::unique_lock<std::mutex> lock(r.mutex);
  r.idle.wait(lock, [&r] { return r.calls == 0; });
}

}  // namespace

LongCall::LongCall() {
  Running& r = running();
  const std::lock_guard<std::mutex> lock(r.mutex);
  ++r.calls;
  ++calls_here;
}

LongCall::~LongCall() {
  Running& r = running();
  {
    const std::lock_guard<std::mutex> lock(r.mutex);
    --r.calls;
    --calls_here;
  }
  r.idle.notify_all();
}

ReleasedGil::ReleasedGil() {
  if (calls_here == 0) throw std::logic_error("the GIL released outside a long call of the module");
  if (!interpreter_exiting()) released_.emplace();
}

ReleasedGil::~ReleasedGil() = default;

bool interpreter_exiting() { return running().exiting.load(); }

brenlow::StopCheck interrupt_check() {
  return [last = std::chrono::steady_clock::now()]() mutable {
    if (interpreter_exiting()) return true;
    const auto now = std::chrono::steady_clock::now();
    if (now - last < std::chrono::milliseconds(50)) return false;
    last = now;
    py::gil_scoped_acquire held;
    return PyErr_CheckSignals() != 0;
  };
}

void raise_stopped() {
  if (PyErr_Occurred() != nullptr) throw py::error_already_set();
  throw std::runtime_error("the interpreter is exiting: the work was stopped");
}

void wait_for_work_at_exit() { py::module_::import("atexit").attr("register")(py::cpp_function(&wait_at_exit)); }

}  // namespace brenlow_python
