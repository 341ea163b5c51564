// Values between Python and the engine.
#include "values.hpp"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "engine/engine.hpp"

namespace py = pybind11;
using namespace pybind11::literals;

namespace brenlow_python {

// A data file holds one byte per character: text crosses as Latin-1, so
// every byte a file holds comes back as it was read.
py::str text_to_python(const std::string& text) {
  PyObject* result = PyUnicode_DecodeLatin1(text.data(), static_cast<Py_ssize_t>(text.size()), nullptr);
  if (result == nullptr) throw py::error_already_set();
  return py::reinterpret_steal<py::str>(result);
}

std::string text_from_python(const py::handle& value, const std::string& what) {
  if (!py::isinstance<py::str>(value)) {
    throw py::type_error(what + " must be a str, not " + std::string(py::str(value.get_type().attr("__name__"))));
  }
  PyObject* bytes = PyUnicode_AsLatin1String(value.ptr());
  if (bytes == nullptr) {
    PyErr_Clear();
    throw py::value_error(what + " " + std::string(py::repr(value)) +
                          " has a character a data file cannot hold (one byte per character, Latin-1)");
  }
  std::string text(PyBytes_AS_STRING(bytes), static_cast<std::size_t>(PyBytes_GET_SIZE(bytes)));
  Py_DECREF(bytes);
  return text;
}

// The engine computes in single precision: a value is rounded to the
// nearest float on entry, and one beyond the float range is refused rather
// than turned into an infinity.
float to_single(double value, const std::string& what) {
  if (std::isfinite(value) && std::fabs(value) > static_cast<double>(std::numeric_limits<float>::max())) {
    char text[64];
    std::snprintf(text, sizeof text, "%g", value);
    throw py::value_error(what + "=" + text + " is beyond the single-precision range");
  }
  return static_cast<float>(value);
}

// The shortest text that reads back as the same float, as Python writes floats.
std::string float_text(float value) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, value).ptr;
  std::string result(text, end);
  if (result.find_first_of(".en") == std::string::npos) result += ".0";
  return result;
}

std::string type_name(const py::handle& value) { return py::str(value.get_type().attr("__name__")); }

// Numbers given by keyword or in tuples: a TypeError naming the argument
// when they are not numbers.
double number(const py::handle& value, const std::string& what) {
  if (!PyNumber_Check(value.ptr()) || py::isinstance<py::str>(value)) {
    throw py::type_error(what + " must be a number, not " + type_name(value));
  }
  return py::float_(py::reinterpret_borrow<py::object>(value));
}

float single_number(const py::handle& value, const std::string& what) { return to_single(number(value, what), what); }

int whole_number(const py::handle& value, const std::string& what) {
  if (!PyIndex_Check(value.ptr())) throw py::type_error(what + " must be an int, not " + type_name(value));
  const long long n = py::int_(py::reinterpret_borrow<py::object>(value));
  if (n < std::numeric_limits<int>::min() || n > std::numeric_limits<int>::max()) {
    throw py::value_error(what + "=" + std::to_string(n) + " is beyond the int range");
  }
  return static_cast<int>(n);
}

std::string path_from_python(const py::object& path) {
  py::object fspath = py::module_::import("os").attr("fspath")(path);
  if (!py::isinstance<py::str>(fspath)) throw py::type_error("a path must be a str or an os.PathLike of str");
  return fspath.cast<std::string>();
}

// The unit B is shown in: "uT", "mG" or "G" in any case; ValueError for
// anything else.
cli::BUnit b_unit_of(const py::object& text) {
  if (!py::isinstance<py::str>(text)) {
    throw py::type_error("b_unit must be a str: 'uT', 'mG' or 'G', not " +
                         std::string(py::str(text.get_type().attr("__name__"))));
  }
  const std::string name = text.cast<std::string>();
  if (const auto b = cli::parse_b_unit(name)) return *b;
  throw py::value_error("unknown b_unit '" + name + "'; the units of B are uT, mG and G");
}

// Values in gauss, in unit b.
void from_gauss(std::vector<float>& values, cli::BUnit b) {
  const float factor = static_cast<float>(cli::per_gauss(b));
  for (float& v : values) v *= factor;
}

// x as a float32 array of any shape (a scalar is shape ()).
FloatArray float_array(const py::object& values) {
  py::object array = py::module_::import("numpy").attr("asarray")(values, "dtype"_a = "float32");
  return array.cast<FloatArray>();
}

std::vector<FloatArray> checked_points(const std::vector<Coordinate>& coordinates) {
  py::module_ np = py::module_::import("numpy");
  py::list arrays;
  for (const Coordinate& c : coordinates) arrays.append(np.attr("asarray")(c.values, "dtype"_a = "float64"));
  const py::tuple all = np.attr("broadcast_arrays")(*arrays);
  const auto shown = [](double v) { return std::string(py::repr(py::float_(v))); };
  std::vector<FloatArray> out;
  for (std::size_t k = 0; k < coordinates.size(); ++k) {
    const py::array_t<double, py::array::c_style | py::array::forcecast> values(all[k]);
    const double* v = values.data();
    for (py::ssize_t i = 0; i < values.size(); ++i) {
      const auto refuse = [&](const std::string& why) {
        std::string what = coordinates[k].name;
        if (values.ndim() > 0) what += '[' + std::to_string(i) + ']';
        throw py::value_error(what + ": " + shown(v[i]) + why);
      };
      if (!std::isfinite(v[i])) refuse(" is not a distance");
      if (std::fabs(v[i]) > brenlow::farthest_distance)
        refuse(" m is farther than " + std::to_string(static_cast<long>(brenlow::farthest_distance / 1000)) +
               " km from the line, as far as the engine reaches");
      if (coordinates[k].height && v[i] < 0) refuse(" m is below the ground: heights start at 0 m");
    }
    out.push_back(float_array(values));
  }
  return out;
}

// A result column: the values in the shape of the input; a scalar input
// gives a numpy scalar.
py::object column(std::vector<float>&& values, const std::vector<py::ssize_t>& shape) {
  FloatArray array(shape);
  std::copy(values.begin(), values.end(), array.mutable_data());
  if (shape.empty()) return array[py::tuple()];
  return array;
}

namespace {
// brenlow.BrenlowWarning, made when the module is.
PyObject* warning_category = nullptr;
}  // namespace

void make_warning_category(py::module_& m) {
  warning_category = PyErr_NewExceptionWithDoc(
      "brenlow.BrenlowWarning",
      "What is legal but probably not meant in an evaluated section, in the engine's words (a UserWarning).",
      PyExc_UserWarning, nullptr);
  if (warning_category == nullptr) throw py::error_already_set();
  m.attr("BrenlowWarning") = py::handle(warning_category);
}

void warn(const std::string& text) {
  py::module_::import("warnings").attr("warn")(text_to_python(text), py::handle(warning_category), 1);
}

}  // namespace brenlow_python
