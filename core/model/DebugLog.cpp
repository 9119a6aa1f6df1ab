#include "core/model/DebugLog.h"

#include <array>
#include <cstdio>

namespace orb {
namespace {

struct Ring {
  std::array<std::string, kLogSlots> lines;
  int write = 0;
  int read = 0;
};

Ring& TheRing() {
  static Ring ring;
  return ring;
}

}  // namespace

void LogLine(std::string text) {
  Ring& ring = TheRing();
  ring.lines[ring.write] = std::move(text);
  ring.write = (ring.write + 1) % kLogSlots;
}

std::string NextLogLine() {
  Ring& ring = TheRing();
  if (ring.read == ring.write) return {};
  std::string line = std::move(ring.lines[ring.read]);
  ring.lines[ring.read].clear();
  ring.read = (ring.read + 1) % kLogSlots;
  return line;
}

void ClearLog() {
  Ring& ring = TheRing();
  for (auto& line : ring.lines) line.clear();
  ring.write = ring.read = 0;
}

std::string Hex8(unsigned long value) {
  char text[16];
  std::snprintf(text, sizeof text, "%08lX", value & 0xFFFFFFFFul);
  return text;
}

}  // namespace orb
