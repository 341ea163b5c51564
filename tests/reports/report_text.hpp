#pragma once
// Helpers of the report tests: a small three-phase line with two earth
// wires and a reader of DIF tables.

#include <cmath>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "model/problem_data.hpp"
#include "support/records.hpp"

namespace report_test {

// Flat 3-phase AC line, phases at -12, 0, 12 m, two earth wires above;
// 21 lateral points from -50 m in steps of 5 m. Every value is held in
// metres as after the unit conversion; `units` only chooses the variant
// the reports print.
inline Problem small_line(integer units = 0) {
  Problem p;
  set_initial_values(p);
  Inputs& in = p.inputs;
  RunData& run = p.run;
  run.title[0] = "500 KV TEST LINE";
  run.title[1] = "FLAT CONFIGURATION, TWO EARTH WIRES";
  run.units = units;
  run.distunit = units != 0 ? "FEET" : "MTRS";
  run.diamunit = units != 0 ? "(IN)" : "(MM)";
  in.wind = 1.0f;
  in.rainrate = 1.0f;
  in.altitude = 300.0f;
  in.gndcond = 10.0f;
  run.anheight = 1.5f;
  run.riheight = 2.0f;
  run.tvheight = 10.0f;
  run.ozheight = 1.0f;
  run.rifreq = 1.0f;
  run.tvfreq = 75.0f;
  run.mfheight = 1.0f;
  run.efheight = 1.0f;
  in.nphases = 3;
  run.ncond = 5;
  in.nearth = 2;
  const char* names[] = {"PHASE A", "PHASE B", "PHASE C", "EARTH 1", "EARTH 2"};
  const real xs[] = {-12, 0, 12, -9, 9};
  for (int i = 0; i < 5; ++i) {
    run.condname[i] = names[i];
    in.xcond[i] = xs[i];
    const bool phase = i < 3;
    in.ycond[i] = phase ? 15.0f : 25.0f;
    in.nsub[i] = phase ? 3 : 1;
    in.subdiam[i] = phase ? 30.0f : 11.0f;
    in.spacing[i] = phase ? 45.0f : 0.0f;
    in.acflag[i] = phase;
    in.volts[i] = phase ? 303.0f : 0.0f;
    in.phangle[i] = phase ? 120.0f * static_cast<real>(i) : 0.0f;
    in.current[i] = phase ? 1.0f : 0.0f;
    in.gradient[i] = phase ? 17.0f : 0.0f;
    // Bundle charges as the gradient step would leave them, roughly.
    const real angle = in.phangle[i] * 0.017453292f;
    in.qreal[i] = phase ? 5.0e-6f * std::cos(angle) : -1.0e-7f;
    in.qimag[i] = phase ? 5.0e-6f * std::sin(angle) : 0.0f;
  }
  run.npoints = 21;
  for (int j = 0; j < run.npoints; ++j) run.latpts[j] = -50.0f + 5.0f * static_cast<real>(j);
  return p;
}

// A DIF table as a spreadsheet reads it: the header's vector and tuple
// counts and the numeric values of every tuple. Throws on anything that
// is not well-formed DIF.
struct DifTable {
  long vectors = -1;
  long tuples = -1;
  std::vector<std::vector<double>> rows;
};

inline DifTable read_dif(const std::string& text) {
  const auto split = support::split_records(text);
  if (!split.unended.empty()) throw std::runtime_error("record without CR LF");
  const auto& recs = split.records;
  std::size_t k = 0;
  auto next = [&]() -> const std::string& {
    if (k >= recs.size()) throw std::runtime_error("DIF ends early");
    return recs[k++];
  };
  // "type,number" of a numeric line.
  auto numeric = [&](long& type, std::string& number) {
    const std::string& line = next();
    const auto comma = line.find(',');
    if (comma == std::string::npos) throw std::runtime_error("no comma in '" + line + "'");
    type = std::stol(line.substr(0, comma));
    number = line.substr(comma + 1);
  };
  DifTable table;
  for (;;) {
    const std::string topic = next();
    long type = 0;
    std::string number;
    numeric(type, number);
    if (next() != "\"\"") throw std::runtime_error("header string is not empty");
    if (topic == "VECTORS") table.vectors = std::stol(number);
    if (topic == "TUPLES") table.tuples = std::stol(number);
    if (topic == "DATA") break;
  }
  for (;;) {
    long type = 0;
    std::string number;
    numeric(type, number);
    const std::string word = next();
    if (type == -1 && word == "EOD") break;
    if (type == -1 && word == "BOT") {
      table.rows.emplace_back();
      continue;
    }
    if (type != 0 || word != "V" || table.rows.empty()) throw std::runtime_error("bad data entry");
    char* end = nullptr;
    const double value = std::strtod(number.c_str(), &end);
    if (*end != '\0') throw std::runtime_error("bad number '" + number + "'");
    table.rows.back().push_back(value);
  }
  if (k != recs.size()) throw std::runtime_error("records after EOD");
  return table;
}

}  // namespace report_test
