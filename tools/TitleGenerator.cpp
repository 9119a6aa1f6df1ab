#include "tools/TitleGenerator.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <span>
#include <string_view>

#include "core/model/FaderLaw.h"
#include "core/model/ParamIds.h"
#include "core/model/ParamModel.h"
#include "core/model/Q730.h"
#include "core/model/Q730classes.h"

namespace orb::gen {
namespace {

// Sizes of the data files and their records.
constexpr int kSysfSize = 12288;
constexpr int kGfedSize = 296;
constexpr int kSnapSize = 8192;
constexpr int kCueSize = 36;
constexpr int kDynSize = 64;
constexpr int kEqSize = 66;
constexpr int kStartTableSize = 36180;
constexpr int kAutoFixedSize = 4 + kStartTableSize + 2;
constexpr int kNameSlot = 24;
constexpr int kMaxRecords = 99;
constexpr int kMemoAt = 42;
constexpr int kTitleInfoSize = 128;

// Places inside the system block.
constexpr int kInputStrips = 1260;
constexpr int kInputStripSize = 132;
constexpr int kInputPairs = 7596;
constexpr int kRtnPairs = 7692;
constexpr int kRtnStrips = 7700;
constexpr int kRtnStripSize = 32;
constexpr int kPgmStrip = 7956;
constexpr int kAuxPairs = 8004;
constexpr int kAuxStrips = 8012;
constexpr int kMtrPairs = 8396;
constexpr int kMtrStrips = 8404;
constexpr int kBusStripSize = 48;
constexpr int kFaderGroups = 8794;
constexpr int kChannelNames = 8996;
constexpr int kIsolateBytes = 466;

// The three regions a snapshot copies: (system offset, snapshot offset, length).
struct Region {
  int system;
  int snapshot;
  int length;
};
constexpr Region kSnapshotRegions[3] = {{7596, 28, 96}, {1260, 124, 6336}, {7692, 6460, 1240}};

enum Group { kInput = 0, kMtr = 1, kAux = 2, kRtn = 3, kPgm = 4 };

// splitmix64: cheap, and the same sequence on every platform.
class Rng {
 public:
  explicit Rng(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  int Below(int n) { return n <= 1 ? 0 : static_cast<int>(Next() % static_cast<unsigned>(n)); }
  int Range(int low, int high) { return low + Below(high - low + 1); }
  bool Chance(int percent) { return Below(100) < percent; }
  std::uint8_t Byte(int low, int high) { return static_cast<std::uint8_t>(Range(low, high)); }
  std::uint8_t Switch(int percent_on = 50) { return Chance(percent_on) ? 1 : 0; }

 private:
  std::uint64_t state_;
};

// Each part of a title draws from its own stream, so that changing one count leaves the
// other parts as they were.
enum Part { kPartSystem = 1, kPartSnapshots, kPartCues, kPartDynamics, kPartEq, kPartAuto };
Rng StreamFor(const TitleSpec& spec, Part part) {
  return Rng(spec.seed * 0xD1B54A32D192ED03ull +
             static_cast<std::uint64_t>(part) * 0x8CB92BA72F3D8DD7ull);
}

struct Layout {
  std::array<int, 5> size;
  bool high_rate;
};

Layout LayoutOf(const TitleSpec& spec) {
  const bool high = spec.rate_mode == 2 || spec.rate_mode == 3;
  if (!high) return {{48, 8, 8, 8, 1}, false};
  if (spec.mtr_bus_mode) return {{24, 6, 2, 4, 0}, true};
  return {{24, 4, 2, 4, 1}, true};
}

int ClampCount(int n) {
  return std::clamp(n, 0, kMaxRecords);
}

std::uint32_t EffectiveWords(const TitleSpec& spec) {
  if (spec.automation_words == 0) return 1;
  if (spec.automation_words == 2) return 3;
  return spec.automation_words;
}

void PutText(std::uint8_t* slot, std::size_t slot_length, std::string_view text) {
  const std::size_t n = std::min(text.size(), slot_length - 1);
  std::memcpy(slot, text.data(), n);
  std::memset(slot + n, 0, slot_length - n);
}

void FinishRecord(std::uint8_t* record, int size, int number) {
  PutU16(record + size - 4, static_cast<std::uint32_t>(number));
  StoreChecksum(record, static_cast<std::size_t>(size));
}

// ---- channel state --------------------------------------------------------------------

std::uint16_t FaderIndex(Rng& rng) {
  if (rng.Chance(8)) return 0;
  if (rng.Chance(25)) return kFaderNominal;
  return static_cast<std::uint16_t>(rng.Range(450, 900));
}

std::uint16_t SendIndex(Rng& rng) {
  return rng.Chance(50) ? 0 : static_cast<std::uint16_t>(rng.Range(300, 820));
}

std::uint8_t Pan(Rng& rng) {
  return rng.Chance(40) ? 63 : rng.Byte(0, 126);
}

// Threshold steps in half dB below 0 dB: 0.5 dB steps up to index 90, 1 dB steps after.
int ThresholdHalfDb(int index) {
  return index <= 90 ? index : 90 + 2 * (index - 90);
}

// The 24 bytes of a dynamics block (channel strip bytes 40-63). The gate threshold keeps
// below the compressor threshold minus the knee, as the console enforces.
void FillDynamics(std::uint8_t* d, Rng& rng, bool has_pre_post, bool may_link) {
  d[0] = rng.Switch(40);
  d[1] = has_pre_post ? rng.Switch(30) : 0;
  d[2] = may_link ? rng.Switch(25) : 0;
  d[3] = rng.Byte(0, 47);
  d[4] = rng.Switch(50);
  d[5] = rng.Switch(30);
  d[6] = rng.Switch(20);
  d[7] = rng.Byte(0, 60);
  d[8] = rng.Byte(0, 60);
  const int knee = rng.Range(0, 7);
  const int comp = rng.Range(0, 105);
  d[9] = static_cast<std::uint8_t>(knee);
  d[10] = static_cast<std::uint8_t>(comp);
  d[11] = rng.Byte(0, 30);
  d[12] = rng.Byte(0, 105);
  d[13] = rng.Byte(0, 96);
  d[14] = rng.Byte(0, 120);
  d[15] = 0;
  d[16] = rng.Switch(40);
  d[17] = rng.Switch(30);
  d[18] = rng.Byte(0, 60);
  const int target = ThresholdHalfDb(comp) + knee;
  const int lowest_gate = target <= 90 ? target : 90 + (target - 90 + 1) / 2;
  d[19] = static_cast<std::uint8_t>(std::min(125, lowest_gate + rng.Range(0, 20)));
  d[20] = rng.Byte(0, 30);
  d[21] = rng.Byte(0, 105);
  d[22] = rng.Byte(0, 96);
  d[23] = rng.Byte(0, 120);
}

// The 20 bytes of an EQ block (channel strip bytes 20-39).
void FillEq(std::uint8_t* e, Rng& rng) {
  e[0] = rng.Switch(60);
  e[1] = rng.Switch(30);
  e[2] = rng.Switch(30);
  e[3] = 0;
  for (int band = 0; band < 4; ++band) {
    std::uint8_t* b = e + 4 + 4 * band;
    b[0] = rng.Switch(60);
    b[1] = rng.Byte(0, 60);
    b[2] = rng.Chance(30) ? 63 : rng.Byte(23, 103);
    b[3] = rng.Byte(0, 62);
  }
}

// The 6 bytes of a filter block (channel strip bytes 14-19).
void FillFilter(std::uint8_t* f, Rng& rng) {
  f[0] = rng.Switch(40);
  f[1] = rng.Switch(10);
  f[2] = rng.Byte(0, 47);
  f[3] = rng.Switch(30);
  f[4] = 0;
  f[5] = rng.Byte(0, 47);
}

// A channel may link its dynamics to the next one only from an even position of its group,
// which also keeps it off the last channel, CH 24 and the fourth AUX or MTR.
bool MayLink(int position) {
  return position % 2 == 0;
}

void FillInputStrip(std::uint8_t* s, Rng& rng, int k, std::uint8_t delay_unit) {
  PutU32(s, rng.Chance(20) ? static_cast<std::uint32_t>(rng.Range(1, 4800)) * 256 : 0);
  s[4] = rng.Switch(20);
  s[5] = delay_unit;
  s[6] = rng.Switch(10);
  s[7] = rng.Chance(30) ? 60 : rng.Byte(20, 110);
  s[8] = static_cast<std::uint8_t>(k);
  s[9] = rng.Switch(10);
  PutU16(s + 10, FaderIndex(rng));
  s[12] = rng.Chance(25) ? rng.Byte(1, 8) : 0;
  s[13] = rng.Chance(20) ? rng.Byte(1, 8) : 0;
  FillFilter(s + 14, rng);
  FillEq(s + 20, rng);
  FillDynamics(s + 40, rng, true, MayLink(k));
  s[64] = rng.Switch(80);
  s[65] = Pan(rng);
  s[66] = rng.Switch(80);
  s[67] = rng.Switch(80);
  for (int i = 0; i < 4; ++i) s[68 + i] = Pan(rng);
  for (int i = 0; i < 4; ++i) s[72 + i] = rng.Switch(50);
  for (int send = 0; send < 8; ++send) {
    PutU16(s + 76 + 4 * send, SendIndex(rng));
    s[78 + 4 * send] = rng.Switch(40);
    s[79 + 4 * send] = rng.Switch(30);
  }
  PutU16(s + 108, SendIndex(rng));
  PutU16(s + 110, SendIndex(rng));
  s[112] = rng.Switch(10);
  s[113] = rng.Switch(15);
  s[114] = Pan(rng);
  s[115] = Pan(rng);
  s[116] = rng.Byte(0, 100);
  s[117] = Pan(rng);
  s[118] = rng.Byte(0, 2);
  s[119] = rng.Switch(50);
  s[120] = rng.Switch(10);
  s[121] = rng.Switch(10);
  for (int bus = 0; bus < 8; ++bus) s[122 + bus] = rng.Switch(25);
}

void FillBusStrip(std::uint8_t* s, Rng& rng, int position) {
  PutU16(s, FaderIndex(rng));
  s[2] = rng.Chance(15) ? rng.Byte(1, 8) : 0;
  s[3] = 0;
  FillEq(s + 4, rng);
  FillDynamics(s + 24, rng, false, MayLink(position));
}

void FillReturnStrip(std::uint8_t* s, Rng& rng, int k) {
  PutU16(s, FaderIndex(rng));
  s[2] = rng.Switch(10);
  s[3] = static_cast<std::uint8_t>(48 + k);
  s[4] = rng.Chance(15) ? rng.Byte(1, 8) : 0;
  s[5] = rng.Chance(15) ? rng.Byte(1, 8) : 0;
  s[6] = rng.Switch(80);
  s[7] = rng.Switch(80);
  for (int i = 8; i < 24; ++i) s[i] = rng.Switch(25);
  s[25] = rng.Switch(10);
}

// The strip bytes that linked partners share: the ranges of every linking function (trim,
// delay, EQ and filter, dynamics but its link and key, cuts, levels, group memberships).
struct ByteRange {
  int first, last;
};
constexpr ByteRange kInputLinked[] = {{0, 5}, {7, 7}, {9, 41}, {44, 63}, {108, 109}, {120, 120}};
constexpr ByteRange kBusLinked[] = {{0, 2}, {4, 25}, {28, 47}};
constexpr ByteRange kReturnLinked[] = {{0, 2}, {4, 5}, {25, 25}};

struct StripKind {
  int pairs, pair_stride, pair_count;
  int strips, strip_size, count, level, fader_group, cut_group, cut;  // -1: none
  std::span<const ByteRange> linked;
};
constexpr StripKind kStripKinds[] = {
    {kInputPairs, 4, 24, kInputStrips, kInputStripSize, 48, 10, 12, 13, 9, kInputLinked},
    {kMtrPairs, 2, 4, kMtrStrips, kBusStripSize, 8, 0, 2, -1, -1, kBusLinked},
    {kAuxPairs, 2, 4, kAuxStrips, kBusStripSize, 8, 0, 2, -1, -1, kBusLinked},
    {kRtnPairs, 2, 4, kRtnStrips, kRtnStripSize, 8, 0, 4, 5, 2, kReturnLinked},
    {0, 0, 0, kPgmStrip, kBusStripSize, 1, 0, 2, -1, -1, kBusLinked},
};
constexpr int kGroupTypeCut = 2;
constexpr int kSurroundMembers = 6;

// Makes a console state agree with its links, as a link pass would leave it.
void AgreeWithLinks(std::uint8_t* block) {
  std::uint8_t* groups = block + kFaderGroups;
  const auto group_type = [groups](int g) { return g >= 1 && g <= 8 ? groups[6 * (g - 1)] : -1; };
  for (const StripKind& kind : kStripKinds) {
    const auto strip = [&](int k) { return block + kind.strips + kind.strip_size * k; };
    const auto mode = [&](int pair) -> std::uint8_t& {
      return block[kind.pairs + kind.pair_stride * pair];
    };
    // A surround group is all three pairs or none.
    for (int first = 0; first + 3 <= kind.pair_count; first += 3) {
      const bool whole = mode(first) == kSurround;
      for (int p = first; p < first + 3; ++p) {
        if (whole && mode(p) != kSurround) block[kind.pairs + kind.pair_stride * p + 1] = 0;
        if (whole || mode(p) == kSurround) mode(p) = whole ? kSurround : kMono;
      }
    }
    for (int pair = 0; pair < kind.pair_count; ++pair) {
      if (mode(pair) == kMono) continue;
      const int leader = mode(pair) == kSurround ? pair / 3 * kSurroundMembers : 2 * pair;
      for (int k : {2 * pair, 2 * pair + 1}) {
        if (k == leader) continue;
        for (const ByteRange& r : kind.linked)
          std::memcpy(strip(k) + r.first, strip(leader) + r.first,
                      static_cast<std::size_t>(r.last - r.first + 1));
      }
    }
    for (int k = 0; k < kind.count; ++k) {
      std::uint8_t* s = strip(k);
      // A fader group of the CUT type, or a cut group of another type, is no membership.
      if (group_type(s[kind.fader_group]) == kGroupTypeCut) s[kind.fader_group] = 0;
      if (kind.cut_group >= 0 && group_type(s[kind.cut_group]) != kGroupTypeCut)
        s[kind.cut_group] = 0;
      // Levels a gang group's move would leave where they are.
      const int level = GetU16(s + kind.level);
      PutU16(s + kind.level,
             static_cast<std::uint32_t>(NearestFaderIndex(FaderTenths(level) / 10.0)));
    }
  }
  // The members of a cut group that is on cut alike, as its first member does.
  for (int g = 1; g <= 8; ++g) {
    if (group_type(g) != kGroupTypeCut || groups[6 * (g - 1) + 1] == 0) continue;
    int cut = -1;
    for (const StripKind& kind : kStripKinds) {
      for (int k = 0; kind.cut_group >= 0 && k < kind.count; ++k) {
        std::uint8_t* s = block + kind.strips + kind.strip_size * k;
        if (s[kind.cut_group] != g) continue;
        if (cut < 0) cut = s[kind.cut];
        s[kind.cut] = static_cast<std::uint8_t>(cut);
      }
    }
  }
  // The SW gang keeps the SW level at the MTR level.
  for (int k = 0; k < 48; ++k) {
    std::uint8_t* s = block + kInputStrips + kInputStripSize * k;
    if (s[112] != 0) std::memcpy(s + 110, s + 108, 2);
  }
}

// Strips, pair bytes and fader groups: everything a snapshot stores. Every strip of the
// regions is filled, also those the high-rate layout leaves unused.
void FillConsoleState(std::uint8_t* block, Rng& rng, std::uint8_t delay_unit) {
  for (int pair = 0; pair < 24; ++pair) {
    std::uint8_t* p = block + kInputPairs + 4 * pair;
    p[0] = rng.Chance(30) ? 1 : (rng.Chance(5) ? 2 : 0);
    p[1] = p[0] == 1 ? rng.Byte(0, 7) : 0;
    p[2] = p[3] = 0;
  }
  for (int k = 0; k < 48; ++k)
    FillInputStrip(block + kInputStrips + kInputStripSize * k, rng, k, delay_unit);
  for (int pair = 0; pair < 4; ++pair) {
    block[kRtnPairs + 2 * pair] = rng.Switch(40);
    block[kAuxPairs + 2 * pair] = rng.Switch(40);
    block[kMtrPairs + 2 * pair] = rng.Switch(40);
  }
  for (int k = 0; k < 8; ++k) {
    FillReturnStrip(block + kRtnStrips + kRtnStripSize * k, rng, k);
    FillBusStrip(block + kAuxStrips + kBusStripSize * k, rng, k);
    FillBusStrip(block + kMtrStrips + kBusStripSize * k, rng, k);
  }
  FillBusStrip(block + kPgmStrip, rng, 1);
  for (int g = 0; g < 8; ++g) {
    std::uint8_t* group = block + kFaderGroups + 6 * g;
    group[0] = rng.Byte(0, 2);
    group[1] = rng.Switch(50);
    group[2] = 0;
  }
}

constexpr std::string_view kInputNames[] = {"Kick",  "Snare", "HiHat", "Tom 1", "Tom 2",  "OH L",
                                            "OH R",  "Bass",  "Gtr L", "Gtr R", "Keys L", "Keys R",
                                            "Vox 1", "Vox 2", "BV 1",  "BV 2"};
constexpr std::string_view kAuxNames[] = {"Reverb", "Delay", "Mon 1",  "Mon 2",
                                          "Mon 3",  "Mon 4", "Chorus", "Plate"};

void FillChannelNames(std::uint8_t* block, const Layout& layout, Rng& rng) {
  int channel = 0;
  for (int k = 0; k < layout.size[kInput]; ++k, ++channel) {
    std::string name;
    if (k < 16) {
      name = kInputNames[k];
    } else if (rng.Chance(60)) {
      name = "Ch" + std::to_string(k + 1);
    }
    PutText(block + kChannelNames + 8 * channel, 8, name);
  }
  for (int k = 0; k < layout.size[kMtr]; ++k, ++channel)
    PutText(block + kChannelNames + 8 * channel, 8, "Trk " + std::to_string(k + 1));
  for (int k = 0; k < layout.size[kAux]; ++k, ++channel)
    PutText(block + kChannelNames + 8 * channel, 8, kAuxNames[k]);
  for (int k = 0; k < layout.size[kRtn]; ++k, ++channel)
    PutText(block + kChannelNames + 8 * channel, 8, "FX " + std::to_string(k + 1));
  if (layout.size[kPgm] != 0) PutText(block + kChannelNames + 8 * channel, 8, "Main");
}

std::vector<std::uint8_t> SystemState(const TitleSpec& spec, const Layout& layout) {
  std::vector<std::uint8_t> block(kSysfSize, 0);
  Rng rng = StreamFor(spec, kPartSystem);
  const auto delay_unit = rng.Byte(0, 4);
  FillConsoleState(block.data(), rng, delay_unit);
  if (spec.links_agree) AgreeWithLinks(block.data());
  FillChannelNames(block.data(), layout, rng);
  for (int i = 0; i < 73; ++i) block[kIsolateBytes + i] = rng.Switch(8);
  block[131] = spec.mtr_bus_mode ? 1 : 0;
  block[139] = static_cast<std::uint8_t>(spec.tc_mode);  // "TC MODE" setting mirrors byte 40
  block[144] = 120;                                      // tempo
  block[145] = 4;                                        // measure 4/4
  block[146] = 4;
  for (int p = 0; p < 9; ++p) block[8980 + p] = rng.Switch(50);
  return block;
}

// Slot of each group's first channel in the group-fader block; fixed whatever the layout.
constexpr int kFirstSlot[5] = {0, 48, 56, 64, 72};
constexpr int kStripOf[5] = {kInputStrips, kMtrStrips, kAuxStrips, kRtnStrips, kPgmStrip};
constexpr int kStripSize[5] = {kInputStripSize, kBusStripSize, kBusStripSize, kRtnStripSize,
                               kBusStripSize};
constexpr int kLevelInStrip[5] = {10, 0, 0, 0, 0};

std::vector<std::uint8_t> GroupFaders(const TitleSpec& spec, const Layout& layout,
                                      const std::vector<std::uint8_t>& system) {
  std::vector<std::uint8_t> body(kGfedSize, 0);
  if (spec.gfed_state != 1) {
    for (int g = kInput; g <= kPgm; ++g) {
      for (int k = 0; k < layout.size[g]; ++k) {
        const std::uint8_t* strip = system.data() + kStripOf[g] + kStripSize[g] * k;
        const int index = GetU16(strip + kLevelInStrip[g]);
        PutU32(body.data() + 4 * (kFirstSlot[g] + k),
               static_cast<std::uint32_t>(FaderTenths(index) * 10));
      }
    }
  }
  PutU16(body.data() + 292, spec.gfed_state);
  StoreChecksum(body.data(), kGfedSize);
  return body;
}

// ---- record lists ---------------------------------------------------------------------

// Names of at most 23 characters; the seventh record of every ten uses all 23.
std::string RecordName(std::string_view base, int position) {
  if (position % 10 == 7) return "Long name for record " + ZeroPad(position, 2);
  return std::string(base) + " " + std::to_string(position);
}

constexpr std::string_view kSceneNames[] = {"Intro", "Verse",    "Chorus", "Bridge", "Solo",
                                            "Outro", "Applause", "Break",  "Reprise"};
constexpr std::string_view kDynNames[] = {"Vocal comp", "Kick gate", "Bass comp", "Snare gate",
                                          "Ducker",     "Limiter",   "Drum bus"};
constexpr std::string_view kEqNames[] = {"Vocal bright", "Kick punch", "Bass warm", "Snare crack",
                                         "HiHat air",    "Piano",      "Low cut"};

std::vector<std::uint8_t> Snapshots(const TitleSpec& spec,
                                    const std::vector<std::uint8_t>& system) {
  const int count = ClampCount(spec.snapshots);
  std::vector<std::uint8_t> body(static_cast<std::size_t>(count) * kSnapSize, 0);
  Rng rng = StreamFor(spec, kPartSnapshots);
  std::vector<std::uint8_t> state = system;
  for (int i = 0; i < count; ++i) {
    // The first snapshot holds the current state; the others were stored at other times.
    if (i > 0) {
      FillConsoleState(state.data(), rng, system[kInputStrips + 5]);
      if (spec.links_agree) AgreeWithLinks(state.data());
    }
    std::uint8_t* record = body.data() + static_cast<std::size_t>(i) * kSnapSize;
    std::memcpy(record, "V002", 4);
    PutText(record + 4, kNameSlot, RecordName(kSceneNames[i % std::size(kSceneNames)], i + 1));
    for (const Region& r : kSnapshotRegions)
      std::memcpy(record + r.snapshot, state.data() + r.system, static_cast<std::size_t>(r.length));
    FinishRecord(record, kSnapSize, i + 1);
  }
  return body;
}

std::vector<std::uint8_t> DynamicsLibrary(const TitleSpec& spec) {
  const int count = ClampCount(spec.dynamics);
  std::vector<std::uint8_t> body(static_cast<std::size_t>(count) * kDynSize, 0);
  Rng rng = StreamFor(spec, kPartDynamics);
  for (int i = 0; i < count; ++i) {
    std::uint8_t* record = body.data() + static_cast<std::size_t>(i) * kDynSize;
    std::memcpy(record, "V002", 4);
    PutText(record + 4, kNameSlot, RecordName(kDynNames[i % std::size(kDynNames)], i + 1));
    FillDynamics(record + 28, rng, true, true);
    FinishRecord(record, kDynSize, i + 1);
  }
  return body;
}

std::vector<std::uint8_t> EqLibrary(const TitleSpec& spec) {
  const int count = ClampCount(spec.eq);
  std::vector<std::uint8_t> body(static_cast<std::size_t>(count) * kEqSize, 0);
  Rng rng = StreamFor(spec, kPartEq);
  for (int i = 0; i < count; ++i) {
    std::uint8_t* record = body.data() + static_cast<std::size_t>(i) * kEqSize;
    std::memcpy(record, "V002", 4);
    PutText(record + 4, kNameSlot, RecordName(kEqNames[i % std::size(kEqNames)], i + 1));
    if (rng.Chance(25)) {
      // Stored from a channel without filters.
      const std::uint8_t no_filter[6] = {0, 0, 23, 0, 0, 23};
      std::memcpy(record + 28, no_filter, 6);
    } else {
      FillFilter(record + 28, rng);
    }
    FillEq(record + 34, rng);
    record[54] = 1;
    FinishRecord(record, kEqSize, i + 1);
  }
  return body;
}

// Cue list sorted by time; references hold the record numbers the referenced lists are
// saved with (their positions from 1).
std::vector<std::uint8_t> Cues(const TitleSpec& spec) {
  const int count = ClampCount(spec.cues);
  std::vector<std::uint8_t> body(static_cast<std::size_t>(count) * kCueSize, 0);
  Rng rng = StreamFor(spec, kPartCues);
  const FrameRate rate = FrameRateOfMode(spec.tc_mode);
  const int fps = rate & 0xFF;
  // Kind 1 snapshot, 2 EQ library entry, 3 dynamics library entry.
  const int targets[4] = {0, ClampCount(spec.snapshots), ClampCount(spec.eq),
                          ClampCount(spec.dynamics)};
  long seconds = 3600 + rng.Range(0, 59);
  TimeCode time = 0;
  for (int i = 0; i < count; ++i) {
    // Some cues share a time, as copies of the last cue do.
    if (i == 0 || !rng.Chance(10)) {
      if (i > 0) seconds += rng.Range(1, 600);
      time =
          NormalizeTC(MakeTC(static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
                             static_cast<int>(seconds % 60), rng.Below(fps)),
                      rate, false);
    }
    std::uint8_t* record = body.data() + static_cast<std::size_t>(i) * kCueSize;
    PutU32(record, ToBCD(time));
    std::string name = "#";
    name += ZeroPad(i + 1, 2);
    PutText(record + 4, kNameSlot, i % 10 == 7 ? RecordName("", i + 1) : name);
    record[28] = rng.Switch(30);
    int kind = rng.Range(0, 3);
    if (targets[kind] == 0) kind = 0;
    record[29] = static_cast<std::uint8_t>(kind);
    record[30] = kind == 0 ? 0 : rng.Byte(1, targets[kind]);
    record[31] = rng.Byte(0, 255);
    FinishRecord(record, kCueSize, i);
  }
  return body;
}

// ---- automation -----------------------------------------------------------------------

// Event codes by parameter for input, MTR, AUX, RTN and master (0: not automatable there).
// A row covers `count` consecutive parameters: with a sub-code the sub-code counts up,
// otherwise the codes do.
struct CodeRow {
  std::uint8_t param;
  std::uint8_t count;
  std::int8_t sub;
  std::array<std::uint8_t, 5> code;
};
constexpr CodeRow kCodeRows[] = {
    {110, 1, -1, {2, 146, 111, 71, 76}},  {109, 1, -1, {4, 0, 0, 0, 0}},
    {106, 1, -1, {3, 0, 0, 70, 0}},       {85, 8, -1, {52, 0, 0, 0, 0}},
    {69, 8, 0, {46, 0, 0, 74, 0}},        {77, 8, 0, {47, 0, 0, 0, 0}},
    {93, 4, -1, {48, 0, 0, 0, 0}},        {97, 4, -1, {189, 0, 0, 0, 0}},
    {108, 1, -1, {60, 0, 0, 0, 0}},       {104, 1, -1, {185, 0, 0, 186, 0}},
    {112, 1, -1, {62, 0, 0, 0, 0}},       {6, 8, 0, {61, 0, 0, 75, 0}},
    {103, 1, -1, {63, 0, 0, 0, 0}},       {107, 1, -1, {64, 0, 0, 0, 0}},
    {123, 1, -1, {69, 0, 0, 0, 0}},       {120, 3, -1, {66, 0, 0, 0, 0}},
    {105, 1, 3, {43, 0, 0, 0, 0}},        {14, 2, 1, {43, 0, 0, 73, 0}},
    {46, 1, 1, {7, 0, 0, 0, 0}},          {51, 1, 2, {7, 0, 0, 0, 0}},
    {52, 1, 1, {8, 0, 0, 0, 0}},          {55, 1, -1, {9, 0, 0, 0, 0}},
    {60, 1, -1, {10, 0, 0, 0, 0}},        {45, 1, 0, {11, 149, 114, 0, 78}},
    {47, 4, 1, {11, 149, 114, 0, 78}},    {53, 1, -1, {12, 150, 115, 0, 80}},
    {56, 1, -1, {13, 151, 116, 0, 81}},   {65, 1, -1, {14, 152, 117, 0, 79}},
    {61, 1, -1, {15, 153, 118, 0, 82}},   {57, 1, -1, {16, 154, 119, 0, 84}},
    {66, 1, -1, {17, 155, 120, 0, 83}},   {62, 1, -1, {18, 156, 121, 0, 85}},
    {58, 1, -1, {19, 157, 122, 0, 87}},   {67, 1, -1, {20, 158, 123, 0, 86}},
    {63, 1, -1, {21, 159, 124, 0, 88}},   {54, 1, -1, {22, 160, 125, 0, 90}},
    {59, 1, -1, {23, 161, 126, 0, 91}},   {68, 1, -1, {24, 162, 127, 0, 89}},
    {64, 1, -1, {25, 163, 128, 0, 92}},   {17, 1, -1, {26, 164, 129, 0, 93}},
    {19, 1, 1, {27, 165, 130, 0, 94}},    {42, 1, 2, {27, 165, 130, 0, 94}},
    {22, 1, 7, {27, 165, 130, 0, 94}},    {24, 1, 8, {27, 165, 130, 0, 94}},
    {25, 1, 1, {29, 166, 131, 0, 96}},    {26, 1, 2, {29, 166, 131, 0, 96}},
    {31, 1, -1, {36, 174, 139, 0, 103}},  {27, 1, -1, {37, 175, 140, 0, 104}},
    {28, 1, -1, {38, 176, 141, 0, 105}},  {29, 1, -1, {39, 177, 142, 0, 106}},
    {30, 1, -1, {40, 178, 143, 0, 107}},  {32, 1, -1, {41, 179, 144, 0, 108}},
    {20, 1, -1, {196, 197, 198, 0, 199}}, {37, 1, -1, {42, 180, 145, 0, 109}},
    {40, 1, -1, {30, 168, 133, 0, 97}},   {38, 1, -1, {181, 184, 183, 0, 182}},
    {33, 1, -1, {31, 169, 134, 0, 98}},   {34, 1, -1, {32, 170, 135, 0, 99}},
    {35, 1, -1, {33, 171, 136, 0, 100}},  {39, 1, -1, {34, 172, 137, 0, 101}},
    {36, 1, -1, {35, 173, 138, 0, 102}},
};

// Entry order of the start-value table per channel (first occurrence of a parameter).
constexpr std::uint8_t kInputEntries[] = {
    106, 110, 85, 86, 87, 88, 89, 90, 91, 92,  69,  70,  71,  72,  73,  74,  75,  76,
    77,  78,  79, 80, 81, 82, 83, 84, 93, 94,  95,  96,  97,  98,  99,  100, 108, 104,
    112, 6,   7,  8,  9,  10, 11, 12, 13, 103, 107, 119, 123, 120, 121, 122, 109, 105,
    14,  15,  46, 51, 52, 52, 55, 60, 45, 47,  48,  49,  50,  53,  56,  65,  61,  57,
    66,  62,  58, 67, 63, 54, 59, 68, 64, 17,  19,  42,  41,  25,  25,  22,  31,  27,
    28,  29,  32, 30, 26, 26, 24, 20, 37, 40,  38,  33,  34,  35,  39,  36};
constexpr std::uint8_t kBusEntries[] = {
    110, 45, 47, 48, 49, 50, 53, 56, 65, 61, 57, 66, 62, 58, 67, 63, 54, 59, 68, 64, 17, 19, 42,
    41,  25, 25, 22, 31, 27, 28, 29, 32, 30, 26, 26, 24, 20, 37, 40, 38, 33, 34, 35, 39, 36};
constexpr std::uint8_t kRtnEntries[] = {106, 104, 110, 69, 70, 71, 72, 73, 74, 75, 76,
                                        6,   7,   8,   9,  10, 11, 12, 13, 14, 15};
static_assert(std::size(kInputEntries) == 106 && std::size(kBusEntries) == 45 &&
              std::size(kRtnEntries) == 21);

int EntryIndex(int group, int param) {
  const std::uint8_t* first = group == kInput ? kInputEntries
                              : group == kRtn ? kRtnEntries
                                              : kBusEntries;
  const std::size_t n = group == kInput ? std::size(kInputEntries)
                        : group == kRtn ? std::size(kRtnEntries)
                                        : std::size(kBusEntries);
  for (std::size_t i = 0; i < n; ++i)
    if (first[i] == param) return static_cast<int>(i);
  return -1;
}

int StartTableOffset(int group, int channel) {
  switch (group) {
    case kInput:
      return 636 * channel;
    case kMtr:
      return 30528 + 270 * channel;
    case kAux:
      return 32688 + 270 * channel;
    case kRtn:
      return 34848 + 126 * channel;
    default:
      return 35856;
  }
}

int ParamMax(int p) {
  if (IsLevelParam(p)) return 1023;
  if (p == kParamPan || p == kParamMtrPan || p == kParamSurroundPanLR || p == kParamSurroundPanFR ||
      (p >= kParamAuxPan && p < kParamAuxPan + kAuxSendPairs))
    return 126;
  if (p == kParamSurroundDivergence) return 100;
  if (p == kParamPrePost) return 2;
  if (p == kParamLfFilterFreq || p == kParamHfFilterFreq) return 47;
  if ((p >= kParamEqLowFreq && p <= kParamEqHighFreq) || p == kParamExpGateRange ||
      p == kParamCompDuckGain || p == kParamDuckRange)
    return 60;
  if (p >= kParamEqLowGain && p <= kParamEqHighGain) return 127;
  if (p >= kParamEqLowQ && p <= kParamEqHighQ) return 62;
  if (p == kParamExpGateThreshold) return 125;
  if (p == kParamExpRatio || p == kParamCompRatio) return 30;
  if (p == kParamExpGateAttack || p == kParamCompDuckThreshold || p == kParamCompDuckAttack)
    return 105;
  if (p == kParamExpGateHold || p == kParamCompDuckHold) return 120;
  if (p == kParamExpGateRelease || p == kParamCompDuckRelease) return 96;
  if (p == kParamCompKnee) return 7;
  return 1;
}

// Sends, bus assigns and the PGM assigns exist only where the layout has the bus.
bool ExistsIn(int p, const Layout& layout) {
  const int mtr = layout.size[kMtr], aux = layout.size[kAux], pgm = layout.size[kPgm];
  for (int first : {kParamAuxOn, kParamAuxPre, kParamAuxLevel}) {
    if (p >= first && p < first + kAuxSends) return p - first < aux;
  }
  for (int first : {kParamAuxPan, kParamAuxPanOn}) {
    if (p >= first && p < first + kAuxSendPairs) return 2 * (p - first) + 1 < aux;
  }
  if (p >= kParamBusAssign && p < kParamBusAssign + kBusAssigns) return p - kParamBusAssign < mtr;
  if (p == kParamPgmAssignL || p == kParamPgmAssignR || p == kParamPanOn || p == kParamPan)
    return pgm != 0;
  return true;
}

// One automated parameter of one channel.
struct Track {
  std::uint32_t pattern;  // code, channel and sub-code bits
  std::uint16_t value;
  std::uint16_t max;
  std::uint16_t start_entry;  // byte offset in the start-value table
  bool wide;                  // value in bits 16-31 rather than 24-31
  bool started;
};

std::vector<Track> AllTracks(const Layout& layout) {
  std::vector<Track> tracks;
  tracks.reserve(7000);
  for (int g = kInput; g <= kPgm; ++g) {
    for (int ch = 0; ch < layout.size[g]; ++ch) {
      for (const CodeRow& row : kCodeRows) {
        if (row.code[g] == 0) continue;
        for (int i = 0; i < row.count; ++i) {
          const int param = row.param + i;
          const int entry = EntryIndex(g, param);
          if (!ExistsIn(param, layout) || entry < 0) continue;
          const int sub = row.sub < 0 ? 0 : row.sub + i;
          const int code = row.code[g] + (row.sub < 0 ? i : 0);
          Track t{};
          t.pattern = static_cast<std::uint32_t>(code) | static_cast<std::uint32_t>(ch) << 8 |
                      static_cast<std::uint32_t>(sub) << 16;
          t.max = static_cast<std::uint16_t>(ParamMax(param));
          t.wide = IsLevelParam(param);
          t.start_entry = static_cast<std::uint16_t>(StartTableOffset(g, ch) + 6 * entry);
          tracks.push_back(t);
        }
      }
    }
  }
  return tracks;
}

void StepValue(Track& t, Rng& rng) {
  if (t.max == 1) {
    t.value ^= 1;
    return;
  }
  const int reach = t.wide ? 24 : 3;
  int delta = rng.Range(1, reach);
  if (rng.Chance(50)) delta = -delta;
  int v = t.value + delta;
  if (v < 0 || v > t.max) v = t.value - delta;
  t.value = static_cast<std::uint16_t>(std::clamp(v, 0, static_cast<int>(t.max)));
}

std::uint32_t EventWord(const Track& t) {
  return t.wide ? t.pattern | static_cast<std::uint32_t>(t.value) << 16
                : t.pattern | static_cast<std::uint32_t>(t.value) << 24;
}

std::vector<std::uint8_t> Automation(const TitleSpec& spec, const Layout& layout) {
  const std::uint32_t words = EffectiveWords(spec);
  std::vector<std::uint8_t> body(kAutoFixedSize + 4 * static_cast<std::size_t>(words), 0);
  std::uint8_t* table = body.data() + 4;
  PutU32(body.data(), words);
  for (int entry = 0; entry < kStartTableSize / 6; ++entry) PutU32(table + 6 * entry, 0x99999999);

  std::uint8_t* out = table + kStartTableSize;
  const std::uint64_t stream = words - 1;  // markers and events
  if (stream > 0) {
    Rng rng = StreamFor(spec, kPartAuto);
    const FrameRate rate = FrameRateOfMode(spec.tc_mode);
    const int fps = rate & 0xFF;
    // Markers from 01:00:00 on, strictly rising, all within the day; drop-frame skips at
    // most two labels a minute.
    const std::uint64_t frames_left = 23ull * 3600 * fps - 23ull * 60 * 2 - 1;
    std::uint64_t markers = std::max<std::uint64_t>(1, stream / 3);
    markers = std::min(markers, frames_left);
    const std::uint64_t events = stream - markers;
    const int max_step = static_cast<int>(std::clamp<std::uint64_t>(frames_left / markers, 1, 12));

    std::vector<Track> tracks = AllTracks(layout);
    const std::size_t wanted = std::max<std::uint64_t>(24, events / 60 + 24);
    const std::size_t used = std::min(tracks.size(), wanted);
    for (std::size_t i = 0; i < used; ++i) {
      std::swap(
          tracks[i],
          tracks[i + static_cast<std::size_t>(rng.Below(static_cast<int>(tracks.size() - i)))]);
      tracks[i].value = static_cast<std::uint16_t>(rng.Range(0, tracks[i].max));
    }
    // Level moves are the bulk of real automation: half the events go to a few busy
    // tracks, levels first.
    std::stable_partition(tracks.begin(), tracks.begin() + static_cast<std::ptrdiff_t>(used),
                          [](const Track& t) { return t.wide; });
    const int busy = static_cast<int>(std::min<std::size_t>(used, 16));

    // Every marker carries one event; the rest share markers at random.
    std::vector<std::uint32_t> per_marker(markers, 1);
    for (std::uint64_t extra = events - markers; extra > 0; --extra) {
      std::size_t m = static_cast<std::size_t>(rng.Next() % markers);
      while (per_marker[m] >= used) m = (m + 1) % markers;
      ++per_marker[m];
    }

    std::vector<std::uint32_t> picked;
    picked.reserve(used);
    TimeCode time = NormalizeTC(MakeTC(1, 0, rng.Below(10), rng.Below(fps)), rate, false);
    for (std::size_t m = 0; m < markers; ++m) {
      if (m > 0) {
        for (int step = rng.Range(1, max_step); step > 0; --step) time = NextFrame(time, rate);
      }
      const std::uint32_t bcd = ToBCD(time);
      PutU32(out, 0x80000000u | bcd);
      out += 4;
      picked.clear();
      for (std::uint32_t e = 0; e < per_marker[m]; ++e) {
        std::uint32_t t = static_cast<std::uint32_t>(
            rng.Chance(50) ? rng.Below(busy) : rng.Below(static_cast<int>(used)));
        while (std::find(picked.begin(), picked.end(), t) != picked.end())
          t = (t + 1) % static_cast<std::uint32_t>(used);
        picked.push_back(t);
        Track& track = tracks[t];
        if (track.started) StepValue(track, rng);
        if (!track.started) {
          track.started = true;
          PutU32(table + track.start_entry, bcd);
          PutU16(table + track.start_entry + 4, track.value);
        }
        PutU32(out, EventWord(track));
        out += 4;
      }
    }
  }
  PutU32(out, 0xFFFFFFFFu);
  std::uint8_t* end = body.data() + body.size();
  PutU16(end - 2, BlockChecksum(body.data() + 4, body.size() - 4));
  return body;
}

std::vector<std::uint8_t> SystemFile(const TitleSpec& spec, std::vector<std::uint8_t> block,
                                     const std::vector<std::uint8_t>& cues, std::size_t auto_size) {
  block[5] = spec.locked ? 1 : 0;
  PutText(block.data() + 6, kNameSlot, spec.name);
  const std::uint64_t total =
      kSysfSize + static_cast<std::uint64_t>(ClampCount(spec.snapshots)) * kSnapSize + cues.size() +
      static_cast<std::uint64_t>(ClampCount(spec.dynamics)) * kDynSize +
      static_cast<std::uint64_t>(ClampCount(spec.eq)) * kEqSize + auto_size;
  PutU16(block.data() + 30, static_cast<std::uint32_t>(total / 1024));
  PutU32(block.data() + 32, spec.save_date);
  PutU32(block.data() + 36, cues.empty() ? 0 : GetU32(cues.data()));
  block[40] = static_cast<std::uint8_t>(spec.tc_mode);
  block[41] = static_cast<std::uint8_t>(spec.rate_mode);
  PutText(block.data() + kMemoAt, kTitleInfoSize - kMemoAt, spec.memo);
  StoreChecksum(block.data(), kSysfSize);
  return block;
}

}  // namespace

std::vector<std::uint8_t> MakeChunk(const std::string& name,
                                    const std::vector<std::uint8_t>& body) {
  std::vector<std::uint8_t> chunk(16 + body.size(), 0);
  PutText(chunk.data(), 12, name);
  PutU32(chunk.data() + 12, static_cast<std::uint32_t>(body.size()));
  std::copy(body.begin(), body.end(), chunk.begin() + 16);
  return chunk;
}

std::map<std::string, std::vector<std::uint8_t>> MakeDataFiles(const TitleSpec& spec) {
  const Layout layout = LayoutOf(spec);
  std::map<std::string, std::vector<std::uint8_t>> files;
  std::vector<std::uint8_t> state = SystemState(spec, layout);
  files["snap.dat"] = Snapshots(spec, state);
  files["cue.dat"] = Cues(spec);
  files["dylib.dat"] = DynamicsLibrary(spec);
  files["eqlib.dat"] = EqLibrary(spec);
  files["auto.dat"] = Automation(spec, layout);
  if (spec.with_gfed) files["gfed.dat"] = GroupFaders(spec, layout, state);
  files["sysf.dat"] =
      SystemFile(spec, std::move(state), files["cue.dat"], files["auto.dat"].size());
  return files;
}

std::vector<std::uint8_t> MakeTitle(const TitleSpec& spec) {
  auto files = MakeDataFiles(spec);
  static constexpr const char* kOrder[] = {"sysf.dat",  "snap.dat", "cue.dat", "dylib.dat",
                                           "eqlib.dat", "gfed.dat", "auto.dat"};
  std::size_t total = 0;
  for (const auto& [name, body] : files) total += 16 + body.size();
  std::vector<std::uint8_t> title;
  title.reserve(total);
  for (const char* name : kOrder) {
    const auto it = files.find(name);
    if (it == files.end()) continue;
    const auto chunk = MakeChunk(name, it->second);
    title.insert(title.end(), chunk.begin(), chunk.end());
  }
  return title;
}

std::vector<TitleSpec> DemoSpecs() {
  std::vector<TitleSpec> specs;
  auto add = [&specs](std::string name, std::uint32_t seed) -> TitleSpec& {
    TitleSpec& spec = specs.emplace_back();
    spec.name = std::move(name);
    spec.seed = seed;
    spec.links_agree = true;
    spec.save_date = 1700000000 + 86400 * seed;
    return spec;
  };
  {
    TitleSpec& s = add("Demo-48k", 1);
    s.memo = "Rehearsal mix, 48 kHz";
    s.automation_words = 1200;
  }
  {
    TitleSpec& s = add("Demo-44k1-25fps", 2);
    s.rate_mode = 1;
    s.tc_mode = 4;
    s.snapshots = 5;
    s.cues = 12;
    s.automation_words = 5000;
  }
  {
    TitleSpec& s = add("Demo-96k-DF", 3);
    s.rate_mode = 2;
    s.tc_mode = 1;
    s.automation_words = 3001;
  }
  {
    TitleSpec& s = add("Demo-88k2-2997DF", 4);
    s.rate_mode = 3;
    s.tc_mode = 3;
    s.gfed_state = 0;
    s.automation_words = 800;
  }
  {
    TitleSpec& s = add("Surround-96k", 5);
    s.rate_mode = 2;
    s.mtr_bus_mode = true;
    s.tc_mode = 2;
    s.automation_words = 4000;
  }
  {
    TitleSpec& s = add("Surround-88k2", 6);
    s.rate_mode = 3;
    s.mtr_bus_mode = true;
    s.automation_words = 777;
  }
  {
    TitleSpec& s = add("No-Group-Faders", 7);
    s.with_gfed = false;
    s.automation_words = 600;
  }
  {
    TitleSpec& s = add("Group-Faders-State-1", 8);
    s.gfed_state = 1;
    s.automation_words = 450;
  }
  {
    TitleSpec& s = add("Empty", 9);
    s.snapshots = s.cues = s.dynamics = s.eq = 0;
    s.gfed_state = 0;
  }
  {
    TitleSpec& s = add("Full-Lists", 10);
    s.snapshots = s.cues = s.dynamics = s.eq = 99;
    s.memo = "Every list holds 99 records";
    s.automation_words = 20000;
  }
  {
    TitleSpec& s = add("Twenty-three-char-title", 11);
    s.memo = std::string(85, 'M');
    s.cues = 10;
    s.automation_words = 3;
  }
  {
    TitleSpec& s = add("Locked", 12);
    s.locked = true;
    s.automation_words = 4;
  }
  {
    TitleSpec& s = add("Automation-Limit", 13);
    s.snapshots = 8;
    s.cues = 30;
    s.automation_words = 253097;
  }
  {
    TitleSpec& s = add("Automation-Limit-96k", 14);
    s.rate_mode = 2;
    s.tc_mode = 3;
    s.cues = 20;
    s.automation_words = 253097;
  }
  return specs;
}

}  // namespace orb::gen
