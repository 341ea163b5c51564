#pragma once
// Cross sections the study tests and benchmarks build in memory.

#include <cstdio>
#include <string>
#include <vector>

#include "engine/engine.hpp"

namespace study_test {

inline brenlow::Group phase(std::string name, float x, float y, float kv, float angle, float ka) {
  brenlow::Group g;
  g.name = std::move(name);
  g.x = x;
  g.y = y;
  g.subconductors = 2;
  g.diameter = 31.8f;
  g.spacing = 45.7f;
  g.kv = kv;
  g.phase = angle;
  g.ka = ka;
  return g;
}

inline brenlow::Group earth_wire(std::string name, float x, float y) {
  brenlow::Group g;
  g.name = std::move(name);
  g.x = x;
  g.y = y;
  g.subconductors = 1;
  g.diameter = 11.0f;
  return g;
}

// "T2R3": tower, side (or E for an earth wire), position.
inline std::string label(int tower, char side, int k) {
  char text[16];
  std::snprintf(text, sizeof text, "T%d%c%d", tower, side, k);
  return text;
}

inline brenlow::Conditions conditions() {
  brenlow::Conditions c;
  c.wind = 2;
  c.rain = 1;
  c.ground_conductivity = 10;
  c.an_height = 1.5f;
  c.ri_height = 2;
  c.tv_height = 10;
  c.oz_height = 1;
  c.ef_height = 1;
  c.mf_height = 1;
  c.ri_frequency = 1;
  c.tv_frequency = 75;
  return c;
}

// Double-circuit 345 kV towers 40 m apart: two circuits a tower (circuit c
// is groups 3c+1..3c+3), then two earth wires a tower.
inline brenlow::CrossSection tower_line(int towers) {
  brenlow::CrossSection s;
  s.titles = {"SIX CIRCUITS ON THREE DOUBLE-CIRCUIT TOWERS", "STUDY BENCHMARK"};
  s.conditions = conditions();
  const float angles[3] = {0, 240, 120};
  for (int tower = 0; tower < towers; ++tower) {
    const float centre = 40.0f * static_cast<float>(tower - 1);
    for (int side = 0; side < 2; ++side) {
      const float sign = side == 0 ? -1.0f : 1.0f;
      for (int k = 0; k < 3; ++k) {
        const float x = centre + sign * (k == 1 ? 8.0f : 6.5f);
        const float y = 28.0f - 7.0f * static_cast<float>(k);
        s.groups.push_back(phase(label(tower + 1, side ? 'R' : 'L', k + 1), x, y, 199.2f, angles[k],
                                 1.0f + 0.2f * static_cast<float>(tower)));
      }
    }
  }
  s.energized = 6 * towers;
  for (int tower = 0; tower < towers; ++tower) {
    const float centre = 40.0f * static_cast<float>(tower - 1);
    s.groups.push_back(earth_wire(label(tower + 1, 'E', 1), centre - 5, 34));
    s.groups.push_back(earth_wire(label(tower + 1, 'E', 2), centre + 5, 34));
  }
  s.points = {{21, -100, 10}};
  return s;
}

// Three towers: six circuits, 18 phase groups and six earth wires; 46,656 arrangements.
inline brenlow::CrossSection six_circuit_line() { return tower_line(3); }

inline std::vector<std::vector<int>> six_circuits() {
  std::vector<std::vector<int>> c;
  for (int i = 0; i < 6; ++i) c.push_back({3 * i, 3 * i + 1, 3 * i + 2});
  return c;
}

// Two circuits on one double-circuit tower: 36 arrangements, 6 distinct.
inline brenlow::CrossSection double_circuit_line() {
  brenlow::CrossSection s;
  s.titles = {"DOUBLE CIRCUIT", "STUDY TEST"};
  s.conditions = conditions();
  const float angles[3] = {0, 240, 120};
  for (int side = 0; side < 2; ++side)
    for (int k = 0; k < 3; ++k)
      s.groups.push_back(phase(label(1, side ? 'R' : 'L', k + 1), (side ? 1.0f : -1.0f) * (k == 1 ? 8.0f : 6.5f),
                               28.0f - 7.0f * static_cast<float>(k), 199.2f, angles[k], side ? 1.0f : 1.2f));
  s.energized = 6;
  s.groups.push_back(earth_wire("EW", 0, 34));
  s.points = {{21, -50, 5}};
  return s;
}

}  // namespace study_test
