// The mesh against the geometry it stands for: its triangles cover the
// domain less the conductors (areas from the closed forms), the ground's
// edges span its width, no node is left out, and a mirrored line's mesh is
// its own mirror image.

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <utility>
#include <vector>

#include "ionflow/mesh.hpp"

namespace ionflow {
namespace {

struct MeshCase {
  const char* name;
  MeshSpec spec;
  bool mirrored;
};

std::vector<MeshCase> cases() {
  MeshSpec wire{MeshSpec::Kind::above_ground, {{0, 0.05, 40e-6}}, 0, 1.0, 48};
  MeshSpec bipole{MeshSpec::Kind::above_ground, {{-7, 15, 0.2}, {7, 15, 0.2}, {-6, 25, 0.0055}, {6, 25, 0.0055}}, 0, 300, 48};
  MeshSpec lopsided{MeshSpec::Kind::above_ground, {{-7, 15, 0.2}, {9, 17, 0.15}}, 1, 300, 24};
  MeshSpec coax{MeshSpec::Kind::coaxial, {{0, 0, 1e-3}}, 0, 0.1, 48};
  return {{"wire", wire, true}, {"bipole", bipole, true}, {"lopsided", lopsided, false}, {"coax", coax, false}};
}

TEST(Mesh, CoversTheDomainLessTheConductors) {
  for (const MeshCase& c : cases()) {
    const Mesh m = build_mesh(c.spec);
    const double r = c.spec.outer_radius;
    double exact = (c.spec.kind == MeshSpec::Kind::coaxial ? 1.0 : 0.5) * std::acos(-1.0) * r * r;
    for (const Circle& k : c.spec.conductors) exact -= std::acos(-1.0) * k.radius * k.radius;
    double area = 0;
    std::vector<int> used(m.size(), 0);
    for (const auto& t : m.triangles) {
      const double twice = (m.x[t[1]] - m.x[t[0]]) * (m.y[t[2]] - m.y[t[0]]) - (m.x[t[2]] - m.x[t[0]]) * (m.y[t[1]] - m.y[t[0]]);
      EXPECT_GT(twice, 0) << c.name;
      area += 0.5 * twice;
      for (int v : t) used[static_cast<std::size_t>(v)] = 1;
    }
    EXPECT_NEAR(area / exact, 1, 0.01) << c.name;
    for (std::size_t i = 0; i < m.size(); ++i) EXPECT_TRUE(used[i]) << c.name << " node " << i;
    if (c.spec.kind == MeshSpec::Kind::above_ground) {
      double ground = 0;
      for (const Mesh::Edge& e : m.boundary)
        if (m.where[static_cast<std::size_t>(e.a)] == Mesh::ground && m.where[static_cast<std::size_t>(e.b)] == Mesh::ground)
          ground += std::abs(m.x[static_cast<std::size_t>(e.b)] - m.x[static_cast<std::size_t>(e.a)]);
      EXPECT_NEAR(ground, 2 * r, 1e-9 * r) << c.name;
    }
  }
}

TEST(Mesh, MirroredLineHasAMirroredMesh) {
  for (const MeshCase& c : cases()) {
    if (!c.mirrored) continue;
    const Mesh m = build_mesh(c.spec);
    const double cx = c.spec.centre_x;
    std::set<std::pair<double, double>> nodes;
    for (std::size_t i = 0; i < m.size(); ++i) nodes.insert({m.x[i] - cx, m.y[i]});
    for (std::size_t i = 0; i < m.size(); ++i) EXPECT_TRUE(nodes.count({cx - m.x[i], m.y[i]})) << c.name << " node " << i;
  }
}

TEST(Mesh, RefusesWhatItCannotMesh) {
  const std::vector<MeshSpec> bad = {
      {MeshSpec::Kind::above_ground, {{0, 0.1, 0.2}}, 0, 10, 48},              // through the ground
      {MeshSpec::Kind::above_ground, {{0, 10, 0.2}, {0.3, 10, 0.2}}, 0, 300, 48},  // overlapping
      {MeshSpec::Kind::above_ground, {{0, 10, 0.2}}, 0, 15, 48},               // outside the inner half
      {MeshSpec::Kind::above_ground, {{0, 10, 0.2}}, 0, 300, 50},              // not a multiple of 4
  };
  for (const MeshSpec& s : bad) EXPECT_THROW(build_mesh(s), std::invalid_argument);
}

}  // namespace
}  // namespace ionflow
