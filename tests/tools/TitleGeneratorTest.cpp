#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "core/model/FaderLaw.h"
#include "tools/TitleGenerator.h"

// The checks read the bytes with their own little helpers, so that a fault shared by the
// generator and the model's helpers cannot hide.
namespace orb::gen {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t U16(const Bytes& b, std::size_t at) {
  return b[at] | b[at + 1] << 8;
}
std::uint32_t U32(const Bytes& b, std::size_t at) {
  return U16(b, at) | U16(b, at + 2) << 16;
}
std::uint32_t Sum16(const Bytes& b, std::size_t from, std::size_t to) {
  std::uint32_t sum = 0;
  for (std::size_t i = from; i < to; ++i) sum += b[i];
  return sum & 0xFFFF;
}
std::string Text(const Bytes& b, std::size_t at, std::size_t slot) {
  std::string s;
  for (std::size_t i = at; i < at + slot && b[i] != 0; ++i) s += static_cast<char>(b[i]);
  return s;
}
Bytes Slice(const Bytes& b, std::size_t at, std::size_t n) {
  return Bytes(b.begin() + static_cast<std::ptrdiff_t>(at),
               b.begin() + static_cast<std::ptrdiff_t>(at + n));
}

struct ChunkAt {
  std::string name;
  Bytes body;
};

std::vector<ChunkAt> WalkChunks(const Bytes& file) {
  std::vector<ChunkAt> chunks;
  std::size_t pos = 0;
  while (pos < file.size()) {
    if (pos + 16 > file.size()) {
      ADD_FAILURE() << "truncated header at " << pos;
      break;
    }
    const std::uint32_t size = U32(file, pos + 12);
    if (pos + 16 + size > file.size()) {
      ADD_FAILURE() << "body past the end at " << pos;
      break;
    }
    chunks.push_back({Text(file, pos, 12), Slice(file, pos + 16, size)});
    pos += 16 + size;
  }
  return chunks;
}

const Bytes& Body(const std::vector<ChunkAt>& chunks, const std::string& name) {
  static const Bytes none;
  for (const auto& c : chunks)
    if (c.name == name) return c.body;
  ADD_FAILURE() << "no chunk " << name;
  return none;
}

std::array<int, 5> GroupSizes(const TitleSpec& spec) {
  if (spec.rate_mode < 2) return {48, 8, 8, 8, 1};
  return spec.mtr_bus_mode ? std::array<int, 5>{24, 6, 2, 4, 0}
                           : std::array<int, 5>{24, 4, 2, 4, 1};
}

bool ValidBcd(std::uint32_t tc, int tc_mode) {
  for (int shift = 0; shift < 32; shift += 4)
    if ((tc >> shift & 0xF) > 9) return false;
  auto field = [tc](int byte) {
    return static_cast<int>((tc >> (8 * byte) & 0xF) + 10 * (tc >> (8 * byte + 4) & 0xF));
  };
  const int fps = tc_mode == 4 ? 25 : 30;
  const bool drop = tc_mode == 1 || tc_mode == 3;
  if (field(0) >= fps || field(1) >= 60 || field(2) >= 60 || field(3) >= 24) return false;
  return !(drop && field(2) % 10 != 0 && field(1) == 0 && field(0) < 2);
}

std::uint32_t ExpectedWords(const TitleSpec& spec) {
  return spec.automation_words == 0 ? 1 : spec.automation_words == 2 ? 3 : spec.automation_words;
}

// Framing of a whole title: chunk order and sizes, record trailers, every checksum and the
// title information.
void CheckFraming(const TitleSpec& spec, const Bytes& file) {
  SCOPED_TRACE(spec.name);
  const auto chunks = WalkChunks(file);
  std::vector<std::string> names;
  for (const auto& c : chunks) names.push_back(c.name);
  std::vector<std::string> expected = {"sysf.dat", "snap.dat", "cue.dat", "dylib.dat", "eqlib.dat"};
  if (spec.with_gfed) expected.push_back("gfed.dat");
  expected.push_back("auto.dat");
  ASSERT_EQ(names, expected);

  struct List {
    const char* name;
    int count, size, first_number;
  };
  for (const List& l :
       {List{"snap.dat", spec.snapshots, 8192, 1}, List{"cue.dat", spec.cues, 36, 0},
        List{"dylib.dat", spec.dynamics, 64, 1}, List{"eqlib.dat", spec.eq, 66, 1}}) {
    const Bytes& body = Body(chunks, l.name);
    ASSERT_EQ(body.size(), static_cast<std::size_t>(l.count * l.size)) << l.name;
    for (int i = 0; i < l.count; ++i) {
      const std::size_t end = static_cast<std::size_t>((i + 1) * l.size);
      EXPECT_EQ(U16(body, end - 4), static_cast<std::uint32_t>(l.first_number + i)) << l.name << i;
      EXPECT_EQ(U16(body, end - 2), Sum16(body, end - l.size, end - 2)) << l.name << i;
    }
  }

  const Bytes& sysf = Body(chunks, "sysf.dat");
  ASSERT_EQ(sysf.size(), 12288u);
  EXPECT_EQ(U16(sysf, 12286), Sum16(sysf, 0, 12286));
  if (spec.with_gfed) {
    const Bytes& gfed = Body(chunks, "gfed.dat");
    ASSERT_EQ(gfed.size(), 296u);
    EXPECT_EQ(U16(gfed, 292), spec.gfed_state);
    EXPECT_EQ(U16(gfed, 294), Sum16(gfed, 0, 294));
  }
  const Bytes& autod = Body(chunks, "auto.dat");
  const std::uint32_t words = ExpectedWords(spec);
  ASSERT_EQ(autod.size(), 36186u + 4 * words);
  EXPECT_EQ(U32(autod, 0), words);
  EXPECT_EQ(U16(autod, autod.size() - 2), Sum16(autod, 4, autod.size() - 2));
  EXPECT_EQ(U32(autod, autod.size() - 6), 0xFFFFFFFFu);

  EXPECT_EQ(sysf[5], spec.locked ? 1 : 0);
  EXPECT_EQ(Text(sysf, 6, 24), spec.name);
  const std::size_t size = 12288 + 8192 * spec.snapshots + 36 * spec.cues + 64 * spec.dynamics +
                           66 * spec.eq + autod.size();
  EXPECT_EQ(U16(sysf, 30), size / 1024);
  EXPECT_EQ(U32(sysf, 32), spec.save_date);
  const Bytes& cues = Body(chunks, "cue.dat");
  EXPECT_EQ(U32(sysf, 36), cues.empty() ? 0 : U32(cues, 0));
  EXPECT_EQ(sysf[40], spec.tc_mode);
  EXPECT_EQ(sysf[41], spec.rate_mode);
  EXPECT_EQ(sysf[131], spec.mtr_bus_mode ? 1 : 0);
  EXPECT_EQ(Text(sysf, 42, 86), spec.memo);
}

TEST(TitleGeneratorTest, EveryDemoTitleIsFramedAsTheConsoleWritesIt) {
  for (const TitleSpec& spec : DemoSpecs()) CheckFraming(spec, MakeTitle(spec));
}

TEST(TitleGeneratorTest, DemoSpecsCoverTheVariety) {
  const auto specs = DemoSpecs();
  std::set<std::string> names;
  std::set<int> rates;
  bool surround = false, no_gfed = false, state1 = false, empty = false, full = false,
       long_name = false, one_word = false, limit = false;
  for (const TitleSpec& s : specs) {
    EXPECT_TRUE(names.insert(s.name).second) << s.name;
    EXPECT_LE(s.name.size(), 23u);
    EXPECT_TRUE(std::all_of(s.name.begin(), s.name.end(), [](char c) {
      return std::isalnum(static_cast<unsigned char>(c)) || c == '-';
    })) << s.name;
    rates.insert(s.rate_mode);
    surround |= s.mtr_bus_mode && s.rate_mode >= 2;
    no_gfed |= !s.with_gfed;
    state1 |= s.with_gfed && s.gfed_state == 1;
    empty |= s.snapshots + s.cues + s.dynamics + s.eq == 0;
    full |= s.snapshots == 99 && s.cues == 99 && s.dynamics == 99 && s.eq == 99;
    long_name |= s.name.size() == 23;
    one_word |= s.automation_words == 1;
    limit |= s.automation_words == 253097;
  }
  EXPECT_EQ(rates, (std::set<int>{0, 1, 2, 3}));
  EXPECT_TRUE(surround && no_gfed && state1 && empty && full && long_name && one_word && limit);
}

TEST(TitleGeneratorTest, CuesAreSortedAndReferenceExistingRecords) {
  for (const TitleSpec& spec : DemoSpecs()) {
    SCOPED_TRACE(spec.name);
    const auto files = MakeDataFiles(spec);
    const Bytes& cues = files.at("cue.dat");
    std::set<int> kinds;
    for (int i = 0; i < spec.cues; ++i) {
      const std::size_t at = 36 * static_cast<std::size_t>(i);
      const std::uint32_t time = U32(cues, at);
      EXPECT_TRUE(ValidBcd(time, spec.tc_mode)) << std::hex << time;
      if (i > 0) {
        EXPECT_LE(U32(cues, at - 36), time);
      }
      EXPECT_LE(cues[at + 28], 1);
      const int kind = cues[at + 29], ref = cues[at + 30];
      kinds.insert(kind);
      const int target = kind == 1   ? spec.snapshots
                         : kind == 2 ? spec.eq
                         : kind == 3 ? spec.dynamics
                                     : 0;
      if (kind == 0) {
        EXPECT_EQ(ref, 0);
      } else {
        EXPECT_GE(ref, 1);
        EXPECT_LE(ref, target) << "kind " << kind;
      }
    }
    if (spec.cues == 99) {
      EXPECT_EQ(kinds, (std::set<int>{0, 1, 2, 3}));
    }
  }
}

TEST(TitleGeneratorTest, SnapshotsAndLibrariesHoldPlausibleRecords) {
  TitleSpec spec;
  spec.snapshots = spec.dynamics = spec.eq = 99;
  const auto files = MakeDataFiles(spec);
  const Bytes& sysf = files.at("sysf.dat");
  std::set<std::string> names;

  const Bytes& snap = files.at("snap.dat");
  for (int i = 0; i < spec.snapshots; ++i) {
    const std::size_t at = 8192 * static_cast<std::size_t>(i);
    EXPECT_EQ(Text(snap, at, 4), "V002");
    names.insert(Text(snap, at + 4, 24));
    for (int k = 0; k < 48; ++k) EXPECT_LE(U16(snap, at + 124 + 132 * k + 10), 1023u);
    EXPECT_EQ(Sum16(snap, at + 7700, at + 8188), 0u);
  }
  // The first snapshot is the current state; later ones differ from it.
  EXPECT_EQ(Slice(snap, 28, 96), Slice(sysf, 7596, 96));
  EXPECT_EQ(Slice(snap, 124, 6336), Slice(sysf, 1260, 6336));
  EXPECT_EQ(Slice(snap, 6460, 1240), Slice(sysf, 7692, 1240));
  EXPECT_NE(Slice(snap, 8192 + 124, 6336), Slice(sysf, 1260, 6336));

  // Threshold in half dB below 0: 0.5 dB steps up to index 90, 1 dB after.
  auto half_db = [](int v) { return v <= 90 ? v : 90 + 2 * (v - 90); };
  const std::vector<std::pair<int, int>> dyn_max = {
      {28, 1},  {29, 1},  {30, 1},   {31, 47}, {32, 1},   {33, 1},  {34, 1},   {35, 60},
      {36, 60}, {37, 7},  {38, 105}, {39, 30}, {40, 105}, {41, 96}, {42, 120}, {44, 1},
      {45, 1},  {46, 60}, {47, 125}, {48, 30}, {49, 105}, {50, 96}, {51, 120}};
  const Bytes& dyn = files.at("dylib.dat");
  for (int i = 0; i < spec.dynamics; ++i) {
    const std::size_t at = 64 * static_cast<std::size_t>(i);
    EXPECT_EQ(Text(dyn, at, 4), "V002");
    names.insert(Text(dyn, at + 4, 24));
    for (auto [offset, max] : dyn_max) EXPECT_LE(dyn[at + offset], max) << i << "@" << offset;
    EXPECT_GE(half_db(dyn[at + 47]), half_db(dyn[at + 38]) + dyn[at + 37]) << i;
    EXPECT_EQ(Sum16(dyn, at + 52, at + 60), 0u);
  }

  const Bytes& eq = files.at("eqlib.dat");
  int without_filters = 0;
  for (int i = 0; i < spec.eq; ++i) {
    const std::size_t at = 66 * static_cast<std::size_t>(i);
    EXPECT_EQ(Text(eq, at, 4), "V002");
    names.insert(Text(eq, at + 4, 24));
    for (auto [offset, max] : std::vector<std::pair<int, int>>{
             {28, 1}, {29, 1}, {30, 47}, {31, 1}, {33, 47}, {34, 1}, {35, 1}, {36, 1}})
      EXPECT_LE(eq[at + offset], max) << i << "@" << offset;
    for (int band = 0; band < 4; ++band) {
      const std::size_t b = at + 38 + 4 * band;
      EXPECT_LE(eq[b], 1);
      EXPECT_LE(eq[b + 1], 60);
      EXPECT_LE(eq[b + 2], 127);
      EXPECT_LE(eq[b + 3], 62);
    }
    EXPECT_EQ(eq[at + 54], 1);
    without_filters += Slice(eq, at + 28, 6) == Bytes{0, 0, 23, 0, 0, 23};
  }
  EXPECT_GT(without_filters, 0);
  for (const std::string& name : names) EXPECT_FALSE(name.empty());
  EXPECT_TRUE(
      std::any_of(names.begin(), names.end(), [](const std::string& n) { return n.size() == 23; }));
}

TEST(TitleGeneratorTest, GroupFadersFollowTheChannelFadersInFixedSlots) {
  for (bool surround : {false, true}) {
    TitleSpec spec;
    spec.rate_mode = 3;
    spec.mtr_bus_mode = surround;
    const auto files = MakeDataFiles(spec);
    const Bytes& sysf = files.at("sysf.dat");
    const Bytes& gfed = files.at("gfed.dat");
    const auto sizes = GroupSizes(spec);
    const int strip[5] = {1260 + 10, 8404, 8012, 7700, 7956}, stride[5] = {132, 48, 48, 32, 48},
              slot[5] = {0, 48, 56, 64, 72};
    std::set<int> filled;
    for (int g = 0; g < 5; ++g) {
      for (int k = 0; k < sizes[g]; ++k) {
        const int index = static_cast<int>(U16(sysf, strip[g] + stride[g] * k));
        EXPECT_EQ(static_cast<std::int32_t>(U32(gfed, 4 * (slot[g] + k))), FaderTenths(index) * 10)
            << g << "/" << k;
        filled.insert(slot[g] + k);
      }
    }
    for (int s = 0; s < 73; ++s)
      if (!filled.count(s)) {
        EXPECT_EQ(U32(gfed, 4 * s), 0u) << s;
      }
  }
  TitleSpec none;
  none.with_gfed = false;
  EXPECT_EQ(MakeDataFiles(none).count("gfed.dat"), 0u);
}

struct StreamStats {
  int markers = 0, events = 0, shared_markers = 0;
  std::set<std::uint32_t> tracks;  // code | channel << 8
  std::set<int> codes;
};

// Walks the event stream and checks what every loader relies on; the fader start values are
// checked against the first fader event of their channel.
StreamStats CheckStream(const TitleSpec& spec, const Bytes& autod) {
  StreamStats stats;
  const std::uint32_t words = U32(autod, 0);
  const auto sizes = GroupSizes(spec);
  const int fader_code[5] = {2, 146, 111, 71, 76};
  // Start-value entry of each group's fader (parameter 110) for channel 0, and the stride.
  const int fader_entry[5] = {6, 30528, 32688, 34848 + 12, 35856},
            stride[5] = {636, 270, 270, 126, 0};
  std::vector<std::pair<std::uint32_t, std::uint32_t>> first_fader(5 * 48, {0x99999999, 0});

  std::uint32_t marker = 0;
  int in_group = 0;
  for (std::uint32_t i = 0; i + 1 < words; ++i) {
    const std::uint32_t w = U32(autod, 36184 + 4 * static_cast<std::size_t>(i));
    if (w & 0x80000000u) {
      const std::uint32_t tc = w & 0x7FFFFFFF;
      EXPECT_TRUE(ValidBcd(tc, spec.tc_mode)) << std::hex << w;
      if (stats.markers > 0) {
        EXPECT_GT(tc, marker);
        EXPECT_GE(in_group, 1) << "marker without events before word " << i;
      }
      stats.shared_markers += in_group >= 2;
      marker = tc;
      in_group = 0;
      ++stats.markers;
      continue;
    }
    EXPECT_GT(stats.markers, 0) << "event before the first marker";
    ++in_group;
    ++stats.events;
    const int code = w & 0xFF, channel = w >> 8 & 0xFF, sub = w >> 16 & 0xFF;
    EXPECT_LT(channel, 48);
    if (code == 27 || code == 94 || code == 130 || code == 165) {
      EXPECT_TRUE(sub == 1 || sub == 2 || sub == 7 || sub == 8) << std::hex << w;
    }
    for (int g = 0; g < 5; ++g) {
      if (code != fader_code[g]) continue;
      EXPECT_LT(channel, sizes[g]) << "group " << g;
      EXPECT_LE(w >> 16, 1023u);
      auto& first = first_fader[g * 48 + channel];
      if (first.first == 0x99999999) first = {marker, w >> 16};
    }
    stats.tracks.insert(w & 0xFFFF);
    stats.codes.insert(code);
  }
  stats.shared_markers += in_group >= 2;
  if (stats.markers > 0) {
    EXPECT_GE(in_group, 1);
  }
  EXPECT_EQ(static_cast<std::uint32_t>(stats.markers + stats.events + 1), words);
  EXPECT_EQ(U32(autod, 36184 + 4 * static_cast<std::size_t>(words - 1)), 0xFFFFFFFFu);

  for (int g = 0; g < 5; ++g) {
    for (int k = 0; k < sizes[g]; ++k) {
      const std::size_t at = 4 + fader_entry[g] + stride[g] * k;
      EXPECT_EQ(U32(autod, at), first_fader[g * 48 + k].first) << g << "/" << k;
      EXPECT_EQ(U16(autod, at + 4), first_fader[g * 48 + k].second) << g << "/" << k;
    }
  }
  return stats;
}

TEST(TitleGeneratorTest, AutomationHitsTheWordCountExactly) {
  for (std::uint32_t words : {0u, 1u, 2u, 3u, 4u, 5u, 100u, 4097u, 253097u, 253098u}) {
    TitleSpec spec;
    spec.automation_words = words;
    spec.seed = words;
    const Bytes autod = MakeDataFiles(spec).at("auto.dat");
    const std::uint32_t expected = ExpectedWords(spec);
    ASSERT_EQ(autod.size(), 36186u + 4 * expected) << words;
    SCOPED_TRACE(words);
    const StreamStats stats = CheckStream(spec, autod);
    EXPECT_EQ(stats.markers == 0, expected == 1);
  }
}

TEST(TitleGeneratorTest, AutomationUsesManyChannelsAndParametersOfEveryLayout) {
  for (const TitleSpec& spec : DemoSpecs()) {
    SCOPED_TRACE(spec.name);
    const StreamStats stats = CheckStream(spec, MakeDataFiles(spec).at("auto.dat"));
    if (spec.automation_words >= 20000) {
      EXPECT_GT(stats.shared_markers, stats.markers / 4);
      EXPECT_GT(stats.tracks.size(), 100u);
      EXPECT_GT(stats.codes.size(), 30u);
    }
  }
  // Unused start-value entries are "none": timecode 99999999, value 0.
  TitleSpec quiet;
  const Bytes autod = MakeDataFiles(quiet).at("auto.dat");
  for (std::size_t at = 4; at < 4 + 36180; at += 6) {
    EXPECT_EQ(U32(autod, at), 0x99999999u) << at;
    EXPECT_EQ(U16(autod, at + 4), 0u) << at;
  }
}

TEST(TitleGeneratorTest, DataFilesAreTheChunkBodiesAndGenerationIsDeterministic) {
  TitleSpec spec;
  spec.automation_words = 999;
  spec.memo = "memo";
  const Bytes title = MakeTitle(spec);
  const auto files = MakeDataFiles(spec);
  const auto chunks = WalkChunks(title);
  ASSERT_EQ(files.size(), chunks.size());
  for (const auto& c : chunks) EXPECT_EQ(files.at(c.name), c.body) << c.name;

  const Bytes chunk = MakeChunk("cue.dat", {1, 2, 3});
  EXPECT_EQ(chunk, (Bytes{'c', 'u', 'e', '.', 'd', 'a', 't', 0, 0, 0, 0, 0, 3, 0, 0, 0, 1, 2, 3}));

  EXPECT_EQ(MakeTitle(spec), title);
  spec.seed = 2;
  EXPECT_NE(MakeTitle(spec), title);
}

}  // namespace
}  // namespace orb::gen
