#include "cli/options.hpp"

#include <utility>

namespace cli {

UsageError::UsageError(Kind kind, std::string option, std::string word)
    : std::runtime_error(kind == Kind::unknown_option ? "unknown option " + option : option + " needs a value"),
      kind(kind),
      option(std::move(option)),
      word(std::move(word)) {}

Scanner::Scanner(std::vector<std::string> args, std::set<std::string> valued, std::set<std::string> flags)
    : args_(std::move(args)), valued_(std::move(valued)), flags_(std::move(flags)) {}

std::optional<Item> Scanner::next() {
  while (at_ < args_.size()) {
    const std::string& word = args_[at_++];
    if (only_files_ || word.size() < 2 || word[0] != '-') return Item{true, word, {}};
    if (word == "--") {
      only_files_ = true;
      continue;
    }
    std::string name = word;
    std::optional<std::string> value;
    if (std::size_t eq = word.find('='); word.rfind("--", 0) == 0 && eq != std::string::npos) {
      name = word.substr(0, eq);
      value = word.substr(eq + 1);
    }
    if (flags_.count(name) && !value) return Item{false, name, {}};
    if (!valued_.count(name)) throw UsageError(UsageError::Kind::unknown_option, name, word);
    if (!value) {
      if (at_ >= args_.size()) throw UsageError(UsageError::Kind::missing_value, name, word);
      value = args_[at_++];
    }
    return Item{false, name, *value};
  }
  return std::nullopt;
}

std::vector<Item> scan(const std::vector<std::string>& args, const std::set<std::string>& valued,
                       const std::set<std::string>& flags) {
  Scanner scanner(args, valued, flags);
  std::vector<Item> items;
  while (std::optional<Item> item = scanner.next()) items.push_back(std::move(*item));
  return items;
}

}  // namespace cli
