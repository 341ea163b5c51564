#pragma once
// Field renderers and the statement renderer shared by render() and the
// writers.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "format/record.hpp"
#include "format/spec.hpp"

namespace record::detail {

// Each appends exactly w bytes (Aw with w = 0: the string's length).
void put_int(std::string& out, std::int64_t value, std::uint32_t w, std::uint32_t m, bool has_m);
void put_fixed(std::string& out, float value, std::uint32_t w, std::uint32_t d);
void put_exponent(std::string& out, float value, std::uint32_t w, std::uint32_t d, std::uint32_t scale);
void put_chars(std::string& out, std::string_view value, std::uint32_t w);

// Renders one statement, appending its bytes to `out`. With `records` null
// every record but an open last one (`leave_open`) ends with CR LF in
// `out`; otherwise each finished record is moved into *records and `out`
// holds nothing of the statement afterwards.
void render_statement(const Spec& spec, std::span<const Item> items, std::string& out,
                      std::vector<std::string>* records, bool leave_open);

}  // namespace record::detail
