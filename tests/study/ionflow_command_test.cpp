// tesk31-study ionflow as a shell runs it: the table, CSV and picture it
// writes, an English file's feet carried through, what it refuses.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <sstream>

#include "engine/engine.hpp"
#include "support/files.hpp"
#include "support/program.hpp"
#include "support/xml_check.hpp"

namespace {

namespace fs = std::filesystem;

struct Scratch {
  fs::path dir;
  Scratch() {
    dir = support::fresh_directory("brenlow-ionflow-" + std::to_string(::getpid()) + "-" + support::test_name());
    fs::copy_file(std::string(BRENLOW_EXAMPLES) + "/500kv_dc_bipole.dat", dir / "bipole.dat");
    fs::permissions(dir / "bipole.dat", fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add);
  }
  ~Scratch() {
    std::error_code ignored;
    fs::remove_all(dir, ignored);
  }
  support::Finished study(const std::string& args) const { return support::run_program(dir, TESK31_STUDY_PATH, args); }
};

std::vector<std::vector<double>> csv_rows(const std::string& text) {
  std::vector<std::vector<double>> rows;
  std::istringstream in(text);
  std::string line;
  std::getline(in, line);
  while (std::getline(in, line)) {
    std::vector<double> row;
    std::istringstream cells(line);
    std::string cell;
    while (std::getline(cells, cell, ',')) row.push_back(std::stod(cell));
    rows.push_back(row);
  }
  return rows;
}

TEST(IonFlowCommand, TableCsvAndPictureOfTheBipole) {
  const Scratch s;
  const support::Finished f = s.study("ionflow bipole.dat --from -60 --to 60 --step 5 --csv j.csv --svg j.svg");
  ASSERT_EQ(f.status, 0) << f.err;
  EXPECT_NE(f.out.find("POLE +"), std::string::npos) << f.out;
  EXPECT_NE(f.out.find("Note: lines running from pole to pole"), std::string::npos) << f.out;
  const std::string csv = support::read_file(s.dir / "j.csv");
  EXPECT_EQ(csv.substr(0, csv.find('\r')), "x (m),E nominal (kV/m),E total (kV/m),J (nA/m2),rho (nC/m3)");
  const std::vector<std::vector<double>> rows = csv_rows(csv);
  ASSERT_EQ(rows.size(), 25u);
  const brenlow::IonFlowEvaluation flow(brenlow::read_data_file((s.dir / "bipole.dat").string()));
  for (const std::vector<double>& r : rows) {
    const brenlow::IonFlowPoint p = flow.at(r[0]);
    EXPECT_NEAR(r[2], p.e_total, 1e-6 * p.e_total + 1e-6) << r[0];
    EXPECT_NEAR(r[3], p.j, 1e-6 * std::abs(p.j) + 1e-6) << r[0];
  }
  const std::string svg = support::read_file(s.dir / "j.svg");
  EXPECT_EQ(support::xml_problem(svg), "");
  EXPECT_NE(svg.find("J, nA/m2"), std::string::npos);
}

TEST(IonFlowCommand, EnglishFileInFeet) {
  const Scratch s;
  brenlow::CrossSection line = brenlow::read_data_file((s.dir / "bipole.dat").string());
  line.english = true;
  brenlow::write_data_file(line, (s.dir / "feet.dat").string());
  const support::Finished metric = s.study("ionflow bipole.dat --at 3.048 --at 6.096 --at 9.144 --csv m.csv");
  const support::Finished feet = s.study("ionflow feet.dat --from 10 --to 30 --step 10 --csv ft.csv");
  ASSERT_EQ(feet.status, 0) << feet.err;
  ASSERT_EQ(metric.status, 0) << metric.err;
  EXPECT_EQ(support::read_file(s.dir / "ft.csv").substr(0, 5), "x (ft");
  const auto m = csv_rows(support::read_file(s.dir / "m.csv")), f = csv_rows(support::read_file(s.dir / "ft.csv"));
  ASSERT_EQ(m.size(), f.size());
  for (std::size_t i = 0; i < m.size(); ++i)
    for (std::size_t c = 1; c < 5; ++c) EXPECT_NEAR(f[i][c], m[i][c], 2e-3 * std::abs(m[i][c]) + 1e-5) << i << "," << c;
}

TEST(IonFlowQuantities, EdgesShowTheIonFlowOfADcLineOnly) {
  const Scratch s;
  const support::Finished f = s.study("edges bipole.dat " BRENLOW_EXAMPLES "/example.dat --at -10 --csv e.csv");
  ASSERT_EQ(f.status, 0) << f.err;
  const std::string csv = support::read_file(s.dir / "e.csv");
  ASSERT_NE(csv.find("E-TOTAL (kV/m),J (nA/m2)"), std::string::npos) << csv;
  const brenlow::IonFlowPoint p =
      brenlow::IonFlowEvaluation(brenlow::read_data_file((s.dir / "bipole.dat").string())).at(-10);
  std::istringstream rows(csv);
  std::string header, dc, ac;
  std::getline(rows, header);
  std::getline(rows, dc);
  std::getline(rows, ac);
  const auto cells = [](const std::string& line) {
    std::vector<std::string> out;
    std::istringstream in(line);
    std::string cell;
    while (std::getline(in, cell, ',')) out.push_back(cell);
    return out;
  };
  const std::vector<std::string> names = cells(header), values = cells(dc);
  const auto column = std::find(names.begin(), names.end(), "E-TOTAL (kV/m)") - names.begin();
  ASSERT_LT(static_cast<std::size_t>(column + 1), values.size());
  EXPECT_NEAR(std::stod(values[static_cast<std::size_t>(column)]), p.e_total, 1e-5 * p.e_total);
  EXPECT_NEAR(std::stod(values[static_cast<std::size_t>(column + 1)]), std::abs(p.j), 1e-5 * std::abs(p.j));
  EXPECT_NE(ac.find(",,,"), std::string::npos) << ac;  // an AC line has no ion flow (nor ozone here)
}

TEST(IonFlowQuantities, HeightRaisesThePolesUntilTheTotalFieldMeetsItsLimit) {
  const Scratch s;
  const support::Finished f = s.study("height bipole.dat --groups 1,2 --limit E-TOTAL=15 --at -10 --at 10 -o raised.dat");
  ASSERT_EQ(f.status, 0) << f.err;
  // Checked by the engine's ion flow itself: the raised line meets the
  // limit, the same line 2 cm lower does not.
  brenlow::CrossSection raised = brenlow::read_data_file((s.dir / "raised.dat").string());
  double worst = 0;
  for (double x : {-10.0, 10.0}) worst = std::max(worst, brenlow::IonFlowEvaluation(raised).at(x).e_total);
  EXPECT_LE(worst, 15.0);
  for (int g : {0, 1}) raised.groups[static_cast<std::size_t>(g)].y -= 0.02f;
  EXPECT_GT(brenlow::IonFlowEvaluation(raised).at(-10).e_total, 15.0);
}

// The full method: its poles' currents between the poles, the ion densities'
// map (a well-formed picture), and the same numbers as the engine's.
TEST(IonFlowCommand, FullMethodTableAndDensityMap) {
  if (!BRENLOW_HEAVY_TESTS) GTEST_SKIP() << "heavy: normal build only";
  const Scratch s;
  const support::Finished f = s.study("ionflow bipole.dat --at -10 --at 10 --method full --element-size 2 --csv f.csv --map m.svg");
  ASSERT_EQ(f.status, 0) << f.err;
  EXPECT_NE(f.out.find("the coupled equations solved in full"), std::string::npos) << f.out;
  EXPECT_NE(f.out.find("From pole to pole"), std::string::npos) << f.out;
  EXPECT_EQ(f.out.find("Note: lines running from pole to pole"), std::string::npos) << f.out;
  EXPECT_EQ(support::xml_problem(support::read_file(s.dir / "m.svg")), "");
  brenlow::IonFlowConditions c;
  c.method = brenlow::IonFlowMethod::full;
  c.element_size = 2;
  const brenlow::IonFlowEvaluation flow(brenlow::read_data_file((s.dir / "bipole.dat").string()), c);
  const std::vector<std::vector<double>> rows = csv_rows(support::read_file(s.dir / "f.csv"));
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_NEAR(rows[0][3], flow.at(-10).j, 1e-3 * std::abs(flow.at(-10).j));
  EXPECT_NEAR(rows[1][2], flow.at(10).e_total, 1e-3 * flow.at(10).e_total);
}

TEST(IonFlowQuantities, PhasingRefusesThem) {
  const Scratch s;
  const support::Finished f = s.study("phasing bipole.dat --circuit 1,2 --minimize J --at 0");
  EXPECT_EQ(f.status, 2);
  EXPECT_NE(f.err.find("--minimize J: the ion flow is a DC line's"), std::string::npos) << f.err;
}

struct Bad {
  const char* name;
  const char* args;
  const char* message;
};

class IonFlowRefuses : public ::testing::TestWithParam<Bad> {};

TEST_P(IonFlowRefuses, StatusTwoAndWhatIsWrong) {
  const Scratch s;
  const support::Finished f = s.study(std::string("ionflow ") + GetParam().args);
  EXPECT_EQ(f.status, 2) << f.out << f.err;
  EXPECT_NE(f.err.find(GetParam().message), std::string::npos) << f.err;
}

INSTANTIATE_TEST_SUITE_P(
    Study, IonFlowRefuses,
    ::testing::Values(Bad{"NoPoints", "bipole.dat", "no point given"},
                      Bad{"BothOnsets", "bipole.dat --at 0 --onset-gradient 16 --onset-voltage 300", "not both"},
                      Bad{"OnsetList", "bipole.dat --at 0 --onset-voltage 300,310,320", "3 onset voltages for 2 poles"},
                      Bad{"Roughness", "bipole.dat --at 0 --roughness 1.5", "roughness must be at most 1"},
                      Bad{"NoPole", BRENLOW_EXAMPLES "/example.dat --at 0", "no DC pole"},
                      Bad{"Method", "bipole.dat --at 0 --method exact", "--method: full or flux-tracing"},
                      Bad{"WindWithoutFull", "bipole.dat --at 0 --wind 2", "--wind needs --method full"},
                      Bad{"MapWithoutFull", "bipole.dat --at 0 --map m.svg", "--map needs --method full"},
                      Bad{"Gale", "bipole.dat --at 0 --method full --wind 80", "wind must be -50 to 50 m/s"}),
    [](const ::testing::TestParamInfo<Bad>& info) { return std::string(info.param.name); });

}  // namespace
