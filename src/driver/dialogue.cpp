#include "driver/dialogue.hpp"

namespace driver {

// Keyboard entry is not part of this version yet: the run ends with a
// message instead (status 2), the print file keeping what it holds.
InputOutcome read_keyboard_data(Problem&, RunFiles&) {
  throw RunRefused("keyboard data entry is not available in this version: name a data file instead");
}

}  // namespace driver
