#pragma once
// brenlow.Span, the line of sagging spans, beside the main binding.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace brenlow_python {

void bind_span(pybind11::module_& m);

// From the main binding: values as float32 arrays, result columns in the
// inputs' shape, and work shared among the cores.
using FloatArray = pybind11::array_t<float, pybind11::array::c_style | pybind11::array::forcecast>;
FloatArray float_array(const pybind11::object& values);
pybind11::object column(std::vector<float>&& values, const std::vector<pybind11::ssize_t>& shape);
void parallel_for(std::size_t n, const std::function<void(std::size_t, std::size_t)>& work);
// A number given by keyword (TypeError naming what otherwise) as the
// nearest float (ValueError beyond the float range).
float single_number(const pybind11::handle& value, const std::string& what);

}  // namespace brenlow_python
