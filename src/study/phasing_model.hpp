#pragma once
// The fast model of the phasing search (search_phasings).
//
// Ranking by superposition. The potential coefficients and their inverse do
// not depend on the phase angles, nor do the current paths: every field
// phasor and every bundle charge of an arrangement is a fixed part plus the
// sum of each circuit group's contribution at unit angle, turned by the
// group's angle. The contributions are taken from the engine itself, one
// evaluation per group with only that group energized.
//
// The state of an arrangement is a vector of doubles: the horizontal and
// vertical E and B phasors at the points, then the charge of every
// energized bundle as its gradient; of each, the real parts of all points
// (or bundles) before the imaginary ones, so that two points or bundles go
// through the sums at once. A score is kept in a form that orders like the
// value: for a field the squared ellipse axis times two, for noise the
// sound or noise power over the points' largest.
//
// The search scores an arrangement as the state of its first circuits (the
// prefix, kept from the arrangement before) plus the last circuit's block.
// A floor of the scores, each no more than the score itself, costs less
// (the ellipse axis without its exact complex products and root, the noise
// powers summed several bundles at a time as they are computed); an
// arrangement whose floor is beaten already is not scored any further.

#include <complex>
#include <cstddef>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

#include "study/arrangements.hpp"
#include "study/phasing.hpp"

namespace study::ranking {

using Complex = std::complex<double>;

// Two lanes of doubles (GCC and Clang vectors): each operation rounds lane
// by lane exactly as the single-lane one does.
typedef double Pair __attribute__((vector_size(2 * sizeof(double))));

inline Pair load(const double* p) {
  Pair v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

class FastModel {
 public:
  static std::optional<FastModel> make(const PhasingRequest& request, const Arrangements& arrangements);

  std::size_t size() const { return base_.size(); }
  const std::vector<double>& base() const { return base_; }
  const std::vector<double>& block(std::size_t c, std::size_t k) const { return blocks_[c][k]; }
  // Doubles of working space that scores() needs.
  std::size_t work_size() const { return stride_ + 2 * pairs_ + sums_.size() / std::max<std::size_t>(stride_, 1); }

  // The raw score of each quantity, the largest over the points, of the
  // state prefix + last.
  void scores(const double* prefix, const double* last, double* raw, double* work) const;
  // A floor of each (never above it).
  void floors(const double* prefix, const double* last, double* raw, double* work) const;
  // True when the floor is the score itself (no ellipse or noise sum is asked for).
  bool floor_exact() const { return floor_exact_; }
  float value(std::size_t q, double raw) const;

 private:
  // The real part of field component c (E horizontal, E vertical, B
  // horizontal, B vertical) at point p; the imaginary part follows the
  // real parts of all points.
  std::size_t at(std::size_t c, std::size_t p) const { return 4 * pairs_ * c + p; }
  // Where group i's noise power at point p stands in noise_[q].
  std::size_t noise_at(std::size_t p, std::size_t i) const { return ((p / 2) * energized_ + i) * 2 + p % 2; }
  Complex field(const double* prefix, const double* last, std::size_t c, std::size_t p) const {
    const std::size_t re = at(c, p), im = re + 2 * pairs_;
    return {prefix[re] + last[re], prefix[im] + last[im]};
  }
  Pair lanes(const double* prefix, const double* last, std::size_t i) const {
    return load(prefix + i) + load(last + i);
  }
  // The twelfth power of each energized bundle's gradient (noise power goes with it).
  void gradient_powers(const double* prefix, const double* last, double* g12) const;
  // The same, and a floor of each noise sum at each point: sum[k] of the
  // k-th point of the quantities whose levels add as powers, in order; K of
  // them (0: any number, the sums after the powers).
  template <std::size_t K>
  void noise_floors(const double* prefix, const double* last, double* g12, double* sum) const;
  // The raw score of quantity q, the largest over the points.
  double largest(const double* prefix, const double* last, const double* g12, std::size_t q, double* values) const;
  // The raw score of quantity q at each point.
  void raw_points(const double* prefix, const double* last, const double* g12, std::size_t q, double* out) const;

  // The complex entry k of a state: per point E horizontal and vertical,
  // then the same of B, then the bundle charges.
  std::pair<std::size_t, std::size_t> place(std::size_t k) const;
  Complex get(const std::vector<double>& state, std::size_t k) const;
  void put(std::vector<double>& state, std::size_t k, Complex v) const;

  const PhasingRequest* request_ = nullptr;
  std::vector<double> base_;
  std::vector<std::vector<std::vector<double>>> blocks_;
  std::size_t points_ = 0, pairs_ = 0, energized_ = 0;
  std::size_t stride_ = 0;   // bundles rounded up to a count of four (0 without noise)
  // noise_[q]: the power of group i's noise at point p for a gradient of
  // 1 kV/cm, at [noise_at(p, i)]: two points side by side.
  std::vector<std::vector<double>> noise_;
  // The noise powers of the quantities whose levels add as powers (the s-th
  // of them) at each point, bundle after bundle: [(s * points + p) * stride + i].
  std::vector<double> sums_;
  bool any_noise_ = false;
  bool floor_exact_ = true;
  bool wide_ = false;  // the four-lane build of the noise floors
};

}  // namespace study::ranking
