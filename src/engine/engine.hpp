#pragma once
// The Brenlow engine: one cross section of an overhead line, evaluated at
// any lateral point and height. The numbers are those the tesk31 reports
// print: the same routines run in the same order on the same values, but
// for two things the reports keep their own arithmetic for: a DC pole's
// phase angle has no effect here (its polarity is the sign of its voltage),
// and a hybrid line's AC and DC fields are apart (see Part), never added as
// phasors.
//
//   brenlow::CrossSection line = brenlow::read_data_file("examples/example.dat");
//   line.groups[0].y += 2.0f;                       // raise phase A by 2 m
//   brenlow::Evaluation run(line);                   // gradients, once
//   brenlow::ElectricField e = run.electric_field(30.0f, 1.0f);
//   brenlow::Point p = run.point(30.0f);             // a line of the combined report
//
// Units are metric throughout: metres, mm (subconductor diameter), cm
// (bundle spacing), kV line to ground (rms for AC), kA, degrees, kV/cm,
// MHz, m/s, mm/hr, mmhos/m. A section read from a data file in English
// units is converted on reading, as tesk31 converts it.

#include <array>
#include <cmath>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace brenlow {

// Everything the engine refuses: a cross section that fails a check, a data
// file that cannot be read, or one that cannot be written. The message says
// what and where ("group 4 EARTH 2: subconductor diameter must be above 0").
class Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One conductor group: a bundle of subconductors (a phase or a pole), or an
// earth wire.
struct Group {
  std::string name;        // a data file holds 8 characters
  bool ac = true;          // an AC phase; false: a DC pole
  float x = 0;             // horizontal position of the bundle centre, m
  float y = 0;             // height of the bundle centre above ground, m
  int subconductors = 1;   // at least 1
  float diameter = 0;      // subconductor diameter, mm, above 0
  float spacing = 0;       // spacing of adjacent subconductors, cm, above 0 for a bundle
  float kv = 0;            // line-to-ground voltage, kV (rms for AC); sign: polarity of a DC pole
  float phase = 0;         // phase angle of an AC phase, degrees; a DC pole's has no effect
  float ka = 0;            // current, kA
  float gradient = 0;      // maximum surface gradient, kV/cm: used when the gradients are given
};

// The conditions of the evaluation and the heights and frequencies at
// which the combined report (Evaluation::point) evaluates each quantity.
struct Conditions {
  float wind = 0;                 // m/s, carries the ozone plume
  float rain = 0;                 // rain rate, mm/hr
  float altitude = 0;             // m above sea level
  float ground_conductivity = 0;  // mmhos/m
  float an_height = 0;            // audible noise microphone, m
  float ri_height = 0;            // radio antenna, m
  float tv_height = 0;            // television antenna, m
  float oz_height = 0;            // ozone sensor, m
  float ef_height = 0;            // electric field sensor, m
  float mf_height = 0;            // magnetic field sensor, m
  float ri_frequency = 0;         // MHz
  float tv_frequency = 0;         // MHz
  bool given_gradients = false;   // use Group::gradient instead of computing the gradients
};

// A run of lateral points as a data file lists them: `count` points from
// `start`, `step` apart (single precision: rounding accumulates).
struct PointGroup {
  int count = 0;
  float start = 0;
  float step = 0;
};

struct CrossSection {
  std::array<std::string, 2> titles;  // a data file holds 72 characters each
  std::vector<Group> groups;          // energized groups first, then earth wires; at most 50
  int energized = 0;                  // how many of `groups` are energized phases or poles
  Conditions conditions;

  // What a data file holds beyond the line itself.
  bool english = false;          // the file's units: feet, inches, mi/hr, in/hr (values here stay metric)
  std::string options = "ALL";   // report options record, 45 characters
  // The file's lateral point groups, at most 100 points in all, as the file
  // lists them: in feet when `english` is set.
  std::vector<PointGroup> points;

  // The lateral points the groups make, in order, in metres, built as
  // tesk31 builds them. Throws Error when they pass 100.
  std::vector<float> lateral_points() const;
};

// Reads a data file through tesk31's reader: the same records, checks and
// messages, English units converted. Throws Error naming the file and the
// record, with the record expected there inside the groups and lateral
// points ("record 13 (reading conductor group 7 of 7)"), or the group and
// the check. A unit option other than 0 (metric) or 1 (English units),
// which tesk31 runs as metric while calling it English, is refused.
CrossSection read_data_file(const std::string& path);
// The same for data file text held in memory; `name` stands for the file in messages.
CrossSection parse_data_file(const std::string& text, const std::string& name = "data file");

// The cross section as a data file in the layout of tesk31's save-data
// file (in English units when `english` is set), which tesk31 reads. Values
// are rounded to the layout's decimals, names cut to 8 characters and
// titles to 72. Throws Error for a section the checks refuse or that a data
// file cannot hold (more than 100 lateral points, a value too wide for its
// field, a NaN or an infinity).
std::string data_file_text(const CrossSection& section);
// Writes data_file_text to `path`; throws Error naming the file when it
// cannot be written. A file name holding a NUL byte is refused (the system
// would cut it there), here and by read_data_file.
void write_data_file(const CrossSection& section, const std::string& path);

// Throws Error when tesk31 would refuse the cross section: more than 50
// groups, energized not within 0..groups, a group with fewer than one
// subconductor, a diameter not above 0, a bundle spacing not above 0, a
// bundle at or below the ground (y <= 0). Also refuses any group value or
// condition that is not a finite number, naming it.
void check(const CrossSection& section);

// True when the section's energized groups hold AC phases and DC poles
// both: a hybrid line, whose alternating and static fields stand apart
// (earth wires, of whatever kind, do not count).
bool is_hybrid(const CrossSection& section);

// What is legal but probably not what was meant, one sentence each, naming
// the group ("group 2 POLE -: current -2 kA entered negative: ..."): a
// negative current, a phase's subconductor diameter below 5 mm, a voltage
// on a group counted as an earth wire. The engine prints nothing: each
// front end shows these where its user looks (tesk31 and the studies on
// the error stream, Python as warnings, the explorer beside the value).
// Empty for a section with nothing to say.
std::vector<std::string> warnings(const CrossSection& section);

// What a front end says instead of a value where ozone is asked of a
// section without wind (the plume goes nowhere; tesk31 prints NaN there).
inline constexpr const char* no_wind_note =
    "no wind: ozone is carried nowhere, so it is not computed downwind";

enum class Weather { rain, fair };

// Results of one group after the gradient step.
struct GroupResult {
  float gradient = 0;          // maximum surface gradient the corona routines use, kV/cm
  float computed_gradient = 0; // as computed, whether or not the gradients were given
  float phase = 0;             // phase angle after the gradient step, degrees (on a line with
                               // AC and DC groups advanced through one cycle; 0 for a DC group)
  float corona_loss = 0;       // kW/km; 0 for an earth wire
  float ozone_production = 0;  // kg/m/s; 0 for an earth wire
};

struct NoiseLevels {
  float l50 = 0;  // exceeded half the time
  float l5 = 0;   // exceeded 5 % of the time
};

// A noise, radio or TV level the routines did not compute holds a marker,
// as the reports print it: -999.9 for TV from DC bundles and for noise
// where no pole is in corona, -9999 or below (or minus infinity) for no
// level at all. False for those; the tools show them as not computed.
inline bool level_computed(float level) { return level > -999.0f; }

// A field as an ellipse of two phasor components.
struct FieldEllipse {
  float max = 0;               // semi-major axis: the largest magnitude over a cycle
  float direction = 0;         // direction at that moment, degrees from the horizontal
  float vertical = 0;          // magnitude of the vertical component
  float vertical_phase = 0;    // degrees
  float horizontal = 0;        // magnitude of the horizontal component
  float horizontal_phase = 0;  // degrees

  // The resultant: the root of the sum of the squared component magnitudes
  // (rms for AC), what a three-axis meter reads; between max and 1.41 max.
  float resultant() const { return std::sqrt(vertical * vertical + horizontal * horizontal); }
};

struct ElectricField : FieldEllipse {  // kV/m
  float potential = 0;                 // space potential against the ground, V
};

using MagneticField = FieldEllipse;  // flux density, gauss (1 G = 100 uT)

// The two fields of a line: the alternating one of its AC phases (rms
// ellipse; the AC phases energized, DC poles and earth wires at 0 V AC and
// without AC current) and the static one of its DC poles (the DC poles
// energized, AC phases at 0 V DC and without DC current; its ellipse is the
// static vector: max, resultant and magnitude agree). A static and an
// alternating field never add as phasors: a hybrid line (energized AC
// phases and DC poles both) has its two fields apart. A line of one kind
// has one field, that of its kind, and none of the other.
enum class Part { ac, dc };

// One line of the combined report: each quantity at its height and
// frequency from Conditions.
struct Point {
  float x = 0;        // m
  float an_rain = 0;  // audible noise L50, dB(A)
  float an_fair = 0;
  float ri_rain = 0;  // radio interference L50, dB above 1 uV/m
  float ri_fair = 0;
  float tv = 0;       // television interference L50, dB above 1 uV/m
  float ozone = 0;    // ppb
  float e = 0;        // electric field ellipse maximum, kV/m; not-a-number on a hybrid line
  float b = 0;        // magnetic field ellipse maximum, gauss; not-a-number on a hybrid line
  float e_ac = 0;     // the AC phases' field, kV/m (e on an AC line, 0 on a DC line)
  float e_dc = 0;     // the DC poles' static field, kV/m (e on a DC line, 0 on an AC line)
  float b_ac = 0;     // gauss, likewise
  float b_dc = 0;
};

// An evaluation of one cross section: the gradients are computed once, on
// construction; then every quantity at any point, any number of points.
// Const and free of shared mutable state: one evaluation may serve several
// threads, and evaluations on different threads never meet.
class Evaluation {
 public:
  // Checks the section (throws Error) and computes the gradients.
  explicit Evaluation(const CrossSection& section);
  // The same, taking the bundles' capacitance coefficients from an
  // evaluation of a section with the same bundles (places, subconductors,
  // diameters, spacings: only voltages, currents or angles differ) instead
  // of inverting them again; other bundles get their own. The values are
  // those of the constructor above, bit for bit.
  Evaluation(const CrossSection& section, const Evaluation& same_bundles);

  const CrossSection& section() const { return section_; }
  // One entry per group of the section, in its order.
  const std::vector<GroupResult>& groups() const { return groups_; }
  // True when the potential coefficient matrix proved singular (two
  // bundles in one place); the values are then those tesk31 prints.
  bool singular() const { return singular_; }

  // True when the energized groups hold AC phases and DC poles both: the
  // line has an alternating and a static field apart (earth wires, of
  // whatever kind, do not count).
  bool hybrid() const { return hybrid_; }

  NoiseLevels audible_noise(float x, float height, Weather weather) const;
  float radio(float x, float height, float mhz, Weather weather) const;  // L50
  float tv(float x, float height, float mhz) const;                      // L50
  float ozone(float x, float height) const;                              // ppb
  // The field of a line of one kind: the AC phases' ellipse, or the DC
  // poles' static field. Throws Error on a hybrid line, whose fields are
  // only apart.
  ElectricField electric_field(float x, float height) const;
  MagneticField magnetic_field(float x, float height) const;
  // One part of the field, on any line (on a line of one kind the part of
  // its kind is the field above, the other part is 0).
  ElectricField electric_field(float x, float height, Part part) const;
  MagneticField magnetic_field(float x, float height, Part part) const;

  // Every quantity of the combined report at lateral position x.
  Point point(float x) const;
  std::vector<Point> profile(const std::vector<float>& xs) const;

  struct State;  // the problem records after the gradient step

 private:
  Evaluation(const CrossSection& section, const Evaluation* same_bundles);

  CrossSection section_;
  std::vector<GroupResult> groups_;
  bool singular_ = false;
  bool hybrid_ = false;
  std::shared_ptr<const State> state_;
};

// The farthest from the line's centre, either side and up, that a position
// means something to the engine: 1,000 km. Single precision still holds a
// tenth of a metre there, and every quantity's arithmetic stays well within
// the float range (beyond about 1e19 m the levels and fields are no longer
// numbers). The tools refuse positions beyond it.
inline constexpr float farthest_distance = 1.0e6f;

// The section's warnings, then those of its gradients: an energized group's
// surface gradient above 30 kV/cm, where air breaks down.
std::vector<std::string> warnings(const Evaluation& run);
// The same warnings from the section itself, taking only the gradient step
// (none when the gradients are given): no part fields, no losses. For a
// front end that shows them when a section is made. Checks the section
// first (throws Error), as an evaluation does.
std::vector<std::string> gradient_step_warnings(const CrossSection& section);

// ---------------------------------------------------------------------------
// A line of spans: the conductors of a cross section hanging in catenaries
// between towers, evaluated in three dimensions.
//
//   brenlow::Spans spans;
//   spans.length = 400.0f;                          // m between towers
//   spans.sag = 12.0f;                              // m, phases and poles
//   brenlow::SpanEvaluation run(line, spans);       // the charges, once
//   brenlow::SpanField e = run.electric_field(0.0f, 200.0f, 1.0f);  // mid-span, 1 m up
//
// The section's heights are those at mid-span, the lowest point; each
// group's sag lifts its attachment points at the towers by that much. The
// line is `count` identical level spans in a row; the middle one is
// evaluated, positions along the line measured from its first tower (0 at
// the tower, length / 2 at mid-span). Conductors run on through the inner
// towers and end at the outer ones; tower steel and insulators are not
// modelled. The ground is flat and, for the magnetic field, absent, as for
// the cross section.
struct Spans {
  // The span lengths the solve resolves, m. Shorter, the elements become as
  // short as a bundle is wide and no longer stand for a thin conductor
  // (doubling them moves E by 0.1 % at 10 m, 0.01 % at 20 m). Up to about 1e11 m a level span
  // without sag gives the cross section's values to 1e-6 everywhere along
  // it; from 1e12 m rounding in double precision shows, and by 1e16 m the
  // values are wrong. Lengths are taken to 1,000 km, the farthest a study
  // reaches from the line.
  static constexpr float shortest_length = 20.0f;
  static constexpr float longest_length = 1.0e6f;

  float length = 0;                // of each span, m, shortest_length to longest_length
  int count = 3;                   // spans in the line, odd, 1 to 15
  float sag = 0;                   // of the phases and poles, m, 0 or above, below the length
  std::optional<float> earth_sag;  // of the earth wires, m; the phases' sag when not given
  std::vector<float> group_sags;   // when given: one sag per group, in the section's order, m
  int elements = 0;                // per span; 0 chooses enough for 0.1 % near the ground

  // The sag of each group of the section; throws Error when group_sags
  // does not hold one per group.
  std::vector<float> sags_of(const CrossSection& section) const;
};

// A field in three dimensions, the ellipse of its three phasor components.
struct SpanField {
  float max = 0;             // semi-major axis: the largest magnitude over a cycle
  float lateral = 0;         // magnitude of the component across the line
  float lateral_phase = 0;   // degrees
  float along = 0;           // magnitude of the component along the line
  float along_phase = 0;     // degrees
  float vertical = 0;        // magnitude of the vertical component
  float vertical_phase = 0;  // degrees
};

// A stop asked for while a long computation runs (the solve of a line of
// spans: seconds on a line of many groups). The computation calls it now
// and then, on its own thread, a few milliseconds of work apart at most;
// when it returns true the computation ends by throwing Stopped.
using StopCheck = std::function<bool()>;

// A computation ended because its StopCheck asked it to: not an Error, as
// nothing was wrong with what was asked.
class Stopped : public std::exception {
 public:
  const char* what() const noexcept override { return "stopped on request"; }
};

// The line of spans, solved once on construction; then the electric field
// (kV/m) and the magnetic flux density (gauss) at any point. Const and free
// of shared mutable state, like Evaluation.
class SpanEvaluation {
 public:
  // Checks the section and the spans (throws Error) and solves for the
  // conductors' charges; `stop`, when given, may end the solve (Stopped).
  SpanEvaluation(const CrossSection& section, const Spans& spans, const StopCheck& stop = nullptr);

  const CrossSection& section() const { return cross_section_.section(); }
  const Spans& spans() const { return spans_; }
  // The cross section evaluated in two dimensions, as at mid-span.
  const Evaluation& cross_section() const { return cross_section_; }

  // At lateral position x, position along the line and height, m. The
  // line's one field: throws Error on a hybrid line, as Evaluation does.
  SpanField electric_field(float x, float along, float height) const;  // kV/m
  SpanField magnetic_field(float x, float along, float height) const;  // gauss
  float potential(float x, float along, float height) const;           // space potential, V
  // One part of the field, on any line (0 where the line has no such part).
  SpanField electric_field(float x, float along, float height, Part part) const;
  SpanField magnetic_field(float x, float along, float height, Part part) const;

  // Height of group i's conductor above ground at a position along the
  // line, m (between the outer towers).
  float conductor_height(int group, float along) const;
  // The sag of each group, m, as the line was built.
  const std::vector<float>& sags() const { return sags_; }
  // Elements per span, as given or chosen.
  int elements() const;
  // The unknown charges the constructor would solve for, found without
  // solving: the solve's time grows as their cube. Throws Error where the
  // constructor would for the section's checks and the spans.
  static std::size_t unknowns(const CrossSection& section, const Spans& spans);

  struct State;  // the solved line

 private:
  Evaluation cross_section_;
  Spans spans_;
  std::vector<float> sags_;
  std::shared_ptr<const State> state_;
};

}  // namespace brenlow

namespace brenlow {

// ---------------------------------------------------------------------------
// The ion flow of a line with DC poles in corona: the total field (the
// conductor charges and the space charge of the ions together) and the ion
// current at the ground, by one of two methods:
// - flux tracing under Deutsch's assumption (the space charge changes the
//   field's size, not its direction): fast, no wind, lines from pole to pole
//   not solved;
// - the full method: Poisson's equation and both polarities' continuity
//   solved together on a mesh of the cross section, with wind across the
//   line and recombination where the polarities meet.
//
//   brenlow::IonFlowConditions c;
//   c.roughness = 0.5f;                              // Peek's m
//   brenlow::IonFlowEvaluation flow(line, c);        // solved once
//   brenlow::IonFlowPoint p = flow.at(10.0);         // at the ground, 10 m out
//
// The ground is flat and perfectly conducting; no ion diffusion; constant
// mobilities. By flux tracing, lines of the nominal field running from pole
// to pole (where ions of both polarities meet) are not solved: the currents
// are those into the ground and into the earth wires. The AC conductors of a
// hybrid line count at 0 V DC.
enum class IonFlowMethod { flux_tracing, full };

struct IonFlowConditions {
  IonFlowMethod method = IonFlowMethod::flux_tracing;
  double roughness = 0.45;             // Peek's surface factor m, above 0, at most 1
  std::optional<double> air_density;   // relative; from the section's altitude (standard atmosphere, 20 C) when not given
  double mobility_positive = 1.5e-4;   // m2/(V s)
  double mobility_negative = 1.8e-4;   // m2/(V s)
  // One value for every pole, or one per pole in the section's order of
  // groups; empty when not given. A given onset voltage takes the place of
  // the onset gradient, and a given onset gradient that of Peek's.
  std::vector<double> onset_gradients;  // kV/cm
  std::vector<double> onset_voltages;   // kV
  int lines = 64;                       // traced per pole before the refinement, 8 to 10000
  // The full method's only (an error with flux tracing when changed):
  double wind = 0;                      // across the line, m/s, positive towards positive x; -50 to 50
  double recombination = 2.2e-12;       // ion recombination coefficient, m3/s, 0 to 1e-9
  double element_size = 1;              // of the mesh, relative to the default (0.5 halves it), 0.1 to 4
};

// What the ion flow finds for one DC pole.
struct IonFlowPole {
  int group = 0;                  // in the section's groups
  std::string name;
  double kv = 0;                  // the pole's voltage, signed
  double max_gradient = 0;        // largest subconductor surface gradient, kV/cm
  double onset_gradient = 0;      // kV/cm
  double onset_voltage = 0;       // kV
  bool corona = false;            // |kv| above the onset voltage
  double current = 0;             // corona current into the ground and conductors at 0 V, mA/km
  double ground_current = 0;      // of which into the ground, mA/km
  double conductor_current = 0;   // of which into earth wires and AC conductors, mA/km
  // The full method's only (0 by flux tracing):
  double inter_pole_current = 0;  // of the current, from pole to pole through the air, mA/km
  double recombined = 0;          //   of which its ions recombined in the air, mA/km
  double far_current = 0;         // of the current, carried out of the section by the wind, mA/km
  double loss = 0;                // corona loss |V| times the current, kW/km
  int lines_ground = 0;           // traced lines ending on the ground,
  int lines_conductors = 0;       //   on an earth wire or AC conductor,
  int lines_between_poles = 0;    //   on another pole (not solved),
  int lines_lost = 0;             //   nowhere within reach (not solved)
  double unsolved_flux = 0;       // share of the pole's flux on lines not solved, 0 to 1
};

// The values at one lateral point at the ground.
struct IonFlowPoint {
  double x = 0;          // m
  double e_nominal = 0;  // field of the conductor charges alone, kV/m
  double e_total = 0;    // field with the space charge, kV/m
  double j = 0;          // ion current density, nA/m2; positive ions into the ground positive
  double rho = 0;        // space charge density, nC/m3, signed
};

// The ion densities at one point of the cross section (full method).
struct IonDensities {
  double x = 0, y = 0;   // m
  double positive = 0;   // nC/m3
  double negative = 0;   // nC/m3, a magnitude
};

// The ion flow of a cross section, solved once on construction; then the
// values at any lateral point. Const and free of shared mutable state, like
// Evaluation.
class IonFlowEvaluation {
 public:
  // Checks the section and the conditions (throws Error, saying what) and
  // solves. The section needs at least one DC pole at a voltage.
  explicit IonFlowEvaluation(const CrossSection& section, const IonFlowConditions& conditions = {});

  const CrossSection& section() const { return section_; }
  const IonFlowConditions& conditions() const { return conditions_; }
  double air_density() const { return air_density_; }  // relative, as used
  // The DC poles in the section's order.
  const std::vector<IonFlowPole>& poles() const { return poles_; }
  // What the values leave out on this line, one sentence each (lines from
  // pole to pole not solved; AC conductors at 0 V DC). Each front end shows them.
  const std::vector<std::string>& notes() const { return notes_; }
  // Legal conditions that are probably not what was meant.
  const std::vector<std::string>& warnings() const { return warnings_; }

  IonFlowPoint at(double x) const;
  std::vector<IonFlowPoint> profile(const std::vector<double>& xs) const;

  // The full method's only (0 by flux tracing): the current from the
  // positive poles to the negative ones through the air, and of it the part
  // recombined in the air, mA/km; their ratio (0 without inter-pole current).
  double inter_pole_current() const;
  double recombination_current() const;
  double recombination_share() const;
  // The ion densities at (x, y) in m (0 inside a conductor, below the
  // ground and beyond the solved domain); throws Error by flux tracing.
  IonDensities densities(double x, double y) const;
  // The solved domain's radius around the foot of the line's middle, m, and
  // the mesh's nodes (0 by flux tracing).
  double domain_radius() const;
  std::size_t mesh_nodes() const;

  struct State;

 private:
  CrossSection section_;
  IonFlowConditions conditions_;
  double air_density_ = 1;
  std::vector<IonFlowPole> poles_;
  std::vector<std::string> notes_;
  std::vector<std::string> warnings_;
  std::shared_ptr<const State> state_;
};

}  // namespace brenlow
