// Writes the user guide: make_guide README.md OUT.html
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "tools/GuideWriter.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("Usage: make_guide README.md OUT.html\n", stderr);
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  const std::string readme{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  const std::string parts = orb::guide::UserParts(readme);
  if (parts.empty()) {
    std::fprintf(stderr, "%s: no user parts found\n", argv[1]);
    return 1;
  }
  std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
  out << orb::guide::Html(parts, "orbedit user guide");
  out.close();
  return out ? 0 : 1;
}
