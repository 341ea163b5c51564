// Rendering of fields and of whole write statements.

#include "format/render.hpp"

#include <charconv>
#include <cmath>
#include <stdexcept>

#include "format/decimal.hpp"

namespace record::detail {
namespace {

// Room for the 39 integer digits of the largest float, a point and the
// widest decimal count a specification may give.
constexpr std::size_t kDigitBuffer = 320;

void stars(std::string& out, std::uint32_t w) { out.append(w, '*'); }

// NaN and the infinities, the same in F and E fields.
void put_special(std::string& out, float value, std::uint32_t w) {
  if (std::isnan(value)) {
    if (w < 3) return stars(out, w);
    out.append(w - 3, ' ');
    out.append("NaN");
    return;
  }
  const bool negative = std::signbit(value);
  const std::uint32_t sign = negative ? 1 : 0;
  if (w < 3 + sign) return stars(out, w);
  std::string_view word = w >= 8 + sign ? "Infinity" : "Inf";
  out.append(w - sign - word.size(), ' ');
  if (negative) out += '-';
  out.append(word);
}

// Appends E, the exponent's sign and two digits; three-digit exponents
// drop the letter.
void put_exponent_part(std::string& out, int exponent) {
  const char sign = exponent < 0 ? '-' : '+';
  const int magnitude = exponent < 0 ? -exponent : exponent;
  if (magnitude <= 99) {
    out += 'E';
    out += sign;
    out += static_cast<char>('0' + magnitude / 10);
    out += static_cast<char>('0' + magnitude % 10);
  } else {
    out += sign;
    out += static_cast<char>('0' + magnitude / 100);
    out += static_cast<char>('0' + magnitude / 10 % 10);
    out += static_cast<char>('0' + magnitude % 10);
  }
}

int parse_exponent(const char* p, const char* end) {
  int exponent = 0;
  std::from_chars(*p == '+' ? p + 1 : p, end, exponent);
  return exponent;
}

}  // namespace

void put_int(std::string& out, std::int64_t value, std::uint32_t w, std::uint32_t m, bool has_m) {
  char digits[24];
  const bool negative = value < 0;
  std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  auto r = std::to_chars(digits, digits + sizeof digits, magnitude);
  std::size_t count = static_cast<std::size_t>(r.ptr - digits);
  if (has_m && m == 0 && value == 0) count = 0;  // Iw.0 of zero: all blanks
  const std::size_t shown = has_m && m > count ? m : count;
  const std::size_t length = shown + (negative ? 1 : 0);
  if (length > w) return stars(out, w);
  out.append(w - length, ' ');
  if (negative) out += '-';
  out.append(shown - count, '0');
  out.append(digits, count);
}

void put_fixed(std::string& out, float value, std::uint32_t w, std::uint32_t d) {
  if (!std::isfinite(value)) return put_special(out, value, w);
  const bool negative = std::signbit(value);
  char buf[kDigitBuffer];
  // The exact binary value rounded to d places, ties to even.
  const char* end = fixed_chars(buf, buf + sizeof buf, std::fabs(value), static_cast<int>(d));
  const std::size_t total = static_cast<std::size_t>(end - buf);
  const std::size_t int_digits = d > 0 ? total - d - 1 : total;
  std::size_t skip = 0;  // leading digits left out
  std::size_t length = (negative ? 1 : 0) + int_digits + 1 + d;
  if (length > w && int_digits == 1 && buf[0] == '0' && d > 0) {
    skip = 1;  // the optional zero before the point; a field keeps at least one digit
    --length;
  }
  if (length > w) return stars(out, w);
  out.append(w - length, ' ');
  if (negative) out += '-';
  out.append(buf + skip, int_digits - skip);
  out += '.';
  if (d > 0) out.append(buf + int_digits + 1, d);
}

void put_exponent(std::string& out, float value, std::uint32_t w, std::uint32_t d, std::uint32_t scale) {
  if (!std::isfinite(value)) return put_special(out, value, w);
  const bool negative = std::signbit(value);
  const float magnitude = std::fabs(value);
  const std::uint32_t significant = scale == 1 ? d + 1 : d;
  if (significant == 0) return stars(out, w);
  char buf[kDigitBuffer];
  const char* end = scientific_chars(buf, buf + sizeof buf, magnitude, static_cast<int>(significant - 1));
  // buf: D[.ddd]e±XX
  const char* e = buf;
  while (*e != 'e') ++e;
  int exponent = parse_exponent(e + 1, end);
  const char* fraction = significant > 1 ? buf + 2 : buf;  // digits after the first
  if (scale == 1) {
    const std::size_t length = (negative ? 1 : 0) + 2 + d + 4;
    if (length > w) return stars(out, w);
    out.append(w - length, ' ');
    if (negative) out += '-';
    out += buf[0];
    out += '.';
    out.append(fraction, d);
  } else {
    if (magnitude != 0) ++exponent;  // 0.ddd form
    std::size_t length = (negative ? 1 : 0) + 2 + d + 4;
    bool zero = true;
    if (length > w) {
      zero = false;
      --length;
    }
    if (length > w) return stars(out, w);
    out.append(w - length, ' ');
    if (negative) out += '-';
    if (zero) out += '0';
    out += '.';
    out += buf[0];
    out.append(fraction, d - 1);
  }
  put_exponent_part(out, exponent);
}

void put_chars(std::string& out, std::string_view value, std::uint32_t w) {
  if (w == 0) {
    out.append(value);
  } else if (value.size() >= w) {
    out.append(value.substr(0, w));
  } else {
    out.append(w - value.size(), ' ');
    out.append(value);
  }
}

namespace {

class Statement {
 public:
  Statement(std::span<const Item> items, std::string& out, std::vector<std::string>* records)
      : items_(items), out_(out), records_(records), record_start_(out.size()) {}

  void run(const Spec& spec, bool leave_open) {
    const auto& el = spec.elements;
    struct Level {
      std::size_t start;
      std::uint32_t left;
    };
    Level stack[16];
    std::size_t depth = 0;
    std::size_t used_at_pass = 0;
    std::size_t i = 0;
    for (;;) {
      if (i == el.size()) {
        if (next_ == items_.size()) break;
        // Format reversion; a pass that takes no item would never end.
        if (next_ == used_at_pass) throw std::invalid_argument("format specification has no data element for the items");
        used_at_pass = next_;
        end_record();
        i = spec.reversion;
        depth = 0;
        continue;
      }
      const Element& e = el[i];
      switch (e.op) {
        case Op::GroupStart:
          stack[depth++] = Level{i, e.repeat};
          ++i;
          continue;
        case Op::GroupEnd:
          if (--stack[depth - 1].left > 0) {
            i = stack[depth - 1].start + 1;
          } else {
            --depth;
            ++i;
          }
          continue;
        case Op::Text:
          for (std::uint32_t r = 0; r < e.repeat; ++r) {
            place();
            out_.append(e.text);
            wrote();
          }
          break;
        case Op::Skip:
          position_ += e.w;
          break;
        case Op::Slash:
          for (std::uint32_t r = 0; r < e.repeat; ++r) end_record();
          break;
        case Op::Scale:
          scale_ = e.w;
          break;
        default:
          for (std::uint32_t r = 0; r < e.repeat; ++r) {
            if (next_ == items_.size()) return finish(leave_open);
            place();
            field(e, items_[next_], next_ + 1);
            ++next_;
          }
          break;
      }
      ++i;
    }
    finish(leave_open);
  }

 private:
  // Materialises skipped positions before something is written.
  void place() {
    const std::size_t at = record_start_ + position_;
    if (out_.size() < at) out_.append(at - out_.size(), ' ');
  }
  void wrote() { position_ = out_.size() - record_start_; }

  void field(const Element& e, const Item& item, std::size_t number) {
    switch (e.op) {
      case Op::Int:
        if (auto* v16 = std::get_if<std::int16_t>(&item)) {
          put_int(out_, *v16, e.w, e.d, e.has_m);
        } else if (auto* v32 = std::get_if<std::int32_t>(&item)) {
          put_int(out_, *v32, e.w, e.d, e.has_m);
        } else {
          mismatch(number, "I");
        }
        break;
      case Op::Fixed:
        if (auto* f = std::get_if<float>(&item)) {
          put_fixed(out_, *f, e.w, e.d);
        } else {
          mismatch(number, "F");
        }
        break;
      case Op::Exponent:
        if (auto* f = std::get_if<float>(&item)) {
          put_exponent(out_, *f, e.w, e.d, scale_);
        } else {
          mismatch(number, "E");
        }
        break;
      default:
        if (auto* s = std::get_if<std::string_view>(&item)) {
          put_chars(out_, *s, e.w);
        } else {
          mismatch(number, "A");
        }
        break;
    }
    wrote();
  }

  [[noreturn]] static void mismatch(std::size_t number, const char* descriptor) {
    throw std::invalid_argument("item " + std::to_string(number) + " does not suit the " + descriptor +
                                " element");
  }

  void end_record() {
    if (records_) {
      records_->emplace_back(out_, record_start_);
      out_.resize(record_start_);
    } else {
      out_.append("\r\n");
      record_start_ = out_.size();
    }
    position_ = 0;
  }

  void finish(bool leave_open) {
    if (!leave_open || records_) end_record();
  }

  std::span<const Item> items_;
  std::string& out_;
  std::vector<std::string>* records_;
  std::size_t record_start_;
  std::size_t position_ = 0;
  std::size_t next_ = 0;
  std::uint32_t scale_ = 0;
};

}  // namespace

void render_statement(const Spec& spec, std::span<const Item> items, std::string& out,
                      std::vector<std::string>* records, bool leave_open) {
  Statement(items, out, records).run(spec, leave_open);
}

}  // namespace record::detail

namespace record {

std::vector<std::string> render(std::string_view spec, std::span<const Item> items) {
  std::vector<std::string> records;
  std::string scratch;
  detail::render_statement(detail::cached_spec(spec), items, scratch, &records, false);
  return records;
}

}  // namespace record
