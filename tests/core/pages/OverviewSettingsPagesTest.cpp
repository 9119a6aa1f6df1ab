// OVERVIEW and SNAPSHOT (banks, strips, bars), CUE (cell texts, names cut, rows by scroll),
// FADER GROUP, ISOLATE and SETUP, at both rates and with MTR BUS MODE.
#include <gtest/gtest.h>

#include <set>

#include "core/model/ParamIds.h"
#include "core/model/ParamModel.h"
#include "core/model/Q730.h"
#include "core/model/Q730snap.h"
#include "core/pages/CuePage.h"
#include "core/pages/OverviewPages.h"
#include "core/pages/SettingsPages.h"
#include "tests/core/pages/SceneChecks.h"

namespace orb {
namespace {

constexpr Layout kLayouts[] = {k48, k96, k96Surround};

PageScene Page(PageKind page, const TQ730& list, int bank = 0, int cursor = 0) {
  PageInput in{page, &list, cursor, DynamicsSection::kCompDuck, nullptr};
  in.bank = bank;
  return BuildPageScene(in);
}

int CharWidth(std::string_view text) {
  return static_cast<int>(text.size()) * 7;
}

TEST(OverviewSettingsPagesTest, BankTextsAndPageSteppingAtBothRates) {
  struct Case {
    Layout layout;
    int bank, shown, next;
    const char* header;
    int first_column, column_8, column_16, column_20;  // channels, -1 empty
  };
  const Case cases[] = {
      {k48, 0, 0, 1, "AUDIO OVERVIEW : 1~24", 0, 8, 16, 20},
      {k48, 1, 1, 2, "AUDIO OVERVIEW : 25~48", 24, 32, 40, 44},
      {k48, 2, 2, 0, "AUDIO OVERVIEW : MASTERS", 48, 56, 64, 68},
      {k96, 0, 0, 2, "AUDIO OVERVIEW : 1~24", 0, 8, 16, 20},
      {k96, 1, 2, 0, "AUDIO OVERVIEW : MASTERS", 24, 28, 30, -1},
      {k96, 2, 2, 0, "AUDIO OVERVIEW : MASTERS", 24, 28, 30, -1},
      {k96Surround, 2, 2, 0, "AUDIO OVERVIEW : MASTERS", 24, 30, 32, -1},
      {k48, 7, 0, 1, "AUDIO OVERVIEW : 1~24", 0, 8, 16, 20},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.layout.name << " bank " << c.bank);
    auto title = TitleFor(c.layout);
    const TQ730SYSF& s = title->System();
    EXPECT_EQ(ShownBank(s, c.bank), c.shown);
    EXPECT_EQ(NextBank(s, c.bank), c.next);
    EXPECT_EQ(Page(kPageOverview, s, c.bank).header, c.header);
    EXPECT_EQ(StripChannel(s, c.shown, 0), c.first_column);
    EXPECT_EQ(StripChannel(s, c.shown, 8), c.column_8);
    EXPECT_EQ(StripChannel(s, c.shown, 16), c.column_16);
    EXPECT_EQ(StripChannel(s, c.shown, 20), c.column_20);
    // Stepping comes round to the bank it started from without showing a bank twice.
    std::set<int> seen{c.shown};
    int bank = NextBank(s, c.shown);
    for (; bank != c.shown && seen.size() < 4; bank = NextBank(s, bank))
      EXPECT_TRUE(seen.insert(bank).second) << bank;
    EXPECT_EQ(seen.size(), s.GroupSize(kGroupInput) > kStripsPerBank ? 3u : 2u);
  }
}

TEST(OverviewSettingsPagesTest, StripsShowSendsPairPansAndFadersAndStayLaidOut) {
  for (const Layout& layout : kLayouts) {
    for (int bank : {0, 2}) {
      SCOPED_TRACE(testing::Message() << layout.name << " bank " << bank);
      auto title = TitleFor(layout);
      TQ730SYSF& s = title->System();
      s.SetEditEnabled(true);
      const int first_aux = s.FirstChannelOf(kGroupAUX);
      s.SetParam(first_aux, kParamLinkMode, kStereo);  // sends 1 and 2 a pair
      s.SetParam(first_aux + 2, kParamLinkMode, kMono);
      const int ch = StripChannel(s, bank, 0);
      s.SetParam(ch, kParamAuxOn + 2, 1);
      s.SetParam(ch, kParamAuxOn + 3, 0);
      const PageScene scene = Page(kPageOverview, s, bank);
      ExpectLaidOut(scene);
      const std::map<int, int> counts = CountById(scene);
      int strips = 0;
      for (int c = 0; c < kStripsPerBank; ++c) strips += StripChannel(s, bank, c) >= 0;
      EXPECT_EQ(counts.at(kSwitchChannel), strips);
      EXPECT_EQ(counts.at(kParamFaderLevel), strips);
      EXPECT_EQ(counts.at(kSwitchPage), 1);
      // The pair's second send is its pan bar; sends 3 and 4 keep their own bars.
      if (s.GetParam(ch, kParamAuxLevel) >= 0) {
        EXPECT_NE(Find(scene, kParamAuxPan, ch), nullptr);
        EXPECT_EQ(Find(scene, kParamAuxLevel + 1, ch), nullptr);
      }
      if (const PageControl* third = Find(scene, kParamAuxLevel + 2, ch)) {
        EXPECT_TRUE(third->lit);
        ASSERT_NE(Find(scene, kParamAuxLevel + 3, ch), nullptr);
        EXPECT_FALSE(Find(scene, kParamAuxLevel + 3, ch)->lit);
        EXPECT_EQ(third->box, (PageRect{1 + 14, 247 + 16 + 51, 19, 6}));
      }
      const PageControl* fader = Find(scene, kParamFaderLevel, ch);
      ASSERT_NE(fader, nullptr);
      EXPECT_EQ(fader->cap.x, 1 + 22);
      EXPECT_EQ(fader->travel_top, 353 + 51);
      EXPECT_GE(scene.controls.size(), bank == 0 && layout.rate_mode == 0 ? 500u : 20u);
    }
  }
}

// Each strip's controls lie on its own plate, in every layout, bank and on both pages.
TEST(OverviewSettingsPagesTest, EveryStripControlLiesOnItsOwnPlate) {
  for (const Layout& layout : kLayouts) {
    auto title = TitleFor(layout);
    const TQ730SYSF& s = title->System();
    for (PageKind kind : {kPageOverview, kPageSnapshot}) {
      const TQ730& list = kind == kPageOverview ? static_cast<const TQ730&>(s) : title->Snapshots();
      for (int bank = 0; bank < kOverviewBanks; ++bank) {
        SCOPED_TRACE(testing::Message() << layout.name << " bank " << bank);
        const PageScene scene = Page(kind, list, bank);
        ASSERT_EQ(scene.frames.size(), static_cast<std::size_t>(kStripsPerBank));
        for (const PageControl& c : scene.controls) {
          if (c.id == kSwitchPage || c.id == kSwitchEdit) continue;
          int plates = 0, column = -1;
          for (int k = 0; k < kStripsPerBank; ++k) {
            if (!Overlap(c.box, scene.frames[static_cast<std::size_t>(k)].box)) continue;
            ++plates;
            if (Inside(c.box, scene.frames[static_cast<std::size_t>(k)].box)) column = k;
          }
          EXPECT_EQ(plates, 1) << c.id << "/" << c.channel;
          EXPECT_EQ(StripChannel(s, ShownBank(s, bank), column), c.channel) << c.id;
        }
      }
    }
  }
}

TEST(OverviewSettingsPagesTest, SnapshotPageShowsTheSnapshotAtTheCursorAndItsCaption) {
  auto title = TitleFor(k48);
  TQ730SNAP& snaps = title->Snapshots();
  snaps.SetEditEnabled(true);
  snaps.SetName(1, "VERSE");
  snaps.SetCurrentRecord(1);
  snaps.SetParam(5, kParamEqOn, 1);
  snaps.SetCurrentRecord(0);
  snaps.SetParam(5, kParamEqOn, 0);
  PageInput in{kPageSnapshot, &snaps, 1, DynamicsSection::kCompDuck, nullptr};
  in.header_width = CharWidth;
  const PageScene scene = BuildPageScene(in);
  EXPECT_EQ(scene.header, "SNAPSHOT : 1~24 - 2 : VERSE   ");
  EXPECT_EQ(Find(scene, kParamEqOn, 5)->value, 1);
  EXPECT_EQ(snaps.CurrentRecord(), 0);
  EXPECT_EQ(CountById(scene).at(kSwitchEdit), 1);
  ExpectLaidOut(scene);
  // A long name is cut before the PAGE switch; past the end there is no strip.
  const auto wide = [](std::string_view text) { return static_cast<int>(text.size()) * 14; };
  in.header_width = wide;
  snaps.SetName(1, "ABCDEFGHIJKLMNOPQRSTUVW");
  const PageScene cut = BuildPageScene(in);
  EXPECT_LE(wide(cut.header), 600 - 20 + wide("..."));
  EXPECT_TRUE(cut.header.ends_with("..."));
  EXPECT_TRUE(Page(kPageSnapshot, snaps, 0, snaps.Count()).controls.empty());
}

TEST(OverviewSettingsPagesTest, CueCellsTellEventNumberChannelAndNameAndCutLongNames) {
  auto title = TitleFor(k48);
  TQ730CUE& cues = title->Cues();
  title->Snapshots().SetName(0, "INTRO");
  title->Eq().SetName(1, "LONG EQ NAME FOR VOX");
  const std::string dynamics_1 = title->Dynamics().NameText(0);
  struct Case {
    int event, number, channel;
    const char* texts[5];  // TC LINK … EVENT NAME
  };
  const Case cases[] = {
      {1, 0, 255, {"OFF", "SNAPSHOT", "00", "ALL", "INITIAL SNAPSHOT"}},
      {1, 1, 3, {"OFF", "SNAPSHOT", "01", "CH 4", "INTRO"}},
      {1, 50, 0, {"OFF", "SNAPSHOT", "50", "CH 1", ""}},
      {2, 2, 255, {"OFF", "EQ LIB", "02", "NA", "LONG EQ NAME FOR VOX"}},
      {3, 0, 48, {"OFF", "DYNA LIB", "00", "MTR1", ""}},
      {0, 4, 7, {"OFF", "NA", "", "", ""}},
      {3, 1, 200, {"OFF", "DYNA LIB", "01", "", dynamics_1.c_str()}},
  };
  PageInput in{kPageCue, &cues, 0, DynamicsSection::kCompDuck, nullptr};
  in.snapshots = &title->Snapshots();
  in.eq_lib = &title->Eq();
  in.dyn_lib = &title->Dynamics();
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "event " << c.event << " number " << c.number);
    cues.SetParam(0, kParamCueEvent, c.event);
    cues.SetParam(0, kParamCueEventNumber, c.number);
    cues.SetParam(0, kParamCueChannel, c.channel);
    for (int column = 1; column < kCueColumns; ++column)
      EXPECT_EQ(CueCellText(in, 0, column), c.texts[column - 1]) << column;
  }
  EXPECT_EQ(CueCellText(in, 0, 0), FormatTC(FromBCD(GetU32(cues.Record(0).data()))));
  EXPECT_EQ(CueCellText(in, cues.Count(), 1), "");
  // Events only a file can hold: MIDI, and one beyond the table.
  for (auto [event, text] : {std::pair{4, "MIDI"}, std::pair{9, ""}}) {
    cues.Record(0)[29] = static_cast<std::uint8_t>(event);  // the event byte
    EXPECT_EQ(CueCellText(in, 0, 2), text);
    EXPECT_EQ(CueCellText(in, 0, 5), "");
  }
  // The name column is 200 wide: 185 for the text with its "...".
  cues.SetParam(0, kParamCueEvent, TQ730CUE::kRecallEq);
  cues.SetParam(0, kParamCueEventNumber, 2);
  in.cell_width = [](std::string_view text) { return static_cast<int>(text.size()) * 10; };
  EXPECT_EQ(Find(BuildPageScene(in), kParamCueEventName, 0)->face, "LONG EQ NAME FO...");
  EXPECT_EQ(FitCell("SHORT", CharWidth, 185), "SHORT");
  EXPECT_EQ(FitCell("ABCDEFGHIJ", CharWidth, 35), "AB...");
}

TEST(OverviewSettingsPagesTest, CueTableFollowsTheScrollAndFillsThePanel) {
  gen::TitleSpec spec;
  spec.cues = 99;
  auto title = test::LoadTitle(spec);
  PageInput in{kPageCue, &title->Cues(), 0, DynamicsSection::kCompDuck, nullptr};
  for (int scroll : {0, 40, 90}) {
    in.scroll = scroll;
    const PageScene scene = BuildPageScene(in);
    ExpectLaidOut(scene);
    const int rows = std::min(21, 99 - scroll);
    EXPECT_EQ(scene.controls.size(), static_cast<std::size_t>(kCueColumns * (1 + rows)));
    EXPECT_EQ(scene.controls[kCueColumns].channel, scroll);
    EXPECT_EQ(scene.controls.back().box.top, kCueRowsTop + kCueRowHeight * (rows - 1));
    EXPECT_EQ(scene.controls[0].face, "TIME CODE");
    EXPECT_EQ(scene.controls[5].box.left + scene.controls[5].box.width, 1 + 564);
  }
  // A timecode being typed shows in its cell.
  in.scroll = 0;
  in.entry_id = kParamCueTime;
  in.entry_channel = 2;
  in.entry_text = "01020304";
  EXPECT_EQ(Find(BuildPageScene(in), kParamCueTime, 2)->face, "01020304");
  EXPECT_TRUE(Page(kPageCue, title->System()).controls.empty());
  PageInput system_data;
  system_data.page = kPageCue;
  system_data.list = &title->System();
  EXPECT_EQ(CueCellText(system_data, 0, 0), "");
}

TEST(OverviewSettingsPagesTest, FaderGroupPageShowsRowsAndTheMembersOfTheChosenGroup) {
  for (const Layout& layout : kLayouts) {
    SCOPED_TRACE(layout.name);
    auto title = TitleFor(layout);
    TQ730SYSF& s = title->System();
    s.SetEditEnabled(true);
    s.SetParam(2, kParamGroupType, 0);
    s.SetParam(5, kParamGroupType, kGroupTypeCut);
    s.SetParam(1, kParamFaderGroup, 3);
    s.SetParam(2, kParamFaderGroup, 4);
    s.SetParam(1, kParamCutGroup, 6);
    // The first return, AUX or MTR in a group, with its place.
    int master = -1;
    PageRect master_box;
    const std::pair<int, int> rows[] = {{kGroupRTN, 260}, {kGroupAUX, 317}, {kGroupMTR, 374}};
    for (auto [group, y] : rows) {
      if (master < 0 && s.GetParam(s.FirstChannelOf(group), kParamFaderGroup) >= 0) {
        master = s.FirstChannelOf(group);
        master_box = {297, y + 51, 40, 40};
      }
    }
    ASSERT_GE(master, 0);
    s.SetParam(master, kParamFaderGroup, 3);
    PageInput in{kPageFaderGroup, &s, 0, DynamicsSection::kCompDuck, nullptr};
    for (int group : {2, 5}) {
      in.group = group;
      const PageScene scene = BuildPageScene(in);
      ExpectLaidOut(scene);
      const std::map<int, int> counts = CountById(scene);
      const int id = group == 5 ? kParamCutGroup : kParamFaderGroup;
      int members = 0;  // buttons where the layout has the parameter
      for (int ch = 0; ch < s.ChannelCount(); ++ch) members += s.GetParam(ch, id) >= 0;
      EXPECT_EQ(counts.at(id), members);
      EXPECT_GE(members, s.GroupSize(kGroupInput));
      EXPECT_EQ(counts.at(kSwitchGroupRow), 8);
      EXPECT_EQ(counts.at(kParamGroupType), 8);
      EXPECT_EQ(counts.at(kParamManualGroup), 1);
      EXPECT_EQ(Find(scene, kParamGroupType, 5)->face, "CUT");
      EXPECT_EQ(Find(scene, kSwitchGroupRow, group)->box, (PageRect{9, 53 * group + 59, 230, 44}));
      EXPECT_TRUE(Find(scene, kSwitchGroupRow, group)->pressed);
      EXPECT_EQ(Find(scene, id, 1)->lit, true);
      EXPECT_EQ(Find(scene, id, 2)->lit, false);  // another group's member
      ASSERT_NE(Find(scene, id, master), nullptr);
      EXPECT_EQ(Find(scene, id, master)->lit, group == 2);
      EXPECT_EQ(Find(scene, id, master)->box, master_box);
    }
  }
}

TEST(OverviewSettingsPagesTest, IsolateAndSetupPagesShowTheirSwitchesAndTexts) {
  for (const Layout& layout : kLayouts) {
    SCOPED_TRACE(layout.name);
    auto title = TitleFor(layout);
    TQ730SYSF& s = title->System();
    const PageScene isolate = Page(kPageIsolate, s);
    ExpectLaidOut(isolate);
    const std::map<int, int> counts = CountById(isolate);
    EXPECT_EQ(counts.at(kParamSnapshotIsolate), s.ChannelCount());
    EXPECT_EQ(counts.at(kParamIsolateFunction), 9);
    EXPECT_EQ(Find(isolate, kParamIsolateFunction, 2)->face, "EQ/\nFIL");
    EXPECT_EQ(Find(isolate, kSwitchAllOff, 0)->face, "ALL\nOFF");
    if (s.GroupSize(kGroupPGM) > 0) {
      EXPECT_EQ(Find(isolate, kParamSnapshotIsolate, s.FirstChannelOf(kGroupPGM))->box,
                (PageRect{465, 363, 40, 16}));
    }
    const PageScene setup = Page(kPageSetup, s);
    ExpectLaidOut(setup);
    EXPECT_EQ(CountById(setup).at(kParamStereoLinkFunction), 9);
    EXPECT_EQ(CountById(setup).at(kParamSetupFunction), 7);
    EXPECT_EQ(setup.frames.size(), 8u);
  }
  auto title = TitleFor(k48);
  TQ730SYSF& s = title->System();
  s.SetEditEnabled(true);
  s.SetParam(0, kParamMidiRxChannel, 15);
  s.SetParam(0, kParamMidiPcPort, 0);
  s.SetParam(0, kParamMeasure, 6 * 256 + 8);
  s.SetParam(0, kParamTcMode, 2);
  const PageScene setup = Page(kPageSetup, s);
  EXPECT_EQ(Find(setup, kParamMidiRxChannel, 0)->face, "16");
  EXPECT_EQ(Find(setup, kParamMidiPcPort, 0)->face, "31.25k\nW CLOCK");
  EXPECT_EQ(Find(setup, kParamMeasure, 0)->face, "6/8");
  EXPECT_EQ(Find(setup, kParamTcMode, 0)->face, TCModeName(2));
  const std::pair<int, const char*> clocks[] = {{16776961, "REF WORD IN"},
                                                {16711683, "2TR IN 2"},
                                                {16711940, "AUX RTN 5/6"},
                                                {16711941, "AUX RTN 7/8"},
                                                {65286, "SLOT 1 1/2"},
                                                {(3 << 16) | 0xFF00 | 9, "SLOT 4 7/8"},
                                                {(4 << 16) | 0xFF00 | 6, ""},
                                                {0, ""},
                                                {-1, ""}};
  for (auto [value, text] : clocks) EXPECT_EQ(WordClockText(value), text) << value;
}

}  // namespace
}  // namespace orb
