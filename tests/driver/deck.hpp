#pragma once
// Data files built record by record for the driver tests.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "driver/data_file.hpp"
#include "model/problem_data.hpp"
#include "driver/run_files.hpp"
#include "support/records.hpp"

namespace deck_test {

inline std::string blanks(std::size_t n) { return std::string(n, ' '); }

// A small valid data file: one AC phase, one earth wire, 21 points.
struct Deck {
  std::string title1 = " TEST LINE";
  std::string title2 = " SECOND TITLE";
  std::string general = " 0,0, 1, 2,0.0,   0.00,   1.00, 300.00";
  std::string options = " NONE";
  std::string heights = "   1.500,  2.000, 10.000,  1.000,  1.000, 75.000,  1.000, 10.000,  1.000";
  std::vector<std::string> groups = {
      " 'PHASE A ','A',    0.00,   15.00, 2,  30.000,  45.000, 303.000,   0.000,   1.000,   0.000",
      " 'EARTH 1 ','D',    0.00,   25.00, 1,  11.000,   0.000,   0.000,   0.000,   0.000,   0.000"};
  std::vector<std::string> points = {"  21,  -50.0,    5.0", "   0,    0.0,    0.0"};

  std::string text() const {
    std::string t = title1 + "\n" + title2 + "\n" + general + "\n" + options + "\n" + heights + "\n";
    for (const auto& g : groups) t += g + "\n";
    for (const auto& p : points) t += p + "\n";
    return t;
  }
};

// Reads a data file held in memory as a run from the command line does,
// with the console answers given, and keeps the problem and every output.
struct Reading {
  Problem problem;
  std::string console_text, print_text, dif_text;
  std::vector<std::string> opened;  // names of the output files opened
  driver::InputOutcome outcome{};

  explicit Reading(const std::string& data, const std::string& answers = "", integer dataopt = 0,
                   const std::string& diffile = "") {
    std::istringstream in(answers);
    record::Writer console = record::Writer::to_string(&console_text);
    record::Reader keyboard = record::Reader::console(in, &console);
    driver::RunFiles files(console, keyboard);
    files.open_output = [this](const std::string& name) {
      opened.push_back(name);
      return driver::OutputFile(record::Writer::to_string(&dif_text));
    };
    files.print = driver::OutputFile(record::Writer::to_string(&print_text));
    files.data = record::Reader::from_string(data, "LINE.DAT");
    set_initial_values(problem);
    problem.run.infile = "LINE.DAT";
    problem.run.prtfile = "NUL";
    problem.run.diffile = diffile;
    problem.run.dataopt = dataopt;
    outcome = driver::read_data_file(problem, files);
  }
  std::vector<std::string> console() const { return support::records(console_text); }
  std::vector<std::string> print() const { return support::records(print_text); }
};

}  // namespace deck_test
