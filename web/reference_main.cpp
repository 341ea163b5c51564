// Native reference values for the explorer's tests: the same session code
// as the WebAssembly module, built with the native compiler and library.
//   explorer_reference [--exact] FILE LEFT RIGHT COUNT   {"section": ..., "profiles": ...} as JSON
//   explorer_reference --data-file FILE        the section as a data file
//   explorer_reference --print-file FILE       the print file of a whole run
//   explorer_reference [--exact] --span FILE L S Q C R   the span panel's map (Q: E or B)
//   explorer_reference [--exact] --ion-flow FILE M LEFT RIGHT COUNT   the ion flow panel's profile
// LEFT and RIGHT in the file's units; --exact writes every number with 17
// significant digits. A refused file: its message on standard error,
// status 2.

#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "explorer.hpp"
#include "ion_flow_panel.hpp"
#include "json.hpp"
#include "span_panel.hpp"

int main(int argc, char** argv) {
  if (argc > 1 && std::string(argv[1]) == "--exact") {
    explorer::json::exact_numbers = true;
    --argc, ++argv;
  }
  const std::string mode = argc == 3 || argc == 7 || argc == 8 ? argv[1] : "";
  if ((mode == "--span" && argc == 8) || (mode == "--ion-flow" && argc == 7)) {
    try {
      const brenlow::CrossSection section = brenlow::read_data_file(argv[2]);
      if (mode == "--span")
        std::cout << explorer::span_json(section, std::stod(argv[3]), std::stod(argv[4]),
                                         std::string(argv[5]) == "B", std::stoi(argv[6]), std::stoi(argv[7]));
      else
        std::cout << explorer::ion_flow_json(section, std::stod(argv[3]), std::stod(argv[4]), std::stod(argv[5]),
                                             std::stoi(argv[6]));
      std::cout << "\n";
    } catch (const std::exception& e) {
      std::cerr << e.what() << "\n";
      return 2;
    }
    return 0;
  }
  if (argc != 5 && !(argc == 3 && (mode == "--data-file" || mode == "--print-file"))) {
    std::cerr << "usage: explorer_reference [--exact] FILE LEFT RIGHT COUNT | --data-file FILE | --print-file FILE |\n"
                 "       explorer_reference [--exact] --span FILE L S Q C R | --ion-flow FILE M LEFT RIGHT COUNT\n";
    return 1;
  }
  const char* path = argc == 3 ? argv[2] : argv[1];
  std::ifstream in(path, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  explorer::Session session;
  try {
    session.load(bytes, path);
    if (mode == "--data-file") {
      std::cout << session.data_file();
    } else if (mode == "--print-file") {
      std::cout << session.print_file();
    } else {
      const std::string profiles = session.profiles_json(std::stod(argv[2]), std::stod(argv[3]), std::stoi(argv[4]));
      std::cout << "{\"section\":" << session.section_json() << ",\"profiles\":" << profiles << "}\n";
    }
  } catch (const std::exception& e) {
    std::cerr << explorer::utf8_message(e.what()) << "\n";
    return 2;
  }
  return 0;
}
