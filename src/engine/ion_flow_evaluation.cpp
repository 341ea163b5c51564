// The ion flow of a cross section: its groups as the ion flow sees them
// (metres, volts; AC conductors and earth wires at 0 V), the conditions
// checked, the solution once, and the values in the engine's units.

#include <cmath>
#include <optional>
#include <cstdio>
#include <stdexcept>

#include "engine/engine.hpp"
#include "input/data_file.hpp"
#include "ionflow/full_flow.hpp"
#include "ionflow/ion_flow.hpp"

namespace brenlow {

struct IonFlowEvaluation::State {
  std::optional<ionflow::Solution> tracing;
  std::optional<ionflow::FullSolution> full;
  const std::vector<ionflow::Pole>& poles() const { return full ? full->poles() : tracing->poles(); }
  ionflow::GroundValues at(double x) const { return full ? full->at(x) : tracing->at(x); }
};

namespace {

std::string number(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", v);
  return text;
}

void check_conditions(const IonFlowConditions& c) {
  const auto positive = [](double v, const char* what) {
    if (!(v > 0) || !std::isfinite(v)) throw Error(std::string("ion flow: ") + what + " must be above 0, not " + number(v));
  };
  positive(c.roughness, "roughness");
  if (c.roughness > 1) throw Error("ion flow: roughness must be at most 1 (a smooth conductor), not " + number(c.roughness));
  if (c.air_density) positive(*c.air_density, "relative air density");
  positive(c.mobility_positive, "positive ion mobility");
  positive(c.mobility_negative, "negative ion mobility");
  for (double v : c.onset_gradients) positive(v, "onset gradient");
  for (double v : c.onset_voltages) positive(v, "onset voltage");
  if (c.lines < 8 || c.lines > 10000) throw Error("ion flow: lines per pole must be 8 to 10000, not " + std::to_string(c.lines));
  if (!(std::abs(c.wind) <= 50)) throw Error("ion flow: the wind must be -50 to 50 m/s, not " + number(c.wind));
  if (!(c.recombination >= 0 && c.recombination <= 1e-9))
    throw Error("ion flow: the recombination coefficient must be 0 to 1e-9 m3/s, not " + number(c.recombination));
  if (!(c.element_size >= 0.1 && c.element_size <= 4))
    throw Error("ion flow: the relative element size must be 0.1 to 4, not " + number(c.element_size));
  if (c.method == IonFlowMethod::flux_tracing) {
    const IonFlowConditions defaults;
    if (c.wind != 0) throw Error("ion flow: flux tracing takes no wind; the full method does");
    if (c.recombination != defaults.recombination)
      throw Error("ion flow: flux tracing solves no recombination; the full method does");
    if (c.element_size != defaults.element_size) throw Error("ion flow: flux tracing has no mesh; the full method has");
  }
}

}  // namespace

IonFlowEvaluation::IonFlowEvaluation(const CrossSection& section, const IonFlowConditions& conditions)
    : section_(section), conditions_(conditions) {
  check(section_);
  check_conditions(conditions_);
  std::vector<ionflow::Bundle> bundles;
  std::vector<int> pole_groups;
  bool ac = false;
  for (std::size_t i = 0; i < section_.groups.size(); ++i) {
    const Group& g = section_.groups[i];
    const bool energized = static_cast<int>(i) < section_.energized;
    ionflow::Bundle b;
    b.x = g.x;
    b.y = g.y;
    b.subconductors = g.subconductors;
    b.radius = 0.5e-3 * g.diameter;
    b.spacing = 1e-2 * g.spacing;
    b.pole = energized && !g.ac && g.kv != 0;
    b.volts = b.pole ? 1e3 * static_cast<double>(g.kv) : 0.0;
    if (b.pole) pole_groups.push_back(static_cast<int>(i));
    ac = ac || (energized && g.ac);
    bundles.push_back(b);
  }
  for (std::size_t i = 0; i < section_.groups.size(); ++i)
    for (std::size_t k = i + 1; k < section_.groups.size(); ++k)
      if (section_.groups[i].x == section_.groups[k].x && section_.groups[i].y == section_.groups[k].y)
        throw Error("ion flow: " + input::group_label(static_cast<int>(i), section_.groups[i].name) + " and " +
                    input::group_label(static_cast<int>(k), section_.groups[k].name) +
                    " stand in one place: their fields cannot be told apart");
  if (pole_groups.empty()) throw Error("ion flow: the line has no DC pole at a voltage (a DC group among the energized ones)");
  const std::size_t n = pole_groups.size();
  for (const auto& [values, what] : {std::pair{&conditions_.onset_gradients, "onset gradients"},
                                     std::pair{&conditions_.onset_voltages, "onset voltages"}})
    if (values->size() > 1 && values->size() != n)
      throw Error("ion flow: " + std::to_string(values->size()) + " " + what + " for " + std::to_string(n) +
                  (n == 1 ? " pole" : " poles") + ": give one for every pole or one per pole");

  air_density_ = conditions_.air_density ? *conditions_.air_density
                                         : ionflow::relative_air_density(section_.conditions.altitude);
  ionflow::Settings settings;
  settings.roughness = conditions_.roughness;
  settings.air_density = air_density_;
  settings.mobility_positive = conditions_.mobility_positive;
  settings.mobility_negative = conditions_.mobility_negative;
  for (double v : conditions_.onset_gradients) settings.onset_gradients.push_back(1e5 * v);
  for (double v : conditions_.onset_voltages) settings.onset_voltages.push_back(1e3 * v);
  settings.lines = conditions_.lines;
  auto state = std::make_shared<State>();
  try {
    if (conditions_.method == IonFlowMethod::full) {
      ionflow::FullSettings full;
      full.wind = conditions_.wind;
      full.recombination = conditions_.recombination;
      full.element_size = conditions_.element_size;
      state->full.emplace(bundles, settings, full);
    } else {
      state->tracing.emplace(bundles, settings);
    }
  } catch (const std::invalid_argument& e) {
    throw Error(std::string("ion flow: ") + e.what());
  } catch (const std::runtime_error& e) {
    throw Error(std::string("ion flow: ") + e.what());
  }
  state_ = state;

  int between = 0, lost = 0, traced = 0;
  double current = 0, far = 0;
  for (const ionflow::Pole& p : state_->poles()) {
    IonFlowPole pole;
    pole.group = p.bundle;
    pole.name = section_.groups[static_cast<std::size_t>(p.bundle)].name;
    pole.kv = 1e-3 * p.volts;
    pole.max_gradient = 1e-5 * p.max_gradient;
    pole.onset_gradient = 1e-5 * p.onset_gradient;
    pole.onset_voltage = 1e-3 * p.onset_voltage;
    pole.corona = p.corona;
    pole.ground_current = 1e6 * p.ground_current;  // A/m to mA/km
    pole.conductor_current = 1e6 * p.conductor_current;
    pole.inter_pole_current = 1e6 * p.inter_pole_current;
    pole.recombined = 1e6 * p.recombined;
    pole.far_current = 1e6 * p.far_current;
    pole.current = 1e6 * p.current();
    pole.loss = p.loss;  // W/m is kW/km
    current += pole.current;
    far += pole.far_current;
    pole.lines_ground = p.lines.ground;
    pole.lines_conductors = p.lines.conductors;
    pole.lines_between_poles = p.lines.between_poles;
    pole.lines_lost = p.lines.lost;
    pole.unsolved_flux = p.unsolved_flux;
    between += p.lines.between_poles;
    lost += p.lines.lost;
    traced += p.lines.ground + p.lines.conductors + p.lines.between_poles + p.lines.lost;
    const std::string label = input::group_label(pole.group, pole.name);
    if (!pole.corona)
      warnings_.push_back(label + ": " + number(std::abs(pole.kv)) + " kV is not above its corona onset voltage " +
                          number(pole.onset_voltage) + " kV: no ions, its field stays nominal");
    poles_.push_back(pole);
  }
  if (between > 0)
    notes_.push_back("lines running from pole to pole (" + std::to_string(between) + " of the " +
                     std::to_string(traced) +
                     " traced) are not solved: ions of both polarities meet there; the currents are those into the "
                     "ground and the earth wires");
  if (lost > 0)
    notes_.push_back("traced lines reaching the ground beyond 200 times the line's size (" + std::to_string(lost) +
                     ") are not solved");
  if (far > 0.01 * current)
    notes_.push_back("the wind carries " + number(far) + " mA/km of the ions' current out of the solved section (" +
                     number(std::round(state_->full->domain_radius())) + " m round the line)");
  if (ac) notes_.push_back("the AC conductors count at 0 V DC: their AC field is in neither the nominal nor the total field here");
  for (const auto& [k, what] : {std::pair{conditions_.mobility_positive, "positive"},
                                std::pair{conditions_.mobility_negative, "negative"}})
    if (k < 0.5e-4 || k > 5e-4)
      warnings_.push_back(std::string("the ") + what + " ion mobility " + number(k) +
                          " m2/(V s) is far from the 1e-4 to 3e-4 measured for air ions");
}

IonFlowPoint IonFlowEvaluation::at(double x) const {
  const ionflow::GroundValues v = state_->at(x);
  return {x, 1e-3 * v.e_nominal, 1e-3 * v.e_total, 1e9 * v.j, 1e9 * v.rho};
}

std::vector<IonFlowPoint> IonFlowEvaluation::profile(const std::vector<double>& xs) const {
  std::vector<IonFlowPoint> points;
  points.reserve(xs.size());
  for (double x : xs) points.push_back(at(x));
  return points;
}

}  // namespace brenlow

namespace brenlow {

double IonFlowEvaluation::inter_pole_current() const { return state_->full ? 1e6 * state_->full->inter_pole_current() : 0.0; }

double IonFlowEvaluation::recombination_current() const {
  return state_->full ? 1e6 * state_->full->recombination_current() : 0.0;
}

double IonFlowEvaluation::recombination_share() const {
  const double between = inter_pole_current();
  return between > 0 ? recombination_current() / between : 0.0;
}

IonDensities IonFlowEvaluation::densities(double x, double y) const {
  if (!state_->full) throw Error("ion flow: the ion densities over the section come from the full method only");
  const ionflow::Densities d = state_->full->densities(x, y);
  return {x, y, 1e9 * d.positive, 1e9 * d.negative};
}

double IonFlowEvaluation::domain_radius() const { return state_->full ? state_->full->domain_radius() : 0.0; }

std::size_t IonFlowEvaluation::mesh_nodes() const { return state_->full ? state_->full->coupled().mesh().size() : 0; }

}  // namespace brenlow
