#pragma once
// The module's long work beside the interpreter: computations run with the
// GIL released, Ctrl-C heard while they run, and the interpreter's exit
// waiting for them. Python ends a thread that takes the GIL once the
// interpreter is finalizing; a thread inside the module then unwinds through
// C++ frames that cannot be unwound so (std::terminate, or objects freed
// twice). So the exit first asks every long call to stop and waits until
// each has returned to Python, and from then on no work releases the GIL.
#include <pybind11/pybind11.h>

#include <optional>

#include "engine/engine.hpp"

namespace brenlow_python {

// One call of the module's long work, counted while it runs: the exit
// waits for every one to return. Each function that releases the GIL is
// bound with py::call_guard<LongCall>().
class LongCall {
 public:
  LongCall();
  ~LongCall();
  LongCall(const LongCall&) = delete;
  LongCall& operator=(const LongCall&) = delete;
};

// Releases the GIL while it lives, unless the interpreter is exiting (then
// the work runs holding it). Only within a LongCall (std::logic_error
// otherwise: a function bound without its guard).
class ReleasedGil {
 public:
  ReleasedGil();
  ~ReleasedGil();
  ReleasedGil(const ReleasedGil&) = delete;
  ReleasedGil& operator=(const ReleasedGil&) = delete;

 private:
  std::optional<pybind11::gil_scoped_release> released_;
};

// True once the interpreter has begun to exit: long work stops.
bool interpreter_exiting();

// The stop of a long computation run on the caller's thread with the GIL
// released: the interpreter exiting, or a signal whose handler raised
// (Ctrl-C: KeyboardInterrupt). Signals are checked at most every 50 ms,
// holding the GIL only then; the handler's exception stays set for
// raise_stopped().
brenlow::StopCheck interrupt_check();
// After brenlow::Stopped, the GIL held: raises the signal handler's
// exception, or RuntimeError when the interpreter's exit stopped the work.
[[noreturn]] void raise_stopped();

// Makes the interpreter's exit wait for the module's work (atexit).
void wait_for_work_at_exit();

}  // namespace brenlow_python
