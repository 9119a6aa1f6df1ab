#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "core/model/Q730classes.h"
#include "core/model/Q730sysf.h"
#include "tests/core/model/TestRecords.h"
#include "tests/support/TempFolder.h"

namespace orb {
namespace {

using test::PlainList;

// One row of every storage kind, laid over a 36-byte record.
constexpr ParamDescriptor kRows[] = {
    {1, kStoreByte, 120, 0, -1},
    {2, kStoreWord, 1023, 2, 778},
    {3, kStoreLong, 12287999, 4, 0},
    {4, kStoreInverted, 1, 8, -1},
    {5, 1110, 1, 9, -2},
    {6, 1111, 1, 9, -2},
    {7, 1112, 1, 9, -2},
    {8, kStoreBlock, 1, 10, -2},
    {9, 2, 3, -1, -2},
    {10, kStoreByte, 255, 40, 0},  // lies beyond the record
    {0, 0, 0, 0, 0},
    {11, kStoreByte, 1, 0, 0},  // after the end marker
};

class ParamAccessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    list.SetSystem(&system);
    list.SetParamTable(kRows);
    list.Append();
    list.Append();
    list.SetEditEnabled(true);
  }
  TQ730SYSF system;
  PlainList list;
};

TEST_F(ParamAccessTest, ReadsAndWritesEveryStorageKind) {
  list.SetParam(1, 1, 100);
  list.SetParam(1, 2, 0x3FF);
  list.SetParam(1, 3, 0x00ABCDEF);
  list.SetParam(1, 4, 1);
  auto record = list.Record(1);
  EXPECT_EQ(record[0], 100);
  EXPECT_EQ(record[2], 0xFF);
  EXPECT_EQ(record[3], 0x03);
  EXPECT_EQ(GetU32(record.data() + 4), 0x00ABCDEFu);
  EXPECT_EQ(record[8], 0);  // stored inverted
  EXPECT_EQ(list.GetParam(1, 1), 100);
  EXPECT_EQ(list.GetParam(1, 2), 1023);
  EXPECT_EQ(list.GetParam(1, 3), 0x00ABCDEF);
  EXPECT_EQ(list.GetParam(1, 4), 1);
  // Record 0 is untouched: the channel argument picks the record.
  EXPECT_EQ(list.GetParam(0, 1), 0);
}

TEST_F(ParamAccessTest, ChoicesShareOneByteLikeRadioButtons) {
  list.SetParam(0, 7, 1);
  EXPECT_EQ(list.Record(0)[9], 2);
  EXPECT_EQ((std::array{list.GetParam(0, 5), list.GetParam(0, 6), list.GetParam(0, 7)}),
            (std::array{0, 0, 1}));
  // Whatever value is written, the choice itself is stored.
  list.SetParam(0, 5, 0);
  EXPECT_EQ(list.Record(0)[9], 0);
  EXPECT_EQ(list.GetParam(0, 5), 1);
  EXPECT_EQ(list.GetParam(0, 7), 0);
  list.Record(0)[9] = 7;  // a byte no choice names
  EXPECT_EQ(list.GetParam(0, 5) + list.GetParam(0, 6) + list.GetParam(0, 7), 0);
}

TEST_F(ParamAccessTest, ClampsAndRefusesWhatItMust) {
  list.SetParam(0, 1, 5000);
  EXPECT_EQ(list.GetParam(0, 1), 120);
  list.SetParam(0, 1, -1);
  EXPECT_EQ(list.GetParam(0, 1), 120);
  list.SetParam(-1, 1, 3);
  list.SetParam(0, 99, 3);  // no descriptor
  list.SetParam(0, 10, 3);  // would lie outside the record
  list.SetParam(5, 1, 3);   // no such record
  EXPECT_EQ(list.GetParam(0, 1), 120);
  EXPECT_EQ(list.GetParam(0, 10), -1);
  EXPECT_EQ(list.GetParam(5, 1), -1);
  EXPECT_EQ(list.GetParam(0, 99), -1);
  EXPECT_EQ(list.GetParam(0, 9), -1);   // computed by the record type, not here
  EXPECT_EQ(list.GetParam(0, 11), -1);  // rows after the end marker do not exist

  list.SetEditEnabled(false);
  list.SetParam(0, 1, 7);
  EXPECT_EQ(list.GetParam(0, 1), 120);
  list.SetEditEnabled(true);
  system.Block()[5] = 1;  // the title is locked
  EXPECT_TRUE(list.TitleLocked());
  list.SetParam(0, 1, 7);
  EXPECT_EQ(list.GetParam(0, 1), 120);
  system.Block()[5] = 0;
  list.SetParam(0, 1, 7);
  EXPECT_EQ(list.GetParam(0, 1), 7);
}

TEST_F(ParamAccessTest, MaxDefaultAndBlockAddress) {
  EXPECT_EQ(list.ParamMax(0, 1), 120);
  EXPECT_EQ(list.ParamMax(0, 99), 32767);
  EXPECT_EQ(list.ParamDefault(0, 1), 60);  // half the maximum
  EXPECT_EQ(list.ParamDefault(0, 4), 0);   // 1 / 2 toward zero
  EXPECT_EQ(list.ParamDefault(0, 2), 778);
  EXPECT_EQ(list.ParamDefault(0, 5), -1);  // no default
  EXPECT_EQ(list.ParamDefault(0, 99), -1);
  EXPECT_EQ(list.GetParam(1, 8), 10);
  EXPECT_EQ(list.ParamAddress(1, 8), list.ParamBlock(1) + 10);
  EXPECT_EQ(list.ParamAddress(1, 1), nullptr);
  EXPECT_EQ(list.FindParam(0, 3)->storage, kStoreLong);
  EXPECT_EQ(list.FindParam(0, 0), nullptr);
}

TEST(SystemParamTest, SystemIsAlwaysEditableUnlessLocked) {
  // Channel strips: input k at 1260 + 132 k (its level at 10), MTR at 8404, AUX at 8012, RTN at
  // 7700, master at 7956. The system data uses its own strip tables.
  TQ730SYSF system;
  EXPECT_FALSE(system.EditEnabled());
  system.SetParam(0, 110, 500);
  EXPECT_TRUE(system.EditEnabled());
  EXPECT_EQ(GetU16(system.Block().data() + 1260 + 10), 500);
  system.SetParam(47, 110, 1);
  EXPECT_EQ(GetU16(system.Block().data() + 1260 + 132 * 47 + 10), 1);
  system.SetParam(49, 110, 2);
  EXPECT_EQ(GetU16(system.Block().data() + 8404 + 48), 2);
  system.SetParam(56, 110, 3);
  EXPECT_EQ(GetU16(system.Block().data() + 8012), 3);
  system.SetParam(71, 110, 4);
  EXPECT_EQ(GetU16(system.Block().data() + 7700 + 32 * 7), 4);
  system.SetParam(72, 110, 5);
  EXPECT_EQ(GetU16(system.Block().data() + 7956), 5);
  EXPECT_EQ(system.GetParam(73, 110), -1);
  system.SetEditEnabled(false);
  system.Block()[5] = 1;
  system.SetParam(72, 110, 9);
  EXPECT_EQ(system.GetParam(72, 110), 5);
}

TEST(DiskFileTest, WritesReadsAndSeeksOnDisk) {
  const test::TempFolder temp;
  const auto path = temp.path() / "diskfile.bin";
  {
    DiskFile file;
    ASSERT_TRUE(file.Open(path.string(), DiskFile::Mode::kCreate));
    EXPECT_EQ(file.Write("0123456789", 10), 10u);
    EXPECT_TRUE(file.SeekTo(2));
    char two[2];
    EXPECT_EQ(file.Read(two, 2), 2u);
    EXPECT_EQ(std::string(two, 2), "23");
    EXPECT_EQ(file.Write("xy", 2), 2u);  // reading then writing in one stream
    EXPECT_TRUE(file.Flush());
    EXPECT_TRUE(file.Close());
  }
  {
    DiskFile file;
    ASSERT_TRUE(file.Open(path.string(), DiskFile::Mode::kRead));
    char all[16];
    EXPECT_EQ(file.Read(all, sizeof all), 10u);
    EXPECT_EQ(std::string(all, 10), "0123xy6789");
    EXPECT_FALSE(file.Skip(-11));
    EXPECT_TRUE(file.Skip(-4));
    EXPECT_EQ(file.Position(), 6u);
    EXPECT_EQ(file.Write("z", 1), 0u);  // opened for reading only
  }
  std::filesystem::remove(path);
  DiskFile missing;
  EXPECT_FALSE(missing.Open((path / "nowhere").string(), DiskFile::Mode::kRead));
  EXPECT_EQ(missing.Read(nullptr, 0), 0u);
}

}  // namespace
}  // namespace orb
