// Gauss-Jordan inversion with full pivoting of the potential coefficient
// matrix, in place, on the fixed 50 by 50 column-major storage.

#include <cmath>
#include <utility>

#include "gradients/gradients.hpp"

namespace {

// Element (row, col), both 1-based, of the column-major storage.
real& element(Matrix& a, integer row, integer col) { return a[(col - 1) * max_groups + (row - 1)]; }

}  // namespace

bool ztmxinvr(Matrix& matrix, integer n) {
  if (n <= 0) return true;
  if (n > max_groups) return false;  // beyond the storage: leave it untouched

  std::array<integer, max_groups> column_uses{};  // times each column served as pivot column
  std::array<integer, max_groups> pivot_row{};    // by pass
  std::array<integer, max_groups> pivot_col{};    // by pass
  bool regular = true;

  // The candidate survives from pass to pass: a pass that finds nothing
  // larger than 0 keeps the previous one.
  integer row = 1;
  integer col = 1;
  for (integer pass = 1; pass <= n; ++pass) {
    real largest = 0.0f;
    bool found = false;
    for (integer j = 1; j <= n; ++j) {
      if (column_uses[j - 1] == 1) continue;
      for (integer k = 1; k <= n; ++k) {
        // A column taken twice: no usable pivot was left; give up.
        if (column_uses[k - 1] > 1) return false;
        if (column_uses[k - 1] == 0 && std::fabs(element(matrix, j, k)) > largest) {
          row = j;
          col = k;
          largest = std::fabs(element(matrix, j, k));
          found = true;
        }
      }
    }
    if (!found) regular = false;
    column_uses[col - 1] = static_cast<integer>(column_uses[col - 1] + 1);

    // Bring the pivot onto the diagonal by a row exchange.
    if (row != col) {
      for (integer l = 1; l <= n; ++l) std::swap(element(matrix, row, l), element(matrix, col, l));
    }
    pivot_row[pass - 1] = row;
    pivot_col[pass - 1] = col;

    const real pivot = element(matrix, col, col);
    if (pivot == 0.0f || !std::isfinite(pivot)) regular = false;
    element(matrix, col, col) = 1.0f;
    for (integer l = 1; l <= n; ++l) element(matrix, col, l) = element(matrix, col, l) / pivot;

    for (integer m = 1; m <= n; ++m) {
      if (m == col) continue;
      const real factor = element(matrix, m, col);
      element(matrix, m, col) = 0.0f;
      for (integer l = 1; l <= n; ++l)
        element(matrix, m, l) = element(matrix, m, l) - element(matrix, col, l) * factor;
    }
  }

  // Undo the row exchanges as column exchanges, last pass first.
  for (integer pass = n; pass >= 1; --pass) {
    const integer r = pivot_row[pass - 1];
    const integer c = pivot_col[pass - 1];
    if (r == c) continue;
    for (integer k = 1; k <= n; ++k) std::swap(element(matrix, k, r), element(matrix, k, c));
  }
  return regular;
}
