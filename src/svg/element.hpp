#pragma once
// SVG elements and documents as text. Attribute values are escaped; the
// content given to Tag::text is markup and is written as it stands, so
// text from a user goes through xml_escape first.

#include <ostream>
#include <sstream>
#include <string>
#include <string_view>

namespace svg {

// Text made safe for XML character data and attribute values: the five
// markup characters as entities, tab and line ends as spaces, a character
// XML cannot carry (a control character, U+FFFE, U+FFFF) as U+FFFD, and a
// byte that is not part of well-formed UTF-8 as '?'.
std::string xml_escape(std::string_view text);

// One element: its name and attributes in the order they are set.
class Tag {
 public:
  explicit Tag(std::string_view name);
  Tag& set(std::string_view attribute, double coordinate);  // written with num()
  Tag& set(std::string_view attribute, std::string_view value);
  Tag& set(std::string_view attribute, const char* value) { return set(attribute, std::string_view(value)); }
  Tag& set(std::string_view attribute, const std::string& value) { return set(attribute, std::string_view(value)); }

  std::string empty() const;                        // <name .../>
  std::string open() const;                         // <name ...>
  std::string text(std::string_view markup) const;  // <name ...>markup</name>

 private:
  std::string name_;
  std::string attributes_;
};

inline std::ostream& operator<<(std::ostream& out, const Tag& tag) { return out << tag.empty(); }

// A picture's heading at its top left corner, in bold; text is escaped.
std::string heading(std::string_view title);

// The transform that turns text about its anchor point: "translate(x y) rotate(degrees)".
std::string turned_at(double x, double y, int degrees);

// A self-contained picture on a white ground. The head (XML declaration,
// the svg element, its title) is written on construction; finish() closes
// the picture and returns its text.
class Document {
 public:
  Document(double width, double height, std::string_view title,
           std::string_view font_family = "DejaVu Sans, Arial, sans-serif");
  std::ostream& out() { return out_; }
  std::string finish();

 private:
  std::ostringstream out_;
};

}  // namespace svg
