#include "input/records.hpp"

namespace input {

void write_title_record(const RunData& run, int line, record::Writer& out) {
  out.write("(1X,A72)", {run.title[line].view()});
}

void write_general_record(const Problem& problem, record::Writer& out) {
  const Inputs& in = problem.inputs;
  const RunData& run = problem.run;
  out.write("(1X,2(I1.1,','),2(I2,','),'0.0',3(',',F7.2))",
            {run.units, run.gradopt, in.nphases, run.ncond, in.wind, in.rainrate, in.altitude});
}

void list_heights(const Problem& problem, record::Writer& out) {
  const RunData& run = problem.run;
  out.write("(1X,8(F7.3,','),F7.3)", {run.anheight, run.riheight, run.tvheight, run.ozheight, run.rifreq,
                                      run.tvfreq, run.mfheight, problem.inputs.gndcond, run.efheight});
}

void write_group_record(const Problem& problem, int i, const FixedString<1>& acdc, record::Writer& out) {
  const Inputs& in = problem.inputs;
  const RunData& run = problem.run;
  out.write("(2H ',A8,3H',',A1,1H',2(',',F8.2),',',I2.1,                6(',',F8.3))",
            {run.condname[i].view(), acdc.view(), in.xcond[i], in.ycond[i], in.nsub[i], in.subdiam[i],
             in.spacing[i], in.volts[i], in.phangle[i], in.current[i], in.gradient[i]});
}

void list_point_record(const RunData& run, record::Writer& out) {
  out.write("(I4.1,2F7.1)", {run.segpoints, run.xstart, run.xinc});
}

void add_point_group(RunData& run) {
  for (int k = 0; k < run.segpoints && run.npoints < max_points; ++k) {
    run.latpts[run.npoints] = run.xstart;
    run.npoints = static_cast<integer>(run.npoints + 1);
    run.xstart = run.xstart + run.xinc;
  }
}

}  // namespace input
