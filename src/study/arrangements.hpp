#pragma once
// The phasings a study tries: every assignment of each circuit's phase
// angles to its groups, with those that differ only by one relabelling of
// the phases applied to all circuits at once counted once.
//
// A relabelling is a map of the angles theta -> s * theta + a (s = +1 or -1,
// modulo 360 degrees) that carries each circuit's angles onto themselves:
// it turns every phasor of the line by the same angle, or mirrors them all,
// so no magnitude anywhere changes (on a three-phase line with angles 0,
// 120, 240 all six permutations of A, B, C are such relabellings).

#include <cstddef>
#include <cstdint>
#include <vector>

namespace study {

class Arrangements {
 public:
  // The angles (degrees) of each circuit's groups, in the order the groups
  // are listed. Throws std::invalid_argument for a circuit without groups.
  explicit Arrangements(const std::vector<std::vector<float>>& circuit_angles);

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
