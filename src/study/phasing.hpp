#pragma once
// The phasing search: every arrangement of the circuits' phase angles,
// scored by the largest value of each quantity over the chosen points,
// ranked, and the listed ones evaluated by the engine on the section as a
// data file holds it.

#include <cstdint>
#include <string>
#include <vector>

#include "cli/threads.hpp"
#include "engine/engine.hpp"
#include "study/arrangements.hpp"
#include "study/quantity.hpp"

namespace study {

class Progress;
class StopFlag;

struct PhasingRequest {
  brenlow::CrossSection section;
  std::vector<std::vector<int>> circuits;  // group indices of each circuit, 0-based
  std::vector<Quantity> quantities;        // one: the best `top`; more: the trade-off front
  std::vector<float> at;                   // lateral points, metres
  BUnit b = BUnit::microtesla;
  std::size_t top = 10;
  unsigned threads = 0;       // 0: one per core; at most max_threads
  cli::ThreadStart start_thread = cli::start_thread;  // how each worker starts (a test's may fail)
  bool fast_ranking = true;   // rank by phasor superposition where the line allows it
  const StopFlag* stop = nullptr;  // ends the search early, with the best of what it has;
                                   // one more request ends the listing of those too
  // A search whose time, estimated once it has run for a second (or a tenth
  // of the limit), passes this many seconds is refused; 0: no limit.
  double time_limit = 0;
};

struct Ranked {
  Arrangements::Choice choice;
  std::uint64_t number = 0;                 // Arrangements::number(choice)
  brenlow::CrossSection section;            // as a data file written by the study holds it
  std::string file_text;                    // that data file
  std::vector<std::vector<float>> values;   // [quantity][point], the engine's
  std::vector<float> scores;                // [quantity]: the largest over the points
};

struct PhasingResult {
  std::uint64_t total = 0;         // every combination of assignments
  std::uint64_t distinct = 0;      // counted once per relabelling
  std::size_t relabellings = 1;
  std::vector<std::size_t> assignments;  // distinct assignments of each circuit (6 for three distinct angles)
  std::uint64_t examined = 0;      // distinct combinations scored (fewer when stopped)
  bool stopped = false;            // stopped early: the best of those examined, or of those the
                                   // engine evaluated for the list before the stop
  std::size_t candidates = 0;      // combinations the engine was to evaluate for the list
  std::size_t evaluated = 0;       // of those, evaluated (fewer when stopped while listing)
  bool fast_ranking = false;       // ranked by superposition, listed by the engine
  Ranked original;
  std::vector<Ranked> listed;      // best first, or the trade-off front by the first quantity
};

// The most arrangements a search tries (6^10).
inline constexpr std::uint64_t max_arrangements = 60466176;
// The most arrangements a search lists.
inline constexpr std::size_t max_top = 100000;
// The most worker threads a search takes (--threads, threads=): more only
// cost memory (a stack each), and the system may refuse them.
inline constexpr unsigned max_threads = 256;
// The time limit of a search unless the user gives another, seconds.
inline constexpr double default_time_limit = 600;

// Checks the circuits against the section: energized AC groups, none twice.
// Throws StudyError.
void check_circuits(const brenlow::CrossSection& section, const std::vector<std::vector<int>>& circuits);

// The section with the arrangement's angles given to the circuits' groups.
brenlow::CrossSection arranged(const brenlow::CrossSection& section, const std::vector<std::vector<int>>& circuits,
                               const Arrangements& arrangements, const Arrangements::Choice& choice);

// Runs the search. `progress` may be null. Throws StudyError for a request
// that cannot be searched, or whose estimated time passes its limit.
PhasingResult search_phasings(const PhasingRequest& request, Progress* progress);

}  // namespace study
