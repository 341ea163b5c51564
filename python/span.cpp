// brenlow.Span: a cross section hung in sagging level spans, solved once by
// the engine, then E and B at any (x, along, height).
#include "span.hpp"

#include <pybind11/numpy.h>

#include <array>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "engine/engine.hpp"
#include "initialised.hpp"
#include "interpreter.hpp"
#include "parallel.hpp"
#include "section.hpp"
#include "table.hpp"
#include "values.hpp"

namespace py = pybind11;
using namespace pybind11::literals;

namespace brenlow_python {

namespace {

struct PySpan {
  std::shared_ptr<const brenlow::SpanEvaluation> run;
};

}  // namespace

}  // namespace brenlow_python

namespace pybind11::detail {
template <>
class type_caster<brenlow_python::PySpan> : public brenlow_python::initialised_caster<brenlow_python::PySpan> {};
}  // namespace pybind11::detail

namespace brenlow_python {

namespace {

PySpan make_span(const py::object& section, const py::object& length, const py::object& sag,
                 const py::object& earth_sag, int spans, int elements) {
  brenlow::CrossSection s = section_from_python(section);
  brenlow::Spans layout;
  layout.length = single_number(length, "length");
  layout.count = spans;
  layout.elements = elements;
  if (py::isinstance<py::str>(sag) || !py::isinstance<py::iterable>(sag)) {
    layout.sag = single_number(sag, "sag");
  } else {
    std::size_t i = 0;
    for (const auto& v : py::iterable(sag)) layout.group_sags.push_back(single_number(v, "sag[" + std::to_string(i++) + "]"));
    if (!earth_sag.is_none()) throw py::value_error("earth_sag with a sag for each group: give the earth wires' sags in sag");
  }
  if (!earth_sag.is_none()) layout.earth_sag = single_number(earth_sag, "earth_sag");
  // The solve takes seconds on a line of many groups: Ctrl-C ends it.
  const brenlow::StopCheck stop = interrupt_check();
  try {
    const ReleasedGil released;
    return PySpan{std::make_shared<const brenlow::SpanEvaluation>(s, layout, stop)};
  } catch (const brenlow::Stopped&) {
    raise_stopped();
  }
}

Table span_at(const PySpan& span, const py::object& x, const py::object& along, const py::object& height,
              const py::object& b_unit) {
  const cli::BUnit unit_of_b = b_unit_of(b_unit);
  const std::vector<FloatArray> points = checked_points({{"x", x, false}, {"along", along, false}, {"height", height, true}});
  const FloatArray &xs = points[0], &as = points[1], &hs = points[2];
  const std::vector<py::ssize_t> shape(xs.shape(), xs.shape() + xs.ndim());
  const std::size_t n = static_cast<std::size_t>(xs.size());
  std::vector<float> px(xs.data(), xs.data() + n), pa(as.data(), as.data() + n), ph(hs.data(), hs.data() + n);
  // A line of one kind: its field; a hybrid line: each part apart, the
  // columns named with _ac and _dc after e and b.
  const bool hybrid = span.run->cross_section().hybrid();
  const std::size_t sets = hybrid ? 2 : 1;
  std::vector<std::vector<brenlow::SpanField>> e(sets, std::vector<brenlow::SpanField>(n)), b = e;
  for (std::size_t k = 0; k < sets; ++k) {
    const brenlow::Part part = k == 0 ? brenlow::Part::ac : brenlow::Part::dc;
    const ReleasedGil released;
    const brenlow::SpanEvaluation& run = *span.run;
    parallel_for(n, [&](std::size_t begin, std::size_t end) {
      for (std::size_t i = begin; i < end; ++i) {
        e[k][i] = hybrid ? run.electric_field(px[i], pa[i], ph[i], part) : run.electric_field(px[i], pa[i], ph[i]);
        b[k][i] = hybrid ? run.magnetic_field(px[i], pa[i], ph[i], part) : run.magnetic_field(px[i], pa[i], ph[i]);
      }
    });
  }
  Table table("span fields");
  table.add("x", column(std::move(px), shape), "m");
  table.add("along", column(std::move(pa), shape), "m");
  table.add("height", column(std::move(ph), shape), "m");
  using F = brenlow::SpanField;
  struct Part {
    const char* suffix;
    float F::*member;
    bool angle;
  };
  const Part parts[] = {{"", &F::max, false},          {"_lateral", &F::lateral, false},
                        {"_lateral_phase", &F::lateral_phase, true}, {"_along", &F::along, false},
                        {"_along_phase", &F::along_phase, true},     {"_vertical", &F::vertical, false},
                        {"_vertical_phase", &F::vertical_phase, true}};
  const std::string b_label(cli::b_unit_label(unit_of_b));
  auto pick = [n](const std::vector<F>& v, float F::*member) {
    std::vector<float> values(n);
    for (std::size_t i = 0; i < n; ++i) values[i] = v[i].*member;
    return values;
  };
  for (std::size_t k = 0; k < sets; ++k) {
    const std::string kind = hybrid ? (k == 0 ? "_ac" : "_dc") : "";
    for (const Part& p : parts)
      table.add("e" + kind + p.suffix, column(pick(e[k], p.member), shape), p.angle ? "deg" : "kV/m");
    for (const Part& p : parts) {
      std::vector<float> values = pick(b[k], p.member);
      if (!p.angle) from_gauss(values, unit_of_b);
      table.add("b" + kind + p.suffix, column(std::move(values), shape), p.angle ? "deg" : b_label);
    }
  }
  return table;
}

const char* span_doc = R"(A cross section hung in a line of sagging level spans, in three dimensions.

Span(section, *, length, sag, earth_sag=None, spans=3, elements=0)

The section's heights are those at mid-span, the lowest point; the sag (m)
lifts each conductor's attachment points at the towers. sag is one number
for the phases and poles (earth_sag, when given, for the earth wires), or a
sequence of one sag per group. spans (odd) level spans of length m; the
middle one is evaluated, along measured from its first tower (0 at the
tower, length / 2 at mid-span). Conductors run on through the inner towers
and end at the outer ones; tower steel and insulators are not modelled.
elements per span: 0 chooses enough for 0.03 % near the ground.

The charges are solved once, here (brenlow.Error when refused); at() then
costs only the points asked for. The solve takes seconds on a line of many
groups: Ctrl-C ends it (KeyboardInterrupt).)";

const char* at_doc = R"(E and B at (x, along, height), m, broadcast together; at(x, along, height, *, b_unit="uT").

Returns a Table of float32 arrays in the broadcast shape: x, along,
height; e, e_lateral, e_lateral_phase, e_along, e_along_phase, e_vertical,
e_vertical_phase (kV/m, degrees); b, b_lateral, ... (b_unit: uT by
default, or "mG" or "G"; degrees).
e and b are the maxima of the field ellipses. Every position is within
1000 km of the line and every height 0 m or above (ValueError otherwise).
A hybrid line (AC phases and DC poles) has its two fields apart, never
added as phasors: e_ac, e_ac_lateral, ..., b_ac, ... for the AC phases',
e_dc, ..., b_dc, ... for the DC poles' static field.)";

}  // namespace

void bind_span(py::module_& m) {
  py::class_<PySpan> span(m, "Span", span_doc);
  span.def(py::init(&make_span), "section"_a, py::kw_only(), "length"_a, "sag"_a, "earth_sag"_a = py::none(),
           "spans"_a = 3, "elements"_a = 0, py::call_guard<LongCall>());
  span.def("at", &span_at, "x"_a, "along"_a, "height"_a, py::kw_only(), "b_unit"_a = "uT", at_doc, py::call_guard<LongCall>());
  span.def_property_readonly(
      "section", [](const PySpan& s) { return section_to_python(s.run->section()); }, "A copy of the section hung.");
  span.def_property_readonly(
      "length", [](const PySpan& s) { return s.run->spans().length; }, "Length of each span, m.");
  span.def_property_readonly(
      "spans", [](const PySpan& s) { return s.run->spans().count; }, "Spans in the line; the middle one is evaluated.");
  span.def_property_readonly(
      "sags",
      [](const PySpan& s) {
        py::list sags;
        for (const float v : s.run->sags()) sags.append(v);
        return sags;
      },
      "The sag of each group, m, in the section's order.");
  span.def_property_readonly(
      "elements", [](const PySpan& s) { return s.run->elements(); }, "Elements per span, as given or chosen.");
  span.def("__repr__", [](const PySpan& s) {
    return "<Span: " + std::to_string(s.run->spans().count) + " spans of " + float_text(s.run->spans().length) +
           " m, " + std::to_string(s.run->section().groups.size()) + " groups>";
  });
}

}  // namespace brenlow_python
