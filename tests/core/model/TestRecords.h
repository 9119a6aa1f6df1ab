#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/model/DebugLog.h"
#include "core/model/Q730classes.h"

namespace orb::test {

// A plain record list framed like snap.dat and its siblings.
class PlainList : public TQ730 {
 public:
  PlainList(const char* name = "cue.dat", int record_size = 36, int max_count = 99)
      : TQ730(kCue, name, record_size, max_count) {}
  Status Load(DataFile& file) override { return LoadRecordChunk(file); }
  int Append() { return AppendRecord(); }
};

inline std::vector<std::uint8_t> Chunk(const std::string& name,
                                       const std::vector<std::uint8_t>& body,
                                       std::uint32_t size_field) {
  ChunkHeader header;
  header.SetName(name);
  header.SetSize(size_field);
  std::vector<std::uint8_t> bytes(header.bytes.begin(), header.bytes.end());
  bytes.insert(bytes.end(), body.begin(), body.end());
  return bytes;
}

inline std::vector<std::uint8_t> Chunk(const std::string& name,
                                       const std::vector<std::uint8_t>& body) {
  return Chunk(name, body, static_cast<std::uint32_t>(body.size()));
}

inline std::vector<std::string> DrainLog() {
  std::vector<std::string> lines;
  for (std::string line = NextLogLine(); !line.empty(); line = NextLogLine()) lines.push_back(line);
  return lines;
}

}  // namespace orb::test
