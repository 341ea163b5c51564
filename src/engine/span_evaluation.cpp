// The line of spans: the cross section's groups as catenaries, solved once
// by the three-dimensional charge simulation, then fields at any point.

#include <cmath>
#include <new>
#include <stdexcept>

#include "engine/problem_records.hpp"
#include "fields/field_ellipse.hpp"
#include "fields/magnetic_field.hpp"
#include "gradients/gradients.hpp"
#include "input/data_file.hpp"
#include "spans/span_line.hpp"

namespace brenlow {

namespace {

using spans::most_elements;
constexpr int most_spans = 15;

std::string metres(float v) { return input::short_number(v) + " m"; }

// A phasor of `magnitude` at `angle` (radians). The magnitude may be
// negative (a negative pole's voltage, a current entered negative), which
// std::polar does not allow: libc++ gives NaN for it.
spans::Phasor phasor(double magnitude, double angle) { return {magnitude * std::cos(angle), magnitude * std::sin(angle)}; }

// The ellipse of three phasor components, as the cross section's routines
// take the ellipse of two.
SpanField ellipse_of(const spans::Components& c, double scale) {
  std::array<real, 3> m{}, t{};
  for (std::size_t k = 0; k < 3; ++k) {
    m[k] = static_cast<real>(std::abs(c[k]) * scale);
    t[k] = static_cast<real>(std::arg(c[k]));
  }
  const fields::EllipseOf<3> e = fields::field_ellipse_of<3>(m, t);
  const real degrees = 1 / fields::degrees_to_radians;
  return {e.max, m[0], t[0] * degrees, m[1], t[1] * degrees, m[2], t[2] * degrees};
}

}  // namespace

std::vector<float> Spans::sags_of(const CrossSection& section) const {
  const std::size_t n = section.groups.size();
  if (!group_sags.empty()) {
    if (group_sags.size() != n)
      throw Error(std::to_string(group_sags.size()) + " sags given for " + std::to_string(n) +
                  " groups: give one sag, or one per group");
    return group_sags;
  }
  std::vector<float> out;
  for (std::size_t i = 0; i < n; ++i)
    out.push_back(static_cast<int>(i) < section.energized ? sag : earth_sag.value_or(sag));
  return out;
}

struct SpanEvaluation::State {
  spans::Line line;
};

namespace {

// The sag of each group, checked with the spans (throws Error).
std::vector<float> checked_sags(const CrossSection& section, const Spans& spans) {
  if (!(spans.length > 0) || !std::isfinite(spans.length))
    throw Error("span length " + metres(spans.length) + ": must be above 0");
  if (!(spans.length >= Spans::shortest_length && spans.length <= Spans::longest_length))
    throw Error("span length " + metres(spans.length) + ": the line of spans is solved for lengths from " +
                metres(Spans::shortest_length) + " to " + metres(Spans::longest_length) + " (1000 km)");
  if (spans.count < 1 || spans.count > most_spans || spans.count % 2 == 0)
    throw Error(std::to_string(spans.count) + " spans: the count must be odd, 1 to " + std::to_string(most_spans) +
                ", so that one span stands in the middle");
  if (spans.elements < 0 || spans.elements == 1 || spans.elements > most_elements)
    throw Error(std::to_string(spans.elements) + " elements per span: 2 to " + std::to_string(most_elements) +
                ", or 0 to choose");
  std::vector<float> sags = spans.sags_of(section);
  for (std::size_t i = 0; i < sags.size(); ++i) {
    const float s = sags[i];
    if (!(s >= 0) || !std::isfinite(s) || !(s < spans.length))
      throw Error(input::group_label(static_cast<int>(i), section.groups[i].name) + ": sag " + metres(s) +
                  " must be 0 or above and below the span length (" + metres(spans.length) + ")");
  }
  return sags;
}

// Where each group hangs and its bundle's equivalent radius; no charge or current yet.
std::vector<spans::Conductor> hung_conductors(const CrossSection& section, const Inputs& in,
                                              const std::vector<float>& sags) {
  std::vector<spans::Conductor> conductors;
  for (std::size_t i = 0; i < section.groups.size(); ++i) {
    spans::Conductor c;
    c.x = section.groups[i].x;
    c.low = section.groups[i].y;
    c.sag = sags[i];
    c.radius = static_cast<double>(equivalent_diameter(in, static_cast<int>(i))) / 2;
    conductors.push_back(c);
  }
  return conductors;
}

spans::Layout layout_of(const Spans& spans) {
  spans::Layout layout;
  layout.length = spans.length;
  layout.spans = spans.count;
  layout.elements = spans.elements;
  return layout;
}

}  // namespace

SpanEvaluation::SpanEvaluation(const CrossSection& section, const Spans& spans, const StopCheck& stop)
    : cross_section_(section), spans_(spans), sags_(checked_sags(section, spans)) {
  Inputs in = records::inputs_of(section);
  const std::vector<GroupResult>& groups = cross_section_.groups();
  std::vector<spans::Conductor> conductors = hung_conductors(section, in, sags_);
  for (std::size_t i = 0; i < section.groups.size(); ++i) {
    const int k = static_cast<int>(i);
    // The voltages and currents at the phase angles of the gradient step,
    // as the cross section's fields take them.
    in.phangle[i] = groups[i].phase;
    const double angle = static_cast<double>(groups[i].phase) * static_cast<double>(fields::degrees_to_radians);
    spans::Conductor& c = conductors[i];
    c.volts = phasor(static_cast<double>(in.volts[i]) * 1000, angle);
    if (k < section.energized)
      c.current = phasor(static_cast<double>(in.current[i]), static_cast<double>(current_phase(in, k)));
  }
  std::function<void()> checkpoint;
  if (stop) checkpoint = [&stop] {
      if (stop()) throw Stopped();
    };
  try {
    state_ = std::make_shared<const State>(State{spans::Line(conductors, layout_of(spans), checkpoint)});
  } catch (const Stopped&) {
    throw;
  } catch (const std::bad_alloc&) {
    throw;  // out of memory is no fault of the line
  } catch (const std::exception& e) {
    throw Error(std::string("line of spans: ") + e.what());
  }
}

std::size_t SpanEvaluation::unknowns(const CrossSection& section, const Spans& spans) {
  check(section);
  const std::vector<float> sags = checked_sags(section, spans);
  const std::vector<spans::Conductor> conductors = hung_conductors(section, records::inputs_of(section), sags);
  try {
    return spans::unknowns_of(spans::solved_layout(conductors, layout_of(spans)), conductors.size());
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception& e) {
    throw Error(std::string("line of spans: ") + e.what());
  }
}

SpanField SpanEvaluation::electric_field(float x, float along, float height) const {
  return ellipse_of(state_->line.electric_field(x, along, height), 1e-3);
}

SpanField SpanEvaluation::magnetic_field(float x, float along, float height) const {
  return ellipse_of(state_->line.magnetic_field(x, along, height), 1);
}

float SpanEvaluation::potential(float x, float along, float height) const {
  return static_cast<float>(std::abs(state_->line.potential(x, along, height)));
}

int SpanEvaluation::elements() const { return state_->line.layout().elements; }

float SpanEvaluation::conductor_height(int group, float along) const {
  if (group < 0 || static_cast<std::size_t>(group) >= sags_.size())
    throw Error("group " + std::to_string(group + 1) + ": the section has " + std::to_string(sags_.size()) + " groups");
  return static_cast<float>(state_->line.conductor_height(static_cast<std::size_t>(group), along));
}

}  // namespace brenlow
