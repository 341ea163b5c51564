#pragma once
// The triangular mesh of a cross section for the coupled ion-flow solver:
// round conductors are holes, each ringed by log-spaced rings of nodes
// (alternate rings turned by half a step), the space between graded with
// the distance from the nearest conductor (a quadtree's leaf centres),
// triangulated by Delaunay (Bowyer-Watson).
//
// Two kinds of domain:
// - above a flat ground: the half disc of `outer_radius` centred on the
//   ground at `centre_x`; its arc is the far boundary;
// - coaxial: the disc of `outer_radius` around the first conductor, its
//   edge a grounded cylinder (a check with an exact answer).
//
// SI units: m.

#include <array>
#include <vector>

#include "ionflow/line_charges.hpp"

namespace ionflow {

struct MeshSpec {
  enum class Kind { above_ground, coaxial };
  Kind kind = Kind::above_ground;
  std::vector<Circle> conductors;
  double centre_x = 0;
  double outer_radius = 0;
  // Nodes on each ring around a conductor, a multiple of 4; the rings grow by 1 + 2 pi / n
  // and the space between is graded alike, so the element size is about
  // 2 pi / n times the distance from the nearest conductor.
  int ring_nodes = 48;
};

struct Mesh {
  // Where a node sits: inside, on the ground, on the far boundary, or on
  // conductor k (k >= 0).
  static constexpr int inside = -1, ground = -2, far = -3;
  std::vector<double> x, y;
  std::vector<int> where;
  std::vector<std::array<int, 3>> triangles;  // counter-clockwise
  // Edges of one triangle only: its nodes and the triangle.
  struct Edge {
    int a = 0, b = 0, triangle = 0;
  };
  std::vector<Edge> boundary;

  std::size_t size() const { return x.size(); }
};

// Throws std::invalid_argument when conductors overlap, leave the domain or
// touch the ground, and std::runtime_error if the triangulation fails.
Mesh build_mesh(const MeshSpec& spec);

}  // namespace ionflow
