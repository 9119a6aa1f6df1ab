#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/model/FaderLaw.h"
#include "core/model/ParamModel.h"
#include "core/model/Title.h"
#include "tests/core/model/TestRecords.h"
#include "tools/TitleGenerator.h"

namespace orb {
namespace {

// ---- the strip layouts as the console defines them, written out independently ----

struct Field {
  int offset;
  int id;
  int width = 1;
};
using Layout = std::vector<Field>;

void AddEq(Layout& f, int at) {
  f.insert(f.end(), {{at, 45}, {at + 1, 53}, {at + 2, 54}});
  for (int b = 0; b < 4; ++b) {
    const int band = at + 4 + 4 * b;
    f.insert(f.end(), {{band, 47 + b}, {band + 1, 56 + b}, {band + 2, 65 + b}, {band + 3, 61 + b}});
  }
}

void AddDynamics(Layout& f, int at, bool pre_post) {
  const int ids[24] = {17, 19, 42, 41, 26, 24, 20, 37, 38, 40, 33, 34,
                       35, 39, 36, 0,  25, 22, 31, 27, 28, 29, 32, 30};
  for (int i = 0; i < 24; ++i) {
    if (ids[i] != 0 && (pre_post || ids[i] != 19)) f.push_back({at + i, ids[i]});
  }
}

Layout InputLayout() {
  Layout f = {{0, 3, 4},  {4, 5},        {5, 4},        {6, 2},     {7, 1},     {8, 129},
              {9, 106},   {10, 110, 2},  {12, 126},     {13, 127},  {14, 46},   {15, 52},
              {16, 55},   {17, 51},      {19, 60},      {64, 105},  {65, 109},  {66, 14},
              {67, 15},   {108, 108, 2}, {110, 123, 2}, {112, 124}, {113, 119}, {114, 120},
              {115, 121}, {116, 122},    {117, 107},    {118, 112}, {119, 103}, {120, 104},
              {121, 125}};
  AddEq(f, 20);
  AddDynamics(f, 40, true);
  for (int k = 0; k < 4; ++k) f.insert(f.end(), {{68 + k, 93 + k}, {72 + k, 97 + k}});
  for (int k = 0; k < 8; ++k)
    f.insert(
        f.end(),
        {{76 + 4 * k, 85 + k, 2}, {78 + 4 * k, 69 + k}, {79 + 4 * k, 77 + k}, {122 + k, 6 + k}});
  return f;
}

Layout BusLayout() {
  Layout f = {{0, 110, 2}, {2, 126}};
  AddEq(f, 4);
  AddDynamics(f, 24, false);
  return f;
}

Layout ReturnLayout() {
  Layout f = {{0, 110, 2}, {2, 106}, {3, 129}, {4, 126}, {5, 127}, {6, 14}, {7, 15}, {25, 104}};
  for (int k = 0; k < 8; ++k) f.insert(f.end(), {{8 + k, 69 + k}, {16 + k, 6 + k}});
  return f;
}

// A channel of each kind (not the first of its kind, so that strides count) with its strip in
// the system block and in a snapshot record, and where its dynamics block starts.
struct Probe {
  int channel;
  int kind;
  int system_strip;
  int snapshot_strip;
  int dynamics;
};
constexpr Probe kProbes[] = {
    {5, 0, 1260 + 5 * 132, 124 + 5 * 132, 40},
    {49, 1, 8404 + 48, 7172 + 48, 24},
    {58, 2, 8012 + 2 * 48, 6780 + 2 * 48, 24},
    {66, 3, 7700 + 2 * 32, 6468 + 2 * 32, -1},
    {72, 4, 7956, 6724, 24},
};

Layout LayoutOf(int kind) {
  return kind == 0 ? InputLayout() : kind == 3 ? ReturnLayout() : BusLayout();
}

std::vector<std::uint8_t> Copy(std::span<const std::uint8_t> bytes) {
  return {bytes.begin(), bytes.end()};
}

// Offsets where two byte images differ.
std::vector<int> Changed(const std::vector<std::uint8_t>& a, std::span<const std::uint8_t> b) {
  std::vector<int> at;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i]) at.push_back(static_cast<int>(i));
  }
  return at;
}

class ParamModelTest : public ::testing::Test {
 protected:
  void SetUp() override { Load({}); }
  void TearDown() override { test::DrainLog(); }
  void Load(const gen::TitleSpec& spec) {
    title = std::make_unique<Title>();
    MemoryFile file(gen::MakeTitle(spec));
    ASSERT_EQ(title->LoadChunks(file), kOk);
  }
  TQ730SYSF& System() { return title->System(); }
  std::uint8_t* Block() { return title->System().Block().data(); }
  int Slot(int channel) { return System().GroupFaderLevel(System().FaderSlotOf(channel)); }

  // Writes 0 and then the maximum into every field of the layout and checks that exactly the
  // field's bytes change, little-endian.
  void CheckStripWrites(TQ730& list, std::span<std::uint8_t> bytes, const Probe& probe,
                        bool system) {
    const int strip = system ? probe.system_strip : probe.snapshot_strip;
    for (const Field& field : LayoutOf(probe.kind)) {
      if (system && field.id == 4) continue;  // one unit for all input channels, tested below
      SCOPED_TRACE("channel " + std::to_string(probe.channel) + " id " + std::to_string(field.id));
      if (probe.dynamics >= 0) {
        // Thresholds far apart and no knee: the coupling keeps out of the way.
        bytes[strip + probe.dynamics + 9] = 0;
        bytes[strip + probe.dynamics + 10] = 0;
        bytes[strip + probe.dynamics + 19] = 125;
      }
      std::uint8_t* at = bytes.data() + strip + field.offset;
      std::fill(at, at + field.width, 0xA5);
      const auto before = Copy(bytes);
      list.SetParam(probe.channel, field.id, 0);
      std::vector<int> expected;
      for (int i = 0; i < field.width; ++i) expected.push_back(strip + field.offset + i);
      EXPECT_EQ(Changed(before, bytes), expected);
      EXPECT_EQ(list.GetParam(probe.channel, field.id), 0);

      const int max = list.ParamMax(probe.channel, field.id);
      const bool refused = field.id == 42 && !CanLinkDynamics(System(), probe.channel);
      list.SetParam(probe.channel, field.id, max);
      const int stored = refused ? 0 : max;
      EXPECT_EQ(list.GetParam(probe.channel, field.id), stored);
      std::uint32_t raw = 0;
      for (int i = field.width; i-- > 0;) raw = raw << 8 | at[i];
      EXPECT_EQ(raw, static_cast<std::uint32_t>(stored));
    }
  }

  std::unique_ptr<Title> title;
};

TEST_F(ParamModelTest, SystemWritesTouchOnlyTheirBytes) {
  for (const Probe& probe : kProbes) {
    CheckStripWrites(System(), System().Block(), probe, true);
    // Whatever else a table holds is an alias of one of the fields, a block or computed.
    std::set<int> known = {16, 18, 21, 23, 43, 44, 101, 102, 113, 114, 115, 116, 117, 118};
    for (const Field& field : LayoutOf(probe.kind)) known.insert(field.id);
    for (const ParamDescriptor& row : StripParams(probe.kind, 0))
      EXPECT_TRUE(known.count(row.id)) << probe.kind << " " << row.id;
  }
}

TEST_F(ParamModelTest, SnapshotWritesTouchOnlyTheirBytesInTheCurrentRecord) {
  TQ730SNAP& snapshots = title->Snapshots();
  snapshots.SetCurrentRecord(1);
  snapshots.SetEditEnabled(true);
  const auto other = Copy(snapshots.Record(0));
  const auto system = Copy(System().Block());
  for (const Probe& probe : kProbes) CheckStripWrites(snapshots, snapshots.Record(1), probe, false);
  EXPECT_EQ(Changed(other, snapshots.Record(0)), std::vector<int>{});
  EXPECT_EQ(Changed(system, System().Block()), std::vector<int>{});
  snapshots.SetCurrentRecord(7);  // no such record
  EXPECT_EQ(snapshots.GetParam(5, 1), -1);
  EXPECT_EQ(snapshots.ParamBlock(5), nullptr);
}

TEST_F(ParamModelTest, AliasesBlocksAndRadioChoices) {
  TQ730SYSF& s = System();
  std::uint8_t* ch5 = Block() + 1260 + 5 * 132;
  s.SetParam(5, 18, 1);  // dynamics before the EQ: the inverse of "Dynamics Pre/Post EQ"
  s.SetParam(5, 23, 0);
  s.SetParam(5, 21, 1);
  EXPECT_EQ((std::array{ch5[41], ch5[45], ch5[57]}), (std::array<std::uint8_t, 3>{0, 1, 0}));
  EXPECT_EQ((std::array{s.GetParam(5, 19), s.GetParam(5, 24), s.GetParam(5, 22)}),
            (std::array{0, 1, 0}));
  s.SetParam(5, 114, 0);  // "Post EQ" whatever the value
  EXPECT_EQ(ch5[118], 1);
  EXPECT_EQ(
      (std::array{s.GetParam(5, 112), s.GetParam(5, 113), s.GetParam(5, 114), s.GetParam(5, 115)}),
      (std::array{1, 0, 1, 0}));
  s.SetParam(5, 101, 1);
  EXPECT_EQ(s.GetParam(5, 119), 1);

  const std::pair<int, int> blocks[] = {{16, 40}, {43, 20}, {44, 14}};
  for (auto [id, offset] : blocks) {
    EXPECT_EQ(s.GetParam(5, id), offset);
    EXPECT_EQ(s.ParamAddress(5, id), s.ParamBlock(5) + offset);
  }
  EXPECT_EQ(s.ParamAddress(49, 16), Block() + 8404 + 48 + 24);
  EXPECT_EQ(s.ParamAddress(72, 43), Block() + 7956 + 4);
  EXPECT_EQ(s.GetParam(72, 44), -1);  // buses have no filters
  EXPECT_EQ(s.GetParam(66, 16), -1);  // returns have no dynamics
}

TEST_F(ParamModelTest, MaximaAndDefaults) {
  struct Row {
    int channel, id, max, def;
  } rows[] = {
      {0, 1, 120, 60},      {0, 2, 1, 0},         {0, 3, 12287999, 0}, {0, 110, 1023, 778},
      {72, 110, 1023, 778}, {66, 110, 1023, 778}, {0, 129, 120, -1},   {0, 126, 8, -1},
      {0, 107, 126, 63},    {0, 122, 100, 0},     {0, 124, 1, 0},      {0, 85, 1023, 0},
      {0, 102, 3, -1},      {49, 102, 1, -1},     {66, 102, 1, -1},    {0, 60, 47, 23},
      {0, 27, 125, 62},     {0, 41, 47, 23},      {0, 16, 1, -1},      {66, 17, 32767, -1},
      {0, 155, 250, -1},    {0, 172, 1, -1},      {0, 0, 32767, -1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.channel) + " id " + std::to_string(row.id));
    EXPECT_EQ(System().ParamMax(row.channel, row.id), row.max);
    EXPECT_EQ(System().ParamDefault(row.channel, row.id), row.def);
  }
}

TEST_F(ParamModelTest, DelayAndHfMaximaFollowTheRate) {
  const int delay[4] = {12287999, 11289599, 12287999, 11289599};
  const int hf[4] = {47, 47, 58, 58};
  for (int rate = 0; rate < 4; ++rate) {
    SCOPED_TRACE(rate);
    Block()[41] = static_cast<std::uint8_t>(rate);
    EXPECT_EQ(System().ParamMax(0, 3), delay[rate]);
    EXPECT_EQ(title->Snapshots().ParamMax(0, 3), delay[rate]);
    EXPECT_EQ(System().ParamMax(0, 60), hf[rate]);
    EXPECT_EQ(title->Eq().ParamMax(0, 60), hf[rate]);
    System().SetParam(0, 60, 99);
    EXPECT_EQ(System().GetParam(0, 60), hf[rate]);
    System().SetParam(0, 3, 0x7FFFFFFF);
    EXPECT_EQ(System().GetParam(0, 3), delay[rate]);
  }
}

TEST_F(ParamModelTest, ExistenceByLayout) {
  gen::TitleSpec spec;
  spec.rate_mode = 2;
  Load(spec);
  TQ730SYSF& s = System();
  ASSERT_EQ(s.ChannelCount(), 35);
  EXPECT_EQ(s.ChannelKind(34), kGroupPGM);
  EXPECT_GE(s.GetParam(0, 86), 0);   // "Aux 2 Level"
  EXPECT_EQ(s.GetParam(0, 87), -1);  // "Aux 3 Level"
  EXPECT_EQ(s.GetParam(0, 71), -1);
  EXPECT_EQ(s.GetParam(0, 94), -1);  // "Aux 3/4 Pan"
  EXPECT_GE(s.GetParam(0, 93), 0);
  EXPECT_GE(s.GetParam(0, 9), 0);  // "Bus 4 ASSIGN"
  EXPECT_EQ(s.GetParam(0, 10), -1);
  // Routing elements follow the layout too.
  EXPECT_GE(s.GetParam(3, 130), 0);
  EXPECT_EQ(s.GetParam(4, 130), -1);
  EXPECT_EQ(s.GetParam(2, 131), -1);
  EXPECT_EQ(s.GetParam(24, 139), -1);
  const auto before = Copy(s.Block());
  s.SetParam(0, 87, 5);
  s.SetParam(0, 10, 1);
  s.SetParam(4, 130, 1);
  EXPECT_EQ(Changed(before, s.Block()), std::vector<int>{});

  spec.mtr_bus_mode = true;
  Load(spec);
  ASSERT_EQ(System().ChannelCount(), 36);
  EXPECT_EQ(System().GetParam(0, 14), -1);  // no PGM: "PGM L ASSIGN" is gone
  EXPECT_EQ(System().GetParam(0, 109), -1);
  EXPECT_GE(System().GetParam(0, 11), 0);  // "Bus 6 ASSIGN" with six MTR
  EXPECT_EQ(System().GetParam(35, 110), System().StoredFaderIndex(35));  // RTN 4
  EXPECT_EQ(System().GetParam(36, 110), -1);
}

// ---- the system parameters ----

struct SystemRow {
  int id;
  int element;
  int value;
  int at;  // the value's bytes, little-endian
  int width;
  int also = -1;  // one more byte the write changes
};

TEST_F(ParamModelTest, SystemParametersLieWhereTheConsoleKeepsThem) {
  std::vector<SystemRow> rows = {
      {128, 5, 1, 471, 1},   {128, 58, 1, 524, 1},         {128, 72, 1, 538, 1},
      {130, 3, 77, 8858, 1}, {131, 5, 66, 8849, 1},        {132, 0, 9, 8850, 1},
      {133, 7, 40, 663, 1},  {134, 0, 41, 664, 1},         {135, 1, 42, 673, 1},
      {136, 2, 43, 682, 1},  {137, 7, 44, 695, 1},         {138, 1, 45, 655, 1},
      {139, 47, 46, 743, 1}, {140, 7, 5, 8882, 1},         {141, 7, 1, 8883, 1},
      {142, 7, 2, 8836, 1},  {143, 7, 1, 8837, 1},         {144, 7, 200, 8838, 1},
      {146, 0, 5, 652, 1},   {147, 0, 1, 653, 1},          {149, 0, 1, 8986, 1},
      {149, 5, 1, 8980, 1},  {149, 8, 1, 8988, 1},         {150, 1, 1, 8953, 1},
      {150, 7, 1, 8935, 1},  {153, 0, 4, 139, 1, 40},      {154, 0, 0x0410, 145, 2},
      {155, 0, 99, 144, 1},  {156, 0, 0x01020304, 156, 4}, {160, 0, 0x0201FF, 132, 3},
      {161, 0, 1, 131, 1},   {162, 0, 15, 321, 1},         {163, 0, 14, 320, 1},
      {164, 0, 2, 322, 1},   {165, 0, 2, 323, 1},          {166, 0, 1, 325, 1},
      {167, 0, 1, 324, 1},   {168, 0, 1, 327, 1},          {169, 0, 1, 326, 1},
      {170, 0, 1, 377, 1},   {170, 6, 1, 383, 1},          {171, 0, 1, 376, 1},
      {171, 2, 1, 374, 1},   {172, 0, 1, 343, 1}};
  const int isolate_functions[9] = {546, 542, 543, 541, 545, 544, 547, 540, 539};
  for (int i = 0; i < 9; ++i) rows.push_back({148, i, 1, isolate_functions[i], 1});
  const auto original = Copy(System().Block());
  for (const SystemRow& row : rows) {
    SCOPED_TRACE("id " + std::to_string(row.id) + " element " + std::to_string(row.element));
    std::vector<int> bytes;
    if (row.also >= 0) bytes.push_back(row.also);
    for (int i = 0; i < row.width; ++i) bytes.push_back(row.at + i);
    for (int at : bytes) Block()[at] = 0;
    const auto before = Copy(System().Block());
    System().SetParam(row.element, row.id, row.value);
    EXPECT_EQ(Changed(before, System().Block()), bytes);
    EXPECT_EQ(System().GetParam(row.element, row.id), row.value);
    std::copy(original.begin(), original.end(), Block());
  }
  // Elements beyond each array answer -1 and take no writes.
  const std::pair<int, int> missing[] = {{128, 73}, {130, 8}, {131, 6}, {132, 1},  {138, 2},
                                         {140, 8},  {142, 8}, {148, 9}, {149, 11}, {170, 7},
                                         {171, 3},  {153, 1}, {151, 8}, {152, 0},  {157, 1}};
  for (auto [id, element] : missing) {
    EXPECT_EQ(System().GetParam(element, id), -1) << id;
    System().SetParam(element, id, 1);
  }
  EXPECT_EQ(Changed(original, System().Block()), std::vector<int>{});
}

TEST_F(ParamModelTest, SpecialSystemWrites) {
  TQ730SYSF& s = System();
  // One delay unit for all input channels, whatever channel is written.
  s.SetParam(7, 4, 9);
  for (int k = 0; k < 48; ++k) EXPECT_EQ(Block()[1260 + 132 * k + 5], 4) << k;
  s.SetParam(49, 4, 1);  // no delay unit on a bus
  EXPECT_EQ(s.GetParam(0, 4), 4);

  // Insertion points are taken once; 0 always; above 18 never.
  for (int i = 0; i < 8; ++i) Block()[8868 + 2 * i] = 0;
  s.SetParam(2, 140, 5);
  s.SetParam(6, 140, 5);
  s.SetParam(6, 140, 19);
  EXPECT_EQ(s.GetParam(6, 140), 0);
  s.SetParam(6, 140, 18);
  s.SetParam(2, 140, 0);
  s.SetParam(6, 140, 0);
  s.SetParam(3, 140, 5);
  EXPECT_EQ((std::array{s.GetParam(2, 140), s.GetParam(3, 140), s.GetParam(6, 140)}),
            (std::array{0, 5, 0}));

  // Tempo is held to 30 … 250.
  s.SetParam(0, 155, 10);
  EXPECT_EQ(s.GetParam(0, 155), 30);
  s.SetParam(0, 155, 300);
  EXPECT_EQ(s.GetParam(0, 155), 250);
  s.SetParam(0, 155, -1);
  EXPECT_EQ(s.GetParam(0, 155), 250);

  // Sync clock: three switches over one byte; writing 0 does nothing.
  const int clocks[3][2] = {{157, 0}, {158, 2}, {159, 1}};
  for (auto [id, byte] : clocks) {
    s.SetParam(0, id, 1);
    EXPECT_EQ(Block()[132], byte);
    EXPECT_EQ(s.GetParam(0, 157) + s.GetParam(0, 158) + s.GetParam(0, 159), 1);
    EXPECT_EQ(s.GetParam(0, id), 1);
    s.SetParam(0, 157, 0);
    EXPECT_EQ(Block()[132], byte);
  }
  Block()[132] = 7;
  EXPECT_EQ(s.GetParam(0, 159), 1);

  // "TC MODE" is also the title's timecode mode.
  s.SetParam(0, 153, 4);
  EXPECT_EQ(s.TimecodeMode(), 4);
  EXPECT_EQ(s.Rate(), FrameRate{25});
  EXPECT_EQ(s.GetParam(0, 145), 0);
  s.SetParam(0, 145, 1);  // computed, never written
}

TEST_F(ParamModelTest, DynamicsLinkOnlyWhereTheNextChannelCanFollow) {
  auto linkable = [&](int channel) {
    System().SetParam(channel, 42, 1);
    return System().GetParam(channel, 42) == 1;
  };
  EXPECT_TRUE(linkable(22));
  EXPECT_FALSE(linkable(23));  // CH 24
  EXPECT_TRUE(linkable(46));
  EXPECT_FALSE(linkable(47));
  EXPECT_FALSE(linkable(55));  // last MTR
  EXPECT_FALSE(linkable(59));  // fourth AUX
  EXPECT_TRUE(linkable(60));
  EXPECT_FALSE(linkable(72));  // PGM
  System().SetParam(22, 42, 0);
  EXPECT_EQ(System().GetParam(22, 42), 0);
  TQ730SNAP& snapshots = title->Snapshots();
  snapshots.SetEditEnabled(true);
  snapshots.SetParam(23, 42, 1);
  EXPECT_EQ(snapshots.GetParam(23, 42), 0);

  gen::TitleSpec spec;
  spec.rate_mode = 2;
  Load(spec);
  EXPECT_FALSE(linkable(11));
  EXPECT_TRUE(linkable(10));
  EXPECT_FALSE(linkable(27));  // fourth MTR
  EXPECT_FALSE(linkable(23));
}

TEST_F(ParamModelTest, PairAndGroupBytesOfSystemAndSnapshot) {
  TQ730SNAP& snapshots = title->Snapshots();
  snapshots.SetCurrentRecord(2);
  snapshots.SetEditEnabled(true);
  std::uint8_t* record = snapshots.Record(2).data();
  std::uint8_t* sys_pair = Block() + 7596 + 4 * 2;  // CH 5 and 6 are pair 2
  std::uint8_t* snap_pair = record + 28 + 4 * 2;

  // Link functions need a STEREO pair in the system data, not in a snapshot.
  sys_pair[0] = 0;
  sys_pair[1] = 0;
  System().SetParam(5, 117, 1);
  EXPECT_EQ(sys_pair[1], 0);
  System().SetParam(5, 102, 1);
  System().SetParam(4, 116, 1);
  System().SetParam(5, 118, 1);
  EXPECT_EQ(sys_pair[1], 6);
  EXPECT_EQ(
      (std::array{System().GetParam(4, 116), System().GetParam(4, 117), System().GetParam(5, 118)}),
      (std::array{1, 0, 1}));
  System().SetParam(5, 116, 0);
  EXPECT_EQ(sys_pair[1], 2);
  System().SetParam(5, 102, 2);  // leaving STEREO clears the functions
  EXPECT_EQ(sys_pair[0], 2);
  EXPECT_EQ(sys_pair[1], 0);
  System().SetParam(5, 102, 9);
  EXPECT_EQ(System().GetParam(4, 102), 3);

  snap_pair[0] = 0;
  snap_pair[1] = 0;
  snapshots.SetParam(5, 117, 1);
  EXPECT_EQ(snap_pair[1], 1);
  snapshots.SetParam(5, 102, 2);
  EXPECT_EQ(snap_pair[0], 2);
  EXPECT_EQ(snap_pair[1], 1);  // the snapshot keeps its functions
  EXPECT_EQ(snapshots.GetParam(5, 102), 2);

  // Pairs of the other kinds: one byte each, mono or stereo.
  const struct {
    int channel, system, snapshot;
  } pairs[] = {{49, 8396, 7164}, {58, 8004 + 2, 6772 + 2}, {66, 7692 + 2, 6460 + 2}};
  for (const auto& p : pairs) {
    SCOPED_TRACE(p.channel);
    Block()[p.system] = 0;
    record[p.snapshot] = 0;
    System().SetParam(p.channel, 102, 5);
    snapshots.SetParam(p.channel, 102, 1);
    EXPECT_EQ(Block()[p.system], 1);
    EXPECT_EQ(record[p.snapshot], 1);
    EXPECT_EQ(System().GetParam(p.channel ^ 1, 102), 1);
    EXPECT_EQ(System().GetParam(p.channel, 116), -1);
  }
  EXPECT_EQ(System().GetParam(72, 102), -1);
  EXPECT_EQ(snapshots.GetParam(72, 102), -1);

  // Fader group bytes: 142 type, 143 on, 144 the third byte.
  const int in_snapshot[3] = {1, 0, 77};
  const int in_system[3] = {2, 1, 200};
  for (int i = 0; i < 3; ++i) {
    snapshots.SetParam(3, 142 + i, in_snapshot[i]);
    System().SetParam(3, 142 + i, in_system[i]);
    EXPECT_EQ(record[7562 + 18 + i], in_snapshot[i]);
    EXPECT_EQ(Block()[8794 + 18 + i], in_system[i]);
    EXPECT_EQ(snapshots.GetParam(3, 142 + i), in_snapshot[i]);
  }
  snapshots.SetParam(3, 142, 9);
  EXPECT_EQ(record[7562 + 18], 2);
  EXPECT_EQ(snapshots.GetParam(8, 142), -1);
  EXPECT_EQ(snapshots.GetParam(0, 145), -1);  // the snapshot holds no system parameters
  EXPECT_EQ(snapshots.ParamMax(0, 153), 32767);
}

TEST_F(ParamModelTest, LevelsAndTheGroupFaderSlots) {
  TQ730SYSF& s = System();
  Block()[343] = 0;  // manual group off
  s.SetParam(5, 110, 533);
  EXPECT_EQ(Slot(5), -1000);
  s.SetParam(66, 110, 827);
  EXPECT_EQ(Slot(66), 200);

  // Master faders locked to 0 dB: MTR, AUX, PGM each by their own switch.
  Block()[374] = Block()[375] = Block()[376] = 0;
  s.SetParam(0, 171, 1);  // PGM
  s.SetParam(72, 110, 100);
  EXPECT_EQ(s.GetParam(72, 110), kFaderNominal);
  s.SetParam(56, 110, 100);
  EXPECT_EQ(s.GetParam(56, 110), 100);
  s.SetParam(1, 171, 1);  // AUX
  s.SetParam(56, 110, 100);
  EXPECT_EQ(s.GetParam(56, 110), kFaderNominal);
  EXPECT_EQ(Slot(56), 0);

  // Channel 5 joins gang group 2 (type 0, on) under the manual group switch.
  Block()[8794 + 6] = 0;
  Block()[8794 + 7] = 1;
  s.SetParam(5, 126, 0);
  s.SetParam(5, 110, 631);
  s.SetGroupFaderLevel(s.FaderSlotOf(5), 12345);
  s.SetParam(0, 172, 1);  // switching manual groups on renews every slot from its fader
  EXPECT_EQ(Slot(5), -600);
  s.SetGroupFaderLevel(s.FaderSlotOf(5), 12345);
  s.SetParam(5, 126, 2);  // joining a gang group renews the slot
  EXPECT_EQ(Slot(5), -600);
  EXPECT_EQ(s.GetParam(5, 145), 1);
  EXPECT_TRUE(s.GroupGoverned(5));

  s.SetParam(5, 110, 900);  // the fader follows the group now
  EXPECT_EQ(s.StoredFaderIndex(5), 631);
  s.SetParam(5, 111, -1000);
  EXPECT_EQ(s.GetParam(5, 111), -1000);
  EXPECT_EQ(FaderTenths(s.StoredFaderIndex(5)), -100);
  EXPECT_EQ(s.StoredFaderIndex(5), NearestFaderIndex(-10.0));
  s.SetGroupFaderLevel(s.FaderSlotOf(5), -398);
  EXPECT_EQ(s.GetParam(5, 110), NearestFaderIndex(-3.98));
  Block()[1260 + 6 * 132 + 12] = 0;  // channel 6 in no group: no group level to write
  s.SetGroupFaderLevel(s.FaderSlotOf(6), 4321);
  s.SetParam(6, 111, 0);
  EXPECT_EQ(s.GetParam(6, 111), 4321);

  // Switching the group on renews its members' slots; off and on again through 143.
  s.SetParam(1, 143, 0);
  EXPECT_EQ(s.GetParam(5, 145), 0);
  s.SetGroupFaderLevel(s.FaderSlotOf(5), 777);
  s.SetParam(1, 143, 1);
  EXPECT_EQ(Slot(5), -1000);

  // A locked master under a group writes 0 dB and sits at the nominal position.
  s.SetParam(56, 126, 2);
  s.SetParam(56, 111, -2000);
  EXPECT_EQ(s.GetParam(56, 111), 0);
  EXPECT_EQ(s.StoredFaderIndex(56), kFaderNominal);
}

TEST_F(ParamModelTest, SurroundLinkMasksActOnAllSixteenRecords) {
  std::uint8_t* records = Block() + 8932;
  for (int r = 0; r < 16; ++r) {
    records[3 * r + 1] = static_cast<std::uint8_t>(r);
    records[3 * r + 2] = 0;
  }
  System().SetParam(2, 151, 1);  // bit 2 into every byte 1
  for (int r = 0; r < 16; ++r) EXPECT_EQ(records[3 * r + 1], r | 4) << r;
  EXPECT_EQ(System().GetParam(2, 151), 1);
  EXPECT_EQ(System().GetParam(3, 151), 0);

  System().SetParam(3, 152, 1);  // byte 2 gets bits 0 and 1; byte 1 takes byte 2's low bits
  for (int r = 0; r < 16; ++r) {
    EXPECT_EQ(records[3 * r + 2], 3) << r;
    EXPECT_EQ(records[3 * r + 1], (r & ~2) | 4 | 3) << r;
  }
  EXPECT_EQ(System().GetParam(3, 152), 1);
  EXPECT_EQ(System().GetParam(1, 152), 1);
  EXPECT_EQ(System().GetParam(4, 152), 0);

  System().SetParam(1, 152, 0);  // one bit left in byte 2 clears it
  EXPECT_EQ(records[2], 0);
  records[2] = 6;
  records[1] = 7;
  System().SetParam(2, 151, 0);  // byte 2 left with bit 1 alone: the record is cleared
  EXPECT_EQ(records[1], 0);
  EXPECT_EQ(records[2], 0);
}

// ---- locked titles and the edit flag ----

TEST_F(ParamModelTest, LockedTitleAndEditFlag) {
  TQ730SNAP& snapshots = title->Snapshots();
  TQ730DYLIB& dynamics = title->Dynamics();
  snapshots.SetCurrentRecord(0);
  const auto snapshot = Copy(snapshots.Record(0));
  const auto entry = Copy(dynamics.Record(0));
  // Without the EDIT switch snapshots and library entries take no writes.
  snapshots.SetParam(5, 1, 3);
  snapshots.SetParam(5, 102, 1);
  snapshots.SetParam(5, 116, 1);
  snapshots.SetParam(2, 142, 1);
  dynamics.SetParam(0, 17, 1 - dynamics.GetParam(0, 17));
  EXPECT_EQ(Changed(snapshot, snapshots.Record(0)), std::vector<int>{});
  EXPECT_EQ(Changed(entry, dynamics.Record(0)), std::vector<int>{});

  Block()[5] = 1;  // locked
  snapshots.SetEditEnabled(true);
  dynamics.SetEditEnabled(true);
  const auto system = Copy(System().Block());
  const std::pair<int, int> writes[] = {{1, 5},   {4, 2},   {102, 2},  {117, 1}, {110, 5},
                                        {126, 1}, {153, 2}, {155, 99}, {151, 1}, {157, 1},
                                        {172, 1}, {140, 9}, {33, 0},   {27, 125}};
  for (auto [id, value] : writes) {
    System().SetParam(5, id, value);
    System().SetParam(0, id, value);
    snapshots.SetParam(5, id, value);
  }
  System().SetParam(5, 111, 1);
  dynamics.SetParam(0, 33, 0);
  EXPECT_EQ(Changed(system, System().Block()), std::vector<int>{});
  EXPECT_EQ(Changed(snapshot, snapshots.Record(0)), std::vector<int>{});
  EXPECT_EQ(Changed(entry, dynamics.Record(0)), std::vector<int>{});
  EXPECT_TRUE(System().EditEnabled());  // the system pages are always editable when unlocked

  Block()[5] = 0;
  System().SetParam(5, 5, 5);  // a switch takes 1 for 5, and nothing for -1
  EXPECT_EQ(System().GetParam(5, 5), 1);
  System().SetParam(5, 5, -1);
  EXPECT_EQ(System().GetParam(5, 5), 1);
}

// ---- threshold coupling ----

TEST(ThresholdTest, TableAndCoupling) {
  EXPECT_EQ(ThresholdTenths(0), 0);
  EXPECT_EQ(ThresholdTenths(1), -5);
  EXPECT_EQ(ThresholdTenths(90), -450);
  EXPECT_EQ(ThresholdTenths(91), -460);
  EXPECT_EQ(ThresholdTenths(125), -800);
  EXPECT_EQ(ThresholdTenths(200), -800);

  struct Case {
    int id;
    ThresholdPair now;
    int knee;
    ThresholdPair kept;
  } cases[] = {
      {27, {0, 0}, 0, {0, 0}},   // the gate may meet the compressor
      {27, {0, 0}, 2, {0, 2}},   // a 1 dB knee pushes the gate to -1.0 dB
      {27, {10, 4}, 0, {4, 4}},  // the compressor gives way first
      {33, {90, 80}, 0, {90, 90}},   {33, {90, 80}, 7, {90, 94}},  // -45 dB less 3.5 dB of knee
      {40, {90, 80}, 7, {90, 94}},   {33, {0, 100}, 7, {0, 100}},  // already apart
      {27, {3, 125}, 255, {0, 125}},  // a knee no table holds still ends
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.id) + " " + std::to_string(c.now.comp) + "/" +
                 std::to_string(c.now.gate) + " knee " + std::to_string(c.knee));
    const ThresholdPair kept = CoupledThresholds(c.id, c.now, c.knee);
    EXPECT_EQ(kept.comp, c.kept.comp);
    EXPECT_EQ(kept.gate, c.kept.gate);
  }
}

TEST_F(ParamModelTest, ThresholdCouplingInEveryList) {
  TQ730SNAP& snapshots = title->Snapshots();
  TQ730DYLIB& dynamics = title->Dynamics();
  snapshots.SetEditEnabled(true);
  dynamics.SetEditEnabled(true);
  TQ730* lists[] = {&System(), &snapshots, &dynamics};
  for (TQ730* list : lists) {
    SCOPED_TRACE(list->Kind());
    for (int channel : {0, 49}) {  // the input and bus strip, or two library entries
      list->SetParam(channel, 40, 0);
      list->SetParam(channel, 33, 0);
      list->SetParam(channel, 27, 0);
      EXPECT_EQ(list->GetParam(channel, 27), 0);
      list->SetParam(channel, 40, 2);  // the knee pushes the gate down
      EXPECT_EQ(list->GetParam(channel, 27), 2);
      list->SetParam(channel, 33, 20);
      list->SetParam(channel, 27, 4);  // the gate may not pass the compressor: it gives way
      EXPECT_EQ(list->GetParam(channel, 33), 2);
      EXPECT_EQ(list->GetParam(channel, 27), 4);
      list->SetParam(channel, 33, 90);  // -45 dB less the knee: the gate goes to -46 dB
      EXPECT_EQ(list->GetParam(channel, 27), 91);
      if (list == &dynamics) break;
    }
  }
}

// ---- links ----

TEST_F(ParamModelTest, StereoLinks) {
  std::uint8_t* pair = Block() + 7596 + 4 * 2;  // CH 5 and 6
  std::uint8_t* on = Block() + kStereoFunctions;
  pair[0] = kStereo;
  std::fill(on, on + 9, 0);
  on[6] = 1;  // TRIM
  const LinkedSet trim = System().LinkedChannels(5, 1);
  EXPECT_TRUE(trim.linked);
  EXPECT_EQ(std::vector<int>(trim.List().begin(), trim.List().end()), std::vector<int>{4});
  EXPECT_EQ(System().LinkedChannels(4, 1).List()[0], 5);
  EXPECT_FALSE(System().LinkedChannels(5, 3).linked);  // DLY is off
  EXPECT_FALSE(System().LinkedChannels(5, 2).linked);  // "Phase SW" has no linking function
  on[0] = 1;  // fader: "Level" and, through row 9, "Fader Group"
  EXPECT_TRUE(System().LinkedChannels(5, 110).linked);
  EXPECT_TRUE(System().LinkedChannels(5, 126).linked);
  pair[0] = kMono;
  EXPECT_FALSE(System().LinkedChannels(5, 110).linked);

  // A snapshot uses its own pair bytes with the system's linking functions.
  TQ730SNAP& snapshots = title->Snapshots();
  snapshots.SetCurrentRecord(1);
  snapshots.Record(1)[28 + 4 * 2] = kStereo;
  EXPECT_TRUE(snapshots.LinkedChannels(5, 110).linked);
  EXPECT_FALSE(TQ730CUE().LinkedChannels(5, 110).linked);

  Block()[8004 + 2] = kStereo;  // AUX 3 and 4
  EXPECT_EQ(System().LinkedChannels(59, 110).List()[0], 58);
}

TEST_F(ParamModelTest, SurroundLinks) {
  std::uint8_t* pairs = Block() + 7596;
  std::uint8_t* record = Block() + kSurroundRecords;  // position 0: "Level"
  for (int p = 0; p < 3; ++p) pairs[4 * p] = kSurround;
  record[0] = 1;
  struct Case {
    int channel, b1, b2;
    std::vector<int> follow;
  } cases[] = {
      {1, 1, 0, {0, 2}},          {1, 1, 7, {0, 2, 3, 4, 5}}, {1, 0, 5, {4, 5}}, {2, 0, 6, {}},
      {3, 0, 3, {0, 1, 2}},       {3, 0, 6, {4, 5}},          {3, 7, 5, {}},     {4, 4, 0, {5}},
      {5, 4, 7, {0, 1, 2, 3, 4}}, {4, 0, 5, {0, 1, 2}},       {5, 3, 3, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.channel) + " " + std::to_string(c.b1) + "/" +
                 std::to_string(c.b2));
    record[1] = static_cast<std::uint8_t>(c.b1);
    record[2] = static_cast<std::uint8_t>(c.b2);
    const LinkedSet set = System().LinkedChannels(c.channel, 110);
    EXPECT_TRUE(set.linked);
    EXPECT_EQ(std::vector<int>(set.List().begin(), set.List().end()), c.follow);
  }
  record[0] = 0;
  EXPECT_FALSE(System().LinkedChannels(1, 110).linked);

  // The RTN group from RTN 7 has only two members inside its kind.
  record[0] = 1;
  record[1] = 1;
  record[2] = 7;
  Block()[7692 + 2 * 3] = kSurround;
  const LinkedSet rtn = System().LinkedChannels(70, 110);
  EXPECT_EQ(std::vector<int>(rtn.List().begin(), rtn.List().end()), std::vector<int>{71});
}

// ---- parameter groups and the automation's view of the tables ----

TEST_F(ParamModelTest, ParameterGroups) {
  ParamGroupList groups;
  System().ListParams(groups);
  const std::vector<int> ids = ParamIdsOf(groups);
  const std::set<int> all(ids.begin(), ids.end());
  EXPECT_EQ(all.size(), ids.size());
  for (const ParamGroup& group : groups) EXPECT_FALSE(group.name.empty());
  // Every stored channel parameter is offered once; never the key, block addresses or aliases.
  for (const Probe& probe : kProbes) {
    for (const Field& field : LayoutOf(probe.kind)) {
      EXPECT_TRUE(field.id == 41 || all.count(field.id)) << field.id;
    }
  }
  for (int id : {41, 16, 43, 44, 18, 21, 23, 101, 113, 114, 115, 111})
    EXPECT_FALSE(all.count(id)) << id;
  for (int id : {102, 116, 117, 118}) EXPECT_TRUE(all.count(id)) << id;
  const auto knee = std::find(ids.begin(), ids.end(), 40);
  EXPECT_LT(knee, std::find(ids.begin(), ids.end(), 33));
  EXPECT_LT(std::find(ids.begin(), ids.end(), 33), std::find(ids.begin(), ids.end(), 27));

  ParamGroupList snapshot_groups;
  title->Snapshots().ListParams(snapshot_groups);
  EXPECT_EQ(ParamIdsOf(snapshot_groups), ids);

  ParamGroupList dyn, eq, cues;
  title->Dynamics().ListParams(dyn);
  title->Eq().ListParams(eq);
  title->Cues().ListParams(cues);
  EXPECT_EQ(ParamIdsOf(dyn).size(), 22u);
  EXPECT_EQ(ParamIdsOf(eq).size(), 24u);
  EXPECT_TRUE(cues.empty());

  gen::TitleSpec spec;
  spec.rate_mode = 2;
  spec.mtr_bus_mode = true;
  Load(spec);
  ParamGroupList high;
  System().ListParams(high);
  const std::vector<int> high_ids = ParamIdsOf(high);
  for (int id : {71, 79, 87, 94, 98, 14, 15, 105, 109})
    EXPECT_EQ(std::count(high_ids.begin(), high_ids.end(), id), 0) << id;
  for (int id : {70, 93, 11}) EXPECT_EQ(std::count(high_ids.begin(), high_ids.end(), id), 1) << id;
}

TEST_F(ParamModelTest, AutomationUsesTheStripTables) {
  TQ730AUTO& automation = title->Automation();
  EXPECT_EQ(automation.ParamMax(0, 109), 126);
  EXPECT_EQ(automation.ParamMax(66, 109), 32767);
  EXPECT_EQ(automation.ParamMax(49, 33), 105);
  const struct {
    int param, channel, shift;
  } shifts[] = {{110, 0, 16}, {110, 66, 16}, {110, 72, 16}, {85, 0, 16}, {108, 0, 16},
                {123, 0, 16}, {109, 0, 24},  {106, 66, 24}, {33, 49, 24}};
  for (const auto& s : shifts)
    EXPECT_EQ(automation.ValueShift(s.param, s.channel), s.shift) << s.param;
  automation.AppendEvent({1, 0x12345678});
  automation.SetEditEnabled(true);
  automation.SetParam(0, 3, 7);  // automation has no parameter bytes
  EXPECT_EQ(automation.EventWord(0), 0x12345678u);
  EXPECT_EQ(automation.GetParam(0, 3), -1);
}

}  // namespace
}  // namespace orb
