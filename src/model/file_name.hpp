#pragma once
// A file name of the run: taken whole, at any length, never cut. Trailing
// blanks are no part of it (an answer line keeps its leading ones), so a
// name of blanks only is blank, as a blank character field is.

#include <cstddef>
#include <string>
#include <string_view>

#include "model/fixed_string.hpp"

class FileName {
 public:
  FileName() = default;
  FileName(std::string_view text) { assign(text); }  // NOLINT: implicit on purpose

  void assign(std::string_view text) { name_.assign(without_trailing_blanks(text)); }
  FileName& operator=(std::string_view text) {
    assign(text);
    return *this;
  }

  // The name, without trailing blanks.
  const std::string& str() const { return name_; }
  bool blank() const { return name_.empty(); }

  // The name in a field of `width` characters: padded with blanks when
  // shorter, whole when longer.
  std::string padded(std::size_t width) const {
    return name_.size() < width ? name_ + std::string(width - name_.size(), ' ') : name_;
  }

  friend bool operator==(const FileName& a, const FileName& b) { return a.name_ == b.name_; }

 private:
  std::string name_;
};
