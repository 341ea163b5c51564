#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "svg/element.hpp"
#include "svg/lines.hpp"
#include "svg/number.hpp"

using namespace svg;

namespace {

TEST(Text, EscapedForXml) {
  struct Case {
    std::string in, out;
  };
  for (const Case& c : std::vector<Case>{{"a & b", "a &amp; b"},
                                         {"<x y=\"1\" z='2'>", "&lt;x y=&quot;1&quot; z=&apos;2&apos;&gt;"},
                                         {"\xc2\xb5T", "\xc2\xb5T"},
                                         {"bad \xff\xc2 end", "bad ?? end"},
                                         {"surrogate \xed\xa0\x80", "surrogate ???"},
                                         // Characters XML cannot carry become U+FFFD; U+FFFD itself stays.
                                         {"\xef\xbf\xbe\xef\xbf\xbf\xef\xbf\xbd", "\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd"},
                                         {std::string("a\0b\x1f", 4), "a\xef\xbf\xbd" "b\xef\xbf\xbd"},
                                         {"t\tl\nr\r\x7f", "t l r  "},
                                         {"\xef\xbf", "??"}})
    EXPECT_EQ(xml_escape(c.in), c.out) << c.in;
}

TEST(Number, CoordinatesAndLabels) {
  struct Case {
    double value;
    int decimals;
    const char* text;
  };
  for (const Case& c : std::vector<Case>{{-0.04, 1, "0.0"},
                                         {-0.05, 1, "-0.1"},
                                         {12.25, 2, "12.25"},
                                         {3, 0, "3"},
                                         {2e9, 1, "2e+09"},
                                         {NAN, 1, "NaN"},
                                         {-INFINITY, 1, "-Infinity"}})
    EXPECT_EQ(fixed(c.value, c.decimals), c.text) << c.value;
}

TEST(Element, AttributesInOrderAndEscaped) {
  EXPECT_EQ(Tag("line").set("x1", 1.25).set("stroke", "#444").empty(), "<line x1=\"1.2\" stroke=\"#444\"/>");
  EXPECT_EQ(Tag("text").set("class", "a\"b").text("5 &#181;T"), "<text class=\"a&quot;b\">5 &#181;T</text>");
  EXPECT_EQ(turned_at(22, 95.5, -90), "translate(22.0 95.5) rotate(-90)");
}

TEST(Lines, RunsBreakAtMissingValues) {
  struct Case {
    std::vector<Point> points;
    std::vector<std::size_t> sizes;
  };
  for (const Case& c : std::vector<Case>{{{}, {}},
                                         {{{0, NAN}, {1, NAN}}, {}},
                                         {{{0, 1}, {1, NAN}, {2, 3}, {3, 4}}, {1, 2}},
                                         {{{0, INFINITY}, {1, 2}, {2, 3}, {3, -INFINITY}}, {2}}}) {
    std::vector<std::size_t> sizes;
    for (const svg::Run& run : split_at_gaps(c.points)) sizes.push_back(run.size());
    EXPECT_EQ(sizes, c.sizes);
  }
  std::ostringstream out;
  write_run(out, {{1, 2}, {3, 4}}, {red, "2", true, Marker::circle});
  EXPECT_EQ(out.str(),
            "<polyline fill=\"none\" stroke=\"#c0392b\" stroke-width=\"2\" stroke-dasharray=\"6 3\" "
            "points=\"1.0,2.0 3.0,4.0\"/><circle cx=\"1.0\" cy=\"2.0\" r=\"3.2\" fill=\"#c0392b\"/>"
            "<circle cx=\"3.0\" cy=\"4.0\" r=\"3.2\" fill=\"#c0392b\"/>");
  EXPECT_EQ(line_colour(5), line_colour(0));
}

}  // namespace
