#include "table.hpp"

#include <pybind11/stl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace py = pybind11;
using namespace pybind11::literals;

namespace brenlow_python {
namespace {

std::size_t index_of(const Table& t, const std::string& name) {
  return static_cast<std::size_t>(std::find(t.names.begin(), t.names.end(), name) - t.names.begin());
}

const py::object& column(const Table& t, const std::string& name) {
  const std::size_t i = index_of(t, name);
  if (i == t.names.size()) throw py::key_error(name);
  return t.columns[i];
}

// Up to 5 rows from each end of every column, as text.
std::string table_repr(const Table& t) {
  py::module_ np = py::module_::import("numpy");
  std::vector<py::list> flat;
  std::size_t rows = 0;
  for (const auto& c : t.columns) {
    flat.push_back(np.attr("ravel")(c).attr("tolist")());
    rows = std::max(rows, py::len(flat.back()));
  }
  std::string text = "Table(" + t.kind + ", " + std::to_string(rows) + (rows == 1 ? " row" : " rows");
  if (!t.columns.empty()) {
    const py::tuple shape = np.attr("shape")(t.columns[0]);
    if (py::len(shape) > 1) text += " of shape " + std::string(py::str(static_cast<const py::object&>(shape)));
  }
  text += ")\n";
  std::vector<std::vector<std::string>> cells(t.names.size());
  std::vector<std::size_t> shown;
  for (std::size_t r = 0; r < rows; ++r) {
    if (rows <= 12 || r < 5 || r + 5 >= rows) shown.push_back(r);
  }
  for (std::size_t c = 0; c < t.names.size(); ++c) {
    cells[c].push_back(t.names[c]);
    cells[c].push_back(t.units[c].empty() ? "" : "(" + t.units[c] + ")");
    for (const std::size_t r : shown) {
      if (r >= py::len(flat[c])) {
        cells[c].push_back("");
        continue;
      }
      const py::handle v = flat[c][r];
      if (py::isinstance<py::float_>(v)) {
        char number[32];
        const double d = v.cast<double>();
        std::snprintf(number, sizeof number, "%.6g", std::isnan(d) ? std::fabs(d) : d);
        cells[c].push_back(number);
      } else {
        cells[c].push_back(py::str(v));
      }
    }
  }
  for (std::size_t line = 0; line < shown.size() + 2; ++line) {
    if (line >= 2 && rows > 12 && shown[line - 2] == rows - 5) text += "  ...\n";
    std::string row = " ";
    for (std::size_t c = 0; c < cells.size(); ++c) {
      std::size_t width = 0;
      for (const auto& cell : cells[c]) width = std::max(width, cell.size());
      row.append(1 + width - cells[c][line].size(), ' ');
      row.append(cells[c][line]);
    }
    text.append(row);
    text.push_back('\n');
  }
  text.pop_back();
  return text;
}

}  // namespace

void bind_table(py::module_& m) {
  py::class_<Table> table(m, "Table", R"(Named columns of results in order, each a numpy array, with their units.

Read a column as t["e"] or t.e; iterate over the names (len() counts the
columns, as for a dict); t.units gives the
unit of each column; to_frame() gives a pandas DataFrame (when pandas is
installed), to_dict() a plain dict of arrays.)");
  table.def("__getitem__", [](const Table& t, const std::string& name) { return column(t, name); }, "name"_a);
  table.def(
      "__getattr__",
      [](const Table& t, const std::string& name) {
        const std::size_t i = index_of(t, name);
        if (i == t.names.size()) throw py::attribute_error("Table has no column '" + name + "'");
        return t.columns[i];
      },
      "name"_a);
  table.def("__contains__", [](const Table& t, const std::string& name) { return index_of(t, name) < t.names.size(); });
  table.def("__len__", [](const Table& t) { return t.names.size(); });
  table.def("__iter__", [](const Table& t) { return py::iter(py::cast(t.names)); });
  table.def("__dir__", [](const py::object& self) {
    py::list names = py::module_::import("builtins").attr("object").attr("__dir__")(self);
    for (const auto& n : self.cast<const Table&>().names) names.append(n);
    return names;
  });
  table.def("keys", [](const Table& t) { return t.names; }, "The column names, in order.");
  table.def("values", [](const Table& t) { return t.columns; }, "The columns, in order.");
  table.def(
      "items",
      [](const Table& t) {
        py::list items;
        for (std::size_t i = 0; i < t.names.size(); ++i) items.append(py::make_tuple(t.names[i], t.columns[i]));
        return items;
      },
      "(name, column) pairs, in order.");
  table.def_property_readonly(
      "units",
      [](const Table& t) {
        py::dict units;
        for (std::size_t i = 0; i < t.names.size(); ++i) units[py::str(t.names[i])] = t.units[i];
        return units;
      },
      "The unit of each column by name ('' for a name column).");
  table.def(
      "to_dict",
      [](const Table& t) {
        py::dict d;
        for (std::size_t i = 0; i < t.names.size(); ++i) d[py::str(t.names[i])] = t.columns[i];
        return d;
      },
      "The columns as a plain dict of numpy arrays, in order.");
  table.def(
      "to_frame",
      [](const Table& t) {
        py::module_ pandas;
        try {
          pandas = py::module_::import("pandas");
        } catch (py::error_already_set& e) {
          if (!e.matches(PyExc_ImportError)) throw;
          throw py::import_error("to_frame needs pandas, which this Python cannot import (Debian: python3-pandas)");
        }
        py::module_ np = py::module_::import("numpy");
        py::dict d;
        for (std::size_t i = 0; i < t.names.size(); ++i) d[py::str(t.names[i])] = np.attr("ravel")(t.columns[i]);
        py::object frame = pandas.attr("DataFrame")(d);
        py::dict units;
        for (std::size_t i = 0; i < t.names.size(); ++i) units[py::str(t.names[i])] = t.units[i];
        frame.attr("attrs")["units"] = units;
        return frame;
      },
      R"(A pandas DataFrame of the columns (flattened when they are not 1-D); its
attrs["units"] holds the units. Raises ImportError when pandas is missing.)");
  table.def("__repr__", &table_repr);
}

}  // namespace brenlow_python
