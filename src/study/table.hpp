#pragma once
// A table of results: printed aligned on the terminal, written as CSV with
// a header row naming each column and its unit.

#include <string>
#include <vector>

namespace study {

struct Column {
  std::string name;
  std::string unit;  // empty for a column without a unit
  bool text = false; // left-aligned words, quoted in CSV when needed
};

struct Cell {
  std::string shown;  // as printed on the terminal
  std::string csv;    // as written to CSV (numbers in full: they read back to the same float)
};

class Table {
 public:
  explicit Table(std::vector<Column> columns) : columns_(std::move(columns)) {}

  void add_row(std::vector<Cell> row);  // one cell per column
  static Cell text(const std::string& s) { return {s, s}; }
  static Cell number(float v, int decimals);
  static Cell count(long long n);

  const std::vector<Column>& columns() const { return columns_; }
  const std::vector<std::vector<Cell>>& rows() const { return rows_; }

  // Names on one line, units in brackets on the next, then the rows; every
  // column as wide as its widest entry, numbers right-aligned.
  std::string aligned() const;
  // "name (unit)" headers, CRLF line ends as tesk31-plot writes them.
  std::string csv() const;

 private:
  std::vector<Column> columns_;
  std::vector<std::vector<Cell>> rows_;
};

// The shortest decimal text that reads back to exactly this float.
std::string round_trip_text(float value);

}  // namespace study
