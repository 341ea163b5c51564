#pragma once
// The second half of a run: the gradients once, the selected report
// sections in their fixed order, and the closing of the output files.

#include "model/problem_data.hpp"
#include "driver/run_files.hpp"
#include "format/record.hpp"

namespace driver {

// Conductor surface gradients: ztmxgrad, then the computed gradients
// replace the entered ones unless gradients were given in the input.
void compute_gradients(Problem& problem, record::Writer& console);

// The report sections selected by rptflags, in their fixed order. `dif`
// is the open DIF file (used by the combined report only).
void write_reports(Problem& problem, record::Writer& print, record::Writer& dif, record::Writer& console);

// Gradients and reports on the run's files.
void run_sequence(Problem& problem, RunFiles& files);

// The closing: the final record of the print file, then the print file
// and the DIF file closed. Throws record::FileError when a file could not
// be written out.
void close_run(RunFiles& files);

}  // namespace driver
