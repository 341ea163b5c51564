#include "reports/dif_file.hpp"

namespace dif {

void write_header(record::Writer& dif, integer tuples) {
  dif.write("('TABLE')");
  dif.write("(I1,',',I1)", {integer{0}, integer{1}});
  dif.write("('\"\"')");
  dif.write("('VECTORS')");
  dif.write("(I1,',',I1)", {integer{0}, integer{vectors}});
  dif.write("('\"\"')");
  dif.write("('TUPLES')");
  dif.write("(I1,',',I3)", {integer{0}, tuples});
  dif.write("('\"\"')");
  dif.write("('DATA')");
  dif.write("(I1,',',I1)", {integer{0}, integer{0}});
  dif.write("('\"\"')");
}

void write_tuple_start(record::Writer& dif) {
  dif.write("(I2,',',I1)", {integer{-1}, integer{0}});
  dif.write("('BOT')");
}

void write_value(record::Writer& dif, real value) {
  dif.write("(I1,',',1PE23.15)", {integer{0}, value});
  dif.write("('V')");
}

void write_trailer(record::Writer& dif) {
  dif.write("(I2,',',I1)", {integer{-1}, integer{0}});
  dif.write("('EOD')");
}

}  // namespace dif
