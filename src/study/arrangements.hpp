#pragma once
// The phasings a study tries: every assignment of each circuit's phase
// angles to its groups, with those that differ only by one relabelling of
// the phases applied to all circuits at once counted once.
//
// A relabelling is a map of the angles theta -> s * theta + a (s = +1 or -1,
// modulo 360 degrees) that carries each circuit's angles onto themselves:
// it turns every phasor of the line by the same angle, or mirrors them all,
// so no magnitude anywhere changes (on a three-phase line with angles 0,
// 120, 240 all six permutations of A, B, C are such relabellings). The
// energized groups outside the circuits keep their angles, so only a map
// that leaves each of their angles where it is counts: with a three-phase
// circuit fixed beside the arranged ones, no relabelling but the identity
// leaves every magnitude unchanged.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace study {

class Arrangements {
 public:
  // The angles (degrees) of each circuit's groups, in the order the groups
  // are listed, and those of the energized groups that stay as they are
  // (outside every circuit, with a voltage or a current). Throws
  // std::invalid_argument for a circuit without groups.
  explicit Arrangements(const std::vector<std::vector<float>>& circuit_angles,
                        const std::vector<float>& fixed_angles = {});

  std::size_t circuits() const { return choices_.size(); }
  // The distinct assignments of circuit c: each is the angle of every group
  // of the circuit, in the circuit's group order. Assignment 0 is the one given.
  const std::vector<std::vector<float>>& choices(std::size_t c) const { return choices_[c]; }

  // Every combination of one assignment per circuit.
  std::uint64_t total() const { return total_; }
  // How many relabellings leave the magnitudes unchanged (1 = only the identity).
  std::size_t relabellings() const { return maps_.size(); }
  // Combinations counted once: those that are the first of their relabellings.
  std::uint64_t distinct() const;

  // A combination as its assignment index per circuit, circuit 0 first.
  using Choice = std::vector<std::uint16_t>;
  // The combination numbered i (0 <= i < total), the last circuit varying fastest.
  Choice choice(std::uint64_t i) const;
  std::uint64_t number(const Choice& choice) const;
  // True when no relabelling of the combination comes before it.
  bool canonical(const Choice& choice) const;
  // The first of the combination's relabellings.
  Choice canonical_form(const Choice& choice) const;

  // The canonical combinations in ascending number, without visiting the
  // others one by one: a prefix of assignments that some relabelling turns
  // into an earlier one ends the whole branch below it.
  class Walk {
   public:
    // The canonical combinations whose first `fixed` circuits have the
    // assignments of `start` (the rest of `start` is ignored).
    Walk(const Arrangements& arrangements, const Choice& start, std::size_t fixed);
    bool done() const { return done_; }
    const Choice& choice() const { return choice_; }
    // The first circuit whose assignment differs from the combination before
    // (0 for the first).
    std::size_t changed() const { return changed_; }
    void next() {
      // Mostly the last circuit moves on, with no relabelling left to check.
      const std::size_t last = choice_.size() - 1;
      if (!done_ && last + 1 > fixed_ && tied_[last].empty() && choice_[last] + 1u < a_.choices_[last].size()) {
        ++choice_[last];
        changed_ = last;
        return;
      }
      next_slow();
    }

   private:
    void next_slow();
    // Finds the first canonical combination from the current one on, given
    // that circuits 0..c-1 hold a prefix no relabelling turns earlier.
    void settle(std::size_t c);
    // Moves circuit c (or an earlier one) to its next assignment; false when
    // no circuit after the fixed ones can move.
    bool advance(std::size_t& c);

    const Arrangements& a_;
    std::size_t fixed_;
    Choice choice_;
    // tied_[c]: the relabellings that leave circuits 0..c-1 as they are (the
    // only ones that can still turn the combination into an earlier one).
    std::vector<std::vector<std::uint16_t>> tied_;
    std::size_t changed_ = 0;
    bool done_ = false;
  };

 private:
  std::vector<std::vector<std::vector<float>>> choices_;
  // maps_[m][c][k]: the assignment of circuit c that relabelling m makes of assignment k.
  std::vector<std::vector<std::vector<std::uint16_t>>> maps_;
  std::uint64_t total_ = 1;
};

// The trade-off front: the indices of the score vectors that no other beats
// on every quantity (lower is better; a vector equal to another on every
// quantity stays with it). Each vector has the same length. The indices are
// in ascending order of the first score, then of the index.
std::vector<std::size_t> trade_off_front(const std::vector<std::vector<double>>& scores);

}  // namespace study
