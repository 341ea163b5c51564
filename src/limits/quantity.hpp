#pragma once
// The quantities a study ranks, limits and tabulates, each at the height
// the data file gives it, and the units they are shown in: distances in the
// data file's units (metres, or feet for an English file), E in kV/m, B in
// the unit the user chose, noise in dB.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/units.hpp"
#include "engine/engine.hpp"

namespace limits {

// The fields as their ellipse maxima (E, B) or their resultants (E-RES,
// B-RES: the root of the sum of the squared rms components, what a
// three-axis meter reads); the corona effects with rain the default weather
// (AN, RI), as tesk31's reports put rain first, and fair weather named.
// The fields of a line's AC phases and of its DC poles apart (E-AC, E-DC,
// B-AC, B-DC; E-AC-RES and B-AC-RES their resultants: a static field's
// resultant is its magnitude, E-DC): on a hybrid line they are its only
// fields, as a static and an alternating field do not add as phasors; on a
// line of one kind E and B are the part of its kind, the other part is 0.
// E-TOTAL and J: the total field and the magnitude of the ion current
// density at the ground under DC poles in corona (the ion flow with its
// default conditions), for lines with DC poles.
enum class Quantity {
  e, b, an, an_fair, ri, ri_fair, tv, oz, e_res, b_res, e_total, j, e_ac, e_ac_res, e_dc, b_ac, b_ac_res, b_dc
};

// Every quantity of a line of one kind, as the edge table lists them: those
// of a line of the combined report in its order, each field followed by its
// resultant.
inline constexpr std::array<Quantity, 10> all_quantities = {
    Quantity::e,       Quantity::e_res, Quantity::b,       Quantity::b_res, Quantity::an,
    Quantity::an_fair, Quantity::ri,    Quantity::ri_fair, Quantity::tv,    Quantity::oz};
// The same for a hybrid line: each field's two parts in place of the field.
inline constexpr std::array<Quantity, 12> hybrid_quantities = {
    Quantity::e_ac, Quantity::e_ac_res, Quantity::e_dc, Quantity::b_ac,    Quantity::b_ac_res, Quantity::b_dc,
    Quantity::an,   Quantity::an_fair,  Quantity::ri,   Quantity::ri_fair, Quantity::tv,       Quantity::oz};

// Shown beside them for lines with DC poles.
inline constexpr std::array<Quantity, 2> ion_flow_quantities = {Quantity::e_total, Quantity::j};
bool from_ion_flow(Quantity q);

using cli::BUnit;

// The quantities listed when none are named, for one or more sections:
// those of all_quantities for lines of one kind, of hybrid_quantities for
// hybrid lines, the fields of both kinds where both stand.
std::vector<Quantity> default_quantities(const std::vector<brenlow::CrossSection>& sections);
// True for E, E-RES, B and B-RES: one field, which a hybrid line does not have.
bool one_field(Quantity q);
// The field quantity at lateral position x and any height: the ellipse
// maximum, resultant or part the quantity names, B converted from gauss;
// not-a-number for E, E-RES, B, B-RES on a hybrid line.
float field_at(const brenlow::Evaluation& run, Quantity q, float x, float height, BUnit b);
// True for the electric field quantities, false for the magnetic ones.
bool electric(Quantity q);

// "E", "B", "AN", "AN-FAIR", "RI", "RI-FAIR", "TV", "OZ", "E-RES", "B-RES", "E-TOTAL", "J",
// "E-AC", "E-AC-RES", "E-DC", "B-AC", "B-AC-RES", "B-DC".
std::string_view name(Quantity q);
// Any case; "AN-RAIN" and "RI-RAIN" are AN and RI.
std::optional<Quantity> parse_quantity(std::string_view text);
// The names parse_quantity takes, for messages: "E, E-RES, B, B-RES, AN, ...".
std::string_view quantity_names();

std::string_view unit_label(Quantity q, BUnit b);  // "kV/m", "uT", "dB(A)", ...
// Decimals tesk31's combined report prints for the quantity, carried over
// to the unit chosen for B (0.00001 G = 0.001 uT = 0.01 mG).
int decimals(Quantity q, BUnit b);

// The quantity from one line of the combined report, B converted from gauss
// (a line holds no resultant: not-a-number for E-RES, B-RES, E-AC-RES and
// B-AC-RES; nor one field of a hybrid line: not-a-number for E and B).
float value(const brenlow::Point& point, Quantity q, BUnit b);
// The same, a resultant taken from the evaluation at the line's point and
// the field's height, the ion flow's values at the line's point.
float value(const brenlow::Evaluation& run, const brenlow::Point& point, Quantity q, BUnit b);
float from_gauss(float gauss, BUnit b);
// The quantity at lateral point x (metres) at its height from the
// section's conditions: the same call the combined report makes.
float value(const brenlow::Evaluation& run, Quantity q, float x, BUnit b);

// True when the quantity depends on the conductor surface gradients (the
// corona effects and the ion flow), false for the nominal fields.
bool from_gradients(Quantity q);
// True for a noise, radio or TV level (AN, AN-FAIR, RI, RI-FAIR, TV),
// which the routines may leave not computed.
bool is_level(Quantity q);
// The value as the tools show it: not-a-number for a level not computed
// (brenlow::level_computed), else the value.
float shown_value(Quantity q, float v);

// Distances: the data file's unit and metres, converted as the data-file
// reader converts them (feet times 0.3048 in single precision).
struct LengthUnit {
  bool feet = false;
  float to_metres(float v) const { return feet ? v * 0.3048f : v; }
  float from_metres(float m) const { return feet ? m / 0.3048f : m; }
  std::string_view label() const { return feet ? "ft" : "m"; }
};

// Fixed-point text with the given decimals; "-inf", "nan" for values that
// are not numbers.
std::string fixed(double v, int decimals);

}  // namespace limits
