// The fast model of the phasing search: the contributions of each circuit
// group taken from the engine, then every arrangement's scores and their
// floors as sums of them.
#include "study/phasing_model.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "study/section_tools.hpp"

namespace study::ranking {

namespace {

constexpr double degree = 3.14159265358979323846 / 180.0;

Complex phasor(float magnitude, float degrees) { return std::polar(static_cast<double>(magnitude), degrees * degree); }

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
}  // namespace

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
    // A part of the field (E-AC, ...) the engine ranks: the superposition
    // holds the line's one field.
    if (q == Quantity::oz || (!from_gradients(q) && !one_field(q))) return std::nullopt;
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

}  // namespace study::ranking
