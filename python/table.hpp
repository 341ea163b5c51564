#pragma once
// A table of results: named numpy columns in order, with their units, read
// as a mapping or by attribute, and as a pandas DataFrame when pandas is
// there.
#include <pybind11/pybind11.h>

#include <string>
#include <vector>

#include "initialised.hpp"

namespace brenlow_python {

struct Table {
  explicit Table(std::string kind) : kind(std::move(kind)) {}
  void add(std::string name, pybind11::object values, std::string unit) {
    names.push_back(std::move(name));
    columns.push_back(std::move(values));
    units.push_back(std::move(unit));
  }

  std::string kind;  // what the table holds: "profile", "fields", ...
  std::vector<std::string> names;
  std::vector<pybind11::object> columns;
  std::vector<std::string> units;
};

void bind_table(pybind11::module_& m);

}  // namespace brenlow_python

namespace pybind11::detail {
template <>
class type_caster<brenlow_python::Table> : public brenlow_python::initialised_caster<brenlow_python::Table> {};
}  // namespace pybind11::detail
