// Every format specification of the program parses and renders items of
// the kinds it asks for without overflowing a field.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "format/record.hpp"
#include "format/spec.hpp"

namespace {

using record::detail::Op;

std::vector<std::string> load_specs() {
  std::ifstream in(std::string(BRENLOW_TEST_DATA) + "/format/specs.txt");
  std::vector<std::string> specs;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line[0] != '#') specs.push_back(line);
  }
  return specs;
}

// One pass of items for a specification: 7 for I, 1.5 for F and E, a
// string of the field's width for A.
std::vector<record::Item> plausible_items(const record::detail::Spec& spec, std::vector<std::string>& strings) {
  std::vector<record::Item> items;
  std::vector<std::uint32_t> counts;
  auto repeat = [&] {
    std::uint32_t n = 1;
    for (auto c : counts) n *= c;
    return n;
  };
  for (const auto& e : spec.elements) {
    if (e.op == Op::GroupStart) counts.push_back(e.repeat);
    if (e.op == Op::GroupEnd) counts.pop_back();
    if (!e.is_data()) continue;
    for (std::uint32_t r = 0; r < e.repeat * repeat(); ++r) {
      if (e.op == Op::Int) items.emplace_back(std::int16_t{7});
      if (e.op == Op::Fixed || e.op == Op::Exponent) items.emplace_back(1.5f);
      if (e.op == Op::Chars) {
        strings.push_back(std::string(e.w, 'N'));
        items.emplace_back(std::string_view(strings.back()));
      }
    }
  }
  return items;
}

TEST(Specs, EveryProgramSpecificationParsesAndRenders) {
  const auto specs = load_specs();
  ASSERT_GT(specs.size(), 120u);
  for (const auto& text : specs) {
    SCOPED_TRACE(text);
    ASSERT_NO_THROW(record::check_spec(text));
    std::vector<std::string> strings;
    strings.reserve(64);
    const auto items = plausible_items(record::detail::cached_spec(text), strings);
    std::vector<std::string> records;
    ASSERT_NO_THROW(records = record::render(text, std::span<const record::Item>(items)));
    ASSERT_FALSE(records.empty());
    std::size_t stars = 0;
    for (const auto& r : records) stars += static_cast<std::size_t>(std::count(r.begin(), r.end(), '*'));
    EXPECT_EQ(stars, static_cast<std::size_t>(std::count(text.begin(), text.end(), '*'))) << "a field overflowed";
  }
}

TEST(Specs, LayoutsOfSelectedLines) {
  const std::string menu_top = "(4X,'\xDA',33('\xC4'),'\xBF')";
  EXPECT_EQ(record::render(menu_top).at(0), "    \xDA" + std::string(33, '\xC4') + "\xBF");
  auto banner = record::render("(5X,'\xDB',45H\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF,'\xDB')");
  ASSERT_EQ(banner.size(), 1u);
  EXPECT_EQ(banner[0], "     \xDB" + std::string(45, '\xDF') + "\xDB");

  auto title = record::render(
      "('1COMBINED OUTPUT OF AUDIBLE NOISE, RADIO NOISE,',       ' TVI, OZONE CONCENTRATION, GROUND GRADIENT AND'"
      "       ' MAGNETIC FIELD',/,2(1XA72,/),//)",
      {std::string_view("FIRST"), std::string_view("SECOND")});
  ASSERT_EQ(title.size(), 6u);
  EXPECT_EQ(title[0],
            "1COMBINED OUTPUT OF AUDIBLE NOISE, RADIO NOISE, TVI, OZONE CONCENTRATION, GROUND GRADIENT AND MAGNETIC "
            "FIELD");
  EXPECT_EQ(title[1], " " + std::string(67, ' ') + "FIRST");
  EXPECT_EQ(title[2], " " + std::string(66, ' ') + "SECOND");
  EXPECT_EQ(title[3], "");
  EXPECT_EQ(title[4], "");
  EXPECT_EQ(title[5], "");

  auto saved = record::render("(2H ',A8,3H',',A1,1H',2(',',F8.2),',',I2.1,                6(',',F8.3))",
                              {std::string_view("COND 1  "), std::string_view("A"), 10.0f, 20.5f, std::int16_t{2},
                               30.0f, 1.0f, 2.0f, 3.0f, 4.0f, 5.0f});
  ASSERT_EQ(saved.size(), 1u);
  EXPECT_EQ(saved[0], " 'COND 1  ','A',   10.00,   20.50, 2,  30.000,   1.000,   2.000,   3.000,   4.000,   5.000");

  auto date = record::render("(17X,2(I2,'/'),I4,10X,2(I2.2,':'),I2.2)",
                             {std::int16_t{3}, std::int16_t{7}, std::int16_t{2024}, std::int16_t{9}, std::int16_t{5},
                              std::int16_t{0}});
  ASSERT_EQ(date.size(), 1u);
  EXPECT_EQ(date[0], std::string(17, ' ') + " 3/ 7/2024          09:05:00");
}

}  // namespace
