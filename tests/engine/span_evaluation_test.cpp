// The line of spans through the engine: its long-span limit is the cross
// section's field, it is symmetric where the line is, its element count is
// converged, sag lowers the field, and bad spans are refused.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <thread>
#include <utility>
#include <algorithm>
#include <vector>

#include "engine/engine.hpp"

namespace {

using brenlow::CrossSection;
using brenlow::SpanEvaluation;
using brenlow::Spans;

std::string example(const char* name) { return std::string(BRENLOW_EXAMPLES) + "/" + name; }

// The bundled 5-group and 8-group lines, and a line with DC poles.
std::vector<std::string> lines() {
  return {example("500kv_flat.dat"), example("345kv_double_circuit.dat"),
          std::string(BRENLOW_TEST_DATA) + "/engine/hybrid.dat"};
}

Spans spans_of(float length, float sag, int elements = 0) {
  Spans s;
  s.length = length;
  s.sag = sag;
  s.elements = elements;
  return s;
}

double relative(double a, double b) { return std::abs(a - b) / std::abs(b); }

TEST(SpanEvaluation, LongLevelSpanAtMidSpanIsTheCrossSection) {
  // 20 km spans hanging 1 m: at mid-span the line is the infinite
  // conductors of the cross section, to 0.1 %, for each component.
  for (const std::string& path : lines()) {
    SCOPED_TRACE(path);
    const CrossSection section = brenlow::read_data_file(path);
    const SpanEvaluation run(section, spans_of(20000, 1));
    const brenlow::Evaluation& flat = run.cross_section();
    for (const float x : {-40.0f, -12.0f, 0.0f, 7.5f, 30.0f}) {
      for (const float h : {1.0f, 2.0f}) {
        const brenlow::SpanField e = run.electric_field(x, 10000, h);
        const brenlow::ElectricField e2 = flat.electric_field(x, h);
        EXPECT_LT(relative(e.max, e2.max), 1e-3) << x << " " << h;
        EXPECT_LT(std::abs(e.lateral - e2.horizontal), 1e-3 * e2.max);
        EXPECT_LT(std::abs(e.vertical - e2.vertical), 1e-3 * e2.max);
        EXPECT_LT(e.along, 1e-3 * e2.max);
        const brenlow::SpanField b = run.magnetic_field(x, 10000, h);
        const brenlow::MagneticField b2 = flat.magnetic_field(x, h);
        EXPECT_LT(relative(b.max, b2.max), 1e-3) << x << " " << h;
        EXPECT_LT(std::abs(b.lateral - b2.horizontal), 1e-3 * b2.max);
        EXPECT_LT(std::abs(b.vertical - b2.vertical), 1e-3 * b2.max);
      }
    }
  }
}

TEST(SpanEvaluation, SymmetricLineGivesSymmetricFields) {
  // The flat line is symmetric left to right (phases A and C mirror), and
  // every level line is symmetric about mid-span.
  const CrossSection section = brenlow::read_data_file(example("500kv_flat.dat"));
  const SpanEvaluation run(section, spans_of(350, 11));
  for (const float along : {0.0f, 20.0f, 90.0f, 175.0f, -60.0f}) {
    for (const float x : {3.0f, 10.5f, 25.0f}) {
      const brenlow::SpanField e = run.electric_field(x, along, 1);
      const brenlow::SpanField b = run.magnetic_field(x, along, 1);
      EXPECT_NEAR(run.electric_field(-x, along, 1).max, e.max, 1e-4 * e.max) << x << " " << along;
      EXPECT_NEAR(run.magnetic_field(-x, along, 1).max, b.max, 1e-4 * b.max) << x << " " << along;
      EXPECT_NEAR(run.electric_field(x, 350 - along, 1).max, e.max, 1e-4 * e.max) << x << " " << along;
      EXPECT_NEAR(run.magnetic_field(x, 350 - along, 1).max, b.max, 1e-4 * b.max) << x << " " << along;
    }
  }
}

TEST(SpanEvaluation, DoublingTheElementsChangesLittle) {
  // At 1 m: mid-span, near a tower and under it, under the line and beside it.
  struct Case {
    const char* file;
    float length, sag;
  };
  for (const Case c : {Case{"500kv_flat.dat", 400, 12}, {"345kv_double_circuit.dat", 350, 14}}) {
    SCOPED_TRACE(c.file);
    const CrossSection section = brenlow::read_data_file(example(c.file));
    const SpanEvaluation chosen(section, spans_of(c.length, c.sag));
    const SpanEvaluation doubled(section, spans_of(c.length, c.sag, 2 * chosen.elements()));
    for (const float along : {c.length / 2, 20.0f, 0.0f}) {
      for (const float x : {0.0f, 8.0f, 20.0f}) {
        EXPECT_LT(relative(chosen.electric_field(x, along, 1).max, doubled.electric_field(x, along, 1).max), 1e-3)
            << x << " " << along;
        EXPECT_LT(relative(chosen.magnetic_field(x, along, 1).max, doubled.magnetic_field(x, along, 1).max), 1e-3)
            << x << " " << along;
      }
    }
  }
}

// The ends of the lengths the solve resolves. At the longest, a level span
// without sag is the cross section everywhere along it, towers included
// (its ends are 1000 km away), to 1e-5; rounding spoils that from about
// 1e12 m. At the shortest, doubling the elements still changes little.
TEST(SpanEvaluation, ResolvedOverTheWholeRangeOfLengths) {
  for (const char* file : {"500kv_flat.dat", "345kv_double_circuit.dat", "500kv_dc_bipole.dat"}) {
    SCOPED_TRACE(file);
    const CrossSection section = brenlow::read_data_file(example(file));
    const SpanEvaluation longest(section, spans_of(Spans::longest_length, 0));
    const brenlow::Evaluation& flat = longest.cross_section();
    const SpanEvaluation shortest(section, spans_of(Spans::shortest_length, 0.2f));
    const SpanEvaluation doubled(section, spans_of(Spans::shortest_length, 0.2f, 2 * shortest.elements()));
    for (int k = 0; k <= 8; ++k) {
      for (const float x : {0.0f, 8.0f, 20.0f}) {
        const float along = Spans::longest_length * static_cast<float>(k) / 8;
        EXPECT_LT(relative(longest.electric_field(x, along, 1).max, flat.electric_field(x, 1).max), 1e-5) << x << " " << k;
        EXPECT_LT(relative(longest.magnetic_field(x, along, 1).max, flat.magnetic_field(x, 1).max), 1e-5) << x << " " << k;
        const float near = Spans::shortest_length * static_cast<float>(k) / 8;
        EXPECT_LT(relative(shortest.electric_field(x, near, 1).max, doubled.electric_field(x, near, 1).max), 1e-3) << x << " " << k;
        EXPECT_LT(relative(shortest.magnetic_field(x, near, 1).max, doubled.magnetic_field(x, near, 1).max), 1e-3) << x << " " << k;
      }
    }
  }
}

// The largest value over a lateral profile at 1 m, at one position along.
struct Peaks {
  float e = 0, b = 0;
};
template <class Run>
Peaks peaks(const Run& at) {
  Peaks p;
  for (float x = -40; x <= 40; x += 2) {
    const auto [e, b] = at(x);
    p.e = std::max(p.e, e);
    p.b = std::max(p.b, b);
  }
  return p;
}

TEST(SpanEvaluation, SagLowersTheFieldAwayFromMidSpan) {
  // The heights are those at mid-span: more sag lifts the rest of each
  // conductor, so the largest field falls towards the towers, where the
  // conductors stand highest; and where the phases hang at one height the
  // largest field at mid-span falls below the cross section's as the sag
  // grows. (On the double circuit the upper phases, which cancel part of
  // the lower ones' field, rise further away: there it grows a little.)
  for (const std::string& path : lines()) {
    SCOPED_TRACE(path);
    const CrossSection section = brenlow::read_data_file(path);
    bool level = true;
    for (int i = 1; i < section.energized; ++i) level = level && section.groups[i].y == section.groups[0].y;
    const brenlow::Evaluation flat(section);
    Peaks before = peaks([&](float x) {
      return std::pair{flat.electric_field(x, 1).max, flat.magnetic_field(x, 1).max};
    });
    for (const float sag : {4.0f, 8.0f, 16.0f}) {
      const SpanEvaluation run(section, spans_of(400, sag));
      Peaks along_before;
      for (const float along : {0.0f, 100.0f, 200.0f}) {
        const Peaks p = peaks([&](float x) {
          return std::pair{run.electric_field(x, along, 1).max, run.magnetic_field(x, along, 1).max};
        });
        EXPECT_GT(p.e, along_before.e) << "sag " << sag << " along " << along;
        EXPECT_GT(p.b, along_before.b) << "sag " << sag << " along " << along;
        along_before = p;
      }
      if (level) {
        EXPECT_LT(along_before.e, before.e) << "sag " << sag;
        EXPECT_LT(along_before.b, before.b) << "sag " << sag;
      }
      before = along_before;
    }
  }
}

TEST(SpanEvaluation, EarthWireSagAndGroupSags) {
  const CrossSection section = brenlow::read_data_file(example("500kv_flat.dat"));
  Spans s = spans_of(300, 9);
  EXPECT_EQ(s.sags_of(section), (std::vector<float>{9, 9, 9, 9, 9}));
  s.earth_sag = 6;
  EXPECT_EQ(s.sags_of(section), (std::vector<float>{9, 9, 9, 6, 6}));
  s.group_sags = {1, 2, 3, 4, 5};
  EXPECT_EQ(s.sags_of(section), s.group_sags);
  const SpanEvaluation run(section, s);
  // Each conductor hangs by its own sag: its height at the tower.
  for (int i = 0; i < 5; ++i) {
    EXPECT_NEAR(run.conductor_height(i, 0), section.groups[i].y + s.group_sags[i], 1e-4);
    EXPECT_NEAR(run.conductor_height(i, 150), section.groups[i].y, 1e-4);
  }
}

TEST(SpanEvaluation, RefusesBadSpans) {
  const CrossSection section = brenlow::read_data_file(example("500kv_flat.dat"));
  struct Case {
    Spans spans;
    const char* message;
  };
  std::vector<Case> cases;
  const auto add = [&](auto change, const char* message) {
    Spans s = spans_of(300, 9);
    change(s);
    cases.push_back({s, message});
  };
  add([](Spans& s) { s.length = 0; }, "span length 0 m: must be above 0");
  add([](Spans& s) { s.length = std::nanf(""); }, "span length nan m: must be above 0");
  add([](Spans& s) { s.length = 19.9f; }, "span length 19.9 m: the line of spans is solved for lengths from 20 m to 1e+06 m (1000 km)");
  add([](Spans& s) { s.length = 1.01e6f; }, "span length 1.01e+06 m: the line of spans is solved for lengths from 20 m to");
  add([](Spans& s) { s.length = 3e38f; }, "span length 3e+38 m: the line of spans is solved");
  add([](Spans& s) { s.count = 2; }, "2 spans: the count must be odd, 1 to 15, so that one span stands in the middle");
  add([](Spans& s) { s.count = 17; }, "17 spans: the count must be odd");
  add([](Spans& s) { s.sag = -1; }, "group 1 PHASE A: sag -1 m must be 0 or above and below the span length (300 m)");
  add([](Spans& s) { s.earth_sag = 300; }, "group 4 EARTH 1: sag 300 m must be 0 or above");
  add([](Spans& s) { s.group_sags = {1, 2}; }, "2 sags given for 5 groups: give one sag, or one per group");
  add([](Spans& s) { s.elements = 1; }, "1 elements per span: 2 to 400, or 0 to choose");
  for (const Case& c : cases) {
    try {
      SpanEvaluation run(section, c.spans);
      ADD_FAILURE() << "accepted: " << c.message;
    } catch (const brenlow::Error& e) {
      EXPECT_EQ(std::string(e.what()).rfind(c.message, 0), 0u) << e.what();
    }
  }
  // Two groups in one place.
  CrossSection twice = section;
  twice.groups[1].x = twice.groups[0].x;
  twice.groups[1].y = twice.groups[0].y;
  EXPECT_THROW(SpanEvaluation(twice, spans_of(300, 9)), brenlow::Error);
}

TEST(SpanEvaluation, ThreadsShareOneEvaluation) {
  const CrossSection section = brenlow::read_data_file(example("345kv_double_circuit.dat"));
  const SpanEvaluation run(section, spans_of(300, 10));
  std::vector<float> serial, parallel(40);
  for (int i = 0; i < 40; ++i) serial.push_back(run.electric_field(i - 20.0f, 7.0f * i, 1).max);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&, t] {
      for (int i = t; i < 40; i += 4) parallel[i] = run.electric_field(i - 20.0f, 7.0f * i, 1).max;
    });
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(serial, parallel);
}

}  // namespace

namespace {

// The stop is asked all through the solve, the matrix and the elimination
// alike, and ends it at once when it says so; asked and declined, it
// changes nothing.
TEST(SpanEvaluation, StopIsAskedThroughoutTheSolveAndEndsIt) {
  const CrossSection section = brenlow::read_data_file(example("500kv_flat.dat"));
  const Spans spans = spans_of(300, 9, 8);
  const SpanEvaluation plain(section, spans);
  long asked = 0;
  const SpanEvaluation declined(section, spans, [&asked] {
    ++asked;
    return false;
  });
  // Unknowns: 5 groups of (3 spans * 8 elements + 2) / 2; one ask per row
  // of the matrix and one per step of the elimination.
  EXPECT_EQ(asked, 2 * 5 * 13);
  for (const float x : {-20.0f, 0.0f, 15.0f})
    EXPECT_EQ(plain.electric_field(x, 70, 1).max, declined.electric_field(x, 70, 1).max);

  for (const long when : {1L, 40L, 100L, 130L}) {
    long calls = 0;
    EXPECT_THROW(SpanEvaluation(section, spans,
                                [&] {
                                  return ++calls == when;
                                }),
                 brenlow::Stopped)
        << when;
    EXPECT_EQ(calls, when);
  }
}

}  // namespace
