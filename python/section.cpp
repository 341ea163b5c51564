// Cross sections built or read in Python: brenlow.Group, Conditions,
// PointGroup and CrossSection, moved to and from the engine's section.
#include "section.hpp"

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

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

// Sets the conditions named by keyword; an unknown keyword is a TypeError
// naming it, as for any Python call.
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

// The energized count checked against the groups given with it: a count
// that does not fit is refused when it is given, not later.
int energized_count(const py::object& energized, const py::object& earth_wires, std::size_t groups) {
  const int n = static_cast<int>(groups);
  std::optional<int> count;
  if (!energized.is_none()) {
    count = whole_number(energized, "energized");
    if (*count < 0 || *count > n) {
      throw py::value_error("energized=" + std::to_string(*count) + " does not fit the " + std::to_string(n) +
                            " groups: between 0 and " + std::to_string(n) + " lead the list as phases or poles");
    }
  }
  if (!earth_wires.is_none()) {
    const int earth = whole_number(earth_wires, "earth_wires");
    if (earth < 0 || earth > n) {
      throw py::value_error("earth_wires=" + std::to_string(earth) + " does not fit the " + std::to_string(n) +
                            " groups: between 0 and " + std::to_string(n) + " close the list as earth wires");
    }
    if (count && *count + earth != n) {
      throw py::value_error("energized=" + std::to_string(*count) + " and earth_wires=" + std::to_string(earth) +
                            " do not add up to the " + std::to_string(n) + " groups");
    }
    count = n - earth;
  }
  if (!count) {
    throw py::value_error("say which of the " + std::to_string(n) +
                          " groups are energized: energized=N (the first N are phases or poles) or earth_wires=N "
                          "(the last N are earth wires)");
  }
  return *count;
}

void set_titles(Section& s, const py::object& titles) {
  if (!py::isinstance<py::sequence>(titles) || py::isinstance<py::str>(titles) || py::len(titles) != 2) {
    throw py::type_error("titles must be a pair of str");
  }
  const py::sequence t = py::reinterpret_borrow<py::sequence>(titles);
  s.titles[0] = text_from_python(t[0], "titles[0]");
  s.titles[1] = text_from_python(t[1], "titles[1]");
}

py::object make_point_group(const py::handle& item, std::size_t index) {
  if (py::isinstance<brenlow::PointGroup>(item)) return py::reinterpret_borrow<py::object>(item);
  const std::string where = "points[" + std::to_string(index) + "]";
  if (!py::isinstance<py::sequence>(item) || py::isinstance<py::str>(item) || py::len(item) != 3) {
    throw py::type_error(where + " must be a PointGroup or a (count, start, step) tuple");
  }
  py::sequence s = py::reinterpret_borrow<py::sequence>(item);
  brenlow::PointGroup p;
  p.count = whole_number(s[0], where + ".count");
  p.start = single_number(s[1], where + ".start");
  p.step = single_number(s[2], where + ".step");
  return py::cast(p);
}

py::list point_list(const py::iterable& points) {
  py::list list;
  std::size_t index = 0;
  for (const auto& item : points) list.append(make_point_group(item, index++));
  return list;
}

py::list group_list(const py::iterable& groups) {
  py::list list;
  std::size_t index = 0;
  for (const auto& item : groups) {
    if (!py::isinstance<brenlow::Group>(item)) {
      throw py::type_error("groups[" + std::to_string(index) + "] must be a Group, not " +
                           std::string(py::str(item.get_type().attr("__name__"))));
    }
    list.append(item);
    ++index;
  }
  return list;
}

py::object energized_of(const Section& s) { return s.energized ? py::object(py::int_(*s.energized)) : py::none(); }

// The engine's section from the Python one (the GIL held), an energized
// count not yet said taken as 0: for copies and comparisons.
brenlow::CrossSection engine_copy(const Section& s) {
  brenlow::CrossSection section;
  section.titles = {s.titles[0], s.titles[1]};
  std::size_t index = 0;
  for (const auto& item : s.groups) {
    if (!py::isinstance<brenlow::Group>(item)) {
      throw py::type_error("groups[" + std::to_string(index) + "] must be a Group, not " +
                           std::string(py::str(item.get_type().attr("__name__"))));
    }
    section.groups.push_back(item.cast<const brenlow::Group&>());
    ++index;
  }
  section.energized = s.energized.value_or(0);
  section.conditions = s.conditions;
  section.english = s.english;
  section.options = s.options;
  index = 0;
  for (const auto& item : s.points) {
    section.points.push_back(make_point_group(item, index++).cast<brenlow::PointGroup>());
  }
  return section;
}

}  // namespace

// The engine's section to be evaluated or written: its groups must say
// which of them are energized.
brenlow::CrossSection to_engine(const Section& s) {
  if (!s.energized && py::len(s.groups) > 0) {
    throw py::value_error("say which of the " + std::to_string(py::len(s.groups)) +
                          " groups are energized: set energized to how many lead the list as phases or poles");
  }
  return engine_copy(s);
}

Section from_engine(const brenlow::CrossSection& section) {
  Section s;
  s.titles[0] = section.titles[0];
  s.titles[1] = section.titles[1];
  for (const auto& g : section.groups) s.groups.append(py::cast(g));
  s.energized = section.energized;
  s.conditions = section.conditions;
  s.english = section.english;
  s.options = section.options;
  for (const auto& p : section.points) s.points.append(py::cast(p));
  return s;
}

namespace {

Section copy_section(const Section& s) {
  // Copies of the groups and point groups, not the same objects.
  Section copy = from_engine(engine_copy(s));
  copy.energized = s.energized;
  return copy;
}

}  // namespace

brenlow::CrossSection section_from_python(const py::object& section) {
  if (!py::isinstance<Section>(section)) {
    throw py::type_error("a section must be a CrossSection, not " + type_name(section));
  }
  brenlow::CrossSection engine = to_engine(section.cast<const Section&>());
  warn_about(engine);
  return engine;
}

py::object section_to_python(const brenlow::CrossSection& section) { return py::cast(from_engine(section)); }

namespace {

bool same(const Section& a, const Section& b) {
  const brenlow::CrossSection x = engine_copy(a), y = engine_copy(b);
  if (x.titles != y.titles || a.energized != b.energized || !same(x.conditions, y.conditions) ||
      x.english != y.english || x.options != y.options || x.groups.size() != y.groups.size() ||
      x.points.size() != y.points.size()) {
    return false;
  }
  for (std::size_t i = 0; i < x.groups.size(); ++i) {
    if (!same(x.groups[i], y.groups[i])) return false;
  }
  for (std::size_t i = 0; i < x.points.size(); ++i) {
    const auto &p = x.points[i], &q = y.points[i];
    if (p.count != q.count || p.start != q.start || p.step != q.step) return false;
  }
  return true;
}

std::string section_repr(const Section& s) {
  const brenlow::CrossSection c = engine_copy(s);
  const auto& k = c.conditions;
  char line[256];
  std::string text = "CrossSection(titles=(" + std::string(py::repr(text_to_python(c.titles[0]))) + ", " +
                     std::string(py::repr(text_to_python(c.titles[1]))) + "),\n";
  const std::string energized = s.energized ? std::to_string(*s.energized) : "not yet said how many";
  std::snprintf(line, sizeof line, "  %s energized of %zu groups, %s data file, options %s, %s gradients,\n",
                energized.c_str(), c.groups.size(), c.english ? "English-unit" : "metric",
                std::string(py::repr(text_to_python(c.options))).c_str(), k.given_gradients ? "given" : "computed");
  text += line;
  std::snprintf(line, sizeof line,
                "  wind %s m/s, rain %s mm/hr, altitude %s m, ground %s mmhos/m, RI %s MHz, TV %s MHz,\n",
                float_text(k.wind).c_str(), float_text(k.rain).c_str(), float_text(k.altitude).c_str(),
                float_text(k.ground_conductivity).c_str(), float_text(k.ri_frequency).c_str(),
                float_text(k.tv_frequency).c_str());
  text += line;
  std::snprintf(line, sizeof line, "  heights (m): AN %s, RI %s, TV %s, OZ %s, EF %s, MF %s,\n",
                float_text(k.an_height).c_str(), float_text(k.ri_height).c_str(), float_text(k.tv_height).c_str(),
                float_text(k.oz_height).c_str(), float_text(k.ef_height).c_str(), float_text(k.mf_height).c_str());
  text += line;
  text += "        name      type     x m     y m  sub   diam mm  spac cm      kV     deg      kA\n";
  for (std::size_t i = 0; i < c.groups.size(); ++i) {
    const auto& g = c.groups[i];
    const bool earth = s.energized && static_cast<int>(i) >= c.energized;
    std::snprintf(line, sizeof line, "  %3zu %-9s %-5s %7.2f %7.2f %4d %9.3f %8.3f %7.2f %7.2f %7.3f\n", i + 1,
                  std::string(py::str(text_to_python(g.name))).c_str(), earth ? "earth" : (g.ac ? "AC" : "DC"),
                  double{g.x}, double{g.y}, g.subconductors, double{g.diameter}, double{g.spacing}, double{g.kv},
                  double{g.phase}, double{g.ka});
    text += line;
  }
  text += "  lateral points:";
  if (c.points.empty()) text += " none";
  for (std::size_t i = 0; i < c.points.size(); ++i) {
    const auto& p = c.points[i];
    const std::string unit = c.english ? " ft" : " m";
    text += (i == 0 ? " " : "; ") + std::to_string(p.count) + " from " + float_text(p.start) + unit + " step " +
            float_text(p.step) + unit;
  }
  return text + ")";
}

}  // namespace

void warn_about(const brenlow::CrossSection& section) {
  for (const std::string& text : brenlow::warnings(section)) warn(text);
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

py::class_<Section> bind_cross_section(py::module_& m) {
  py::class_<Section> section(m, "CrossSection", R"(One cross section of an overhead line and what a data file holds with it.

CrossSection(groups=(), *, energized=None, earth_wires=None,
             titles=('', ''), conditions=None, points=(), english=False,
             options='ALL', **condition_keywords)

groups: Group objects, energized phases and poles first, then earth wires
(at most 50); energized: how many lead the list, or earth_wires: how many
close it; one of them is needed with groups (no group is taken for a
phase unless said so), and a count that does not fit the groups is a
ValueError; conditions: a Conditions (default: Conditions()), and/or its
fields by keyword (wind=, rain=, an_height=, ...), keywords winning;
points: the data file's lateral point
groups (PointGroup or (count, start, step), in the file's units);
english: the data file is in English units (feet, inches, mi/hr, in/hr;
every other value here stays metric); options: the report options record.

groups and points are plain Python lists, changed in place as any list.)");
  section.def(py::init([](const py::iterable& groups, const py::object& energized, const py::object& earth_wires,
                          const py::object& titles, const py::object& conds, const py::iterable& points,
                          bool english, const py::object& options, const py::kwargs& keywords) {
                Section s;
                s.groups = group_list(groups);
                if (py::len(s.groups) > 0 || !energized.is_none() || !earth_wires.is_none()) {
                  s.energized = energized_count(energized, earth_wires, py::len(s.groups));
                }
                set_titles(s, titles);
                if (!conds.is_none()) {
                  if (!py::isinstance<brenlow::Conditions>(conds)) {
                    throw py::type_error("conditions must be a Conditions, not " + type_name(conds));
                  }
                  s.conditions = conds.cast<brenlow::Conditions>();
                }
                apply_condition_keywords(s.conditions, keywords, "CrossSection");
                s.points = point_list(points);
                s.english = english;
                s.options = text_from_python(options, "options");
                return s;
              }),
              "groups"_a = py::tuple(), py::kw_only(), "energized"_a = py::none(), "earth_wires"_a = py::none(),
              "titles"_a = py::make_tuple("", ""), "conditions"_a = py::none(), "points"_a = py::tuple(),
              "english"_a = false, "options"_a = "ALL");
  section.def_property(
      "titles", [](const Section& s) { return py::make_tuple(text_to_python(s.titles[0]), text_to_python(s.titles[1])); },
      [](Section& s, const py::object& titles) { set_titles(s, titles); },
      "The two title lines (a data file holds 72 characters each).");
  section.def_property(
      "groups", [](const Section& s) { return s.groups; },
      [](Section& s, const py::iterable& groups) { s.groups = group_list(groups); },
      "The conductor groups, a list of Group: energized first, then earth wires.");
  section.def_property(
      "energized", &energized_of,
      [](Section& s, const py::object& v) {
        s.energized = v.is_none() ? std::optional<int>() : energized_count(v, py::none(), py::len(s.groups));
      },
      "How many of the groups, from the first, are energized phases or poles (None: not yet said); "
      "set after the groups, and checked against them.");
  section.def_readwrite("conditions", &Section::conditions, "The Conditions (changed in place).");
  section.def_readwrite("english", &Section::english,
                        "The data file's units: feet, inches, mi/hr, in/hr (values here stay metric).");
  section.def_property(
      "options", [](const Section& s) { return text_to_python(s.options); },
      [](Section& s, const py::object& v) { s.options = text_from_python(v, "options"); },
      "The report options record (45 characters), e.g. 'ALL' or 'EF MF COMB'.");
  section.def_property(
      "points", [](const Section& s) { return s.points; },
      [](Section& s, const py::iterable& points) { s.points = point_list(points); },
      "The data file's lateral point groups, a list of PointGroup, in the file's units (ft when english).");
  section.def(
      "lateral_points",
      [](const Section& s) {
        std::vector<float> xs = to_engine(s).lateral_points();
        const std::vector<py::ssize_t> shape{static_cast<py::ssize_t>(xs.size())};
        return column(std::move(xs), shape);
      },
      "The lateral points the point groups make, in order, in metres (float32 array), built as tesk31 builds them.");
  section.def(
      "check", [](const Section& s) { brenlow::check(to_engine(s)); },
      "Raises brenlow.Error with the engine's message when tesk31 would refuse the section.");
  section.def(
      "data_file_text", [](const Section& s) { return text_to_python(brenlow::data_file_text(to_engine(s))); },
      R"(The section as data file text in the layout tesk31 reads (English units
when english is set): values rounded to the layout's decimals, names cut to
8 characters, titles to 72.)");
  section.def(
      "write",
      [](const Section& s, const py::object& path) {
        const brenlow::CrossSection c = to_engine(s);
        const std::string p = path_from_python(path);
        py::gil_scoped_release released;
        brenlow::write_data_file(c, p);
      },
      "path"_a,
      "Writes the section as a data file that tesk31 reads (see data_file_text); brenlow.Error when it cannot.");
  section.def("copy", &copy_section, "A copy with copies of the groups, conditions and point groups.");
  section.def("__copy__", &copy_section);
  section.def("__deepcopy__", [](const Section& s, const py::object&) { return copy_section(s); }, "memo"_a);
  section.def(py::pickle(
      [](const Section& s) {
        return py::make_tuple(text_to_python(s.titles[0]), text_to_python(s.titles[1]), py::list(s.groups),
                              energized_of(s), s.conditions, s.english, text_to_python(s.options),
                              py::list(s.points));
      },
      [](const py::tuple& t) {
        if (t.size() != 8) throw py::value_error("a pickled CrossSection holds 8 values");
        Section s;
        s.titles[0] = text_from_python(t[0], "titles[0]");
        s.titles[1] = text_from_python(t[1], "titles[1]");
        s.groups = group_list(t[2]);
        if (!t[3].is_none()) s.energized = t[3].cast<int>();
        s.conditions = t[4].cast<brenlow::Conditions>();
        s.english = t[5].cast<bool>();
        s.options = text_from_python(t[6], "options");
        s.points = point_list(t[7]);
        return s;
      }));
  section.def("__repr__", &section_repr);
  section.def("__eq__", [](const Section& a, const Section& b) { return same(a, b); }, py::is_operator());
  return section;
}

void bind_data_files(py::module_& m) {
  m.def(
      "read_data_file",
      [](const py::object& path) {
        const std::string p = path_from_python(path);
        brenlow::CrossSection c;
        {
          py::gil_scoped_release released;
          c = brenlow::read_data_file(p);
        }
        return from_engine(c);
      },
      "path"_a,
      R"(Reads a data file as tesk31 reads it (the same records, checks and
messages; English units converted to metric). Raises brenlow.Error naming
the file and the record when it cannot.)");
  m.def(
      "parse_data_file",
      [](const py::object& text, const py::object& name) {
        return from_engine(
            brenlow::parse_data_file(text_from_python(text, "text"), text_from_python(name, "name")));
      },
      "text"_a, "name"_a = "data file", "Reads data file text held in memory; name stands for the file in messages.");
}

}  // namespace brenlow_python
