// The evaluation: the gradient step once, then each routine at any point,
// with the inputs of the point set as the report pages set them.

#include <limits>

#include "corona/audible_noise.hpp"
#include "corona/ozone.hpp"
#include "corona/radio.hpp"
#include "corona/tv.hpp"
#include "engine/problem_records.hpp"
#include "fields/electric_field.hpp"
#include "fields/magnetic_field.hpp"
#include "gradients/gradients.hpp"

namespace brenlow {

struct Evaluation::State {
  Inputs inputs;  // after the gradient step: gradients, charges, phase angles
  Inputs ac;      // the AC phases' charges and currents alone (those of `inputs` on an AC line)
  Inputs dc;      // the DC poles' alone (those of `inputs` on a DC line)
  bool dc_line = false;  // energized DC poles and no AC phases
  std::shared_ptr<const Capacitance> capacitance;  // of the bundles, shared with evaluations of the same
};

namespace {

// The routine inputs at one point; every call works on its own copy, so an
// evaluation is never written to after construction.
struct AtPoint {
  Inputs in;
  Outputs out{};
  AtPoint(const Inputs& inputs, real x, real height) : in(inputs) {
    in.xpoint = x;
    in.evalht = height;
  }
};

ElectricField electric_of(const ElectricFieldResults& r) {
  ElectricField e;
  static_cast<FieldEllipse&>(e) = {r.efmax, r.eftheta, r.efy, r.efthetay, r.efx, r.efthetax};
  e.potential = r.efpot;
  return e;
}

MagneticField magnetic_of(const MagneticFieldResults& r) {
  return {r.mfmax, r.mftheta, r.mfy, r.mfthetay, r.mfx, r.mfthetax};
}

// The records with what a DC pole means: its polarity is the sign of its
// voltage, its phasor real, whatever angle it was given.
Inputs normalised(const CrossSection& section) {
  Inputs in = records::inputs_of(section);
  for (std::size_t i = 0; i < section.groups.size(); ++i)
    if (!in.acflag[i]) in.phangle[i] = 0;
  return in;
}

// The records of one part of a line: every group of the other kind at 0 V
// and without current. All groups are taken as of the part's kind, so that
// the gradient step takes its one step: the charges of the part's own
// phasors at their own angles.
Inputs part_of(const Inputs& line, Part part, const Capacitance& capacitance) {
  Inputs in = line;
  const bool ac = part == Part::ac;
  for (int i = 0; i < all_groups(in); ++i) {
    if (in.acflag[i] != ac) in.volts[i] = in.current[i] = 0;
    in.acflag[i] = ac;
  }
  ztmxgrad(in, capacitance);
  return in;
}

// The records of a line without charges or currents: the missing part of a
// line of one kind.
Inputs without_field(const Inputs& line) {
  Inputs in = line;
  in.qreal.fill(0);
  in.qimag.fill(0);
  in.current.fill(0);
  return in;
}

}  // namespace

Evaluation::Evaluation(const CrossSection& section) : Evaluation(section, nullptr) {}

Evaluation::Evaluation(const CrossSection& section, const Evaluation& same_bundles)
    : Evaluation(section, &same_bundles) {}

Evaluation::Evaluation(const CrossSection& section, const Evaluation* same) : section_(section) {
  check(section_);
  auto state = std::make_shared<State>();
  Inputs& in = state->inputs;
  in = normalised(section_);
  const Inputs given = in;
  hybrid_ = is_hybrid(section_);
  bool dc_poles = false;
  for (int i = 0; i < section_.energized; ++i) dc_poles = dc_poles || !in.acflag[i];

  // The gradient step of a run: computed gradients replace the given ones
  // unless the gradients are given.
  if (same && same->state_ && same_bundles(in, same->state_->inputs))
    state->capacitance = same->state_->capacitance;
  else
    state->capacitance = std::make_shared<const Capacitance>(capacitance(in));
  singular_ = !ztmxgrad(in, *state->capacitance);
  const int n = all_groups(in);
  if (!in.gradinput) {
    for (int i = 0; i < n; ++i) in.gradient[i] = in.calcgrad[i];
  }
  if (hybrid_) {
    state->ac = part_of(given, Part::ac, *state->capacitance);
    state->dc = part_of(given, Part::dc, *state->capacitance);
  } else {
    state->ac = dc_poles ? without_field(in) : in;
    state->dc = dc_poles ? in : without_field(in);
    state->dc_line = dc_poles;
  }

  // Losses and production rates do not depend on the point.
  AtPoint origin(in, 0, 0);
  ztozone(origin.in, origin.out);
  for (int i = 0; i < n; ++i) {
    GroupResult g;
    g.gradient = in.gradient[i];
    g.computed_gradient = in.calcgrad[i];
    g.phase = in.phangle[i];
    if (i < in.nphases) {
      g.corona_loss = origin.out.ozone.clcond[i];
      g.ozone_production = origin.out.ozone.ozprod[i];
    }
    groups_.push_back(g);
  }
  state_ = std::move(state);
}

std::vector<std::string> gradient_step_warnings(const CrossSection& section) {
  check(section);
  Inputs in = normalised(section);
  if (!in.gradinput) {
    ztmxgrad(in, capacitance(in));
    for (int i = 0; i < all_groups(in); ++i) in.gradient[i] = in.calcgrad[i];
  }
  return records::warnings_with_gradients(section, in);
}

NoiseLevels Evaluation::audible_noise(float x, float height, Weather weather) const {
  AtPoint p(state_->inputs, x, height);
  p.in.rainflag = weather == Weather::rain;
  ztaudio(p.in, p.out);
  return {p.out.audible.anl50, p.out.audible.anl5};
}

float Evaluation::radio(float x, float height, float mhz, Weather weather) const {
  AtPoint p(state_->inputs, x, height);
  p.in.rainflag = weather == Weather::rain;
  p.in.evalfreq = mhz;
  ztradio(p.in, p.out);
  return p.out.radio.ril50;
}

float Evaluation::tv(float x, float height, float mhz) const {
  AtPoint p(state_->inputs, x, height);
  p.in.rainflag = true;
  p.in.evalfreq = mhz;
  zttv(p.in, p.out);
  return p.out.tv.tvl50;
}

float Evaluation::ozone(float x, float height) const {
  AtPoint p(state_->inputs, x, height);
  p.in.rainflag = true;
  ztozone(p.in, p.out);
  return p.out.ozone.ozppb;
}

namespace {

ElectricField electric_field_of(const Inputs& records, float x, float height) {
  AtPoint p(records, x, height);
  p.in.rainflag = true;
  ztelefld(p.in, p.out);
  return electric_of(p.out.electric);
}

MagneticField magnetic_field_of(const Inputs& records, float x, float height) {
  AtPoint p(records, x, height);
  p.in.rainflag = true;
  ztmagfld(p.in, p.out);
  return magnetic_of(p.out.magnetic);
}

void refuse_one_field(bool hybrid, const char* field) {
  if (hybrid)
    throw Error(std::string("a hybrid line (AC phases and DC poles) has no one ") + field +
                ": its alternating and static fields do not add as phasors; ask for the AC or the DC part");
}

}  // namespace

ElectricField Evaluation::electric_field(float x, float height) const {
  refuse_one_field(hybrid_, "electric field");
  return electric_field_of(state_->inputs, x, height);
}

MagneticField Evaluation::magnetic_field(float x, float height) const {
  refuse_one_field(hybrid_, "magnetic field");
  return magnetic_field_of(state_->inputs, x, height);
}

ElectricField Evaluation::electric_field(float x, float height, Part part) const {
  return electric_field_of(part == Part::ac ? state_->ac : state_->dc, x, height);
}

MagneticField Evaluation::magnetic_field(float x, float height, Part part) const {
  return magnetic_field_of(part == Part::ac ? state_->ac : state_->dc, x, height);
}

Point Evaluation::point(float x) const {
  // The routines in the order of a line of the combined report.
  const Conditions& c = section_.conditions;
  AtPoint p(state_->inputs, x, c.an_height);
  Inputs& in = p.in;
  Outputs& out = p.out;
  Point r;
  r.x = x;
  in.rainflag = true;
  ztaudio(in, out);
  r.an_rain = out.audible.anl50;
  in.rainflag = false;
  ztaudio(in, out);
  r.an_fair = out.audible.anl50;

  in.rainflag = true;
  in.evalfreq = c.ri_frequency;
  in.evalht = c.ri_height;
  ztradio(in, out);
  r.ri_rain = out.radio.ril50;
  in.rainflag = false;
  ztradio(in, out);
  r.ri_fair = out.radio.ril50;

  in.evalfreq = c.tv_frequency;
  in.evalht = c.tv_height;
  zttv(in, out);
  r.tv = out.tv.tvl50;

  in.evalht = c.oz_height;
  ztozone(in, out);
  r.ozone = out.ozone.ozppb;

  in.evalht = c.ef_height;
  ztelefld(in, out);
  r.e = out.electric.efmax;

  in.evalht = c.mf_height;
  ztmagfld(in, out);
  r.b = out.magnetic.mfmax;

  if (hybrid_) {
    r.e_ac = electric_field(x, c.ef_height, Part::ac).max;
    r.e_dc = electric_field(x, c.ef_height, Part::dc).max;
    r.b_ac = magnetic_field(x, c.mf_height, Part::ac).max;
    r.b_dc = magnetic_field(x, c.mf_height, Part::dc).max;
    r.e = r.b = std::numeric_limits<float>::quiet_NaN();
  } else {
    // A line of one kind: its field is the part of its kind, the other none.
    (state_->dc_line ? r.e_dc : r.e_ac) = r.e;
    (state_->dc_line ? r.b_dc : r.b_ac) = r.b;
  }
  return r;
}

std::vector<Point> Evaluation::profile(const std::vector<float>& xs) const {
  std::vector<Point> points;
  points.reserve(xs.size());
  for (const float x : xs) points.push_back(point(x));
  return points;
}

}  // namespace brenlow
