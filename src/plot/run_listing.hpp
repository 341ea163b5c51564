#pragma once
// What the print file of a run tells about its DIF table: the line's title
// and the units of the data file. tesk31 run as `tesk31 LINE.DAT RUN.PRT
// RUN.DIF` leaves the two side by side; the picture takes its default title
// and its units from there.

#include <istream>
#include <optional>
#include <string>

namespace plot {

struct RunListing {
  std::string title;     // the first title line (the second when the first is blank), UTF-8
  bool english = false;  // the data file is in English units: distances in feet
};

// The listing at the head of a print file; none when the text holds no
// input data list with its unit option line.
std::optional<RunListing> read_run_listing(std::istream& print);
// The print file beside a DIF file (RUN.prt or RUN.PRT for RUN.dif), read
// as above; none when there is none or it cannot be read.
std::optional<RunListing> listing_beside(const std::string& dif_path);

}  // namespace plot
