// tesk31-study on DC and hybrid lines: the AC and DC fields apart in the
// CSV against an independent model of each part alone, one field of a
// hybrid line refused with the names of its parts, and a DC pole's angle
// without effect.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "engine/engine.hpp"
#include "study/study_run.hpp"
#include "support/files.hpp"
#include "support/line_model.hpp"

namespace {

namespace fs = std::filesystem;
using study_test::scratch;
using study_test::study;

std::vector<std::vector<std::string>> csv_rows(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> cells;
    std::istringstream l(line);
    std::string cell;
    while (std::getline(l, cell, ',')) cells.push_back(cell);
    rows.push_back(cells);
  }
  return rows;
}

// The bundled hybrid corridor, and the bundled bipole with its + pole at 120
// degrees (which the engine takes as the real DC pole it is).
struct Line {
  const char* name;
  std::string text;
};

std::string bipole_turned() {
  std::string text = support::read_file(std::string(BRENLOW_EXAMPLES) + "/500kv_dc_bipole.dat");
  const std::string pole = " 500.000,   0.000,";
  text.replace(text.find(pole), pole.size(), " 500.000, 120.000,");
  return text;
}

class PartsInCsv : public ::testing::TestWithParam<Line> {};

TEST_P(PartsInCsv, AreTheModelsOfEachKindAlone) {
  const fs::path dir = scratch();
  support::write_file(dir / "line.dat", GetParam().text);
  const support::Finished f =
      study(dir, "compare line.dat --quantity E-AC,E-DC,B-AC,B-DC --from -60 --to 60 --step 7.5 --csv p.csv");
  ASSERT_EQ(f.status, 0) << f.err;
  const auto rows = csv_rows(support::read_file(dir / "p.csv"));
  ASSERT_EQ(rows.at(0), (std::vector<std::string>{"x (m)", "E-AC (kV/m)", "E-DC (kV/m)", "B-AC (uT)", "B-DC (uT)"}));
  // The model with the angles the file gives: a DC pole's is ignored there too.
  const brenlow::CrossSection section = brenlow::read_data_file((dir / "line.dat").string());
  const auto model = support::model_of(section);
  const float eh = section.conditions.ef_height, bh = section.conditions.mf_height;
  ASSERT_EQ(rows.size(), 18u);
  for (std::size_t r = 1; r < rows.size(); ++r) {
    const double x = std::stod(rows[r][0]);
    const double expected[] = {support::model_field(model, true, x, eh).e, support::model_field(model, false, x, eh).e,
                               100 * support::model_field(model, true, x, bh).b,
                               100 * support::model_field(model, false, x, bh).b};
    for (std::size_t c = 0; c < 4; ++c)
      EXPECT_NEAR(std::stod(rows[r][c + 1]), expected[c], 2e-4 * expected[c] + 1e-6)
          << GetParam().name << ": " << rows[0][c + 1] << " at x " << x;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, PartsInCsv,
    ::testing::Values(Line{"Hybrid", support::read_file(std::string(BRENLOW_EXAMPLES) + "/hybrid_corridor.dat")},
                      Line{"BipoleTurned", bipole_turned()}),
    [](const auto& info) { return std::string(info.param.name); });

struct Refused {
  const char* name;
  const char* args;
  const char* message;
};

class OneFieldOfAHybridLine : public ::testing::TestWithParam<Refused> {};

TEST_P(OneFieldOfAHybridLine, IsRefusedNamingItsParts) {
  const fs::path dir = scratch();
  fs::copy_file(std::string(BRENLOW_EXAMPLES) + "/hybrid_corridor.dat", dir / "hybrid.dat");
  const support::Finished f = study(dir, GetParam().args);
  EXPECT_EQ(f.status, 2);
  EXPECT_NE(f.err.find(GetParam().message), std::string::npos) << f.err;
}

INSTANTIATE_TEST_SUITE_P(
    Study, OneFieldOfAHybridLine,
    ::testing::Values(
        Refused{"Compare", "compare hybrid.dat --quantity E", "E on a hybrid line"},
        Refused{"CompareResultant", "compare hybrid.dat --quantity B-RES", "ask for B-AC-RES and B-DC apart"},
        Refused{"Height", "height hybrid.dat --limit B=20 --at 0", "ask for B-AC and B-DC apart"},
        Refused{"Map", "map hybrid.dat --quantity E --svg m.svg", "ask for E-AC and E-DC apart"},
        Refused{"Phasing", "phasing hybrid.dat --circuit 1,2,3 --minimize E --at 0", "E on a hybrid line"},
        Refused{"Span", "span hybrid.dat --length 300 --sag 5 --at 0", "has no one E or B"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DcAndHybridLines, EdgeTableShowsAHybridLinesParts) {
  const fs::path dir = scratch();
  fs::copy_file(std::string(BRENLOW_EXAMPLES) + "/hybrid_corridor.dat", dir / "hybrid.dat");
  const support::Finished f = study(dir, "edges hybrid.dat --at 0 --csv e.csv");
  ASSERT_EQ(f.status, 0) << f.err;
  const auto rows = csv_rows(support::read_file(dir / "e.csv"));
  const std::vector<std::string> head(rows.at(0).begin() + 2, rows.at(0).begin() + 8);
  EXPECT_EQ(head, (std::vector<std::string>{"E-AC (kV/m)", "E-AC-RES (kV/m)", "E-DC (kV/m)", "B-AC (uT)",
                                            "B-AC-RES (uT)", "B-DC (uT)"}));
}

TEST(DcAndHybridLines, PhasingOfAHybridLineRanksItsAcField) {
  // The DC poles' field is the same whatever the AC phasing; the AC field
  // is that of the arrangement, whichever way its phases are turned alike.
  const fs::path dir = scratch();
  fs::copy_file(std::string(BRENLOW_EXAMPLES) + "/hybrid_corridor.dat", dir / "hybrid.dat");
  const support::Finished f =
      study(dir, "phasing hybrid.dat --circuit 1,2,3 --minimize E-AC,E-DC --at -20 --at 0 --csv p.csv");
  ASSERT_EQ(f.status, 0) << f.err;
  const auto rows = csv_rows(support::read_file(dir / "p.csv"));
  ASSERT_GE(rows.size(), 2u);
  std::size_t dc = 0;
  while (dc < rows[0].size() && rows[0][dc].rfind("E-DC", 0) != 0) ++dc;
  ASSERT_LT(dc, rows[0].size());
  for (std::size_t r = 2; r < rows.size(); ++r) EXPECT_EQ(rows[r][dc], rows[1][dc]) << "row " << r;
}

}  // namespace
