#pragma once
// The option scanner of the command lines. A word not starting with '-'
// (and "-" itself) is a file; "--" makes every later word a file; an option
// takes its value as "--name=value" or as the next word, "--name value".
// The caller says which options take a value and which are flags.

#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace cli {

// A word the scanner cannot take. The message reads "unknown option NAME"
// or "NAME needs a value"; callers that word it otherwise use the parts.
class UsageError : public std::runtime_error {
 public:
  enum class Kind { unknown_option, missing_value };
  UsageError(Kind kind, std::string option, std::string word);

  Kind kind;
  std::string option;  // the option's name, without any "=value"
  std::string word;    // the whole word as given
};

// One file or option of the command line, in the order given.
struct Item {
  bool file = false;
  std::string name;   // the file's name, or the option's ("--title", "-o")
  std::string value;  // the option's value; empty for a flag and a file
};

class Scanner {
 public:
  // `valued`: options that take a value; `flags`: options that take none.
  // A name in both is a flag when given alone and takes a value given as
  // "--name=value".
  Scanner(std::vector<std::string> args, std::set<std::string> valued, std::set<std::string> flags = {});

  // The next item, none at the end. Throws UsageError for an option in
  // neither set, a flag given a value, or a valued option at the end
  // without one.
  std::optional<Item> next();

 private:
  std::vector<std::string> args_;
  std::set<std::string> valued_, flags_;
  std::size_t at_ = 0;
  bool only_files_ = false;
};

// Every item at once.
std::vector<Item> scan(const std::vector<std::string>& args, const std::set<std::string>& valued,
                       const std::set<std::string>& flags = {});

}  // namespace cli
