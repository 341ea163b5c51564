#include "svg/element.hpp"

#include "svg/number.hpp"

namespace svg {

namespace {

const char* const replacement = "\xef\xbf\xbd";  // U+FFFD

}  // namespace

std::string xml_escape(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        case '\t': case '\n': case '\r': case 0x7f: out += ' '; break;
        default:
          if (c < 0x20)
            out += replacement;  // a control character XML cannot carry
          else
            out += static_cast<char>(c);
      }
      continue;
    }
    // Keep a well-formed UTF-8 sequence; anything else becomes '?'.
    std::size_t n = c >= 0xf0 && c < 0xf5 ? 4 : c >= 0xe0 ? 3 : c >= 0xc2 && c < 0xe0 ? 2 : 0;
    if (c >= 0xf5) n = 0;
    bool ok = n > 0 && i + n <= text.size();
    for (std::size_t k = 1; ok && k < n; ++k) ok = (static_cast<unsigned char>(text[i + k]) & 0xc0) == 0x80;
    if (ok && n == 3) {
      unsigned char d = static_cast<unsigned char>(text[i + 1]);
      ok = !(c == 0xe0 && d < 0xa0) && !(c == 0xed && d >= 0xa0);  // overlong, surrogates
      if (ok && c == 0xef && d == 0xbf && static_cast<unsigned char>(text[i + 2]) >= 0xbe) {
        out += replacement;  // U+FFFE and U+FFFF: characters XML cannot carry
        i += 2;
        continue;
      }
    }
    if (ok && n == 4) {
      unsigned char d = static_cast<unsigned char>(text[i + 1]);
      ok = !(c == 0xf0 && d < 0x90) && !(c == 0xf4 && d >= 0x90);
    }
    if (ok) {
      out.append(text.substr(i, n));
      i += n - 1;
    } else {
      out += '?';
    }
  }
  return out;
}

Tag::Tag(std::string_view name) : name_(name) {}

Tag& Tag::set(std::string_view attribute, double coordinate) { return set(attribute, num(coordinate)); }

Tag& Tag::set(std::string_view attribute, std::string_view value) {
  attributes_.append(" ").append(attribute).append("=\"").append(xml_escape(value)).append("\"");
  return *this;
}

std::string Tag::empty() const { return "<" + name_ + attributes_ + "/>"; }

std::string Tag::open() const { return "<" + name_ + attributes_ + ">"; }

std::string Tag::text(std::string_view markup) const {
  std::string out = open();
  out.append(markup).append("</").append(name_).append(">");
  return out;
}

std::string heading(std::string_view title) {
  return Tag("text")
      .set("x", 24)
      .set("y", 30)
      .set("font-size", "17")
      .set("font-weight", "bold")
      .set("fill", "#111")
      .text(xml_escape(title));
}

std::string turned_at(double x, double y, int degrees) {
  return "translate(" + num(x) + ' ' + num(y) + ") rotate(" + std::to_string(degrees) + ")";
}

Document::Document(double width, double height, std::string_view title, std::string_view font_family) {
  out_ << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
       << Tag("svg")
              .set("xmlns", "http://www.w3.org/2000/svg")
              .set("width", width)
              .set("height", height)
              .set("viewBox", "0 0 " + num(width) + ' ' + num(height))
              .set("font-family", font_family)
              .open()
       << '\n'
       << Tag("title").text(xml_escape(title)) << '\n'
       << Tag("rect").set("width", "100%").set("height", "100%").set("fill", "#fff") << '\n';
}

std::string Document::finish() {
  out_ << "</svg>\n";
  return out_.str();
}

}  // namespace svg
