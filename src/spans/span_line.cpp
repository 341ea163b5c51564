#include "spans/span_line.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

namespace spans {

namespace {

constexpr double coulomb = 8.9875517923e9;  // 1 / (4 pi e0), m/F
// The charge changes fastest near the towers, where the conductor bends:
// the elements there are shorter, the density of elements rising by up to
// `tower_density` times within a few `tower_reach` (a share of the span) of a tower.
constexpr double tower_density = 8;
constexpr double tower_reach = 0.03;
// Elements per span when the layout leaves the choice: at mid-span no
// longer than the conductor's height, which keeps E and B near the ground
// within 0.03 %. A nearly straight conductor (curvature * height below
// `straight_enough`) may have longer ones, as long as a chord's mean
// departure from its arc, curvature * length^2 / 12, stays within 0.02 %
// of the height.
constexpr double straight_enough = 0.0024;
constexpr double shortest_height = 2;  // m, for that choice
constexpr int fewest_elements = 16;
// Unknown charges the solve takes: a dense matrix of 128 MB.
constexpr std::size_t most_unknowns = 4000;
// A point closer to an element's axis than this is taken at this distance.
constexpr double closest = 1e-9;

struct Vec {
  double x = 0, y = 0, z = 0;
};
Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec operator*(double s, Vec a) { return {s * a.x, s * a.y, s * a.z}; }
double dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec cross(Vec a, Vec b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double norm(Vec a) { return std::sqrt(dot(a, a)); }
// The image of a point in the ground.
Vec mirrored(Vec a) { return {a.x, a.y, -a.z}; }

// One straight element seen from a point: d = point - start, the distances
// r0 and r1 from its two ends, and the integrals along it that the
// potential and the fields need, in the element's own frame (u along the
// element measured from the foot of the perpendicular, rho across).
struct Element {
  Vec rho;            // from the element's line to the point, across it
  double rho2 = 0;    // its square
  double z = 0;       // distance of the foot of the perpendicular from the start
  double log_ratio = 0;  // integral of du / r
  double i0 = 0;      // integral of du / r^3
  double i1 = 0;      // integral of u du / r^3

  // The logarithm (for the potential and the field along the element) only when asked.
  Element(Vec d, Vec t, double length, double r0, double r1, bool with_log = true) {
    r0 = std::max(r0, closest);
    r1 = std::max(r1, closest);
    z = dot(d, t);
    rho = d - z * t;
    rho2 = std::max(dot(rho, rho), closest * closest);
    const double u0 = -z, u1 = length - z;
    // r + u and r - u, each in the form that does not cancel.
    const auto plus = [&](double u, double r) { return u >= 0 ? r + u : rho2 / (r - u); };
    const auto minus = [&](double u, double r) { return u <= 0 ? r - u : rho2 / (r + u); };
    if (with_log) log_ratio = std::log((minus(u0, r0) + plus(u1, r1)) / (plus(u0, r0) + minus(u1, r1)));
    // (u1 / r1 - u0 / r0) / rho^2, without the cancellation of a point
    // beyond either end of the element.
    if (u0 >= 0 || u1 <= 0) {
      i0 = length * (u1 + u0) / (r0 * r1 * (u1 * r0 + u0 * r1));
    } else {
      i0 = (u1 / r1 - u0 / r0) / rho2;
    }
    i1 = 1 / r0 - 1 / r1;
  }
  // Weights of the start and end charge densities in the potential
  // (divided by the Coulomb constant).
  std::array<double, 2> potential(double length, double r0, double r1) const {
    const double end = ((r1 - r0) + z * log_ratio) / length;
    return {log_ratio - end, end};
  }
};

double positive(double v) { return v > 0 ? v : 0; }

// Each element of a chain as seen from point p, in order along it:
// visit(j, element, r0, r1), r0 and r1 the point's distances from its ends.
template <class Chain, class Visit>
void each_element(const Chain& chain, Vec p, bool with_log, Visit&& visit) {
  Vec d0 = p - chain.nodes[0];
  double r0 = norm(d0);
  for (std::size_t j = 0; j < chain.lengths.size(); ++j) {
    const Vec d1 = p - chain.nodes[j + 1];
    const double r1 = norm(d1);
    visit(j, Element(d0, chain.tangents[j], chain.lengths[j], r0, r1, with_log), r0, r1);
    d0 = d1;
    r0 = r1;
  }
}

}  // namespace

struct Line::Chain {
  std::vector<Vec> nodes;
  std::vector<Vec> surface;
  std::vector<Vec> tangents;     // unit vector of each element
  std::vector<double> lengths;   // of each element
  std::vector<Phasor> charges;   // line charge density at each node, C/m
  Phasor current;                // kA
  double radius = 0;
};

double catenary_parameter(double length, double sag) {
  if (!(sag > 0)) return std::numeric_limits<double>::infinity();
  // With t = L / 2a: 2 sinh^2(t / 2) / t = 2 sag / L, rising with t.
  const double target = 2 * sag / length;
  const auto g = [](double t) {
    const double s = std::sinh(t / 2);
    return 2 * s * s / t;
  };
  double lo = 0, hi = 1;
  while (g(hi) < target && hi < 512) hi *= 2;
  for (int i = 0; i < 200 && hi - lo > 1e-16 * hi; ++i) {
    const double mid = (lo + hi) / 2;
    (g(mid) < target ? lo : hi) = mid;
  }
  return length / (lo + hi);
}

double catenary_height(double length, double sag, double u) {
  if (!(sag > 0)) return 0;
  const double t = length / (2 * catenary_parameter(length, sag));
  const double w = 2 * u / length - 1;
  const double num = std::sinh(t * w / 2);
  const double den = std::sinh(t / 2);
  return sag * (num * num) / (den * den);
}

namespace {

// Elements per span for the conductors of a span of `length`.
int chosen_elements(double length, const std::vector<Conductor>& conductors) {
  double longest = length;  // element length at mid-span
  for (const Conductor& c : conductors) {
    const double height = std::max(c.low, shortest_height);
    const double curvature = 1 / catenary_parameter(length, c.sag);  // at mid-span
    const double bend = curvature * height;
    longest = std::min(longest, height * (bend > straight_enough ? 1 : std::sqrt(straight_enough / bend)));
  }
  const double reach = tower_reach * length;
  const double weighted = length + 2 * tower_density * reach;  // the span counted at its element density
  const double count = std::ceil(weighted / longest);
  return static_cast<int>(std::clamp(count, static_cast<double>(fewest_elements), static_cast<double>(most_elements)));
}

// Positions of the nodes along one span, 0 to L, closer together near the
// towers.
std::vector<double> span_nodes(double length, int elements) {
  const double reach = tower_reach * length;
  const auto cumulative = [&](double u) {  // element density integrated from the first tower
    return u + tower_density * reach *
                   ((1 - std::exp(-u / reach)) + (std::exp(-(length - u) / reach) - std::exp(-length / reach)));
  };
  const double total = cumulative(length);
  std::vector<double> u(static_cast<std::size_t>(elements) + 1);
  for (int k = 0; k <= elements; ++k) {
    const double target = total * k / elements;
    double lo = 0, hi = length;
    for (int i = 0; i < 100; ++i) {
      const double mid = (lo + hi) / 2;
      (cumulative(mid) < target ? lo : hi) = mid;
    }
    u[static_cast<std::size_t>(k)] = (lo + hi) / 2;
  }
  u.front() = 0;
  u.back() = length;
  return u;
}

// Nodes of one conductor from the first outer tower to the last. A chord
// lies inside its arc, on average by curvature * chord^2 / 12; each node
// between the towers moves outward by that amount (the mean of its two
// chords), so the elements carry their charge at the arc's mean height.
std::vector<Vec> span_chain(const Conductor& c, double L, int elements, bool shift) {
  const double a = catenary_parameter(L, c.sag);
  const std::vector<double> u = span_nodes(L, elements);
  std::vector<Vec> span;  // from along 0
  const std::size_t m = u.size() - 1;
  for (std::size_t k = 0; k <= m; ++k) span.push_back({c.x, u[k], c.low + catenary_height(L, c.sag, u[k])});
  std::vector<Vec> shifted = span;
  if (std::isfinite(a) && shift) {
    for (std::size_t k = 1; k < m; ++k) {
      const double left = norm(span[k] - span[k - 1]);
      const double right = norm(span[k + 1] - span[k]);
      const double slope = std::sinh((u[k] - L / 2) / a);
      const double c2 = 1 + slope * slope;  // cosh^2
      const double curvature = 1 / (a * c2);
      const double shift = curvature * (left * left + right * right) / 24;
      const double n = std::sqrt(c2);
      shifted[k].y += shift * slope / n;
      shifted[k].z -= shift / n;
    }
  }
  return shifted;
}

std::vector<Vec> chain_nodes(const Conductor& c, const Layout& layout, int elements, bool shift) {
  const double L = layout.length;
  const std::vector<Vec> span = span_chain(c, L, elements, shift);
  std::vector<Vec> nodes;
  const double first = -L * (layout.spans - 1) / 2.0;
  for (int s = 0; s < layout.spans; ++s) {
    const double start = first + L * s;
    for (std::size_t k = s == 0 ? 0 : 1; k < span.size(); ++k) nodes.push_back({span[k].x, start + span[k].y, span[k].z});
  }
  return nodes;
}

// Throws std::domain_error when two conductors touch anywhere along the
// span: their charges would be undetermined.
void refuse_touching(const std::vector<Conductor>& cs, double length) {
  constexpr int samples = 64;  // along the half span, mid-span to tower
  for (std::size_t i = 0; i < cs.size(); ++i) {
    for (std::size_t j = i + 1; j < cs.size(); ++j) {
      const double apart = cs[i].radius + cs[j].radius;
      const double dx = cs[i].x - cs[j].x;
      if (std::abs(dx) >= apart) continue;
      double previous = 0;
      for (int k = 0; k <= samples; ++k) {
        const double u = length / 2 * (1 + static_cast<double>(k) / samples);
        const double dz = (cs[i].low + catenary_height(length, cs[i].sag, u)) -
                          (cs[j].low + catenary_height(length, cs[j].sag, u));
        if (std::hypot(dx, dz) < apart || (k > 0 && (dz > 0) != (previous > 0)))
          throw std::domain_error("conductors " + std::to_string(i + 1) + " and " + std::to_string(j + 1) +
                                  " touch: their axes come closer than their radii");
        previous = dz;
      }
    }
  }
}

// Solves a x = b for the two right-hand sides held in b (real and
// imaginary parts) by elimination with partial pivoting; a is row-major,
// n by n, and is overwritten. Throws std::domain_error when singular;
// calls checkpoint (when given) before each elimination step.
void solve_in_place(std::vector<double>& a, std::size_t n, std::vector<double>& re, std::vector<double>& im,
                    const std::function<void()>& checkpoint) {
  double largest = 0;
  for (double v : a) largest = std::max(largest, std::abs(v));
  for (std::size_t p = 0; p < n; ++p) {
    if (checkpoint) checkpoint();
    std::size_t best = p;
    for (std::size_t i = p + 1; i < n; ++i)
      if (std::abs(a[i * n + p]) > std::abs(a[best * n + p])) best = i;
    const double pivot = a[best * n + p];
    if (!(std::abs(pivot) > 1e-12 * largest))
      throw std::domain_error("the potential coefficients are singular: two conductors in one place");
    if (best != p) {
      std::swap_ranges(a.begin() + static_cast<std::ptrdiff_t>(p * n), a.begin() + static_cast<std::ptrdiff_t>(p * n + n),
                       a.begin() + static_cast<std::ptrdiff_t>(best * n));
      std::swap(re[p], re[best]);
      std::swap(im[p], im[best]);
    }
    const double* row = &a[p * n];
    for (std::size_t i = p + 1; i < n; ++i) {
      double* target = &a[i * n];
      const double f = target[p] / pivot;
      if (f == 0) continue;
      for (std::size_t j = p; j < n; ++j) target[j] -= f * row[j];
      re[i] -= f * re[p];
      im[i] -= f * im[p];
    }
  }
  for (std::size_t p = n; p-- > 0;) {
    const double* row = &a[p * n];
    double sr = re[p], si = im[p];
    for (std::size_t j = p + 1; j < n; ++j) {
      sr -= row[j] * re[j];
      si -= row[j] * im[j];
    }
    re[p] = sr / row[p];
    im[p] = si / row[p];
  }
}

}  // namespace

std::size_t unknowns_of(const Layout& layout, std::size_t conductors) {
  return conductors * ((static_cast<std::size_t>(layout.spans) * static_cast<std::size_t>(layout.elements) + 2) / 2);
}

Layout solved_layout(const std::vector<Conductor>& conductors, const Layout& layout) {
  if (!(layout.length > 0) || !std::isfinite(layout.length))
    throw std::invalid_argument("the span length must be above 0");
  if (layout.spans < 1 || layout.spans % 2 == 0 || layout.spans > 99)
    throw std::invalid_argument("the span count must be odd, 1 to 99");
  if (layout.elements < 0 || layout.elements == 1 || layout.elements > most_elements)
    throw std::invalid_argument("the elements per span must be 2 to 400, or 0 to choose");
  for (const Conductor& c : conductors) {
    if (!(c.sag >= 0) || !std::isfinite(c.sag) || !(c.sag < layout.length))
      throw std::invalid_argument("a sag must be 0 or above and below the span length");
    if (!std::isfinite(c.x) || !std::isfinite(c.low) || !(c.radius > 0) || !std::isfinite(c.radius))
      throw std::invalid_argument("a conductor's position and radius must be finite, the radius above 0");
  }

  // The dense system grows as the square of the unknowns.
  Layout solved = layout;
  if (solved.elements == 0) {
    solved.elements = chosen_elements(layout.length, conductors);
    while (solved.elements > fewest_elements && unknowns_of(solved, conductors.size()) > most_unknowns) --solved.elements;
  }
  if (unknowns_of(solved, conductors.size()) > most_unknowns)
    throw std::invalid_argument(std::to_string(unknowns_of(solved, conductors.size())) + " unknown charges: at most " +
                                std::to_string(most_unknowns) + " (fewer spans, elements or groups)");
  return solved;
}

Line::Line(const std::vector<Conductor>& conductors, const Layout& layout, const std::function<void()>& checkpoint)
    : conductors_(conductors), layout_(solved_layout(conductors, layout)) {
  refuse_touching(conductors, layout.length);

  auto chains = std::make_shared<std::vector<Chain>>();
  for (const Conductor& c : conductors) {
    Chain chain;
    chain.nodes = chain_nodes(c, layout_, layout_.elements, true);
    chain.surface = chain_nodes(c, layout_, layout_.elements, false);
    for (std::size_t k = 0; k + 1 < chain.nodes.size(); ++k) {
      const Vec d = chain.nodes[k + 1] - chain.nodes[k];
      const double l = norm(d);
      chain.lengths.push_back(l);
      chain.tangents.push_back((1 / l) * d);
    }
    chain.current = c.current;
    chain.radius = c.radius;
    chains->push_back(std::move(chain));
  }

  // The line is symmetric about the middle of the middle span: node k and
  // node last - k of a conductor carry the same charge. The unknowns are
  // the first half of each conductor's nodes, the potential imposed on the
  // conductor's surface at each of them.
  const std::size_t count = chains->empty() ? 0 : (*chains)[0].nodes.size();
  const std::size_t last = count - 1;
  const std::size_t half = count / 2 + count % 2;  // nodes 0 .. half - 1
  const std::size_t n = half * chains->size();
  std::vector<double> a(n * n, 0.0);
  std::vector<double> re(n), im(n);
  for (std::size_t c = 0; c < chains->size(); ++c) {
    const Chain& target = (*chains)[c];
    for (std::size_t k = 0; k < half; ++k) {
      if (checkpoint) checkpoint();
      const std::size_t row = c * half + k;
      re[row] = conductors[c].volts.real();
      im[row] = conductors[c].volts.imag();
      const Vec axis = target.nodes[k];
      const Vec far = target.surface[k];
      const Vec image_point = mirrored(far);
      double* out = &a[row * n];
      for (std::size_t s = 0; s < chains->size(); ++s) {
        const Chain& source = (*chains)[s];
        // The conductor's own charge is the same all round its surface:
        // seen from beside the node, across the plane it hangs in. Every
        // other charge and every image averages round the circumference to
        // its value on the axis, taken on the catenary itself (where the
        // elements lie on average) rather than at the node.
        const Vec point = s == c ? Vec{axis.x + target.radius, axis.y, axis.z} : far;
        Vec d0 = point - source.nodes[0];
        Vec e0 = image_point - source.nodes[0];
        double r0 = norm(d0), q0 = norm(e0);
        for (std::size_t j = 0; j + 1 < source.nodes.size(); ++j) {
          const Vec d1 = point - source.nodes[j + 1];
          const Vec e1 = image_point - source.nodes[j + 1];
          const double r1 = norm(d1), q1 = norm(e1);
          const double l = source.lengths[j];
          const auto direct = Element(d0, source.tangents[j], l, r0, r1).potential(l, r0, r1);
          const auto image = Element(e0, source.tangents[j], l, q0, q1).potential(l, q0, q1);
          const std::size_t ja = std::min(j, last - j), jb = std::min(j + 1, last - j - 1);
          out[s * half + ja] += coulomb * (direct[0] - image[0]);
          out[s * half + jb] += coulomb * (direct[1] - image[1]);
          d0 = d1;
          e0 = e1;
          r0 = r1;
          q0 = q1;
        }
      }
    }
  }
  solve_in_place(a, n, re, im, checkpoint);
  for (std::size_t c = 0; c < chains->size(); ++c) {
    Chain& chain = (*chains)[c];
    chain.charges.resize(count);
    for (std::size_t k = 0; k < count; ++k) {
      const std::size_t j = c * half + std::min(k, last - k);
      chain.charges[k] = {re[j], im[j]};
    }
  }
  chains_ = std::move(chains);
}

std::size_t Line::unknowns() const {
  std::size_t n = 0;
  for (const Chain& c : *chains_) n += c.nodes.size() / 2 + c.nodes.size() % 2;
  return n;
}

Components Line::electric_field(double x, double along, double height) const {
  // The charges at the point and, through the ground, their images: the
  // image's field at the point is the charge's field at the point's image,
  // mirrored and reversed.
  const Vec points[2] = {{x, along, height}, {x, along, -height}};
  double sum[2][6] = {};
  for (const Chain& chain : *chains_) {
    for (int side = 0; side < 2; ++side) {
      double* e = sum[side];
      each_element(chain, points[side], true, [&](std::size_t j, const Element& el, double, double) {
        const double l = chain.lengths[j];
        // Across the element: integrals of w / r^3; along it, of w u / r^3,
        // with w the start (1 - s/l) and end (s/l) shares of the density.
        const double i2 = el.log_ratio - el.rho2 * el.i0;
        const double across_end = (el.i1 + el.z * el.i0) / l;
        const double across_start = el.i0 - across_end;
        const double along_end = (i2 + el.z * el.i1) / l;
        const double along_start = el.i1 - along_end;
        const Phasor qa = chain.charges[j], qb = chain.charges[j + 1];
        const double ar = across_start * qa.real() + across_end * qb.real();
        const double ai = across_start * qa.imag() + across_end * qb.imag();
        const double br = along_start * qa.real() + along_end * qb.real();
        const double bi = along_start * qa.imag() + along_end * qb.imag();
        const Vec t = chain.tangents[j];
        e[0] += el.rho.x * ar - t.x * br;
        e[1] += el.rho.x * ai - t.x * bi;
        e[2] += el.rho.y * ar - t.y * br;
        e[3] += el.rho.y * ai - t.y * bi;
        e[4] += el.rho.z * ar - t.z * br;
        e[5] += el.rho.z * ai - t.z * bi;
      });
    }
  }
  const double* e = sum[0];
  const double* m = sum[1];
  return {Phasor{coulomb * (e[0] - m[0]), coulomb * (e[1] - m[1])},
          Phasor{coulomb * (e[2] - m[2]), coulomb * (e[3] - m[3])},
          Phasor{coulomb * (e[4] + m[4]), coulomb * (e[5] + m[5])}};
}

Phasor Line::potential(double x, double along, double height) const {
  const Vec points[2] = {{x, along, height}, {x, along, -height}};
  Phasor sum[2] = {};
  for (const Chain& chain : *chains_) {
    for (int side = 0; side < 2; ++side) {
      each_element(chain, points[side], true, [&](std::size_t j, const Element& el, double r0, double r1) {
        const auto w = el.potential(chain.lengths[j], r0, r1);
        sum[side] += w[0] * chain.charges[j] + w[1] * chain.charges[j + 1];
      });
    }
  }
  return coulomb * (sum[0] - sum[1]);
}

Components Line::magnetic_field(double x, double along, double height) const {
  // Biot-Savart over each straight element: mu0 I / 4 pi is 1 gauss m per kA.
  const Vec p{x, along, height};
  Components b{};
  for (const Chain& chain : *chains_) {
    if (chain.current == Phasor{}) continue;
    Vec sum{};
    each_element(chain, p, false, [&](std::size_t j, const Element& el, double, double) {
      const Vec turn = cross(chain.tangents[j], el.rho);
      sum.x += turn.x * el.i0;
      sum.y += turn.y * el.i0;
      sum.z += turn.z * el.i0;
    });
    b[0] += sum.x * chain.current;
    b[1] += sum.y * chain.current;
    b[2] += sum.z * chain.current;
  }
  return b;
}

double Line::conductor_height(std::size_t i, double along) const {
  const Conductor& c = conductors_.at(i);
  const double L = layout_.length;
  const double first = -L * (layout_.spans - 1) / 2.0;
  const double u = std::clamp(along - first, 0.0, L * layout_.spans);
  const double within = u - L * std::min(std::floor(u / L), layout_.spans - 1.0);
  return c.low + catenary_height(L, c.sag, positive(within));
}

}  // namespace spans
