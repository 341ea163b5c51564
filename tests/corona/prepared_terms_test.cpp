// The radio and TV pages work out a group's terms once for a line, a
// point's once for all frequencies and a frequency's once for all points.
// Swept in that order over the tables, every level must equal, bit for
// bit, the level of the one-call routine at that point and frequency, on
// lines with the awkward groups too: a negative pole, a gradient of zero
// or not a number, a point at the bundle itself, a point far out.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "bundle_line.hpp"
#include "corona/radio.hpp"
#include "corona/tv.hpp"

namespace {

constexpr real nan = std::numeric_limits<real>::quiet_NaN();

const Inputs lines[] = {
    line_of({{true, 3, 30, 17, -12.0f}, {true, 3, 30, 18, 0.0f}, {false, 2, 40, 20, 8.0f},
             {false, 2, 40, -20, 16.0f}},
            2.0f, 0.0f),
    line_of({{true, 1, 30, 0, 0.0f, 10.0f}, {true, 4, 25, nan, 5.0f}, {false, 1, 30, 0, -5.0f}}, 10.0f, 0.0f),
};
const real points[] = {-3000.0f, -12.0f, 0.0f, 0.5f, 16.0f, 250.0f};

bool same_bits(real a, real b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(PreparedTerms, RadioSweepMatchesOneCallAtEveryPointAndFrequency) {
  for (const Inputs& line : lines) {
    Inputs in = line;
    RadioGroupTerms groups;
    radio_generation_terms(in, groups);
    for (const bool rain : {true, false}) {
      in.rainflag = rain;
      for (const real x : points) {
        in.xpoint = x;
        radio_distance_terms(in, groups);
        for (const real f : freqtab) {
          in.evalfreq = f;
          Outputs swept, one_call;
          ztradio_with_terms(in, groups, radio_frequency_terms(f), swept);
          ztradio(in, one_call);
          EXPECT_TRUE(same_bits(swept.radio.ril50, one_call.radio.ril50)) << x << " m, " << f << " MHz";
          for (int i = 0; i < in.nphases; ++i)
            EXPECT_TRUE(same_bits(swept.radio.ricond[i], one_call.radio.ricond[i]))
                << "group " << i + 1 << ", " << x << " m, " << f << " MHz";
        }
      }
    }
  }
}

TEST(PreparedTerms, TvSweepMatchesOneCallAtEveryPointAndFrequency) {
  for (const Inputs& line : lines) {
    Inputs in = line;
    in.rainflag = true;
    TvGroupTerms groups;
    tv_generation_terms(in, groups);
    for (const real x : points) {
      in.xpoint = x;
      tv_distance_terms(in, groups);
      // The table, and low frequencies whose transition distance falls
      // short of the reference distance.
      for (const real f : {30.0f, 75.0f, 1000.0f, 1.0f, 5.0f}) {
        in.evalfreq = f;
        Outputs swept, one_call;
        zttv_with_terms(in, groups, tv_frequency_terms(f), swept);
        zttv(in, one_call);
        EXPECT_TRUE(same_bits(swept.tv.tvl50, one_call.tv.tvl50)) << x << " m, " << f << " MHz";
        for (int i = 0; i < in.nphases; ++i)
          EXPECT_TRUE(same_bits(swept.tv.tvcond[i], one_call.tv.tvcond[i]))
              << "group " << i + 1 << ", " << x << " m, " << f << " MHz";
      }
    }
  }
}

}  // namespace
