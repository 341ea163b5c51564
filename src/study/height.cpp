#include "study/height.hpp"

#include <algorithm>
#include <cmath>

#include "study/progress.hpp"
#include "study/section_tools.hpp"

namespace study {

namespace {

bool holds(const brenlow::CrossSection& section, const HeightRequest& request) {
  const brenlow::Evaluation run(section);
  for (const Limit& limit : request.limits)
    for (float x : request.at) {
      const float v = value(run, limit.quantity, x, request.b);
      if (!(v <= limit.value)) return false;
    }
  return true;
}

std::vector<std::vector<float>> limit_values(const brenlow::CrossSection& section, const HeightRequest& request) {
  const brenlow::Evaluation run(section);
  std::vector<std::vector<float>> out;
  for (const Limit& limit : request.limits) {
    std::vector<float> row;
    for (float x : request.at) row.push_back(value(run, run.point(x), limit.quantity, request.b));
    out.push_back(std::move(row));
  }
  return out;
}

}  // namespace

float raise_resolution(const LengthUnit& unit) { return unit.feet ? 0.05f : 0.01f; }

brenlow::CrossSection raised(const brenlow::CrossSection& section, const std::vector<int>& groups, float raise) {
  brenlow::CrossSection out = section;
  const LengthUnit unit{section.english};
  const float metres = unit.to_metres(raise);
  if (groups.empty()) {
    for (brenlow::Group& g : out.groups) g.y += metres;
  } else {
    for (int g : groups) out.groups[static_cast<std::size_t>(g)].y += metres;
  }
  return out;
}

HeightResult search_height(const HeightRequest& request, Progress* progress) {
  if (request.limits.empty()) throw StudyError("no limit given (--limit Q=VALUE)");
  if (request.at.empty()) throw StudyError("no point given (--at X)");
  std::vector<bool> listed(request.section.groups.size(), false);
  for (int g : request.groups) {
    if (g < 0 || static_cast<std::size_t>(g) >= request.section.groups.size())
      throw StudyError("group " + std::to_string(g + 1) + " is not in the data file, which has " +
                       std::to_string(request.section.groups.size()) + " groups");
    // A group listed twice would be raised twice.
    if (listed[static_cast<std::size_t>(g)]) {
      std::string name = request.section.groups[static_cast<std::size_t>(g)].name;
      while (!name.empty() && name.back() == ' ') name.pop_back();
      throw StudyError("groups to raise: group " + std::to_string(g + 1) + (name.empty() ? "" : " (" + name + ")") +
                       " is listed twice");
    }
    listed[static_cast<std::size_t>(g)] = true;
  }
  brenlow::check(request.section);

  const LengthUnit unit{request.section.english};
  const float resolution = raise_resolution(unit);
  HeightResult result;
  result.before = limit_values(request.section, request);
  // A limit on a level the line does not give (TV from DC poles only, noise
  // where no pole is in corona) would be met by any height, and say nothing.
  for (std::size_t l = 0; l < request.limits.size(); ++l) {
    const Quantity q = request.limits[l].quantity;
    for (std::size_t p = 0; p < request.at.size(); ++p) {
      if (!is_level(q) || !std::isnan(shown_value(q, result.before[l][p]))) continue;
      const auto& groups = request.section.groups;
      const bool dc = std::none_of(groups.begin(), groups.begin() + request.section.energized,
                                   [](const brenlow::Group& g) { return g.ac; });
      const std::string where =
          dc ? "a DC line" : "this line at x = " + fixed(unit.from_metres(request.at[p]), 1) + " " + std::string(unit.label());
      throw StudyError(std::string(name(q)) + " is not computed for " + where + ": no raise can meet a limit on it");
    }
  }

  auto raise_of = [&](long steps) { return static_cast<float>(steps) * resolution; };
  auto ok = [&](long steps) {
    ++result.evaluations;
    return holds(raised(request.section, request.groups, raise_of(steps)), request);
  };
  // About a metre per scan step; the last step tried reaches 1,000 m.
  const long scan = unit.feet ? 60 : 100;
  const long last = static_cast<long>(std::ceil(largest_raise_metres / unit.to_metres(resolution) - 1e-3));

  long good = -1;
  if (ok(0)) {
    good = 0;
  } else {
    long low = 0;
    for (long s = scan;; s += scan) {
      if (s > last) s = last;
      if (request.stop && request.stop->requested()) {
        result.stopped = true;
        break;
      }
      if (progress) progress->update(static_cast<std::uint64_t>(s), static_cast<std::uint64_t>(last));
      if (ok(s)) {
        // Bisect (low fails, s holds) down to one step.
        long high = s;
        while (high - low > 1) {
          const long mid = low + (high - low) / 2;
          if (ok(mid)) {
            high = mid;
          } else {
            low = mid;
          }
        }
        good = high;
        break;
      }
      low = s;
      if (s == last) break;
    }
  }
  if (progress) progress->finish();
  if (good < 0) return result;

  // The file the study writes rounds the heights to its decimals: the
  // raise is the one for which that file meets the limits.
  for (long s = good; s <= last && s <= good + 100; ++s) {
    const brenlow::CrossSection section = raised(request.section, request.groups, raise_of(s));
    std::string text;
    try {
      text = brenlow::data_file_text(section);
    } catch (const brenlow::Error& e) {
      // Heights a data file cannot hold: the raise stands, evaluated as it is.
      result.found = true;
      result.steps = s;
      result.raise = raise_of(s);
      result.after = limit_values(section, request);
      result.raised = section;
      result.unwritable = e.what();
      break;
    }
    brenlow::CrossSection written = brenlow::parse_data_file(text, "written data file");
    ++result.evaluations;
    if (holds(written, request)) {
      result.found = true;
      result.steps = s;
      result.raise = raise_of(s);
      result.after = limit_values(written, request);
      result.raised = std::move(written);
      result.file_text = std::move(text);
      break;
    }
  }
  return result;
}

}  // namespace study
