// Cross sections built or read in Python: brenlow.CrossSection, moved to
// and from the engine's section, and the data files it is read from.
#include "section.hpp"

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "interpreter.hpp"

namespace py = pybind11;
using namespace pybind11::literals;

namespace brenlow_python {

namespace {

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
  // The gradients' warnings need the gradient step; a section the checks
  // refuse has none, and the caller's own check says why.
  std::vector<std::string> said;
  try {
    said = brenlow::gradient_step_warnings(engine);
  } catch (const brenlow::Error&) {
    said = brenlow::warnings(engine);
  }
  for (const std::string& text : said) warn(text);
  return engine;
}

py::object section_to_python(const brenlow::CrossSection& section) { return py::cast(from_engine(section)); }

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

namespace {

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

void warn_about(const brenlow::Evaluation& run) {
  for (const std::string& text : brenlow::warnings(run)) warn(text);
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
        const ReleasedGil released;
        brenlow::write_data_file(c, p);
      },
      "path"_a,
      "Writes the section as a data file that tesk31 reads (see data_file_text); brenlow.Error when it cannot.",
      py::call_guard<LongCall>());
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
          const ReleasedGil released;
          c = brenlow::read_data_file(p);
        }
        return from_engine(c);
      },
      "path"_a,
      R"(Reads a data file as tesk31 reads it (the same records, checks and
messages; English units converted to metric). Raises brenlow.Error naming
the file and the record when it cannot.)",
      py::call_guard<LongCall>());
  m.def(
      "parse_data_file",
      [](const py::object& text, const py::object& name) {
        return from_engine(
            brenlow::parse_data_file(text_from_python(text, "text"), text_from_python(name, "name")));
      },
      "text"_a, "name"_a = "data file", "Reads data file text held in memory; name stands for the file in messages.");
}

}  // namespace brenlow_python
