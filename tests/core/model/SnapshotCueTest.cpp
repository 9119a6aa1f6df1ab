#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "core/model/Q730lib.h"
#include "core/model/Q730snap.h"
#include "core/model/Q730sysf.h"
#include "tests/core/model/TestRecords.h"

namespace orb {
namespace {

using test::Chunk;
using test::DrainLog;

constexpr int kSnap = TQ730SNAP::kRecordSize;
constexpr int kCueSize = TQ730CUE::kRecordSize;

void FillSystem(TQ730SYSF& system, int seed) {
  auto block = system.Block();
  for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<std::uint8_t>(i * 7 + seed);
  block[5] = 0;  // unlocked
  block[41] = 0;
  block[131] = 0;
}

bool SameBytes(std::span<const std::uint8_t> a, std::size_t at, const std::uint8_t* b,
               std::size_t n) {
  return at + n <= a.size() && std::equal(b, b + n, a.begin() + at);
}

// Records given as (record number) only, the rest a pattern.
std::vector<std::uint8_t> NumberedBody(int record_size, std::vector<int> numbers) {
  std::vector<std::uint8_t> body(record_size * numbers.size());
  for (std::size_t i = 0; i < body.size(); ++i) body[i] = static_cast<std::uint8_t>(i * 3 + 1);
  for (std::size_t r = 0; r < numbers.size(); ++r)
    PutU16(body.data() + (r + 1) * record_size - 4, numbers[r]);
  return body;
}

// A cue record as the file holds it.
std::vector<std::uint8_t> CueBytes(std::uint32_t time, const char* name, int kind, int reference) {
  std::vector<std::uint8_t> cue(kCueSize, 0);
  PutU32(cue.data(), time);
  SetSlotText(cue.data() + 4, 24, name);
  cue[29] = static_cast<std::uint8_t>(kind);
  cue[30] = static_cast<std::uint8_t>(reference);
  return cue;
}

template <typename List>
void LoadList(List& list, const std::string& name, const std::vector<std::uint8_t>& body) {
  MemoryFile file(Chunk(name, body));
  ASSERT_EQ(list.Load(file), kOk);
}

class SnapshotTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FillSystem(system, 5);
    snaps.SetSystem(&system);
  }
  void ExpectHoldsSystem(int index) {
    auto record = snaps.Record(index);
    const std::uint8_t* block = system.Block().data();
    EXPECT_TRUE(SameBytes(record, 28, block + 7596, 96));
    EXPECT_TRUE(SameBytes(record, 124, block + 1260, 6336));
    EXPECT_TRUE(SameBytes(record, 6460, block + 7692, 1240));
  }
  TQ730SYSF system;
  TQ730SNAP snaps;
};

TEST_F(SnapshotTest, NewRecordTakesTheSystemState) {
  ASSERT_EQ(snaps.NewRecord(3), 0);
  auto record = snaps.Record(0);
  EXPECT_EQ(std::string(record.begin(), record.begin() + 4), "V002");
  EXPECT_EQ(snaps.NameText(0), "#01");
  ExpectHoldsSystem(0);
  EXPECT_TRUE(std::all_of(record.begin() + 7700, record.end(), [](auto b) { return b == 0; }));
  EXPECT_TRUE(snaps.IsSelected(0));

  FillSystem(system, 9);
  ASSERT_EQ(snaps.NewRecord(0), 1);
  ExpectHoldsSystem(1);
  EXPECT_EQ(snaps.NameText(1), "#02");
  EXPECT_FALSE(snaps.IsSelected(0));
  EXPECT_TRUE(snaps.IsSelected(1));
}

TEST_F(SnapshotTest, DefaultNamesAndTheFullList) {
  for (int i = 0; i < 99; ++i) ASSERT_EQ(snaps.NewRecord(0), i);
  EXPECT_EQ(snaps.NameText(7), "#08");
  EXPECT_EQ(snaps.NameText(8), "#09");
  EXPECT_EQ(snaps.NameText(9), "#10");
  EXPECT_EQ(snaps.NameText(98), "#99");

  snaps.SetSelected(98, false);
  snaps.SetSelected(4, true);
  FillSystem(system, 77);
  EXPECT_EQ(snaps.NewRecord(0), -1);
  EXPECT_EQ(snaps.Count(), 99);
  EXPECT_TRUE(snaps.IsSelected(4));
  EXPECT_FALSE(SameBytes(snaps.Record(98), 124, system.Block().data() + 1260, 6336));
}

TEST_F(SnapshotTest, StoreReplacesOnlyTheCopiedRegions) {
  auto body = NumberedBody(kSnap, {1, 2});
  LoadList(snaps, "snap.dat", body);
  snaps.SetSelected(0, true);
  snaps.StoreRecord(0, 1);
  ExpectHoldsSystem(1);
  auto record = snaps.Record(1);
  EXPECT_TRUE(SameBytes(record, 0, body.data() + kSnap, 28));
  EXPECT_TRUE(SameBytes(record, 7700, body.data() + kSnap + 7700, kSnap - 7700));
  EXPECT_TRUE(SameBytes(snaps.Record(0), 0, body.data(), kSnap));
  EXPECT_FALSE(snaps.IsSelected(0));
  EXPECT_TRUE(snaps.IsSelected(1));

  // Indexes outside the list change nothing, not even the selection.
  std::vector<std::uint8_t> before(snaps.Record(1).begin(), snaps.Record(1).end());
  FillSystem(system, 40);
  snaps.StoreRecord(0, 2);
  snaps.StoreRecord(0, -1);
  EXPECT_TRUE(SameBytes(snaps.Record(1), 0, before.data(), kSnap));
  EXPECT_TRUE(snaps.IsSelected(1));
  DrainLog();
}

TEST_F(SnapshotTest, ChannelsAlwaysSelectedAndAssignCopies) {
  snaps.NewRecord(0);
  snaps.SetSelected(0, false);
  EXPECT_TRUE(snaps.IsChannelSelected(0));
  EXPECT_TRUE(snaps.IsChannelSelected(72));

  TQ730SNAP copy;
  ASSERT_EQ(copy.Assign(snaps), kOk);
  ASSERT_EQ(copy.Count(), 1);
  EXPECT_TRUE(SameBytes(copy.Record(0), 0, snaps.Record(0).data(), kSnap));
  EXPECT_EQ(copy.System(), &system);
  TQ730CUE cues;
  EXPECT_EQ(copy.Assign(cues), kFailed);
  DrainLog();
}

class CueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FillSystem(system, 1);
    cues.SetSystem(&system);
  }
  void LoadCues(const std::vector<std::vector<std::uint8_t>>& records) {
    std::vector<std::uint8_t> body;
    for (const auto& r : records) body.insert(body.end(), r.begin(), r.end());
    LoadList(cues, "cue.dat", body);
    DrainLog();
  }
  std::uint32_t TimeOf(int index) const { return GetU32(cues.Record(index).data()); }
  TQ730SYSF system;
  TQ730CUE cues;
};

TEST_F(CueTest, NewCuesFollowTheLastTime) {
  ASSERT_EQ(cues.NewRecord(), 0);
  EXPECT_EQ(TimeOf(0), 0x00000001u);
  EXPECT_EQ(cues.NameText(0), "#01");
  auto first = cues.Record(0);
  EXPECT_TRUE(std::all_of(first.begin() + 28, first.begin() + 32, [](auto b) { return b == 0; }));
  EXPECT_TRUE(cues.IsSelected(0));

  cues.SetParam(0, 173, 0x01020304);
  cues.SetParam(0, 177, 200);
  ASSERT_EQ(cues.NewRecord(), 1);
  EXPECT_EQ(TimeOf(1), 0x01020304u);
  EXPECT_EQ(cues.GetParam(1, 177), 0);
  EXPECT_EQ(cues.NameText(1), "#02");
  EXPECT_FALSE(cues.IsSelected(0));
  EXPECT_TRUE(cues.IsSelected(1));

  while (cues.Count() < 99) cues.NewRecord();
  EXPECT_EQ(cues.NewRecord(), -1);
  EXPECT_EQ(cues.Count(), 99);
  EXPECT_TRUE(cues.IsSelected(98));
}

TEST_F(CueTest, ParametersOfACue) {
  LoadCues({CueBytes(0x10, "A", 0, 0), CueBytes(0x20, "B", 0, 0)});
  for (int id = 173; id <= 178; ++id) EXPECT_EQ(cues.ParamDefault(0, id), 0) << id;
  EXPECT_EQ(cues.ParamMax(0, 173), 0x7FFFFFFF);
  EXPECT_EQ(cues.ParamMax(0, 177), 255);

  // The cue list needs no EDIT switch.
  EXPECT_FALSE(cues.EditEnabled());
  cues.SetParam(1, 174, 5);
  cues.SetParam(1, 175, 9);
  cues.SetParam(1, 176, 150);
  cues.SetParam(1, 177, 255);
  EXPECT_TRUE(cues.EditEnabled());
  auto record = cues.Record(1);
  EXPECT_EQ(record[28], 1);
  EXPECT_EQ(record[29], 3);
  EXPECT_EQ(record[30], 99);
  EXPECT_EQ(record[31], 255);
  cues.SetParam(1, 178, 12);
  EXPECT_EQ(cues.GetParam(1, 176), 12);
  EXPECT_EQ(cues.GetParam(0, 176), 0);

  cues.SetParam(1, 173, 0x7FFFFFFF);
  EXPECT_EQ(cues.GetParam(1, 173), 0x7FFFFFFF);
  cues.SetParam(2, 173, 5);  // no such cue
  cues.SetParam(-1, 174, 1);
  EXPECT_EQ(cues.Count(), 2);
  EXPECT_EQ(cues.GetParam(2, 173), -1);

  EXPECT_FALSE(cues.CanDo(0, TQ730::kOpStore));
  EXPECT_FALSE(cues.CanDo(0, TQ730::kOpRecall));
  EXPECT_TRUE(cues.CanDo(0, TQ730::kOpNew));
}

TEST_F(CueTest, TimeChangeResortsAndSetsTheInitialCue) {
  LoadCues({CueBytes(0x00010000, "first", 1, 1), CueBytes(0x00020000, "second", 1, 2),
            CueBytes(0x00030000, "third", 2, 3)});
  cues.SetSelected(2, true);
  cues.SetCurrentRecord(2);
  cues.SetParam(2, 173, 0x00000500);
  EXPECT_EQ(cues.NameText(0), "third");
  EXPECT_EQ(cues.NameText(1), "first");
  EXPECT_EQ(cues.NameText(2), "second");
  EXPECT_EQ(cues.GetParam(0, 176), 3);
  EXPECT_EQ(cues.CurrentRecord(), 0);
  EXPECT_TRUE(cues.IsSelected(0));
  EXPECT_FALSE(cues.IsSelected(2));
  EXPECT_EQ(system.InitialCue(), 0x00000500u);

  // A later time moves the cue to the end; the initial cue follows the new first.
  cues.SetParam(0, 173, 0x00040000);
  EXPECT_EQ(cues.NameText(2), "third");
  EXPECT_EQ(cues.CurrentRecord(), 2);
  EXPECT_EQ(system.InitialCue(), 0x00010000u);
}

// A cue's time as its record holds it, packed BCD; none for a cue outside the list.
TEST_F(CueTest, TimeOfEachCue) {
  LoadCues({CueBytes(0x01020304, "a", 0, 0), CueBytes(0x23595929, "b", 0, 0)});
  const struct {
    int cue;
    std::uint32_t time;
  } cases[] = {{0, 0x01020304}, {1, 0x23595929}, {-1, 0}, {2, 0}};
  for (const auto& c : cases) EXPECT_EQ(cues.Time(c.cue), c.time) << c.cue;
  cues.SetParam(1, 173, 0x00000500);
  EXPECT_EQ(cues.Time(0), 0x00000500u);
  EXPECT_EQ(cues.Time(1), 0x01020304u);
  EXPECT_EQ(cues.Time(1), TimeOf(1));
}

TEST_F(CueTest, EqualTimesKeepTheirOrder) {
  std::vector<std::vector<std::uint8_t>> records;
  for (int i = 0; i < 40; ++i)
    records.push_back(CueBytes(0x00100000, std::to_string(i).c_str(), 0, 0));
  LoadCues(records);
  cues.SetParam(39, 173, 0x00000001);
  cues.SetParam(10, 173, 0x00100000);  // unchanged time, still re-sorted
  EXPECT_EQ(cues.NameText(0), "39");
  for (int i = 1; i < 40; ++i) EXPECT_EQ(cues.NameText(i), std::to_string(i - 1)) << i;
  EXPECT_EQ(cues.CurrentRecord(), 10);
}

TEST_F(CueTest, LockedTitleKeepsTimeAndOrder) {
  LoadCues({CueBytes(0x00010000, "a", 0, 0), CueBytes(0x00020000, "b", 0, 0)});
  system.SetInitialCue(0x00010000);
  system.Block()[5] = 1;
  cues.SetCurrentRecord(1);
  cues.SetParam(1, 173, 0x00000001);
  EXPECT_EQ(cues.NameText(1), "b");
  EXPECT_EQ(TimeOf(1), 0x00020000u);
  EXPECT_EQ(cues.CurrentRecord(), 1);
  EXPECT_EQ(system.InitialCue(), 0x00010000u);
}

TEST_F(CueTest, SaveNumbersCuesFromZero) {
  LoadCues({CueBytes(1, "a", 0, 0), CueBytes(2, "b", 0, 0), CueBytes(3, "c", 0, 0)});
  MemoryFile out;
  ASSERT_EQ(cues.Save(out), kOk);
  ASSERT_EQ(out.Bytes().size(), 16u + 3 * kCueSize);
  for (int i = 0; i < 3; ++i) {
    const std::uint8_t* record = out.Bytes().data() + 16 + i * kCueSize;
    EXPECT_EQ(GetU16(record + 32), i);
    EXPECT_EQ(GetU16(record + 34), BlockChecksum(record, kCueSize));
  }
}

class CueReferenceTest : public CueTest {
 protected:
  void SetUp() override {
    CueTest::SetUp();
    for (TQ730* list : std::initializer_list<TQ730*>{&snaps, &eq, &dyn}) list->SetSystem(&system);
    LoadList(snaps, "snap.dat", NumberedBody(kSnap, {1, 2, 5}));
    LoadList(eq, "eqlib.dat", NumberedBody(TQ730EQLIB::kRecordSize, {7, 3, 7}));
    LoadList(dyn, "dylib.dat", NumberedBody(TQ730DYLIB::kRecordSize, {5, 1, 2}));
    LoadCues({CueBytes(1, "snap 5", 1, 5), CueBytes(2, "eq 7", 2, 7), CueBytes(3, "dyn 5", 3, 5),
              CueBytes(4, "dyn 9", 3, 9), CueBytes(5, "none", 0, 5)});
  }
  std::vector<int> References() const {
    std::vector<int> refs;
    for (int i = 0; i < cues.Count(); ++i) refs.push_back(cues.GetParam(i, 176));
    return refs;
  }
  TQ730SNAP snaps;
  TQ730EQLIB eq;
  TQ730DYLIB dyn;
};

TEST_F(CueReferenceTest, NumbersBecomePositions) {
  cues.ResolveReferences(snaps, eq, dyn);
  // The last match wins; a number found nowhere and a cue recalling nothing stay.
  EXPECT_EQ(References(), (std::vector<int>{3, 3, 1, 9, 5}));

  MemoryFile snap_file;
  MemoryFile cue_file;
  ASSERT_EQ(snaps.Save(snap_file), kOk);
  ASSERT_EQ(cues.Save(cue_file), kOk);
  EXPECT_EQ(GetU16(snap_file.Bytes().data() + 16 + 3 * kSnap - 4), 3);
  EXPECT_EQ(cue_file.Bytes()[16 + 30], 3);
}

TEST_F(CueReferenceTest, LockedTitleKeepsStoredNumbers) {
  system.Block()[5] = 1;
  cues.ResolveReferences(snaps, eq, dyn);
  EXPECT_EQ(References(), (std::vector<int>{5, 7, 5, 9, 5}));
}

}  // namespace
}  // namespace orb
