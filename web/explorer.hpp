#pragma once
// The explorer's session: one cross section held between edits, its
// evaluation, and the texts the page shows and downloads. Values go in and
// out in the units of the file the section came from (feet, inches, mi/hr
// and in/hr for an English file), converted as the data-file reader
// converts them; the engine itself works in metric units.

#include <optional>
#include <string>
#include <string_view>

#include "engine/engine.hpp"
#include "model/problem_data.hpp"

namespace explorer {

class Session {
 public:
  // Replaces the section with the data file `bytes`. Throws brenlow::Error
  // (the reader's message, naming `name`) and keeps the section it had.
  void load(const std::string& bytes, const std::string& name);

  // A section the page cannot show is refused too: a group at or below the
  // ground, or one whose maximum surface gradient or fields at the centre
  // come out of the float range.
  //
  // Edits one value from the text the user typed (UTF-8; a name or title
  // is kept as Latin-1, and a character Latin-1 cannot hold is refused): read as the data file's
  // free-form reader reads a value, in the file's units. A group field is
  // one of name, type (A or D), x, y, subconductors, diameter, spacing, kv,
  // phase, ka, gradient; a condition one of wind, rain, altitude,
  // conductivity, an_height, ri_height, tv_height, oz_height, ef_height,
  // mf_height, ri_frequency, tv_frequency, given_gradients (0 or 1), title1,
  // title2. Throws brenlow::Error saying what and where, and keeps the
  // section as it was, for a value refused by the checks or one the data
  // file cannot hold.
  void set_group(int group, std::string_view field, const std::string& text);
  void set_condition(std::string_view field, const std::string& text);
  // Both coordinates of a group at once (one gradient step for a drag).
  void move_group(int group, const std::string& x, const std::string& y);

  // The section as JSON: titles, units, conditions and groups in file units,
  // and the engine's warnings, each with the group (and field) it names.
  std::string section_json() const;
  // E and B (each as the ellipse maximum and as the resultant; B in gauss),
  // audible noise, radio interference (rain and fair) and ozone at
  // `count` points from `left` to `right` (file units), at the heights and
  // frequency of the conditions, and each group's maximum surface gradient,
  // as JSON. A value not computed is null (a routine's marker level, or
  // ozone without wind); "notes" says why for a quantity not computed at
  // all. A hybrid line ("hybrid": true) has its AC phases' and DC poles'
  // fields apart, e_ac, e_ac_res, e_dc, b_ac, b_ac_res, b_dc, in place of e,
  // e_res, b, b_res. Throws brenlow::Error for a range it cannot evaluate.
  std::string profiles_json(double left, double right, int count) const;
  // The section as a data file tesk31 reads.
  std::string data_file() const;
  // The print file a whole tesk31 run of data_file() writes, banner, input
  // data list heading and the run's date (now, or `date`) included; throws
  // brenlow::Error with the run's message when the run fails.
  std::string print_file() const;
  std::string print_file(const RunDate& date) const;

  bool loaded() const { return evaluation_.has_value(); }
  const brenlow::CrossSection& section() const { return section_; }
  // The section's evaluation (its gradients); only when loaded().
  const brenlow::Evaluation& evaluation() const { return *evaluation_; }

 private:
  void replace(const brenlow::CrossSection& section, bool edited);

  brenlow::CrossSection section_;
  std::optional<brenlow::Evaluation> evaluation_;
};

// A message for the page, as UTF-8: it may quote typed text (UTF-8) and
// names from a data file (Latin-1). Whatever is not UTF-8 is read as
// Latin-1, byte by byte.
std::string utf8_message(const std::string& message);

// Text as a JSON string: quotes and backslashes escaped, every byte outside
// printable ASCII as \u00XX (a data file's names are Latin-1).
std::string json_string(std::string_view text);

}  // namespace explorer
