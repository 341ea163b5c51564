// Keyboard entry in memory: answers cut by their read formats, values too
// wide for the save-data file, and the saved file read back.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <sstream>

#include "driver/deck.hpp"
#include "driver/dialogue.hpp"

namespace {

using support::records;

// A line in English units with gradients given: a DC pole, an AC phase of
// one conductor and an earth wire. The answers in the order asked.
std::vector<std::string> answers() {
  return {"UNIT LINE", "SECOND", "1", "1", "2", "3", "10", "0.1", "1000", "NONE",
          "5", "6", "30", "3", "1", "75", "3", "10", "3",
          "POLE +", "D", "-5", "60", "2", "1.2", "18", "400", "2", "20",
          "PHASE A", "A", "5", "60", "1", "1.2", "300", "30", "1", "18",
          "EARTH", "D", "0", "80", "1", "0.5", "0", "0", "0",
          "11", "-100", "20", "0"};
}
// Positions of some answers.
enum : std::size_t { units = 2, wind = 6, rain = 7, altitude = 8, tv_frequency = 15, pole_name = 19,
                     pole_type = 20, pole_height = 22, pole_nsub = 23, pole_diameter = 24, point_start = 49 };

// The dialogue run on the answers; the save-data file kept when `save`.
struct Typed {
  Problem problem;
  std::string console_text, print_text, save_text;

  explicit Typed(const std::vector<std::string>& lines, bool save = true) {
    std::string text;
    for (const auto& line : lines) text += line + "\n";
    std::istringstream in(text);
    record::Writer console = record::Writer::to_string(&console_text);
    record::Reader keyboard = record::Reader::console(in, &console);
    driver::RunFiles files(console, keyboard);
    files.print = driver::OutputFile(record::Writer::to_string(&print_text));
    set_initial_values(problem);
    problem.run.dataopt = 2;
    if (save) {
      problem.run.savefile = "LINE.SAV";
      files.save = driver::OutputFile(record::Writer::to_string(&save_text));
    }
    EXPECT_EQ(driver::read_keyboard_data(problem, files), driver::InputOutcome::complete);
  }
  std::vector<std::string> warnings() const {
    std::vector<std::string> found;
    for (const auto& line : records(console_text))
      if (line.starts_with(" WARNING-")) found.push_back(line);
    return found;
  }
};

TEST(Dialogue, AnswersAreCutToTheirReadFormat) {
  struct Case {
    std::size_t at;
    std::string answer;
    std::function<bool(const Problem&)> holds;
  };
  const std::vector<Case> cases = {
      {units, "10", [](const Problem& p) { return p.run.units == 1; }},
      {units, "", [](const Problem& p) { return p.run.units == 0; }},
      {wind, "123456789", [](const Problem& p) { return p.inputs.wind == 12345678.0f; }},
      {wind, "", [](const Problem& p) { return p.inputs.wind == 0.0f; }},
      {rain, " 2 5", [](const Problem& p) { return p.inputs.rainrate == 25.0f; }},
      {altitude, "1.5e3", [](const Problem& p) { return p.inputs.altitude == 1500.0f; }},
      {pole_name, "POLE PLUS ONE", [](const Problem& p) { return p.run.condname[0].view() == "POLE PLU"; }},
      {pole_type, "AC", [](const Problem& p) { return p.inputs.acflag[0]; }},  // then a phase angle is asked
      {pole_nsub, "  2", [](const Problem& p) { return p.inputs.nsub[0] == 2; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer);
    auto lines = answers();
    lines[c.at] = c.answer;
    if (c.at == pole_type) lines.insert(lines.begin() + 27, "0");
    const Typed typed(lines);
    EXPECT_TRUE(c.holds(typed.problem));
    EXPECT_EQ(typed.problem.run.npoints, 11);
  }
}

TEST(Dialogue, ValueTooWideForItsSavedFieldIsWarnedOf) {
  const std::string tail = " IS SAVED AS ASTERISKS: THE SAVE-DATA FILE WILL NOT READ BACK";
  struct Case {
    std::size_t at;
    std::string answer;
    std::vector<std::string> warnings;
    std::size_t record;  // of the save-data file
    std::string saved;
  };
  const std::vector<Case> cases = {
      {altitude, "9999.99", {}, 2, " 1,1, 2, 3,0.0,  10.00,   0.10,9999.99"},
      {altitude, "9999.995", {" WARNING-ALTITUDE  9.999995E+03" + tail}, 2, " 1,1, 2, 3,0.0,  10.00,   0.10,*******"},
      {altitude, "-1000", {" WARNING-ALTITUDE -1.000000E+03" + tail}, 2, " 1,1, 2, 3,0.0,  10.00,   0.10,*******"},
      {tv_frequency, "1000", {" WARNING-TV FREQUENCY  1.000000E+03" + tail}, 4,
       "   5.000,  6.000, 30.000,  3.000,  1.000,*******,  3.000, 10.000,  3.000"},
      {pole_nsub, "100", {" WARNING-GROUP  1 SUBCONDUCTORS  1.000000E+02" + tail}, 5,
       " 'POLE +  ','D',   -5.00,   60.00,**,   1.200,  18.000, 400.000,   0.000,   2.000,  20.000"},
      {pole_diameter, "12345678", {" WARNING-GROUP  1 SUBCONDUCTOR DIAMETER  1.234568E+07" + tail}, 5,
       " 'POLE +  ','D',   -5.00,   60.00, 2,********,  18.000, 400.000,   0.000,   2.000,  20.000"},
      {pole_name, "A*,B,***", {}, 5,
       " 'A*,B,***','D',   -5.00,   60.00, 2,   1.200,  18.000, 400.000,   0.000,   2.000,  20.000"},
      {pole_name, "O'HARE", {" WARNING-GROUP  1 NAME OR TYPE LETTER HOLDS AN APOSTROPHE: THE SAVE-DATA FILE WILL NOT READ BACK"},
       5, " 'O'HARE  ','D',   -5.00,   60.00, 2,   1.200,  18.000, 400.000,   0.000,   2.000,  20.000"},
      {point_start, "-100000", {" WARNING-HORIZONTAL STARTING POINT -1.000000E+05" + tail}, 8, "  11,*******,   20.0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer);
    auto lines = answers();
    lines[c.at] = c.answer;
    const Typed typed(lines);
    EXPECT_EQ(typed.warnings(), c.warnings);
    const auto saved = records(typed.save_text);
    ASSERT_EQ(saved.size(), 10u);
    EXPECT_EQ(saved[c.record], c.saved);
    // Without a save-data file nothing is saved and nothing is warned of.
    EXPECT_TRUE(Typed(lines, false).warnings().empty());
  }
}

// A height at or below the ground is asked again, like a count or a
// diameter the data file's checks would refuse.
TEST(Dialogue, BundleAtOrBelowTheGroundIsAskedAgain) {
  const std::string again = " ERROR-HEIGHT OF BUNDLE CL MUST BE > 0";
  struct Case {
    std::vector<std::string> heights;  // typed in turn
    std::size_t refused;
  };
  for (const Case& c : std::vector<Case>{{{"60"}, 0}, {{"0", "60"}, 1}, {{"-3", "", "60"}, 2}}) {
    SCOPED_TRACE(c.heights.front());
    auto lines = answers();
    lines.erase(lines.begin() + pole_height);
    lines.insert(lines.begin() + pole_height, c.heights.begin(), c.heights.end());
    const Typed typed(lines);
    const auto console = records(typed.console_text);
    EXPECT_EQ(static_cast<std::size_t>(std::count(console.begin(), console.end(), again)), c.refused);
    EXPECT_EQ(typed.problem.inputs.ycond[0], 60.0f);  // as entered: read_keyboard_data does not convert
  }
}

TEST(Dialogue, SavedFileReadsBackTheSameProblem) {
  const Typed typed(answers());
  const deck_test::Reading read(typed.save_text);
  ASSERT_EQ(read.outcome, driver::InputOutcome::complete);
  const Problem& a = typed.problem;
  const Problem& b = read.problem;
  EXPECT_EQ(b.run.title[0].view(), " " + std::string(a.run.title[0].view().substr(0, 71)));
  EXPECT_EQ(b.run.prtopts.view(), " " + std::string(a.run.prtopts.view().substr(0, 44)));
  EXPECT_EQ(std::tie(b.run.units, b.run.gradopt, b.inputs.nphases, b.run.ncond, b.inputs.nearth, b.inputs.gradinput),
            std::tie(a.run.units, a.run.gradopt, a.inputs.nphases, a.run.ncond, a.inputs.nearth, a.inputs.gradinput));
  EXPECT_EQ(std::tie(b.inputs.wind, b.inputs.rainrate, b.inputs.altitude, b.inputs.gndcond, b.run.tvfreq),
            std::tie(a.inputs.wind, a.inputs.rainrate, a.inputs.altitude, a.inputs.gndcond, a.run.tvfreq));
  EXPECT_EQ(b.run.condname, a.run.condname);
  EXPECT_EQ(b.inputs.acflag, a.inputs.acflag);
  EXPECT_EQ(b.inputs.nsub, a.inputs.nsub);
  for (const auto field : {&Inputs::xcond, &Inputs::ycond, &Inputs::subdiam, &Inputs::spacing, &Inputs::volts,
                           &Inputs::phangle, &Inputs::current, &Inputs::gradient})
    EXPECT_EQ(b.inputs.*field, a.inputs.*field);
  EXPECT_EQ(b.run.npoints, a.run.npoints);
  EXPECT_EQ(b.run.latpts, a.run.latpts);
  // The listings differ only by the blank in front of the titles and options.
  auto listed = read.print(), typed_list = records(typed.print_text);
  ASSERT_EQ(listed.size(), typed_list.size());
  for (const std::size_t k : {0u, 1u, 10u}) {
    listed[k].erase(k == 10 ? 10 : 1, 1);
    typed_list[k].pop_back();
  }
  EXPECT_EQ(listed, typed_list);
}

}  // namespace
