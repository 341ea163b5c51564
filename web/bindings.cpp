// The explorer's exports to the page: plain C functions over one session.
// Each returns 0 on success; otherwise explorer_message() holds what went
// wrong and the session is as it was. Texts come back through
// explorer_result() (bytes, explorer_result_length() of them).

#include <exception>
#include <string>

#include "explorer.hpp"
#include "ion_flow_panel.hpp"
#include "json.hpp"
#include "limits_panel.hpp"
#include "line_text.hpp"
#include "span_panel.hpp"

namespace {

explorer::Session session;
explorer::LimitsChoice limits_choice;  // the limit set chosen on the page
explorer::SpanMaps span_maps;  // the span solver's: a Web Worker's module holds a line of its own
std::string message;
std::string result;

template <typename Action>
int attempt(Action action) {
  try {
    result = action();
    message.clear();
    return 0;
  } catch (const std::exception& e) {
    message = explorer::utf8_message(e.what());
  } catch (...) {
    message = "unexpected failure";
  }
  return 1;
}

}  // namespace

extern "C" {

int explorer_load(const char* bytes, int length, const char* name) {
  return attempt([&] {
    session.load(std::string(bytes, static_cast<std::size_t>(length)), name);
    return session.section_json();
  });
}

int explorer_set_group(int group, const char* field, const char* text) {
  return attempt([&] {
    session.set_group(group, field, text);
    return session.section_json();
  });
}

int explorer_move_group(int group, const char* x, const char* y) {
  return attempt([&] {
    session.move_group(group, x, y);
    return session.section_json();
  });
}

int explorer_set_condition(const char* field, const char* text) {
  return attempt([&] {
    session.set_condition(field, text);
    return session.section_json();
  });
}

int explorer_section() {
  return attempt([] { return session.section_json(); });
}

int explorer_profiles(double left, double right, int count) {
  return attempt([&] { return session.profiles_json(left, right, count); });
}

int explorer_span(double length, double sag, int magnetic, int columns, int rows) {
  return attempt([&] { return explorer::span_json(session.section(), length, sag, magnetic != 0, columns, rows); });
}

// The section as text that reads back to the same section exactly, for
// explorer_span_line in another instance of the module.
int explorer_line() {
  return attempt([] { return explorer::line_text(session.section()); });
}

// explorer_span for the line of explorer_line(); the solve is kept for the
// next map of the same line and spans.
int explorer_span_line(const char* line, double length, double sag, int magnetic, int columns, int rows) {
  return attempt([&] {
    return span_maps.json(explorer::parse_line_text(line), length, sag, magnetic != 0, columns, rows);
  });
}

// The unknown charges of the span solve of the session's section, as JSON
// {"unknowns":N}: the solve's time grows as their cube.
int explorer_span_unknowns(double length, double sag) {
  return attempt([&] {
    return "{\"unknowns\":" + std::to_string(explorer::span_unknowns(session.section(), length, sag)) + "}";
  });
}

int explorer_ion_flow(double roughness, double left, double right, int count) {
  return attempt([&] { return explorer::ion_flow_json(session.section(), roughness, left, right, count); });
}

void explorer_exact_numbers(int on) { explorer::json::exact_numbers = on != 0; }

// The shipped limit sets' names and titles, as JSON.
int explorer_limit_sets() {
  return attempt([] { return explorer::limit_sets_json(); });
}

// A shipped limit set by its name ("" for none); returns the choice as JSON.
int explorer_choose_limits(const char* name) {
  return attempt([&] {
    limits_choice.choose(name);
    return limits_choice.json();
  });
}

// A user's limit set from its TOML text; returns the choice as JSON.
int explorer_read_limits(const char* text, const char* name) {
  return attempt([&] {
    limits_choice.read(text, name);
    return limits_choice.json();
  });
}

// The chosen set judged on the section between the edges (file units).
int explorer_comply(double left, double right, int frequency, const char* b_unit) {
  return attempt([&] {
    if (!session.loaded()) throw limits::LimitError("no line is open");
    return limits_choice.compliance_json(session.evaluation(), left, right, frequency, b_unit);
  });
}

// explorer_comply for a line of explorer_line(), in this instance (the
// page's Web Worker, its own set chosen).
int explorer_comply_line(const char* line, double left, double right, int frequency, const char* b_unit) {
  return attempt([&] {
    return limits_choice.compliance_json(explorer::parse_line_text(line), left, right, frequency, b_unit);
  });
}

int explorer_data_file() {
  return attempt([] { return session.data_file(); });
}

int explorer_print_file() {
  return attempt([] { return session.print_file(); });
}

const char* explorer_result() { return result.c_str(); }
int explorer_result_length() { return static_cast<int>(result.size()); }
const char* explorer_message() { return message.c_str(); }

}  // extern "C"
