#pragma once
// The explorer's limits: the limit set chosen on the page (a shipped one by
// name, or a user's TOML file) and the compliance of the session's section
// with it between the page's edges, as JSON for the page: the values are
// limits::comply's, the page only shows them.

#include <optional>
#include <string>

#include "engine/engine.hpp"
#include "limits/limit_set.hpp"

namespace explorer {

// The shipped sets, in order: [{"name":"florida","title":"..."}, ...].
std::string limit_sets_json();

class LimitsChoice {
 public:
  // A shipped set by its name, or none for "". Throws limits::LimitError
  // for another name, listing the shipped ones; the choice stays as it was.
  void choose(const std::string& name);
  // A user's set from its TOML text; `name` stands for it in messages.
  // Throws limits::LimitError saying what and where; the choice stays.
  void read(const std::string& text, const std::string& name);

  // The chosen set: {"name":...,"title":...,"source":...,"limits":N,
  // "ion_flow":B}, or {"name":null} when none is chosen. ion_flow: the set
  // limits a quantity of the DC ion flow (E-TOTAL, J), whose check on a line
  // with DC poles takes a solve of the flow (a tenth of a second or more).
  std::string json() const;

  // Every limit of the chosen set judged on the section between the edges
  // `left` and `right` (the file's units), at `frequency` Hz (50 or 60),
  // B in `b_unit` (uT, mG or G), as limits::compliance_json writes it
  // (numbers not known are null); {"set":null,"rows":[]} when none is
  // chosen. Throws limits::LimitError for edges out of order, a frequency
  // or B unit it does not know, brenlow::Error for a section the engine
  // refuses.
  std::string compliance_json(const brenlow::CrossSection& section, double left, double right, int frequency,
                              const std::string& b_unit) const;
  // The same on the section's evaluation at hand.
  std::string compliance_json(const brenlow::Evaluation& run, double left, double right, int frequency,
                              const std::string& b_unit) const;

 private:
  std::optional<limits::LimitSet> set_;
};

}  // namespace explorer
