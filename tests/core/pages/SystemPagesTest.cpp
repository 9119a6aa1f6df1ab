// The pages of the system data: the routing names, the pick lists by layout, the INPUT ASSIGN
// and OUTPUT ASSIGN scenes and the FADER page.
#include <gtest/gtest.h>

#include <array>
#include <map>

#include "core/model/ParamIds.h"
#include "core/pages/AssignPages.h"
#include "tests/core/pages/SceneChecks.h"

namespace orb {
namespace {

TEST(SystemPagesTest, NameTablesGiveTwoLineLabelsAndLongNamesWithMadiShown) {
  struct Case {
    bool output;
    int value;
    const char* short_label;
    const char* long_name;
  };
  const Case cases[] = {
      {false, 0, "NC", "No Connection"},
      {false, 1, "AD\n1", "AD 1CH"},
      {false, 24, "AD\n24", "AD 24CH"},
      {false, 25, "SL1\n1", "SLOT1 MADI 1CH"},
      {false, 56, "SL4\n8", "SLOT4 MADI 8CH"},
      {false, 57, "AUX\n1", "AUX RET 1CH"},
      {false, 64, "AUX\n8", "AUX RET 8CH"},
      {false, 65, "2TR\n1-L", "2TR1-L"},
      {false, 68, "2TR\n2-R", "2TR2-R"},
      {false, 69, "TB\nMIC", "TALKBACK MIC"},
      {false, 70, "MADI\n1", "MADI 1CH"},
      {false, 81, "MADI\n12", "MADI 12CH"},
      {false, 117, "MADI\n48", "MADI 48CH"},
      {false, 118, "", ""},
      {false, 119, "MADI\nS-1", "MADI SUB 1CH"},
      {false, 142, "MADI\nS-24", "MADI SUB 24CH"},
      {false, 143, "", ""},
      {false, -1, "", ""},
      {false, 255, "", ""},
      {true, 0, "NC", "No Connection"},
      {true, 1, "PGM\nL", "PGM L"},
      {true, 2, "PGM\nR", "PGM R"},
      {true, 5, "AUX3", "AUX 3"},
      {true, 18, "MTR8", "MTR 8"},
      {true, 19, "INS\nSND1", "INS SND 1"},
      {true, 27, "DIRO\n1", "DIRECT OUT 1"},
      {true, 74, "DIRO\n48", "DIRECT OUT 48"},
      {true, 75, "CRM\n1", "CR MONI 1"},
      {true, 80, "CRM\n6", "CR MONI 6"},
      {true, 81, "STM\nL", "STUDIO MONI L"},
      {true, 84, "PFL\nR", "PFL R"},
      {true, 86, "OSC\nR", "OSC R"},
      {true, 87, "", ""},
      {true, -5, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.output ? "output " : "input ") << c.value);
    EXPECT_EQ(c.output ? OutputShortLabel(c.value) : InputShortLabel(c.value), c.short_label);
    EXPECT_EQ(c.output ? OutputLongName(c.value) : InputLongName(c.value), c.long_name);
  }
}

TEST(SystemPagesTest, PickListsFollowLayoutAndRate) {
  struct Case {
    Layout layout;
    bool output;
    std::size_t size;
    std::vector<std::pair<std::size_t, int>> at;  // item index, value
    std::vector<int> absent;
  };
  const Case cases[] = {
      {k48, false, 118, {{0, 0}, {56, 56}, {57, 70}, {104, 117}, {105, 57}, {117, 69}}, {118, 119}},
      {k96, false, 94, {{57, 70}, {80, 93}, {81, 57}, {93, 69}}, {94, 117, 118}},
      {k48, true, 87, {{1, 1}, {86, 86}}, {}},
      {k96, true, 48, {{1, 1}, {3, 3}, {4, 4}, {5, 11}, {9, 19}}, {5, 15, 23, 51, 86}},
      {k96Surround, true, 46, {{1, 3}}, {1, 2, 5, 17, 23, 51, 81, 82, 86}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.layout.name << (c.output ? " output" : " input"));
    auto title = TitleFor(c.layout);
    const auto items = c.output ? OutputPickList(title->System()) : InputPickList(title->System());
    ASSERT_EQ(items.size(), c.size);
    for (auto [index, value] : c.at) EXPECT_EQ(items[index].value, value) << index;
    for (const PickItem& item : items) {
      EXPECT_EQ(item.text, c.output ? OutputLongName(item.value) : InputLongName(item.value));
      for (int v : c.absent) EXPECT_NE(item.value, v);
    }
  }
}

TEST(SystemPagesTest, ButtonCountsFollowLayoutAndView) {
  struct Case {
    Layout layout;
    PageKind page;
    RoutingView view;
    std::map<int, int> counts;
  };
  constexpr auto kIn = kPageInputAssign, kOut = kPageOutputAssign;
  constexpr auto kOutputs = RoutingView::kOutputs, kMadi = RoutingView::kMadi;
  const Case cases[] = {
      {k48, kIn, kOutputs, {{129, 56}, {130, 8}, {131, 6}, {132, 1}}},
      {k96, kIn, kOutputs, {{129, 28}, {130, 4}, {131, 2}, {132, 1}}},
      {k96Surround, kIn, kOutputs, {{129, 28}, {130, 4}, {131, 2}, {132, 1}}},
      {k48,
       kOut,
       kOutputs,
       {{133, 8},
        {134, 8},
        {135, 8},
        {136, 8},
        {137, 8},
        {138, 2},
        {140, 8},
        {141, 8},
        {kSwitchRoutingView, 1},
        {kSwitchDitherLength, 1},
        {kSwitchDitherShape, 1}}},
      {k48,
       kOut,
       kMadi,
       {{139, 48},
        {140, 8},
        {141, 8},
        {kSwitchRoutingView, 1},
        {kSwitchDitherLength, 1},
        {kSwitchDitherShape, 1}}},
      {k96,
       kOut,
       kMadi,
       {{139, 24},
        {140, 4},
        {141, 4},
        {kSwitchRoutingView, 1},
        {kSwitchDitherLength, 1},
        {kSwitchDitherShape, 1}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.layout.name << " page " << static_cast<int>(c.page)
                                    << " view " << static_cast<int>(c.view));
    auto title = TitleFor(c.layout);
    const PageScene scene = Assign(&title->System(), c.page, c.view);
    EXPECT_EQ(CountById(scene), c.counts);
    EXPECT_TRUE(scene.header_strip);
    EXPECT_EQ(scene.pick_list.items,
              c.page == kIn ? InputPickList(title->System()) : OutputPickList(title->System()));
    ExpectLaidOut(scene);
  }
}

TEST(SystemPagesTest, ButtonsStandWhereThePagesPlaceThem) {
  auto title = TitleFor(k96);
  const TQ730SYSF& s = title->System();
  const PageScene in = Assign(&s, kPageInputAssign);
  const PageScene outputs = Assign(&s, kPageOutputAssign);
  const PageScene madi = Assign(&s, kPageOutputAssign, RoutingView::kMadi);
  struct Case {
    const PageScene& scene;
    int id, channel, left, top, width, height;
  };
  const int rtn = s.FirstChannelOf(kGroupRTN);
  const Case cases[] = {
      {in, 129, 0, 297, 99, 40, 40},
      {in, 129, 23, 737, 154, 40, 40},
      {in, 129, rtn + 3, 417, 319, 40, 40},
      {in, 130, 3, 417, 374, 40, 40},
      {in, 131, 1, 337, 429, 40, 40},
      {in, 132, 0, 737, 429, 40, 40},
      {outputs, 133, 7, 585, 107, 40, 40},
      {outputs, 137, 0, 305, 327, 40, 40},
      {outputs, 138, 1, 345, 382, 40, 40},
      {outputs, 140, 3, 697, 227, 40, 40},
      {outputs, 141, 3, 737, 227, 40, 40},
      {outputs, kSwitchRoutingView, 0, 363, 7, 104, 30},
      {outputs, kSwitchDitherLength, 0, 21, 428, 104, 18},
      {outputs, kSwitchDitherShape, 0, 133, 428, 104, 18},
      {madi, 139, 23, 585, 217, 40, 40},
      {madi, kSwitchRoutingView, 0, 255, 7, 104, 30},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.id << "/" << c.channel);
    const PageControl* control = Find(c.scene, c.id, c.channel);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->box, (PageRect{c.left, c.top, c.width, c.height}));
  }
  EXPECT_EQ(Find(outputs, kSwitchRoutingView, 0)->face, "MADI");
  EXPECT_EQ(Find(madi, kSwitchRoutingView, 0)->face, "OUTPUTS");
}

TEST(SystemPagesTest, ButtonsShowTheirValuesAndStrayBytesGiveEmptyLabels) {
  auto title = TitleFor(k48);
  TQ730SYSF& s = title->System();
  s.SetParam(0, kParamInputSource, 81);
  s.SetParam(1, kParamInputRouting3, 0);
  s.SetParam(0, kParamInsertionSwitch, 1);
  s.SetParam(1, kParamInsertionSwitch, 0);
  auto block = s.Block();
  block[656] = 87;   // first output of the OUTPUTS view: past the output names
  block[657] = 5;    // AUX3
  block[696] = 200;  // first MADI output
  block[697] = 81;   // STUDIO MONI L
  block[8868] = 19;  // an insertion point takes only names 0 to 18
  block[8870] = 18;
  block[652] = 3;
  block[653] = 1;
  const PageScene in = Assign(&s, kPageInputAssign);
  const PageScene outputs = Assign(&s, kPageOutputAssign);
  const PageScene madi = Assign(&s, kPageOutputAssign, RoutingView::kMadi);
  struct Case {
    const PageScene& scene;
    int id, channel;
    const char* face;
    bool unconnected = false;  // printed dim
  };
  const Case cases[] = {
      {in, 129, 0, "MADI\n12"},
      {in, 130, 1, "NC", true},
      {outputs, 133, 0, ""},
      {outputs, 133, 1, "AUX3"},
      {madi, 139, 0, ""},
      {madi, 139, 1, "STM\nL"},
      {outputs, 140, 0, ""},
      {outputs, 140, 1, "MTR8"},
      {outputs, 141, 0, "ON"},
      {outputs, 141, 1, "OFF"},
      {outputs, kSwitchDitherLength, 0, "20 BIT"},
      {outputs, kSwitchDitherShape, 0, "RECTANGULAR"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.id << "/" << c.channel);
    const PageControl* control = Find(c.scene, c.id, c.channel);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->face, c.face);
    EXPECT_EQ(control->unconnected, c.unconnected);
  }
  EXPECT_TRUE(Find(outputs, 141, 0)->lit);
  EXPECT_FALSE(Find(in, 129, 0)->lit);
}

TEST(SystemPagesTest, PressedButtonAndPagesWithoutSystemData) {
  auto title = TitleFor(k48);
  const PageScene scene = Assign(&title->System(), kPageInputAssign, RoutingView::kOutputs, 5);
  for (const PageControl& c : scene.controls) EXPECT_EQ(c.pressed, c.entry == 5);
  EXPECT_EQ(scene.controls[5].channel, 5);
  for (const TQ730* list :
       {static_cast<const TQ730*>(&title->Snapshots()), static_cast<const TQ730*>(nullptr)}) {
    for (auto page : {kPageInputAssign, kPageOutputAssign}) {
      const PageScene empty = Assign(list, page);
      EXPECT_TRUE(empty.controls.empty());
      EXPECT_TRUE(empty.pick_list.items.empty());
      EXPECT_FALSE(empty.header.empty());
    }
  }
}

TEST(SystemPagesTest, FaderPageShowsEveryChannelOfTheLayoutWithItsFader) {
  struct Case {
    Layout layout;
    int strips;
    std::vector<std::array<int, 3>> switches;  // channel, left, top
  };
  const Case cases[] = {
      {k48, 72, {{0, 9, 60}, {25, 42, 204}, {48, 9, 348}, {56, 273, 348}, {71, 768, 348}}},
      {k96, 34, {{23, 768, 60}, {24, 9, 348}, {28, 273, 348}, {30, 537, 348}}},
      {k96Surround, 36, {{29, 174, 348}, {30, 273, 348}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.layout.name);
    auto title = TitleFor(c.layout);
    TQ730SYSF& s = title->System();
    s.SetParam(0, kParamFaderLevel, 0);
    s.SetParam(1, kParamFaderLevel, s.ParamMax(1, kParamFaderLevel));
    const PageScene scene = Assign(&s, kPageFader);
    EXPECT_EQ(scene.header, "AUDIO FADER");
    EXPECT_EQ(CountById(scene),
              (std::map<int, int>{{kSwitchChannel, c.strips}, {kParamFaderLevel, c.strips}}));
    ExpectLaidOut(scene);
    for (auto [channel, left, top] : c.switches) {
      const PageControl* number = Find(scene, kSwitchChannel, channel);
      const PageControl* fader = Find(scene, kParamFaderLevel, channel);
      ASSERT_TRUE(number && fader) << channel;
      EXPECT_EQ(number->box, (PageRect{left, top, 30, 18})) << channel;
      EXPECT_EQ(number->face, s.NumberText(channel));
      EXPECT_EQ(fader->box, (PageRect{left, top + 20, 30, 13})) << channel;
    }
    const PageControl* down = Find(scene, kParamFaderLevel, 0);
    const PageControl* up = Find(scene, kParamFaderLevel, 1);
    EXPECT_EQ(down->travel, 92);
    EXPECT_EQ(down->cap.y, down->travel_top + 92);
    EXPECT_EQ(up->cap.y, up->travel_top);
    EXPECT_EQ(down->cap.x, down->box.left + 15);
  }
  // Another list than the system data: the header alone.
  auto title = TitleFor(k48);
  EXPECT_TRUE(Assign(&title->Snapshots(), kPageFader).controls.empty());
}

}  // namespace
}  // namespace orb
