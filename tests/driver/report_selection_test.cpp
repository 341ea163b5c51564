// Report selection: the keyword search, the override question, the
// options menu, the DIF file and the options line of the print file.

#include "driver/deck.hpp"
#include "driver/listing.hpp"

namespace {

using deck_test::blanks;
using deck_test::Deck;
using deck_test::Reading;

std::string flags_text(const std::array<bool, report_count>& flags) {
  static const char* names[] = {"AN", "RI", "TV", "OZ", "CL", "EF", "MF", "COMB"};
  std::string text;
  for (int i = 0; i < report_count; ++i) {
    if (flags[i]) text += std::string(text.empty() ? "" : " ") + names[i];
  }
  return text;
}

TEST(ReportSelection, KeywordSearch) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {" ALL", "AN RI TV OZ CL EF MF COMB"},
      {" NONE ALL", "AN RI TV OZ CL EF MF COMB"},  // ALL is tested first
      {" NONE AN", ""},                             // NONE before the single keywords
      {" AN RI TV OZ CL EF MF COMB", "AN RI TV OZ CL EF MF COMB"},
      {" an ri all", ""},  // upper case only
      {" ANRI", "AN RI"},  // no separators needed
      {" REF", "EF"},      // a word holding a keyword selects it
      {" COMB", "COMB"},
      {" TV,OZ;MF", "TV OZ MF"},
      {"", ""},
      {" PLANT", "AN"},  // plANt: any substring counts
  };
  for (const auto& [options, selected] : cases) {
    SCOPED_TRACE(options);
    EXPECT_EQ(flags_text(driver::report_flags(FixedString<45>(options).view())), selected);
  }
}

// The options menu as the console shows it: 13 lines of 39 characters.
std::string options_menu() {
  const char* lines[] = {" ********** PRINTOUT OPTONS ********** ", " *   COMB....Combined                * ",
                         " *   AN....Audible noise             * ", " *   RI....Radio noise               * ",
                         " *   TV....Television interference   * ", " *   OZ....Ozone concentrations      * ",
                         " *   CL....Corona loss               * ", " *   EF....Electric field            * ",
                         " *   MF....Magnetic field            * ", " *   ALL...All of the above          * ",
                         " *   NONE..No reports at all         * ", " Enter any or all of the above in any  ",
                         " order, seperated by blanks or commas: "};
  std::string text;
  for (const char* line : lines) {
    EXPECT_EQ(std::string(line).size(), 39u);
    text += std::string(line) + "\r\n";
  }
  return text;
}

TEST(ReportSelection, OverrideQuestionOnlyForAFileNamedAtThePrompt) {
  struct Case {
    const char* name;
    integer dataopt;
    std::string answers;
    std::string selected;
    bool asked, menu;
  };
  const std::vector<Case> cases = {
      {"named on the command line", 0, "Y\nMF\n", "AN", false, false},
      {"answer N", 1, "N\n", "AN", true, false},
      {"empty answer", 1, "\n", "AN", true, false},
      {"other answer", 1, "yes please\nEF\n", "EF", true, true},  // only the first character counts
      {"answer X", 1, "X\n", "AN", true, false},
      {"answer Y", 1, "Y\nRI TV\n", "RI TV", true, true},
      {"answer y", 1, "y\n\n", "", true, true},
  };
  const std::string prompt = " Do you wish to override[Y/N]? ";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Deck deck;
    deck.options = " AN";
    const Reading r(deck.text(), c.answers, c.dataopt);
    EXPECT_EQ(flags_text(r.problem.run.rptflags), c.selected);
    const std::string console = r.console_text;
    EXPECT_EQ(console.find(" OPTIONS: " + FixedString<45>(" AN").str() + "\r\n"), 0u);
    EXPECT_EQ(console.find(prompt) != std::string::npos, c.asked);
    EXPECT_EQ(console.find(prompt + options_menu()) != std::string::npos, c.menu);
    // The options line of the print file shows the option string in force.
    const std::string shown = c.menu ? c.answers.substr(c.answers.find('\n') + 1) : " AN\n";
    EXPECT_EQ(r.print()[10], " OPTIONS: " + FixedString<45>(shown.substr(0, shown.size() - 1)).str());
  }
}

TEST(ReportSelection, DifFileOnlyForTheCombinedReport) {
  struct Case {
    const char* name;
    std::string options;
    integer dataopt;
    std::string diffile, answers;
    std::vector<std::string> opened;
    bool prompted;
  };
  const std::string long_name = std::string(150, 'd') + "/" + std::string(150, 'e') + ".dif";
  const std::vector<Case> cases = {
      {"two arguments", " COMB", 0, "", "", {"NUL"}, false},
      {"three arguments", " ALL", 0, "line.dif", "", {"line.dif"}, false},
      {"third argument without COMB", " AN", 0, "line.dif", "", {}, false},
      {"named at the prompt", " COMB", 1, "", "N\nrun.dif\n", {"run.dif"}, true},
      {"blank answer", " COMB", 1, "", "N\n\n", {"NUL"}, true},
      {"long name at the prompt, taken whole", " COMB", 1, "", "N\n" + long_name + "  \n", {long_name}, true},
      {"no COMB at the prompt", " AN", 1, "", "N\nrun.dif\n", {}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Deck deck;
    deck.options = c.options;
    const Reading r(deck.text(), c.answers, c.dataopt, c.diffile);
    EXPECT_EQ(r.opened, c.opened);
    EXPECT_EQ(r.console_text.find(" Enter NUL or a DIF file name: ") != std::string::npos, c.prompted);
    if (!c.opened.empty()) {
      EXPECT_EQ(r.problem.run.diffile.str(), c.opened[0]);
    }
  }
}

}  // namespace
