#pragma once
// Objects made by __new__ and never initialised hold no value: every method
// refuses them with a TypeError instead of reading memory that holds none.
// Each bound class gets this caster in every file that passes it to or
// from Python (pybind11::detail::type_caster specialised below its type).
#include <pybind11/pybind11.h>

#include <string>
#include <typeinfo>

namespace brenlow_python {

inline void refuse_uninitialised(pybind11::handle value, const std::type_info& type) {
  namespace detail = pybind11::detail;
  detail::type_info* info = detail::get_type_info(type);
  if (info == nullptr || !PyObject_TypeCheck(value.ptr(), info->type)) return;
  const detail::value_and_holder held =
      reinterpret_cast<detail::instance*>(value.ptr())->get_value_and_holder(info, false);
  // An instance is registered once its value is made (by __init__, by
  // unpickling, or as a result handed out); __new__ alone leaves it bare.
  if (held && held.instance_registered()) return;
  const std::string name = info->type->tp_name;
  throw pybind11::type_error(name + " object made by __new__ alone is not initialised and holds no value");
}

template <class T>
class initialised_caster : public pybind11::detail::type_caster_base<T> {
 public:
  bool load(pybind11::handle value, bool convert) {
    refuse_uninitialised(value, typeid(T));
    return pybind11::detail::type_caster_base<T>::load(value, convert);
  }
};

}  // namespace brenlow_python
