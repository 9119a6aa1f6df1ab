// The text of a PDF file as poppler's pdftotext reads it, and its page count and size as
// pdfinfo reports them, for tests that check what was written.
#pragma once

#include <array>
#include <cstdio>
#include <string>

namespace orb::test {

inline std::string CommandOutput(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return out;
  std::array<char, 4096> buffer;
  while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe))
    out.append(buffer.data(), n);
  pclose(pipe);
  return out;
}

inline std::string PdfText(const std::string& path) {
  return CommandOutput("pdftotext -layout '" + path + "' - 2>&1");
}

// pdfinfo's "Pages:" and "Page size:" lines.
inline std::string PdfInfo(const std::string& path) {
  return CommandOutput("pdfinfo '" + path + "' 2>&1 | grep -E '^Page(s| size):'");
}

}  // namespace orb::test
