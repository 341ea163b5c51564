// Rendering of fields and statements: the documented examples of every
// descriptor, record structure and format reversion.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "format/record.hpp"

namespace {

using record::Item;
using Records = std::vector<std::string>;

struct Case {
  const char* spec;
  std::vector<Item> items;
  Records expected;
};

float neg_zero() { return std::copysign(0.0f, -1.0f); }
constexpr float kInf = std::numeric_limits<float>::infinity();
const float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr std::string_view kTitle = "TITLE WITH TRAILING BLANKS                                              ";

std::string show(const Records& records) {
  std::string s;
  for (const auto& r : records) s += "<" + r + ">";
  return s;
}

TEST(Render, DocumentedExamples) {
  const std::vector<Case> cases = {
      // Integers.
      {"(I2.2)", {std::int16_t{5}}, {"05"}},
      {"(I1.1)", {std::int16_t{0}}, {"0"}},
      {"(I2.1)", {std::int16_t{0}}, {" 0"}},
      {"(I4.1)", {std::int16_t{-12}}, {" -12"}},
      {"(I2.2)", {std::int16_t{0}}, {"00"}},
      {"(I2)", {std::int16_t{100}}, {"**"}},
      {"(I2)", {std::int16_t{-10}}, {"**"}},
      {"(I10)", {std::int32_t{-2147483647 - 1}}, {"**********"}},
      {"(I1,',',I3)", {std::int16_t{0}, std::int16_t{7}}, {"0,  7"}},
      {"(I2,',',I1)", {std::int16_t{-1}, std::int16_t{0}}, {"-1,0"}},
      {"(I1,',',I3)", {std::int16_t{0}, std::int16_t{100}}, {"0,100"}},
      // Fixed point.
      {"(F6.0)", {12.0f}, {"   12."}},
      {"(F6.2)", {0.25f}, {"  0.25"}},
      {"(F3.2)", {0.25f}, {".25"}},
      {"(F4.2)", {-0.25f}, {"-.25"}},
      {"(F5.2)", {-0.25f}, {"-0.25"}},
      {"(F6.2)", {0.125f}, {"  0.12"}},
      {"(F6.2)", {0.375f}, {"  0.38"}},
      {"(F6.0)", {2.5f}, {"    2."}},
      {"(F6.0)", {3.5f}, {"    4."}},
      {"(F10.6)", {0.1f}, {"  0.100000"}},
      {"(F6.2)", {-0.001f}, {" -0.00"}},
      {"(F6.2)", {neg_zero()}, {" -0.00"}},
      {"(F2.0)", {1.0f}, {"1."}},
      {"(F2.0)", {9.7f}, {"**"}},
      {"(F9.1)", {-999.9f}, {"   -999.9"}},
      // The optional zero goes only while a digit remains: "-." is no number.
      {"(F2.0)", {-0.25f}, {"**"}},
      {"(F1.0)", {0.25f}, {"*"}},
      {"(F2.0)", {0.25f}, {"0."}},
      {"(F8.5)", {123.0f}, {"********"}},
      // NaN and infinities.
      {"(F9.1)", {kNaN}, {"      NaN"}},
      {"(F3.1)", {kNaN}, {"NaN"}},
      {"(F2.0)", {kNaN}, {"**"}},
      {"(F9.1)", {kInf}, {" Infinity"}},
      {"(F8.1)", {kInf}, {"Infinity"}},
      {"(F7.1)", {kInf}, {"    Inf"}},
      {"(F3.1)", {kInf}, {"Inf"}},
      {"(F9.1)", {-kInf}, {"-Infinity"}},
      {"(F8.1)", {-kInf}, {"    -Inf"}},
      {"(F4.1)", {-kInf}, {"-Inf"}},
      {"(F3.1)", {-kInf}, {"***"}},
      {"(F2.0)", {kInf}, {"**"}},
      {"(E10.3)", {-kInf}, {" -Infinity"}},
      {"(E10.3)", {kNaN}, {"       NaN"}},
      // Exponent forms.
      {"(E10.3)", {123.4f}, {" 0.123E+03"}},
      {"(E10.3)", {-0.001234f}, {"-0.123E-02"}},
      {"(E10.3)", {0.0f}, {" 0.000E+00"}},
      {"(E9.3)", {-0.001234f}, {"-.123E-02"}},
      {"(E14.3)", {9999.9f}, {"     0.100E+05"}},
      {"(1PE23.15)", {45.3f}, {"  4.529999923706055E+01"}},
      {"(1PE23.15)", {-0.5f}, {" -5.000000000000000E-01"}},
      {"(1PE23.15)", {0.1f}, {"  1.000000014901161E-01"}},
      {"(1PE23.15)", {0.0f}, {"  0.000000000000000E+00"}},
      {"(1PE23.15)", {neg_zero()}, {" -0.000000000000000E+00"}},
      {"(1PE23.15)", {-999.9f}, {" -9.999000244140625E+02"}},
      {"(1PE23.15)", {55.3f}, {"  5.529999923706055E+01"}},
      {"(1PE10.3)", {-99999.0f}, {"-1.000E+05"}},
      {"(1PE9.3)", {-99999.0f}, {"*********"}},
      // Value lines of the DIF table.
      {"(I1,',',1PE23.15)", {std::int16_t{0}, 1234.5f}, {"0,  1.234500000000000E+03"}},
      {"(I1,',',1PE23.15)", {std::int16_t{0}, 55.3f}, {"0,  5.529999923706055E+01"}},
      {"(I1,',',1PE23.15)", {std::int16_t{0}, -999.9f}, {"0, -9.999000244140625E+02"}},
      {"(I1,',',1PE23.15)", {std::int16_t{0}, 0.0f}, {"0,  0.000000000000000E+00"}},
      {"(I1,',',1PE23.15)", {std::int16_t{0}, neg_zero()}, {"0, -0.000000000000000E+00"}},
      {"('\"\"')", {}, {"\"\""}},
      {"('TABLE')", {}, {"TABLE"}},
      // Characters.
      {"(A4)", {std::string_view("MTRS")}, {"MTRS"}},
      {"(A4)", {std::string_view("MTRSX")}, {"MTRS"}},
      {"(A4)", {std::string_view("MT")}, {"  MT"}},
      {"(1XA8,4X)", {std::string_view("ABC     ")}, {" ABC     "}},
      {"(A72)", {kTitle}, {std::string(kTitle)}},
      // Records, skips, texts.
      {"(' MATRIX MATH FINISHED')", {}, {" MATRIX MATH FINISHED"}},
      {"('1OZONE CONCENTRATION CALCULATIONS',//)", {}, {"1OZONE CONCENTRATION CALCULATIONS", "", ""}},
      {"(/,' X')", {}, {"", " X"}},
      {"(' A'/' B')", {}, {" A", " B"}},
      {"(' AB',10X)", {}, {" AB"}},
      {"(' AB ',10X,/,5X,'C')", {}, {" AB ", "     C"}},
      {"('IT''S')", {}, {"IT'S"}},
      {"('A' 'B')", {}, {"AB"}},
      {"('A''''B')", {}, {"A''B"}},
      {"(2H ',A8,3H',',A1,1H')", {std::string_view("COND 1  "), std::string_view("A")}, {" 'COND 1  ','A'"}},
      {"(      1X,     I3   ,   'x'    )", {std::int16_t{42}}, {"  42x"}},
      {"('\xB3\xDA\xC4')", {}, {"\xB3\xDA\xC4"}},
      // A data element with no item left ends the statement.
      {"(' N=',I3,' M=',I3)", {std::int16_t{1}}, {" N=  1 M="}},
      {"(' TEXT',5X,I3)", {}, {" TEXT"}},
      // Repeats, groups and format reversion.
      {"(3F5.1)", {1.0f, 2.0f, 3.0f, 4.0f, 5.0f}, {"  1.0  2.0  3.0", "  4.0  5.0"}},
      {"(2(I2,'/'))", {std::int16_t{1}, std::int16_t{2}}, {" 1/ 2/"}},
      {"(2(I2,'/'))", {std::int16_t{1}, std::int16_t{2}, std::int16_t{3}}, {" 1/ 2/", " 3/"}},
      {"(' H',2(I2,'/'),' Z')", {std::int16_t{1}, std::int16_t{2}}, {" H 1/ 2/ Z"}},
      {"(' H',I2,2(I2,'/'))", {std::int16_t{1}, std::int16_t{2}, std::int16_t{3}, std::int16_t{4}, std::int16_t{5}},
       {" H 1 2/ 3/", " 4/ 5/"}},
      {"(1X,2(F4.1),' A',3X)", {1.0f, 2.0f, 3.0f}, {"  1.0 2.0 A", " 3.0"}},
      {"(1P,2E10.2,E10.2)", {1.0f, 2.0f, 3.0f}, {"  1.00E+00  2.00E+00  3.00E+00"}},
      {"(E10.2,1PE10.2)", {1.0f, 2.0f}, {"  0.10E+01  2.00E+00"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.spec);
    Records got = record::render(c.spec, std::span<const Item>(c.items));
    EXPECT_EQ(show(got), show(c.expected));
  }
}

TEST(Render, CombinedReportLineIs118Characters) {
  auto r = record::render("(F10.1,4X,2(F10.1,F9.1),7X,F9.1,9X,F10.6,9X,F10.3,4X,F8.5)",
                          {-30.5f, 55.25f, 30.0f, 60.0f, 40.0f, 12.5f, 0.123456f, 4.25f, 0.0625f});
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0], std::string("     -30.5") + "    " + "      55.2" + "     30.0" + "      60.0" + "     40.0" +
                      "       " + "     12.5" + "         " + "  0.123456" + "         " + "     4.250" + "    " +
                      " 0.06250");
  EXPECT_EQ(r[0].size(), 118u);
}

TEST(Render, MalformedSpecificationsAreRejected) {
  for (const char* bad : {"", "I2", "(I2", "(I2))", "(Q2)", "(F8)", "(F8.)", "(I0)", "('abc)", "(4H ab)",
                          "(2P,E10.2)", "((((((((((I2))))))))))", "(I2 3)", "(F4.5)", "(A72) x"}) {
    SCOPED_TRACE(bad);
    EXPECT_THROW(record::check_spec(bad), std::invalid_argument);
  }
  for (const char* good : {"(I2)", " ( I2 , 3X , F8.2 ) ", "(1XA45)", "(/)", "()", "('A''B')", "(1PE23.15)",
                           "(I4.1)", "(2(I2,'/'))", "(3H'',I1)"}) {
    SCOPED_TRACE(good);
    EXPECT_NO_THROW(record::check_spec(good));
  }
}

TEST(Render, MismatchedItemIsAnError) {
  EXPECT_THROW(record::render("(I3)", {1.0f}), std::invalid_argument);
  EXPECT_THROW(record::render("(F6.1)", {std::int16_t{1}}), std::invalid_argument);
  EXPECT_THROW(record::render("(A3)", {std::int16_t{1}}), std::invalid_argument);
  // Items left over with nothing to take them.
  EXPECT_THROW(record::render("(I3,('x'))", {std::int16_t{1}, std::int16_t{2}}), std::invalid_argument);
}

}  // namespace
