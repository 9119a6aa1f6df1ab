#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "core/edit/Links.h"
#include "core/model/FaderLaw.h"
#include "core/model/ParamModel.h"
#include "core/model/Title.h"
#include "tests/core/model/TestRecords.h"
#include "tools/TitleGenerator.h"

namespace orb {
namespace {

// Offsets of the system block, written out from the console's layout.
constexpr int kChPairs = 7596;
constexpr int kMtrPairs = 8396;
constexpr int kAuxPairs = 8004;
constexpr int kRtnPairs = 7692;
constexpr int kGroups = 8794;

class LinksTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MemoryFile file(gen::MakeTitle({}));
    ASSERT_EQ(title.LoadChunks(file), kOk);
    Neutral();
    context = std::make_unique<LinkContext>(System());
    context->SetRepaint([this](int channel, int id) { repainted.insert({channel, id}); });
    test::DrainLog();
  }
  void TearDown() override { test::DrainLog(); }

  // No pairs, groups, gangs, linking functions or locks: every test adds only what it checks.
  void Neutral() {
    std::uint8_t* b = Block();
    for (int p = 0; p < 24; ++p) b[kChPairs + 4 * p] = b[kChPairs + 4 * p + 1] = 0;
    for (int p = 0; p < 4; ++p)
      b[kMtrPairs + 2 * p] = b[kAuxPairs + 2 * p] = b[kRtnPairs + 2 * p] = 0;
    std::fill(b + kGroups, b + kGroups + 48, 0);
    std::fill(b + kSurroundRecords, b + kSurroundRecords + 48, 0);
    std::fill(b + kStereoFunctions, b + kStereoFunctions + 9, 0);
    b[343] = 0;
    b[374] = b[375] = b[376] = 0;
    for (int c = 0; c < 73; ++c) {
      for (int id : {126, 127, 124, 125}) System().SetParam(c, id, 0);
    }
  }

  TQ730SYSF& System() { return title.System(); }
  std::uint8_t* Block() { return title.System().Block().data(); }
  TQ730SNAP& Snapshot() {
    TQ730SNAP& s = title.Snapshots();
    s.StoreRecord(0, 0);  // the neutral state
    s.SetCurrentRecord(0);
    s.SetEditEnabled(true);
    return s;
  }
  int Get(int channel, int id) { return context->Current().GetParam(channel, id); }
  void Set(int channel, int id, int value) { context->Current().SetParam(channel, id, value); }
  // Fader group g (1 … 8): type and on, in the current list.
  void Group(int g, int type, int on) {
    Set(g - 1, 142, type);
    Set(g - 1, 143, on);
  }

  Title title;
  std::unique_ptr<LinkContext> context;
  std::set<std::pair<int, int>> repainted;
};

// ---- SetParamLinked ----

TEST_F(LinksTest, StereoAndSurroundPartnersFollowInSystemAndSnapshot) {
  TQ730* lists[] = {&System(), &Snapshot()};
  for (TQ730* list : lists) {
    SCOPED_TRACE(list->Kind());
    context->SetCurrent(*list);
    Set(4, 102, kStereo);               // CH 5 and 6
    Block()[kStereoFunctions + 6] = 1;  // TRIM
    Block()[kStereoFunctions + 4] = 1;  // EQ/FIL
    Set(5, 1, 10);
    context->SetParamLinked(4, 1, 77);
    EXPECT_EQ(Get(5, 1), 77);
    context->SetParamLinked(4, 56, 30);  // "L Freq" repaints the partner and both EQ graphs
    EXPECT_EQ(Get(5, 56), 30);
    EXPECT_TRUE(repainted.count({5, 56}) && repainted.count({4, LinkContext::kEqGraph}));
    Block()[kStereoFunctions + 6] = 0;
    context->SetParamLinked(5, 1, 3);
    EXPECT_EQ(Get(4, 1), 77);

    // CH 13 to 18 in surround; "Level" links the front three and, by itself, the rear pair.
    for (int c : {12, 14, 16}) Set(c, 102, kSurround);
    Block()[kSurroundRecords] = 1;
    Block()[kSurroundRecords + 1] = 1 | 4;
    for (int c = 12; c < 18; ++c) Set(c, 110, 100);
    context->SetParamLinked(13, 110, 600);
    context->SetParamLinked(17, 110, 700);
    std::vector<int> levels;
    for (int c = 12; c < 18; ++c) levels.push_back(Get(c, 110));
    EXPECT_EQ(levels, (std::vector<int>{600, 600, 600, 100, 700, 700}));
    Block()[kSurroundRecords] = 0;
  }
  EXPECT_TRUE(context->Modified());
}

TEST_F(LinksTest, AuxSwitchWritesItsStereoPartnerOnInputChannels) {
  TQ730* lists[] = {&System(), &Snapshot()};
  for (TQ730* list : lists) {
    SCOPED_TRACE(list->Kind());
    context->SetCurrent(*list);
    Set(56, 102, kStereo);  // AUX 1 and 2; AUX 3 and 4 stay mono
    for (int id = 69; id <= 72; ++id) {
      Set(3, id, 0);
      Set(65, id, 0);
    }
    context->SetParamLinked(3, 70, 1);
    context->SetParamLinked(3, 71, 1);
    context->SetParamLinked(65, 69, 1);  // a return is not an input channel
    EXPECT_EQ((std::vector{Get(3, 69), Get(3, 70), Get(3, 71), Get(3, 72)}),
              (std::vector{1, 1, 1, 0}));
    EXPECT_EQ(Get(65, 70), 0);
  }
}

TEST_F(LinksTest, CutGroupFollowsOnlyWhileOn) {
  for (int c : {2, 7, 65}) Set(c, 127, 3);
  Set(8, 127, 4);
  for (int c : {2, 7, 8, 65}) Set(c, 106, 0);
  Group(3, 2, 0);
  context->SetParamLinked(2, 106, 1);
  EXPECT_EQ((std::vector{Get(7, 106), Get(65, 106)}), (std::vector{0, 0}));
  Group(3, 2, 1);
  context->SetParamLinked(2, 106, 1);
  EXPECT_EQ((std::vector{Get(7, 106), Get(65, 106), Get(8, 106)}), (std::vector{1, 1, 0}));
  EXPECT_TRUE(repainted.count({65, 106}));
}

TEST_F(LinksTest, GangsCopyWhenSwitchedOnAndFollowWhileOn) {
  struct Gang {
    int gang, first, second, a, b;
  } gangs[] = {{125, 120, 107, 30, 90}, {124, 108, 123, 300, 900}};
  for (const Gang& g : gangs) {
    SCOPED_TRACE(g.gang);
    Set(9, g.first, g.a);
    Set(9, g.second, g.b);
    context->SetParamLinked(9, g.gang, 1);
    EXPECT_EQ(Get(9, g.second), g.a);
    context->SetParamLinked(9, g.second, g.b);
    EXPECT_EQ(Get(9, g.first), g.b);
    context->SetParamLinked(9, g.first, g.a);
    EXPECT_EQ(Get(9, g.second), g.a);
    context->SetParamLinked(9, g.gang, 0);  // off: no follower
    context->SetParamLinked(9, g.first, g.b);
    EXPECT_EQ(Get(9, g.second), g.a);
  }
}

// A gang group moves every member by the dragged fader's change in dB from where it stood at
// the mouse down, each to its nearest position.
TEST_F(LinksTest, GangGroupMovesFromTheRememberedLevels) {
  TQ730* lists[] = {&System(), &Snapshot()};
  for (TQ730* list : lists) {
    SCOPED_TRACE(list->Kind());
    context->SetCurrent(*list);
    const std::pair<int, int> members[] = {{0, 631}, {9, 533}, {50, 680}};  // -6, -10, -4 dB
    for (auto [c, level] : members) {
      Set(c, 126, 2);
      Set(c, 110, level);
    }
    Set(10, 110, 533);  // not a member
    struct Case {
      int type, on;
      bool shift;
      int drag;
      bool moves;
    } cases[] = {
        {0, 1, false, 4, true},  {0, 1, true, 0, true},   {0, 1, true, 4, false},
        {1, 1, false, 4, false}, {0, 0, false, 4, false},
    };
    for (const Case& c : cases) {
      SCOPED_TRACE(std::to_string(c.type) + " " + std::to_string(c.on) + " " +
                   std::to_string(c.shift) + " " + std::to_string(c.drag));
      for (auto [ch, level] : members) Set(ch, 110, level);
      Group(2, c.type, c.on);
      context->MouseDown(c.shift);
      context->SetDragType(c.drag);
      context->SetParamLinked(0, 110, 700);
      context->SetParamLinked(0, 110, 729);  // +4 dB from the start, not from 700
      context->SetDragType(0);
      EXPECT_EQ(Get(0, 110), 729);
      const int t9 = FaderTenths(Get(9, 110));
      const int t50 = FaderTenths(Get(50, 110));
      EXPECT_EQ(t9, c.moves ? -60 : -100);
      EXPECT_EQ(t50, c.moves ? 0 : -40);
      EXPECT_EQ(Get(10, 110), 533);
    }
    if (list == &System()) {  // a master locked to 0 dB does not move, nor does its gang
      Block()[374] = 1;
      Group(2, 0, 1);
      Set(9, 110, 533);
      Set(50, 110, 680);
      context->MouseDown(false);
      context->SetParamLinked(50, 110, 900);
      EXPECT_EQ(Get(50, 110), kFaderNominal);
      EXPECT_EQ(FaderTenths(Get(9, 110)), -100);
      Block()[374] = 0;
    }
    for (auto [c, level] : members) Set(c, 126, 0);
  }
}

// Under a group master the fader write is refused; the group-fader levels of the whole group
// move instead, and with Shift only the dragged channel's own.
TEST_F(LinksTest, GroupMasterMovesGroupFaderLevels) {
  for (int c : {0, 9, 60}) Set(c, 126, 1);
  Group(1, 0, 1);
  Set(0, 172, 1);
  ASSERT_EQ(Get(9, 145), 1);
  for (bool shift : {false, true}) {
    SCOPED_TRACE(shift);
    Set(0, 111, 0);
    Set(9, 111, -1000);
    Set(60, 111, 150);
    context->MouseDown(shift);
    context->SetDragType(4);
    context->SetParamLinked(0, 110, 800);
    context->SetParamLinked(0, 110, 827);  // +2 dB
    context->SetDragType(0);
    EXPECT_EQ(Get(0, 111), 200);
    EXPECT_EQ(Get(9, 111), shift ? -1000 : -800);
    EXPECT_EQ(FaderTenths(Get(9, 110)), shift ? -100 : -80);
    EXPECT_EQ(Get(60, 111), shift ? 150 : 350);
    EXPECT_TRUE(repainted.count({0, 110}));
  }
}

// ---- the link pass ----

TEST_F(LinksTest, LinkPassReestablishesLinksOverItsRange) {
  std::uint8_t* b = Block();
  b[kStereoFunctions + 0] = b[kStereoFunctions + 6] = 1;  // faders and trims
  Set(0, 102, kStereo);
  Set(0, 110, 600);
  Set(0, 1, 10);
  Set(1, 110, 700);
  Set(1, 1, 90);
  Set(6, 102, kSurround);        // CH 7 to 12: the first pair decides for all three
  Set(14, 102, kSurround);       // CH 13 to 18: the first pair is mono
  b[kMtrPairs + 6] = kSurround;  // MTR 7 and 8: six channels do not fit
  b[kRtnPairs] = kStereo;
  b[375] = 1;             // AUX masters locked to 0 dB
  PutU16(b + 8012, 500);  // AUX 1 "Level"
  Set(23, 42, 1);         // CH 24 cannot link its dynamics; a file may still say so
  b[1260 + 23 * 132 + 42] = 1;
  Group(4, 2, 1);  // a CUT group as fader group
  Group(5, 1, 1);  // a VCA group as cut group
  Group(3, 0, 1);
  Set(30, 126, 4);
  Set(31, 127, 5);
  Set(32, 126, 3);
  Set(32, 127, 4);

  context->LinkPass(0, 11);
  EXPECT_EQ((std::vector{Get(1, 110), Get(1, 1)}), (std::vector{600, 10}));
  EXPECT_EQ((std::vector{Get(8, 102), Get(10, 102)}), (std::vector{kSurround, kSurround}));
  EXPECT_EQ(Get(14, 102), kSurround);  // outside the range
  EXPECT_EQ(Get(23, 42), 1);
  auto lines = test::DrainLog();
  EXPECT_EQ(lines, (std::vector<std::string>{"Link0", "Link1", "Link6", "Link7", "Link8", "Link9",
                                             "Link10", "Link11"}));

  context->LinkPassAll();
  EXPECT_EQ(Get(14, 102), kMono);
  EXPECT_EQ(Get(54, 102), kMono);
  EXPECT_EQ(Get(56, 110), kFaderNominal);
  EXPECT_EQ(Get(23, 42), 0);
  EXPECT_EQ((std::vector{Get(30, 126), Get(31, 127), Get(32, 126), Get(32, 127)}),
            (std::vector{0, 0, 3, 4}));
  lines = test::DrainLog();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "Link0"), 1);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "Link64"), 1);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "Link14"), 0);
  EXPECT_TRUE(context->Modified());
}

// The pass says what it changed, by reason. The steps run one after the other on the same
// title; each pass leaves the title agreeing with its links, so that the next counts only its
// own step, and a second pass finds nothing.
TEST_F(LinksTest, LinkPassCountsWhatItChangedByReason) {
  std::uint8_t* b = Block();
  struct Step {
    const char* what;
    std::function<void()> setup;
    LinkChanges expected;
  };
  const Step steps[] = {
      {"the neutral title", [] {}, {}},
      {"stereo pair with faders and trims linked",
       [&] {
         b[kStereoFunctions + 0] = b[kStereoFunctions + 6] = 1;
         Set(0, 102, kStereo);
         Set(0, 1, 10);
         Set(1, 1, 90);
       },
       {.stereo = 1}},
      {"a surround group completed, every member following the trim",
       [&] {
         std::fill(b + kSurroundRecords + 18, b + kSurroundRecords + 21, 0);
         b[kSurroundRecords + 18] = 1;
         b[kSurroundRecords + 19] = 1 | 4;
         b[kSurroundRecords + 20] = 7;
         Set(6, 102, kSurround);
         for (int c = 6; c < 12; ++c) Set(c, 1, 30 + c);
       },
       {.surround = 5, .surround_pairs = 2}},
      {"surround pairs that cannot be complete",
       [&] {
         Set(14, 102, kSurround);
         b[kMtrPairs + 6] = kSurround;
       },
       {.mono_pairs = 2}},
      {"memberships of groups of the wrong type",
       [&] {
         Group(4, 2, 1);
         Group(5, 1, 1);
         Set(30, 126, 4);
         Set(31, 127, 5);
       },
       {.memberships = 2}},
      {"locked AUX masters and a dynamics link the layout refuses",
       [&] {
         b[375] = 1;
         for (int k = 0; k < 8; ++k) PutU16(b + 8012 + 48 * k, 500);
         b[1260 + 23 * 132 + 42] = 1;
       },
       {.master_faders = 8, .dynamics_links = 1}},
      {"a cut group following a linked member",
       [&] {
         Group(6, 2, 1);
         Set(40, 102, kStereo);
         Set(40, 1, 5);
         Set(41, 1, 6);
         Set(40, 127, 6);
         Set(40, 106, 1);
         Set(44, 127, 6);
         Set(44, 106, 0);
       },
       {.stereo = 1, .groups = 1}},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    step.setup();
    EXPECT_EQ(LinkChangesText(context->LinkPassAll()), LinkChangesText(step.expected));
    EXPECT_FALSE(context->LinkPassAll().Any());
  }
  EXPECT_EQ(LinkChangesText({.stereo = 11, .memberships = 8}),
            "Links: 11 channels followed their stereo partner, 8 group memberships cleared");
  EXPECT_EQ(LinkChangesText({.surround = 1, .groups = 2, .mono_pairs = 1, .master_faders = 1}),
            "Links: 1 channel followed its surround group, 2 channels followed their group or "
            "gang, 1 incomplete surround pair set to MONO, 1 locked master fader set to 0 dB");
  EXPECT_EQ(LinkChangesText({}), "");
}

TEST_F(LinksTest, LinkPassOnTheAutomationDoesNothing) {
  Set(0, 102, kStereo);
  Block()[kStereoFunctions + 6] = 1;
  Set(0, 1, 10);
  Set(1, 1, 20);
  const std::vector<std::uint8_t> before(System().Block().begin(), System().Block().end());
  context->SetCurrent(title.Automation());
  context->LinkPassAll();
  EXPECT_TRUE(std::equal(before.begin(), before.end(), System().Block().begin()));
  EXPECT_TRUE(test::DrainLog().empty());
  EXPECT_FALSE(context->Modified());
}

// The linking functions, the surround masks and the master locks re-link the system data, even
// from another list; a locked PGM master shows that the pass ran.
TEST_F(LinksTest, SystemLinkSwitchesRunThePassOverTheSystemData) {
  TQ730SNAP& snapshot = Snapshot();
  const std::pair<int, int> switches[] = {{149, 3}, {150, 3}, {151, 2}, {152, 3}, {171, 2}};
  Block()[376] = 1;
  for (auto [id, element] : switches) {
    SCOPED_TRACE(id);
    PutU16(Block() + 7956, 300);
    snapshot.Record(0)[6724] = 44;
    context->SetCurrent(snapshot);
    context->SetParamLinked(element, id, 1);
    EXPECT_EQ(&context->Current(), &snapshot);
    EXPECT_EQ(System().GetParam(72, 110), kFaderNominal);
    EXPECT_EQ(snapshot.Record(0)[6724], 44);
  }
  PutU16(Block() + 7956, 300);
  context->SetCurrent(System());
  context->SetParamLinked(0, 148, 1);  // an isolate switch links nothing
  EXPECT_EQ(System().GetParam(72, 110), 300);
  context->SetParamLinked(2, 171, 1);  // MTR masters locked
  EXPECT_EQ(System().GetParam(50, 110), kFaderNominal);

  // Switching the fader link on makes the partner take the level.
  Set(2, 102, kStereo);
  Set(2, 110, 400);
  Set(3, 110, 900);
  context->SetParamLinked(5, 149, 1);
  EXPECT_EQ(Get(3, 110), 400);
}

TEST_F(LinksTest, LockedTitleAndEditFlag) {
  Set(0, 102, kStereo);
  Block()[kStereoFunctions + 6] = 1;
  Block()[5] = 1;
  const std::vector<std::uint8_t> before(System().Block().begin(), System().Block().end());
  context->SetParamLinked(0, 1, 5);
  context->SetParamLinked(0, 171, 1);
  context->LinkPassAll();
  EXPECT_TRUE(std::equal(before.begin(), before.end(), System().Block().begin()));
  EXPECT_FALSE(context->Modified());
  Block()[5] = 0;

  TQ730SNAP& snapshot = Snapshot();
  snapshot.SetEditEnabled(false);
  context->SetCurrent(snapshot);
  const int trim = snapshot.GetParam(1, 1);
  context->SetParamLinked(0, 1, trim + 1);
  EXPECT_EQ(snapshot.GetParam(1, 1), trim);
  snapshot.SetEditEnabled(true);
  context->SetParamLinked(0, 1, trim + 1);
  EXPECT_EQ(snapshot.GetParam(1, 1), trim + 1);
}

// The sample titles agree with their links: a pass over the system data and over every
// snapshot changes no byte, so that in them an edit touches only what it names.
TEST(LinkPassTest, SampleTitlesAgreeWithTheirLinks) {
  for (const gen::TitleSpec& spec : gen::DemoSpecs()) {
    SCOPED_TRACE(spec.name);
    if (spec.locked) continue;  // a locked title refuses every write
    Title title, before;
    for (Title* t : {&title, &before}) {
      MemoryFile file(gen::MakeTitle(spec));
      ASSERT_EQ(t->LoadChunks(file), kOk);
    }
    LinkContext links(title.System());
    LinkChanges changes = links.LinkPassAll();
    TQ730SNAP& snaps = title.Snapshots();
    snaps.SetEditEnabled(true);
    links.SetCurrent(snaps);
    for (int s = 0; s < snaps.Count(); ++s) {
      snaps.SetCurrentRecord(s);
      // Gang groups move from the levels the last mouse down found: this snapshot's.
      links.MouseDown(false);
      changes += links.LinkPassAll();
    }
    test::DrainLog();
    EXPECT_EQ(LinkChangesText(changes), "");
    EXPECT_TRUE(std::ranges::equal(title.System().Block(), before.System().Block()));
    for (int slot = 0; slot < TQ730SYSF::kFaderSlots; ++slot)
      EXPECT_EQ(title.System().GroupFaderLevel(slot), before.System().GroupFaderLevel(slot))
          << slot;
    for (int s = 0; s < snaps.Count(); ++s)
      EXPECT_TRUE(std::ranges::equal(snaps.Record(s), before.Snapshots().Record(s))) << s;
  }
}

// Passes with their shortcuts (bulk accessors over snapshots, kept from pass to pass; followers
// asked for once per linking function) must leave exactly the bytes of the plain pass, also
// after the layout, the lock or the edit flag changed between passes.
TEST(LinkPassTest, SnapshotPassesMatchPlainAccessByteForByte) {
  gen::TitleSpec spec;
  spec.snapshots = 99;
  Title bulk;
  Title plain;
  for (Title* title : {&bulk, &plain}) {
    MemoryFile file(gen::MakeTitle(spec));
    ASSERT_EQ(title->LoadChunks(file), kOk);
    // Noise in the snapshots and in the linking functions and surround records: every mode,
    // follower set, group type and out-of-range value comes up.
    std::mt19937 random(11);
    for (int s = 0; s < title->Snapshots().Count(); ++s) {
      for (std::uint8_t& b : title->Snapshots().Record(s).subspan(28))
        b = static_cast<std::uint8_t>(random());
    }
    std::uint8_t* block = title->System().Block().data();
    for (int i = 0; i < 3 * kSurroundRecordCount; ++i)
      block[kSurroundRecords + i] = static_cast<std::uint8_t>(random());
    for (int i = 0; i < 9; ++i) block[kStereoFunctions + i] = random() % 2;
  }
  LinkContext bulk_links(bulk.System());
  LinkContext plain_links(plain.System());
  plain_links.SetShortcuts(false);
  auto passes = [&](int from, int to) {
    std::vector<std::string> counts;
    for (auto [title, links] : {std::pair{&bulk, &bulk_links}, std::pair{&plain, &plain_links}}) {
      TQ730SNAP& snaps = title->Snapshots();
      links->SetCurrent(snaps);
      LinkChanges changes;
      for (int s = from; s < to; ++s) {
        snaps.SetCurrentRecord(s);
        changes += links->LinkPassAll();
      }
      counts.push_back(LinkChangesText(changes));
    }
    EXPECT_EQ(counts[0], counts[1]);
    for (int s = 0; s < bulk.Snapshots().Count(); ++s) {
      ASSERT_TRUE(std::ranges::equal(bulk.Snapshots().Record(s), plain.Snapshots().Record(s)))
          << "snapshot " << s;
    }
    EXPECT_TRUE(std::ranges::equal(bulk.System().Block(), plain.System().Block()));
  };
  for (Title* title : {&bulk, &plain}) title->Snapshots().SetEditEnabled(true);
  passes(0, 99);
  test::DrainLog();
  // The high-rate layout: other channels, other places.
  for (Title* title : {&bulk, &plain}) title->System().Block()[41] = 2;
  passes(0, 40);
  // Locked, and then with the edit flag off: nothing may be written.
  const std::vector<std::uint8_t> before(bulk.Snapshots().Record(50).begin(),
                                         bulk.Snapshots().Record(50).end());
  for (Title* title : {&bulk, &plain}) title->System().Block()[5] = 1;
  passes(50, 51);
  for (Title* title : {&bulk, &plain}) {
    title->System().Block()[5] = 0;
    title->Snapshots().SetEditEnabled(false);
  }
  passes(50, 51);
  EXPECT_TRUE(std::ranges::equal(before, bulk.Snapshots().Record(50)));
  for (Title* title : {&bulk, &plain}) title->Snapshots().SetEditEnabled(true);
  passes(40, 99);
  test::DrainLog();
}

}  // namespace
}  // namespace orb
