#include "ion_flow_panel.hpp"

#include <cmath>
#include <vector>

#include "explorer.hpp"
#include "json.hpp"
#include "model/problem_data.hpp"

namespace explorer {

namespace {

std::string number(double v) {
  std::string text;
  json::put_number(text, v, 6);
  return text;
}

// A JSON array of the values, each as `text` writes it.
template <typename T, typename Text>
std::string array(const std::vector<T>& values, Text text) {
  std::string out = "[";
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i) out += ',';
    out += text(values[i]);
  }
  out += ']';
  return out;
}

std::string list(const std::vector<double>& values) { return array(values, number); }
std::string texts(const std::vector<std::string>& values) {
  return array(values, [](const std::string& v) { return json_string(v); });
}

bool has_dc_pole(const brenlow::CrossSection& section) {
  for (int i = 0; i < section.energized && i < static_cast<int>(section.groups.size()); ++i)
    if (!section.groups[static_cast<std::size_t>(i)].ac && section.groups[static_cast<std::size_t>(i)].kv != 0)
      return true;
  return false;
}

}  // namespace

std::string ion_flow_json(const brenlow::CrossSection& section, double roughness, double left, double right,
                          int count) {
  if (count < 2 || count > 1000)
    throw brenlow::Error("an ion flow profile of " + std::to_string(count) + " points: 2 to 1000");
  if (!has_dc_pole(section)) return "{\"dc\":false}";
  brenlow::IonFlowConditions conditions;
  conditions.roughness = roughness;
  const brenlow::IonFlowEvaluation flow(section, conditions);
  const double to_metres = section.english ? metres_per_foot : 1.0;
  std::vector<double> xs, nominal, total, j;
  for (int i = 0; i < count; ++i) {
    const double x = left + (right - left) * i / (count - 1);
    const brenlow::IonFlowPoint p = flow.at(x * to_metres);
    xs.push_back(x);
    nominal.push_back(p.e_nominal);
    total.push_back(p.e_total);
    j.push_back(p.j);
  }
  std::string poles = "[";
  for (const brenlow::IonFlowPole& p : flow.poles()) {
    if (poles.size() > 1) poles += ',';
    poles += "{\"name\":" + json_string(p.name) +
             ",\"kv\":" + number(p.kv) + ",\"onset_voltage\":" + number(p.onset_voltage) +
             ",\"onset_gradient\":" + number(p.onset_gradient) + ",\"current\":" + number(p.current) +
             ",\"corona\":" + (p.corona ? "true" : "false") + "}";
  }
  poles += ']';
  return "{\"dc\":true,\"length_unit\":\"" + std::string(section.english ? "ft" : "m") + "\",\"x\":" + list(xs) +
         ",\"e_nominal\":" + list(nominal) + ",\"e_total\":" + list(total) + ",\"j\":" + list(j) +
         ",\"poles\":" + poles + ",\"notes\":" + texts(flow.notes()) + ",\"warnings\":" + texts(flow.warnings()) + "}";
}

}  // namespace explorer
