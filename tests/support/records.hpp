#pragma once
// The records of a captured channel or of a file the program wrote: the
// text split at CR LF.

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace support {

// The records of `text` without their CR LF, and whatever follows the
// last CR LF (empty when the text ends with one).
struct SplitText {
  std::vector<std::string> records;
  std::string unended;
};

inline SplitText split_records(const std::string& text) {
  SplitText split;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    split.records.push_back(text.substr(start, end - start));
  split.unended = text.substr(start);
  return split;
}

// The records of `text`; every record must end with CR LF. Text after the
// last CR LF fails the test and is kept as a last record.
inline std::vector<std::string> records(const std::string& text) {
  SplitText split = split_records(text);
  if (!split.unended.empty()) {
    ADD_FAILURE() << "record without CR LF: " << split.unended;
    split.records.push_back(split.unended);
  }
  return split.records;
}

}  // namespace support
