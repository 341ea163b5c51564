// brenlow.IonFlow: the ion flow of a cross section, solved once by the
// engine, then the nominal and total field, the ion current and the space
// charge at the ground at any lateral points, and each pole's summary.
#include "ion_flow.hpp"

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "engine/engine.hpp"
#include "initialised.hpp"
#include "section.hpp"
#include "table.hpp"
#include "values.hpp"

namespace py = pybind11;
using namespace pybind11::literals;

namespace brenlow_python {

namespace {

struct PyIonFlow {
  std::shared_ptr<const brenlow::IonFlowEvaluation> flow;
};

}  // namespace

}  // namespace brenlow_python

namespace pybind11::detail {
template <>
class type_caster<brenlow_python::PyIonFlow> : public brenlow_python::initialised_caster<brenlow_python::PyIonFlow> {};
}  // namespace pybind11::detail

namespace brenlow_python {

namespace {

// One number for every pole, or a sequence of one per pole.
std::vector<double> pole_values(const py::object& values, const std::string& what) {
  std::vector<double> out;
  if (values.is_none()) return out;
  if (py::isinstance<py::str>(values) || !py::isinstance<py::iterable>(values)) return {number(values, what)};
  std::size_t i = 0;
  for (const auto& v : py::iterable(values)) out.push_back(number(v, what + "[" + std::to_string(i++) + "]"));
  return out;
}

PyIonFlow make_ion_flow(const py::object& section, const py::object& roughness, const py::object& air_density,
                        const py::object& onset_gradient, const py::object& onset_voltage,
                        const py::object& mobility_positive, const py::object& mobility_negative, int lines,
                        const std::string& method, const py::object& wind, const py::object& recombination,
                        const py::object& element_size) {
  const brenlow::CrossSection s = section_from_python(section);
  brenlow::IonFlowConditions c;
  c.roughness = number(roughness, "roughness");
  if (!air_density.is_none()) c.air_density = number(air_density, "air_density");
  c.onset_gradients = pole_values(onset_gradient, "onset_gradient");
  c.onset_voltages = pole_values(onset_voltage, "onset_voltage");
  if (!c.onset_gradients.empty() && !c.onset_voltages.empty())
    throw py::value_error("give onset_gradient or onset_voltage, not both");
  c.mobility_positive = number(mobility_positive, "mobility_positive");
  c.mobility_negative = number(mobility_negative, "mobility_negative");
  c.lines = lines;
  if (method == "full") c.method = brenlow::IonFlowMethod::full;
  else if (method != "flux-tracing") throw py::value_error("method: 'flux-tracing' or 'full', not '" + method + "'");
  if (!wind.is_none()) c.wind = number(wind, "wind");
  if (!recombination.is_none()) c.recombination = number(recombination, "recombination");
  if (!element_size.is_none()) c.element_size = number(element_size, "element_size");
  PyIonFlow result;
  {
    py::gil_scoped_release released;
    result.flow = std::make_shared<const brenlow::IonFlowEvaluation>(s, c);
  }
  for (const std::string& w : result.flow->warnings()) warn(w);
  return result;
}

Table ion_flow_profile(const PyIonFlow& f, const py::object& x) {
  const FloatArray xs = float_array(x);
  const std::vector<py::ssize_t> shape(xs.shape(), xs.shape() + xs.ndim());
  const std::size_t n = static_cast<std::size_t>(xs.size());
  std::vector<float> px(xs.data(), xs.data() + n), en(n), et(n), j(n), rho(n);
  {
    py::gil_scoped_release released;
    for (std::size_t i = 0; i < n; ++i) {
      const brenlow::IonFlowPoint p = f.flow->at(px[i]);
      en[i] = static_cast<float>(p.e_nominal);
      et[i] = static_cast<float>(p.e_total);
      j[i] = static_cast<float>(p.j);
      rho[i] = static_cast<float>(p.rho);
    }
  }
  Table table("ion flow");
  table.add("x", column(std::move(px), shape), "m");
  table.add("e_nominal", column(std::move(en), shape), "kV/m");
  table.add("e_total", column(std::move(et), shape), "kV/m");
  table.add("j", column(std::move(j), shape), "nA/m2");
  table.add("rho", column(std::move(rho), shape), "nC/m3");
  return table;
}

py::list poles_of(const PyIonFlow& f) {
  py::list poles;
  for (const brenlow::IonFlowPole& p : f.flow->poles()) {
    py::dict d("group"_a = p.group, "name"_a = text_to_python(p.name), "kv"_a = p.kv,
               "max_gradient"_a = p.max_gradient, "onset_gradient"_a = p.onset_gradient,
               "onset_voltage"_a = p.onset_voltage, "corona"_a = p.corona, "current"_a = p.current,
               "ground_current"_a = p.ground_current, "conductor_current"_a = p.conductor_current,
               "inter_pole_current"_a = p.inter_pole_current, "recombined"_a = p.recombined,
               "far_current"_a = p.far_current, "loss"_a = p.loss, "lines_ground"_a = p.lines_ground, "lines_conductors"_a = p.lines_conductors,
               "lines_between_poles"_a = p.lines_between_poles, "lines_lost"_a = p.lines_lost,
               "unsolved_flux"_a = p.unsolved_flux);
    poles.append(d);
  }
  return poles;
}

// The ion densities at points (x, y) of the cross section.
Table ion_densities(const PyIonFlow& f, const py::object& x, const py::object& y) {
  const FloatArray xs = float_array(x), ys = float_array(y);
  if (xs.ndim() != ys.ndim() || !std::equal(xs.shape(), xs.shape() + xs.ndim(), ys.shape()))
    throw py::value_error("densities: x and y must have one shape");
  const std::vector<py::ssize_t> shape(xs.shape(), xs.shape() + xs.ndim());
  const std::size_t n = static_cast<std::size_t>(xs.size());
  std::vector<float> px(xs.data(), xs.data() + n), py_(ys.data(), ys.data() + n), pos(n), neg(n);
  {
    py::gil_scoped_release released;
    for (std::size_t i = 0; i < n; ++i) {
      const brenlow::IonDensities d = f.flow->densities(px[i], py_[i]);
      pos[i] = static_cast<float>(d.positive);
      neg[i] = static_cast<float>(d.negative);
    }
  }
  Table table("ion densities");
  table.add("x", column(std::move(px), shape), "m");
  table.add("y", column(std::move(py_), shape), "m");
  table.add("positive", column(std::move(pos), shape), "nC/m3");
  table.add("negative", column(std::move(neg), shape), "nC/m3");
  return table;
}

const char* ion_flow_doc = R"(The ion flow under a line's DC poles in corona.

IonFlow(section, *, roughness=0.45, air_density=None, onset_gradient=None,
        onset_voltage=None, mobility_positive=1.5e-4, mobility_negative=1.8e-4, lines=64,
        method='flux-tracing', wind=None, recombination=None, element_size=None)

method: 'flux-tracing' (Deutsch's assumption, fast) or 'full' (the coupled
equations on a mesh of the section, with wind in m/s towards +x,
recombination in m3/s, default 2.2e-12, and the mesh's relative
element_size; only the full method takes these three).

roughness: Peek's surface factor m (above 0, at most 1); air_density:
relative, from the section's altitude when None; onset_gradient (kV/cm) or
onset_voltage (kV): one number for every pole or a sequence of one per
pole, in place of Peek's; mobilities in m2/(V s); lines: traced per pole
before the refinement. Lines running from pole to pole are not solved (the
currents are those into the ground and the earth wires); AC conductors
count at 0 V DC: notes says so for this line. Solved once, here
(brenlow.Error when refused; a pole below onset is a BrenlowWarning).)";

const char* profile_doc = R"(The values at the ground at lateral points x (m, any shape).

Returns a Table of float32 arrays in x's shape: x (m), e_nominal and
e_total (kV/m), j (nA/m2, positive ions into the ground positive), rho
(nC/m3, signed the same way).)";

}  // namespace

void bind_ion_flow(py::module_& m) {
  py::class_<PyIonFlow> flow(m, "IonFlow", ion_flow_doc);
  flow.def(py::init(&make_ion_flow), "section"_a, py::kw_only(), "roughness"_a = 0.45, "air_density"_a = py::none(),
           "onset_gradient"_a = py::none(), "onset_voltage"_a = py::none(), "mobility_positive"_a = 1.5e-4,
           "mobility_negative"_a = 1.8e-4, "lines"_a = 64, "method"_a = "flux-tracing", "wind"_a = py::none(),
           "recombination"_a = py::none(), "element_size"_a = py::none());
  flow.def("densities", &ion_densities, "x"_a, "y"_a,
           "Full method: the ion densities at points (x, y) in m, any one shape: a Table of x, y (m), positive and "
           "negative (nC/m3, magnitudes); 0 inside a conductor, below the ground and beyond the solved domain.");
  flow.def_property_readonly(
      "inter_pole_current", [](const PyIonFlow& f) { return f.flow->inter_pole_current(); },
      "Full method: from the positive poles to the negative ones through the air, mA/km.");
  flow.def_property_readonly(
      "recombination_current", [](const PyIonFlow& f) { return f.flow->recombination_current(); },
      "Full method: of the inter-pole current, recombined in the air, mA/km.");
  flow.def_property_readonly(
      "recombination_share", [](const PyIonFlow& f) { return f.flow->recombination_share(); },
      "Full method: recombination_current / inter_pole_current (0 without inter-pole current).");
  flow.def("profile", &ion_flow_profile, "x"_a, profile_doc);
  flow.def_property_readonly("poles", &poles_of,
                             "Per DC pole a dict: group, name, kv, max_gradient, onset_gradient (kV/cm), onset_voltage "
                             "(kV), corona, current, ground_current, conductor_current, inter_pole_current, recombined, "
                             "far_current (mA/km), loss (kW/km), "
                             "lines_ground, lines_conductors, lines_between_poles, lines_lost, unsolved_flux.");
  flow.def_property_readonly(
      "notes", [](const PyIonFlow& f) { return f.flow->notes(); }, "What the values leave out on this line.");
  flow.def_property_readonly(
      "air_density", [](const PyIonFlow& f) { return f.flow->air_density(); }, "Relative air density used.");
  flow.def_property_readonly(
      "section", [](const PyIonFlow& f) { return section_to_python(f.flow->section()); }, "A copy of the section.");
  flow.def("__repr__", [](const PyIonFlow& f) {
    return "<IonFlow: " + std::to_string(f.flow->poles().size()) + " DC poles>";
  });
}

}  // namespace brenlow_python
