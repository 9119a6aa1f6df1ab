#include <gtest/gtest.h>

#include <numeric>

#include "core/model/DebugLog.h"
#include "core/model/FaderLaw.h"
#include "core/model/Q730classes.h"
#include "core/model/Q730sysf.h"
#include "tests/core/model/TestRecords.h"

namespace orb {
namespace {

using test::Chunk;
using test::DrainLog;

std::vector<std::uint8_t> SystemBody(int rate_mode = 0, std::uint8_t mtr_bus_mode = 0) {
  std::vector<std::uint8_t> body(TQ730SYSF::kBlockSize);
  for (std::size_t i = 0; i < body.size(); ++i) body[i] = static_cast<std::uint8_t>(i * 13 + 1);
  body[5] = 0;  // unlocked
  body[40] = 1;
  body[41] = static_cast<std::uint8_t>(rate_mode);
  body[131] = mtr_bus_mode;
  return body;
}

std::vector<std::uint8_t> GroupFaderBody(std::uint16_t state) {
  std::vector<std::uint8_t> body(TQ730SYSF::kGroupFaderSize);
  for (int slot = 0; slot < 73; ++slot) PutU32(body.data() + 4 * slot, -100 * slot - 7);
  PutU16(body.data() + 292, state);
  return body;
}

void LoadInto(TQ730SYSF& system, const std::vector<std::uint8_t>& bytes) {
  MemoryFile file(bytes);
  EXPECT_EQ(system.Load(file), kOk);
}

TEST(SystemFileTest, LoadsAndSavesTheBlockByteForByte) {
  ClearLog();
  auto body = SystemBody();
  TQ730SYSF system;
  MemoryFile file(Chunk("SYSF.DAT", body));
  ASSERT_EQ(system.Load(file), kOk);
  EXPECT_TRUE(system.Loaded());
  EXPECT_EQ(system.Kind(), TQ730::kSystem);
  EXPECT_EQ(system.System(), &system);
  EXPECT_EQ(DrainLog(), std::vector<std::string>{"Loading sysf.dat  ChunkSize = 0x00003000"});

  MemoryFile out;
  ASSERT_EQ(system.Save(out), kOk);
  ASSERT_EQ(out.Bytes().size(), 16u + 12288);
  EXPECT_EQ(std::string(out.Bytes().begin(), out.Bytes().begin() + 8), "SYSF.DAT");
  // Only the checksum is renewed.
  EXPECT_TRUE(std::equal(body.begin(), body.end() - 2, out.Bytes().begin() + 16));
  const unsigned sum = std::accumulate(body.begin(), body.end() - 2, 0u);
  EXPECT_EQ(GetU16(out.Bytes().data() + 16 + 12286), sum % 65536);
}

TEST(SystemFileTest, WrongSizesAndShortFilesFail) {
  for (std::uint32_t size : {12287u, 12289u, 0u}) {
    auto body = SystemBody();
    body.resize(size);
    TQ730SYSF system;
    MemoryFile file(Chunk("sysf.dat", body));
    EXPECT_EQ(system.Load(file), kReadError) << size;
    EXPECT_FALSE(system.Loaded());
  }
  auto body = SystemBody();
  body.resize(5000);
  TQ730SYSF system;
  MemoryFile file(Chunk("sysf.dat", body, 12288));
  EXPECT_EQ(system.Load(file), kReadError);
  MemoryFile foreign(Chunk("snap.dat", {}));
  EXPECT_EQ(system.Load(foreign), kReadError);
  EXPECT_EQ(foreign.Position(), 0u);
  MemoryFile failing;
  failing.SetWriteLimit(100);
  EXPECT_EQ(system.Save(failing), kWriteError);
  DrainLog();
}

TEST(SystemFileTest, ChannelLayoutAtEveryRate) {
  struct Case {
    int rate;
    std::uint8_t mtr_bus_mode;
    std::array<int, 5> sizes;
  };
  for (const Case& c :
       {Case{0, 0, {48, 8, 8, 8, 1}}, Case{1, 1, {48, 8, 8, 8, 1}}, Case{2, 0, {24, 4, 2, 4, 1}},
        Case{3, 0, {24, 4, 2, 4, 1}}, Case{2, 1, {24, 6, 2, 4, 0}}, Case{3, 7, {24, 6, 2, 4, 0}},
        Case{200, 1, {48, 8, 8, 8, 1}}}) {
    SCOPED_TRACE(c.rate * 1000 + c.mtr_bus_mode);
    TQ730SYSF system;
    LoadInto(system, Chunk("sysf.dat", SystemBody(c.rate, c.mtr_bus_mode)));
    int first = 0;
    for (int g = 0; g < 5; ++g) {
      EXPECT_EQ(system.GroupSize(g), c.sizes[g]);
      EXPECT_EQ(system.FirstChannelOf(g), first);
      if (c.sizes[g] > 0) {
        EXPECT_EQ(system.ChannelKind(first), g);
        EXPECT_EQ(system.ChannelKind(first + c.sizes[g] - 1), g);
      }
      first += c.sizes[g];
    }
    EXPECT_EQ(system.ChannelCount(), first);
    EXPECT_EQ(system.Count(), first);
    EXPECT_EQ(system.MaxCount(), first);
    EXPECT_EQ(system.ChannelKind(first), -1);
    EXPECT_EQ(system.ChannelKind(-1), -1);
  }
  TQ730SYSF high;
  LoadInto(high, Chunk("sysf.dat", SystemBody(2)));
  EXPECT_EQ(high.ChannelCount(), 35);
  EXPECT_EQ(high.NumberText(34), "PGM");
  EXPECT_EQ(high.GroupSize(5), 4);
  EXPECT_EQ(high.GroupSize(6), 24);
  EXPECT_EQ(high.GroupSize(7), 2);
}

TEST(SystemFileTest, NumberTextsNamesAndSelection) {
  TQ730SYSF system;
  LoadInto(system, Chunk("sysf.dat", SystemBody()));
  EXPECT_EQ(system.NumberText(0), "CH 1");
  EXPECT_EQ(system.NumberText(8), "CH 9");
  EXPECT_EQ(system.NumberText(9), "CH10");
  EXPECT_EQ(system.NumberText(47), "CH48");
  EXPECT_EQ(system.NumberText(48), "MTR1");
  EXPECT_EQ(system.NumberText(63), "AUX8");
  EXPECT_EQ(system.NumberText(64), "RTN1");
  EXPECT_EQ(system.NumberText(72), "PGM");
  EXPECT_EQ(system.NumberText(73), "");
  EXPECT_EQ(system.NameLength(), 8);

  system.SetName(3, "Kick drum");
  EXPECT_EQ(system.NameText(3), "Kick dr");
  EXPECT_EQ(system.Block()[8996 + 8 * 3 + 7], 0);
  system.SetName(72, "Main");
  EXPECT_EQ(system.NameText(72), "Main");
  system.SetName(73, "x");
  EXPECT_EQ(system.NameText(73), "");

  EXPECT_FALSE(system.CanDo(0, TQ730::kOpCopy));
  system.SetChannelSelected(5, true);
  system.SetChannelSelected(73, true);
  EXPECT_TRUE(system.IsChannelSelected(5));
  EXPECT_FALSE(system.IsChannelSelected(73));
  EXPECT_TRUE(system.CanDo(0, TQ730::kOpCopy));
  for (int op : {TQ730::kOpCut, TQ730::kOpDelete, TQ730::kOpStore, TQ730::kOpRecall})
    EXPECT_FALSE(system.CanDo(0, op));
  system.SelectAllChannels();
  EXPECT_TRUE(system.IsChannelSelected(72));
  system.DeselectAllChannels();
  EXPECT_FALSE(system.IsChannelSelected(5));
}

TEST(SystemFileTest, AssignCopiesEverythingAndPointsToItself) {
  auto bytes = Chunk("sysf.dat", SystemBody());
  auto gfed = Chunk("gfed.dat", GroupFaderBody(0));
  bytes.insert(bytes.end(), gfed.begin(), gfed.end());
  TQ730SYSF source;
  MemoryFile file(bytes);
  ASSERT_EQ(source.Load(file), kOk);
  ASSERT_EQ(source.LoadGroupFaders(file), kOk);
  source.SetChannelSelected(7, true);
  ClearLog();
  TQ730SYSF copy;
  ASSERT_EQ(copy.Assign(source), kOk);
  EXPECT_EQ(NextLogLine(), "Backup  sysf.dat : 73");
  EXPECT_EQ(copy.System(), &copy);
  EXPECT_TRUE(copy.IsChannelSelected(7));
  EXPECT_TRUE(copy.HasGroupFaders());
  MemoryFile a, b;
  source.Save(a);
  source.SaveGroupFaders(a);
  copy.Save(b);
  copy.SaveGroupFaders(b);
  EXPECT_EQ(a.Bytes(), b.Bytes());
}

TEST(GroupFaderTest, LoadedBlockSavesBackUnchanged) {
  ClearLog();
  auto body = GroupFaderBody(2);
  MemoryFile file(Chunk("GFED.DAT", body));
  TQ730SYSF system;
  LoadInto(system, Chunk("sysf.dat", SystemBody()));
  ASSERT_EQ(system.LoadGroupFaders(file), kOk);
  EXPECT_EQ(DrainLog().back(), "Loading GFED.DAT  ChunkSize = 0x00000128");
  EXPECT_TRUE(system.HasGroupFaders());
  EXPECT_EQ(system.GroupFaderLevel(3), -307);
  system.CompleteGroupFaders();  // state 2: nothing to derive
  EXPECT_EQ(system.GroupFaderLevel(3), -307);
  MemoryFile out;
  ASSERT_EQ(system.SaveGroupFaders(out), kOk);
  ASSERT_EQ(out.Bytes().size(), 16u + 296);
  EXPECT_EQ(std::string(out.Bytes().begin(), out.Bytes().begin() + 9),
            std::string("gfed.dat\0", 9));
  EXPECT_TRUE(std::equal(body.begin(), body.end() - 2, out.Bytes().begin() + 16));
  const unsigned sum = std::accumulate(body.begin(), body.end() - 2, 0u);
  EXPECT_EQ(GetU16(out.Bytes().data() + 16 + 294), sum % 65536);
}

TEST(GroupFaderTest, ForeignChunkStaysForTheNextLoader) {
  TQ730SYSF system;
  LoadInto(system, Chunk("sysf.dat", SystemBody()));
  MemoryFile file(Chunk("auto.dat", std::vector<std::uint8_t>(40)));
  EXPECT_EQ(system.LoadGroupFaders(file), kOk);
  EXPECT_EQ(file.Position(), 0u);
  EXPECT_FALSE(system.HasGroupFaders());
  MemoryFile end_of_file;
  EXPECT_EQ(system.LoadGroupFaders(end_of_file), kReadError);
  MemoryFile wrong_size(Chunk("gfed.dat", std::vector<std::uint8_t>(295)));
  EXPECT_EQ(system.LoadGroupFaders(wrong_size), kReadError);
  auto truncated = Chunk("gfed.dat", GroupFaderBody(0));
  truncated.resize(100);
  MemoryFile short_body(truncated);
  EXPECT_EQ(system.LoadGroupFaders(short_body), kReadError);
  EXPECT_FALSE(system.HasGroupFaders());
  DrainLog();
}

// Fader indexes spread over the table, written into every strip of the layout.
void SetFaders(std::vector<std::uint8_t>& body, const TQ730SYSF& layout) {
  for (int c = 0; c < layout.ChannelCount(); ++c) {
    const int g = layout.ChannelKind(c);
    const int k = c - layout.FirstChannelOf(g);
    const int at = g == 0   ? 1260 + 132 * k + 10
                   : g == 1 ? 8404 + 48 * k
                   : g == 2 ? 8012 + 48 * k
                   : g == 3 ? 7700 + 32 * k
                            : 7956;
    PutU16(body.data() + at, static_cast<std::uint32_t>((c * 97 + 3) % 1024));
  }
}

TEST(GroupFaderTest, TitleWithoutBlockDerivesLevelsFromTheFaders) {
  for (int rate : {0, 2}) {
    auto body = SystemBody(rate);
    TQ730SYSF layout;
    LoadInto(layout, Chunk("sysf.dat", body));
    SetFaders(body, layout);
    TQ730SYSF system;
    LoadInto(system, Chunk("sysf.dat", body));
    system.CompleteGroupFaders();
    EXPECT_TRUE(system.HasGroupFaders());
    MemoryFile out;
    ASSERT_EQ(system.SaveGroupFaders(out), kOk);
    const std::uint8_t* levels = out.Bytes().data() + 16;
    EXPECT_EQ(GetU16(levels + 292), 0);
    std::vector<bool> used(73);
    for (int c = 0; c < system.ChannelCount(); ++c) {
      const int slot = system.FaderSlotOf(c);
      used[slot] = true;
      const int index = (c * 97 + 3) % 1024;
      EXPECT_EQ(static_cast<std::int32_t>(GetU32(levels + 4 * slot)), FaderTenths(index) * 10)
          << "channel " << c;
    }
    // Slots outside the layout keep what they held.
    for (int slot = 0; slot < 73; ++slot) {
      if (!used[slot]) {
        EXPECT_EQ(GetU32(levels + 4 * slot), 0u) << slot;
      }
    }
  }
  TQ730SYSF high;
  LoadInto(high, Chunk("sysf.dat", SystemBody(3)));
  EXPECT_EQ(high.FaderSlotOf(24), 48);  // MTR1 keeps its slot at the high rate
  EXPECT_EQ(high.FaderSlotOf(28), 56);  // AUX1
  EXPECT_EQ(high.FaderSlotOf(30), 64);  // RTN1
  EXPECT_EQ(high.FaderSlotOf(34), 72);  // PGM
  EXPECT_EQ(high.FaderSlotOf(35), -1);
}

TEST(GroupFaderTest, StateWordOneAsksForRecomputation) {
  auto body = SystemBody();
  TQ730SYSF layout;
  LoadInto(layout, Chunk("sysf.dat", body));
  SetFaders(body, layout);
  TQ730SYSF system;
  LoadInto(system, Chunk("sysf.dat", body));
  MemoryFile file(Chunk("gfed.dat", GroupFaderBody(1)));
  ASSERT_EQ(system.LoadGroupFaders(file), kOk);
  system.CompleteGroupFaders();
  EXPECT_EQ(system.GroupFaderState(), 2);
  EXPECT_EQ(system.GroupFaderLevel(0), FaderTenths(3) * 10);
  // Completing again changes nothing once the state is 2.
  system.SetGroupFaderLevel(0, 1234);
  system.CompleteGroupFaders();
  EXPECT_EQ(system.GroupFaderLevel(0), 1234);
  DrainLog();
}

TEST(GroupFaderTest, ExtremeLevelsSurviveTheBias) {
  auto body = GroupFaderBody(2);
  PutU32(body.data(), 0x7FFFFFFF);
  PutU32(body.data() + 4, 0x80000000);
  TQ730SYSF system;
  MemoryFile file(Chunk("gfed.dat", body));
  ASSERT_EQ(system.LoadGroupFaders(file), kOk);
  MemoryFile out;
  ASSERT_EQ(system.SaveGroupFaders(out), kOk);
  EXPECT_EQ(GetU32(out.Bytes().data() + 16), 0x7FFFFFFFu);
  EXPECT_EQ(GetU32(out.Bytes().data() + 20), 0x80000000u);
  DrainLog();
}

}  // namespace
}  // namespace orb

namespace orb {
namespace {

TEST(SystemFileTest, BlocksInsideTheStrips) {
  TQ730SYSF system;
  std::uint8_t* base = system.Block().data();
  EXPECT_EQ(system.DynamicsBlock(1), base + 1260 + 132 + 40);
  EXPECT_EQ(system.EqBlock(1), base + 1260 + 132 + 20);
  EXPECT_EQ(system.FilterBlock(1), base + 1260 + 132 + 14);
  EXPECT_EQ(system.DynamicsBlock(49), base + 8404 + 48 + 24);  // MTR2
  EXPECT_EQ(system.EqBlock(56), base + 8012 + 4);              // AUX1
  EXPECT_EQ(system.FilterBlock(56), nullptr);
  EXPECT_EQ(system.DynamicsBlock(64), nullptr);  // returns have neither
  EXPECT_EQ(system.EqBlock(64), nullptr);
  EXPECT_EQ(system.EqBlock(72), base + 7956 + 4);
  EXPECT_EQ(system.EqBlock(73), nullptr);
  system.SetInitialCue(0x01020304);
  EXPECT_EQ(system.InitialCue(), 0x01020304u);
  EXPECT_EQ(GetU32(base + 36), 0x01020304u);
}

}  // namespace
}  // namespace orb
