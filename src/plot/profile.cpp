#include "plot/profile.hpp"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <optional>

#include "format/file_system.hpp"

namespace plot {

const std::array<ColumnInfo, column_count> columns = {{
    {"distance", "m"},
    {"AN rain", "dBA"},
    {"AN fair", "dBA"},
    {"RI rain", "dBuV/m"},
    {"RI fair", "dBuV/m"},
    {"TV", "dBuV/m"},
    {"OZ", "ppb"},
    {"EF", "kV/m"},
    {"MF", "G"},
}};

bool is_gap(float value) {
  return !std::isfinite(value) || value == -999.9f || value <= -9999.0f;
}

bool ozone_without_wind(const Profile& profile) {
  bool unknown = false;
  for (const Row& row : profile.rows) {
    if (std::isnan(row[ozone])) {
      unknown = true;
    } else if (row[ozone] != 0) {
      return false;
    }
  }
  return unknown;
}

namespace {

// A tesk31 table is at most a few tens of kilobytes; anything far larger is
// not one, and is refused before it is read into memory.
constexpr std::size_t largest_file = 16u << 20;

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// A record as it may be shown in a message: printable, and short.
std::string shown(std::string_view s) {
  std::string out = "\"";
  std::size_t n = 0;
  for (unsigned char c : s) {
    if (++n > 40) {
      out += "...";
      break;
    }
    if (c >= 0x20 && c < 0x7f) {
      out += static_cast<char>(c);
    } else {
      static const char hex[] = "0123456789abcdef";
      out += "\\x";
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out + "\"";
}

std::optional<long> parse_integer(std::string_view s) {
  s = trim(s);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  long v = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (s.empty() || ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return v;
}

// A number of the data section: a decimal or E-form value, "NaN",
// "Infinity"/"Inf" with their signs, or a field of asterisks (a value too
// wide for its field, unknown).
std::optional<float> parse_value(std::string_view s) {
  s = trim(s);
  if (s.empty()) return std::nullopt;
  if (s.find_first_not_of('*') == std::string_view::npos) return std::numeric_limits<float>::quiet_NaN();
  std::string_view body = s;
  bool negative = false;
  if (body.front() == '+' || body.front() == '-') {
    negative = body.front() == '-';
    body.remove_prefix(1);
  }
  if (body.empty() || body.front() == '+' || body.front() == '-') return std::nullopt;
  double v = 0;
  auto [end, ec] = std::from_chars(body.data(), body.data() + body.size(), v);
  if (end != body.data() + body.size()) return std::nullopt;
  if (ec == std::errc::result_out_of_range) {
    // Beyond the double range: an overflow is an infinity, an underflow zero.
    std::string text(body);
    v = std::strtod(text.c_str(), nullptr);
  } else if (ec != std::errc()) {
    return std::nullopt;
  }
  if (negative) v = -v;
  if (std::isfinite(v) && std::fabs(v) > std::numeric_limits<float>::max())
    return v > 0 ? std::numeric_limits<float>::infinity() : -std::numeric_limits<float>::infinity();
  return static_cast<float>(v);
}

class Reader {
 public:
  Reader(std::string text, const std::string& name) : text_(std::move(text)), name_(name) {}

  Profile read() {
    std::optional<std::string_view> first = next();
    if (!first) fail_file("empty file, not a DIF file");
    if (trim(*first) != "TABLE") fail("not a DIF file: the first record is " + shown(*first) + ", not TABLE");
    header_numbers("TABLE");
    skip_string();

    std::optional<long> vectors;
    std::optional<long> tuples;
    for (;;) {
      std::string_view topic = trim(need("the DATA record of the header"));
      if (topic == "DATA") {
        header_numbers("DATA");
        skip_string();
        break;
      }
      std::size_t topic_record = record_;
      long count = header_numbers(topic);
      skip_string();
      if (topic == "VECTORS") {
        vectors = count;
        if (count != static_cast<long>(column_count))
          fail_at(topic_record, "the table has " + std::to_string(count) + " vectors, expected 9");
      } else if (topic == "TUPLES") {
        tuples = count;
        tuples_record_ = topic_record;
      }
    }
    if (!vectors) fail("the header has no VECTORS entry");

    Profile profile;
    Row row{};
    std::size_t in_row = 0;
    std::size_t row_record = 0;
    bool open = false;
    auto close_row = [&] {
      if (!open) return;
      if (in_row != column_count)
        fail_at(row_record, "tuple " + std::to_string(profile.rows.size() + 1) + " has " + std::to_string(in_row) +
                                " values, expected 9");
      profile.rows.push_back(row);
    };
    for (;;) {
      std::string_view numbers = need("the end-of-data record (EOD)");
      std::size_t numbers_record = record_;
      std::size_t comma = numbers.find(',');
      std::optional<long> type = parse_integer(numbers.substr(0, comma));
      if (comma == std::string_view::npos || !type)
        fail("expected a data value \"type,number\", found " + shown(numbers));
      std::string_view rest = numbers.substr(comma + 1);
      std::string_view label = trim(need("the end-of-data record (EOD)"));
      if (*type == -1) {
        if (label == "BOT") {
          close_row();
          open = true;
          in_row = 0;
          row_record = numbers_record;
        } else if (label == "EOD") {
          close_row();
          break;
        } else {
          fail("expected BOT or EOD, found " + shown(label));
        }
      } else if (*type == 0) {
        if (!open) fail_at(numbers_record, "a value outside a tuple (no BOT before it)");
        std::optional<float> value;
        if (label == "V") {
          value = parse_value(rest);
          if (!value) fail_at(numbers_record, "bad number " + shown(trim(rest)));
        } else if (label == "NA" || label == "ERROR") {
          value = std::numeric_limits<float>::quiet_NaN();
        } else {
          fail("expected V after a number, found " + shown(label));
        }
        if (in_row == column_count)
          fail_at(row_record, "tuple " + std::to_string(profile.rows.size() + 1) + " has more than 9 values");
        row[in_row++] = *value;
      } else if (*type == 1) {
        fail_at(numbers_record, "a text value where a number belongs");
      } else {
        fail_at(numbers_record, "unknown data type " + std::to_string(*type));
      }
    }
    if (tuples && *tuples != static_cast<long>(profile.rows.size()))
      fail_at(tuples_record_, "the header announces " + std::to_string(*tuples) + " tuples, the data holds " +
                                  std::to_string(profile.rows.size()));
    return profile;
  }

 private:
  // The next record, without its line end; nothing at the end of the text.
  std::optional<std::string_view> next() {
    if (pos_ >= text_.size()) return std::nullopt;
    std::size_t end = text_.find('\n', pos_);
    std::string_view rec;
    if (end == std::string::npos) {
      rec = std::string_view(text_).substr(pos_);
      pos_ = text_.size();
    } else {
      rec = std::string_view(text_).substr(pos_, end - pos_);
      pos_ = end + 1;
    }
    if (!rec.empty() && rec.back() == '\r') rec.remove_suffix(1);
    ++record_;
    return rec;
  }

  std::string_view need(const std::string& what) {
    std::optional<std::string_view> rec = next();
    if (!rec)
      fail_file("truncated: the file ends after record " + std::to_string(record_) + ", before " + what);
    return *rec;
  }

  // The "v,n" record of a header entry; returns n.
  long header_numbers(std::string_view topic) {
    std::string_view rec = need("the end of the " + std::string(topic) + " entry");
    std::size_t comma = rec.find(',');
    std::optional<long> v = parse_integer(rec.substr(0, comma));
    std::optional<long> n = comma == std::string_view::npos ? std::nullopt : parse_integer(rec.substr(comma + 1));
    if (!v || !n)
      fail("expected two numbers \"v,n\" in the " + std::string(topic) + " entry, found " + shown(rec));
    return *n;
  }

  void skip_string() { need("the end of the header entry"); }

  [[noreturn]] void fail(const std::string& message) { fail_at(record_, message); }
  [[noreturn]] void fail_at(std::size_t record, const std::string& message) {
    throw InputError(name_ + ", record " + std::to_string(record) + ": " + message);
  }
  [[noreturn]] void fail_file(const std::string& message) { throw InputError(name_ + ": " + message); }

  std::string text_;
  std::string name_;
  std::size_t pos_ = 0;
  std::size_t record_ = 0;
  std::size_t tuples_record_ = 0;
};

}  // namespace

Profile read_dif(std::istream& in, const std::string& name) {
  std::string text;
  char buffer[8192];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    text.append(buffer, static_cast<std::size_t>(in.gcount()));
    if (text.size() > largest_file) throw InputError(name + ": too large for a DIF table of lateral points");
  }
  if (in.bad()) throw InputError(name + ": read error");
  return Reader(std::move(text), name).read();
}

Profile read_dif_file(const std::string& path) {
  std::error_code ec;
  if (std::filesystem::is_directory(record::file_path(path), ec)) throw InputError(path + ": is a directory, not a DIF file");
  std::ifstream in;
  try {
    in = record::input_stream(path);
  } catch (const record::FileError& e) {
    throw InputError(e.what());
  }
  if (!in) {
    int e = errno;
    throw InputError(path + ": cannot open (" + (e ? std::strerror(e) : "unknown reason") + ")");
  }
  return read_dif(in, path);
}

}  // namespace plot
