// tesk31 asked the problem at the keyboard: the questions and their
// re-asks, the save-data file record by record, and the saved file run
// again from the command line.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/program.hpp"
#include "support/records.hpp"

namespace {

namespace fs = std::filesystem;
using support::records;
using Outcome = support::Finished;

// Fields of the save-data layouts, rendered here independently of the
// program: right-justified in w places, asterisks when too wide.
std::string fit(const std::string& text, std::size_t w) {
  return text.size() > w ? std::string(w, '*') : std::string(w - text.size(), ' ') + text;
}
std::string fixed(std::size_t w, int d, const std::string& typed) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", d, typed.empty() ? 0.0 : std::stod(typed));
  return fit(text, w);
}
std::string whole(std::size_t w, const std::string& typed) {
  return fit(std::to_string(typed.empty() ? 0 : std::stoi(typed)), w);
}
std::string chars(std::size_t w, const std::string& text) {
  return text.size() >= w ? text.substr(0, w) : text + std::string(w - text.size(), ' ');
}

// One conductor group as typed, with wrong answers typed before the good
// ones of the three checked values.
struct Group {
  std::string name, type, x, y, nsub, diam, spacing, volts, angle, current, gradient;
  std::vector<std::string> bad_nsub = {}, bad_diam = {}, bad_spacing = {};
};

// One lateral point group as typed; counts above the room left first.
struct Points {
  std::string count, start = "", step = "";
  std::vector<std::string> too_many = {};
};

// A problem typed at the keyboard: the answers in the order asked, the
// console lines of the dialogue, and the save-data file the layouts give.
struct Line {
  std::string title1, title2, units = "0", gradopt = "0", nphases, ncond, wind, rain, altitude;
  std::vector<std::pair<std::string, std::string>> bad_counts;
  std::string options, diffile;
  std::vector<std::string> heights;
  std::vector<Group> groups;
  std::vector<Points> points;

  // Console records from the title question to the last question; `lines`
  // receives the answers.
  std::vector<std::string> dialogue(std::vector<std::string>& lines) const {
    std::vector<std::string> console;
    std::string pending;  // a prompt left open, continued by the next line
    auto ask = [&](const std::string& question, const std::string& answer) {
      console.push_back(pending + question);
      pending.clear();
      lines.push_back(answer);
    };
    auto say = [&](const std::string& message) { console.push_back(message); };
    console.push_back(" ENTER TITLE...2 lines of 72 characters each");
    lines.insert(lines.end(), {title1, title2});
    ask(" UNIT OPTION....0=metric, 1=english", units);
    ask(" GRADIENT OPTION....0=computed ,1=input", gradopt);
    for (const auto& [phases, total] : bad_counts) {
      ask(" ENTER NUMBER OF PHASES OR POLES", phases);
      ask(" ENTER TOTAL CONDUCTORS..poles+earth wires", total);
      say(" ERROR-NUMBER OF PHASES AND TOTAL CONDUCTORS MUST SATISFY 0 <= PHASES <= TOTAL <= 50");
    }
    ask(" ENTER NUMBER OF PHASES OR POLES", nphases);
    ask(" ENTER TOTAL CONDUCTORS..poles+earth wires", ncond);
    ask(" ENTER WIND VELOCITY IN  m/s or mi/hr", wind);
    ask(" ENTER RAIN RATE IN  mm/hr  or  in/hr", rain);
    ask(" ENTER ALTITUDE IN m or ft(over 300m/1000ft)", altitude);
    for (const char* menu_line :
         {" ********** PRINTOUT OPTONS ********** ", " *   COMB....Combined                * ",
          " *   AN....Audible noise             * ", " *   RI....Radio noise               * ",
          " *   TV....Television interference   * ", " *   OZ....Ozone concentrations      * ",
          " *   CL....Corona loss               * ", " *   EF....Electric field            * ",
          " *   MF....Magnetic field            * ", " *   ALL...All of the above          * ",
          " *   NONE..No reports at all         * ", " Enter any or all of the above in any  "})
      say(menu_line);
    ask(" order, seperated by blanks or commas: ", options);
    if (!diffile.empty()) {
      pending = " Enter NUL or a DIF file name: ";
      lines.push_back(diffile);
    }
    const char* height_questions[] = {
        " ENTER VERT HEIGHT OF AUDIBLE NOISE MIC m or ft", " ENTER HEIGHT OF RI ANTENNA m or ft",
        " ENTER HEIGHT OF TVI ANTENNA m or ft",           " ENTER HEIGHT OF OZONE SENSOR m or ft",
        " ENTER RI FREQUENCY VALUE (0.1 to 1000 MHz)",    " ENTER TV FREQUENCY VALUE (20 to 1000 MHz)",
        " ENTER HEIGHT OF MAGNETIC FIELD m or ft",        " ENTER GROUND CONDUCTIVITY mmhos/m",
        " ENTER HEIGHT OF ELECTRIC FIELD m or ft"};
    for (std::size_t k = 0; k < 9; ++k) ask(height_questions[k], heights[k]);
    for (std::size_t i = 0; i < groups.size(); ++i) {
      const Group& g = groups[i];
      ask(" ENTER CONDUCTOR GROUP" + fit(std::to_string(i + 1), 3) + " NAME (8 characters)", g.name);
      ask(" ENTER A for AC or D for DC", g.type);
      ask(" ENTER CONDUCT CL TO REF AXIS DIST m or ft", g.x);
      ask(" ENTER HEIGHT OF BUNDLE CL m or ft", g.y);
      for (const auto& bad : g.bad_nsub) {
        ask(" ENTER # OF SUBCONDUCTORS IN BUNDLE", bad);
        say(" ERROR-NUMBER OF SUBCONDUCTORS MUST BE > 0");
      }
      ask(" ENTER # OF SUBCONDUCTORS IN BUNDLE", g.nsub);
      for (const auto& bad : g.bad_diam) {
        ask(" ENTER SUBCONDUCTOR DIAMETER mm or in", bad);
        say(" ERROR-CONDUCTOR DIAMETER MUST BE > 0");
      }
      ask(" ENTER SUBCONDUCTOR DIAMETER mm or in", g.diam);
      if (std::stoi(g.nsub) > 1) {
        for (const auto& bad : g.bad_spacing) {
          ask(" ENTER BUNDLE SUBCONDUCTOR SPACING cm or in", bad);
          say(" ERROR-INVALID SUBCONDUCTOR SPACING");
        }
        ask(" ENTER BUNDLE SUBCONDUCTOR SPACING cm or in", g.spacing);
      }
      ask(" ENTER LINE TO GROUND VOLTS dc=kV, ac=kVrms", g.volts);
      if (g.type == "A") ask(" ENTER ELECTRICAL PHASE ANGLE IN DEGREES", g.angle);
      ask(" ENTER CURRENT IN CONDUCTOR kAmperes", g.current);
      if (gradopt != "0") ask(" ENTER CONDUCTOR GRADIENT VALUE", g.gradient);
    }
    int room = 100;
    for (const Points& p : points) {
      const std::string question = " ENTER NUMBER OF LATERAL POINTS (" + fit(std::to_string(room), 3) + " MAX)";
      for (const auto& bad : p.too_many) {
        ask(question, bad);
        say(" ERROR-TOO MANY DISTANCE POINTS");
      }
      ask(question, p.count);
      if (std::stoi(p.count) > 0) {
        ask(" ENTER HORIZONTAL STARTING POINT m or ft", p.start);
        ask(" ENTER DISTANCE INCREMENT m or ft", p.step);
        room -= std::stoi(p.count);
      }
    }
    return console;
  }

  std::string answers(const std::string& before) const {
    std::vector<std::string> lines;
    dialogue(lines);
    std::string text = before;
    for (const auto& line : lines) text += line + "\n";
    return text;
  }

  // The records of the save-data file, from the layouts:
  // "(1X,A72)", "(1X,2(I1.1,','),2(I2,','),'0.0',3(',',F7.2))", "(1XA45)",
  // "(1X,8(F7.3,','),F7.3)",
  // "(2H ',A8,3H',',A1,1H',2(',',F8.2),',',I2.1,                6(',',F8.3))",
  // "(I4.1,2(',',F7.1))".
  std::vector<std::string> saved() const {
    std::vector<std::string> out = {" " + chars(72, title1), " " + chars(72, title2)};
    out.push_back(" " + whole(1, units) + "," + whole(1, gradopt) + "," + whole(2, nphases) + "," + whole(2, ncond) +
                  ",0.0," + fixed(7, 2, wind) + "," + fixed(7, 2, rain) + "," + fixed(7, 2, altitude));
    out.push_back(" " + chars(45, options));
    std::string h = " ";
    for (std::size_t k = 0; k < 9; ++k) h += (k ? "," : "") + fixed(7, 3, heights[k]);
    out.push_back(h);
    for (const Group& g : groups) {
      std::string r = " '" + chars(8, g.name) + "','" + chars(1, g.type) + "'," + fixed(8, 2, g.x) + "," +
                      fixed(8, 2, g.y) + "," + whole(2, g.nsub);
      const bool bundle = std::stoi(g.nsub) > 1, ac = g.type == "A", input = gradopt != "0";
      for (const std::string& v : {g.diam, bundle ? g.spacing : "", g.volts, ac ? g.angle : "", g.current,
                                   input ? g.gradient : ""})
        r.append(",").append(fixed(8, 3, v));  // not "," + ...: a false overlap warning when optimised
      out.push_back(r);
    }
    for (const Points& p : points) {
      const bool some = std::stoi(p.count) > 0;
      out.push_back(whole(4, some ? p.count : "0") + "," + fixed(7, 1, p.start) + "," + fixed(7, 1, p.step));
    }
    return out;
  }
};

// The three-phase AC line with two earth wires of the examples.
Line example_line() {
  Line line;
  line.title1 = "500 KV EXAMPLE LINE";
  line.title2 = "FLAT CONFIGURATION, TWO EARTH WIRES";
  line.nphases = "3", line.ncond = "5", line.wind = "0", line.rain = "1", line.altitude = "300";
  line.options = "ALL";
  line.diffile = "line.dif";
  line.heights = {"1.5", "2", "10", "1", "1", "75", "1", "10", "1"};
  line.groups = {{"PHASE A", "A", "-12", "15", "3", "30", "45", "303", "0", "1", ""},
                 {"PHASE B", "A", "0", "15", "3", "30", "45", "303", "120", "1", ""},
                 {"PHASE C", "A", "12", "15", "3", "30", "45", "303", "240", "1", ""},
                 {"EARTH 1", "D", "-9", "25", "1", "11", "", "0", "", "0", ""},
                 {"EARTH 2", "D", "9", "25", "1", "11", "", "0", "", "0", ""}};
  line.points = {{"21", "-50", "5"}, {"0"}};
  return line;
}

// A small DC line with gradients given: one pole and one earth wire.
Line small_line() {
  Line line;
  line.title1 = "DC TEST";
  line.title2 = "ONE POLE";
  line.gradopt = "1", line.nphases = "1", line.ncond = "2", line.wind = "2", line.rain = "0", line.altitude = "500";
  line.options = "NONE";
  line.heights = {"1.5", "2", "10", "1", "1", "75", "1", "10", "1"};
  line.groups = {{"POLE +", "D", "0", "20", "2", "30", "45", "400", "", "2", "25"},
                 {"EARTH", "D", "0", "30", "1", "11", "", "0", "", "0", "0"}};
  line.points = {{"5", "-10", "5"}, {"0"}};
  return line;
}

class Dialogue : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = support::fresh_directory("brenlow-e2e-dialogue-" + support::test_name());
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string read(const std::string& name) const { return support::read_file(dir_ / name); }
  Outcome run(const std::string& args, const std::string& answers) const {
    return support::run_program(dir_, TESK31_PATH, args, answers);
  }
  // Keyboard entry with the print file run.prt and the save-data file line.sav.
  Outcome keyboard(const std::string& answers) const { return run("", "run.prt\n2\nline.sav\n" + answers); }
  fs::path dir_;
};

// The console records from the first question on.
std::vector<std::string> from_first_question(const std::string& out) {
  auto lines = records(out);
  const std::string first = " ENTER TITLE...2 lines of 72 characters each";
  for (std::size_t k = 0; k < lines.size(); ++k) {
    const std::string& line = lines[k];
    if (line.size() >= first.size() && line.compare(line.size() - first.size(), first.size(), first) == 0) {
      lines.erase(lines.begin(), lines.begin() + static_cast<long>(k));
      lines[0] = first;
      return lines;
    }
  }
  ADD_FAILURE() << "no title question";
  return {};
}

TEST_F(Dialogue, ExampleLineSavedAndRunAgainFromTheFile) {
  const Line line = example_line();
  const Outcome typed = keyboard(line.answers(""));
  ASSERT_EQ(typed.status, 0) << typed.err;
  EXPECT_EQ(typed.err, "");

  std::string saved;
  for (const auto& r : line.saved()) saved += r + "\r\n";
  EXPECT_EQ(read("line.sav"), saved);

  std::vector<std::string> ignored;
  auto expected = line.dialogue(ignored);
  auto console = from_first_question(typed.out);
  ASSERT_GE(console.size(), expected.size());
  EXPECT_EQ(std::vector<std::string>(console.begin(), console.begin() + static_cast<long>(expected.size())), expected);
  const std::vector<std::string> typed_tail(console.begin() + static_cast<long>(expected.size()), console.end());

  const Outcome replay = run("line.sav replay.prt replay.dif", "");
  ASSERT_EQ(replay.status, 0) << replay.err;
  // Same progress messages and reports, same DIF table.
  const auto replay_console = records(replay.out);
  ASSERT_GE(replay_console.size(), typed_tail.size());
  EXPECT_EQ(std::vector<std::string>(replay_console.end() - static_cast<long>(typed_tail.size()), replay_console.end()),
            typed_tail);
  EXPECT_EQ(typed_tail.front(), " INPUT DATA PRINTED");
  EXPECT_EQ(read("replay.dif"), read("line.dif"));
  EXPECT_FALSE(read("line.dif").empty());

  // Same print file, but for the date line and the blank that the saved
  // titles and option line carry in front.
  std::string print = read("run.prt");
  for (const auto& [typed_text, read_back] :
       {std::pair{chars(72, line.title1), chars(72, " " + line.title1)},
        std::pair{chars(72, line.title2), chars(72, " " + line.title2)},
        std::pair{" OPTIONS: " + chars(45, line.options), " OPTIONS: " + chars(45, " " + line.options)}}) {
    for (std::size_t at = print.find(typed_text); at != std::string::npos; at = print.find(typed_text, at + 1))
      print.replace(at, typed_text.size(), read_back);
  }
  auto typed_print = records(print), replay_print = records(read("replay.prt"));
  ASSERT_GT(typed_print.size(), 30u);
  ASSERT_EQ(typed_print.size(), replay_print.size());
  typed_print[10] = replay_print[10];  // date line
  EXPECT_EQ(typed_print, replay_print);
  EXPECT_EQ(replay_print[11], " " + chars(72, " " + line.title1));
}

TEST_F(Dialogue, WrongAnswersAreAskedAgain) {
  Line line = small_line();
  line.bad_counts = {{"3", "2"}, {"1", "51"}, {"-1", "2"}};
  line.groups[0].bad_nsub = {"0", "-2", ""};
  line.groups[0].bad_diam = {"0", "-1", ""};
  line.groups[0].bad_spacing = {"0", "-45"};
  // 95 points left for the second group, which fills the list.
  line.points = {{"5", "-10", "5", {"101", "999"}}, {"95", "0", "1", {"96"}}};
  const Outcome r = keyboard(line.answers(""));
  ASSERT_EQ(r.status, 0) << r.err;
  std::vector<std::string> ignored;
  const auto expected = line.dialogue(ignored);
  const auto console = from_first_question(r.out);
  ASSERT_GE(console.size(), expected.size());
  EXPECT_EQ(std::vector<std::string>(console.begin(), console.begin() + static_cast<long>(expected.size())), expected);
  EXPECT_EQ(records(read("line.sav")), line.saved());  // only the accepted values are saved
}

TEST_F(Dialogue, LateralPointLists) {
  struct Case {
    const char* name;
    std::vector<Points> points;
    std::vector<std::string> listed;  // lateral point records of the print file
  };
  const std::vector<Case> cases = {
      {"no point at all", {{"0"}}, {"   0    0.0    0.0"}},
      {"negative count saved as 0", {{"-3"}}, {"   0    0.0    0.0"}},
      {"two groups of 50 end the list", {{"50", "-50", "1"}, {"50", "0", "1"}}, {"  50  -50.0    1.0", "  50    0.0    1.0"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Line line = small_line();
    line.points = c.points;
    const Outcome r = keyboard(line.answers(""));
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<std::string> ignored;
    const auto expected = line.dialogue(ignored);
    const auto console = from_first_question(r.out);
    ASSERT_GE(console.size(), expected.size() + 1);
    EXPECT_EQ(std::vector<std::string>(console.begin(), console.begin() + static_cast<long>(expected.size())), expected);
    EXPECT_EQ(console[expected.size()], " INPUT DATA PRINTED");  // no further question
    EXPECT_EQ(records(read("line.sav")), line.saved());
    const auto print = records(read("run.prt"));
    ASSERT_GT(print.size(), c.listed.size() + 1);
    EXPECT_EQ(std::vector<std::string>(print.end() - static_cast<long>(c.listed.size()) - 1, print.end() - 1), c.listed);
    EXPECT_EQ(print.back(), "1");
  }
}

TEST_F(Dialogue, FailedAnswerEndsTheRunAndKeepsTheSavedRecords) {
  const Line line = small_line();
  std::vector<std::string> answers;
  line.dialogue(answers);
  const std::size_t first_group = 2 + 7 + 1 + 9;  // titles, general data, options, heights
  struct Case {
    const char* name;
    std::size_t typed;           // answers given before the end or the bad one
    std::string bad;             // the bad answer; none: the console input ends
    std::string error;           // the error stream
    std::size_t saved;           // records of the save-data file kept
  };
  const std::vector<Case> cases = {
      {"end of input in the second group", first_group + 12, "", "console\nEnd of file\n", 6},
      {"end of input at the title", 0, "", "console\nEnd of file\n", 0},
      {"letter for the unit option", 2, "M", "console\nBad value during integer read\n", 0},
      {"letter for the subconductors", first_group + 4, "2x", "console\nBad value during integer read\n", 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string text;
    for (std::size_t k = 0; k < c.typed; ++k) text += answers[k] + "\n";
    if (!c.bad.empty()) text += c.bad + "\n";
    // An earlier file of that name is replaced by the first record saved.
    std::ofstream(dir_ / "line.sav", std::ios::binary) << " EARLIER\r\n";
    const Outcome r = keyboard(text);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, c.error);
    const auto all = line.saved();
    EXPECT_EQ(records(read("line.sav")), c.saved == 0 ? std::vector<std::string>{" EARLIER"}
                                                       : std::vector<std::string>(all.begin(), all.begin() + static_cast<long>(c.saved)));
    EXPECT_NE(records(read("run.prt")).back(), "1");  // no final record
  }
}

TEST_F(Dialogue, ValueTooWideForTheSaveDataFileIsWarnedOf) {
  Line line = small_line();
  line.altitude = "10000";
  const Outcome r = keyboard(line.answers(""));
  ASSERT_EQ(r.status, 0) << r.err;
  const auto console = records(r.out);
  EXPECT_EQ(std::count(console.begin(), console.end(),
                       " WARNING-ALTITUDE  1.000000E+04 IS SAVED AS ASTERISKS: THE SAVE-DATA FILE WILL NOT READ BACK"),
            1);
  EXPECT_EQ(records(read("line.sav"))[2], " 0,1, 1, 2,0.0,   2.00,   0.00,*******");
  // The warning holds: the saved file is refused.
  const Outcome replay = run("line.sav replay.prt", "");
  EXPECT_EQ(replay.status, 2);
  EXPECT_NE(replay.err.find("Bad real number in item 8 of list input"), std::string::npos) << replay.err;
}

TEST_F(Dialogue, FileNamedAtThePromptWithTheOverrideQuestion) {
  Line line = small_line();
  line.options = "AN EF";
  std::string saved;
  for (const auto& rec : line.saved()) saved += rec + "\r\n";
  std::ofstream(dir_ / "line.sav", std::ios::binary) << saved;
  struct Case {
    std::string answers;
    std::string options;  // on the options line of the print file
    std::vector<std::string> reports;
  };
  const std::vector<Case> cases = {
      {"N\n", " AN EF", {" AUDIBLE NOISE REPORT", " ELECTRIC FIELD REPORT"}},
      {"Y\nMF\n", "MF", {" MAGNETIC FIELD REPORT"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answers);
    const Outcome r = run("", "run.prt\n1\nline.sav\n" + c.answers);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string console = r.out;
    EXPECT_NE(console.find(" INFILE is: \r\n " + chars(72, "line.sav") + "\r\n OPTIONS: " + chars(45, " AN EF") +
                           "\r\n Do you wish to override[Y/N]? "),
              std::string::npos);
    EXPECT_EQ(console.find("ENTER"), std::string::npos);
    const auto lines = records(console);
    EXPECT_EQ(std::vector<std::string>(lines.end() - static_cast<long>(c.reports.size()), lines.end()), c.reports);
    const auto print = records(read("run.prt"));
    EXPECT_NE(std::find(print.begin(), print.end(), " OPTIONS: " + chars(45, c.options)), print.end());
  }
  EXPECT_EQ(read("line.sav"), saved);
}

}  // namespace
