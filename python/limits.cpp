// A section judged against a limit set (brenlow.comply) and the sets
// shipped with the module: the limits library's own check, its rows
// carried out as a Table.
#include "limits.hpp"

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <cmath>

#include "interpreter.hpp"
#include "limits/comply.hpp"
#include "section.hpp"
#include "table.hpp"
#include "values.hpp"

namespace py = pybind11;
using namespace pybind11::literals;

namespace brenlow_python {

namespace {

const char* comply_doc = R"(Whether a section meets each limit of a limit set.

comply(section, limits, edge, *, frequency=60, b_unit='uT')

limits: the name of a set shipped with the module (see limit_sets()) or the
path of a set file (TOML, as the manual's limits page describes); edge: the
right-of-way's edges, X (at -X and X) or (left, right), m; frequency: of
the AC phases, 50 or 60 Hz. Each limit is judged at the edges (the larger
of the two), within the right-of-way or anywhere (the largest value, found
on a fine grid and refined to better than 0.1 %).

Returns a Table, one row per limit of the set: quantity, judged (what was
computed: E-AC for a hybrid line's AC field, ...), where, frequency, class
(the voltage class that applied), limit and value (in unit: kV/m, B in
b_unit, dB), unit, x (m), at, margin (value / limit; value - limit for a
level in dB, whose margin_unit is "dB", "ratio" otherwise), result ("PASS",
"FAIL" or "N/A"), reason (why a limit does not apply), source, line_kv and
line_frequency. A limit that does not apply has NaN as its value, x and
margin, and is never a pass. to_frame() gives a pandas DataFrame.)";

limits::Edges edges_of(const py::object& edge) {
  limits::Edges e;
  if (py::isinstance<py::str>(edge) || py::isinstance<py::bytes>(edge))
    throw py::type_error("edge: a number X (edges at -X and X) or a pair (left, right), m, not a str");
  if (PyNumber_Check(edge.ptr())) {
    const float x = single_number(edge, "edge");
    if (!(x > 0)) throw py::value_error("edge: X puts the edges at -X and X, so X must be above 0, not " + float_text(x));
    e = {-x, x};
  } else {
    const py::tuple pair = py::tuple(py::iterable(edge));
    if (pair.size() != 2) throw py::value_error("edge: a number X or a pair (left, right), not " + std::to_string(pair.size()) + " values");
    e = {single_number(pair[0], "edge[0]"), single_number(pair[1], "edge[1]")};
  }
  return e;
}

py::array strings(const std::vector<std::string>& values) {
  py::list list;
  for (const std::string& v : values) list.append(text_to_python(v));
  return py::module_::import("numpy").attr("array")(list, "dtype"_a = "object");
}

py::array numbers(const std::vector<double>& values) { return py::array_t<double>(values.size(), values.data()); }

}  // namespace

void bind_limits(py::module_& m) {
  py::register_exception_translator([](std::exception_ptr p) {
    try {
      if (p) std::rethrow_exception(p);
    } catch (const limits::LimitError& e) {
      py::object error = py::module_::import("brenlow").attr("Error");
      PyErr_SetString(error.ptr(), e.what());
    }
  });

  m.def("limit_sets", &limits::shipped_set_names, "The names of the limit sets shipped with the module.");

  m.def(
      "comply",
      [](const py::object& section, const py::object& limit_set, const py::object& edge, const py::object& frequency,
         const py::object& b_unit) {
        const brenlow::CrossSection s = section_from_python(section);
        const std::string name = py::isinstance<py::str>(limit_set) ? text_from_python(limit_set, "limits")
                                                                     : path_from_python(limit_set);
        const limits::Edges edges = edges_of(edge);
        limits::ComplyOptions options;
        options.frequency = whole_number(frequency, "frequency");
        if (options.frequency != 50 && options.frequency != 60)
          throw py::value_error("frequency: 50 or 60 (Hz), not " + std::to_string(options.frequency));
        options.b = b_unit_of(b_unit);
        limits::Compliance c;
        {
          const ReleasedGil released;
          c = limits::comply(s, limits::limit_set(name), edges, options);
        }
        std::vector<std::string> quantity, judged, where, freq, klass, unit, at, margin_unit, result, reason, source;
        std::vector<double> limit, value, x, margin, kv, hz;
        for (const limits::Row& r : c.rows) {
          const bool applies = r.verdict != limits::Verdict::not_applicable;
          const double nan = std::nan("");
          quantity.emplace_back(limits::name(r.limit.quantity));
          judged.emplace_back(applies ? limits::name(r.evaluated) : "");
          where.emplace_back(limits::where_name(r.limit.where));
          freq.emplace_back(limits::frequency_name(r.limit.frequency));
          klass.push_back(r.voltage_class);
          limit.push_back(r.limit_value);
          value.push_back(applies ? r.value : nan);
          unit.push_back(r.unit);
          x.push_back(applies ? r.x : nan);
          at.push_back(r.at);
          margin.push_back(applies ? r.margin : nan);
          margin_unit.emplace_back(r.margin_db ? "dB" : "ratio");
          result.emplace_back(limits::verdict_name(r.verdict));
          reason.push_back(r.reason);
          source.push_back(r.limit.source);
          kv.push_back(c.line_kv);
          hz.push_back(c.frequency);
        }
        Table table("compliance");
        table.add("quantity", strings(quantity), "");
        table.add("judged", strings(judged), "");
        table.add("where", strings(where), "");
        table.add("frequency", strings(freq), "");
        table.add("class", strings(klass), "");
        table.add("limit", numbers(limit), "");
        table.add("value", numbers(value), "");
        table.add("unit", strings(unit), "");
        table.add("x", numbers(x), "m");
        table.add("at", strings(at), "");
        table.add("margin", numbers(margin), "");
        table.add("margin_unit", strings(margin_unit), "");
        table.add("result", strings(result), "");
        table.add("reason", strings(reason), "");
        table.add("source", strings(source), "");
        table.add("line_kv", numbers(kv), "kV");
        table.add("line_frequency", numbers(hz), "Hz");
        return table;
      },
      "section"_a, "limits"_a, "edge"_a, py::kw_only(), "frequency"_a = 60, "b_unit"_a = "uT", comply_doc,
      py::call_guard<LongCall>());
}

}  // namespace brenlow_python
