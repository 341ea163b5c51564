#include "study/html.hpp"

#include "svg/element.hpp"

namespace study::html {

std::string escape(std::string_view utf8) { return svg::xml_escape(utf8); }

std::string utf8_of_latin1(std::string_view latin1) {
  std::string out;
  out.reserve(latin1.size());
  for (char ch : latin1) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      out += ch;
    } else if (c < 0xa0) {
      out += "\xef\xbf\xbd";
    } else {
      out += static_cast<char>(0xc0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3f));
    }
  }
  return out;
}

std::string table(const Table& t, std::string_view css_class) {
  std::string out = "<table";
  if (!css_class.empty()) out.append(" class=\"").append(escape(css_class)).append("\"");
  out += ">\n<thead><tr>";
  for (const Column& c : t.columns()) {
    out.append(c.text ? "<th class=\"text\">" : "<th>").append(escape(c.name));
    if (!c.unit.empty()) out.append("<br><span class=\"unit\">").append(escape(c.unit)).append("</span>");
    out += "</th>";
  }
  out += "</tr></thead>\n<tbody>\n";
  for (const std::vector<Cell>& row : t.rows()) {
    out += "<tr>";
    for (std::size_t k = 0; k < row.size(); ++k) {
      const bool text = k < t.columns().size() && t.columns()[k].text;
      out.append(text ? "<td class=\"text\">" : "<td>").append(escape(row[k].shown)).append("</td>");
    }
    out += "</tr>\n";
  }
  return out + "</tbody>\n</table>\n";
}

std::string inline_svg(std::string_view document) {
  const std::size_t start = document.find("<svg");
  return std::string(start == std::string_view::npos ? document : document.substr(start));
}

}  // namespace study::html
