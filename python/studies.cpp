// The design studies in Python: the best phasings, the smallest raise and
// the edge tables, as plain data (dicts, lists, numbers, sections, tables).
// The searches are tesk31-study's own; this file only carries the request
// in and the result out.
#include "studies.hpp"

#ifdef BRENLOW_PYTHON_STUDIES

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <limits>
#include <mutex>
#include <optional>
#include <thread>

#include "cli/threads.hpp"
#include "interpreter.hpp"
#include "study/height.hpp"
#include "study/phasing.hpp"
#include "study/progress.hpp"
#include "study/quantity.hpp"
#include "study/section_tools.hpp"
#include "section.hpp"
#include "table.hpp"

namespace py = pybind11;
using namespace pybind11::literals;

namespace brenlow_python {

namespace {

study::Quantity quantity_of(const py::handle& value) {
  const std::string text = py::str(value);
  if (auto q = study::parse_quantity(text)) return *q;
  throw py::value_error("unknown study quantity '" + text + "'; the quantities are " +
                        std::string(study::quantity_names()));
}

std::vector<study::Quantity> quantities_of(const py::object& value) {
  std::vector<study::Quantity> out;
  if (py::isinstance<py::str>(value)) {
    out.push_back(quantity_of(value));
  } else {
    for (const auto& q : py::iterable(value)) out.push_back(quantity_of(q));
  }
  if (out.empty()) throw py::value_error("no quantity given");
  return out;
}

// The lateral points, read in double precision so that a value beyond the
// float range is refused rather than turned into infinity.
std::vector<float> points_of(const py::object& at) {
  py::array_t<double, py::array::c_style | py::array::forcecast> xs =
      py::module_::import("numpy").attr("atleast_1d")(py::module_::import("numpy").attr("asarray")(at, "dtype"_a = "float64"));
  if (xs.ndim() != 1 || xs.size() == 0) throw py::value_error("at: give one or more lateral points, m");
  std::vector<float> out;
  for (py::ssize_t i = 0; i < xs.size(); ++i) {
    study::check_distance("at[" + std::to_string(i) + "]", xs.data()[i], study::LengthUnit{});
    out.push_back(static_cast<float>(xs.data()[i]));
  }
  return out;
}

std::vector<int> group_indices(const py::handle& value, std::size_t groups, const std::string& what) {
  std::vector<int> out;
  for (const auto& item : py::iterable(py::reinterpret_borrow<py::object>(value))) {
    const long long i = py::int_(py::reinterpret_borrow<py::object>(item));
    if (i < 0 || i >= static_cast<long long>(groups)) {
      throw py::value_error(what + ": group index " + std::to_string(i) + " is not one of the section's " +
                            std::to_string(groups) + " groups (0 to " + std::to_string(groups) + " - 1)");
    }
    out.push_back(static_cast<int>(i));
  }
  return out;
}

// Runs a search with the GIL released, on a thread of its own, while this
// thread watches for Ctrl-C (which Python delivers to its main thread only):
// an interrupt asks this search, and no other, to stop. The interrupt's
// exception comes back in `interrupt`, for the caller to raise once it has
// the result.
// The interpreter's exit stops the search too (and, with no thread to be
// had for it, the search runs on this thread, where only the exit stops it).
template <class Result, class Work>
Result interruptible(Work work, std::optional<py::error_already_set>& interrupt) {
  study::StopFlag stop;
  std::optional<Result> result;
  std::exception_ptr error;
  {
    const ReleasedGil released;
    std::mutex m;
    std::condition_variable finished;
    bool done = false;
    const auto search = [&](unsigned) {
      try {
        result.emplace(work(stop));
      } catch (...) {
        error = std::current_exception();
      }
      std::lock_guard<std::mutex> lock(m);
      done = true;
      finished.notify_one();
    };
    std::vector<std::thread> worker = cli::start_threads(1, search);
    if (worker.empty()) {
      while (interpreter_exiting() && stop.requests() < 2) stop.request();
      search(0);
    }
    std::unique_lock<std::mutex> lock(m);
    while (!finished.wait_for(lock, std::chrono::milliseconds(100), [&] { return done; })) {
      lock.unlock();
      // The exit ends the listing too: a second request.
      if (interpreter_exiting() && stop.requests() < 2) stop.request();
      {
        py::gil_scoped_acquire held;
        // A second Ctrl-C ends what the first left to do (the listing).
        if (PyErr_CheckSignals() != 0) {
          stop.request();
          if (interrupt) {
            PyErr_Clear();
          } else {
            interrupt.emplace();
          }
        }
      }
      lock.lock();
    }
    lock.unlock();
    for (std::thread& t : worker) t.join();
  }
  if (error) std::rethrow_exception(error);
  return std::move(*result);
}

// Raises the interrupt of a search, carrying what the search found before
// it stopped as its `result`.
[[noreturn]] void raise_interrupt(py::error_already_set& interrupt, const py::object& result) {
  try {
    interrupt.value().attr("result") = result;
  } catch (const py::error_already_set&) {
    // An exception that takes no attributes goes as it is.
  }
  throw interrupt;
}

// A quantity's values as shown: NaN for a level not computed.
py::array_t<float> shown_values(study::Quantity q, std::vector<float> values) {
  for (float& v : values) v = study::shown_value(q, v);
  return py::array_t<float>(values.size(), values.data());
}

py::dict values_by_quantity(const std::vector<study::Quantity>& qs, const std::vector<std::vector<float>>& values) {
  py::dict d;
  for (std::size_t q = 0; q < qs.size() && q < values.size(); ++q) {
    d[py::str(std::string(study::name(qs[q])))] = shown_values(qs[q], values[q]);
  }
  return d;
}

py::dict arrangement(const study::Ranked& r, const study::PhasingRequest& request) {
  py::list angles;
  for (const auto& circuit : request.circuits) {
    py::list a;
    for (int g : circuit) a.append(r.section.groups[static_cast<std::size_t>(g)].phase);
    angles.append(a);
  }
  py::dict scores;
  for (std::size_t q = 0; q < request.quantities.size() && q < r.scores.size(); ++q) {
    scores[py::str(std::string(study::name(request.quantities[q])))] = study::shown_value(request.quantities[q], r.scores[q]);
  }
  return py::dict("angles"_a = angles, "scores"_a = scores, "values"_a = values_by_quantity(request.quantities, r.values),
                  "section"_a = section_to_python(r.section), "number"_a = r.number);
}

const char* phasing_doc = R"(The best phasings: every assignment of each circuit's phase angles to its groups.

phasing(section, circuits, minimize, at, *, top=10, b_unit='uT', threads=0, time_limit=600)

circuits: for each circuit the indices (from 0) of its groups in
section.groups, AC and energized, none twice; minimize: a quantity or a
list of them, among E, E-RES, B, B-RES, AN, AN-FAIR, RI, RI-FAIR, TV, OZ
(any case; AN and RI are rain); at: the
lateral points (m) over which the largest value scores an arrangement.
Positions, voltages and currents stay; only the angles move. Arrangements
that differ by one relabelling applied to all circuits at once give the
same magnitudes everywhere and are counted once.

Returns a dict: total, distinct (counted once per relabelling),
relabellings, examined, stopped; front (True with two or more quantities:
listed then holds the arrangements no other beats on every quantity);
original and listed (best first), each a dict of angles (per circuit, per
group, degrees), scores (largest value per quantity), values (per quantity,
an array over the points: the engine's, for the section as a data file holds
it) and section (a CrossSection with those angles). B in b_unit (uT, mG or
G). top: at most 100,000. threads: the worker threads, 0 (one per core)
to 256; when the system refuses one, the search goes on with fewer. A
search whose time, estimated after its first second, passes time_limit (s)
is refused (brenlow.Error).

Ctrl-C stops this search (not those of other threads) and raises
KeyboardInterrupt; its `result` attribute holds the dict of what was
found before the stop (stopped True, examined the arrangements scored).)";

const char* height_doc = R"(The smallest common raise of some groups for which every limit holds at every point.

height(section, limits, at, *, groups=None, b_unit='uT')

limits: {quantity: largest value} (E in kV/m, B in b_unit, noise in dB);
at: lateral points, m (within 1,000 km of the line, as in every study);
groups: indices (from 0) of the groups to raise, none twice and at least
one (default None: every group, earth wires too). The raise is found to 1 cm (0.05 ft
for a section in English units), a field that first rises with height
included; a limit met already gives 0.

Returns a dict: found (False when no raise up to 1,000 m meets every limit),
raise (m), section (the raised CrossSection, as a data file holds it),
before and after (per quantity, an array over the points), evaluations.)";

const char* edges_doc = R"(Every quantity of each section at each point, and its largest surface gradient.

edges(sections, at, *, b_unit='uT')

sections: CrossSection objects (or one); at: lateral points, m. Returns a
Table, one row per section and point: section (its index), x (m), E,
E-RES, B, B-RES (resultants beside the ellipse maxima), AN, AN-FAIR,
RI (rain), RI-FAIR, TV, OZ (B in b_unit) and max_gradient (kV/cm, the
largest of the energized groups). A level not computed (TV from DC
bundles, noise where no pole is in corona) is NaN, here and in the other
studies' values and scores.)";

}  // namespace

void bind_studies(py::module_& m) {
  m.doc() = std::string(py::str(m.doc())) +
            "\nThe design studies of tesk31-study, returning plain data: phasing() (the best\n"
            "phasings), height() (the smallest raise meeting limits), edges() (every quantity\n"
            "of several sections at some points).\n";
  py::register_exception_translator([](std::exception_ptr p) {
    try {
      if (p) std::rethrow_exception(p);
    } catch (const study::StudyError& e) {
      py::object error = py::module_::import("brenlow").attr("Error");
      PyErr_SetString(error.ptr(), e.what());
    }
  });

  m.def(
      "phasing",
      [](const py::object& section, const py::iterable& circuits, const py::object& minimize, const py::object& at,
         std::size_t top, const std::string& b_unit, long long threads, double time_limit) {
        study::PhasingRequest request;
        request.section = section_from_python(section);
        std::size_t index = 0;
        for (const auto& c : circuits) {
          request.circuits.push_back(
              group_indices(c, request.section.groups.size(), "circuits[" + std::to_string(index++) + "]"));
        }
        request.quantities = quantities_of(minimize);
        request.at = points_of(at);
        request.b = b_unit_of(py::str(b_unit));
        if (top < 1 || top > study::max_top)
          throw py::value_error("top: from 1 to " + std::to_string(study::max_top) + " arrangements, not " +
                                std::to_string(top));
        if (!(time_limit > 0)) throw py::value_error("time_limit: a number of seconds above 0");
        if (threads < 0 || threads > static_cast<long long>(study::max_threads))
          throw py::value_error("threads: from 0 (one per core) to " + std::to_string(study::max_threads) + ", not " +
                                std::to_string(threads));
        request.top = top;
        request.threads = static_cast<unsigned>(threads);
        request.time_limit = time_limit;
        study::check_circuits(request.section, request.circuits);
        std::optional<py::error_already_set> interrupt;
        const study::PhasingResult r = interruptible<study::PhasingResult>(
            [&](const study::StopFlag& stop) {
              request.stop = &stop;
              return study::search_phasings(request, nullptr);
            },
            interrupt);
        py::list listed;
        for (const auto& ranked : r.listed) listed.append(arrangement(ranked, request));
        py::dict d("total"_a = r.total, "distinct"_a = r.distinct, "relabellings"_a = r.relabellings,
                   "examined"_a = r.examined, "stopped"_a = r.stopped, "front"_a = request.quantities.size() > 1,
                   "original"_a = arrangement(r.original, request), "listed"_a = listed);
        if (interrupt) raise_interrupt(*interrupt, d);
        return d;
      },
      "section"_a, "circuits"_a, "minimize"_a, "at"_a, py::kw_only(), "top"_a = 10, "b_unit"_a = "uT",
      "threads"_a = 0, "time_limit"_a = study::default_time_limit, phasing_doc, py::call_guard<LongCall>());

  m.def(
      "height",
      [](const py::object& section, const py::object& limits, const py::object& at, const py::object& groups,
         const std::string& b_unit) {
        study::HeightRequest request;
        request.section = section_from_python(section);
        if (!groups.is_none()) {
          request.groups = group_indices(groups, request.section.groups.size(), "groups");
          // An empty request.groups raises every group: an empty list given is refused.
          if (request.groups.empty())
            throw py::value_error("groups: the list names no group to raise (None raises every group)");
        }
        const py::dict d = py::isinstance<py::dict>(limits) ? py::dict(limits) : py::dict(py::module_::import("builtins").attr("dict")(limits));
        std::vector<study::Quantity> qs;
        for (const auto& [q, value] : d) {
          const double v = py::float_(py::reinterpret_borrow<py::object>(value));
          if (!std::isfinite(v) || std::fabs(v) > std::numeric_limits<float>::max())
            throw py::value_error("limits: the limit for " + std::string(py::str(q)) +
                                  " must be a finite number within the float range, not " +
                                  std::string(py::str(py::float_(v))));
          request.limits.push_back({quantity_of(q), static_cast<float>(v)});
          qs.push_back(request.limits.back().quantity);
        }
        if (request.limits.empty()) throw py::value_error("no limit given");
        request.at = points_of(at);
        request.b = b_unit_of(py::str(b_unit));
        std::optional<py::error_already_set> interrupt;
        const study::HeightResult r = interruptible<study::HeightResult>(
            [&](const study::StopFlag& stop) {
              request.stop = &stop;
              return study::search_height(request, nullptr);
            },
            interrupt);
        if (interrupt) raise_interrupt(*interrupt, py::dict("stopped"_a = true, "evaluations"_a = r.evaluations));
        const study::LengthUnit unit{request.section.english};
        // The raise in whole steps of the resolution, as the float's shortest text reads.
        py::object raise = r.found ? py::module_::import("builtins").attr("float")(float_text(unit.to_metres(r.raise)))
                                   : py::object(py::none());
        return py::dict("found"_a = r.found, "raise"_a = raise,
                        "section"_a = r.found ? section_to_python(r.raised) : py::object(py::none()),
                        "before"_a = values_by_quantity(qs, r.before),
                        "after"_a = r.found ? py::object(values_by_quantity(qs, r.after)) : py::object(py::none()),
                        "evaluations"_a = r.evaluations);
      },
      "section"_a, "limits"_a, "at"_a, py::kw_only(), "groups"_a = py::none(), "b_unit"_a = "uT", height_doc,
      py::call_guard<LongCall>());

  m.def(
      "edges",
      [](const py::object& sections, const py::object& at, const std::string& b_unit) {
        std::vector<brenlow::CrossSection> list;
        if (py::isinstance(sections, py::module_::import("brenlow").attr("CrossSection"))) {
          list.push_back(section_from_python(sections));
        } else {
          for (const auto& s : py::iterable(sections)) list.push_back(section_from_python(py::reinterpret_borrow<py::object>(s)));
        }
        const std::vector<float> xs = points_of(at);
        const study::BUnit b = b_unit_of(py::str(b_unit));
        const std::size_t rows = list.size() * xs.size();
        std::vector<long> section_index;
        std::vector<float> x, gradient;
        std::vector<std::vector<float>> values(study::all_quantities.size());
        {
          const ReleasedGil released;
          for (std::size_t s = 0; s < list.size(); ++s) {
            const brenlow::Evaluation run(list[s]);
            const float g = study::largest_gradient(run);
            for (const float p : xs) {
              const brenlow::Point point = run.point(p);
              section_index.push_back(static_cast<long>(s));
              x.push_back(p);
              for (std::size_t q = 0; q < study::all_quantities.size(); ++q) {
                values[q].push_back(study::value(run, point, study::all_quantities[q], b));
              }
              gradient.push_back(g);
            }
          }
        }
        Table table("edges");
        table.add("section", py::array_t<long>(rows, section_index.data()), "");
        table.add("x", py::array_t<float>(rows, x.data()), "m");
        for (std::size_t q = 0; q < study::all_quantities.size(); ++q) {
          table.add(std::string(study::name(study::all_quantities[q])), shown_values(study::all_quantities[q], values[q]),
                    std::string(study::unit_label(study::all_quantities[q], b)));
        }
        table.add("max_gradient", py::array_t<float>(rows, gradient.data()), "kV/cm");
        return table;
      },
      "sections"_a, "at"_a, py::kw_only(), "b_unit"_a = "uT", edges_doc, py::call_guard<LongCall>());
}

}  // namespace brenlow_python

#else

namespace brenlow_python {

void bind_studies(pybind11::module_&) {}  // built without the studies

}  // namespace brenlow_python

#endif
