#include "plot/run_listing.hpp"

#include <filesystem>
#include <fstream>
#include <vector>

#include "cli/text.hpp"
#include "format/file_system.hpp"

namespace plot {

namespace {

// The heading, date and title lines come first: a listing that has not
// shown its unit option within this many lines is not one.
constexpr int lines_to_read = 40;

// Titles are Latin-1 bytes; the picture is UTF-8.
std::string utf8_of_latin1(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

}  // namespace

std::optional<RunListing> read_run_listing(std::istream& print) {
  std::vector<std::string> lines;
  std::string line;
  while (static_cast<int>(lines.size()) < lines_to_read && std::getline(print, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  std::size_t at = 0;
  while (at < lines.size() && lines[at].find("INPUT DATA LIST") == std::string::npos) ++at;
  // After the heading: blank lines, the date line, then the two titles.
  ++at;
  while (at < lines.size() && cli::trimmed(lines[at]).empty()) ++at;
  if (at + 2 >= lines.size()) return std::nullopt;
  RunListing listing;
  listing.title = cli::trimmed(lines[at + 1]);
  if (listing.title.empty()) listing.title = cli::trimmed(lines[at + 2]);
  listing.title = utf8_of_latin1(listing.title);
  for (std::size_t i = at + 3; i < lines.size(); ++i) {
    if (lines[i] == " (METRIC UNITS OPTION)") return listing;
    if (lines[i] == " (ENGLISH UNITS OPTION)") {
      listing.english = true;
      return listing;
    }
  }
  return std::nullopt;
}

std::optional<RunListing> listing_beside(const std::string& dif_path) {
  namespace fs = std::filesystem;
  for (const char* extension : {".prt", ".PRT"}) {
    fs::path print = record::file_path(dif_path);
    print.replace_extension(extension);
    std::error_code error;
    if (print == record::file_path(dif_path) || !fs::is_regular_file(print, error)) continue;
    std::ifstream in(print, std::ios::binary);
    if (in) return read_run_listing(in);
  }
  return std::nullopt;
}

}  // namespace plot
