#pragma once
// The report pages of the print file, one writer per report. Each computes
// its values through the routines, point by point, as it writes the lines.
#include "format/record.hpp"
#include "model/problem_data.hpp"

// The rain and fair pages of the audible noise report.
void print_audible_noise_report(Problem& problem, record::Writer& print, record::Writer& console);
// The rain and fair pages of the radio interference report.
void print_radio_report(Problem& problem, record::Writer& print, record::Writer& console);
// The television interference page.
void print_tv_report(Problem& problem, record::Writer& print, record::Writer& console);
// The ozone page: conductor table and the concentration grid.
void print_ozone_report(Problem& problem, record::Writer& print, record::Writer& console);
// The corona loss section: a console line only.
void print_corona_loss_report(record::Writer& console);
// The electric field page.
void print_electric_field_report(Problem& problem, record::Writer& print, record::Writer& console);
// The magnetic field page.
void print_magnetic_field_report(Problem& problem, record::Writer& print, record::Writer& console);
