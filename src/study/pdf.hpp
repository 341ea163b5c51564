#pragma once
// A page printed to PDF by headless Chromium, where it is installed.

#include <optional>
#include <string>
#include <string_view>

namespace study {

// The browser that prints: the first executable file named chromium or
// chromium-browser in the folders of `search_path` (the PATH variable's
// text, folders split at ':'); none when there is none.
std::optional<std::string> find_chromium(std::string_view search_path);

// The file: URL of an absolute path, every byte but letters, digits, '/',
// '-', '.', '_' and '~' percent-encoded.
std::string file_url(std::string_view absolute_path);

// Prints the HTML file `html` to `pdf` through `browser` (headless, its
// own throw-away profile beside the PDF, no header or footer): into a
// temporary file beside `pdf`, renamed to it when the browser has
// succeeded. Throws StudyError saying what failed; `pdf` is then left as
// it was.
void print_to_pdf(const std::string& browser, const std::string& html, const std::string& pdf);

}  // namespace study
