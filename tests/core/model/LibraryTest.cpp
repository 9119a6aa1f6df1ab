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

constexpr int kInput = 5;  // CH 6
constexpr int kMtr = 48;   // MTR1, no filters
constexpr int kRtn = 64;   // RTN1, neither dynamics nor EQ
constexpr std::uint8_t kFiltersOff[6] = {0, 0, 23, 0, 0, 23};

std::vector<std::uint8_t> Pattern(std::size_t n, int seed) {
  std::vector<std::uint8_t> bytes(n);
  for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<std::uint8_t>(i * 11 + seed);
  return bytes;
}

bool SameBytes(std::span<const std::uint8_t> a, std::size_t at, const std::uint8_t* b,
               std::size_t n) {
  return at + n <= a.size() && std::equal(b, b + n, a.begin() + at);
}

std::vector<std::uint8_t> Snapshot(const TQ730SYSF& system) {
  return {system.Block().begin(), system.Block().end()};
}

template <typename Library>
class LibraryFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    auto bytes = Pattern(TQ730SYSF::kBlockSize, 3);
    std::copy(bytes.begin(), bytes.end(), system.Block().begin());
    system.Block()[5] = 0;
    system.Block()[41] = 0;
    system.Block()[131] = 0;
    library.SetSystem(&system);
  }
  void LoadEntries(int n, int seed) {
    MemoryFile file(Chunk(library.Header().Name(), Pattern(n * Library::kRecordSize, seed)));
    ASSERT_EQ(library.Load(file), kOk);
    DrainLog();
  }
  TQ730SYSF system;
  Library library;
};

using DynamicsLibraryTest = LibraryFixture<TQ730DYLIB>;
using EqLibraryTest = LibraryFixture<TQ730EQLIB>;

TEST(LibraryLoadTest, RecordSizesAndNoLimitOnLoad) {
  TQ730DYLIB dyn;
  MemoryFile dyn_file(Chunk("dylib.dat", Pattern(6400, 1)));
  ASSERT_EQ(dyn.Load(dyn_file), kOk);
  EXPECT_EQ(dyn.Count(), 100);
  EXPECT_EQ(dyn.Kind(), TQ730::kDynLib);
  EXPECT_FALSE(dyn.CanDo(0, TQ730::kOpNew));
  EXPECT_EQ(dyn.NewRecord(0), -1);
  EXPECT_EQ(dyn.Count(), 100);

  TQ730EQLIB eq;
  MemoryFile eq_file(Chunk("EQLIB.DAT", Pattern(3 * 66 + 65, 2)));
  ASSERT_EQ(eq.Load(eq_file), kOk);
  EXPECT_EQ(eq.Count(), 3);
  EXPECT_EQ(eq.Kind(), TQ730::kEqLib);
  EXPECT_EQ(eq.Record(2)[0], Pattern(3 * 66, 2)[132]);

  DrainLog();
}

TEST_F(DynamicsLibraryTest, ParameterRowsAddressTheGivenEntry) {
  LoadEntries(2, 0);
  auto record = library.Record(1);
  const std::pair<int, int> rows[] = {{17, 28}, {19, 29}, {42, 30}, {26, 32}, {24, 33},
                                      {20, 34}, {37, 35}, {40, 37}, {36, 42}, {25, 44},
                                      {22, 45}, {31, 46}, {27, 47}, {30, 51}};
  for (auto [id, offset] : rows) {
    record[offset] = static_cast<std::uint8_t>(offset - 27);
    EXPECT_EQ(library.GetParam(1, id), offset - 27) << id;
  }
  EXPECT_EQ(library.GetParam(1, 41), -1);  // byte 31 is carried, not a parameter
  EXPECT_EQ(library.GetParam(2, 17), -1);

  library.SetParam(1, 18, 1);  // refused without the EDIT switch
  EXPECT_EQ(record[29], 2);
  library.SetEditEnabled(true);
  library.SetParam(1, 18, 1);
  library.SetParam(1, 23, 0);
  library.SetParam(1, 21, 1);
  EXPECT_EQ(record[29], 0);
  EXPECT_EQ(record[33], 1);
  EXPECT_EQ(record[45], 0);
  EXPECT_EQ(library.GetParam(1, 19), 0);
  EXPECT_EQ(library.GetParam(1, 24), 1);
  EXPECT_EQ(library.GetParam(1, 21), 1);
  library.SetParam(1, 33, 200);
  EXPECT_EQ(record[38], 105);
  EXPECT_EQ(library.GetParam(0, 33), library.Record(0)[38]);

  EXPECT_EQ(library.GetParam(1, 16), 28);
  EXPECT_EQ(library.ParamAddress(1, 16), record.data() + 28);
  EXPECT_EQ(library.ParamDefault(1, 16), -1);
  EXPECT_EQ(library.ParamMax(1, 27), 125);
  EXPECT_EQ(library.ParamDefault(1, 27), 62);
  EXPECT_EQ(library.ParamDefault(1, 39), 48);
  EXPECT_EQ(library.ParamDefault(1, 18), 0);
}

TEST_F(EqLibraryTest, ParameterRowsAddressTheGivenEntry) {
  LoadEntries(1, 0);
  auto record = library.Record(0);
  const std::pair<int, int> rows[] = {{46, 28}, {52, 29}, {55, 30}, {51, 31}, {60, 33}, {45, 34},
                                      {53, 35}, {54, 36}, {47, 38}, {56, 39}, {65, 40}, {61, 41},
                                      {57, 43}, {58, 47}, {68, 52}, {64, 53}};
  for (auto [id, offset] : rows) {
    record[offset] = static_cast<std::uint8_t>(offset - 20);
    EXPECT_EQ(library.GetParam(0, id), offset - 20) << id;
  }
  EXPECT_EQ(library.GetParam(0, 44), 28);
  EXPECT_EQ(library.GetParam(0, 43), 34);
  EXPECT_EQ(library.ParamAddress(0, 43), record.data() + 34);
  EXPECT_EQ(library.ParamDefault(0, 44), -1);
  EXPECT_EQ(library.ParamMax(0, 55), 47);
  EXPECT_EQ(library.ParamMax(0, 64), 62);
  EXPECT_EQ(library.ParamDefault(0, 68), 63);
  library.SetEditEnabled(true);
  library.SetParam(0, 65, 300);
  EXPECT_EQ(record[40], 127);
}

TEST_F(DynamicsLibraryTest, NewStoreAndRecallMoveTheDynamicsBlock) {
  ASSERT_EQ(library.NewRecord(kInput), 0);
  auto record = library.Record(0);
  EXPECT_EQ(std::string(record.begin(), record.begin() + 4), "V002");
  EXPECT_EQ(library.NameText(0), "#01");
  EXPECT_TRUE(SameBytes(record, 28, system.DynamicsBlock(kInput), 24));
  EXPECT_TRUE(std::all_of(record.begin() + 52, record.end(), [](auto b) { return b == 0; }));
  EXPECT_TRUE(library.IsSelected(0));

  ASSERT_EQ(library.NewRecord(kMtr), 1);
  EXPECT_EQ(library.NameText(1), "#02");
  EXPECT_TRUE(SameBytes(library.Record(1), 28, system.DynamicsBlock(kMtr), 24));
  EXPECT_FALSE(library.IsSelected(0));

  // Recall writes the 24 bytes and nothing around them.
  auto before = Snapshot(system);
  library.RecallRecord(kMtr + 2, 0);
  auto after = Snapshot(system);
  const auto at = system.DynamicsBlock(kMtr + 2) - system.Block().data();
  EXPECT_TRUE(SameBytes(after, at, library.Record(0).data() + 28, 24));
  EXPECT_TRUE(std::equal(after.begin(), after.begin() + at, before.begin()));
  EXPECT_TRUE(std::equal(after.begin() + at + 24, after.end(), before.begin() + at + 24));
  EXPECT_TRUE(library.IsSelected(0));
  EXPECT_FALSE(library.IsSelected(1));

  // A return has no dynamics: the entry is chosen but nothing is copied.
  std::vector<std::uint8_t> entry(library.Record(0).begin(), library.Record(0).end());
  library.StoreRecord(kRtn, 1);
  library.RecallRecord(kRtn, 1);
  EXPECT_TRUE(library.IsSelected(1));
  EXPECT_EQ(Snapshot(system), after);
  EXPECT_TRUE(SameBytes(library.Record(1), 28, system.DynamicsBlock(kMtr), 24));

  // Channels outside the layout and missing entries change nothing at all.
  library.StoreRecord(73, 0);
  library.RecallRecord(-1, 0);
  library.StoreRecord(kInput, 2);
  library.RecallRecord(kInput, -1);
  EXPECT_EQ(library.NewRecord(73), -1);
  EXPECT_EQ(library.Count(), 2);
  EXPECT_TRUE(library.IsSelected(1));
  EXPECT_EQ(Snapshot(system), after);
  EXPECT_TRUE(SameBytes(library.Record(0), 0, entry.data(), entry.size()));
}

TEST_F(EqLibraryTest, ChannelWithoutFiltersStoresThemOff) {
  ASSERT_EQ(library.NewRecord(kMtr), 0);
  auto record = library.Record(0);
  EXPECT_EQ(library.NameText(0), "#01");
  EXPECT_TRUE(SameBytes(record, 28, kFiltersOff, 6));
  EXPECT_TRUE(SameBytes(record, 34, system.EqBlock(kMtr), 20));
  EXPECT_EQ(record[54], 1);

  library.RecallRecord(kInput, 0);
  EXPECT_TRUE(SameBytes(Snapshot(system), system.FilterBlock(kInput) - system.Block().data(),
                        kFiltersOff, 6));
  EXPECT_TRUE(SameBytes(record, 34, system.EqBlock(kInput), 20));

  // An input channel stores its own filters.
  ASSERT_EQ(library.NewRecord(kInput + 1), 1);
  EXPECT_TRUE(SameBytes(library.Record(1), 28, system.FilterBlock(kInput + 1), 6));
  EXPECT_EQ(library.Record(1)[54], 1);

  // Recall into a bus takes the EQ only.
  auto before = Snapshot(system);
  library.RecallRecord(kMtr + 1, 1);
  EXPECT_TRUE(SameBytes(library.Record(1), 34, system.EqBlock(kMtr + 1), 20));
  const auto at = system.EqBlock(kMtr + 1) - system.Block().data();
  auto after = Snapshot(system);
  EXPECT_TRUE(std::equal(after.begin(), after.begin() + at, before.begin()));
  EXPECT_TRUE(std::equal(after.begin() + at + 20, after.end(), before.begin() + at + 20));

  // Without an EQ block the entry is chosen and left as it was.
  std::vector<std::uint8_t> entry(library.Record(0).begin(), library.Record(0).end());
  library.StoreRecord(kRtn, 0);
  library.RecallRecord(kRtn, 0);
  EXPECT_TRUE(library.IsSelected(0));
  EXPECT_TRUE(SameBytes(library.Record(0), 0, entry.data(), entry.size()));
  EXPECT_EQ(Snapshot(system), after);
}

TEST_F(EqLibraryTest, FullLibraryRefusesNew) {
  for (int i = 0; i < 99; ++i) ASSERT_EQ(library.NewRecord(kInput), i);
  EXPECT_EQ(library.NameText(98), "#99");
  EXPECT_EQ(library.NewRecord(kInput), -1);
  EXPECT_EQ(library.Count(), 99);
}

}  // namespace
}  // namespace orb
