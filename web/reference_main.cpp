// Native reference values for the explorer's tests: the same session code
// as the WebAssembly module, built with the native compiler and library.
//   explorer_reference FILE LEFT RIGHT COUNT
// prints {"section": ..., "profiles": ...} as JSON (LEFT and RIGHT in the
// file's units). A refused file: its message on standard error, status 2.

#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "explorer.hpp"

int main(int argc, char** argv) {
  if (argc != 5) {
    std::cerr << "usage: explorer_reference FILE LEFT RIGHT COUNT\n";
    return 1;
  }
  std::ifstream in(argv[1], std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  explorer::Session session;
  try {
    session.load(bytes, argv[1]);
    const std::string profiles = session.profiles_json(std::stod(argv[2]), std::stod(argv[3]), std::stoi(argv[4]));
    std::cout << "{\"section\":" << session.section_json() << ",\"profiles\":" << profiles << "}\n";
  } catch (const std::exception& e) {
    std::cerr << e.what() << "\n";
    return 2;
  }
  return 0;
}
