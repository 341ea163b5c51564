#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <functional>
#include <string>

#include "bundle_line.hpp"
#include "corona/audible_noise.hpp"
#include "corona/radio.hpp"
#include "corona/tv.hpp"

namespace {

// Each routine writes its own result region, and there only the elements of
// the energized groups: byte for byte, the rest of the results stands.
struct Routine {
  std::string name;
  std::function<void(const Inputs&, Outputs&)> call;
  std::size_t begin;      // first byte of the region within Outputs
  std::size_t per_group;  // first byte of its group array
};

const Routine routines[] = {
    {"ztaudio", ztaudio, offsetof(Outputs, audible), offsetof(Outputs, audible) + offsetof(AudibleNoiseResults, ancond)},
    {"ztradio", ztradio, offsetof(Outputs, radio), offsetof(Outputs, radio) + offsetof(RadioResults, ricond)},
    {"zttv", zttv, offsetof(Outputs, tv), offsetof(Outputs, tv) + offsetof(TvResults, tvcond)},
};

TEST(OutputRegions, OnlyTheEnergizedGroupsOfTheOwnRegion) {
  for (const Routine& r : routines) {
    for (const int groups : {0, 3, 12, 50}) {
      Inputs inputs = line_of_copies({true, 3, 30, 17}, groups, 10.0f, 30.0f);
      inputs.rainflag = true;
      inputs.evalfreq = 1.0f;
      Outputs before;
      std::memset(static_cast<void*>(&before), 0x42, sizeof before);
      Outputs after = before;
      r.call(inputs, after);

      const auto* a = reinterpret_cast<const unsigned char*>(&before);
      const auto* b = reinterpret_cast<const unsigned char*>(&after);
      const std::size_t written_end = r.per_group + sizeof(real) * static_cast<std::size_t>(groups);
      for (std::size_t k = 0; k < sizeof(Outputs); ++k) {
        const bool total = k >= r.begin && k < r.per_group;
        const bool group_level = k >= r.per_group && k < written_end;
        if (!total && !group_level) {
          ASSERT_EQ(a[k], b[k]) << r.name << ", " << groups << " groups, byte " << k;
        }
      }
      EXPECT_NE(std::memcmp(a + r.begin, b + r.begin, r.per_group - r.begin), 0) << r.name << " total";
    }
  }
}

}  // namespace
