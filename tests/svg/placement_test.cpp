// The geometry the label placement and the picture tests stand on: a
// segment meeting a box, and a text's width from its characters.

#include <gtest/gtest.h>

#include <vector>

#include "svg/placement.hpp"

namespace {

TEST(Placement, SegmentsMeetingABox) {
  const svg::Rect box{10, 10, 20, 10};  // x 10..30, y 10..20
  struct Case {
    const char* what;
    svg::Point a, b;
    bool meets;
  };
  for (const Case& c : std::vector<Case>{
           {"across", {0, 15}, {40, 15}, true},
           {"diagonal through a corner region", {0, 0}, {40, 30}, true},
           {"inside", {12, 12}, {14, 14}, true},
           {"a point inside", {20, 15}, {20, 15}, true},
           {"above", {0, 5}, {40, 5}, false},
           {"short of it", {0, 15}, {9, 15}, false},
           {"diagonal beside a corner", {25, 0}, {40, 15}, false},
           {"steep, left of it", {9, 0}, {9.9, 40}, false},
           {"touching the edge", {30, 0}, {30, 40}, true},
       }) {
    EXPECT_EQ(svg::meets(box, c.a, c.b), c.meets) << c.what;
    EXPECT_EQ(svg::meets(box, c.b, c.a), c.meets) << c.what << ", reversed";
  }
  EXPECT_TRUE(svg::meets(box, svg::Run{{0, 0}, {5, 5}, {15, 12}}));
  EXPECT_FALSE(svg::meets(box, svg::Run{{0, 0}, {5, 5}, {9, 30}}));
}

TEST(Placement, TextWidths) {
  // DejaVu Sans advances: "10" 2 x 0.636 em; an entity counts one character.
  EXPECT_NEAR(svg::text_width("10", 10), 12.72, 1e-9);
  EXPECT_NEAR(svg::text_width("&#181;T", 10), 6.36 + 6.11, 1e-9);
  EXPECT_NEAR(svg::text_width("\xc2\xb5T", 10), svg::text_width("&#181;T", 10), 1e-9);
  EXPECT_NEAR(svg::text_width("10", 10, true), 1.1 * 12.72, 1e-9);
  EXPECT_LT(svg::text_width("iii", 12), svg::text_width("mmm", 12));
}

}  // namespace
