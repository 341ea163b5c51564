// The run sequence: gradients, the report sections in their order under
// their flags, the closing; whole data files run in memory.

#include <filesystem>
#include <fstream>
#include <sstream>

#include "driver/deck.hpp"
#include "driver/program.hpp"
#include "driver/run_sequence.hpp"

namespace {

using deck_test::Deck;
using deck_test::Reading;
using support::records;

std::string example_file() {
  std::ifstream in(std::filesystem::path(BRENLOW_EXAMPLES) / "example.dat", std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string with_options(const std::string& deck, const std::string& options) {
  std::vector<std::string> lines;
  std::istringstream in(deck);
  std::string line, out;
  for (int n = 1; std::getline(in, line); ++n) out += (n == 4 ? options : line) + "\n";
  return out;
}

TEST(RunSequence, ComputedGradientsReplaceTheEnteredOnes) {
  for (const bool given : {false, true}) {
    SCOPED_TRACE(given ? "gradients given" : "gradients computed");
    std::string deck = example_file();
    if (given) {
      deck.replace(deck.find(" 0,0,"), 5, " 0,1,");
      for (std::size_t at = deck.find("   0.000\n"); at != std::string::npos; at = deck.find("   0.000\n", at + 1))
        deck.replace(at, 8, "  15.500");
    }
    Reading r(deck);
    ASSERT_EQ(r.outcome, driver::InputOutcome::complete);
    std::string console_text;
    record::Writer console = record::Writer::to_string(&console_text);
    driver::compute_gradients(r.problem, console);
    EXPECT_EQ(records(console_text), (std::vector<std::string>{" INPUT DATA PRINTED", " MATRIX MATH FINISHED"}));
    const Inputs& in = r.problem.inputs;
    for (int i = 0; i < 5; ++i) {
      EXPECT_GT(in.calcgrad[i], 0.0f) << i;
      EXPECT_EQ(in.gradient[i], given ? 15.5f : in.calcgrad[i]) << i;
    }
  }
}

TEST(RunSequence, SingularMatrixIsReportedAndTheRunGoesOn) {
  Deck deck;
  deck.groups[1] = deck.groups[0];  // two bundles in the same place
  deck.general = " 0,0, 2, 2,0.0,   0.00,   1.00, 300.00";
  const auto run = driver::run_data_in_memory(deck.text());
  EXPECT_EQ(run.status, 0);
  const auto console = records(run.console);
  ASSERT_EQ(console.size(), 4u);
  EXPECT_EQ(console[2], " WARNING-CONDUCTOR POSITIONS GIVE A SINGULAR POTENTIAL COEFFICIENT MATRIX");
  EXPECT_EQ(console[3], " MATRIX MATH FINISHED");
}

TEST(RunSequence, NoReportEndsWithTheFinalRecord) {
  const auto run = driver::run_data_in_memory(with_options(example_file(), " NONE"));
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(records(run.console),
            (std::vector<std::string>{" OPTIONS:  NONE" + deck_test::blanks(40), " INPUT DATA PRINTED",
                                      " MATRIX MATH FINISHED"}));
  const auto print = records(run.print);
  ASSERT_GE(print.size(), 2u);
  EXPECT_EQ(print[print.size() - 2], "   0    0.0    0.0");
  EXPECT_EQ(print.back(), "1");
  EXPECT_TRUE(run.dif.empty());
}

TEST(RunSequence, SectionsRunInTheirFixedOrder) {
  const std::vector<std::string> messages = {
      " AUDIBLE NOISE REPORT",  " RADIO INTERFERENCE REPORT", " TV INTERFERENCE REPORT",
      " OZONE REPORT",          " CORONA LOSS REPORT UNAVAILABLE - SEE OZONE",
      " ELECTRIC FIELD REPORT", " MAGNETIC FIELD REPORT",     " COMBINATION REPORT"};
  struct Case {
    std::string options;
    std::vector<int> sections;
  };
  const std::vector<Case> cases = {{" ALL", {0, 1, 2, 3, 4, 5, 6, 7}},
                                   {" COMB MF EF CL OZ TV RI AN", {0, 1, 2, 3, 4, 5, 6, 7}},
                                   {" CL", {4}},
                                   {" MF,TV", {2, 6}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.options);
    const auto run = driver::run_data_in_memory(with_options(example_file(), c.options));
    EXPECT_EQ(run.status, 0);
    auto console = records(run.console);
    std::vector<std::string> expected;
    for (int s : c.sections) expected.push_back(messages[s]);
    ASSERT_GE(console.size(), 3u);
    EXPECT_EQ(console[2], " MATRIX MATH FINISHED");
    EXPECT_EQ(std::vector<std::string>(console.begin() + 3, console.end()), expected);
    const auto print = records(run.print);
    EXPECT_EQ(print.back(), "1");
    // CL alone writes nothing to the print file after the listing.
    if (c.options == " CL") {
      EXPECT_EQ(print[print.size() - 2], "   0    0.0    0.0");
    }
    EXPECT_EQ(run.dif.empty(), c.sections.back() != 7);
  }
}

}  // namespace
