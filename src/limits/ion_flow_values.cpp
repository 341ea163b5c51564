#include "limits/ion_flow_values.hpp"

#include <cmath>
#include <cstdio>
#include <limits>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

namespace limits {

namespace {

// What the ion flow reads of a section, exactly (hexadecimal floats).
std::string key_of(const brenlow::CrossSection& section) {
  std::string key;
  char text[64];
  const auto add = [&](double v) {
    std::snprintf(text, sizeof text, "%a,", v);
    key += text;
  };
  add(section.conditions.altitude);
  add(section.energized);
  for (const brenlow::Group& g : section.groups) {
    key += g.ac ? 'A' : 'D';
    for (double v : {static_cast<double>(g.x), static_cast<double>(g.y), static_cast<double>(g.subconductors),
                     static_cast<double>(g.diameter), static_cast<double>(g.spacing), static_cast<double>(g.kv)})
      add(v);
  }
  return key;
}

// The last few sections solved, most recent first.
class Solved {
 public:
  std::shared_ptr<const brenlow::IonFlowEvaluation> of(const brenlow::CrossSection& section) {
    const std::string key = key_of(section);
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      for (auto i = kept_.begin(); i != kept_.end(); ++i)
        if (i->first == key) {
          kept_.splice(kept_.begin(), kept_, i);
          return kept_.front().second;
        }
    }
    auto flow = std::make_shared<const brenlow::IonFlowEvaluation>(section);
    const std::lock_guard<std::mutex> lock(mutex_);
    kept_.emplace_front(key, flow);
    if (kept_.size() > 16) kept_.pop_back();
    return flow;
  }

 private:
  std::mutex mutex_;
  std::list<std::pair<std::string, std::shared_ptr<const brenlow::IonFlowEvaluation>>> kept_;
};

}  // namespace

bool has_dc_pole(const brenlow::CrossSection& section) {
  for (std::size_t i = 0; i < section.groups.size() && static_cast<int>(i) < section.energized; ++i)
    if (!section.groups[i].ac && section.groups[i].kv != 0) return true;
  return false;
}

float ion_flow_value(const brenlow::CrossSection& section, Quantity q, float x) {
  if (!has_dc_pole(section)) return std::numeric_limits<float>::quiet_NaN();
  static Solved solved;
  const brenlow::IonFlowPoint p = solved.of(section)->at(x);
  return static_cast<float>(q == Quantity::j ? std::abs(p.j) : p.e_total);
}

}  // namespace limits
