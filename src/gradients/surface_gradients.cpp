// Bundle charges by Maxwell potential coefficients with ground images, and
// the maximum bundle surface gradients; on a line with AC and DC groups the
// AC phasors are turned through one cycle and the largest gradient kept.

#include <array>
#include <cmath>
#include <cstring>

#include "gradients/bundle_charges.hpp"
#include "gradients/gradients.hpp"

namespace {

constexpr real pi = 3.1415927f;
constexpr real radians_per_degree = 0.017453292f;
constexpr real potential_factor = 1.8e10f;  // m/F, 1 / (2 pi e0)
constexpr real gradient_factor = 1.8e7f;
constexpr real phase_step = 0.1f;  // degrees
constexpr int cycle_steps = 3600;

bool same_bits(real a, real b) { return std::memcmp(&a, &b, sizeof a) == 0; }

enum LineKind { hybrid = 0, all_dc = 1, all_ac = 2 };

LineKind line_kind(const Inputs& in, int n) {
  LineKind kind = in.acflag[0] ? all_ac : all_dc;
  for (int i = 1; i < n; ++i) {
    if ((kind == all_dc && in.acflag[i]) || (kind == all_ac && !in.acflag[i])) return hybrid;
  }
  return kind;
}

// The rows from k0 on, one at a time.
[[gnu::always_inline]] inline void single_rows(const Matrix& c, int n, int k0, const GroupReals& vre,
                                               const GroupReals& vim, GroupReals& qreal, GroupReals& qimag) {
  for (int k = k0; k < n; ++k) {
    real qr = 0.0f;
    real qi = 0.0f;
    for (int l = 0; l < n; ++l) {
      qr = qr + c[l * max_groups + k] * vre[l];
      qi = qi + c[l * max_groups + k] * vim[l];
    }
    qreal[k] = qr;
    qimag[k] = qi;
  }
}

#if defined(__GNUC__)
// Four and eight single-precision lanes (GCC and Clang vectors): each
// operation rounds lane by lane exactly as the single-lane one does.
typedef real Lanes4 __attribute__((vector_size(4 * sizeof(real))));
typedef real Lanes8 __attribute__((vector_size(8 * sizeof(real))));

// The charges of rows k0 .. k0 + rows - 1, their sums held in registers
// while the columns go by: every row still adds its terms in column
// order, from 0.
template <class Lanes, int rows>
[[gnu::always_inline]] inline void charge_rows(const Matrix& c, int n, int k0, const GroupReals& vre,
                                               const GroupReals& vim, GroupReals& qreal, GroupReals& qimag) {
  constexpr int lanes = sizeof(Lanes) / sizeof(real);
  constexpr int vectors = rows / lanes;
  Lanes qr[vectors] = {};
  Lanes qi[vectors] = {};
  for (int l = 0; l < n; ++l) {
    const real* column = c.data() + l * max_groups + k0;
    const real r = vre[l];
    const real i = vim[l];
    Lanes vr, vi;
    if constexpr (lanes == 4) {
      vr = Lanes{r, r, r, r};
      vi = Lanes{i, i, i, i};
    } else {
      vr = Lanes{r, r, r, r, r, r, r, r};
      vi = Lanes{i, i, i, i, i, i, i, i};
    }
    for (int v = 0; v < vectors; ++v) {
      Lanes coefficient;
      std::memcpy(&coefficient, column + v * lanes, sizeof coefficient);
      qr[v] = qr[v] + coefficient * vr;
      qi[v] = qi[v] + coefficient * vi;
    }
  }
  for (int v = 0; v < vectors; ++v) {
    std::memcpy(qreal.data() + k0 + v * lanes, &qr[v], sizeof qr[v]);
    std::memcpy(qimag.data() + k0 + v * lanes, &qi[v], sizeof qi[v]);
  }
}

// Blocks of 16 rows, then one of 8 and one of 4, then the rest one row at
// a time.
template <class Lanes>
[[gnu::always_inline]] inline void charges_in_blocks(const Matrix& c, int n, const GroupReals& vre,
                                                     const GroupReals& vim, GroupReals& qreal, GroupReals& qimag) {
  int k0 = 0;
  for (; k0 + 16 <= n; k0 += 16) charge_rows<Lanes, 16>(c, n, k0, vre, vim, qreal, qimag);
  if (k0 + 8 <= n) {
    charge_rows<Lanes, 8>(c, n, k0, vre, vim, qreal, qimag);
    k0 += 8;
  }
  // Four rows in four lanes, also in the wide build: a small line (five
  // groups, say) would otherwise go row by row.
  if (k0 + 4 <= n) {
    charge_rows<Lanes4, 4>(c, n, k0, vre, vim, qreal, qimag);
    k0 += 4;
  }
  single_rows(c, n, k0, vre, vim, qreal, qimag);
}
#endif

#if BRENLOW_WIDE_CHARGES
// The same loop built for 256-bit vectors (no fused multiply-add: the
// products and sums round as in the portable build).
[[gnu::target("avx2")]] void wide_bundle_charges(const Matrix& c, int n, const GroupReals& vre,
                                                 const GroupReals& vim, GroupReals& qreal, GroupReals& qimag) {
  charges_in_blocks<Lanes8>(c, n, vre, vim, qreal, qimag);
}
#endif

}  // namespace

void portable_bundle_charges(const Matrix& c, int n, const GroupReals& vre, const GroupReals& vim,
                             GroupReals& qreal, GroupReals& qimag) {
#if defined(__GNUC__)
  charges_in_blocks<Lanes4>(c, n, vre, vim, qreal, qimag);
#else
  single_rows(c, n, 0, vre, vim, qreal, qimag);
#endif
}

void bundle_charges(const Matrix& c, int n, const GroupReals& vre, const GroupReals& vim,
                    GroupReals& qreal, GroupReals& qimag) {
#if BRENLOW_WIDE_CHARGES
  if (__builtin_cpu_supports("avx2")) {
    wide_bundle_charges(c, n, vre, vim, qreal, qimag);
    return;
  }
#endif
  portable_bundle_charges(c, n, vre, vim, qreal, qimag);
}

real equivalent_diameter(const Inputs& in, int i) {
  const real count = static_cast<real>(in.nsub[i]);
  const real d = in.subdiam[i] / 10.0f;
  real bundle = d;
  if (in.nsub[i] != 1) bundle = in.spacing[i] / std::sin(pi / count);
  return std::pow(count * d / bundle, 1.0f / count) * bundle / 100.0f;
}

bool ztmxgrad(Inputs& inputs) { return ztmxgrad_with(inputs, bundle_charges); }

bool ztmxgrad(Inputs& inputs, const Capacitance& known) { return ztmxgrad_with(inputs, bundle_charges, &known); }

Capacitance capacitance(const Inputs& in) {
  Capacitance out;
  const int n = in.nphases + in.nearth;
  if (n <= 0 || n > max_groups) return out;
  GroupReals equivalent{};
  for (int i = 0; i < n; ++i) equivalent[i] = equivalent_diameter(in, i);

  // Potential coefficients with the ground images, element (i, j) in row i,
  // column j; then their inverse, the capacitance coefficients.
  Matrix& coefficients = out.coefficients;
  for (int j = 0; j < n; ++j) {
    for (int i = 0; i < n; ++i) {
      real value;
      if (i == j) {
        value = std::log(4.0f * in.ycond[i] / equivalent[i]) * potential_factor;
      } else {
        const real dx = in.xcond[i] - in.xcond[j];
        const real above = in.ycond[i] + in.ycond[j];
        const real below = in.ycond[i] - in.ycond[j];
        const real image = std::sqrt(dx * dx + above * above);
        const real direct = std::sqrt(dx * dx + below * below);
        value = std::log(image / direct) * potential_factor;
      }
      coefficients[j * max_groups + i] = value;
    }
  }
  out.regular = ztmxinvr(coefficients, static_cast<integer>(n));
  return out;
}

bool same_bundles(const Inputs& a, const Inputs& b) {
  const int n = a.nphases + a.nearth;
  if (a.nphases != b.nphases || a.nearth != b.nearth || n < 0 || n > max_groups) return false;
  const auto same = [n](const auto& x, const auto& y) {
    return std::memcmp(x.data(), y.data(), static_cast<std::size_t>(n) * sizeof x[0]) == 0;
  };
  return same(a.xcond, b.xcond) && same(a.ycond, b.ycond) && same(a.nsub, b.nsub) && same(a.subdiam, b.subdiam) &&
         same(a.spacing, b.spacing);
}

bool ztmxgrad_with(Inputs& in, ChargeLoop charges, const Capacitance* known) {
  const int n = in.nphases + in.nearth;
  if (n <= 0) return true;
  if (n > max_groups) return false;  // more groups than the records hold

  const LineKind kind = line_kind(in, n);

  // The two per-bundle terms of the gradient formula, from the bundle's
  // subconductor radius r and spacing term s in cm.
  GroupReals boost{}, divisor{};
  for (int i = 0; i < n; ++i) {
    const real count = static_cast<real>(in.nsub[i]);
    const real d = in.subdiam[i] / 10.0f;
    const real r = d / 2.0f;
    const real s = in.nsub[i] != 1 ? in.spacing[i] : r;
    const real shape = 2.0f * (count - 1.0f) * std::sin(pi / count);
    boost[i] = shape / (s / r) + 1.0f;
    divisor[i] = r * count;
  }

  const Capacitance computed = known ? Capacitance{} : capacitance(in);
  const Capacitance& line = known ? *known : computed;

  // One step, or on a hybrid line one cycle of AC phasors against the fixed
  // DC voltages; the AC angles are left advanced in the record.
  const int steps = kind == hybrid ? cycle_steps : 1;
  // Groups that start at the same angle (bit for bit) step through the same
  // angles, so the cosine and sine are taken once per distinct angle: each
  // AC group after the first at its angle copies that group's phasor terms.
  GroupReals vre{}, vim{}, cosine{}, sine{};
  std::array<int, max_groups> ac{}, first_alike{};
  int ac_count = 0;
  for (int j = 0; j < n; ++j) {
    const real angle = in.phangle[j] * radians_per_degree;
    cosine[j] = std::cos(angle);
    sine[j] = std::sin(angle);
    if (!in.acflag[j]) continue;
    first_alike[j] = j;
    for (int a = 0; a < ac_count; ++a) {
      if (same_bits(in.phangle[ac[a]], in.phangle[j])) {
        first_alike[j] = ac[a];
        break;
      }
    }
    ac[ac_count++] = j;
  }
  for (int j = 0; j < n; ++j) {
    vre[j] = cosine[j] * in.volts[j] * 1000.0f;
    vim[j] = sine[j] * in.volts[j] * 1000.0f;
  }
  for (int t = 1; t <= steps; ++t) {
    if (t != 1) {
      // The AC phasors advance; a DC phasor stays as it is.
      for (int a = 0; a < ac_count; ++a) {
        const int j = ac[a];
        const int first = first_alike[j];
        if (first == j) {
          in.phangle[j] = in.phangle[j] + phase_step;
          const real angle = in.phangle[j] * radians_per_degree;
          cosine[j] = std::cos(angle);
          sine[j] = std::sin(angle);
        } else {
          in.phangle[j] = in.phangle[first];
          cosine[j] = cosine[first];
          sine[j] = sine[first];
        }
        vre[j] = cosine[j] * in.volts[j] * 1000.0f;
        vim[j] = sine[j] * in.volts[j] * 1000.0f;
      }
    }

    charges(line.coefficients, n, vre, vim, in.qreal, in.qimag);

    for (int j = 0; j < n; ++j) {
      const real charge = std::sqrt(in.qreal[j] * in.qreal[j] + in.qimag[j] * in.qimag[j]);
      const real gradient = boost[j] * charge * gradient_factor / divisor[j];
      if (t == 1 || gradient > in.calcgrad[j]) in.calcgrad[j] = gradient;
    }
  }

  for (int i = 0; i < n; ++i) {
    if (in.volts[i] < 0.0f) in.calcgrad[i] = -in.calcgrad[i];
  }
  return line.regular;
}
