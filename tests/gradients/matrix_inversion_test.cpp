// Inversion of the potential coefficient matrix: exact small cases, the
// pivot order on ties, singular matrices, and P times its inverse on lines
// of 3 to 50 groups.

#include <gtest/gtest.h>

#include <cstring>

#include "gradients/gradients.hpp"
#include "lines.hpp"

namespace {

using lines::element;
using Rows = std::vector<std::vector<double>>;

// The inverse in double, rounded to single precision, element by element.
Matrix rounded_inverse(const Rows& rows) {
  const int n = static_cast<int>(rows.size());
  std::vector<double> a;
  for (const auto& row : rows) a.insert(a.end(), row.begin(), row.end());
  Matrix inverse{};
  for (int c = 0; c < n; ++c) {
    std::vector<double> unit(n, 0.0);
    unit[c] = 1.0;
    const std::vector<double> column = lines::solve(a, unit);
    for (int r = 0; r < n; ++r) element(inverse, r + 1, c + 1) = static_cast<real>(column[r]);
  }
  return inverse;
}

struct ExactCase {
  const char* name;
  Rows rows;
};
// Test names show the case by its name.
void PrintTo(const ExactCase& c, std::ostream* os) { *os << c.name; }

class ExactInverse : public testing::TestWithParam<ExactCase> {};

// Each case inverts to the correctly rounded inverse, bit for bit. The two
// tie cases do so only when the first of equal magnitudes (lower row, then
// lower column) is taken as pivot; the last one gives other roundings. The
// last case needs the pivot row divided by the pivot, not multiplied by its
// reciprocal. Negative largest elements are found by their magnitude.
TEST_P(ExactInverse, MatchesRoundedInverse) {
  const Rows& rows = GetParam().rows;
  const int n = static_cast<int>(rows.size());
  Matrix a = lines::from_rows(rows);
  ASSERT_TRUE(ztmxinvr(a, static_cast<integer>(n)));
  Matrix expected = rounded_inverse(rows);
  for (int r = 1; r <= n; ++r)
    for (int c = 1; c <= n; ++c) EXPECT_EQ(element(a, r, c), element(expected, r, c)) << "element " << r << "," << c;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExactInverse,
    testing::Values(ExactCase{"single", {{4.0}}}, ExactCase{"single_negative", {{-3.0}}},
                    ExactCase{"diagonal", {{3.0, 0, 0, 0}, {0, -7.0, 0, 0}, {0, 0, 5.0, 0}, {0, 0, 0, 0.5}}},
                    ExactCase{"negative_diagonal", {{-4.0, 0, 0}, {0, -2.0, 0}, {0, 0, -6.0}}},
                    ExactCase{"tie_within_row", {{9, -9, -6}, {3, 1, -3}, {6, 5, -4}}},
                    ExactCase{"tie_across_rows", {{6, 9, -4}, {6, 3, 6}, {-9, -6, -1}}},
                    ExactCase{"pivot_row_divided", {{3, 3, -3}, {1, 1, 0}, {-1, 4, -4}}}),
    [](const testing::TestParamInfo<ExactCase>& info) { return std::string(info.param.name); });

TEST(MatrixInversion, OrderOutsideTheStorageLeavesItUntouched) {
  for (const integer n : {integer{0}, integer{-1}, integer{-32768}, integer{51}, integer{32767}}) {
    Matrix a{};
    for (int i = 0; i < max_groups * max_groups; ++i) a[i] = static_cast<real>(i % 7) - 3.0f;
    const Matrix before = a;
    EXPECT_EQ(ztmxinvr(a, n), n <= 0) << "n = " << n;
    EXPECT_EQ(std::memcmp(&a, &before, sizeof a), 0) << "n = " << n;
  }
}

TEST(MatrixInversion, OnlyTheLeadingBlockIsTouched) {
  Matrix a{};
  a.fill(5.0f);
  element(a, 1, 1) = 2.0f;
  element(a, 1, 2) = 1.0f;
  element(a, 2, 1) = 1.0f;
  element(a, 2, 2) = 3.0f;
  ASSERT_TRUE(ztmxinvr(a, 2));
  for (int c = 1; c <= max_groups; ++c)
    for (int r = 1; r <= max_groups; ++r)
      if (r > 2 || c > 2) {
        ASSERT_EQ(element(a, r, c), 5.0f) << r << "," << c;
      }
}

// Singular blocks are reported; the routine neither crashes nor reads or
// writes outside the block.
TEST(MatrixInversion, SingularMatrixIsReported) {
  const std::vector<Rows> singular = {
      {{0.0}},
      {{0, 0}, {0, 0}},
      {{1, 2}, {2, 4}},
      {{2, 2}, {2, 2}},
      {{1, 2, 3}, {2, 4, 6}, {3, 6, 9}},      // rank 1: leaves early
      {{1, 0, 1}, {0, 1, 1}, {1, 1, 2}},      // rank 2, eliminated without rounding
      {{1, 0, 0}, {0, 0, 0}, {0, 0, 1}},      // a zero row and column
      {{INFINITY, 1}, {1, 2}},                 // a coefficient of coincident groups
  };
  for (std::size_t i = 0; i < singular.size(); ++i) {
    Matrix a = lines::from_rows(singular[i]);
    EXPECT_FALSE(ztmxinvr(a, static_cast<integer>(singular[i].size()))) << "case " << i;
  }
}

// A pass that finds no pivot keeps the candidate of the pass before (here
// element (2, 2)); dividing by what stands there undoes the first pass and
// leaves the block as it came in. A candidate reset to (1, 1) would divide
// by zero instead.
TEST(MatrixInversion, PassWithoutPivotKeepsThePreviousCandidate) {
  Matrix a = lines::from_rows({{1, 2}, {2, 4}});
  EXPECT_FALSE(ztmxinvr(a, 2));
  EXPECT_EQ(element(a, 1, 1), 1.0f);
  EXPECT_EQ(element(a, 1, 2), 2.0f);
  EXPECT_EQ(element(a, 2, 1), 2.0f);
  EXPECT_EQ(element(a, 2, 2), 4.0f);
}

class LineInverse : public testing::TestWithParam<int> {};

// P times the computed inverse is the unit matrix, within what single
// precision allows, for the coefficients of realistic lines.
TEST_P(LineInverse, TimesMatrixIsUnit) {
  const int n = GetParam();
  const Inputs line = lines::tiered_line(n, false);
  const std::vector<double> p = lines::potential_coefficients(line, n);
  Matrix a{};
  for (int r = 0; r < n; ++r)
    for (int c = 0; c < n; ++c) element(a, r + 1, c + 1) = static_cast<real>(p[r * n + c]);
  ASSERT_TRUE(ztmxinvr(a, static_cast<integer>(n)));
  double worst = 0.0;
  for (int r = 0; r < n; ++r)
    for (int c = 0; c < n; ++c) {
      double sum = 0.0;
      for (int k = 0; k < n; ++k) sum += static_cast<double>(static_cast<real>(p[r * n + k])) * element(a, k + 1, c + 1);
      worst = std::max(worst, std::fabs(sum - (r == c ? 1.0 : 0.0)));
    }
  EXPECT_LT(worst, 2e-5) << n << " groups";
}

INSTANTIATE_TEST_SUITE_P(Groups, LineInverse, testing::Values(3, 4, 7, 12, 25, 49, 50));

}  // namespace
