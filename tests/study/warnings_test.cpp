// What tesk31-study says of a file that looks wrong, on the error stream
// before its table: negative currents, ozone asked without wind (and the
// table's cells there), and the reader's refusals with group and check.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/files.hpp"
#include "support/program.hpp"

namespace {

namespace fs = std::filesystem;

struct Case {
  const char* name;
  std::string from, to;  // a change to the example file (wind 0, phases at -12, 0 and 12 m)
  std::string args;
  int status;
  std::vector<std::string> err;      // texts the error stream holds, in order
  std::vector<std::string> out;      // texts the table holds
  std::vector<std::string> not_out;  // texts it must not hold
};

TEST(StudyWarnings, EachTrapIsSaidBeforeTheTable) {
  const std::string no_wind = "note: line.dat: no wind: ozone is carried nowhere, so it is not computed downwind\n";
  const std::vector<Case> cases = {
      // 30 m is downwind of every phase, -30 m upwind of all.
      {"edges without wind", "", "", "edges line.dat --at -30 --at 30 --csv e.csv --svg e.svg", 0, {no_wind}, {"no wind"}, {"nan"}},
      {"compare of ozone without wind", "", "", "compare line.dat --quantity OZ,E --svg e.svg", 0, {no_wind}, {"no wind"}, {"nan"}},
      {"compare without ozone", "", "", "compare line.dat --quantity E,B --svg e.svg", 0, {}, {}, {"no wind"}},
      {"negative current", "303.000,   0.000,   1.000", "303.000,   0.000,  -1.000", "compare line.dat --quantity B", 0,
       {"warning: line.dat: group 1 PHASE A: current -1 kA entered negative: the sign turns the current phasor by 180 "
        "degrees from the phase angle given\n"},
       {}, {}},
      {"two phases given, three energized", " 0,0, 3, 5,0.0", " 0,0, 2, 5,0.0", "compare line.dat --quantity B", 0,
       {"warning: line.dat: group 3 PHASE C: counted as an earth wire (the general data give 2 phases or poles), yet "
        "at 303 kV: "},
       {}, {}},
      {"diameter in cm", "3,  30.000,  45.000, 303.000,   0.000", "3,   3.040,  45.000, 303.000,   0.000",
       "compare line.dat --quantity AN", 0,
       {"warning: line.dat: group 1 PHASE A: subconductor diameter 3.04 mm is below 5 mm",
        "warning: line.dat: group 1 PHASE A: surface gradient 128.2 kV/cm (computed) is above 30 kV/cm"},
       {}, {}},
      {"unit option 2", " 0,0, 3, 5,0.0", " 2,0, 3, 5,0.0", "edges line.dat --at 0", 2,
       {"tesk31-study edges: file line.dat: the general data (record 3) give unit option 2: 0 (metric) or 1 (English "
        "units) only\n"},
       {}, {}},
      {"height limit on ozone without wind", "", "", "height line.dat --limit OZ=1 --at 30", 2,
       {no_wind, "tesk31-study height: OZ limit: no wind: ozone is carried nowhere"}, {}, {}},
      {"phase on the ground", "    0.00,   15.00, 3,", "    0.00,    0.00, 3,", "edges line.dat --at 0", 2,
       {"tesk31-study edges: file line.dat: ERROR-INVALID DATA IN INPUT FILE: group 2 PHASE B: height 0 m is at or "
        "below the ground: a bundle's height must be above 0\n"},
       {}, {}},
      {"one group more declared than given", " 0,0, 3, 5,0.0", " 0,0, 3, 6,0.0", "edges line.dat --at 0", 2,
       {"tesk31-study edges: file line.dat, record 12 (reading conductor group 6 of 6): Bad integer for item 5 in "
        "list input\n"},
       {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path dir = support::fresh_directory("brenlow-study-warnings-" + std::to_string(::getpid()));
    std::string data = support::read_file(fs::path(BRENLOW_EXAMPLES) / "example.dat");
    if (!c.from.empty()) data.replace(data.find(c.from), c.from.size(), c.to);
    support::write_file(dir / "line.dat", data);
    const support::Finished f = support::run_program(dir, TESK31_STUDY_PATH, c.args);
    EXPECT_EQ(f.status, c.status) << f.err;
    std::size_t at = 0;
    for (const std::string& text : c.err) {
      at = f.err.find(text, at);
      EXPECT_NE(at, std::string::npos) << text << " in:\n" << f.err;
    }
    if (c.err.empty()) {
      EXPECT_EQ(f.err, "");
    }
    for (const std::string& text : c.out) EXPECT_NE(f.out.find(text), std::string::npos) << f.out;
    for (const std::string& text : c.not_out) EXPECT_EQ(f.out.find(text), std::string::npos) << f.out;
    if (fs::exists(dir / "e.csv")) {
      // Ozone downwind is an empty field, never "nan".
      const std::string csv = support::read_file(dir / "e.csv");
      EXPECT_EQ(csv.find("nan"), std::string::npos) << csv;
      EXPECT_NE(csv.find(",,"), std::string::npos) << csv;
    }
    if (fs::exists(dir / "e.svg")) {
      // The ozone panel says why it is empty downwind.
      const bool said = support::read_file(dir / "e.svg").find("no wind: ozone is carried nowhere,") != std::string::npos;
      EXPECT_EQ(said, f.err.find(no_wind) != std::string::npos);
    }
    fs::remove_all(dir);
  }
}

}  // namespace
