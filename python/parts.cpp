// The parts of a cross section in Python: brenlow.Group, Conditions and
// PointGroup, their fields, comparisons, reprs and pickles.
#include "parts.hpp"

#include <iterator>
#include <string>

namespace py = pybind11;
using namespace pybind11::literals;

namespace brenlow_python {

// What a section built in Python starts with: the sensor heights, the
// frequencies and the ground conductivity of the bundled example lines, so
// that every quantity means something before the user sets one (zero
// heights would put each sensor on the ground, zero frequencies give no
// radio or television level at all).
brenlow::Conditions python_conditions() {
  brenlow::Conditions c;
  c.an_height = 1.5f;
  c.ri_height = 2.0f;
  c.tv_height = 10.0f;
  c.oz_height = 1.0f;
  c.ef_height = 1.0f;
  c.mf_height = 1.0f;
  c.ri_frequency = 1.0f;
  c.tv_frequency = 75.0f;
  c.ground_conductivity = 10.0f;
  return c;
}

namespace {

// ---- the fields of a group and of the conditions ---------------------------

struct GroupFloat {
  const char* name;
  float brenlow::Group::*member;
  const char* doc;
};
const GroupFloat group_floats[] = {
    {"x", &brenlow::Group::x, "Horizontal position of the bundle centre, m."},
    {"y", &brenlow::Group::y, "Height of the bundle centre above ground, m."},
    {"diameter", &brenlow::Group::diameter, "Subconductor diameter, mm (above 0)."},
    {"spacing", &brenlow::Group::spacing, "Spacing of adjacent subconductors, cm (above 0 for a bundle)."},
    {"kv", &brenlow::Group::kv, "Line-to-ground voltage, kV (rms for AC); the sign is the polarity of a DC pole."},
    {"phase", &brenlow::Group::phase, "Phase angle, degrees."},
    {"ka", &brenlow::Group::ka, "Current, kA."},
    {"gradient", &brenlow::Group::gradient,
     "Maximum surface gradient, kV/cm: used when the conditions say given_gradients."},
};

struct ConditionFloat {
  const char* name;
  float brenlow::Conditions::*member;
  const char* doc;
};
const ConditionFloat condition_floats[] = {
    {"wind", &brenlow::Conditions::wind, "Wind speed, m/s (carries the ozone plume)."},
    {"rain", &brenlow::Conditions::rain, "Rain rate, mm/hr."},
    {"altitude", &brenlow::Conditions::altitude, "Altitude above sea level, m."},
    {"ground_conductivity", &brenlow::Conditions::ground_conductivity, "Ground conductivity, mmhos/m."},
    {"an_height", &brenlow::Conditions::an_height, "Height of the audible noise microphone, m."},
    {"ri_height", &brenlow::Conditions::ri_height, "Height of the radio antenna, m."},
    {"tv_height", &brenlow::Conditions::tv_height, "Height of the television antenna, m."},
    {"oz_height", &brenlow::Conditions::oz_height, "Height of the ozone sensor, m."},
    {"ef_height", &brenlow::Conditions::ef_height, "Height of the electric field sensor, m."},
    {"mf_height", &brenlow::Conditions::mf_height, "Height of the magnetic field sensor, m."},
    {"ri_frequency", &brenlow::Conditions::ri_frequency, "Radio frequency, MHz."},
    {"tv_frequency", &brenlow::Conditions::tv_frequency, "Television frequency, MHz."},
};

std::string group_repr(const brenlow::Group& g) {
  std::string text = "Group(" + std::string(py::repr(text_to_python(g.name))) + ", ac=" + (g.ac ? "True" : "False");
  for (const auto& f : group_floats) {
    text += std::string(", ") + f.name + "=" + float_text(g.*f.member);
    if (f.member == &brenlow::Group::y) text += ", subconductors=" + std::to_string(g.subconductors);
  }
  return text + ")";
}

std::string conditions_repr(const brenlow::Conditions& c) {
  std::string text = "Conditions(";
  for (const auto& f : condition_floats) {
    text += std::string(f.name) + "=" + float_text(c.*f.member) + ", ";
  }
  return text + "given_gradients=" + (c.given_gradients ? "True" : "False") + ")";
}

}  // namespace

bool same(const brenlow::Group& a, const brenlow::Group& b) {
  if (a.name != b.name || a.ac != b.ac || a.subconductors != b.subconductors) return false;
  for (const auto& f : group_floats) {
    if (a.*f.member != b.*f.member) return false;
  }
  return true;
}

bool same(const brenlow::Conditions& a, const brenlow::Conditions& b) {
  if (a.given_gradients != b.given_gradients) return false;
  for (const auto& f : condition_floats) {
    if (a.*f.member != b.*f.member) return false;
  }
  return true;
}

void apply_condition_keywords(brenlow::Conditions& c, const py::kwargs& keywords, const char* caller) {
  for (const auto& [key, value] : keywords) {
    const std::string name = py::str(key);
    if (name == "given_gradients") {
      c.given_gradients = py::bool_(py::reinterpret_borrow<py::object>(value));
      continue;
    }
    bool known = false;
    for (const auto& f : condition_floats) {
      if (name == f.name) {
        c.*f.member = single_number(value, name);
        known = true;
      }
    }
    if (!known) throw py::type_error(std::string(caller) + "() got an unexpected keyword argument '" + name + "'");
  }
}

void bind_section_parts(py::module_& m) {
  // ---- Group ----
  py::class_<brenlow::Group> group(m, "Group", R"(One conductor group: a bundle of subconductors (a phase or a pole), or an earth wire.

Group(name='', *, ac=True, x=0, y=0, subconductors=1, diameter=0,
      spacing=0, kv=0, phase=0, ka=0, gradient=0)

Values are held in single precision, as the engine computes. Whether a
group is an earth wire is said by its place: CrossSection.energized counts
the energized groups at the head of the list, earth wires follow.)");
  group.def(py::init([](const py::object& name, bool ac, double x, double y, int subconductors, double diameter,
                        double spacing, double kv, double phase, double ka, double gradient) {
              brenlow::Group g;
              g.name = text_from_python(name, "name");
              g.ac = ac;
              g.x = to_single(x, "x");
              g.y = to_single(y, "y");
              g.subconductors = subconductors;
              g.diameter = to_single(diameter, "diameter");
              g.spacing = to_single(spacing, "spacing");
              g.kv = to_single(kv, "kv");
              g.phase = to_single(phase, "phase");
              g.ka = to_single(ka, "ka");
              g.gradient = to_single(gradient, "gradient");
              return g;
            }),
            "name"_a = "", py::kw_only(), "ac"_a = true, "x"_a = 0.0, "y"_a = 0.0, "subconductors"_a = 1,
            "diameter"_a = 0.0, "spacing"_a = 0.0, "kv"_a = 0.0, "phase"_a = 0.0, "ka"_a = 0.0, "gradient"_a = 0.0);
  group.def_property(
      "name", [](const brenlow::Group& g) { return text_to_python(g.name); },
      [](brenlow::Group& g, const py::object& v) { g.name = text_from_python(v, "name"); },
      "Name of the group (a data file holds 8 characters).");
  group.def_readwrite("ac", &brenlow::Group::ac, "True for an AC phase, False for a DC pole.");
  group.def_readwrite("subconductors", &brenlow::Group::subconductors, "Number of subconductors (at least 1).");
  for (const auto& f : group_floats) {
    const auto member = f.member;
    const std::string name = f.name;
    group.def_property(
        f.name, [member](const brenlow::Group& g) { return g.*member; },
        [member, name](brenlow::Group& g, double v) { g.*member = to_single(v, name); }, f.doc);
  }
  group.def("__repr__", &group_repr);
  group.def("__eq__", [](const brenlow::Group& a, const brenlow::Group& b) { return same(a, b); }, py::is_operator());
  group.def("copy", [](const brenlow::Group& g) { return g; }, "A copy of the group.");
  group.def("__copy__", [](const brenlow::Group& g) { return g; });
  group.def("__deepcopy__", [](const brenlow::Group& g, const py::object&) { return g; }, "memo"_a);
  group.def(py::pickle(
      [](const brenlow::Group& g) {
        return py::make_tuple(text_to_python(g.name), g.ac, g.x, g.y, g.subconductors, g.diameter, g.spacing, g.kv,
                              g.phase, g.ka, g.gradient);
      },
      [](const py::tuple& t) {
        if (t.size() != 11) throw py::value_error("a pickled Group holds 11 values");
        brenlow::Group g;
        g.name = text_from_python(t[0], "name");
        g.ac = t[1].cast<bool>();
        g.subconductors = t[4].cast<int>();
        const std::size_t at[] = {2, 3, 5, 6, 7, 8, 9, 10};
        for (std::size_t i = 0; i < std::size(group_floats); ++i) {
          g.*group_floats[i].member = to_single(t[at[i]].cast<double>(), group_floats[i].name);
        }
        return g;
      }));

  // ---- Conditions ----
  py::class_<brenlow::Conditions> conditions(m, "Conditions", R"(The conditions of an evaluation and the heights and frequencies of each quantity.

Conditions(*, wind=0, rain=0, altitude=0, ground_conductivity=10,
           an_height=1.5, ri_height=2, tv_height=10, oz_height=1,
           ef_height=1, mf_height=1, ri_frequency=1, tv_frequency=75,
           given_gradients=False)

Metric units: m/s, mm/hr, m, mmhos/m, MHz. The defaults of the heights,
the frequencies and the ground conductivity are those of the bundled
example lines: noise microphone 1.5 m, radio antenna 2 m at 1 MHz,
television antenna 10 m at 75 MHz, ozone, E and B sensors 1 m, ground
10 mmhos/m. Wind, rain and altitude default to 0: without wind, ozone is
not computed downwind.)");
  conditions.def(py::init([](const py::kwargs& keywords) {
                   brenlow::Conditions c = python_conditions();
                   apply_condition_keywords(c, keywords, "Conditions");
                   return c;
                 }),
                 "Every condition by keyword; those not named take the defaults above.");
  for (const auto& f : condition_floats) {
    const auto member = f.member;
    const std::string name = f.name;
    conditions.def_property(
        f.name, [member](const brenlow::Conditions& c) { return c.*member; },
        [member, name](brenlow::Conditions& c, double v) { c.*member = to_single(v, name); }, f.doc);
  }
  conditions.def_readwrite("given_gradients", &brenlow::Conditions::given_gradients,
                           "Use each Group.gradient instead of computing the gradients.");
  conditions.def("__repr__", &conditions_repr);
  conditions.def(
      "__eq__", [](const brenlow::Conditions& a, const brenlow::Conditions& b) { return same(a, b); },
      py::is_operator());
  conditions.def("copy", [](const brenlow::Conditions& c) { return c; }, "A copy of the conditions.");
  conditions.def("__copy__", [](const brenlow::Conditions& c) { return c; });
  conditions.def("__deepcopy__", [](const brenlow::Conditions& c, const py::object&) { return c; }, "memo"_a);
  conditions.def(py::pickle(
      [](const brenlow::Conditions& c) {
        py::list values;
        for (const auto& f : condition_floats) values.append(c.*f.member);
        values.append(c.given_gradients);
        return py::tuple(values);
      },
      [](const py::tuple& t) {
        if (t.size() != std::size(condition_floats) + 1) throw py::value_error("a pickled Conditions holds 13 values");
        brenlow::Conditions c;
        for (std::size_t i = 0; i < std::size(condition_floats); ++i) {
          c.*condition_floats[i].member = to_single(t[i].cast<double>(), condition_floats[i].name);
        }
        c.given_gradients = t[std::size(condition_floats)].cast<bool>();
        return c;
      }));

  // ---- PointGroup ----
  py::class_<brenlow::PointGroup> point_group(m, "PointGroup", R"(A run of lateral points as a data file lists them.

PointGroup(count, start, step): count points from start, step apart, in
the data file's units (m, or ft when the section is english), added up in
single precision as tesk31 does.)");
  point_group.def(py::init([](int count, double start, double step) {
                    return brenlow::PointGroup{count, to_single(start, "start"), to_single(step, "step")};
                  }),
                  "count"_a, "start"_a, "step"_a);
  point_group.def_readwrite("count", &brenlow::PointGroup::count, "Number of points.");
  point_group.def_property(
      "start", [](const brenlow::PointGroup& p) { return p.start; },
      [](brenlow::PointGroup& p, double v) { p.start = to_single(v, "start"); }, "First position (m, or ft in an english section).");
  point_group.def_property(
      "step", [](const brenlow::PointGroup& p) { return p.step; },
      [](brenlow::PointGroup& p, double v) { p.step = to_single(v, "step"); },
      "Distance between points (m, or ft in an english section).");
  point_group.def("__repr__", [](const brenlow::PointGroup& p) {
    return "PointGroup(" + std::to_string(p.count) + ", " + float_text(p.start) + ", " + float_text(p.step) + ")";
  });
  point_group.def(py::pickle(
      [](const brenlow::PointGroup& p) { return py::make_tuple(p.count, p.start, p.step); },
      [](const py::tuple& t) {
        if (t.size() != 3) throw py::value_error("a pickled PointGroup holds 3 values");
        return brenlow::PointGroup{t[0].cast<int>(), to_single(t[1].cast<double>(), "start"),
                                   to_single(t[2].cast<double>(), "step")};
      }));
  point_group.def(
      "__eq__",
      [](const brenlow::PointGroup& a, const brenlow::PointGroup& b) {
        return a.count == b.count && a.start == b.start && a.step == b.step;
      },
      py::is_operator());
}

}  // namespace brenlow_python
