// Cross sections evaluated into numpy arrays. Every number comes from the
// engine unchanged but for B, which the engine gives in gauss and a caller
// reads in the unit asked.
#include "evaluation.hpp"

#include <pybind11/numpy.h>

#include <algorithm>
#include <cctype>
#include <iterator>
#include <optional>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "cli/units.hpp"
#include "interpreter.hpp"
#include "parallel.hpp"
#include "table.hpp"
#include "values.hpp"

namespace py = pybind11;
using namespace pybind11::literals;

namespace brenlow_python {

namespace {

// The quantities a profile can hold, each at the height and frequency the
// conditions give, as the combined report evaluates them. A magnetic
// quantity comes from the engine in gauss and is shown in the unit asked.
struct Quantity {
  const char* name;
  const char* unit;  // for a magnetic quantity: the unit asked takes its place
  bool magnetic;
  bool level;        // a noise or TV level: NaN where the routines did not compute one
  float (*value)(const brenlow::Evaluation&, float x);
};

const Quantity quantities[] = {
    {"an_rain", "dB(A)", false, true,
     [](const brenlow::Evaluation& e, float x) {
       return e.audible_noise(x, e.section().conditions.an_height, brenlow::Weather::rain).l50;
     }},
    {"an_fair", "dB(A)", false, true,
     [](const brenlow::Evaluation& e, float x) {
       return e.audible_noise(x, e.section().conditions.an_height, brenlow::Weather::fair).l50;
     }},
    {"ri_rain", "dB(uV/m)", false, true,
     [](const brenlow::Evaluation& e, float x) {
       const auto& c = e.section().conditions;
       return e.radio(x, c.ri_height, c.ri_frequency, brenlow::Weather::rain);
     }},
    {"ri_fair", "dB(uV/m)", false, true,
     [](const brenlow::Evaluation& e, float x) {
       const auto& c = e.section().conditions;
       return e.radio(x, c.ri_height, c.ri_frequency, brenlow::Weather::fair);
     }},
    {"tv", "dB(uV/m)", false, true,
     [](const brenlow::Evaluation& e, float x) {
       const auto& c = e.section().conditions;
       return e.tv(x, c.tv_height, c.tv_frequency);
     }},
    {"ozone", "ppb", false, false,
     [](const brenlow::Evaluation& e, float x) { return e.ozone(x, e.section().conditions.oz_height); }},
    {"e", "kV/m", false, false,
     [](const brenlow::Evaluation& e, float x) {
       return e.electric_field(x, e.section().conditions.ef_height).max;
     }},
    {"b", "", true, false,
     [](const brenlow::Evaluation& e, float x) {
       return e.magnetic_field(x, e.section().conditions.mf_height).max;
     }},
    {"an_rain_l5", "dB(A)", false, true,
     [](const brenlow::Evaluation& e, float x) {
       return e.audible_noise(x, e.section().conditions.an_height, brenlow::Weather::rain).l5;
     }},
    {"an_fair_l5", "dB(A)", false, true,
     [](const brenlow::Evaluation& e, float x) {
       return e.audible_noise(x, e.section().conditions.an_height, brenlow::Weather::fair).l5;
     }},
    {"potential", "V", false, false,
     [](const brenlow::Evaluation& e, float x) {
       return e.electric_field(x, e.section().conditions.ef_height).potential;
     }},
    {"e_res", "kV/m", false, false,
     [](const brenlow::Evaluation& e, float x) {
       return e.electric_field(x, e.section().conditions.ef_height).resultant();
     }},
    {"b_res", "", true, false,
     [](const brenlow::Evaluation& e, float x) {
       return e.magnetic_field(x, e.section().conditions.mf_height).resultant();
     }},
    // The AC phases' and the DC poles' fields apart: a hybrid line's only fields.
    {"e_ac", "kV/m", false, false,
     [](const brenlow::Evaluation& e, float x) {
       return e.electric_field(x, e.section().conditions.ef_height, brenlow::Part::ac).max;
     }},
    {"e_dc", "kV/m", false, false,
     [](const brenlow::Evaluation& e, float x) {
       return e.electric_field(x, e.section().conditions.ef_height, brenlow::Part::dc).max;
     }},
    {"b_ac", "", true, false,
     [](const brenlow::Evaluation& e, float x) {
       return e.magnetic_field(x, e.section().conditions.mf_height, brenlow::Part::ac).max;
     }},
    {"b_dc", "", true, false,
     [](const brenlow::Evaluation& e, float x) {
       return e.magnetic_field(x, e.section().conditions.mf_height, brenlow::Part::dc).max;
     }},
    {"e_ac_res", "kV/m", false, false,
     [](const brenlow::Evaluation& e, float x) {
       return e.electric_field(x, e.section().conditions.ef_height, brenlow::Part::ac).resultant();
     }},
    {"b_ac_res", "", true, false,
     [](const brenlow::Evaluation& e, float x) {
       return e.magnetic_field(x, e.section().conditions.mf_height, brenlow::Part::ac).resultant();
     }},
    {"potential_ac", "V", false, false,
     [](const brenlow::Evaluation& e, float x) {
       return e.electric_field(x, e.section().conditions.ef_height, brenlow::Part::ac).potential;
     }},
    {"potential_dc", "V", false, false,
     [](const brenlow::Evaluation& e, float x) {
       return e.electric_field(x, e.section().conditions.ef_height, brenlow::Part::dc).potential;
     }},
};
constexpr std::size_t report_quantities = 8;  // the combined report's columns come first
constexpr std::size_t report_fields = 6;      // the first of those that is a field, e

// One field of the line (e, b, e_res, b_res, potential): a hybrid line has
// its two parts instead.
const char* const one_field_names[] = {"e", "b", "e_res", "b_res", "potential"};

bool one_field(const Quantity* q) {
  return std::any_of(std::begin(one_field_names), std::end(one_field_names),
                     [q](const char* n) { return std::string(n) == q->name; });
}

const Quantity* named_exactly(const std::string& name) {
  for (const auto& q : quantities)
    if (name == q.name) return &q;
  return nullptr;
}

// The short names the studies use, beside the column names. AN and RI
// alone mean rain, as the reports put rain first.
const std::pair<const char*, const char*> short_names[] = {
    {"an", "an_rain"}, {"ri", "ri_rain"}, {"oz", "ozone"},
};


// The quantity a name means: a column name or a study's name, in any case,
// with '-' for '_' (E, B, AN, AN-FAIR, RI, RI-FAIR, TV, OZ, E-RES, B-RES);
// none for a name it does not know.
const Quantity* quantity_named(const std::string& name) {
  std::string key;
  for (const char c : name) key += c == '-' ? '_' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const auto& [short_name, column] : short_names) {
    if (key == short_name) key = column;
  }
  for (const auto& q : quantities) {
    if (key == q.name) return &q;
  }
  return nullptr;
}

std::string quantity_names() {
  std::string names;
  for (const auto& q : quantities) names += (names.empty() ? "" : ", ") + std::string(q.name);
  return names + " (or E, B, AN, AN-FAIR, RI, RI-FAIR, TV, OZ, E-RES, B-RES, E-AC, E-AC-RES, E-DC, B-AC, B-AC-RES, "
                 "B-DC; in any case)";
}

PyEvaluation evaluate(const Section& s) {
  brenlow::CrossSection section = to_engine(s);
  PyEvaluation result;
  {
    const ReleasedGil released;
    result.evaluation = std::make_shared<const brenlow::Evaluation>(section);
  }
  warn_about(*result.evaluation);
  return result;
}

Table profile(const PyEvaluation& ev, const py::object& x, const py::object& quantity_list, cli::BUnit b) {
  std::vector<const Quantity*> chosen;
  const bool hybrid = ev.evaluation->hybrid();
  if (quantity_list.is_none()) {
    for (std::size_t i = 0; i < report_quantities; ++i) {
      if (hybrid && i == report_fields) {
        // A hybrid line's fields in their parts, in place of e and b.
        for (const char* part : {"e_ac", "e_dc", "b_ac", "b_dc"}) chosen.push_back(named_exactly(part));
        break;
      }
      chosen.push_back(&quantities[i]);
    }
  } else {
    py::list names;
    if (py::isinstance<py::str>(quantity_list)) {
      names.append(quantity_list);
    } else {
      for (const auto& n : py::iterable(quantity_list)) names.append(n);
    }
    for (const auto& n : names) {
      const std::string name = text_from_python(n, "a quantity");
      const Quantity* found = quantity_named(name);
      if (found == nullptr) {
        throw py::value_error("unknown quantity '" + name + "'; the quantities are " + quantity_names());
      }
      if (std::find(chosen.begin(), chosen.end(), found) != chosen.end()) {
        throw py::value_error("quantity '" + name + "' is listed twice (as the column '" + found->name + "')");
      }
      if (hybrid && one_field(found)) {
        const std::string f = found->name;
        const std::string parts = f == "potential" ? "potential_ac and potential_dc"
                                  : f == "e_res" ? "e_ac_res and e_dc"
                                  : f == "b_res"      ? "b_ac_res and b_dc"
                                                      : f + "_ac and " + f + "_dc";
        throw py::value_error("quantity '" + name +
                              "': a hybrid line (AC phases and DC poles) has no one field, its alternating and "
                              "static fields do not add as phasors; ask for " + parts + " apart");
      }
      chosen.push_back(found);
    }
  }
  const FloatArray xs = float_array(x);
  const std::vector<py::ssize_t> shape(xs.shape(), xs.shape() + xs.ndim());
  const std::size_t n = static_cast<std::size_t>(xs.size());
  std::vector<float> in(xs.data(), xs.data() + n);
  std::vector<std::vector<float>> out(chosen.size(), std::vector<float>(n));
  {
    const ReleasedGil released;
    const brenlow::Evaluation& e = *ev.evaluation;
    parallel_for(n, [&](std::size_t begin, std::size_t end) {
      for (std::size_t q = 0; q < chosen.size(); ++q) {
        for (std::size_t i = begin; i < end; ++i) out[q][i] = chosen[q]->value(e, in[i]);
      }
    });
  }
  const bool ozone = std::any_of(chosen.begin(), chosen.end(),
                                 [](const Quantity* q) { return std::string(q->name) == "ozone"; });
  if (ozone && ev.evaluation->section().conditions.wind == 0) warn(brenlow::no_wind_note);
  Table table("profile");
  table.add("x", column(std::move(in), shape), "m");
  for (std::size_t q = 0; q < chosen.size(); ++q) {
    if (chosen[q]->magnetic) from_gauss(out[q], b);
    if (chosen[q]->level) {
      for (float& v : out[q]) v = brenlow::level_computed(v) ? v : std::numeric_limits<float>::quiet_NaN();
    }
    const std::string unit(chosen[q]->magnetic ? cli::b_unit_label(b) : chosen[q]->unit);
    table.add(chosen[q]->name, column(std::move(out[q]), shape), unit);
  }
  return table;
}

Table fields_at(const PyEvaluation& ev, const py::object& x, const py::object& y, cli::BUnit b_in) {
  const std::vector<FloatArray> both = checked_points({{"x", x, false}, {"y", y, true}});
  const FloatArray &xs = both[0], &ys = both[1];
  const std::vector<py::ssize_t> shape(xs.shape(), xs.shape() + xs.ndim());
  const std::size_t n = static_cast<std::size_t>(xs.size());
  std::vector<float> px(xs.data(), xs.data() + n), py_(ys.data(), ys.data() + n);
  // A line of one kind: its field; a hybrid line: each part apart, the
  // columns named with _ac and _dc after e, b and potential.
  struct FieldSet {
    std::optional<brenlow::Part> part;
    const char* suffix;
    std::vector<brenlow::ElectricField> e;
    std::vector<brenlow::MagneticField> b;
  };
  std::vector<FieldSet> sets;
  if (ev.evaluation->hybrid()) {
    sets.push_back({brenlow::Part::ac, "_ac", {}, {}});
    sets.push_back({brenlow::Part::dc, "_dc", {}, {}});
  } else {
    sets.push_back({std::nullopt, "", {}, {}});
  }
  for (FieldSet& set : sets) {
    set.e.resize(n);
    set.b.resize(n);
    const ReleasedGil released;
    const brenlow::Evaluation& evaluation = *ev.evaluation;
    parallel_for(n, [&](std::size_t begin, std::size_t end) {
      for (std::size_t i = begin; i < end; ++i) {
        set.e[i] = set.part ? evaluation.electric_field(px[i], py_[i], *set.part) : evaluation.electric_field(px[i], py_[i]);
        set.b[i] = set.part ? evaluation.magnetic_field(px[i], py_[i], *set.part) : evaluation.magnetic_field(px[i], py_[i]);
      }
    });
  }
  auto pick = [n](const auto& v, auto member) {
    std::vector<float> values(n);
    for (std::size_t i = 0; i < n; ++i) values[i] = v[i].*member;
    return values;
  };
  Table table("fields");
  table.add("x", column(std::move(px), shape), "m");
  table.add("y", column(std::move(py_), shape), "m");
  // Each ellipse: its maximum, direction, and both components with their phases.
  using FE = brenlow::FieldEllipse;
  struct Part {
    const char* suffix;
    float FE::*member;
    bool angle;
  };
  const Part parts[] = {
      {"", &FE::max, false},
      {"_direction", &FE::direction, true},
      {"_vertical", &FE::vertical, false},
      {"_vertical_phase", &FE::vertical_phase, true},
      {"_horizontal", &FE::horizontal, false},
      {"_horizontal_phase", &FE::horizontal_phase, true},
  };
  const std::string b_label(cli::b_unit_label(b_in));
  for (const FieldSet& set : sets) {
    const std::string e_name = std::string("e") + set.suffix, b_name = std::string("b") + set.suffix;
    for (const Part& p : parts) table.add(e_name + p.suffix, column(pick(set.e, p.member), shape), p.angle ? "deg" : "kV/m");
    table.add(std::string("potential") + set.suffix, column(pick(set.e, &brenlow::ElectricField::potential), shape), "V");
    for (const Part& p : parts) {
      std::vector<float> values = pick(set.b, p.member);
      if (!p.angle) from_gauss(values, b_in);
      table.add(b_name + p.suffix, column(std::move(values), shape), p.angle ? "deg" : b_label);
    }
  }
  // The resultants, what a three-axis meter reads (a static field's is its
  // magnitude: none apart for the DC part).
  auto resultants = [n](const auto& v) {
    std::vector<float> values(n);
    for (std::size_t i = 0; i < n; ++i) values[i] = v[i].resultant();
    return values;
  };
  const FieldSet& first = sets.front();
  table.add(std::string("e") + first.suffix + "_res", column(resultants(first.e), shape), "kV/m");
  std::vector<float> b_res = resultants(first.b);
  from_gauss(b_res, b_in);
  table.add(std::string("b") + first.suffix + "_res", column(std::move(b_res), shape), b_label);
  return table;
}

Table gradients(const PyEvaluation& ev) {
  const auto& section = ev.evaluation->section();
  const auto& results = ev.evaluation->groups();
  py::list names;
  for (const auto& g : section.groups) names.append(text_to_python(g.name));
  const std::vector<py::ssize_t> shape{static_cast<py::ssize_t>(results.size())};
  auto pick = [&](float brenlow::GroupResult::*member) {
    std::vector<float> values;
    for (const auto& r : results) values.push_back(r.*member);
    return column(std::move(values), shape);
  };
  Table table("gradients");
  table.add("name", py::module_::import("numpy").attr("array")(names, "dtype"_a = "object"), "");
  table.add("gradient", pick(&brenlow::GroupResult::gradient), "kV/cm");
  table.add("computed_gradient", pick(&brenlow::GroupResult::computed_gradient), "kV/cm");
  table.add("phase", pick(&brenlow::GroupResult::phase), "deg");
  table.add("corona_loss", pick(&brenlow::GroupResult::corona_loss), "kW/km");
  table.add("ozone_production", pick(&brenlow::GroupResult::ozone_production), "kg/m/s");
  return table;
}

const char* profile_doc = R"(Each quantity at lateral positions x, m.

profile(x, quantities=None, *, b_unit='uT')

x is any array-like of positions in metres (any length, any shape; a
scalar gives scalars). quantities names the columns, in order; the
default is the combined report's: an_rain, an_fair (audible noise L50,
dB(A)), ri_rain, ri_fair (radio L50 at the RI frequency, dB(uV/m)), tv
(L50, dB(uV/m)), ozone (ppb), e (ellipse maximum, kV/m), b (ellipse
maximum, in b_unit). Also an_rain_l5, an_fair_l5 (L5, dB(A)), potential
(space potential, V), e_res (resultant E, kV/m) and b_res (resultant B,
in b_unit): the resultant is the root of the sum of the squared rms
components, what a three-axis meter reads, between the ellipse maximum
and 1.41 times it. Each is evaluated at the height the conditions give
for it (an_height, ri_height, ...).

The AC phases' and the DC poles' fields apart: e_ac, e_dc, b_ac, b_dc,
e_ac_res, b_ac_res, potential_ac, potential_dc (the AC field with the DC
poles and earth wires at 0 V AC; the static DC field with the AC phases
at 0 V DC). A hybrid line (AC phases and DC poles) has only these: a
static and an alternating field do not add as phasors, so e, b, e_res,
b_res and potential raise ValueError there, and the default columns hold
e_ac, e_dc, b_ac, b_dc in place of e and b. On a line of one kind the
part of its kind is e (or b), the other part 0. A DC pole's phase angle
has no effect: its polarity is the sign of its voltage.

Names are taken in any case, and the studies' names too: E, B, AN, AN-FAIR,
RI, RI-FAIR, TV, OZ, E-RES, B-RES, E-AC, E-AC-RES, E-DC, B-AC, B-AC-RES,
B-DC. AN and RI alone mean rain (an_rain,
ri_rain); AN-FAIR and RI-FAIR fair weather. The column keeps its own name
(profile(x, ["B"]).b). A name not known, or one quantity named twice,
raises ValueError.

b_unit is the unit of b and b_res: 'uT' (the default), 'mG' or 'G', in
any case.

A noise, radio or TV level the routines do not compute (TV from DC
bundles, noise where no pole is in corona) is NaN. Without wind
(conditions.wind 0) ozone is carried nowhere: the ozone column is NaN
downwind of the bundles and 0 upwind, and a brenlow.BrenlowWarning says so.

Returns a Table: x (m, as float32) and one float32 array per quantity;
table.units gives each column's unit.
)";

const char* at_doc = R"(Electric and magnetic field at lateral position x and height y, m.

at(x, y, *, b_unit='uT')

x and y are numbers or array-likes in metres, broadcast together (a
meshgrid gives a map); a height below the ground (y < 0), a value not a
number or farther than 1000 km is a ValueError naming it. Returns a Table of float32 arrays in the broadcast
shape: x, y (m); e, e_direction, e_vertical, e_vertical_phase,
e_horizontal, e_horizontal_phase (kV/m, degrees); potential (V); b,
b_direction, b_vertical, ... (B in b_unit, degrees); e_res (kV/m), b_res
(in b_unit). e and b are the ellipse maxima, e_res and b_res the
resultants (the root of the sum of the squared rms components, what a
three-axis meter reads). b_unit: 'uT' (the default), 'mG' or 'G', in any
case. A hybrid line (AC phases and DC poles) has its two fields apart:
e_ac, e_ac_direction, ..., potential_ac, b_ac, ... for the AC phases',
e_dc, ..., potential_dc, b_dc, ... for the DC poles' static field, and
e_ac_res, b_ac_res.
)";

const char* gradients_doc = R"(The gradient step's result for each group, in the section's order.

A Table: name; gradient (kV/cm, the one the corona routines use),
computed_gradient (kV/cm, as computed even when gradients are given),
phase (degrees, after the gradient step), corona_loss (kW/km, 0 for an
earth wire), ozone_production (kg/m/s).
)";

}  // namespace

void bind_evaluation(py::module_& m) {
  // ---- Evaluation ----
  py::class_<PyEvaluation> evaluation(m, "Evaluation", R"(One cross section evaluated: the gradients computed once, then any quantity at any point.

Evaluation(section) checks the section (brenlow.Error when refused) and
computes the gradients; profile(), at() and gradients() then cost only the
points asked for. Later changes to the section do not reach it.)");
  evaluation.def(py::init(&evaluate), "section"_a, py::call_guard<LongCall>());
  evaluation.def(
      "profile",
      [](const PyEvaluation& ev, const py::object& x, const py::object& q, const py::object& b) {
        return profile(ev, x, q, b_unit_of(b));
      },
      "x"_a, "quantities"_a = py::none(), py::kw_only(), "b_unit"_a = "uT", profile_doc, py::call_guard<LongCall>());
  evaluation.def(
      "at",
      [](const PyEvaluation& ev, const py::object& x, const py::object& y, const py::object& b) {
        return fields_at(ev, x, y, b_unit_of(b));
      },
      "x"_a, "y"_a, py::kw_only(), "b_unit"_a = "uT", at_doc, py::call_guard<LongCall>());
  evaluation.def("gradients", &gradients, gradients_doc);
  evaluation.def_property_readonly(
      "singular", [](const PyEvaluation& e) { return e.evaluation->singular(); },
      "True when the potential coefficient matrix proved singular (two bundles in one place).");
  evaluation.def_property_readonly(
      "section", [](const PyEvaluation& e) { return from_engine(e.evaluation->section()); },
      "A copy of the section evaluated.");
  evaluation.def("__repr__", [](const PyEvaluation& e) {
    const auto& s = e.evaluation->section();
    return "<Evaluation of " + std::string(py::repr(text_to_python(s.titles[0]))) + ": " +
           std::to_string(s.groups.size()) + " groups" + (e.evaluation->singular() ? ", singular" : "") + ">";
  });
}

void bind_section_evaluation(py::class_<Section>& section) {
  section.def(
      "evaluate", [](const Section& s) { return evaluate(s); },
      "An Evaluation of the section as it is now: the gradients computed once for many calls.", py::call_guard<LongCall>());
  section.def(
      "profile",
      [](const Section& s, const py::object& x, const py::object& q, const py::object& b) {
        const cli::BUnit unit = b_unit_of(b);  // refused before the section is evaluated
        return profile(evaluate(s), x, q, unit);
      },
      "x"_a, "quantities"_a = py::none(), py::kw_only(), "b_unit"_a = "uT", profile_doc, py::call_guard<LongCall>());
  section.def(
      "at",
      [](const Section& s, const py::object& x, const py::object& y, const py::object& b) {
        const cli::BUnit unit = b_unit_of(b);
        return fields_at(evaluate(s), x, y, unit);
      },
      "x"_a, "y"_a, py::kw_only(), "b_unit"_a = "uT", at_doc, py::call_guard<LongCall>());
  section.def(
      "gradients", [](const Section& s) { return gradients(evaluate(s)); }, gradients_doc, py::call_guard<LongCall>());
}

}  // namespace brenlow_python
