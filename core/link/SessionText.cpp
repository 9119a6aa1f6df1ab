#include "core/link/SessionText.h"

#include <algorithm>
#include <cstdio>

namespace orb {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

}  // namespace

bool Contains(const std::string& line, const char* text) {
  return line.find(text) != std::string::npos;
}

bool IsPrintable(const std::string& text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E) return false;
  }
  return true;
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && IsBlank(line[i])) ++i;
    const std::size_t start = i;
    while (i < line.size() && !IsBlank(line[i])) ++i;
    if (i > start) fields.push_back(line.substr(start, i - start));
  }
  return fields;
}

std::string FifthField(const std::string& line) {
  std::size_t end = line.size();
  while (end > 0 && static_cast<unsigned char>(line[end - 1]) <= ' ') --end;
  std::size_t i = 0;
  while (i < end && static_cast<unsigned char>(line[i]) <= ' ') ++i;
  for (int field = 1;; ++field) {
    while (i < end && IsBlank(line[i])) ++i;
    if (i >= end) return {};
    const std::size_t start = i;
    while (i < end && !IsBlank(line[i])) ++i;
    if (field == 5) return i < end ? line.substr(start, i - start) : std::string();
  }
}

long FreeSpace(const std::string& field) {
  if (field.empty()) return 0;
  long value = 0;
  for (char c : field) {
    if (c < '0' || c > '9') return 0;
    value = std::min(value * 10 + (c - '0'), 1L << 40);
  }
  return value;
}

std::string MinutesText(std::uint64_t seconds) {
  char text[16];
  std::snprintf(text, sizeof text, "%02u:%02u", static_cast<unsigned>(seconds / 60 % 100),
                static_cast<unsigned>(seconds % 60));
  return text;
}

}  // namespace orb
