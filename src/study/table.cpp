#include "study/table.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <stdexcept>

#include "study/quantity.hpp"

namespace study {

std::string round_trip_text(float value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value > 0 ? "Infinity" : "-Infinity";
  char buffer[64];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  if (ec != std::errc()) return "NaN";
  return std::string(buffer, end);
}

Cell Table::number(float v, int decimals) { return {fixed(v, decimals), round_trip_text(v)}; }

Cell Table::count(long long n) { return {std::to_string(n), std::to_string(n)}; }

void Table::add_row(std::vector<Cell> row) {
  if (row.size() != columns_.size()) throw std::logic_error("table row of the wrong width");
  rows_.push_back(std::move(row));
}

std::string Table::aligned() const {
  std::vector<std::size_t> width(columns_.size());
  for (std::size_t c = 0; c < columns_.size(); ++c) {
    width[c] = std::max(columns_[c].name.size(), columns_[c].unit.empty() ? 0 : columns_[c].unit.size() + 2);
    for (const auto& row : rows_) width[c] = std::max(width[c], row[c].shown.size());
  }
  auto line = [&](auto&& cell_text) {
    std::string out;
    for (std::size_t c = 0; c < columns_.size(); ++c) {
      std::string s = cell_text(c);
      std::string pad(width[c] - s.size(), ' ');
      if (c) out += "  ";
      out += columns_[c].text ? s + pad : pad + s;
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out + '\n';
  };
  std::string out = line([&](std::size_t c) { return columns_[c].name; });
  out += line([&](std::size_t c) { return columns_[c].unit.empty() ? std::string() : "(" + columns_[c].unit + ")"; });
  for (const auto& row : rows_) out += line([&](std::size_t c) { return row[c].shown; });
  return out;
}

namespace {

std::string csv_field(const std::string& s) {
  if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
  std::string out = "\"";
  for (char ch : s) {
    if (ch == '"') out += '"';
    out += ch;
  }
  return out + '"';
}

}  // namespace

std::string Table::csv() const {
  std::string out;
  for (std::size_t c = 0; c < columns_.size(); ++c) {
    if (c) out += ',';
    out += csv_field(columns_[c].unit.empty() ? columns_[c].name : columns_[c].name + " (" + columns_[c].unit + ")");
  }
  out += "\r\n";
  for (const auto& row : rows_) {
    for (std::size_t c = 0; c < row.size(); ++c) {
      if (c) out += ',';
      out += csv_field(row[c].csv);
    }
    out += "\r\n";
  }
  return out;
}

}  // namespace study
