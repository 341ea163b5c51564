#include "study/arrangements.hpp"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <stdexcept>

namespace study {

namespace {

constexpr double angle_tolerance = 1e-3;  // degrees

double wrap(double degrees) {
  double a = std::fmod(degrees, 360.0);
  if (a < 0) a += 360.0;
  if (a >= 360.0 - angle_tolerance) a = 0;
  return a;
}

bool same_angle(double a, double b) {
  double d = std::fabs(wrap(a) - wrap(b));
  return d < angle_tolerance || d > 360.0 - angle_tolerance;
}

// The distinct orderings of a circuit's angles, the given order first.
std::vector<std::vector<float>> orderings(const std::vector<float>& angles) {
  std::vector<std::size_t> index(angles.size());
  std::iota(index.begin(), index.end(), 0);
  std::vector<std::vector<float>> out;
  do {
    std::vector<float> a;
    for (std::size_t i : index) a.push_back(angles[i]);
    bool seen = false;
    for (const auto& o : out) {
      bool equal = true;
      for (std::size_t i = 0; i < a.size() && equal; ++i) equal = same_angle(a[i], o[i]);
      if (equal) {
        seen = true;
        break;
      }
    }
    if (!seen) out.push_back(std::move(a));
  } while (std::next_permutation(index.begin(), index.end()));
  return out;
}

}  // namespace

Arrangements::Arrangements(const std::vector<std::vector<float>>& circuit_angles,
                           const std::vector<float>& fixed_angles) {
  for (const auto& angles : circuit_angles) {
    if (angles.empty()) throw std::invalid_argument("a circuit without groups");
    choices_.push_back(orderings(angles));
    total_ *= choices_.back().size();
  }
  if (choices_.empty()) return;

  // Candidate relabellings: theta -> s * theta + a, with a chosen so that
  // the first angle goes to each angle in turn.
  std::vector<double> values;
  for (const auto& angles : circuit_angles)
    for (float a : angles)
      if (std::none_of(values.begin(), values.end(), [&](double v) { return same_angle(v, a); })) values.push_back(a);
  std::vector<std::pair<int, double>> found;
  for (int s : {1, -1})
    for (double target : values) {
      double shift = target - s * values[0];
      auto image = [&](double theta) { return s * theta + shift; };
      // Same map as one found already (on these angles)?
      bool known = false;
      for (auto [s2, shift2] : found) {
        bool all = true;
        for (double v : values) all = all && same_angle(image(v), s2 * v + shift2);
        if (all) known = true;
      }
      if (known) continue;
      // The groups outside the circuits must keep their phasors.
      if (!std::all_of(fixed_angles.begin(), fixed_angles.end(),
                       [&](float f) { return same_angle(image(f), f); }))
        continue;
      // Each circuit's angles onto themselves: a permutation of each circuit's assignments.
      std::vector<std::vector<std::uint16_t>> map;
      bool valid = true;
      for (std::size_t c = 0; c < choices_.size() && valid; ++c) {
        std::vector<std::uint16_t> to;
        for (const auto& assignment : choices_[c]) {
          std::size_t k = 0;
          for (; k < choices_[c].size(); ++k) {
            bool equal = true;
            for (std::size_t g = 0; g < assignment.size() && equal; ++g)
              equal = same_angle(image(assignment[g]), choices_[c][k][g]);
            if (equal) break;
          }
          if (k == choices_[c].size()) {
            valid = false;
            break;
          }
          to.push_back(static_cast<std::uint16_t>(k));
        }
        map.push_back(std::move(to));
      }
      if (!valid) continue;
      found.emplace_back(s, shift);
      maps_.push_back(std::move(map));
    }
}

std::uint64_t Arrangements::distinct() const {
  // Each relabelling other than the identity moves every combination (it
  // moves some angle, and every angle belongs to some circuit), so the
  // combinations fall into classes of equal size.
  return maps_.empty() ? total_ : total_ / maps_.size();
}

Arrangements::Choice Arrangements::choice(std::uint64_t i) const {
  Choice out(choices_.size());
  for (std::size_t c = choices_.size(); c-- > 0;) {
    out[c] = static_cast<std::uint16_t>(i % choices_[c].size());
    i /= choices_[c].size();
  }
  return out;
}

std::uint64_t Arrangements::number(const Choice& choice) const {
  std::uint64_t n = 0;
  for (std::size_t c = 0; c < choices_.size(); ++c) n = n * choices_[c].size() + choice[c];
  return n;
}

bool Arrangements::canonical(const Choice& choice) const {
  for (const auto& map : maps_)
    for (std::size_t c = 0; c < choice.size(); ++c) {
      std::uint16_t image = map[c][choice[c]];
      if (image < choice[c]) return false;
      if (image > choice[c]) break;
    }
  return true;
}

Arrangements::Choice Arrangements::canonical_form(const Choice& choice) const {
  Choice best = choice;
  for (const auto& map : maps_) {
    Choice image(choice.size());
    for (std::size_t c = 0; c < choice.size(); ++c) image[c] = map[c][choice[c]];
    if (image < best) best = image;
  }
  return best;
}

Arrangements::Walk::Walk(const Arrangements& arrangements, const Choice& start, std::size_t fixed)
    : a_(arrangements), fixed_(fixed), choice_(arrangements.circuits(), 0), tied_(arrangements.circuits() + 1) {
  for (std::size_t c = 0; c < fixed_; ++c) choice_[c] = start[c];
  // The identity (relabelling 0) never turns anything earlier.
  for (std::size_t m = 1; m < a_.maps_.size(); ++m) tied_[0].push_back(static_cast<std::uint16_t>(m));
  settle(0);
}

void Arrangements::Walk::next_slow() {
  std::size_t c = choice_.size();
  if (done_ || c == 0 || !advance(c)) {
    done_ = true;
    return;
  }
  changed_ = c;
  settle(c);
}

bool Arrangements::Walk::advance(std::size_t& c) {
  while (true) {
    if (c <= fixed_) return false;
    --c;
    if (++choice_[c] < a_.choices_[c].size()) break;
    choice_[c] = 0;
  }
  std::fill(choice_.begin() + static_cast<std::ptrdiff_t>(c) + 1, choice_.end(), std::uint16_t{0});
  return true;
}

void Arrangements::Walk::settle(std::size_t c) {
  const std::size_t k = choice_.size();
  while (c < k) {
    const std::uint16_t v = choice_[c];
    std::vector<std::uint16_t>& below = tied_[c + 1];
    below.clear();
    bool earlier = false;
    for (std::uint16_t m : tied_[c]) {
      const std::uint16_t image = a_.maps_[m][c][v];
      if (image < v) {
        earlier = true;
        break;
      }
      if (image == v) below.push_back(m);
    }
    if (!earlier) {
      ++c;
      continue;
    }
    // Every combination with this prefix has an earlier relabelling: on to
    // the next assignment of circuit c (or of an earlier circuit).
    std::size_t moved = c + 1;
    if (c < fixed_ || !advance(moved)) {
      done_ = true;
      return;
    }
    changed_ = std::min(changed_, moved);
    c = moved;
  }
}

std::vector<std::size_t> trade_off_front(const std::vector<std::vector<double>>& scores) {
  std::vector<std::size_t> order(scores.size());
  std::iota(order.begin(), order.end(), 0);
  // Sorted lexicographically, a vector can only be beaten by one before it.
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return scores[a] < scores[b]; });
  std::vector<std::size_t> front;
  for (std::size_t i : order) {
    bool beaten = false;
    for (std::size_t f : front) {
      bool no_worse = true, better = false;
      for (std::size_t q = 0; q < scores[i].size(); ++q) {
        if (scores[f][q] > scores[i][q]) no_worse = false;
        if (scores[f][q] < scores[i][q]) better = true;
      }
      if (no_worse && better) {
        beaten = true;
        break;
      }
    }
    if (!beaten) front.push_back(i);
  }
  std::stable_sort(front.begin(), front.end(), [&](std::size_t a, std::size_t b) {
    return scores[a][0] != scores[b][0] ? scores[a][0] < scores[b][0] : a < b;
  });
  return front;
}

}  // namespace study
