#pragma once
// The subcommands of tesk31-study and what they share. Each takes its
// arguments after the subcommand's name and returns the exit status.

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "limits/comply.hpp"
#include "study/arguments.hpp"
#include "study/quantity.hpp"
#include "study/section_tools.hpp"

namespace study {

// A command line the subcommand cannot use (the usage hint follows the message).
class UsageError : public StudyError {
 public:
  using StudyError::StudyError;
};

int edges_command(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int compare_command(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int phasing_command(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int height_command(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int map_command(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int run_files_command(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int span_command(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int comply_command(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int report_command(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int ionflow_command(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// Status of a search stopped by Ctrl-C.
inline constexpr int interrupted_status = 130;

// Writes each (path, text) and says so.
void write_outputs(const std::vector<std::pair<std::string, std::string>>& files, std::ostream& out);
// A lateral distance in the file's unit, one decimal as tesk31 prints it.
std::string distance_text(float metres, const LengthUnit& unit);
// The quantities of an option given as Q or Q,Q,... any number of times.
std::vector<Quantity> quantities_option(const Arguments& args, const std::string& option);
// --edge X (the edges at -X and X) or --edge LEFT,RIGHT, in the file's
// unit: the edges in metres; throws UsageError saying what is wrong.
limits::Edges edges_option(const std::string& text, const LengthUnit& unit);
// The quantities the edge table lists for the sections: every one of their
// kinds, and E-TOTAL and J when one has DC poles.
std::vector<Quantity> edge_quantities(const std::vector<brenlow::CrossSection>& sections);
// The file name without its directories.
std::string short_name(const std::string& path);

}  // namespace study
