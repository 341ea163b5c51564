#include "svg/placement.hpp"

#include <algorithm>

namespace svg {

namespace {

// Advance widths of the printable ASCII characters, in thousandths of an
// em, of DejaVu Sans (the pictures' first font; Arial is a little narrower).
constexpr unsigned short advance[95] = {
    318, 401, 460, 838, 636, 950, 780, 275, 390, 390, 500, 838, 318, 361, 318, 337,  //  !"#$%&'()*+,-./
    636, 636, 636, 636, 636, 636, 636, 636, 636, 636, 337, 337, 838, 838, 838, 531,  // 0-9 :;<=>?
    1000, 684, 686, 698, 770, 632, 575, 775, 752, 295, 295, 656, 557, 863, 748, 787,  // @A-O
    603, 787, 695, 635, 611, 732, 684, 989, 685, 611, 685, 390, 337, 390, 838, 500,   // P-Z [\]^_
    500, 613, 635, 550, 635, 615, 352, 635, 634, 278, 278, 579, 278, 974, 634, 612,   // `a-o
    635, 635, 411, 521, 392, 634, 592, 818, 592, 592, 525, 636, 337, 636, 838};       // p-z {|}~

}  // namespace

double text_width(std::string_view markup, double font_size, bool bold) {
  double ems = 0;
  for (std::size_t i = 0; i < markup.size(); ++i) {
    const auto byte = static_cast<unsigned char>(markup[i]);
    if (markup[i] == '&') {
      const std::size_t end = markup.find(';', i);
      if (end != std::string_view::npos) i = end;
      ems += 0.636;  // an entity: one character (&#181; is the micro sign)
    } else if (byte >= 0x20 && byte < 0x7f) {
      ems += advance[byte - 0x20] / 1000.0;
    } else if ((byte & 0xC0) != 0x80) {
      ems += 0.636;  // a character beyond ASCII, counted at its first byte
    }
  }
  // The bold face is about a tenth wider.
  return ems * font_size * (bold ? 1.1 : 1.0);
}

namespace {

// Where the segment's part inside the box's band of x lies: the
// Liang-Barsky clip of the segment by the box.
bool clipped(double p, double q, double& t0, double& t1) {
  if (p == 0) return q >= 0;
  const double r = q / p;
  if (p < 0) {
    if (r > t1) return false;
    t0 = std::max(t0, r);
  } else {
    if (r < t0) return false;
    t1 = std::min(t1, r);
  }
  return true;
}

}  // namespace

bool meets(const Rect& box, const Point& a, const Point& b) {
  const double dx = b.first - a.first, dy = b.second - a.second;
  double t0 = 0, t1 = 1;
  return clipped(-dx, a.first - box.x, t0, t1) && clipped(dx, box.right() - a.first, t0, t1) &&
         clipped(-dy, a.second - box.y, t0, t1) && clipped(dy, box.bottom() - a.second, t0, t1) && t0 <= t1;
}

bool meets(const Rect& box, const Run& line) {
  if (line.size() == 1) return meets(box, line[0], line[0]);
  for (std::size_t k = 1; k < line.size(); ++k)
    if (meets(box, line[k - 1], line[k])) return true;
  return false;
}

bool overlap(const Rect& a, const Rect& b) {
  return a.x < b.right() && b.x < a.right() && a.y < b.bottom() && b.y < a.bottom();
}

bool Obstacles::clear(const Rect& box, const Rect& within) const {
  if (box.x < within.x || box.y < within.y || box.right() > within.right() || box.bottom() > within.bottom())
    return false;
  for (const Rect& other : boxes)
    if (overlap(box, other)) return false;
  for (const Run& line : lines)
    if (meets(box, line)) return false;
  return true;
}

}  // namespace svg
