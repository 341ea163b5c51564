// Reading a data file: the listing of every record as read, the checks and
// the two orderly exits, the lateral point groups, read failures.

#include <functional>
#include <sstream>

#include "driver/deck.hpp"
#include "driver/program.hpp"

namespace {

using deck_test::blanks;
using deck_test::Deck;
using deck_test::Reading;
using driver::InputOutcome;

std::string padded(const std::string& text, std::size_t width) { return text + blanks(width - text.size()); }

// The listing of the default deck, from the listing layouts.
std::vector<std::string> default_listing() {
  return {" " + padded(" TEST LINE", 72),
          " " + padded(" SECOND TITLE", 72),
          " 0,0, 1, 2,0.0,   0.00,   1.00, 300.00",
          "",
          " (METRIC UNITS OPTION)",
          "",
          " (GRADIENTS ARE COMPUTED BY PROGRAM)",
          "",
          " PHYSICAL SYSTEM CONSISTS OF  2 CONDUCTORS, OF WHICH  1 ARE ENERGIZED PHASES",
          "",
          " OPTIONS: " + padded(" NONE", 45),
          "   1.500,  2.000, 10.000,  1.000,  1.000, 75.000,  1.000, 10.000,  1.000",
          " 'PHASE A ','A',    0.00,   15.00, 2,  30.000,  45.000, 303.000,   0.000,   1.000,   0.000",
          " 'EARTH 1 ','D',    0.00,   25.00, 1,  11.000,   0.000,   0.000,   0.000,   0.000,   0.000",
          "  21  -50.0    5.0",
          "   0    0.0    0.0"};
}

TEST(DataFile, ListsEveryRecordAsRead) {
  const Reading r(Deck{}.text());
  EXPECT_EQ(r.outcome, InputOutcome::complete);
  EXPECT_EQ(r.print(), default_listing());
  EXPECT_EQ(r.console(), std::vector<std::string>{" OPTIONS: " + padded(" NONE", 45)});
  EXPECT_EQ(r.problem.run.npoints, 21);
  EXPECT_EQ(r.problem.run.latpts[20], 50.0f);
  EXPECT_EQ(r.problem.run.distunit.view(), "MTRS");
  EXPECT_EQ(r.problem.run.diamunit.view(), "(MM)");
  EXPECT_EQ(r.problem.inputs.nearth, 1);
}

TEST(DataFile, OrderlyExitsKeepTheListingSoFar) {
  struct Case {
    const char* name;
    std::function<void(Deck&)> change;
    InputOutcome outcome;
    std::size_t listed;  // records of the default listing written before the exit
    std::vector<std::string> extra_listing;
  };
  const std::string invalid = " ERROR-INVALID DATA IN INPUT FILE";
  const std::vector<Case> cases = {
      {"no subconductors", [](Deck& d) { d.groups[1] = " 'EARTH 1 ','D', 0, 25, 0, 11, 0, 0, 0, 0, 0"; }, InputOutcome::invalid_data, 13, {}},
      {"zero diameter", [](Deck& d) { d.groups[0] = " 'PHASE A ','A', 0, 15, 2, 0, 45, 303, 0, 1, 0"; }, InputOutcome::invalid_data, 12, {}},
      {"bundle without spacing", [](Deck& d) { d.groups[0] = " 'PHASE A ','A', 0, 15, 2, 30, 0, 303, 0, 1, 0"; }, InputOutcome::invalid_data,
       12, {}},
      {"negative diameter", [](Deck& d) { d.groups[0] = " 'PHASE A ','A', 0, 15, 1, -1, 0, 303, 0, 1, 0"; }, InputOutcome::invalid_data, 12,
       {}},
      {"more than 50 groups", [](Deck& d) { d.general = " 0,0, 1,51,0.0,   0.00,   1.00, 300.00"; },
       InputOutcome::invalid_data, 0,
       {" " + padded(" TEST LINE", 72), " " + padded(" SECOND TITLE", 72), " 0,0, 1,51,0.0,   0.00,   1.00, 300.00",
        "", " (METRIC UNITS OPTION)", "", " (GRADIENTS ARE COMPUTED BY PROGRAM)", "",
        " PHYSICAL SYSTEM CONSISTS OF 51 CONDUCTORS, OF WHICH  1 ARE ENERGIZED PHASES", ""}},
      {"fewer groups than phases", [](Deck& d) { d.general = " 0,0, 3, 2,0.0,   0.00,   1.00, 300.00"; },
       InputOutcome::invalid_data, 0,
       {" " + padded(" TEST LINE", 72), " " + padded(" SECOND TITLE", 72), " 0,0, 3, 2,0.0,   0.00,   1.00, 300.00",
        "", " (METRIC UNITS OPTION)", "", " (GRADIENTS ARE COMPUTED BY PROGRAM)", "",
        " PHYSICAL SYSTEM CONSISTS OF  2 CONDUCTORS, OF WHICH  3 ARE ENERGIZED PHASES", ""}},
      {"negative phase count", [](Deck& d) { d.general = " 0,0,-1, 2,0.0,   0.00,   1.00, 300.00"; },
       InputOutcome::invalid_data, 0,
       {" " + padded(" TEST LINE", 72), " " + padded(" SECOND TITLE", 72), " 0,0,-1, 2,0.0,   0.00,   1.00, 300.00",
        "", " (METRIC UNITS OPTION)", "", " (GRADIENTS ARE COMPUTED BY PROGRAM)", "",
        " PHYSICAL SYSTEM CONSISTS OF  2 CONDUCTORS, OF WHICH -1 ARE ENERGIZED PHASES", ""}},
      {"60 then 41 points", [](Deck& d) { d.points = {"60,-30,1", "41,0,1", "0,0,0"}; },
       InputOutcome::too_many_points, 14, {"  60  -30.0    1.0"}},
      {"101 points at once", [](Deck& d) { d.points = {"101,-30,1"}; }, InputOutcome::too_many_points, 14, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Deck deck;
    c.change(deck);
    const Reading r(deck.text());
    EXPECT_EQ(r.outcome, c.outcome);
    const std::vector<std::string> all = default_listing();
    std::vector<std::string> listing(all.begin(), all.begin() + static_cast<long>(c.listed));
    listing.insert(listing.end(), c.extra_listing.begin(), c.extra_listing.end());
    EXPECT_EQ(r.print(), listing);
    const auto console = r.console();
    ASSERT_FALSE(console.empty());
    EXPECT_EQ(console.back(), c.outcome == InputOutcome::invalid_data ? invalid : " ERROR-TOO MANY DISTANCE POINTS");
    // The group counts are refused before the option record is read.
    EXPECT_EQ(console.size(), c.listed == 0 ? 1u : 2u);
  }
}

TEST(DataFile, LateralPointLists) {
  struct Case {
    const char* name;
    std::vector<std::string> points;  // the deck ends after these
    std::vector<std::string> listed;
    integer npoints;
    real last;
  };
  const std::vector<Case> cases = {
      // 100 points in all end the list: the record after them is never read.
      {"60 then 40", {"60,-30,1", "40,30,1", "not read at all"}, {"  60  -30.0    1.0", "  40   30.0    1.0"}, 100, 69},
      {"ended by the end of the file", {"21,-50,5"}, {"  21  -50.0    5.0", "   0    0.0    0.0"}, 21, 50},
      {"no point record at all", {}, {"   0    0.0    0.0"}, 0, 0},
      {"negative count", {"-3, 1, 1", "not read at all"}, {"  -3    1.0    1.0"}, 0, 0},
      {"two groups", {"2,-1,1", "3,10,0.5", "0,0,0"}, {"   2   -1.0    1.0", "   3   10.0    0.5", "   0    0.0    0.0"},
       5, 11},
      // Each point is the previous one plus the increment, in single precision.
      {"accumulated steps", {"21,-50,0.3", "0,0,0"}, {"  21  -50.0    0.3", "   0    0.0    0.0"}, 21,
       -44.00001525878906f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Deck deck;
    deck.points = c.points;
    const Reading r(deck.text());
    EXPECT_EQ(r.outcome, InputOutcome::complete);
    const auto print = r.print();
    ASSERT_GE(print.size(), c.listed.size());
    EXPECT_EQ(std::vector<std::string>(print.end() - static_cast<long>(c.listed.size()), print.end()), c.listed);
    EXPECT_EQ(r.problem.run.npoints, c.npoints);
    if (c.npoints > 0) {
      EXPECT_EQ(r.problem.run.latpts[c.npoints - 1], c.last);
    }
  }
}

TEST(DataFile, GroupOverSeveralLinesReadsAsOne) {
  Deck split;
  split.groups[0] = " 'PHASE A ','A',\n    0.00,   15.00, 2,  30.000,\n  45.000, 303.000,   0.000,   1.000,   0.000";
  const Reading r(split.text());
  EXPECT_EQ(r.outcome, InputOutcome::complete);
  EXPECT_EQ(r.print(), default_listing());
}

TEST(DataFile, OnlyUpperCaseAMakesAnAcGroup) {
  for (const auto& [letter, ac] : std::vector<std::pair<std::string, bool>>{{"A", true}, {"a", false}, {"D", false}}) {
    SCOPED_TRACE(letter);
    Deck deck;
    deck.groups[0].replace(13, 1, letter);
    const Reading r(deck.text());
    EXPECT_EQ(r.problem.inputs.acflag[0], ac);
  }
}

TEST(DataFile, EnglishUnitsAreListedAsEnteredAndConvertedAfterwards) {
  Deck deck;
  deck.general = " 1,1, 1, 2,0.0,  10.00,   1.00,1000.00";
  deck.groups[0] = " 'PHASE A ','A',   10.00,   50.00, 2,   1.000,  18.000, 303.000,   0.000,   1.000,  15.000";
  deck.points = {"3,100,10"};
  Reading r(deck.text());
  const auto print = r.print();
  EXPECT_EQ(print[2], deck.general);
  EXPECT_EQ(print[4], " (ENGLISH UNITS OPTION)");
  EXPECT_EQ(print[6], " (GRADIENTS ARE ASSUMED TO BE INPUT)");
  EXPECT_EQ(print[12], deck.groups[0]);
  EXPECT_EQ(print[14], "   3  100.0   10.0");
  EXPECT_EQ(r.problem.run.distunit.view(), "FEET");
  EXPECT_EQ(r.problem.run.diamunit.view(), "(IN)");

  Problem& p = r.problem;
  convert_to_metric(p.inputs, p.run);
  EXPECT_FLOAT_EQ(p.inputs.wind, 4.4707f);
  EXPECT_FLOAT_EQ(p.inputs.rainrate, 25.4f);
  EXPECT_FLOAT_EQ(p.inputs.altitude, 304.8f);
  EXPECT_FLOAT_EQ(p.inputs.xcond[0], 3.048f);
  EXPECT_FLOAT_EQ(p.inputs.ycond[0], 15.24f);
  EXPECT_FLOAT_EQ(p.inputs.subdiam[0], 25.4f);
  EXPECT_FLOAT_EQ(p.inputs.spacing[0], 45.72f);
  EXPECT_FLOAT_EQ(p.run.latpts[2], 36.576f);
  EXPECT_FLOAT_EQ(p.run.anheight, 0.4572f);
  EXPECT_EQ(p.inputs.volts[0], 303.0f);
  EXPECT_EQ(p.inputs.gradient[0], 15.0f);
  EXPECT_EQ(p.inputs.gndcond, 10.0f);
  EXPECT_EQ(p.run.rifreq, 1.0f);
  EXPECT_EQ(p.run.tvfreq, 75.0f);
}

TEST(DataFile, OnlyUnitOptionOneIsConverted) {
  Deck deck;
  deck.general = " 2,0, 1, 2,0.0,  10.00,   1.00, 300.00";
  Reading r(deck.text());
  EXPECT_EQ(r.print()[4], " (ENGLISH UNITS OPTION)");
  convert_to_metric(r.problem.inputs, r.problem.run);
  EXPECT_EQ(r.problem.inputs.wind, 10.0f);
  EXPECT_EQ(r.problem.run.latpts[0], -50.0f);
}

TEST(DataFile, ReadFailuresEndTheRunWithStatusTwo) {
  struct Case {
    const char* name;
    std::function<void(Deck&)> change;
    std::string reading;  // the record expected where the read failed, or none
    std::string message;
  };
  const std::vector<Case> cases = {
      {"real phase count", [](Deck& d) { d.general = " 0,0, 1.5, 2,0.0, 0, 1, 300"; }, "",
       "Bad integer for item 3 in list input"},
      {"word for the wind", [](Deck& d) { d.general = " 0,0, 1, 2,0.0, calm, 1, 300"; }, "",
       "Bad real number in item 6 of list input"},
      {"group count beyond 16 bits", [](Deck& d) { d.general = " 0,0, 1, 40000,0.0, 0, 1, 300"; }, "",
       "Integer overflow while reading item 4"},
      {"zero repeat count", [](Deck& d) { d.heights = " 0*1.5, 2, 10, 1, 1, 75, 1, 10, 1"; }, "",
       "Zero repeat count in item 1 of list input"},
      {"real subconductor count", [](Deck& d) { d.groups[0] = " 'PHASE A ','A', 0, 15, 2.5, 30, 45, 303, 0, 1, 0"; },
       "conductor group 1 of 2", "Bad integer for item 5 in list input"},
      {"word for a point count", [](Deck& d) { d.points = {"many,-50,5"}; }, "lateral point group 1",
       "Bad integer for item 1 in list input"},
      {"word in the second point group", [](Deck& d) { d.points = {"2,-50,5", "3,x,1"}; }, "lateral point group 2",
       "Bad real number in item 2 of list input"},
      {"file ends within the groups", [](Deck& d) { d.groups.pop_back(), d.points.clear(); }, "conductor group 2 of 2",
       "End of file"},
      // One group record fewer than the count: the point record is read as
      // the last group.
      {"group count one too high", [](Deck& d) { d.general = " 0,0, 1, 3,0.0,   0.00,   1.00, 300.00"; },
       "conductor group 3 of 3", "Bad integer for item 5 in list input"},
      // A value missing from group 1 is taken from group 2's record.
      {"value missing from a group", [](Deck& d) { d.groups[0] = " 'PHASE A ','A', 0, 15, 2, 30, 45, 303, 0, 1"; },
       "conductor group 1 of 2", "Bad real number in item 11 of list input"},
      {"file ends after the options", [](Deck& d) { d.heights.clear(), d.groups.clear(), d.points.clear(); }, "",
       "End of file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Deck deck;
    c.change(deck);
    const auto run = driver::run_data_in_memory(deck.text());
    EXPECT_EQ(run.status, 2);
    // The record expected, then the locating line, then the message.
    std::vector<std::string> lines;
    std::istringstream errors(run.errors);
    for (std::string line; std::getline(errors, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), c.reading.empty() ? 2u : 3u) << run.errors;
    if (!c.reading.empty()) {
      EXPECT_EQ(lines[0], "reading " + c.reading);
    }
    EXPECT_NE(lines[lines.size() - 2].find("MEMORY.DAT"), std::string::npos) << run.errors;
    EXPECT_EQ(lines.back(), c.message);
    EXPECT_EQ(run.print.find("\r\n1\r\n"), std::string::npos) << "no final record after a failed read";
    EXPECT_EQ(run.console.find("INPUT DATA PRINTED"), std::string::npos);
  }
}

// A file that fails a check keeps its console line and the listing so far
// with the final record, and is a failed run: status 2 and one line on the
// error stream naming the group and the check.
TEST(DataFile, RefusedDataEndWithStatusTwoAndSayWhy) {
  struct Case {
    const char* name;
    std::function<void(Deck&)> change;
    std::string console;  // last console line
    std::string error;
  };
  const std::string invalid = " ERROR-INVALID DATA IN INPUT FILE";
  const std::string points = " ERROR-TOO MANY DISTANCE POINTS";
  const std::vector<Case> cases = {
      {"no subconductors", [](Deck& d) { d.groups[1] = " 'EARTH 1 ','D', 0, 25, 0, 11, 0, 0, 0, 0, 0"; }, invalid,
       "group 2 EARTH 1: number of subconductors must be at least 1"},
      {"zero diameter", [](Deck& d) { d.groups[0] = " 'PHASE A ','A', 0, 15, 2, 0, 45, 303, 0, 1, 0"; }, invalid,
       "group 1 PHASE A: subconductor diameter must be above 0"},
      {"bundle without spacing", [](Deck& d) { d.groups[0] = " 'PHASE A ','A', 0, 15, 2, 30, 0, 303, 0, 1, 0"; },
       invalid, "group 1 PHASE A: bundle spacing must be above 0"},
      {"bundle on the ground", [](Deck& d) { d.groups[0] = " 'PHASE A ','A', 0, 0, 2, 30, 45, 303, 0, 1, 0"; }, invalid,
       "group 1 PHASE A: height 0 m is at or below the ground: a bundle's height must be above 0"},
      {"earth wire below the ground", [](Deck& d) { d.groups[1] = " 'EARTH 1 ','D', 0, -2.5, 1, 11, 0, 0, 0, 0, 0"; },
       invalid, "group 2 EARTH 1: height -2.5 m is at or below the ground: a bundle's height must be above 0"},
      {"English file, height in feet",
       [](Deck& d) {
         d.general = " 1,0, 1, 2,0.0,   0.00,   1.00, 300.00";
         d.groups[1] = " '','D', 0, -8, 1, 0.5, 0, 0, 0, 0, 0";
       },
       invalid, "group 2: height -8 ft is at or below the ground: a bundle's height must be above 0"},
      {"group counts", [](Deck& d) { d.general = " 0,0, 3, 2,0.0,   0.00,   1.00, 300.00"; }, invalid,
       "3 energized of 2 groups: 0 <= energized <= groups <= 50 must hold"},
      {"60 then 41 points", [](Deck& d) { d.points = {"60,-30,1", "41,0,1", "0,0,0"}; }, points,
       "101 lateral points given (60, then 41 in the next group): at most 100 are allowed"},
      {"101 points at once", [](Deck& d) { d.points = {"101,-30,1"}; }, points,
       "101 lateral points given in one group: at most 100 are allowed"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Deck deck;
    c.change(deck);
    const auto run = driver::run_data_in_memory(deck.text());
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.errors, "file MEMORY.DAT: " + c.error + "\n");
    const auto console = support::records(run.console);
    ASSERT_FALSE(console.empty());
    EXPECT_EQ(console.back(), c.console);
    EXPECT_TRUE(run.print.ends_with("\r\n1\r\n")) << "the final record closes the listing";
    EXPECT_EQ(run.dif, "");
  }
  // The same file with the bundle 1 cm above the ground passes, with the
  // gradient so near the ground warned of.
  Deck low;
  low.groups[0] = " 'PHASE A ','A', 0, 0.01, 2, 30, 45, 303, 0, 1, 0";
  const auto run = driver::run_data_in_memory(low.text());
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_TRUE(run.errors.starts_with("warning: group 1 PHASE A: surface gradient ")) << run.errors;
  EXPECT_EQ(run.errors.find('\n'), run.errors.size() - 1) << run.errors;
}

// A negative current runs as entered; the error stream says what the sign
// does, and nothing of it reaches the console, print or DIF file.
TEST(DataFile, NegativeCurrentsAreWarnedOfOnTheErrorStream) {
  // Poles of four subconductors: a surface gradient well below 30 kV/cm.
  const std::string pole = " 'POLE -  ','D',    5.00,   15.00, 4,  30.000,  45.000,-500.000,   0.000,";
  const std::string phase = " 'PHASE A ','A',    0.00,   15.00, 2,  30.000,  45.000, 303.000,   0.000,";
  const std::string wire = " 'EARTH 1 ','D',    0.00,   25.00, 1,  11.000,   0.000,   0.000,   0.000,";
  struct Case {
    const char* name;
    std::string group1, group2;  // an energized group, an earth wire
    std::string warning;         // the error stream
  };
  const std::vector<Case> cases = {
      {"negative pole, negative current", pole + "  -2.000,   0.000", wire + "   0.000,   0.000",
       "warning: group 1 POLE -: current -2 kA entered negative: a DC pole's current direction is set by the sign "
       "of its voltage (-500 kV), and the negative current reverses it again; enter the current as a magnitude\n"},
      {"AC phase, negative current", phase + "  -1.500,   0.000", wire + "   0.000,   0.000",
       "warning: group 1 PHASE A: current -1.5 kA entered negative: the sign turns the current phasor by 180 "
       "degrees from the phase angle given\n"},
      {"positive pole, negative current", " 'POLE +  ','D',   -5.00,   15.00, 4,  30.000,  45.000, 500.000,   0.000,"
       "  -2.000,   0.000", wire + "   0.000,   0.000",
       "warning: group 1 POLE +: current -2 kA entered negative: a DC pole's current direction is set by the sign "
       "of its voltage (500 kV), and the negative current reverses it; enter the current as a magnitude\n"},
      {"negative pole, current as a magnitude", pole + "   2.000,   0.000", wire + "   0.000,   0.000", ""},
      {"earth wire carrying a negative current", phase + "   1.000,   0.000", wire + "  -0.100,   0.000", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Deck deck;
    deck.options = " COMB";
    deck.groups = {c.group1, c.group2};
    const auto run = driver::run_data_in_memory(deck.text());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.errors, c.warning);
    for (const std::string* output : {&run.console, &run.print, &run.dif}) {
      EXPECT_EQ(output->find("kA entered negative"), std::string::npos);
    }
    EXPECT_TRUE(run.print.ends_with("\r\n1\r\n"));
  }
}

}  // namespace

// Report keywords are upper case: in another case they select nothing, as
// ever, and the error stream says so; the console, print and DIF files are
// those of a run without reports.
TEST(DataFile, KeywordsInAnotherCaseAreWarnedOf) {
  struct Case {
    const char* options;
    bool warned;
  };
  for (const Case& c : std::vector<Case>{{" all", true},
                                        {" Ef mf comb", true},
                                        {" an", true},
                                        {" ALL", false},
                                        {" NONE", false},
                                        {" none", false},
                                        {" nothing here", false},
                                        {" ", false}}) {
    SCOPED_TRACE(c.options);
    Deck deck;
    deck.options = c.options;
    const auto run = driver::run_data_in_memory(deck.text());
    EXPECT_EQ(run.status, 0);
    const std::string said = "warning: report options \"" + std::string(c.options + 1) + "\" select no report";
    EXPECT_EQ(run.errors.find(said) != std::string::npos, c.warned) << run.errors;
  }
}
