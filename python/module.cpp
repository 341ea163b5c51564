// The Python face of the engine: cross sections built or read in Python,
// their evaluation into numpy arrays, the studies and the line of spans.
// This file makes the module; each part binds its own classes.
#include <pybind11/eval.h>
#include <pybind11/pybind11.h>

#include <string>

#include "cli/version.hpp"
#include "engine/engine.hpp"
#include "evaluation.hpp"
#include "interpreter.hpp"
#include "parts.hpp"
#include "section.hpp"
#include "ion_flow.hpp"
#include "span.hpp"
#include "limits.hpp"
#include "studies.hpp"
#include "table.hpp"
#include "values.hpp"

namespace py = pybind11;

namespace brenlow_python {

namespace {

const char* module_doc = R"(Brenlow: corona effects and power-frequency fields of an overhead line.

Read a data file, or build a cross section from groups, and evaluate it
with the engine that tesk31 runs: the same routines on the same single-
precision values, so the numbers are the ones tesk31 prints.

    >>> import brenlow
    >>> line = brenlow.read_data_file("examples/example.dat")
    >>> for group in line.groups:
    ...     group.y += 2.0                      # the whole line 2 m higher
    >>> p = line.profile(range(-50, 51, 5))     # a Table of numpy arrays
    >>> p.e, p.b                                # kV/m, uT
    >>> line.at(30.0, [1.0, 2.0]).e             # E at any height

Units are metric throughout, whatever the data file's units: m, mm
(subconductor diameter), cm (bundle spacing), kV line to ground, kA,
degrees, kV/cm, MHz, m/s, mm/hr, mmhos/m; E in kV/m, B in uT unless
b_unit="mG" or "G" says otherwise (1 G = 100 uT = 1000 mG; tesk31's
print and DIF files hold gauss), noise in dB(A) and dB(uV/m), ozone in
ppb.

Everything the engine refuses raises brenlow.Error, a ValueError, with
the engine's message. What is legal but probably not meant (a current
entered negative, a voltage on a group counted as an earth wire, a phase's
diameter below 5 mm, a surface gradient above 30 kV/cm, ozone asked
without wind) is shown as a
brenlow.BrenlowWarning when a section is evaluated; the warnings module
turns these off or into errors as any other warning.
)";

// pprint looks a type's __repr__ up in a dict, and pybind11's method
// wrapper cannot be hashed: each class gets a plain Python __repr__ that
// calls its own.
void plain_repr(py::module_& m, const char* name) {
  py::dict scope;
  py::exec("def __repr__(self):\n    return type(self)._repr(self)\n", scope);
  py::object cls = m.attr(name);
  cls.attr("_repr") = cls.attr("__repr__");
  scope["__repr__"].attr("__qualname__") = std::string(name) + ".__repr__";
  cls.attr("__repr__") = scope["__repr__"];
}

}  // namespace

}  // namespace brenlow_python

using namespace brenlow_python;

PYBIND11_MODULE(brenlow, m) {
  m.doc() = module_doc;
  m.attr("__version__") = std::string(cli::version());
  py::register_exception<brenlow::Error>(m, "Error", PyExc_ValueError);
  m.attr("Error").attr("__doc__") =
      "What the engine refuses: a section that fails a check, a data file that cannot be read or written.";
  make_warning_category(m);
  wait_for_work_at_exit();

  bind_table(m);
  bind_section_parts(m);
  bind_evaluation(m);
  py::class_<brenlow_python::Section> section = bind_cross_section(m);
  bind_section_evaluation(section);
  bind_data_files(m);

  bind_studies(m);
  bind_span(m);
  bind_ion_flow(m);
  bind_limits(m);
  for (const char* name : {"Group", "Conditions", "PointGroup", "Evaluation", "CrossSection", "Table"}) {
    plain_repr(m, name);
  }
}
