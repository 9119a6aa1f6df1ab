// Sample titles built byte by byte from the file formats, as the console would write them.
// Deliberately independent of the model classes that load titles: the files made here are
// what those loaders are tested against.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace orb::gen {

struct TitleSpec {
  std::string name = "Demo";  // title name stored inside (at most 23 characters)
  std::string memo;           // at most 85 characters fit into the title information
  int rate_mode = 0;          // 0 48k, 1 44.1k, 2 96k, 3 88.2k
  bool mtr_bus_mode = false;  // system byte 131 (at the high rate: 6 MTR, no PGM)
  int tc_mode = 0;            // 0..4
  bool locked = false;
  bool with_gfed = true;
  std::uint16_t gfed_state = 2;  // 0, 1 or 2; with 1 the levels are left stale (all 0)
  int snapshots = 3, cues = 4, dynamics = 2, eq = 2;  // 0..99 each
  // Words of the event stream, terminator included. The console cannot write 2 words (a
  // marker always comes with an event), so 2 gives 3; 0 gives 1.
  std::uint32_t automation_words = 1;
  std::uint32_t save_date = 1700000000;  // seconds value stored at offset 32
  std::uint32_t seed = 1;
  // Pairs, surround groups, group memberships and gangs as the console keeps them: partners
  // hold the same linked settings, a surround group is whole, a membership fits its group's
  // type, and a cut group cuts alike. Otherwise they are left to chance.
  bool links_agree = false;
};

// The whole title file: the chunks in title-file order.
std::vector<std::uint8_t> MakeTitle(const TitleSpec& spec);

// A 16-byte chunk header (name zero-filled to 12 bytes, body size) followed by the body.
std::vector<std::uint8_t> MakeChunk(const std::string& name, const std::vector<std::uint8_t>& body);

// The data files of the title (bodies without chunk header) keyed by file name; "gfed.dat"
// only when with_gfed is set.
std::map<std::string, std::vector<std::uint8_t>> MakeDataFiles(const TitleSpec& spec);

// A varied set of titles with distinct, file-safe names.
std::vector<TitleSpec> DemoSpecs();

}  // namespace orb::gen
