#pragma once
// Values between Python and the engine: text, numbers, paths, the unit of
// B, numpy columns, and the module's warnings.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <string>
#include <vector>

#include "cli/units.hpp"

namespace brenlow_python {

// Text crosses as Latin-1, one byte per character as a data file holds it;
// a str with a character beyond Latin-1 is a ValueError naming what.
pybind11::str text_to_python(const std::string& text);
std::string text_from_python(const pybind11::handle& value, const std::string& what);
// The nearest float; ValueError naming what beyond the float range.
float to_single(double value, const std::string& what);
// The shortest text that reads back as the same float.
std::string float_text(float value);
std::string type_name(const pybind11::handle& value);
// A number given by keyword or in a tuple (TypeError naming what
// otherwise), as a double, as the nearest float, or as an int.
double number(const pybind11::handle& value, const std::string& what);
float single_number(const pybind11::handle& value, const std::string& what);
int whole_number(const pybind11::handle& value, const std::string& what);
// A str or os.PathLike of str as a path.
std::string path_from_python(const pybind11::object& path);

// The unit B is shown in: "uT", "mG" or "G" in any case; ValueError for
// another name, TypeError for what is not a str.
cli::BUnit b_unit_of(const pybind11::object& text);
// Values in gauss, in unit b.
void from_gauss(std::vector<float>& values, cli::BUnit b);

// Values as float32 arrays of any shape (a scalar is shape ()), and result
// columns in the inputs' shape (a scalar input gives a numpy scalar).
using FloatArray = pybind11::array_t<float, pybind11::array::c_style | pybind11::array::forcecast>;
FloatArray float_array(const pybind11::object& values);
pybind11::object column(std::vector<float>&& values, const std::vector<pybind11::ssize_t>& shape);

// Coordinates of points as float32 arrays broadcast together, each value
// checked as the command line checks a point: a number within the
// farthest distance the engine's single precision resolves, and a height
// not below the ground. ValueError naming the coordinate, its index and
// value ("height[1]: -1.0 m is below the ground ...").
struct Coordinate {
  const char* name;
  pybind11::object values;
  bool height;
};
std::vector<FloatArray> checked_points(const std::vector<Coordinate>& coordinates);

// brenlow.BrenlowWarning, made once with the module; warn() shows text as one.
void make_warning_category(pybind11::module_& m);
void warn(const std::string& text);

}  // namespace brenlow_python
