#pragma once
// The report pages of the print file, one writer per report. Each computes
// its values through the routines, point by point, as it writes the lines.
#include <vector>

#include "format/record.hpp"
#include "model/problem_data.hpp"

// Values the pages work out at each lateral point, kept for the combined
// report, which would otherwise call the same routine with the same inputs
// again: between the pages and that report only the point, the height, the
// frequency and the weather change, and these routines read no more than
// the point, the height and (audible noise) the weather, set alike in both.
// A list stays empty when its page is not printed.
struct PageValues {
  std::vector<real> an_rain, an_fair;  // L50, dB(A), at the audible noise height
  std::vector<real> electric;          // largest field, kV/m, at the electric field height
  std::vector<real> magnetic;          // largest field, gauss, at the magnetic field height
};

// The rain and fair pages of the audible noise report.
void print_audible_noise_report(Problem& problem, record::Writer& print, record::Writer& console,
                                PageValues* keep = nullptr);
// The rain and fair pages of the radio interference report.
void print_radio_report(Problem& problem, record::Writer& print, record::Writer& console);
// The television interference page.
void print_tv_report(Problem& problem, record::Writer& print, record::Writer& console);
// The ozone page: conductor table and the concentration grid.
void print_ozone_report(Problem& problem, record::Writer& print, record::Writer& console);
// The corona loss section: a console line only.
void print_corona_loss_report(record::Writer& console);
// The electric field page.
void print_electric_field_report(Problem& problem, record::Writer& print, record::Writer& console,
                                 PageValues* keep = nullptr);
// The magnetic field page.
void print_magnetic_field_report(Problem& problem, record::Writer& print, record::Writer& console,
                                 PageValues* keep = nullptr);
