#pragma once
// The largest case, shared by the benchmarks and the test that holds the
// whole output of a run on it: a 50-group line with AC and DC groups (the
// gradient step turns the AC phasors through a full cycle of 3600 steps)
// and 100 lateral points.

#include <sstream>
#include <string>

#include "model/problem_data.hpp"

namespace support {

// Ten AC circuits, nine DC bipoles and two earth wires, every group at its
// own place: 50 groups in all.
inline void put_hybrid_groups(Inputs& in) {
  in.nphases = 48;
  in.nearth = 2;
  for (int i = 0; i < 48; ++i) {
    in.xcond[i] = -60.0f + 2.5f * static_cast<real>(i);
    in.ycond[i] = 15.0f + 5.0f * static_cast<real>(i % 3);
    in.nsub[i] = static_cast<integer>(2 + i % 3);
    in.subdiam[i] = 30.0f;
    in.spacing[i] = 45.0f;
    if (i < 30) {
      in.acflag[i] = true;
      in.volts[i] = 345.0f;
      in.phangle[i] = 120.0f * static_cast<real>(i % 3);
    } else {
      in.acflag[i] = false;
      in.volts[i] = i % 2 == 0 ? 400.0f : -400.0f;
    }
  }
  for (int i = 48; i < 50; ++i) {
    in.xcond[i] = i == 48 ? -20.0f : 20.0f;
    in.ycond[i] = 40.0f;
    in.nsub[i] = 1;
    in.subdiam[i] = 11.0f;
    in.acflag[i] = false;
  }
}

// The whole problem: the groups above, 100 lateral points from -99 m in
// steps of 2 m.
inline Problem hybrid_line() {
  Problem p;
  set_initial_values(p);
  Inputs& in = p.inputs;
  RunData& run = p.run;
  run.title[0] = "HYBRID AC/DC CORRIDOR, 50 GROUPS";
  run.title[1] = "BENCHMARK CASE";
  run.distunit = "MTRS";
  run.diamunit = "(MM)";
  in.wind = 2.0f;
  in.rainrate = 1.0f;
  in.altitude = 300.0f;
  in.gndcond = 10.0f;
  run.anheight = 1.5f;
  run.riheight = 2.0f;
  run.tvheight = 10.0f;
  run.ozheight = 1.0f;
  run.rifreq = 1.0f;
  run.tvfreq = 75.0f;
  run.efheight = 1.0f;
  run.mfheight = 1.0f;
  put_hybrid_groups(in);
  run.ncond = 50;
  for (int i = 0; i < 50; ++i) {
    run.condname[i] = i < 30 ? "AC PHASE" : i < 48 ? "DC POLE" : "EARTH";
    if (i < 48) in.current[i] = 1.5f;
  }
  run.npoints = 100;
  for (int j = 0; j < 100; ++j) run.latpts[j] = -99.0f + 2.0f * static_cast<real>(j);
  return p;
}

// The same line as a data file with `options` as its report options.
inline std::string hybrid_line_data(const std::string& options = "ALL") {
  const Problem p = hybrid_line();
  const Inputs& in = p.inputs;
  const RunData& run = p.run;
  std::ostringstream text;
  text << ' ' << run.title[0].trimmed() << "\n " << run.title[1].trimmed() << "\n";
  text << " 0,0," << in.nphases << ',' << run.ncond << ",0.0," << in.wind << ',' << in.rainrate << ','
       << in.altitude << "\n " << options << "\n";
  text << ' ' << run.anheight << ',' << run.riheight << ',' << run.tvheight << ',' << run.ozheight << ','
       << run.rifreq << ',' << run.tvfreq << ',' << run.mfheight << ',' << in.gndcond << ',' << run.efheight
       << "\n";
  for (int i = 0; i < run.ncond; ++i) {
    text << " '" << run.condname[i].view() << "','" << (in.acflag[i] ? 'A' : 'D') << "'," << in.xcond[i] << ','
         << in.ycond[i] << ',' << in.nsub[i] << ',' << in.subdiam[i] << ',' << in.spacing[i] << ','
         << in.volts[i] << ',' << in.phangle[i] << ',' << in.current[i] << ",0.0\n";
  }
  text << " 100,-99.0,2.0\n 0,0.0,0.0\n";
  return text.str();
}

}  // namespace support
