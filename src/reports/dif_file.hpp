#pragma once
// The DIF table of the combined report: a header naming 9 vectors and the
// tuple count, one tuple per lateral point written value by value as the
// point is computed, and the end-of-data trailer. Every string entry is
// empty; the table carries numbers only.

#include "model/problem_data.hpp"
#include "format/record.hpp"

namespace dif {

inline constexpr int vectors = 9;  // values in every tuple

// TABLE, VECTORS, TUPLES and DATA entries: twelve records.
void write_header(record::Writer& dif, integer tuples);
// Beginning of a tuple: -1,0 and BOT.
void write_tuple_start(record::Writer& dif);
// One numeric value of the current tuple: 0,value and V.
void write_value(record::Writer& dif, real value);
// End of data: -1,0 and EOD.
void write_trailer(record::Writer& dif);

}  // namespace dif
