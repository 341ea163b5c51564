// The mesh: nodes on rings and a graded quadtree, Bowyer-Watson
// triangulation with a walk to locate each new node, holes cut out.

#include "ionflow/mesh.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>

namespace ionflow {

namespace {

struct Point {
  double x, y;
  int where;
};

double orient(const Point& a, const Point& b, const Point& c) {
  return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

// Above 0 when d lies inside the circle through the counter-clockwise a, b, c.
double incircle(const Point& a, const Point& b, const Point& c, const Point& d) {
  const double ax = a.x - d.x, ay = a.y - d.y, bx = b.x - d.x, by = b.y - d.y, cx = c.x - d.x, cy = c.y - d.y;
  const double a2 = ax * ax + ay * ay, b2 = bx * bx + by * by, c2 = cx * cx + cy * cy;
  return ax * (by * c2 - b2 * cy) - ay * (bx * c2 - b2 * cx) + a2 * (bx * cy - by * cx);
}

// Bowyer-Watson over the points, inside a large triangle of three extra
// vertices that are removed with their triangles at the end.
class Delaunay {
 public:
  explicit Delaunay(std::vector<Point> points) : p_(std::move(points)) {
    double lo_x = p_[0].x, hi_x = lo_x, lo_y = p_[0].y, hi_y = lo_y;
    for (const Point& q : p_) {
      lo_x = std::min(lo_x, q.x), hi_x = std::max(hi_x, q.x);
      lo_y = std::min(lo_y, q.y), hi_y = std::max(hi_y, q.y);
    }
    const double cx = 0.5 * (lo_x + hi_x), cy = 0.5 * (lo_y + hi_y);
    const double span = 20 * std::max(hi_x - lo_x, hi_y - lo_y);
    n_ = static_cast<int>(p_.size());
    p_.push_back({cx - span, cy - span, 0});
    p_.push_back({cx + span, cy - span, 0});
    p_.push_back({cx, cy + span, 0});
    t_.push_back({{n_, n_ + 1, n_ + 2}, {-1, -1, -1}, true});
    mark_.push_back(0);
    for (int i = 0; i < n_; ++i) insert(i);
  }

  // The triangles of the given points only.
  std::vector<std::array<int, 3>> triangles() const {
    std::vector<std::array<int, 3>> out;
    for (const Tri& t : t_)
      if (t.alive && t.v[0] < n_ && t.v[1] < n_ && t.v[2] < n_) out.push_back(t.v);
    return out;
  }

 private:
  struct Tri {
    std::array<int, 3> v;
    std::array<int, 3> n;  // across the edge opposite v[i]
    bool alive;
  };

  int locate(int i) const {
    int t = last_;
    const Point& q = p_[static_cast<std::size_t>(i)];
    for (std::size_t steps = 0; steps < 4 * t_.size() + 16; ++steps) {
      const Tri& tri = t_[static_cast<std::size_t>(t)];
      int next = -1;
      for (int k = 0; k < 3; ++k) {
        const int e = (k + static_cast<int>(steps)) % 3;
        const Point& a = p_[static_cast<std::size_t>(tri.v[(e + 1) % 3])];
        const Point& b = p_[static_cast<std::size_t>(tri.v[(e + 2) % 3])];
        if (orient(a, b, q) < 0 && tri.n[e] >= 0) {
          next = tri.n[e];
          break;
        }
      }
      if (next < 0) return t;
      t = next;
    }
    throw std::runtime_error("mesh: a node could not be located (degenerate nodes)");
  }

  bool in_cavity(int t, int i) {
    auto& m = mark_[static_cast<std::size_t>(t)];
    if (m == stamp_) return true;
    if (m == -stamp_) return false;
    const Tri& tri = t_[static_cast<std::size_t>(t)];
    const bool inside = incircle(p_[static_cast<std::size_t>(tri.v[0])], p_[static_cast<std::size_t>(tri.v[1])],
                                 p_[static_cast<std::size_t>(tri.v[2])], p_[static_cast<std::size_t>(i)]) > 0;
    m = inside ? stamp_ : -stamp_;
    return inside;
  }

  void insert(int i) {
    ++stamp_;
    const int start = locate(i);
    mark_[static_cast<std::size_t>(start)] = stamp_;
    std::vector<int> cavity{start}, stack{start};
    struct Side {
      int a, b, outside;
    };
    std::vector<Side> sides;
    while (!stack.empty()) {
      const int t = stack.back();
      stack.pop_back();
      for (int e = 0; e < 3; ++e) {
        const Tri& tri = t_[static_cast<std::size_t>(t)];
        const int nb = tri.n[e];
        if (nb >= 0 && in_cavity(nb, i)) {
          if (std::find(cavity.begin(), cavity.end(), nb) == cavity.end()) {
            cavity.push_back(nb);
            stack.push_back(nb);
          }
        } else {
          sides.push_back({tri.v[(e + 1) % 3], tri.v[(e + 2) % 3], nb});
        }
      }
    }
    for (int t : cavity) {
      t_[static_cast<std::size_t>(t)].alive = false;
      free_.push_back(t);
    }
    std::vector<int> made;
    for (const Side& s : sides) {
      if (orient(p_[static_cast<std::size_t>(s.a)], p_[static_cast<std::size_t>(s.b)], p_[static_cast<std::size_t>(i)]) <= 0)
        throw std::runtime_error("mesh: the triangulation failed (a node on a cavity's edge)");
      int t;
      if (!free_.empty()) {
        t = free_.back();
        free_.pop_back();
        t_[static_cast<std::size_t>(t)] = {{s.a, s.b, i}, {-1, -1, s.outside}, true};
      } else {
        t = static_cast<int>(t_.size());
        t_.push_back({{s.a, s.b, i}, {-1, -1, s.outside}, true});
        mark_.push_back(0);
      }
      if (s.outside >= 0) {
        Tri& o = t_[static_cast<std::size_t>(s.outside)];
        for (int e = 0; e < 3; ++e)
          if (o.v[(e + 1) % 3] == s.b && o.v[(e + 2) % 3] == s.a) o.n[e] = t;
      }
      made.push_back(t);
    }
    // Link the new triangles around the node: (a, b, i) meets (b, c, i)
    // across b-i and (c, a, i) across i-a.
    for (int t : made)
      for (int u : made) {
        if (t == u) continue;
        Tri& tt = t_[static_cast<std::size_t>(t)];
        const Tri& tu = t_[static_cast<std::size_t>(u)];
        if (tu.v[0] == tt.v[1]) tt.n[0] = u;
        if (tu.v[1] == tt.v[0]) tt.n[1] = u;
      }
    last_ = made.front();
  }

  std::vector<Point> p_;
  std::vector<Tri> t_;
  std::vector<int> mark_, free_;
  int n_ = 0, stamp_ = 0, last_ = 0;
};

// A small deterministic jitter in [-1, 1] that keeps the quadtree's nodes
// off common circles.
double jitter(std::size_t i, int salt) {
  std::uint64_t z = i * 0x9E3779B97F4A7C15ull + static_cast<std::uint64_t>(salt) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  z ^= z >> 31;
  return 2.0 * static_cast<double>(z >> 11) / 9007199254740992.0 - 1.0;
}

struct Ring {
  double x, y, radius, last;  // centre, conductor radius, outermost ring
};

class Generator {
 public:
  // `half`: only the nodes at or right of the centre line (a line mirrored
  // about it), the nodes on the centre line added.
  Generator(const MeshSpec& spec, bool half) : spec_(spec), half_(half), growth_(2 * pi / spec.ring_nodes) {}

  std::vector<Point> points() {
    const auto& c = spec_.conductors;
    if (spec_.kind == MeshSpec::Kind::coaxial) {
      if (c.size() != 1) throw std::invalid_argument("mesh: a coaxial domain holds one conductor");
      if (!(spec_.outer_radius > 2 * c[0].radius)) throw std::invalid_argument("mesh: the outer cylinder must be wider");
      const int rings = std::max(2, static_cast<int>(std::ceil(std::log(spec_.outer_radius / c[0].radius) / std::log1p(growth_))));
      add_rings(0, rings, std::pow(spec_.outer_radius / c[0].radius, 1.0 / rings), Mesh::ground);
      return std::move(points_);
    }
    for (std::size_t k = 0; k < c.size(); ++k) {
      if (!(c[k].radius > 0)) throw std::invalid_argument("mesh: conductor " + std::to_string(k + 1) + " has no radius");
      if (c[k].y - c[k].radius <= 0) throw std::invalid_argument("mesh: conductor " + std::to_string(k + 1) + " touches the ground");
      if (std::hypot(c[k].x - spec_.centre_x, c[k].y) + c[k].radius >= 0.5 * spec_.outer_radius)
        throw std::invalid_argument("mesh: conductor " + std::to_string(k + 1) + " lies outside the inner half of the domain");
      double room = 0.4 * c[k].y;
      for (std::size_t l = 0; l < c.size(); ++l)
        if (l != k) {
          const double d = std::hypot(c[k].x - c[l].x, c[k].y - c[l].y);
          if (d <= 1.5 * (c[k].radius + c[l].radius))
            throw std::invalid_argument("mesh: conductors " + std::to_string(k + 1) + " and " + std::to_string(l + 1) +
                                        " overlap or nearly touch");
          room = std::min(room, 0.4 * (d - c[l].radius));
        }
      const int rings = std::max(1, static_cast<int>(std::floor(std::log(room / c[k].radius) / std::log1p(growth_))));
      add_rings(k, rings, 1 + growth_, Mesh::inside);
    }
    const double r = spec_.outer_radius;
    if (!half_) quadtree(spec_.centre_x - r, 0, r);
    quadtree(spec_.centre_x, 0, r);
    // The ground, left to right, then the arc.
    std::vector<double> xs{half_ ? spec_.centre_x : spec_.centre_x - r};
    while (true) {
      const double next = xs.back() + size_at(xs.back(), 0);
      if (next > spec_.centre_x + r - 0.5 * size_at(next, 0)) break;
      xs.push_back(next);
    }
    xs.push_back(spec_.centre_x + r);
    for (double x : xs) points_.push_back({x, 0, Mesh::ground});
    double a = 0;
    const double end = half_ ? pi / 2 : pi;
    while (true) {
      const double step = size_at(spec_.centre_x + r * std::cos(a), r * std::sin(a)) / r;
      a += step;
      if (a > end - 0.5 * step) break;
      points_.push_back({spec_.centre_x + r * std::cos(a), r * std::sin(a), Mesh::far});
    }
    if (half_) {
      // The centre line, clear of the rings of conductors standing on it.
      points_.push_back({spec_.centre_x, r, Mesh::far});
      double y = 0;
      while (true) {
        const double h = size_at(spec_.centre_x, y);
        y += h;
        if (y > r - 0.5 * h) break;
        bool clear = true;
        for (const Ring& ring : rings_)
          clear = clear && !(ring.x == spec_.centre_x && std::abs(y - ring.y) < ring.last + 0.5 * h);
        if (clear) points_.push_back({spec_.centre_x, y, Mesh::inside});
      }
    }
    return std::move(points_);
  }

  const std::vector<Ring>& rings() const { return rings_; }

 private:
  void add_rings(std::size_t k, int rings, double q, int outermost) {
    const Circle& c = spec_.conductors[k];
    const bool kept = !half_ || c.x >= spec_.centre_x;
    if (kept) points_.push_back({c.x, c.y, hole});
    const int n = spec_.ring_nodes;
    double radius = c.radius;
    for (int j = 0; j <= rings; ++j) {
      const double turn = (j % 2) * pi / n;
      const int where = j == 0 ? static_cast<int>(k) : (j == rings ? outermost : Mesh::inside);
      const double rr = j == rings && outermost == Mesh::ground ? spec_.outer_radius : radius;
      for (int i = 0; kept && i < n; ++i) {
        const double a = turn + 2 * pi * i / n;
        double x = c.x + rr * std::cos(a);
        if (half_ && c.x == spec_.centre_x) {
          // On the centre line: the nodes right of it, those on it exactly on it.
          if (std::abs(x - c.x) < 1e-9 * rr) x = c.x;
          if (x < c.x) continue;
        }
        points_.push_back({x, c.y + rr * std::sin(a), where});
      }
      if (j < rings) radius *= q;
    }
    rings_.push_back({c.x, c.y, c.radius, radius});
  }

  // The element size wanted at (x, y): growth_ times the distance from the
  // nearest conductor, no less than at its outermost ring.
  double size_at(double x, double y) const {
    double h = spec_.outer_radius;
    for (const Ring& r : rings_) h = std::min(h, growth_ * std::max(std::hypot(x - r.x, y - r.y), r.last));
    return std::min(h, ground_size(x, y));
  }

  // Near the ground under the line the elements are kept at half their
  // size under the lowest conductor, growing with the height and the
  // distance out: the ground's current density is the answer most asked for.
  double ground_size(double x, double y) const {
    if (spec_.kind != MeshSpec::Kind::above_ground) return spec_.outer_radius;
    double low = spec_.outer_radius;
    for (const Ring& r : rings_) low = std::min(low, r.y);
    return growth_ * (low / 2 + y + 0.5 * std::max(0.0, std::abs(x - spec_.centre_x) - 3 * low));
  }

  void quadtree(double x0, double y0, double size) {
    const double cx = x0 + 0.5 * size, cy = y0 + 0.5 * size;
    const double half_diagonal = 0.7072 * size;
    const double from_centre = std::hypot(cx - spec_.centre_x, cy);
    if (from_centre - half_diagonal > spec_.outer_radius) return;
    bool covered = false;
    for (const Ring& r : rings_) covered = covered || std::hypot(cx - r.x, cy - r.y) + half_diagonal < r.last;
    if (covered) return;
    double nearest = spec_.outer_radius;
    for (const Ring& r : rings_)
      nearest = std::min(nearest, growth_ * std::max(std::hypot(cx - r.x, cy - r.y) - half_diagonal, r.last));
    nearest = std::min(nearest, ground_size(cx - std::copysign(std::min(std::abs(cx - spec_.centre_x), half_diagonal), cx - spec_.centre_x), std::max(0.0, cy - half_diagonal)));
    if (size > nearest) {
      const double h = 0.5 * size;
      quadtree(x0, y0, h);
      quadtree(x0 + h, y0, h);
      quadtree(x0, y0 + h, h);
      quadtree(x0 + h, y0 + h, h);
      return;
    }
    const std::size_t i = points_.size();
    const double px = cx + 0.08 * size * jitter(i, 1), py = cy + 0.08 * size * jitter(i, 2);
    if (py < 0.4 * size || std::hypot(px - spec_.centre_x, py) > spec_.outer_radius - 0.4 * size) return;
    if (half_ && px - spec_.centre_x < 0.4 * size) return;
    for (const Ring& r : rings_)
      if (std::hypot(px - r.x, py - r.y) < r.last + 0.6 * size) return;
    points_.push_back({px, py, Mesh::inside});
  }

  static constexpr int hole = -100;
  const MeshSpec& spec_;
  bool half_;
  double growth_;
  std::vector<Point> points_;
  std::vector<Ring> rings_;

 public:
  static bool is_hole(int where) { return where == hole; }
};

// The mirror of each conductor about the line's centre, when the
// conductors stand mirrored about it (each one, or on it); empty when not.
std::vector<int> mirrors(const MeshSpec& spec) {
  if (spec.kind != MeshSpec::Kind::above_ground) return {};
  std::vector<int> mirror(spec.conductors.size(), -1);
  for (std::size_t k = 0; k < spec.conductors.size(); ++k) {
    const Circle& a = spec.conductors[k];
    for (std::size_t l = 0; l < spec.conductors.size(); ++l) {
      const Circle& b = spec.conductors[l];
      if (a.x - spec.centre_x == spec.centre_x - b.x && a.y == b.y && a.radius == b.radius) mirror[k] = static_cast<int>(l);
    }
    if (mirror[k] < 0) return {};
  }
  return mirror;
}

}  // namespace

Mesh build_mesh(const MeshSpec& spec) {
  if (spec.ring_nodes < 12 || spec.ring_nodes > 2000) throw std::invalid_argument("mesh: ring nodes must be 12 to 2000");
  if (spec.ring_nodes % 4 != 0) throw std::invalid_argument("mesh: ring nodes must be a multiple of 4");
  if (spec.conductors.empty()) throw std::invalid_argument("mesh: no conductor");
  // A line mirrored about its centre gets a mirrored mesh: its right half
  // triangulated and mirrored, so that a symmetric answer comes out so.
  const std::vector<int> mirror = mirrors(spec);
  Generator generator(spec, !mirror.empty());
  std::vector<Point> points = generator.points();
  const Delaunay delaunay(points);
  // Renumber without the holes' centres.
  std::vector<int> number(points.size(), -1);
  Mesh mesh;
  for (std::size_t i = 0; i < points.size(); ++i) {
    if (Generator::is_hole(points[i].where)) continue;
    number[i] = static_cast<int>(mesh.x.size());
    mesh.x.push_back(points[i].x);
    mesh.y.push_back(points[i].y);
    mesh.where.push_back(points[i].where);
  }
  for (const auto& t : delaunay.triangles()) {
    if (number[static_cast<std::size_t>(t[0])] < 0 || number[static_cast<std::size_t>(t[1])] < 0 ||
        number[static_cast<std::size_t>(t[2])] < 0)
      continue;
    mesh.triangles.push_back({number[static_cast<std::size_t>(t[0])], number[static_cast<std::size_t>(t[1])],
                              number[static_cast<std::size_t>(t[2])]});
  }
  if (!mirror.empty()) {
    const std::size_t half = mesh.x.size();
    std::vector<int> image(half);
    for (std::size_t i = 0; i < half; ++i) {
      if (mesh.x[i] == spec.centre_x) {
        image[i] = static_cast<int>(i);
        continue;
      }
      image[i] = static_cast<int>(mesh.x.size());
      mesh.x.push_back(2 * spec.centre_x - mesh.x[i]);
      mesh.y.push_back(mesh.y[i]);
      const int w = mesh.where[i];
      mesh.where.push_back(w >= 0 ? mirror[static_cast<std::size_t>(w)] : w);
    }
    const std::size_t triangles = mesh.triangles.size();
    for (std::size_t t = 0; t < triangles; ++t) {
      const auto tri = mesh.triangles[t];
      mesh.triangles.push_back({image[static_cast<std::size_t>(tri[0])], image[static_cast<std::size_t>(tri[2])],
                                image[static_cast<std::size_t>(tri[1])]});
    }
  }
  // Boundary edges: those of one triangle only; each must join two nodes of
  // one boundary.
  std::map<std::pair<int, int>, int> count;
  for (std::size_t t = 0; t < mesh.triangles.size(); ++t)
    for (int e = 0; e < 3; ++e) {
      int a = mesh.triangles[t][static_cast<std::size_t>(e)], b = mesh.triangles[t][static_cast<std::size_t>((e + 1) % 3)];
      auto [it, fresh] = count.emplace(std::minmax(a, b), static_cast<int>(t));
      if (!fresh) it->second = -1;
    }
  for (const auto& [edge, t] : count) {
    if (t < 0) continue;
    const auto& tri = mesh.triangles[static_cast<std::size_t>(t)];
    int a = edge.first, b = edge.second;
    for (int e = 0; e < 3; ++e)
      if (tri[static_cast<std::size_t>(e)] == b && tri[static_cast<std::size_t>((e + 1) % 3)] == a) std::swap(a, b);
    const int wa = mesh.where[static_cast<std::size_t>(a)], wb = mesh.where[static_cast<std::size_t>(b)];
    const bool far_corner = (wa == Mesh::far && wb == Mesh::ground) || (wa == Mesh::ground && wb == Mesh::far);
    if (wa == Mesh::inside || wb == Mesh::inside || (wa != wb && !far_corner))
      throw std::runtime_error("mesh: the triangulation lost a boundary (conductors too close for the rings)");
    mesh.boundary.push_back({a, b, t});
  }
  return mesh;
}

}  // namespace ionflow
