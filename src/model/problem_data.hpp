#pragma once
// The problem data of one run: the input block that every computation
// routine reads, the output block with one region per routine, and the
// driver's own run data. The driver owns exactly one of each for the whole
// run. Arrays hold group i (1-based in the data file and the reports) at
// index i - 1.

#include <array>
#include <cstdint>

#include "model/file_name.hpp"
#include "model/fixed_string.hpp"

using real = float;
using integer = std::int16_t;

inline constexpr int max_groups = 50;   // conductor groups: poles or phases plus earth wires
inline constexpr int max_points = 100;  // lateral points

using GroupReals = std::array<real, max_groups>;
using GroupIntegers = std::array<integer, max_groups>;
using GroupFlags = std::array<bool, max_groups>;

// Conversion factors between the English units of the input and the
// metric units the computation works in (single precision, as stored).
inline constexpr real metres_per_foot = 0.3048f;
inline constexpr real mm_per_inch = 25.4f;
inline constexpr real cm_per_inch = 2.54f;
inline constexpr real mps_per_mph = 0.44707f;
inline constexpr real mmhr_per_inhr = 25.4f;
inline constexpr real kwmi_per_kwkm = 1.60934f;

struct Inputs {
  real wind = 0;          // wind velocity, m/s
  real rainrate = 0;      // rain rate, mm/hr
  bool rainflag = false;  // next call: true = rain, false = fair weather
  real altitude = 0;      // line altitude above sea level, m
  real gndcond = 0;       // ground conductivity, mmhos/m
  real evalfreq = 0;      // next call: frequency, MHz
  real evalht = 0;        // next call: height of microphone, antenna or sensor, m
  real xpoint = 0;        // next call: lateral coordinate of the point, m
  bool gradinput = false; // gradients given in the input rather than computed
  integer nphases = 0;    // energized groups 1..nphases
  integer nearth = 0;     // earth wires, ncond - nphases
  GroupReals xcond{};     // bundle centre, horizontal, m
  GroupReals ycond{};     // bundle centre height above ground, m
  GroupIntegers nsub{};   // subconductors in the bundle
  GroupReals subdiam{};   // subconductor diameter, mm
  GroupReals spacing{};   // subconductor spacing, cm
  GroupFlags acflag{};    // true for an AC group
  GroupReals volts{};     // line-to-ground kV (rms for AC); sign = polarity of a DC pole
  GroupReals current{};   // kA
  GroupReals phangle{};   // degrees
  GroupReals gradient{};  // maximum bundle surface gradient used by the corona routines, kV/cm
  GroupReals calcgrad{};  // computed maximum bundle surface gradient, kV/cm
  GroupReals qreal{};     // bundle charge per unit length, real part, C/m
  GroupReals qimag{};     // bundle charge per unit length, imaginary part, C/m
};

struct AudibleNoiseResults {
  real anl5 = 0;
  real anl50 = 0;
  GroupReals ancond{};
};

struct RadioResults {
  real ril50 = 0;
  GroupReals ricond{};
};

struct TvResults {
  real tvl50 = 0;
  GroupReals tvcond{};
};

struct OzoneResults {
  real ozppb = 0;
  GroupReals ozprod{};
  GroupReals ozconc{};
  GroupReals clcond{};
};

struct ElectricFieldResults {
  real efmax = 0, eftheta = 0, efy = 0, efthetay = 0, efx = 0, efthetax = 0, efpot = 0;
};

struct MagneticFieldResults {
  real mfmax = 0, mftheta = 0, mfy = 0, mfthetay = 0, mfx = 0, mfthetax = 0;
};

struct Outputs {
  AudibleNoiseResults audible;
  RadioResults radio;
  TvResults tv;
  OzoneResults ozone;
  ElectricFieldResults electric;
  MagneticFieldResults magnetic;
};

// Report flags, in the order the report sections run.
enum Report { AN, RI, TV, OZ, CL, EF, MF, COMB, report_count };

struct RunDate {
  integer year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, hundredths = 0;
};

struct RunData {
  std::array<FixedString<72>, 2> title{};
  integer units = 0;    // 0 metric, 1 English
  integer gradopt = 0;  // 0 computed, 1 given in the input
  integer ncond = 0;    // poles or phases plus earth wires
  real anheight = 0, riheight = 0, tvheight = 0, ozheight = 0;
  real rifreq = 0, tvfreq = 0;
  real mfheight = 0, efheight = 0;
  std::array<FixedString<8>, max_groups> condname{};
  FixedString<1> acdc;
  std::array<real, max_points> latpts{};
  integer npoints = 0;
  integer segpoints = 0;
  real xstart = 0, xinc = 0;
  FixedString<45> prtopts;
  FixedString<1> overans;
  std::array<bool, report_count> rptflags{};
  integer dataopt = 0;  // 0 file named on the command line, 1 at the prompt, 2 keyboard
  FileName infile, prtfile, savefile, diffile;  // whole, never cut
  FixedString<4> distunit, diamunit;
  RunDate date;
};

// Static tables of the report sections.
inline constexpr std::array<real, 13> freqtab = {0.1f, 0.2f, 0.3f, 0.5f, 0.834f, 1.0f, 1.25f,
                                                 1.5f, 2.0f, 3.0f, 5.0f, 10.0f, 20.0f};
inline constexpr std::array<real, 8> tvfreqtab = {30, 60, 75, 125, 250, 500, 750, 1000};
inline constexpr std::array<real, 11> heighttab = {0,     4.57f,  9.14f,  13.72f, 18.29f, 22.86f,
                                                   27.43f, 32.0f, 36.58f, 41.15f, 45.72f};
inline constexpr std::array<real, 11> latdisttab = {0,      4.57f,  9.14f,  13.72f, 18.29f, 22.86f,
                                                    45.72f, 68.58f, 91.44f, 114.3f, 137.16f};

// The three records of a run, with the initial values set at start-up.
struct Problem {
  Inputs inputs;
  Outputs outputs;
  RunData run;
};
void set_initial_values(Problem& problem);

// Resets the report selection just before the report options are read:
// every flag false, the option string " NONE", the override answer "N".
void reset_report_selection(RunData& run);

// Derived fields, set as soon as the general data have been read.
void set_derived_fields(Inputs& inputs, const RunData& run);
// True when the group type letter makes the group AC: exactly "A".
bool is_ac_letter(const FixedString<1>& acdc);

// English input converted to metric in place, when units is exactly 1.
void convert_to_metric(Inputs& inputs, RunData& run);

// How many entries of the group and point arrays a loop may visit: the
// counts of the problem data held to the bounds of the arrays, a negative
// count visiting nothing. The reading code refuses counts outside the data
// model; these keep every routine safe whatever the records hold.
inline int within_bounds(int count, int bound) { return count < 0 ? 0 : (count > bound ? bound : count); }
inline int energized_groups(const Inputs& inputs) { return within_bounds(inputs.nphases, max_groups); }
inline int all_groups(const Inputs& inputs) { return within_bounds(inputs.nphases + inputs.nearth, max_groups); }
inline int listed_groups(const RunData& run) { return within_bounds(run.ncond, max_groups); }
inline int lateral_points(const RunData& run) { return within_bounds(run.npoints, max_points); }

// True when the energized groups hold AC phases and DC poles both: a hybrid
// line (earth wires, of whatever kind, do not count).
inline bool hybrid_line(const Inputs& inputs) {
  bool ac = false, dc = false;
  for (int i = 0; i < energized_groups(inputs); ++i) (inputs.acflag[i] ? ac : dc) = true;
  return ac && dc;
}

// A lateral coordinate as a report line prints it: metres, or feet when
// the report's English variant is printed.
inline real report_distance(real xpoint, bool english) { return english ? xpoint / metres_per_foot : xpoint; }
