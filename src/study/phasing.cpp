#include "study/phasing.hpp"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <complex>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <limits>
#include <mutex>
#include <optional>
#include <thread>

#include "study/progress.hpp"
#include "study/section_tools.hpp"

namespace study {

namespace {

using Complex = std::complex<double>;
constexpr double degree = 3.14159265358979323846 / 180.0;

Complex phasor(float magnitude, float degrees) { return std::polar(static_cast<double>(magnitude), degrees * degree); }

// ---------------------------------------------------------------------------
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

// Two lanes of doubles (GCC and Clang vectors): each operation rounds lane
// by lane exactly as the single-lane one does.
typedef double Pair __attribute__((vector_size(2 * sizeof(double))));

Pair load(const double* p) {
  Pair v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

void store(double* p, Pair v) { std::memcpy(p, &v, sizeof v); }

// On x86-64 the noise floors have a second build for four lanes, taken when
// the processor has them (no fused multiply-add: each lane rounds as one).
// Not on Windows, where GCC cannot align the stack for a 256-bit vector it
// puts there.
#if defined(__x86_64__) && !defined(_WIN32) && (defined(__GNUC__) || defined(__clang__))
#define BRENLOW_WIDE_FLOORS 1
typedef double Quad __attribute__((vector_size(4 * sizeof(double))));
#else
#define BRENLOW_WIDE_FLOORS 0
#endif

double ellipse_raw(Complex x, Complex y) { return std::norm(x) + std::norm(y) + std::abs(x * x + y * y); }

// A floor of a sum of terms of one sign added in another order: it rounds
// within n units in the last place either way; 0 where it is not a number or
// too small to bound.
double sum_floor(double v) {
  return v >= 0x1p-900 && v <= std::numeric_limits<double>::max() ? v * (1 - 0x1p-40) : 0;
}

// The twelfth power of each bundle's gradient into g12, the real parts of
// the charges at prefix and last, the imaginary ones `stride` after; and a
// floor of each of K sums of the powers, weights[j * stride + i] the weight
// of bundle i in sum j, lanes bundles at once.
template <class Lanes, std::size_t K>
[[gnu::always_inline]] inline void noise_floor_loop(const double* prefix, const double* last, std::size_t stride,
                                                    const double* weights, double* g12, double* sum) {
  constexpr std::size_t lanes = sizeof(Lanes) / sizeof(double);
  Lanes acc[K] = {};
  for (std::size_t i = 0; i < stride; i += lanes) {
    Lanes pr, pm, lr, lm;
    std::memcpy(&pr, prefix + i, sizeof pr);
    std::memcpy(&pm, prefix + stride + i, sizeof pm);
    std::memcpy(&lr, last + i, sizeof lr);
    std::memcpy(&lm, last + stride + i, sizeof lm);
    const Lanes r = pr + lr;
    const Lanes m = pm + lm;
    const Lanes g2 = r * r + m * m;
    const Lanes g6 = g2 * g2 * g2;
    const Lanes g = g6 * g6;
    std::memcpy(g12 + i, &g, sizeof g);
    for (std::size_t j = 0; j < K; ++j) {
      Lanes w;
      std::memcpy(&w, weights + j * stride + i, sizeof w);
      acc[j] = acc[j] + w * g;
    }
  }
  for (std::size_t j = 0; j < K; ++j) {
    double v = 0;
    for (std::size_t l = 0; l < lanes; ++l) v += acc[j][l];
    sum[j] = sum_floor(v);
  }
}

#if BRENLOW_WIDE_FLOORS
template <std::size_t K>
[[gnu::target("avx2")]] void wide_noise_floors(const double* prefix, const double* last, std::size_t stride,
                                                const double* weights, double* g12, double* sum) {
  noise_floor_loop<Quad, K>(prefix, last, stride, weights, g12, sum);
}
#endif

// No more than ellipse_raw of the components at two points (lanes), and 0
// where that is not a number or the axis is too small to bound. The same
// sum of the norms n and the magnitude of x^2 + y^2 from its real and
// imaginary parts: each rounds within a few units in the last place of n,
// the factor takes off far more than those.
Pair ellipse_floor(Pair xr, Pair xi, Pair yr, Pair yi) {
  const Pair xr2 = xr * xr, xi2 = xi * xi, yr2 = yr * yr, yi2 = yi * yi;
  const Pair n = (xr2 + xi2) + (yr2 + yi2);
  const Pair a = (xr2 + yr2) - (xi2 + yi2);
  const Pair b = (xr * xi + yr * yi) * 2;
  const Pair h2 = a * a + b * b;
  Pair out;
  for (int lane = 0; lane < 2; ++lane) out[lane] = sum_floor(n[lane] + std::sqrt(h2[lane]));
  return out;
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

std::pair<std::size_t, std::size_t> FastModel::place(std::size_t k) const {
  const std::size_t fields = 4 * points_;
  if (k >= fields) {
    const std::size_t re = 16 * pairs_ + (k - fields);
    return {re, re + stride_};
  }
  const std::size_t b = k >= 2 * points_ ? 1 : 0;
  const std::size_t j = k - 2 * points_ * b;
  const std::size_t re = at(2 * b + j % 2, j / 2);
  return {re, re + 2 * pairs_};
}

Complex FastModel::get(const std::vector<double>& state, std::size_t k) const {
  const auto [re, im] = place(k);
  return {state[re], state[im]};
}

void FastModel::put(std::vector<double>& state, std::size_t k, Complex v) const {
  const auto [re, im] = place(k);
  state[re] = v.real();
  state[im] = v.imag();
}

void FastModel::gradient_powers(const double* prefix, const double* last, double* g12) const {
  const std::size_t re = 16 * pairs_, im = re + stride_;
  for (std::size_t i = 0; i < stride_; i += 2) {
    const Pair r = lanes(prefix, last, re + i);
    const Pair m = lanes(prefix, last, im + i);
    const Pair g2 = r * r + m * m;
    const Pair g6 = g2 * g2 * g2;
    store(g12 + i, g6 * g6);
  }
}

template <std::size_t K>
void FastModel::noise_floors(const double* prefix, const double* last, double* g12, double* sum) const {
  if constexpr (K == 0) {
    gradient_powers(prefix, last, g12);
    for (std::size_t j = 0; j < sums_.size() / stride_; ++j) {
      Pair acc = {0, 0};
      for (std::size_t i = 0; i < stride_; i += 2) acc = acc + load(sums_.data() + j * stride_ + i) * load(g12 + i);
      sum[j] = sum_floor(acc[0] + acc[1]);
    }
  } else {
    const std::size_t re = 16 * pairs_;
#if BRENLOW_WIDE_FLOORS
    if (wide_) {
      wide_noise_floors<K>(prefix + re, last + re, stride_, sums_.data(), g12, sum);
      return;
    }
#endif
    noise_floor_loop<Pair, K>(prefix + re, last + re, stride_, sums_.data(), g12, sum);
  }
}

void FastModel::raw_points(const double* prefix, const double* last, const double* g12, std::size_t q,
                           double* out) const {
  const Quantity quantity = request_->quantities[q];
  const std::size_t n = energized_;
  switch (quantity) {
    case Quantity::e:
    case Quantity::b:
      for (std::size_t p = 0; p < points_; ++p) {
        const std::size_t h = quantity == Quantity::e ? 0 : 2;
        out[p] = ellipse_raw(field(prefix, last, h, p), field(prefix, last, h + 1, p));
      }
      return;
    case Quantity::e_res:
    case Quantity::b_res: {
      // The resultant squared: the sum of the squared rms components.
      const std::size_t h = quantity == Quantity::e_res ? 0 : 2, v = h + 1, im = 2 * pairs_;
      for (std::size_t p = 0; p < 2 * pairs_; p += 2) {
        const Pair xr = lanes(prefix, last, at(h, p)), xi = lanes(prefix, last, at(h, p) + im);
        const Pair yr = lanes(prefix, last, at(v, p)), yi = lanes(prefix, last, at(v, p) + im);
        store(out + p, (xr * xr + xi * xi) + (yr * yr + yi * yi));
      }
      return;
    }
    case Quantity::an:
    case Quantity::an_fair:
      // Levels add as powers, bundle after bundle; two points at once.
      for (std::size_t p = 0; p < points_; p += 2) {
        const double* w = noise_[q].data() + noise_at(p, 0);
        Pair r = {0, 0};
        for (std::size_t i = 0; i < n; ++i) r = r + load(w + 2 * i) * Pair{g12[i], g12[i]};
        store(out + p, r);
      }
      return;
    default:
      // The loudest group is the line's level.
      for (std::size_t p = 0; p < points_; ++p) {
        const double* w = noise_[q].data() + noise_at(p, 0);
        double r = 0;
        for (std::size_t i = 0; i < n; ++i) r = std::max(r, w[2 * i] * g12[i]);
        out[p] = r;
      }
      return;
  }
}

double FastModel::largest(const double* prefix, const double* last, const double* g12, std::size_t q,
                          double* values) const {
  raw_points(prefix, last, g12, q, values);
  double best = 0;
  for (std::size_t p = 0; p < points_; ++p) best = std::max(best, values[p]);
  return best;
}

void FastModel::scores(const double* prefix, const double* last, double* raw, double* work) const {
  double* values = work + stride_ + sums_.size() / std::max<std::size_t>(stride_, 1);
  if (any_noise_) gradient_powers(prefix, last, work);
  for (std::size_t q = 0; q < request_->quantities.size(); ++q) raw[q] = largest(prefix, last, work, q, values);
}

void FastModel::floors(const double* prefix, const double* last, double* raw, double* work) const {
  // The powers, the floors of the noise sums after them, then the values at the points.
  double* g12 = work;
  double* sums = work + stride_;
  double* values = sums + sums_.size() / std::max<std::size_t>(stride_, 1);
  if (any_noise_) {
    switch (sums_.size() / stride_) {
      case 0: gradient_powers(prefix, last, g12); break;
      case 1: noise_floors<1>(prefix, last, g12, sums); break;
      case 2: noise_floors<2>(prefix, last, g12, sums); break;
      case 3: noise_floors<3>(prefix, last, g12, sums); break;
      case 4: noise_floors<4>(prefix, last, g12, sums); break;
      default: noise_floors<0>(prefix, last, g12, sums); break;
    }
  }
  // No floor is a number below 0 (nor not a number): the largest is taken
  // over the lanes of padding points too, which hold 0.
  std::size_t s = 0;
  for (std::size_t q = 0; q < request_->quantities.size(); ++q) {
    const Quantity quantity = request_->quantities[q];
    if (quantity == Quantity::e || quantity == Quantity::b) {
      const std::size_t h = quantity == Quantity::e ? 0 : 2, v = h + 1, im = 2 * pairs_;
      double best = 0;
      for (std::size_t p = 0; p < 2 * pairs_; p += 2) {
        const Pair f = ellipse_floor(lanes(prefix, last, at(h, p)), lanes(prefix, last, at(h, p) + im),
                                     lanes(prefix, last, at(v, p)), lanes(prefix, last, at(v, p) + im));
        best = std::max(best, std::max(f[0], f[1]));
      }
      raw[q] = best;
    } else if (quantity == Quantity::an || quantity == Quantity::an_fair) {
      raw[q] = *std::max_element(sums + s * points_, sums + (s + 1) * points_);
      ++s;
    } else {
      raw[q] = largest(prefix, last, g12, q, values);
    }
  }
}

float FastModel::value(std::size_t q, double raw) const {
  switch (request_->quantities[q]) {
    case Quantity::e: return static_cast<float>(std::sqrt(raw / 2));
    case Quantity::b: return from_gauss(static_cast<float>(std::sqrt(raw / 2)), request_->b);
    case Quantity::e_res: return static_cast<float>(std::sqrt(raw));
    case Quantity::b_res: return from_gauss(static_cast<float>(std::sqrt(raw)), request_->b);
    default: return static_cast<float>(10 * std::log10(raw));
  }
}

std::optional<FastModel> FastModel::make(const PhasingRequest& request, const Arrangements& arrangements) {
  const brenlow::CrossSection& section = request.section;
  if (!request.fast_ranking) return std::nullopt;
  // A line with DC groups turns its AC phasors through a cycle against the
  // DC charges; given gradients do not follow the phasing; ozone is not a
  // sum of powers. The engine ranks those itself.
  if (section.conditions.given_gradients) return std::nullopt;
  for (const brenlow::Group& g : section.groups)
    if (!g.ac) return std::nullopt;
  bool noise = false;
  FastModel model;
  for (Quantity q : request.quantities) {
    if (q == Quantity::oz) return std::nullopt;
    noise = noise || from_gradients(q);
    if (q == Quantity::e || q == Quantity::b || q == Quantity::an || q == Quantity::an_fair)
      model.floor_exact_ = false;
  }

  model.request_ = &request;
  model.points_ = request.at.size();
  model.energized_ = static_cast<std::size_t>(section.energized);
  model.any_noise_ = noise;
  model.pairs_ = (model.points_ + 1) / 2;
  model.stride_ = noise ? (model.energized_ + 3) / 4 * 4 : 0;
#if BRENLOW_WIDE_FLOORS
  model.wide_ = __builtin_cpu_supports("avx2");
#endif
  const std::size_t field_entries = 4 * model.points_;
  const std::size_t m = field_entries + (noise ? model.energized_ : 0);  // complex entries
  const std::size_t doubles = 16 * model.pairs_ + 2 * model.stride_;
  const std::size_t b_first = 2 * model.points_;
  const brenlow::Conditions& c = section.conditions;

  std::vector<bool> in_circuit(section.groups.size(), false);
  for (const auto& circuit : request.circuits)
    for (int g : circuit) in_circuit[static_cast<std::size_t>(g)] = true;

  auto fields = [&](const brenlow::Evaluation& run) {
    std::vector<double> state(doubles);
    for (std::size_t p = 0; p < model.points_; ++p) {
      const brenlow::ElectricField e = run.electric_field(request.at[p], c.ef_height);
      const brenlow::MagneticField b = run.magnetic_field(request.at[p], c.mf_height);
      model.put(state, 2 * p, phasor(e.horizontal, e.horizontal_phase));
      model.put(state, 2 * p + 1, phasor(e.vertical, e.vertical_phase));
      model.put(state, b_first + 2 * p, phasor(b.horizontal, b.horizontal_phase));
      model.put(state, b_first + 2 * p + 1, phasor(b.vertical, b.vertical_phase));
    }
    return state;
  };

  // The fixed part: every circuit group without voltage or current.
  brenlow::CrossSection fixed_part = section;
  for (std::size_t g = 0; g < fixed_part.groups.size(); ++g)
    if (in_circuit[g]) fixed_part.groups[g].kv = fixed_part.groups[g].ka = 0;
  const brenlow::Evaluation fixed_run(fixed_part);
  if (fixed_run.singular()) return std::nullopt;
  model.base_ = fields(fixed_run);
  if (noise)
    for (std::size_t i = 0; i < model.energized_; ++i)
      if (fixed_run.groups()[i].computed_gradient != 0) return std::nullopt;  // charges not from the circuits alone

  // Each circuit group alone, at angle 0.
  std::vector<std::vector<double>> unit(section.groups.size());
  for (const auto& circuit : request.circuits)
    for (int gi : circuit) {
      const auto g = static_cast<std::size_t>(gi);
      brenlow::CrossSection alone = fixed_part;
      alone.groups[g].kv = section.groups[g].kv;
      alone.groups[g].ka = section.groups[g].ka;
      alone.groups[g].phase = 0;
      const brenlow::Evaluation run(alone, fixed_run);
      std::vector<double> u = fields(run);
      for (std::size_t k = 0; k < 16 * model.pairs_; ++k) u[k] -= model.base_[k];
      if (noise) {
        // The bundle charges from this group's voltage: its own has the sign
        // of the voltage, the charges it induces on the others the opposite.
        const double sign = section.groups[g].kv < 0 ? -1.0 : 1.0;
        for (std::size_t i = 0; i < model.energized_; ++i) {
          const double gradient = std::fabs(run.groups()[i].computed_gradient);
          model.put(u, field_entries + i, (i == g ? sign : -sign) * gradient);
        }
      }
      unit[g] = std::move(u);
    }

  // Each circuit's contribution for each of its assignments.
  model.blocks_.resize(request.circuits.size());
  for (std::size_t ci = 0; ci < request.circuits.size(); ++ci) {
    const auto& circuit = request.circuits[ci];
    for (const std::vector<float>& angles : arrangements.choices(ci)) {
      std::vector<double> block(doubles);
      for (std::size_t j = 0; j < circuit.size(); ++j) {
        const Complex turn = std::polar(1.0, angles[j] * degree);
        const std::vector<double>& u = unit[static_cast<std::size_t>(circuit[j])];
        for (std::size_t k = 0; k < m; ++k) model.put(block, k, model.get(block, k) + model.get(u, k) * turn);
      }
      model.blocks_[ci].push_back(std::move(block));
    }
  }

  // Noise power per group at unit gradient, from the engine with the
  // gradients given: 1 kV/cm on one group, none on the others.
  if (noise) {
    const std::size_t n = model.energized_;
    model.noise_.assign(request.quantities.size(), std::vector<double>((model.points_ + 1) / 2 * 2 * n));
    for (std::size_t i = 0; i < n; ++i) {
      brenlow::CrossSection one = section;
      one.conditions.given_gradients = true;
      for (std::size_t g = 0; g < one.groups.size(); ++g) one.groups[g].gradient = g == i ? 1.0f : 0.0f;
      const brenlow::Evaluation run(one, fixed_run);
      for (std::size_t q = 0; q < request.quantities.size(); ++q) {
        if (!from_gradients(request.quantities[q])) continue;  // the fields add as phasors, in the state
        for (std::size_t p = 0; p < model.points_; ++p) {
          const float level = study::value(run, request.quantities[q], request.at[p], request.b);
          model.noise_[q][model.noise_at(p, i)] = std::isfinite(level) ? std::pow(10.0, level / 10.0) : 0.0;
        }
      }
    }
    for (std::size_t q = 0; q < request.quantities.size(); ++q)
      if (request.quantities[q] == Quantity::an || request.quantities[q] == Quantity::an_fair) {
        for (std::size_t p = 0; p < model.points_; ++p)
          for (std::size_t i = 0; i < model.stride_; ++i)
            model.sums_.push_back(i < n ? model.noise_[q][model.noise_at(p, i)] : 0.0);
      }
  }

  // The engine's values of the arrangement as given are the check: a line
  // the superposition does not describe is ranked by the engine instead.
  const std::size_t k = model.blocks_.size();
  std::vector<double> prefix = model.base_;
  for (std::size_t ci = 0; ci + 1 < k; ++ci)
    for (std::size_t i = 0; i < doubles; ++i) prefix[i] += model.blocks_[ci][0][i];
  const double* last = model.blocks_[k - 1][0].data();
  const brenlow::Evaluation given(section, fixed_run);
  const std::vector<std::vector<float>> engine = values_at(given, request.quantities, request.at, request.b);
  std::vector<double> work(model.work_size());
  if (noise) model.gradient_powers(prefix.data(), last, work.data());
  std::vector<double> raw(2 * model.pairs_);
  for (std::size_t q = 0; q < request.quantities.size(); ++q) {
    model.raw_points(prefix.data(), last, work.data(), q, raw.data());
    for (std::size_t p = 0; p < model.points_; ++p) {
      const float fast = model.value(q, raw[p]);
      const float exact = engine[q][p];
      const bool field = !from_gradients(request.quantities[q]);
      const double tolerance = field ? 1e-3 * std::fabs(exact) + 1e-9 : 0.01;
      if (!std::isfinite(exact) || !(std::fabs(fast - exact) <= tolerance)) return std::nullopt;
    }
  }
  return model;
}
// ---------------------------------------------------------------------------
// The search: jobs of arrangements shared among worker threads, each worker
// keeping its own best ones, merged at the end.

struct Candidate {
  std::vector<double> raw;  // per quantity, ordered like the value (lower is better)
  std::uint64_t number = 0;
};

bool before(const Candidate& a, const Candidate& b) {
  return a.raw[0] != b.raw[0] ? a.raw[0] < b.raw[0] : a.number < b.number;
}

// No worse on every quantity and better on one.
bool beats(const double* a, const double* b, std::size_t nq) {
  bool better = false;
  for (std::size_t q = 0; q < nq; ++q) {
    if (a[q] > b[q]) return false;
    if (a[q] < b[q]) better = true;
  }
  return better;
}

// The best `keep` by the first score, or the running trade-off front.
//
// The front is kept in ascending order of the first score, so that an
// arrangement is compared only with the members that could beat it (those
// not worse on the first score), nearest first, and only the members it
// could beat are tried for removal. The last arrangement that beat one
// offered is tried before them: neighbours in the enumeration differ in one
// circuit and are often beaten by the same one. It need not be a member any
// more: whatever beat it beats what it beats, so the front is the same.
class Keeper {
 public:
  Keeper(std::size_t keep, std::size_t nq, bool front) : keep_(keep), nq_(nq), front_(front) {}

  // True when the arrangement is left out whatever its scores, given a floor
  // of them (each no more than the score): a kept arrangement beats it.
  bool beaten(const double* floor) {
    if (!front_) return kept_.size() >= keep_ && floor[0] > kept_.front().raw[0];
    if (!beaten_by_.empty() && beats(beaten_by_.data(), floor, nq_)) return true;
    // Nearest first: a member close on the first score is the likeliest to
    // be no worse on the others too.
    for (std::size_t i = not_worse(floor[0]); i-- > 0;) {
      const double* f = &raws_[i * nq_];
      if (beats(f, floor, nq_)) {
        beaten_by_.assign(f, f + nq_);
        return true;
      }
    }
    return false;
  }

  // `number_of()` gives the arrangement's number, asked only when needed.
  template <class Number>
  void offer(const double* raw, const Number& number_of) {
    if (!front_) {
      if (kept_.size() >= keep_ && !(raw[0] < kept_.front().raw[0] ||
                                     (raw[0] == kept_.front().raw[0] && number_of() < kept_.front().number)))
        return;
      kept_.push_back({std::vector<double>(raw, raw + nq_), number_of()});
      std::push_heap(kept_.begin(), kept_.end(), before);
      if (kept_.size() > keep_) {
        std::pop_heap(kept_.begin(), kept_.end(), before);
        kept_.pop_back();
      }
      return;
    }
    if (beaten(raw)) return;
    const std::size_t n = numbers_.size();
    const std::size_t end_of_ties = not_worse(raw[0]);
    // The members not better on the first score may be beaten by it: dropped.
    std::size_t first = end_of_ties;
    while (first > 0 && raws_[(first - 1) * nq_] == raw[0]) --first;
    std::size_t to = first;
    for (std::size_t i = first; i < n; ++i) {
      const double* f = &raws_[i * nq_];
      if (beats(raw, f, nq_)) continue;
      if (to != i) {
        std::copy(f, f + nq_, &raws_[to * nq_]);
        numbers_[to] = numbers_[i];
      }
      ++to;
    }
    raws_.resize(to * nq_);
    numbers_.resize(to);
    // In after the members with the same first score that stayed.
    std::size_t at = first;
    while (at < to && raws_[at * nq_] <= raw[0]) ++at;
    raws_.insert(raws_.begin() + static_cast<std::ptrdiff_t>(at * nq_), raw, raw + nq_);
    numbers_.insert(numbers_.begin() + static_cast<std::ptrdiff_t>(at), number_of());
  }

  std::vector<Candidate> take() {
    if (front_)
      for (std::size_t i = 0; i < numbers_.size(); ++i)
        kept_.push_back({std::vector<double>(raws_.begin() + static_cast<std::ptrdiff_t>(i * nq_),
                                             raws_.begin() + static_cast<std::ptrdiff_t>((i + 1) * nq_)),
                         numbers_[i]});
    return std::move(kept_);
  }

 private:
  // Members [0, not_worse(first)) are not worse on the first score.
  std::size_t not_worse(double first) const {
    std::size_t low = 0, high = numbers_.size();
    while (low < high) {
      const std::size_t mid = low + (high - low) / 2;
      if (raws_[mid * nq_] <= first) low = mid + 1;
      else high = mid;
    }
    return low;
  }

  std::size_t keep_, nq_;
  bool front_;
  std::vector<Candidate> kept_;      // the best `keep`, a heap with the worst on top
  std::vector<double> raws_;         // the front's scores, nq_ a member
  std::vector<std::uint64_t> numbers_;
  std::vector<double> beaten_by_;
};

struct SearchState {
  SearchState(const PhasingRequest& r, const Arrangements& a, const FastModel* m, std::size_t k, bool f)
      : request(r), arrangements(a), model(m), keep(k), front(f) {}

  bool stopping() const {
    return refused.load(std::memory_order_relaxed) || (request.stop && request.stop->requested());
  }

  const PhasingRequest& request;
  const Arrangements& arrangements;
  const FastModel* model;  // null: the engine scores every arrangement
  std::size_t keep;
  bool front;
  std::size_t job_depth = 0;  // circuits fixed by a job
  std::uint64_t jobs = 1;
  std::atomic<std::uint64_t> next_job{0};
  std::atomic<std::uint64_t> examined{0};
  std::atomic<bool> refused{false};  // over the time limit: every worker ends
  std::mutex mutex;
  std::condition_variable done;
  unsigned running = 0;
  std::vector<Candidate> kept;
};

// Scores every canonical arrangement whose first circuits are those of the job.
void run_job(SearchState& s, std::uint64_t job, Keeper& keeper, std::vector<std::vector<double>>& partial,
             std::vector<double>& raw, std::vector<double>& work) {
  const Arrangements& a = s.arrangements;
  const std::size_t k = a.circuits();
  const std::size_t nq = s.request.quantities.size();
  const std::size_t m = s.model ? s.model->size() : 0;
  Arrangements::Choice start(k, 0);
  std::uint64_t rest = job;
  for (std::size_t c = s.job_depth; c-- > 0;) {
    start[c] = static_cast<std::uint16_t>(rest % a.choices(c).size());
    rest /= a.choices(c).size();
  }
  // Counted in batches, for the progress shown while the search runs; the
  // stop is checked every few arrangements (well under a tenth of a second
  // of work even against a large front).
  const std::uint64_t batch = s.model ? 64 : 1;
  std::uint64_t examined = 0;
  for (Arrangements::Walk walk(a, start, s.job_depth); !walk.done(); walk.next()) {
    if (examined % batch == 0) {
      s.examined.fetch_add(examined, std::memory_order_relaxed);
      examined = 0;
      if (s.stopping()) return;
    }
    ++examined;
    const Arrangements::Choice& choice = walk.choice();
    if (s.model) {
      // partial[c]: the fixed part plus the contributions of circuits 0..c-1.
      for (std::size_t c = walk.changed(); c + 1 < k; ++c) {
        const double* b = s.model->block(c, choice[c]).data();
        const double* f = partial[c].data();
        double* t = partial[c + 1].data();
        for (std::size_t i = 0; i < m; ++i) t[i] = f[i] + b[i];
      }
      const double* prefix = partial[k - 1].data();
      const double* last = s.model->block(k - 1, choice[k - 1]).data();
      s.model->floors(prefix, last, raw.data(), work.data());
      if (keeper.beaten(raw.data())) continue;
      if (!s.model->floor_exact()) s.model->scores(prefix, last, raw.data(), work.data());
    } else {
      const brenlow::Evaluation run(arranged(s.request.section, s.request.circuits, a, choice));
      const auto values = values_at(run, s.request.quantities, s.request.at, s.request.b);
      for (std::size_t q = 0; q < nq; ++q) {
        const float w = worst(values[q]);
        raw[q] = std::isnan(w) ? std::numeric_limits<double>::infinity() : w;
      }
    }
    keeper.offer(raw.data(), [&] { return a.number(choice); });
  }
  s.examined.fetch_add(examined, std::memory_order_relaxed);
}

void worker(SearchState& s) {
  Keeper keeper(s.keep, s.request.quantities.size(), s.front);
  const std::size_t m = s.model ? s.model->size() : 0;
  std::vector<std::vector<double>> partial(s.arrangements.circuits(), std::vector<double>(m));
  if (s.model) partial[0] = s.model->base();
  std::vector<double> raw(s.request.quantities.size());
  std::vector<double> work(s.model ? s.model->work_size() : 0);
  while (!s.stopping()) {
    const std::uint64_t job = s.next_job.fetch_add(1, std::memory_order_relaxed);
    if (job >= s.jobs) break;
    run_job(s, job, keeper, partial, raw, work);
  }
  std::vector<Candidate> kept = keeper.take();
  std::lock_guard<std::mutex> lock(s.mutex);
  for (Candidate& c : kept) s.kept.push_back(std::move(c));
  --s.running;
  s.done.notify_all();
}

// "about 40 s", "about 12 min", "about 3.5 h".
std::string duration_text(double seconds) {
  char text[64];
  if (!(seconds < 1e9)) return "more than 30 years";
  if (seconds < 120)
    std::snprintf(text, sizeof text, "about %.0f s", seconds);
  else if (seconds < 7200)
    std::snprintf(text, sizeof text, "about %.0f min", seconds / 60);
  else
    std::snprintf(text, sizeof text, "about %.1f h", seconds / 3600);
  return text;
}

// `first`: the evaluation of the first arrangement evaluated, whose bundles
// (and so capacitance coefficients) the others share.
Ranked evaluate(const PhasingRequest& request, const Arrangements& a, const Arrangements::Choice& choice,
                std::optional<brenlow::Evaluation>& first) {
  Ranked r;
  r.choice = choice;
  r.number = a.number(choice);
  r.file_text = brenlow::data_file_text(arranged(request.section, request.circuits, a, choice));
  r.section = brenlow::parse_data_file(r.file_text, "written data file");
  if (!first) first.emplace(r.section);
  const brenlow::Evaluation run(r.section, *first);
  r.values = values_at(run, request.quantities, request.at, request.b);
  for (const auto& v : r.values) r.scores.push_back(worst(v));
  return r;
}

bool ranked_before(const Ranked& a, const Ranked& b) {
  for (std::size_t q = 0; q < a.scores.size(); ++q) {
    if (a.scores[q] < b.scores[q]) return true;
    if (b.scores[q] < a.scores[q]) return false;
    if (std::isnan(a.scores[q]) != std::isnan(b.scores[q])) return std::isnan(b.scores[q]);
    if (q == 0 && a.scores.size() == 1) break;
  }
  return a.number < b.number;
}

}  // namespace

void check_circuits(const brenlow::CrossSection& section, const std::vector<std::vector<int>>& circuits) {
  if (circuits.empty()) throw StudyError("no circuit given (--circuit i,j,k)");
  std::vector<int> seen(section.groups.size(), 0);
  for (std::size_t c = 0; c < circuits.size(); ++c) {
    const std::string which = "circuit " + std::to_string(c + 1);
    if (circuits[c].empty()) throw StudyError(which + " has no groups");
    if (circuits[c].size() > 6) throw StudyError(which + " has more than 6 groups");
    for (int g : circuits[c]) {
      const std::string group = "group " + std::to_string(g + 1);
      if (g < 0 || static_cast<std::size_t>(g) >= section.groups.size())
        throw StudyError(which + ": " + group + " is not in the data file, which has " +
                         std::to_string(section.groups.size()) + " groups");
      const brenlow::Group& gr = section.groups[static_cast<std::size_t>(g)];
      const std::string named = group + " (" + gr.name + ")";
      if (g >= section.energized) throw StudyError(which + ": " + named + " is an earth wire, not a phase");
      if (!gr.ac) throw StudyError(which + ": " + named + " is a DC pole; only AC phases can be rearranged");
      if (seen[static_cast<std::size_t>(g)])
        throw StudyError(which + ": " + named + (seen[static_cast<std::size_t>(g)] == static_cast<int>(c + 1)
                                                      ? " is listed twice"
                                                      : " is already in circuit " +
                                                            std::to_string(seen[static_cast<std::size_t>(g)])));
      seen[static_cast<std::size_t>(g)] = static_cast<int>(c + 1);
    }
  }
}

brenlow::CrossSection arranged(const brenlow::CrossSection& section, const std::vector<std::vector<int>>& circuits,
                               const Arrangements& arrangements, const Arrangements::Choice& choice) {
  brenlow::CrossSection out = section;
  for (std::size_t c = 0; c < circuits.size(); ++c) {
    const std::vector<float>& angles = arrangements.choices(c)[choice[c]];
    for (std::size_t j = 0; j < circuits[c].size(); ++j)
      out.groups[static_cast<std::size_t>(circuits[c][j])].phase = angles[j];
  }
  return out;
}

PhasingResult search_phasings(const PhasingRequest& request, Progress* progress) {
  check_circuits(request.section, request.circuits);
  if (request.quantities.empty()) throw StudyError("no quantity to minimise");
  if (request.at.empty()) throw StudyError("no point given (--at X)");
  if (request.top > max_top)
    throw StudyError("top: at most " + std::to_string(max_top) + " arrangements are listed, not " +
                     std::to_string(request.top));
  if (!(request.time_limit >= 0)) throw StudyError("the time limit must be a number of seconds, 0 or more");
  brenlow::check(request.section);

  std::vector<std::vector<float>> angles;
  std::vector<bool> in_circuit(request.section.groups.size(), false);
  for (const auto& circuit : request.circuits) {
    std::vector<float> a;
    for (int g : circuit) {
      a.push_back(request.section.groups[static_cast<std::size_t>(g)].phase);
      in_circuit[static_cast<std::size_t>(g)] = true;
    }
    angles.push_back(std::move(a));
  }
  // The AC phasors that stay: a relabelling must leave each where it is.
  std::vector<float> fixed;
  for (std::size_t g = 0; g < static_cast<std::size_t>(request.section.energized); ++g) {
    const brenlow::Group& group = request.section.groups[g];
    if (!in_circuit[g] && group.ac && (group.kv != 0 || group.ka != 0)) fixed.push_back(group.phase);
  }
  const Arrangements arrangements(angles, fixed);
  if (arrangements.total() > max_arrangements)
    throw StudyError(std::to_string(arrangements.total()) + " arrangements are more than the " +
                     std::to_string(max_arrangements) + " a search tries: fewer circuits, please");

  PhasingResult result;
  result.total = arrangements.total();
  result.distinct = arrangements.distinct();
  result.relabellings = arrangements.relabellings();
  for (std::size_t c = 0; c < arrangements.circuits(); ++c) result.assignments.push_back(arrangements.choices(c).size());
  {
    Ranked original;
    original.choice = Arrangements::Choice(arrangements.circuits(), 0);
    original.number = 0;
    original.section = request.section;
    const brenlow::Evaluation run(request.section);
    original.values = values_at(run, request.quantities, request.at, request.b);
    for (const auto& v : original.values) original.scores.push_back(worst(v));
    result.original = std::move(original);
  }

  const std::optional<FastModel> model = FastModel::make(request, arrangements);
  result.fast_ranking = model.has_value();

  const bool front = request.quantities.size() > 1;
  const std::size_t top = std::max<std::size_t>(request.top, 1);
  SearchState s(request, arrangements, model ? &*model : nullptr, top + 16, front);
  // Jobs: the first circuits' assignments, enough to share among the
  // workers (only about one in `relabellings` holds canonical arrangements).
  const std::size_t k = arrangements.circuits();
  const std::uint64_t enough = 64 * arrangements.relabellings();
  while (s.job_depth < k && (s.job_depth == 0 || (s.jobs < enough && s.job_depth + 1 < k))) {
    s.jobs *= arrangements.choices(s.job_depth).size();
    ++s.job_depth;
  }

  // The workers search; this thread shows the progress and, once the search
  // has run long enough to tell, refuses one that would take too long.
  unsigned threads = request.threads ? request.threads : std::max(1u, std::thread::hardware_concurrency());
  threads = static_cast<unsigned>(std::min<std::uint64_t>(std::min(threads, max_threads), s.jobs));
  // The workers the system gives; when it gives none, this thread searches
  // alone (without progress or time limit: there is nobody to watch).
  s.running = threads;
  std::vector<std::thread> pool = cli::start_threads(threads, [&s](unsigned) { worker(s); }, request.start_thread);
  {
    const std::lock_guard<std::mutex> lock(s.mutex);
    s.running -= threads - static_cast<unsigned>(pool.size());
  }
  if (pool.empty()) {
    s.running = 1;
    worker(s);
  }
  const auto started = std::chrono::steady_clock::now();
  const double limit = request.time_limit;
  bool estimated = limit <= 0;
  double estimate = 0;
  std::uint64_t pilot = 0;
  double pilot_seconds = 0;
  {
    std::unique_lock<std::mutex> lock(s.mutex);
    while (s.running > 0) {
      s.done.wait_for(lock, std::chrono::milliseconds(50));
      if (s.running == 0) break;
      const std::uint64_t examined = s.examined.load(std::memory_order_relaxed);
      if (progress) {
        lock.unlock();
        progress->update(std::min(examined, result.distinct), result.distinct);
        lock.lock();
      }
      if (estimated) continue;
      const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
      if (elapsed < std::min(1.0, limit / 10)) continue;
      if (examined == 0 && elapsed <= limit) continue;
      estimated = true;
      pilot = examined;
      pilot_seconds = elapsed;
      estimate = examined ? elapsed * static_cast<double>(result.distinct) / static_cast<double>(examined)
                          : std::numeric_limits<double>::infinity();
      if (estimate > limit) s.refused.store(true, std::memory_order_relaxed);
    }
  }
  for (std::thread& t : pool) t.join();
  if (progress) progress->finish();
  if (s.refused.load()) {
    char limit_text[32], pilot_text[32];
    std::snprintf(limit_text, sizeof limit_text, "%g s", limit);
    std::snprintf(pilot_text, sizeof pilot_text, "%.1f s", pilot_seconds);
    throw StudyError("this search would take " + duration_text(estimate) + " (estimated from its first " +
                     std::to_string(pilot) + " of " + std::to_string(result.distinct) + " distinct arrangements, in " +
                     pilot_text + "), more than the time limit of " + limit_text +
                     ": raise the limit (--time-limit, time_limit= in Python) or give fewer circuits or points");
  }
  result.examined = s.examined.load();
  const unsigned requests = request.stop ? request.stop->requests() : 0;
  result.stopped = result.examined < result.distinct && requests > 0;

  // The candidates, evaluated by the engine on the section as written; a
  // stop requested from now on ends this too, with those evaluated so far.
  const auto stop_requested = [&] { return request.stop && request.stop->requests() > requests; };
  std::vector<Candidate> candidates = std::move(s.kept);
  std::sort(candidates.begin(), candidates.end(), before);
  if (!front && candidates.size() > top) {
    // Scores within a hair of the last listed may swap places in the
    // engine's own rounding: evaluate those too.
    const double limit_score = candidates[top - 1].raw[0];
    const double margin = std::fabs(limit_score) * 1e-5 + 1e-300;
    std::size_t n = top;
    while (n < candidates.size() && candidates[n].raw[0] <= limit_score + margin) ++n;
    candidates.resize(n);
  }
  result.candidates = candidates.size();
  std::vector<Ranked> all;
  std::optional<brenlow::Evaluation> first;
  for (const Candidate& c : candidates) {
    if (stop_requested()) {
      result.stopped = true;
      break;
    }
    all.push_back(evaluate(request, arrangements, arrangements.choice(c.number), first));
  }
  result.evaluated = all.size();
  if (!front) {
    result.listed = std::move(all);
    std::sort(result.listed.begin(), result.listed.end(), ranked_before);
    if (result.listed.size() > top) result.listed.resize(top);
  } else {
    std::vector<std::vector<double>> scores;
    for (const Ranked& r : all) {
      std::vector<double> v;
      for (float x : r.scores) v.push_back(std::isnan(x) ? std::numeric_limits<double>::infinity() : x);
      scores.push_back(std::move(v));
    }
    for (std::size_t i : trade_off_front(scores)) result.listed.push_back(std::move(all[i]));
    std::stable_sort(result.listed.begin(), result.listed.end(), ranked_before);
  }
  return result;
}

}  // namespace study
