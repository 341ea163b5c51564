// The coupled solver: the element geometry, Poisson's factored matrix, the
// upwind continuity matrices on a fixed pattern, and the iteration that
// holds every emitter at Kaptzov's condition.

#include "ionflow/coupled.hpp"

#include <Eigen/LU>
#include <Eigen/SparseCholesky>
#include <Eigen/SparseCore>
#include <Eigen/SparseLU>
#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace ionflow {

namespace {

using Sparse = Eigen::SparseMatrix<double>;
using Vector = Eigen::VectorXd;

// Where a boundary edge's flow ends: the ground, the far boundary, or a conductor (>= 0).
int edge_kind(const Mesh& m, const Mesh::Edge& e) {
  const int wa = m.where[static_cast<std::size_t>(e.a)], wb = m.where[static_cast<std::size_t>(e.b)];
  if (wa == Mesh::far || wb == Mesh::far) return Mesh::far;
  return wa;
}

}  // namespace

struct CoupledSolution::State {
  Mesh mesh;
  std::vector<double> cell;  // median-dual cell areas, m2
  struct Element {
    double area;
    double gx[3], gy[3];  // gradients of the three linear shape functions
    double nx[3], ny[3];  // dual face between nodes e and e+1, normal towards e+1, length-weighted
    double fx[3], fy[3];  // its midpoint
  };
  std::vector<Element> elements;
  Sparse stiffness;                       // all nodes, with the far boundary's Robin term
  std::vector<int> free_index;            // position among the free nodes, -1 on a fixed one
  std::vector<int> free_nodes;
  Eigen::SimplicialLDLT<Sparse> poisson;  // on the free nodes
  // The continuity pattern and where each contribution lands in it.
  Sparse transport;
  std::vector<int> diagonal;               // per node
  std::vector<std::array<int, 4>> faces;   // per element and face: ii, jj, ij, ji
  Eigen::SparseLU<Sparse> lu;
  bool lu_analysed = false;

  // Solves the transport matrix for `load`, starting from `guess`:
  // Gauss-Seidel with the nodes in the order the ions pass them (`order`,
  // upstream first), which is nearly exact in one sweep since without
  // diffusion a node takes only from upstream; LU when the sweeps stall.
  Vector solve_transport(const Eigen::SparseMatrix<double, Eigen::RowMajor>& rows, const std::vector<int>& order,
                         const Vector& load, const Vector& guess) {
    Vector x = guess;
    const double scale = load.cwiseAbs().maxCoeff();
    if (scale == 0) return Vector::Zero(load.size());
    for (int sweep = 0; sweep < 60; ++sweep) {
      double moved = 0, largest = 0;
      for (int i : order) {
        double sum = load(i), diag = 0;
        for (Eigen::SparseMatrix<double, Eigen::RowMajor>::InnerIterator it(rows, i); it; ++it) {
          if (it.col() == i) diag = it.value();
          else sum -= it.value() * x(it.col());
        }
        const double next = sum / diag;
        moved = std::max(moved, std::abs(next - x(i)));
        largest = std::max(largest, std::abs(next));
        x(i) = next;
      }
      if (moved <= 1e-9 * largest) return x;
    }
    if (!lu_analysed) {
      lu.analyzePattern(transport);
      lu_analysed = true;
    }
    lu.factorize(transport);
    if (lu.info() != Eigen::Success) throw std::runtime_error("coupled ion flow: a continuity matrix is singular");
    return lu.solve(load);
  }
  // The answer.
  Vector phi, positive, negative;
  double k_positive = 0, k_negative = 0;
  double recombined = 0;
  // Ground nodes by x, with their values.
  std::vector<double> ground_x;
  std::vector<CoupledGroundValues> ground;
  // Triangles by bucket for the lookup of a point.
  double lo_x = 0, lo_y = 0, bucket = 1;
  int buckets_x = 1, buckets_y = 1;
  std::vector<std::vector<int>> by_bucket;

  // The potential for the densities (net, C/m3) and the fixed nodes' values.
  Vector solve_poisson(const Vector& net, const Vector& fixed) const {
    Vector load = stiffness * fixed;
    Vector b(static_cast<Eigen::Index>(free_nodes.size()));
    for (std::size_t f = 0; f < free_nodes.size(); ++f) {
      const auto i = static_cast<Eigen::Index>(free_nodes[f]);
      b(static_cast<Eigen::Index>(f)) = cell[static_cast<std::size_t>(i)] * net(i) / epsilon0 - load(i);
    }
    const Vector x = poisson.solve(b);
    Vector phi = fixed;
    for (std::size_t f = 0; f < free_nodes.size(); ++f)
      phi(static_cast<Eigen::Index>(free_nodes[f])) = x(static_cast<Eigen::Index>(f));
    return phi;
  }

  // Each conductor's charge, C/m: the sum of the reactions at its nodes.
  std::vector<double> charges(const Vector& phi, const Vector& net, std::size_t conductors) const {
    const Vector r = stiffness * phi;
    std::vector<double> q(conductors, 0.0);
    for (std::size_t i = 0; i < mesh.size(); ++i) {
      const int w = mesh.where[i];
      if (w >= 0)
        q[static_cast<std::size_t>(w)] +=
            epsilon0 * (r(static_cast<Eigen::Index>(i)) - cell[i] * net(static_cast<Eigen::Index>(i)) / epsilon0);
    }
    return q;
  }

  int locate(double x, double y, double& l0, double& l1, double& l2) const {
    const int bx = static_cast<int>(std::floor((x - lo_x) / bucket));
    const int by = static_cast<int>(std::floor((y - lo_y) / bucket));
    if (bx < 0 || by < 0 || bx >= buckets_x || by >= buckets_y) return -1;
    for (int t : by_bucket[static_cast<std::size_t>(by * buckets_x + bx)]) {
      const auto& tri = mesh.triangles[static_cast<std::size_t>(t)];
      const double x0 = mesh.x[static_cast<std::size_t>(tri[0])], y0 = mesh.y[static_cast<std::size_t>(tri[0])];
      const double x1 = mesh.x[static_cast<std::size_t>(tri[1])], y1 = mesh.y[static_cast<std::size_t>(tri[1])];
      const double x2 = mesh.x[static_cast<std::size_t>(tri[2])], y2 = mesh.y[static_cast<std::size_t>(tri[2])];
      const double d = (x1 - x0) * (y2 - y0) - (x2 - x0) * (y1 - y0);
      l1 = ((x - x0) * (y2 - y0) - (x2 - x0) * (y - y0)) / d;
      l2 = ((x1 - x0) * (y - y0) - (x - x0) * (y1 - y0)) / d;
      l0 = 1 - l1 - l2;
      const double slack = -1e-9;
      if (l0 >= slack && l1 >= slack && l2 >= slack) return t;
    }
    return -1;
  }
};

CoupledSolution::~CoupledSolution() = default;
CoupledSolution::CoupledSolution(CoupledSolution&&) noexcept = default;
CoupledSolution& CoupledSolution::operator=(CoupledSolution&&) noexcept = default;
const Mesh& CoupledSolution::mesh() const { return state_->mesh; }
double CoupledSolution::recombination_current() const { return state_->recombined; }

CoupledSolution::CoupledSolution(const MeshSpec& spec, const std::vector<CoupledConductor>& conductors,
                                 const CoupledSettings& settings)
    : state_(std::make_unique<State>()) {
  if (conductors.size() != spec.conductors.size())
    throw std::invalid_argument("coupled ion flow: " + std::to_string(conductors.size()) + " conductor values for " +
                                std::to_string(spec.conductors.size()) + " conductors");
  for (double v : {settings.mobility_positive, settings.mobility_negative})
    if (!(v > 0) || !std::isfinite(v)) throw std::invalid_argument("coupled ion flow: a mobility must be above 0");
  if (!(settings.recombination >= 0) || !std::isfinite(settings.recombination))
    throw std::invalid_argument("coupled ion flow: the recombination coefficient must be 0 or above");
  if (!std::isfinite(settings.wind)) throw std::invalid_argument("coupled ion flow: the wind must be a number");
  if (!(settings.relaxation > 0 && settings.relaxation <= 1))
    throw std::invalid_argument("coupled ion flow: the relaxation must lie in (0, 1]");
  State& s = *state_;
  s.mesh = build_mesh(spec);
  const Mesh& m = s.mesh;
  const std::size_t n = m.size();
  const std::size_t nc = conductors.size();
  s.k_positive = settings.mobility_positive;
  s.k_negative = settings.mobility_negative;

  // Element geometry.
  s.cell.assign(n, 0.0);
  s.elements.resize(m.triangles.size());
  for (std::size_t t = 0; t < m.triangles.size(); ++t) {
    const auto& tri = m.triangles[t];
    State::Element& el = s.elements[t];
    double px[3], py[3];
    for (int k = 0; k < 3; ++k) {
      px[k] = m.x[static_cast<std::size_t>(tri[static_cast<std::size_t>(k)])];
      py[k] = m.y[static_cast<std::size_t>(tri[static_cast<std::size_t>(k)])];
    }
    const double twice = (px[1] - px[0]) * (py[2] - py[0]) - (px[2] - px[0]) * (py[1] - py[0]);
    if (!(twice > 0)) throw std::runtime_error("coupled ion flow: a degenerate element in the mesh");
    el.area = 0.5 * twice;
    const double gcx = (px[0] + px[1] + px[2]) / 3, gcy = (py[0] + py[1] + py[2]) / 3;
    for (int k = 0; k < 3; ++k) {
      const int a = (k + 1) % 3, b = (k + 2) % 3;
      el.gx[k] = (py[a] - py[b]) / twice;
      el.gy[k] = (px[b] - px[a]) / twice;
      s.cell[static_cast<std::size_t>(tri[static_cast<std::size_t>(k)])] += el.area / 3;
      // The face from the midpoint of edge k-(k+1) to the centroid.
      const double mx = 0.5 * (px[k] + px[a]), my = 0.5 * (py[k] + py[a]);
      double nx = gcy - my, ny = -(gcx - mx);
      if (nx * (px[a] - px[k]) + ny * (py[a] - py[k]) < 0) nx = -nx, ny = -ny;
      el.nx[k] = nx;
      el.ny[k] = ny;
      el.fx[k] = 0.5 * (mx + gcx);
      el.fy[k] = 0.5 * (my + gcy);
    }
  }

  // Poisson: stiffness, the far boundary's Robin term 1/r (a field falling
  // as a dipole's), the fixed nodes on the conductors and the ground.
  {
    std::vector<Eigen::Triplet<double>> entries;
    entries.reserve(9 * m.triangles.size() + 4 * m.boundary.size());
    for (std::size_t t = 0; t < m.triangles.size(); ++t) {
      const State::Element& el = s.elements[t];
      for (int a = 0; a < 3; ++a)
        for (int b = 0; b < 3; ++b)
          entries.emplace_back(m.triangles[t][static_cast<std::size_t>(a)], m.triangles[t][static_cast<std::size_t>(b)],
                               el.area * (el.gx[a] * el.gx[b] + el.gy[a] * el.gy[b]));
    }
    for (const Mesh::Edge& e : m.boundary) {
      if (edge_kind(m, e) != Mesh::far) continue;
      const std::size_t a = static_cast<std::size_t>(e.a), b = static_cast<std::size_t>(e.b);
      const double length = std::hypot(m.x[b] - m.x[a], m.y[b] - m.y[a]);
      const double r = spec.outer_radius;
      entries.emplace_back(e.a, e.a, length / (3 * r));
      entries.emplace_back(e.b, e.b, length / (3 * r));
      entries.emplace_back(e.a, e.b, length / (6 * r));
      entries.emplace_back(e.b, e.a, length / (6 * r));
    }
    s.stiffness.resize(static_cast<Eigen::Index>(n), static_cast<Eigen::Index>(n));
    s.stiffness.setFromTriplets(entries.begin(), entries.end());
  }
  s.free_index.assign(n, -1);
  for (std::size_t i = 0; i < n; ++i)
    if (m.where[i] == Mesh::inside || m.where[i] == Mesh::far) {
      s.free_index[i] = static_cast<int>(s.free_nodes.size());
      s.free_nodes.push_back(static_cast<int>(i));
    }
  {
    std::vector<Eigen::Triplet<double>> entries;
    for (int k = 0; k < s.stiffness.outerSize(); ++k)
      for (Sparse::InnerIterator it(s.stiffness, k); it; ++it) {
        const int r = s.free_index[static_cast<std::size_t>(it.row())], c = s.free_index[static_cast<std::size_t>(it.col())];
        if (r >= 0 && c >= 0) entries.emplace_back(r, c, it.value());
      }
    Sparse kff(static_cast<Eigen::Index>(s.free_nodes.size()), static_cast<Eigen::Index>(s.free_nodes.size()));
    kff.setFromTriplets(entries.begin(), entries.end());
    s.poisson.compute(kff);
    if (s.poisson.info() != Eigen::Success) throw std::runtime_error("coupled ion flow: Poisson's matrix is singular");
  }
  Vector fixed = Vector::Zero(static_cast<Eigen::Index>(n));
  for (std::size_t i = 0; i < n; ++i)
    if (m.where[i] >= 0) fixed(static_cast<Eigen::Index>(i)) = conductors[static_cast<std::size_t>(m.where[i])].volts;
  const Vector zero = Vector::Zero(static_cast<Eigen::Index>(n));
  const Vector phi_nominal = s.solve_poisson(zero, fixed);
  nominal_charges_ = s.charges(phi_nominal, zero, nc);

  // The continuity pattern: every face's four entries and every diagonal.
  {
    std::vector<Eigen::Triplet<double>> entries;
    for (std::size_t i = 0; i < n; ++i) entries.emplace_back(static_cast<int>(i), static_cast<int>(i), 1.0);
    for (const auto& tri : m.triangles)
      for (int k = 0; k < 3; ++k) {
        const int i = tri[static_cast<std::size_t>(k)], j = tri[static_cast<std::size_t>((k + 1) % 3)];
        entries.emplace_back(i, j, 1.0);
        entries.emplace_back(j, i, 1.0);
      }
    s.transport.resize(static_cast<Eigen::Index>(n), static_cast<Eigen::Index>(n));
    s.transport.setFromTriplets(entries.begin(), entries.end());
    s.transport.makeCompressed();
    const auto position = [&](int row, int col) {
      const int* inner = s.transport.innerIndexPtr();
      const int* begin = inner + s.transport.outerIndexPtr()[col];
      const int* end = inner + s.transport.outerIndexPtr()[col + 1];
      return static_cast<int>(std::lower_bound(begin, end, row) - inner);
    };
    s.diagonal.resize(n);
    for (std::size_t i = 0; i < n; ++i) s.diagonal[i] = position(static_cast<int>(i), static_cast<int>(i));
    s.faces.resize(3 * m.triangles.size());
    for (std::size_t t = 0; t < m.triangles.size(); ++t)
      for (int k = 0; k < 3; ++k) {
        const int i = m.triangles[t][static_cast<std::size_t>(k)], j = m.triangles[t][static_cast<std::size_t>((k + 1) % 3)];
        s.faces[3 * t + static_cast<std::size_t>(k)] = {s.diagonal[static_cast<std::size_t>(i)],
                                                        s.diagonal[static_cast<std::size_t>(j)], position(i, j),
                                                        position(j, i)};
      }
  }

  // The emitters.
  std::vector<std::size_t> emitters;
  for (std::size_t c = 0; c < nc; ++c) {
    const CoupledConductor& k = conductors[c];
    if (k.volts != 0 && k.onset_ratio > 0 && k.onset_ratio < 1) emitters.push_back(c);
  }
  const std::size_t ne = emitters.size();
  const double rate = settings.recombination / elementary_charge;
  const auto sign_of = [&](std::size_t e) { return conductors[emitters[e]].volts > 0 ? 1.0 : -1.0; };

  Vector phi = phi_nominal;
  s.positive = zero;
  s.negative = zero;
  // Per emitter: its density (relaxed), the density of a unit rho_s in the
  // last field and its potential (fixed nodes at 0), the new density.
  std::vector<Vector> density(ne, zero), unit(ne), unit_phi(ne), fresh(ne, zero);
  std::vector<double> rho_s(ne, 0.0);
  std::vector<std::vector<double>> boundary_flux(2);  // per boundary edge and polarity: each end's outflow
  Vector new_phi = phi_nominal;
  double relaxation = settings.relaxation, last_change = 1e300;
  // Passes of the second-order correction per iteration; more, with a
  // smaller relaxation, after a start that ran away.
  int passes = 4, restarts = 0;
  surface_.assign(nc, 0.0);
  currents_.assign(nc, EmitterCurrents{});
  std::vector<double> ex(m.triangles.size()), ey(m.triangles.size());

  for (iterations_ = 1; ne > 0; ++iterations_) {
    for (std::size_t t = 0; t < m.triangles.size(); ++t) {
      double gx = 0, gy = 0;
      for (int k = 0; k < 3; ++k) {
        const double p = phi(m.triangles[t][static_cast<std::size_t>(k)]);
        gx += p * s.elements[t].gx[k];
        gy += p * s.elements[t].gy[k];
      }
      ex[t] = -gx, ey[t] = -gy;
    }
    for (int polarity = 0; polarity < 2; ++polarity) {
      const double sign = polarity == 0 ? 1.0 : -1.0;
      std::vector<std::size_t> own;
      for (std::size_t e = 0; e < ne; ++e)
        if (sign_of(e) == sign) own.push_back(e);
      if (own.empty()) continue;
      const double k = polarity == 0 ? settings.mobility_positive : settings.mobility_negative;
      const Vector& other = polarity == 0 ? s.negative : s.positive;
      double* v = s.transport.valuePtr();
      std::fill(v, v + s.transport.nonZeros(), 0.0);
      std::vector<Vector> loads(own.size(), zero);
      std::vector<double> flows(3 * m.triangles.size());
      for (std::size_t t = 0; t < m.triangles.size(); ++t) {
        const State::Element& el = s.elements[t];
        const double vx = sign * k * ex[t] + settings.wind, vy = sign * k * ey[t];
        for (int f = 0; f < 3; ++f) {
          const double flow = vx * el.nx[f] + vy * el.ny[f];
          flows[3 * t + static_cast<std::size_t>(f)] = flow;
          const auto& at = s.faces[3 * t + static_cast<std::size_t>(f)];
          if (flow > 0) {
            v[at[0]] += flow;
            v[at[3]] -= flow;
          } else {
            v[at[2]] += flow;
            v[at[1]] -= flow;
          }
        }
      }
      // The second-order correction of a density: on each face the value
      // from the upwind node's gradient (area-weighted mean of its
      // elements'), kept between the two nodes' values; the difference to
      // the upwind value moves from up to down.
      const auto correction = [&](const Vector& d) {
        std::vector<double> gx_node(n, 0.0), gy_node(n, 0.0), patch(n, 0.0);
        for (std::size_t t = 0; t < m.triangles.size(); ++t) {
          const auto& tri = m.triangles[t];
          const State::Element& el = s.elements[t];
          double gx = 0, gy = 0;
          for (int c = 0; c < 3; ++c) {
            gx += d(tri[static_cast<std::size_t>(c)]) * el.gx[c];
            gy += d(tri[static_cast<std::size_t>(c)]) * el.gy[c];
          }
          for (int c = 0; c < 3; ++c) {
            const auto node = static_cast<std::size_t>(tri[static_cast<std::size_t>(c)]);
            gx_node[node] += el.area * gx;
            gy_node[node] += el.area * gy;
            patch[node] += el.area;
          }
        }
        Vector moved_by = zero;
        for (std::size_t t = 0; t < m.triangles.size(); ++t) {
          const auto& tri = m.triangles[t];
          const State::Element& el = s.elements[t];
          for (int f = 0; f < 3; ++f) {
            const double flow = flows[3 * t + static_cast<std::size_t>(f)];
            const int i = tri[static_cast<std::size_t>(f)], j = tri[static_cast<std::size_t>((f + 1) % 3)];
            const int up = flow > 0 ? i : j, down = flow > 0 ? j : i;
            const auto u = static_cast<std::size_t>(up);
            const double du = d(up), dd = d(down);
            const double face = std::clamp(
                du + (gx_node[u] * (el.fx[f] - m.x[u]) + gy_node[u] * (el.fy[f] - m.y[u])) / patch[u],
                std::min(du, dd), std::max(du, dd));
            const double moved = std::abs(flow) * (face - du);
            moved_by(up) -= moved;
            moved_by(down) += moved;
          }
        }
        return moved_by;
      };
      auto& flux = boundary_flux[static_cast<std::size_t>(polarity)];
      flux.assign(m.boundary.size(), 0.0);
      for (std::size_t b = 0; b < m.boundary.size(); ++b) {
        const Mesh::Edge& e = m.boundary[b];
        const std::size_t t = static_cast<std::size_t>(e.triangle);
        const double vx = sign * k * ex[t] + settings.wind, vy = sign * k * ey[t];
        const double dx = m.x[static_cast<std::size_t>(e.b)] - m.x[static_cast<std::size_t>(e.a)];
        const double dy = m.y[static_cast<std::size_t>(e.b)] - m.y[static_cast<std::size_t>(e.a)];
        const double out = 0.5 * (vx * dy - vy * dx);  // each end's half edge, outward
        flux[b] = out;
        if (out > 0) {
          v[s.diagonal[static_cast<std::size_t>(e.a)]] += out;
          v[s.diagonal[static_cast<std::size_t>(e.b)]] += out;
        } else {
          const int kind = edge_kind(m, e);
          for (std::size_t o = 0; o < own.size(); ++o)
            if (kind == static_cast<int>(emitters[own[o]])) {
              loads[o](e.a) -= out;
              loads[o](e.b) -= out;
            }
        }
      }
      for (std::size_t i = 0; i < n; ++i) {
        double& d = v[s.diagonal[i]];
        d += rate * other(static_cast<Eigen::Index>(i)) * s.cell[i];
        d += 1e-12 * std::abs(d) + 1e-300;
      }
      // Upstream first: the ions of this polarity run down sign k phi - W x.
      std::vector<int> order(n);
      std::vector<double> height(n);
      for (std::size_t i = 0; i < n; ++i) {
        order[i] = static_cast<int>(i);
        height[i] = sign * k * phi(static_cast<Eigen::Index>(i)) - settings.wind * m.x[i];
      }
      std::sort(order.begin(), order.end(), [&](int a, int b) { return height[static_cast<std::size_t>(a)] > height[static_cast<std::size_t>(b)]; });
      const Eigen::SparseMatrix<double, Eigen::RowMajor> rows = s.transport;
      for (std::size_t o = 0; o < own.size(); ++o) {
        const std::size_t e = own[o];
        // The unit density with its correction: a few passes towards their
        // fixed point from the last iteration's (the correction scales with
        // the density, so the density stays linear in rho_s); the outer
        // iteration settles both.
        const bool first = unit[e].size() == 0;
        Vector d = first ? s.solve_transport(rows, order, loads[o], zero) : unit[e];
        for (int pass = 0; pass < (first ? 4 : passes); ++pass) d = s.solve_transport(rows, order, loads[o] + correction(d), d);
        unit[e] = d;
        unit_phi[e] = s.solve_poisson(sign * unit[e], zero);
      }
    }
    // rho_s so that every emitter's charge is at its share of the nominal;
    // an emitter that would need a negative density emits nothing.
    std::vector<std::vector<double>> unit_q(ne);
    for (std::size_t e = 0; e < ne; ++e) unit_q[e] = s.charges(unit_phi[e], sign_of(e) * unit[e], nc);
    std::vector<char> active(ne, 1);
    while (true) {
      std::vector<std::size_t> on;
      for (std::size_t e = 0; e < ne; ++e)
        if (active[e]) on.push_back(e);
      std::fill(rho_s.begin(), rho_s.end(), 0.0);
      if (on.empty()) break;
      const auto size = static_cast<Eigen::Index>(on.size());
      Eigen::MatrixXd g(size, size);
      Eigen::VectorXd want(size);
      for (std::size_t r = 0; r < on.size(); ++r) {
        const std::size_t c = emitters[on[r]];
        double w = (conductors[c].onset_ratio - 1) * nominal_charges_[c];
        for (std::size_t p = 0; p < on.size(); ++p) {
          g(static_cast<Eigen::Index>(r), static_cast<Eigen::Index>(p)) = unit_q[on[p]][c];
        }
        want(static_cast<Eigen::Index>(r)) = w;
      }
      const Eigen::VectorXd x = g.fullPivLu().solve(want);
      std::size_t worst = ne;
      for (std::size_t p = 0; p < on.size(); ++p) {
        const double value = x(static_cast<Eigen::Index>(p));
        if (!std::isfinite(value)) throw std::runtime_error("coupled ion flow: Kaptzov's condition cannot be met");
        rho_s[on[p]] = value;
        if (value < 0 && (worst == ne || value < rho_s[worst])) worst = on[p];
      }
      if (worst == ne) break;
      active[worst] = 0;
    }
    new_phi = phi_nominal;
    double largest = 0, change = 0;
    for (std::size_t e = 0; e < ne; ++e) {
      fresh[e] = zero;
      if (rho_s[e] > 0) {
        fresh[e] = rho_s[e] * unit[e];
        new_phi += rho_s[e] * unit_phi[e];
      }
      largest = std::max(largest, fresh[e].maxCoeff());
      change = std::max(change, (fresh[e] - density[e]).cwiseAbs().maxCoeff());
    }
    change = largest > 0 ? change / largest : 0.0;
    if ((iterations_ > 3 && change > 1.5) || largest == 0) {
      // Run away (or every emitter shut off): start again, more carefully.
      if (++restarts > 3)
        throw std::runtime_error("coupled ion flow: the iteration runs away (change " + std::to_string(change) + ")");
      passes *= 2;
      relaxation = settings.relaxation / (1 << restarts);
      last_change = 1e300;
      phi = phi_nominal;
      for (std::size_t e = 0; e < ne; ++e) density[e] = zero, unit[e] = Vector();
      s.positive = zero, s.negative = zero;
      continue;
    }
    if (change > last_change) relaxation = std::max(0.1 * settings.relaxation, 0.7 * relaxation);
    last_change = change;
    s.positive = zero, s.negative = zero;
    for (std::size_t e = 0; e < ne; ++e) {
      density[e] += relaxation * (fresh[e] - density[e]);
      (sign_of(e) > 0 ? s.positive : s.negative) += density[e];
    }
    phi += relaxation * (new_phi - phi);
    if (change < settings.tolerance) break;
    if (iterations_ >= settings.max_iterations)
      throw std::runtime_error("coupled ion flow: the densities did not settle in " +
                               std::to_string(settings.max_iterations) + " iterations (change " +
                               std::to_string(change) + ")");
  }

  // The answer: the last densities with their own potential, which meets
  // Kaptzov's condition exactly; each emitter's current by where it ends,
  // with the last iteration's field and the recombination on the other
  // density it took.
  const Vector other_of_positive = s.negative, other_of_negative = s.positive;
  s.positive = zero, s.negative = zero;
  for (std::size_t e = 0; e < ne; ++e) (sign_of(e) > 0 ? s.positive : s.negative) += fresh[e];
  s.phi = new_phi;
  const Vector net = s.positive - s.negative;
  charges_ = s.charges(s.phi, net, nc);
  for (std::size_t e = 0; e < ne; ++e) {
    const std::size_t c = emitters[e];
    surface_[c] = rho_s[e];
    EmitterCurrents& cur = currents_[c];
    cur.conductors.assign(nc, 0.0);
    if (rho_s[e] == 0) continue;
    const bool positive = sign_of(e) > 0;
    const auto& flux = boundary_flux[positive ? 0 : 1];
    for (std::size_t b = 0; b < m.boundary.size(); ++b) {
      const Mesh::Edge& edge = m.boundary[b];
      const int kind = edge_kind(m, edge);
      if (flux[b] <= 0) {
        if (kind == static_cast<int>(c)) cur.emitted -= 2 * flux[b] * rho_s[e];
        continue;
      }
      const double out = flux[b] * (fresh[e](edge.a) + fresh[e](edge.b));
      if (kind == Mesh::ground) cur.ground += out;
      else if (kind == Mesh::far) cur.far += out;
      else cur.conductors[static_cast<std::size_t>(kind)] += out;
    }
    const Vector& other = positive ? other_of_positive : other_of_negative;
    for (std::size_t i = 0; i < n; ++i)
      cur.recombined += rate * other(static_cast<Eigen::Index>(i)) * s.cell[i] * fresh[e](static_cast<Eigen::Index>(i));
  }
  // All recombination in the air, from the final densities.
  for (std::size_t i = 0; i < n; ++i)
    s.recombined += settings.recombination * s.positive(static_cast<Eigen::Index>(i)) *
                    s.negative(static_cast<Eigen::Index>(i)) * s.cell[i] / elementary_charge;

  // The ground's values: the field from the reaction at each ground node
  // over its share of the ground, the current density from the densities
  // there and that field.
  if (spec.kind == MeshSpec::Kind::above_ground) {
    const Vector r = s.stiffness * s.phi;
    std::vector<double> share(n, 0.0);
    for (const Mesh::Edge& e : m.boundary) {
      if (m.where[static_cast<std::size_t>(e.a)] != Mesh::ground || m.where[static_cast<std::size_t>(e.b)] != Mesh::ground) continue;
      const double half = 0.5 * std::abs(m.x[static_cast<std::size_t>(e.b)] - m.x[static_cast<std::size_t>(e.a)]);
      share[static_cast<std::size_t>(e.a)] += half;
      share[static_cast<std::size_t>(e.b)] += half;
    }
    std::vector<std::pair<double, std::size_t>> order;
    for (std::size_t i = 0; i < n; ++i)
      if (m.where[i] == Mesh::ground && share[i] > 0) order.emplace_back(m.x[i], i);
    std::sort(order.begin(), order.end());
    for (const auto& [x, i] : order) {
      const auto ii = static_cast<Eigen::Index>(i);
      CoupledGroundValues g;
      g.e_down = -(r(ii) - s.cell[i] * net(ii) / epsilon0) / share[i];
      g.rho = net(ii);
      g.j = s.k_positive * s.positive(ii) * std::max(g.e_down, 0.0) + s.k_negative * s.negative(ii) * std::min(g.e_down, 0.0);
      s.ground_x.push_back(x);
      s.ground.push_back(g);
    }
  }

  // Buckets for the lookup of points.
  {
    double hi_x = m.x[0], hi_y = m.y[0];
    s.lo_x = m.x[0], s.lo_y = m.y[0];
    for (std::size_t i = 0; i < n; ++i) {
      s.lo_x = std::min(s.lo_x, m.x[i]), hi_x = std::max(hi_x, m.x[i]);
      s.lo_y = std::min(s.lo_y, m.y[i]), hi_y = std::max(hi_y, m.y[i]);
    }
    const double span = std::max(hi_x - s.lo_x, hi_y - s.lo_y);
    const int side = std::max(1, static_cast<int>(std::sqrt(static_cast<double>(m.triangles.size()) / 2)));
    s.bucket = span / side * (1 + 1e-9);
    s.buckets_x = static_cast<int>((hi_x - s.lo_x) / s.bucket) + 1;
    s.buckets_y = static_cast<int>((hi_y - s.lo_y) / s.bucket) + 1;
    s.by_bucket.assign(static_cast<std::size_t>(s.buckets_x * s.buckets_y), {});
    for (std::size_t t = 0; t < m.triangles.size(); ++t) {
      double x0 = 1e300, x1 = -1e300, y0 = 1e300, y1 = -1e300;
      for (int v : m.triangles[t]) {
        x0 = std::min(x0, m.x[static_cast<std::size_t>(v)]), x1 = std::max(x1, m.x[static_cast<std::size_t>(v)]);
        y0 = std::min(y0, m.y[static_cast<std::size_t>(v)]), y1 = std::max(y1, m.y[static_cast<std::size_t>(v)]);
      }
      const int bx0 = static_cast<int>((x0 - s.lo_x) / s.bucket), bx1 = static_cast<int>((x1 - s.lo_x) / s.bucket);
      const int by0 = static_cast<int>((y0 - s.lo_y) / s.bucket), by1 = static_cast<int>((y1 - s.lo_y) / s.bucket);
      for (int by = by0; by <= by1; ++by)
        for (int bx = bx0; bx <= bx1; ++bx) s.by_bucket[static_cast<std::size_t>(by * s.buckets_x + bx)].push_back(static_cast<int>(t));
    }
  }
}

CoupledGroundValues CoupledSolution::at_ground(double x) const {
  const State& s = *state_;
  if (s.ground_x.empty() || x < s.ground_x.front() || x > s.ground_x.back()) return {};
  const auto after = std::upper_bound(s.ground_x.begin(), s.ground_x.end(), x);
  if (after == s.ground_x.end()) return s.ground.back();
  const std::size_t r = static_cast<std::size_t>(after - s.ground_x.begin());
  const std::size_t l = r - 1;
  const double t = (x - s.ground_x[l]) / (s.ground_x[r] - s.ground_x[l]);
  const CoupledGroundValues& a = s.ground[l];
  const CoupledGroundValues& b = s.ground[r];
  return {a.e_down + t * (b.e_down - a.e_down), a.j + t * (b.j - a.j), a.rho + t * (b.rho - a.rho)};
}

Densities CoupledSolution::at(double x, double y) const {
  const State& s = *state_;
  double l0, l1, l2;
  const int t = s.locate(x, y, l0, l1, l2);
  if (t < 0) return {};
  const auto& tri = s.mesh.triangles[static_cast<std::size_t>(t)];
  const auto value = [&](const Vector& v) { return l0 * v(tri[0]) + l1 * v(tri[1]) + l2 * v(tri[2]); };
  return {std::max(0.0, value(s.positive)), std::max(0.0, value(s.negative))};
}

double CoupledSolution::potential(double x, double y) const {
  const State& s = *state_;
  double l0, l1, l2;
  const int t = s.locate(x, y, l0, l1, l2);
  if (t < 0) return 0;
  const auto& tri = s.mesh.triangles[static_cast<std::size_t>(t)];
  return l0 * s.phi(tri[0]) + l1 * s.phi(tri[1]) + l2 * s.phi(tri[2]);
}

}  // namespace ionflow
