// The cross section as data: read, written, read back; the checks and
// their messages; evaluations on several threads.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "engine/engine.hpp"

namespace {

using brenlow::CrossSection;

std::string example(const char* name) { return std::string(BRENLOW_EXAMPLES) + "/" + name; }

bool same_bits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

void expect_same(const CrossSection& a, const CrossSection& b) {
  EXPECT_EQ(a.titles, b.titles);
  EXPECT_EQ(a.energized, b.energized);
  EXPECT_EQ(a.english, b.english);
  EXPECT_EQ(a.options, b.options);
  const brenlow::Conditions &c = a.conditions, &d = b.conditions;
  for (auto [x, y] : {std::pair{c.wind, d.wind}, {c.rain, d.rain}, {c.altitude, d.altitude},
                      {c.ground_conductivity, d.ground_conductivity}, {c.an_height, d.an_height},
                      {c.ri_height, d.ri_height}, {c.tv_height, d.tv_height}, {c.oz_height, d.oz_height},
                      {c.ef_height, d.ef_height}, {c.mf_height, d.mf_height}, {c.ri_frequency, d.ri_frequency},
                      {c.tv_frequency, d.tv_frequency}})
    EXPECT_TRUE(same_bits(x, y)) << x << " " << y;
  EXPECT_EQ(c.given_gradients, d.given_gradients);
  ASSERT_EQ(a.groups.size(), b.groups.size());
  for (std::size_t i = 0; i < a.groups.size(); ++i) {
    const brenlow::Group &g = a.groups[i], &h = b.groups[i];
    EXPECT_EQ(g.name, h.name);
    EXPECT_EQ(g.ac, h.ac);
    EXPECT_EQ(g.subconductors, h.subconductors);
    for (auto [x, y] : {std::pair{g.x, h.x}, {g.y, h.y}, {g.diameter, h.diameter}, {g.spacing, h.spacing},
                        {g.kv, h.kv}, {g.phase, h.phase}, {g.ka, h.ka}, {g.gradient, h.gradient}})
      EXPECT_TRUE(same_bits(x, y)) << "group " << i + 1 << ": " << x << " " << y;
  }
  ASSERT_EQ(a.points.size(), b.points.size());
  EXPECT_EQ(a.lateral_points(), b.lateral_points());
}

TEST(CrossSection, WrittenFileReadsBackBitForBit) {
  for (const std::string& path : {example("example.dat"), example("500kv_flat.dat"),
                                  std::string(BRENLOW_TEST_DATA) + "/e2e/example_english.dat",
                                  std::string(BRENLOW_TEST_DATA) + "/engine/hybrid.dat"}) {
    SCOPED_TRACE(path);
    const CrossSection read = brenlow::read_data_file(path);
    const std::string text = brenlow::data_file_text(read);
    expect_same(read, brenlow::parse_data_file(text, "written.dat"));
    // A second round changes nothing at all.
    EXPECT_EQ(brenlow::data_file_text(brenlow::parse_data_file(text)), text);
  }
}

TEST(CrossSection, ExampleAsRead) {
  const CrossSection s = brenlow::read_data_file(example("example.dat"));
  ASSERT_EQ(s.groups.size(), 5u);
  EXPECT_EQ(s.energized, 3);
  EXPECT_EQ(s.groups[3].name, "EARTH 1");
  EXPECT_FALSE(s.groups[3].ac);
  EXPECT_EQ(s.lateral_points().size(), 21u);
  EXPECT_EQ(s.lateral_points().front(), -50.0f);
  // English lengths are converted as tesk31 converts them.
  const CrossSection e = brenlow::read_data_file(std::string(BRENLOW_TEST_DATA) + "/e2e/example_english.dat");
  EXPECT_TRUE(e.english);
  EXPECT_EQ(e.groups[0].x, -40.0f * 0.3048f);
  EXPECT_EQ(e.groups[0].diameter, 1.2f * 25.4f);
  EXPECT_EQ(e.lateral_points().front(), -150.0f * 0.3048f);
}

// Each case spoils the example one way; the message says what and where.
struct Refusal {
  const char* what;
  std::function<void(CrossSection&)> spoil;
  const char* message;
};

TEST(CrossSection, RefusedWithGroupAndCheck) {
  const std::vector<Refusal> refusals = {
      {"diameter", [](CrossSection& s) { s.groups[4].diameter = 0; },
       "group 5 EARTH 2: subconductor diameter must be above 0"},
      {"subconductors", [](CrossSection& s) { s.groups[0].subconductors = 0; },
       "group 1 PHASE A: number of subconductors must be at least 1"},
      {"spacing", [](CrossSection& s) { s.groups[1].spacing = -1; },
       "group 2 PHASE B: bundle spacing must be above 0"},
      {"not a number", [](CrossSection& s) { s.groups[2].diameter = std::nanf(""); },
       "group 3 PHASE C: subconductor diameter must be above 0"},
      {"too many subconductors", [](CrossSection& s) { s.groups[0].subconductors = 40000; },
       "group 1 PHASE A: number of subconductors must be at most 32767"},
      {"on the ground", [](CrossSection& s) { s.groups[1].y = 0; },
       "group 2 PHASE B: height 0 m is at or below the ground: a bundle's height must be above 0"},
      {"below the ground", [](CrossSection& s) { s.groups[3].y = -0.5f; },
       "group 4 EARTH 1: height -0.5 m is at or below the ground: a bundle's height must be above 0"},
      {"height not a number", [](CrossSection& s) { s.groups[0].y = std::nanf(""); },
       "group 1 PHASE A: height must be a finite number, not nan"},
      {"infinite position", [](CrossSection& s) { s.groups[0].x = -INFINITY; },
       "group 1 PHASE A: horizontal position must be a finite number, not -inf"},
      {"infinite diameter", [](CrossSection& s) { s.groups[4].diameter = INFINITY; },
       "group 5 EARTH 2: subconductor diameter must be a finite number, not inf"},
      {"voltage not a number", [](CrossSection& s) { s.groups[2].kv = std::nanf(""); },
       "group 3 PHASE C: voltage must be a finite number, not nan"},
      {"infinite current", [](CrossSection& s) { s.groups[2].ka = INFINITY; },
       "group 3 PHASE C: current must be a finite number, not inf"},
      {"phase angle not a number", [](CrossSection& s) { s.groups[1].phase = std::nanf(""); },
       "group 2 PHASE B: phase angle must be a finite number, not nan"},
      {"wind not a number", [](CrossSection& s) { s.conditions.wind = std::nanf(""); },
       "conditions: wind must be a finite number, not nan"},
      {"infinite radio frequency", [](CrossSection& s) { s.conditions.ri_frequency = INFINITY; },
       "conditions: radio frequency must be a finite number, not inf"},
      {"electric field height not a number", [](CrossSection& s) { s.conditions.ef_height = std::nanf(""); },
       "conditions: electric field height must be a finite number, not nan"},
      {"energized", [](CrossSection& s) { s.energized = 6; },
       "6 energized groups of 5: the energized groups must be between 0 and the number of groups"},
      {"51 groups", [](CrossSection& s) { s.groups.resize(51, s.groups[4]); },
       "51 conductor groups: at most 50 are allowed"},
  };
  const CrossSection good = brenlow::read_data_file(example("example.dat"));
  for (const Refusal& r : refusals) {
    SCOPED_TRACE(r.what);
    CrossSection s = good;
    r.spoil(s);
    try {
      brenlow::Evaluation evaluation(s);
      ADD_FAILURE() << "not refused";
    } catch (const brenlow::Error& e) {
      EXPECT_STREQ(e.what(), r.message);
    }
    EXPECT_THROW(brenlow::data_file_text(s), brenlow::Error);
  }
}

TEST(CrossSection, DataFileRefusalsNameTheFileAndTheRecord) {
  const std::vector<std::pair<std::string, std::string>> files = {
      {" T\n T\n 0,0,1,1,0,0,0,0\n ALL\n 1,2,10,1,1,75,1,10,1\n 'A','A',0,10,1,0,0,100,0,1,0\n",
       "file bad.dat: ERROR-INVALID DATA IN INPUT FILE: group 1 A: subconductor diameter must be above 0"},
      {" T\n T\n 0,0,2,1,0,0,0,0\n",
       "file bad.dat: ERROR-INVALID DATA IN INPUT FILE: 2 energized of 1 groups: 0 <= energized <= groups <= 50 "
       "must hold"},
      {" T\n T\n 0,0,x,1,0,0,0,0\n", "file bad.dat, record 3: Bad integer for item 3 in list input"},
      {" T\n T\n 0,0,0,0,0,0,0,0\n ALL\n 1,2,10,1,1,75,1,10,1\n 101,0,1\n",
       "file bad.dat: ERROR-TOO MANY DISTANCE POINTS: 101 lateral points given in one group: at most 100 are "
       "allowed"},
      {" T\n T\n 1,0,1,1,0,0,0,0\n ALL\n 1,2,10,1,1,75,1,10,1\n 'A','A',0,-3,1,1,0,100,0,1,0\n",
       "file bad.dat: ERROR-INVALID DATA IN INPUT FILE: group 1 A: height -3 ft is at or below the ground: a "
       "bundle's height must be above 0"},
      // Two groups declared, one given: the point record is read as group 2.
      {" T\n T\n 0,0,1,2,0,0,0,0\n ALL\n 1,2,10,1,1,75,1,10,1\n 'A','A',0,10,1,1,0,100,0,1,0\n 3,0,1\n",
       "file bad.dat, record 8 (reading conductor group 2 of 2): End of file"},
      {" T\n T\n 0,0,1,1,0,0,0,0\n ALL\n 1,2,10,1,1,75,1,10,1\n 'A','A',0,10,1,1,0,100,0,1,0\n 3,0,1\n x\n",
       "file bad.dat, record 8 (reading lateral point group 2): Bad integer for item 1 in list input"},
      // tesk31 runs such a file as metric while calling it English.
      {" T\n T\n 2,0,1,1,0,0,0,0\n ALL\n 1,2,10,1,1,75,1,10,1\n 'A','A',0,10,1,30,0,100,0,1,0\n 3,0,1\n",
       "file bad.dat: the general data (record 3) give unit option 2: 0 (metric) or 1 (English units) only"},
      {" T\n T\n -1,0,1,1,0,0,0,0\n ALL\n 1,2,10,1,1,75,1,10,1\n 'A','A',0,10,1,30,0,100,0,1,0\n 3,0,1\n",
       "file bad.dat: the general data (record 3) give unit option -1: 0 (metric) or 1 (English units) only"},
  };
  for (const auto& [text, message] : files) {
    try {
      brenlow::parse_data_file(text, "bad.dat");
      ADD_FAILURE() << "not refused: " << text;
    } catch (const brenlow::Error& e) {
      EXPECT_EQ(e.what(), message);
    }
  }
  EXPECT_THROW(brenlow::read_data_file("no/such/file.dat"), brenlow::Error);
}

TEST(CrossSection, WhatADataFileCannotHoldIsRefused) {
  CrossSection s = brenlow::read_data_file(example("example.dat"));
  CrossSection tv = s;
  tv.conditions.tv_frequency = 1000;  // F7.3
  EXPECT_THROW(brenlow::data_file_text(tv), brenlow::Error);
  CrossSection name = s;
  name.groups[0].name = "IT'S";
  EXPECT_THROW(brenlow::data_file_text(name), brenlow::Error);
  CrossSection line_end = s;
  line_end.titles[0] = "TWO\nLINES";
  EXPECT_THROW(brenlow::data_file_text(line_end), brenlow::Error);
  // Asterisks in a text are text, not a value too wide for its field.
  CrossSection stars = s;
  stars.titles[1] = "** DRAFT **";
  stars.options = "ALL *";
  stars.groups[0].name = "A*";
  EXPECT_EQ(brenlow::parse_data_file(brenlow::data_file_text(stars)).titles[1], "** DRAFT **");
  CrossSection points = s;
  points.points = {{60, 0, 1}, {41, 0, 1}};
  EXPECT_THROW(brenlow::data_file_text(points), brenlow::Error);
  points.points = {{1000000000, 0, 1}};
  EXPECT_THROW(points.lateral_points(), brenlow::Error);
}

// A bipole: +500 kV at x = 10 m and -500 kV at x = -10 m, 20 m up. The
// negative pole's voltage already reverses its current, so currents entered
// as magnitudes flow in opposite directions; a negative current entered on
// that pole makes both flow the same way. Checked against the Biot-Savart
// field of two long wires (2 I / r gauss for I kA at r m), summed as vectors.
TEST(CrossSection, NegativeCurrentsRunAsEnteredAndAreWarnedOf) {
  struct Case {
    const char* name;
    float pole_minus_ka;  // the negative pole's current as entered
    bool ac;              // both groups AC phases at 0 degrees instead
    double direction;     // of the second wire's current against the first's
    std::vector<std::string> warnings;
  };
  const std::string dc_warning =
      "group 2 P-: current -2 kA entered negative: a DC pole's current direction is set by the sign of its voltage "
      "(-500 kV), and the negative current reverses it again; enter the current as a magnitude";
  const std::vector<Case> cases = {
      {"magnitudes", 2, false, -1, {}},
      {"negative current on the negative pole", -2, false, 1, {dc_warning}},
      {"AC, negative current", -2, true, -1,
       {"group 2 P-: current -2 kA entered negative: the sign turns the current phasor by 180 degrees from the phase "
        "angle given"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CrossSection s;
    s.groups = {{"P+", c.ac, 10, 20, 1, 30, 0, 500, 0, 2, 0}, {"P-", c.ac, -10, 20, 1, 30, 0, -500, 0, c.pole_minus_ka, 0},
                {"EARTH", false, 0, 30, 1, 10, 0, 0, 0, -1, 0}};  // an earth wire's current is never warned of
    s.energized = 2;
    EXPECT_EQ(brenlow::warnings(s), c.warnings);
    const double x = -60, h = 1;
    double bx = 0, by = 0;
    for (const auto& [xc, sign] : {std::pair{10.0, 1.0}, std::pair{-10.0, c.direction}}) {
      const double dx = x - xc, dy = 20 - h, r2 = dx * dx + dy * dy;
      bx += sign * 2 * 2 * dy / r2;
      by += sign * 2 * 2 * dx / r2;
    }
    const float b = brenlow::Evaluation(s).magnetic_field(static_cast<float>(x), static_cast<float>(h)).max;
    EXPECT_NEAR(b, std::hypot(bx, by), 1e-5 * std::hypot(bx, by));
  }
}

// What is legal but probably not meant, each naming its group: a phase
// counted as an earth wire, a phase's diameter typed in cm, and a surface
// gradient above 30 kV/cm. The gradient's threshold is checked against the
// closed form of one conductor of radius r cm, h m above the ground at V kV:
// V / (r ln(2h/r)) gives 36.2 kV/cm for 6 mm and 25.2 kV/cm for 9 mm at
// 100 kV and 15 m (the engine, with the earth wire and the images: 36.9).
TEST(CrossSection, LikelySlipsAreWarnedOfNamingTheGroup) {
  struct Case {
    const char* name;
    std::vector<brenlow::Group> groups;
    int energized;
    std::vector<std::string> warnings;  // of the evaluation; those before "surface gradient" of the section too
  };
  const brenlow::Group earth{"EARTH", true, 0, 25, 1, 3, 0, 0, 0, 0, 0};  // thin, as earth wires may be
  const std::vector<Case> cases = {
      {"one conductor, 9 mm", {{"P", true, 0, 15, 1, 9, 0, 100, 0, 1, 0}, earth}, 1, {}},
      {"one conductor, 6 mm",
       {{"P", true, 0, 15, 1, 6, 0, 100, 0, 1, 0}, earth},
       1,
       {"group 1 P: surface gradient 36.9 kV/cm (computed) is above 30 kV/cm, where air breaks down: the corona "
        "quantities lie far outside what their formulas hold for; check the subconductor diameter (6 mm) and the "
        "voltage (100 kV)"}},
      {"diameter in cm",
       {{"P", false, 0, 15, 4, 3.04f, 45, 10, 0, 1, 0}, earth},
       1,
       {"group 1 P: subconductor diameter 3.04 mm is below 5 mm, thinner than any phase conductor: was it entered in "
        "cm? (a data file takes mm, inches in English units)"}},
      {"a phase counted as an earth wire",
       {{"A", true, -10, 15, 1, 30, 0, 100, 0, 1, 0}, {"B", true, 10, 15, 1, 30, 0, 100, 120, 1, 0}, earth},
       1,
       {"group 2 B: counted as an earth wire (the general data give 1 phases or poles), yet at 100 kV: the voltage "
        "acts on the gradients and the electric field, while the group is left out of the corona quantities and its "
        "current 1 kA out of the magnetic field; should the general data give 2 phases or poles?"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CrossSection s;
    s.groups = c.groups;
    s.energized = c.energized;
    const brenlow::Evaluation run(s);
    EXPECT_EQ(brenlow::warnings(run), c.warnings);
    EXPECT_EQ(brenlow::gradient_step_warnings(s), c.warnings);
    std::vector<std::string> of_section;
    for (const std::string& w : c.warnings)
      if (w.find("surface gradient") == std::string::npos) of_section.push_back(w);
    EXPECT_EQ(brenlow::warnings(s), of_section);
  }
}

// The gradient step alone gives the warnings of the whole evaluation, on
// every kind of line: a hybrid line with DC poles given angles (which the
// step must ignore as the evaluation does), gradients given, two bundles
// in one place (a singular matrix).
TEST(CrossSection, TheGradientStepWarnsAsTheEvaluation) {
  const CrossSection hybrid = brenlow::read_data_file(std::string(BRENLOW_TEST_DATA) + "/engine/hybrid.dat");
  struct Case {
    const char* name;
    std::function<void(CrossSection&)> change;
    std::size_t gradient_warnings;  // at least this many
  };
  const std::vector<Case> cases = {
      {"as read", [](CrossSection&) {}, 0},
      {"thin conductors, DC angles",
       [](CrossSection& s) {
         for (brenlow::Group& g : s.groups) {
           g.diameter = 4;
           if (!g.ac) g.phase = 77;
         }
       },
       1},
      {"given gradients",
       [](CrossSection& s) {
         s.conditions.given_gradients = true;
         for (brenlow::Group& g : s.groups) g.gradient = 31;
       },
       1},
      {"two bundles in one place",
       [](CrossSection& s) {
         s.groups[1].x = s.groups[0].x;
         s.groups[1].y = s.groups[0].y;
       },
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CrossSection s = hybrid;
    c.change(s);
    const std::vector<std::string> expected = brenlow::warnings(brenlow::Evaluation(s));
    EXPECT_EQ(brenlow::gradient_step_warnings(s), expected);
    const auto gradients = std::count_if(expected.begin(), expected.end(), [](const std::string& w) {
      return w.find("surface gradient") != std::string::npos;
    });
    EXPECT_GE(static_cast<std::size_t>(gradients), c.gradient_warnings);
  }
  CrossSection refused = hybrid;
  refused.groups[0].diameter = -1;
  EXPECT_THROW(brenlow::gradient_step_warnings(refused), brenlow::Error);
}

TEST(Evaluation, ThreadsGiveTheSerialValues) {
  const CrossSection line = brenlow::read_data_file(std::string(BRENLOW_TEST_DATA) + "/engine/hybrid.dat");
  std::vector<float> xs;
  for (int k = 0; k < 400; ++k) xs.push_back(-100.0f + 0.5f * static_cast<float>(k));
  const brenlow::Evaluation shared(line);
  const std::vector<brenlow::Point> serial = shared.profile(xs);

  std::vector<std::vector<brenlow::Point>> results(4);
  std::vector<std::thread> threads;
  for (std::size_t t = 0; t < results.size(); ++t) {
    threads.emplace_back([&, t] {
      // Two threads share one evaluation, two build their own.
      results[t] = t % 2 == 0 ? shared.profile(xs) : brenlow::Evaluation(line).profile(xs);
    });
  }
  for (std::thread& t : threads) t.join();
  for (const auto& r : results) {
    ASSERT_EQ(r.size(), serial.size());
    for (std::size_t k = 0; k < r.size(); ++k) {
      EXPECT_EQ(std::memcmp(&r[k], &serial[k], sizeof(brenlow::Point)), 0) << "point " << k;
    }
  }
}

// A NaN or an infinity would be written as a word no reader takes back.
TEST(CrossSection, NonFiniteValuesAreNotWritten) {
  const float nan = std::nanf(""), inf = INFINITY;
  struct Case {
    const char* what;
    std::function<void(CrossSection&)> spoil;
    const char* named;  // what the message names
    const char* value;  // the value as the message shows it; nullptr: not checked
  };
  const std::vector<Case> cases = {
      {"point start", [&](CrossSection& s) { s.points[0].start = nan; },
       "a lateral point group's start or step is not a finite number", "(NaN)"},
      {"point step", [&](CrossSection& s) { s.points[0].step = -inf; }, "a lateral point group's start or step",
       "(-Inf)"},
      // The checks may refuse these first, in their own words.
      {"wind", [&](CrossSection& s) { s.conditions.wind = -inf; }, "wind", nullptr},
      {"altitude", [&](CrossSection& s) { s.conditions.altitude = nan; }, "altitude", nullptr},
      {"sensor height", [&](CrossSection& s) { s.conditions.ef_height = inf; }, "height", nullptr},
      {"voltage", [&](CrossSection& s) { s.groups[1].kv = nan; }, "group 2 PHASE B", nullptr},
      {"current", [&](CrossSection& s) { s.groups[2].ka = inf; }, "group 3 PHASE C", nullptr},
      {"gradient", [&](CrossSection& s) { s.groups[4].gradient = -inf; }, "group 5 EARTH 2", nullptr},
  };
  const CrossSection good = brenlow::read_data_file(example("example.dat"));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CrossSection s = good;
    c.spoil(s);
    try {
      brenlow::data_file_text(s);
      ADD_FAILURE() << "written";
    } catch (const brenlow::Error& e) {
      const std::string message = e.what();
      EXPECT_NE(message.find(c.named), std::string::npos) << message;
      if (c.value != nullptr) {
        EXPECT_NE(message.find(c.value), std::string::npos) << message;
      }
    }
  }
  // A name or a title spelling such a word is text, and written.
  CrossSection words = good;
  words.titles[0] = "NaN -Inf Infinity";
  words.groups[0].name = "NaN";
  EXPECT_EQ(brenlow::parse_data_file(brenlow::data_file_text(words)).groups[0].name, "NaN");
}

// The system would cut a name at its NUL byte: another file would be read or written.
TEST(CrossSection, FileNamesWithANulByteAreRefused) {
  const std::string cut = example("example.dat") + std::string("\0.x", 3);
  try {
    brenlow::read_data_file(cut);
    ADD_FAILURE() << "read";
  } catch (const brenlow::Error& e) {
    EXPECT_NE(std::string(e.what()).find("example.dat\\0.x: a file name cannot hold a NUL byte"), std::string::npos)
        << e.what();
  }
  const CrossSection s = brenlow::read_data_file(example("example.dat"));
  const std::string written = "nul-test-never-written.dat";
  EXPECT_THROW(brenlow::write_data_file(s, written + std::string("\0.safe", 6)), brenlow::Error);
  EXPECT_FALSE(std::ifstream(written).good());
}

}  // namespace
