#include "plot/svg_plot.hpp"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <sstream>

#include "plot/axis.hpp"

namespace plot {

namespace {

// Points in order of distance (ties keep their table order), without the
// points whose distance is not a finite number.
std::vector<std::size_t> distance_order(const Profile& profile) {
  std::vector<std::size_t> order;
  for (std::size_t i = 0; i < profile.rows.size(); ++i)
    if (std::isfinite(profile.rows[i][distance])) order.push_back(i);
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return profile.rows[a][distance] < profile.rows[b][distance];
  });
  return order;
}

enum class Marker { circle, square, diamond };

struct SeriesSpec {
  Column column;
  const char* legend;
  const char* unit;     // as shown next to a value
  double scale;         // from the column's unit to the shown unit
  int side;             // 0 left axis, 1 right axis
  const char* colour;
  Marker marker;
  bool dashed;
};

struct PanelSpec {
  const char* title;
  const char* left_label;
  const char* right_label;      // empty: one axis
  const char* right_secondary;  // a second line under the right label
  std::vector<SeriesSpec> series;
};

const char* const blue = "#1f5fa8";
const char* const orange = "#d9730d";
const char* const green = "#2a8a3e";
const char* const purple = "#8a3ea8";
const char* const red = "#c0392b";

const std::vector<PanelSpec>& panels() {
  static const std::vector<PanelSpec> list = {
      {"Audible noise",
       "dB(A)",
       "",
       "",
       {{an_rain, "Rain, L50", "dB(A)", 1, 0, blue, Marker::circle, false},
        {an_fair, "Fair, L50", "dB(A)", 1, 0, orange, Marker::square, true}}},
      {"Radio interference",
       "dB(&#181;V/m)",
       "",
       "",
       {{ri_rain, "Rain, L50", "dB(&#181;V/m)", 1, 0, blue, Marker::circle, false},
        {ri_fair, "Fair, L50", "dB(&#181;V/m)", 1, 0, orange, Marker::square, true}}},
      {"TV interference and ozone",
       "TV, dB(&#181;V/m)",
       "Ozone, ppb",
       "",
       {{tv, "TV interference (left axis)", "dB(&#181;V/m)", 1, 0, green, Marker::circle, false},
        {ozone, "Ozone (right axis)", "ppb", 1, 1, purple, Marker::diamond, true}}},
      {"Electric and magnetic field",
       "Electric field, kV/m",
       "Magnetic field, &#181;T",
       "(1 G = 100 &#181;T)",
       {{electric_field, "Electric field (left axis)", "kV/m", 1, 0, blue, Marker::circle, false},
        {magnetic_field, "Magnetic field (right axis)", "&#181;T", 100, 1, red, Marker::square, true}}},
  };
  return list;
}

// The picture's geometry, in SVG user units.
constexpr double width = 960;
constexpr double left = 96;
constexpr double right = 96;
constexpr double plot_width = width - left - right;
constexpr double first_panel = 78;
constexpr double header = 30;
constexpr double panel_height = 160;
constexpr double panel_gap = 20;
constexpr double panel_step = header + panel_height + panel_gap;
constexpr double label_spacing = 13;

std::string num(double v) { return fixed(v, 1); }

struct Frame {
  Axis x;
  double top;
  double px(double value) const { return left + (value - x.lo) / (x.hi - x.lo) * plot_width; }
  double py(const Axis& y, double value) const { return top + (y.hi - value) / (y.hi - y.lo) * panel_height; }
};

void marker(std::ostringstream& svg, Marker shape, double x, double y, const char* colour) {
  switch (shape) {
    case Marker::circle:
      svg << "<circle cx=\"" << num(x) << "\" cy=\"" << num(y) << "\" r=\"3.2\" fill=\"" << colour << "\"/>";
      break;
    case Marker::square:
      svg << "<rect x=\"" << num(x - 3) << "\" y=\"" << num(y - 3) << "\" width=\"6\" height=\"6\" fill=\"" << colour
          << "\"/>";
      break;
    case Marker::diamond:
      svg << "<path d=\"M" << num(x) << ' ' << num(y - 4) << "l4 4l-4 4l-4 -4z\" fill=\"" << colour << "\"/>";
      break;
  }
}

struct EdgeLabel {
  double y;
  std::string text;
  const char* colour;
};

// Spreads labels that would overlap, keeping them inside [top, bottom].
void spread(std::vector<EdgeLabel>& labels, double top, double bottom) {
  std::sort(labels.begin(), labels.end(), [](const EdgeLabel& a, const EdgeLabel& b) { return a.y < b.y; });
  for (std::size_t i = 1; i < labels.size(); ++i)
    labels[i].y = std::max(labels[i].y, labels[i - 1].y + label_spacing);
  if (!labels.empty() && labels.back().y > bottom) {
    labels.back().y = bottom;
    for (std::size_t i = labels.size() - 1; i-- > 0;) labels[i].y = std::min(labels[i].y, labels[i + 1].y - label_spacing);
  }
  for (auto& label : labels) label.y = std::max(label.y, top);
}

std::string edge_text(const SeriesSpec& s, const Axis& axis, double value) {
  std::string text = axis.label(value * s.scale, 1) + " " + s.unit;
  if (s.column == magnetic_field) text += " (" + fixed(value, axis.decimals + 3) + " G)";
  return text;
}

void draw_panel(std::ostringstream& svg, const Profile& profile, const PanelSpec& panel, const Frame& frame,
                const PlotOptions& options, bool last) {
  const double top = frame.top;
  const double bottom = top + panel_height;
  const double right_end = left + plot_width;

  // One axis per side from the values shown on it.
  Axis axes[2];
  for (int side = 0; side < 2; ++side) {
    double lo = INFINITY, hi = -INFINITY;
    for (const SeriesSpec& s : panel.series) {
      if (s.side != side) continue;
      for (const Row& row : profile.rows) {
        if (!std::isfinite(row[distance]) || is_gap(row[s.column])) continue;
        double v = static_cast<double>(row[s.column]) * s.scale;
        lo = std::min(lo, v);
        hi = std::max(hi, v);
      }
    }
    axes[side] = lo <= hi ? nice_axis(lo, hi) : empty_axis();
  }
  const bool two_axes = panel.right_label[0] != '\0';

  // Title and legend above the frame.
  double header_base = top - 10;
  svg << "<text x=\"" << num(left) << "\" y=\"" << num(header_base)
      << "\" font-size=\"14\" font-weight=\"bold\" fill=\"#222\">" << panel.title << "</text>\n";
  // The legend ends at the frame's right edge (widths estimated from the
  // text length: about 6 units a character at this size).
  std::vector<std::string> texts;
  double legend_width = 0;
  for (const SeriesSpec& s : panel.series) {
    std::size_t gaps = 0;
    for (const Row& row : profile.rows) gaps += is_gap(row[s.column]) ? 1 : 0;
    std::string text = s.legend;
    if (!profile.rows.empty() && gaps == profile.rows.size())
      text += " (not computed)";
    else if (gaps > 0)
      text += " (" + std::to_string(gaps) + " not computed)";
    legend_width += 34 + 6.0 * static_cast<double>(text.size()) + 20;
    texts.push_back(std::move(text));
  }
  double lx = std::max(left + 8.0 * static_cast<double>(std::string_view(panel.title).size()) + 20,
                       right_end - legend_width + 20);
  for (std::size_t k = 0; k < panel.series.size(); ++k) {
    const SeriesSpec& s = panel.series[k];
    svg << "<line x1=\"" << num(lx) << "\" y1=\"" << num(header_base - 4) << "\" x2=\"" << num(lx + 28) << "\" y2=\""
        << num(header_base - 4) << "\" stroke=\"" << s.colour << "\" stroke-width=\"2\""
        << (s.dashed ? " stroke-dasharray=\"6 3\"" : "") << "/>";
    marker(svg, s.marker, lx + 14, header_base - 4, s.colour);
    svg << "<text x=\"" << num(lx + 34) << "\" y=\"" << num(header_base) << "\" font-size=\"12\" fill=\"#222\">"
        << texts[k] << "</text>\n";
    lx += 34 + 6.0 * static_cast<double>(texts[k].size()) + 20;
  }

  // Grid and frame.
  svg << "<g stroke=\"#d8d8d8\" stroke-width=\"1\">";
  for (double t : frame.x.ticks())
    svg << "<line x1=\"" << num(frame.px(t)) << "\" y1=\"" << num(top) << "\" x2=\"" << num(frame.px(t)) << "\" y2=\""
        << num(bottom) << "\"/>";
  const Axis& grid_axis = axes[0].has_data || !axes[1].has_data ? axes[0] : axes[1];
  for (double t : grid_axis.ticks())
    svg << "<line x1=\"" << num(left) << "\" y1=\"" << num(frame.py(grid_axis, t)) << "\" x2=\"" << num(right_end)
        << "\" y2=\"" << num(frame.py(grid_axis, t)) << "\"/>";
  svg << "</g>\n";
  svg << "<rect x=\"" << num(left) << "\" y=\"" << num(top) << "\" width=\"" << num(plot_width) << "\" height=\""
      << num(panel_height) << "\" fill=\"none\" stroke=\"#444\" stroke-width=\"1\"/>\n";

  // Tick labels and axis titles of each side.
  for (int side = 0; side < (two_axes ? 2 : 1); ++side) {
    const Axis& axis = axes[side];
    const char* colour = "#222";
    if (two_axes)
      for (const SeriesSpec& s : panel.series)
        if (s.side == side) colour = s.colour;
    double x = side == 0 ? left : right_end;
    if (axis.has_data) {
      svg << "<g font-size=\"11\" fill=\"" << colour << "\" text-anchor=\"" << (side == 0 ? "end" : "start") << "\">";
      for (double t : axis.ticks()) {
        double y = frame.py(axis, t);
        svg << "<line x1=\"" << num(x) << "\" y1=\"" << num(y) << "\" x2=\"" << num(side == 0 ? x - 4 : x + 4)
            << "\" y2=\"" << num(y) << "\" stroke=\"#444\"/>";
        svg << "<text x=\"" << num(side == 0 ? x - 6 : x + 6) << "\" y=\"" << num(y + 4) << "\">" << axis.label(t)
            << "</text>";
      }
      svg << "</g>\n";
    }
    double tx = side == 0 ? 22 : width - 22;
    double ty = top + panel_height / 2;
    svg << "<text transform=\"translate(" << num(tx) << ' ' << num(ty) << ") rotate(" << (side == 0 ? -90 : 90)
        << ")\" text-anchor=\"middle\" font-size=\"12\" fill=\"" << colour << "\">"
        << (side == 0 ? panel.left_label : panel.right_label) << "</text>\n";
    if (side == 1 && panel.right_secondary[0] != '\0')
      svg << "<text transform=\"translate(" << num(tx - 15) << ' ' << num(ty) << ") rotate(90)\" text-anchor=\"middle\""
          << " font-size=\"10\" fill=\"" << colour << "\">" << panel.right_secondary << "</text>\n";
  }
  if (!axes[0].has_data && !axes[1].has_data)
    svg << "<text x=\"" << num(left + plot_width / 2) << "\" y=\"" << num(top + panel_height / 2)
        << "\" text-anchor=\"middle\" font-size=\"13\" fill=\"#888\">no computed values</text>\n";

  // The lines, broken at gaps, and a marker at every point.
  for (const SeriesSpec& s : panel.series) {
    const Axis& axis = axes[s.side];
    if (!axis.has_data) continue;
    svg << "<g class=\"series\" data-column=\"" << columns[s.column].name << "\">";
    for (const LineRun& run : line_runs(profile, s.column)) {
      if (run.size() > 1) {
        svg << "<polyline fill=\"none\" stroke=\"" << s.colour << "\" stroke-width=\"1.8\""
            << (s.dashed ? " stroke-dasharray=\"6 3\"" : "") << " points=\"";
        for (std::size_t i = 0; i < run.size(); ++i)
          svg << (i ? " " : "") << num(frame.px(run[i].first)) << ','
              << num(frame.py(axis, run[i].second * s.scale));
        svg << "\"/>";
      }
      for (const auto& [x, v] : run) marker(svg, s.marker, frame.px(x), frame.py(axis, v * s.scale), s.colour);
    }
    svg << "</g>\n";
  }

  // Right-of-way edges: a vertical line, and each quantity's value there.
  for (double edge : options.edges) {
    double x = frame.px(edge);
    svg << "<line x1=\"" << num(x) << "\" y1=\"" << num(top) << "\" x2=\"" << num(x) << "\" y2=\"" << num(bottom)
        << "\" stroke=\"#555\" stroke-width=\"1.4\" stroke-dasharray=\"2 3\"/>\n";
    std::vector<EdgeLabel> labels;
    for (const SeriesSpec& s : panel.series) {
      const Axis& axis = axes[s.side];
      std::optional<double> v = value_at(profile, s.column, edge);
      if (!v || !axis.has_data) continue;
      double y = frame.py(axis, *v * s.scale);
      svg << "<circle cx=\"" << num(x) << "\" cy=\"" << num(y) << "\" r=\"4.5\" fill=\"none\" stroke=\"" << s.colour
          << "\" stroke-width=\"1.5\"/>";
      labels.push_back({y - 6, edge_text(s, axis, *v), s.colour});
    }
    spread(labels, top + 11, bottom - 3);
    bool to_left = x > left + plot_width * 0.75;
    for (const EdgeLabel& label : labels)
      svg << "<text class=\"edge-value\" x=\"" << num(to_left ? x - 7 : x + 7) << "\" y=\"" << num(label.y)
          << "\" text-anchor=\"" << (to_left ? "end" : "start") << "\" font-size=\"11\" font-weight=\"bold\" fill=\""
          << label.colour << "\" stroke=\"#fff\" stroke-width=\"3\" paint-order=\"stroke\">" << label.text
          << "</text>";
    svg << '\n';
  }

  // The shared distance axis is labelled under the last panel.
  if (last) {
    svg << "<g font-size=\"11\" fill=\"#222\" text-anchor=\"middle\">";
    for (double t : frame.x.ticks())
      svg << "<line x1=\"" << num(frame.px(t)) << "\" y1=\"" << num(bottom) << "\" x2=\"" << num(frame.px(t))
          << "\" y2=\"" << num(bottom + 4) << "\" stroke=\"#444\"/><text x=\"" << num(frame.px(t)) << "\" y=\""
          << num(bottom + 16) << "\">" << frame.x.label(t) << "</text>";
    svg << "</g>\n";
    const char* unit = options.feet ? "ft" : "m";
    for (double edge : options.edges)
      svg << "<text x=\"" << num(frame.px(edge)) << "\" y=\"" << num(bottom + 32)
          << "\" text-anchor=\"middle\" font-size=\"11\" fill=\"#555\">edge " << frame.x.label(edge, 1) << ' ' << unit
          << "</text>";
    svg << "\n<text x=\"" << num(left + plot_width / 2) << "\" y=\"" << num(bottom + 52)
        << "\" text-anchor=\"middle\" font-size=\"13\" fill=\"#222\">Lateral distance from the reference ("
        << (options.feet ? "ft" : "m") << ")</text>\n";
  }
}

}  // namespace

std::vector<LineRun> line_runs(const Profile& profile, Column column) {
  std::vector<LineRun> runs;
  LineRun current;
  for (std::size_t i : distance_order(profile)) {
    float v = profile.rows[i][column];
    if (is_gap(v)) {
      if (!current.empty()) runs.push_back(std::move(current));
      current.clear();
      continue;
    }
    current.emplace_back(profile.rows[i][distance], v);
  }
  if (!current.empty()) runs.push_back(std::move(current));
  return runs;
}

std::optional<double> value_at(const Profile& profile, Column column, double x) {
  std::vector<std::size_t> order = distance_order(profile);
  for (std::size_t k = 0; k < order.size(); ++k) {
    const Row& a = profile.rows[order[k]];
    double xa = a[distance];
    if (xa == x) return is_gap(a[column]) ? std::nullopt : std::optional<double>(a[column]);
    if (k + 1 == order.size()) break;
    const Row& b = profile.rows[order[k + 1]];
    double xb = b[distance];
    if (xa < x && x < xb) {
      if (is_gap(a[column]) || is_gap(b[column])) return std::nullopt;
      double va = a[column], vb = b[column];
      return va + (vb - va) * (x - xa) / (xb - xa);
    }
  }
  return std::nullopt;
}

std::string xml_escape(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        default: out += c < 0x20 || c == 0x7f ? ' ' : static_cast<char>(c);
      }
      continue;
    }
    // Keep a well-formed UTF-8 sequence; anything else becomes '?'.
    std::size_t n = c >= 0xf0 && c < 0xf5 ? 4 : c >= 0xe0 ? 3 : c >= 0xc2 && c < 0xe0 ? 2 : 0;
    if (c >= 0xf5) n = 0;
    bool ok = n > 0 && i + n <= text.size();
    for (std::size_t k = 1; ok && k < n; ++k) ok = (static_cast<unsigned char>(text[i + k]) & 0xc0) == 0x80;
    if (ok && n == 3) {
      unsigned char d = static_cast<unsigned char>(text[i + 1]);
      ok = !(c == 0xe0 && d < 0xa0) && !(c == 0xed && d >= 0xa0);  // overlong, surrogates
    }
    if (ok && n == 4) {
      unsigned char d = static_cast<unsigned char>(text[i + 1]);
      ok = !(c == 0xf0 && d < 0x90) && !(c == 0xf4 && d >= 0x90);
    }
    if (ok) {
      out.append(text.substr(i, n));
      i += n - 1;
    } else {
      out += '?';
    }
  }
  return out;
}

std::string render_svg(const Profile& profile, const PlotOptions& options) {
  // The shared distance axis covers every point and every edge.
  double lo = INFINITY, hi = -INFINITY;
  for (const Row& row : profile.rows)
    if (std::isfinite(row[distance])) {
      lo = std::min<double>(lo, row[distance]);
      hi = std::max<double>(hi, row[distance]);
    }
  for (double edge : options.edges) {
    lo = std::min(lo, edge);
    hi = std::max(hi, edge);
  }
  Axis x = lo <= hi ? nice_axis(lo, hi, 10) : empty_axis();

  const std::vector<PanelSpec>& list = panels();
  double height = first_panel + header + panel_step * static_cast<double>(list.size()) + 50;
  std::string title = xml_escape(options.title);

  std::ostringstream svg;
  svg << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << num(width) << "\" height=\"" << num(height)
      << "\" viewBox=\"0 0 " << num(width) << ' ' << num(height) << "\" font-family=\"DejaVu Sans, Arial, sans-serif\">\n"
      << "<title>" << title << "</title>\n"
      << "<rect width=\"100%\" height=\"100%\" fill=\"#fff\"/>\n"
      << "<text x=\"" << num(width / 2) << "\" y=\"30\" text-anchor=\"middle\" font-size=\"18\" font-weight=\"bold\""
      << " fill=\"#111\">" << title << "</text>\n"
      << "<text x=\"" << num(width / 2) << "\" y=\"50\" text-anchor=\"middle\" font-size=\"12\" fill=\"#555\">"
      << profile.rows.size() << (profile.rows.size() == 1 ? " lateral point" : " lateral points")
      << "; lines break where a value was not computed</text>\n";
  for (std::size_t p = 0; p < list.size(); ++p) {
    Frame frame{x, first_panel + header + panel_step * static_cast<double>(p)};
    draw_panel(svg, profile, list[p], frame, options, p + 1 == list.size());
  }
  svg << "</svg>\n";
  return svg.str();
}

}  // namespace plot
