#include "cli/version.hpp"

namespace cli {

std::string_view version() { return BRENLOW_VERSION; }

bool show_version(const std::vector<std::string>& args, std::string_view program, std::ostream& out) {
  if (args.size() != 1 || args[0] != "--version") return false;
  out << program << " (Brenlow) " << version() << '\n';
  return true;
}

}  // namespace cli
