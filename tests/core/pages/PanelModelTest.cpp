// The panel model on built pages: drags, clicks, popups, the wheel, the routing pick list and
// numeric entry, written through the channel links with one undo step per gesture.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/edit/Undo.h"
#include "core/model/DataFile.h"
#include "core/model/FaderLaw.h"
#include "core/model/ParamIds.h"
#include "core/model/ParamModel.h"
#include "core/model/ParamNames.h"
#include "core/pages/PanelModel.h"
#include "tests/core/edit/EditTitles.h"

namespace orb {
namespace {

class PanelModelTest : public ::testing::Test {
 protected:
  void Make(const gen::TitleSpec& spec = {}) {
    title = test::LoadTitle(spec);
    links = std::make_unique<LinkContext>(title->System());
    model = std::make_unique<PanelModel>(
        *links, [this](const PanelState& s, int pressed) { return Build(s, pressed); },
        [this] {
          ring.Push(*title);
          ++steps;
        });
  }
  PageScene Build(const PanelState& s, int pressed) {
    if (synthetic) {
      PageScene scene = *synthetic;
      for (PageControl& c : scene.controls) c.pressed = c.entry == pressed;
      return scene;
    }
    PageInput in;
    in.page = s.page == PanelPage::kInputAssign ? kPageInputAssign
              : s.page == PanelPage::kDynLib    ? kPageDynLib
                                                : kPageChannel;
    in.list = &links->Current();
    in.cursor = s.cursor;
    in.section = s.section;
    in.pressed_entry = pressed;
    in.view = s.view;
    return BuildPageScene(in);
  }
  void Show(PanelPage page, int cursor = 0) {
    PanelState s = model->State();
    s.page = page;
    s.cursor = cursor;
    model->SetState(s);
  }
  // A page of hand-placed controls, for pages built elsewhere.
  void Synthetic(std::vector<PageControl> controls, PanelPage page) {
    PageScene scene;
    for (std::size_t i = 0; i < controls.size(); ++i) controls[i].entry = static_cast<int>(i);
    scene.controls = std::move(controls);
    synthetic = std::move(scene);
    Show(page);
  }
  static PageControl Button(int id, int channel, int x, int y, std::string face = "") {
    PageControl c;
    c.id = id;
    c.channel = channel;
    c.kind = kKindSwitch;
    c.box = {x, y, 22, 18};
    c.face = std::move(face);
    return c;
  }
  const PageControl& Find(int id, int channel = -1) const {
    for (const PageControl& c : model->Scene().controls) {
      if (c.id == id && (channel < 0 || c.channel == channel)) return c;
    }
    ADD_FAILURE() << "no control " << id;
    static const PageControl none;
    return none;
  }
  // By value: the press rebuilds the page.
  PanelRequest Click(PageControl c) {
    model->Press(c.box.left, c.box.top, false);
    return model->Release(c.box.left, c.box.top);
  }
  TQ730SYSF& System() { return title->System(); }
  int Get(int channel, int id) { return links->Current().GetParam(channel, id); }

  std::unique_ptr<Title> title;
  std::unique_ptr<LinkContext> links;
  std::unique_ptr<PanelModel> model;
  std::optional<PageScene> synthetic;
  UndoRing ring;
  int steps = 0;
};

TEST_F(PanelModelTest, LevelFaderGangMovesFromTheGesturesStartInOneUndoStep) {
  Make();
  System().SetParam(0, kParamLinkMode, kMono);
  // GANG group 1, on, with CH 1 and CH 2.
  System().SetParam(0, kParamGroupType, 0);
  System().SetParam(0, kParamGroupOn, 1);
  System().SetParam(0, kParamFaderGroup, 1);
  System().SetParam(1, kParamFaderGroup, 1);
  System().SetParam(0, kParamFaderLevel, 600);
  System().SetParam(1, kParamFaderLevel, 700);
  Show(PanelPage::kChannel, 0);
  const PageControl fader = Find(kParamFaderLevel);
  ASSERT_EQ(fader.travel, 141);
  const int bottom = fader.travel_top + fader.travel;
  model->Press(fader.cap.x, fader.cap.y, false);
  EXPECT_EQ(model->DragType(), HitType::kFaderDrag);
  for (int y : {bottom - 100, bottom - 120, bottom - 130}) {
    model->Move(fader.cap.x + 30, y);
    // The member moves by the dragged fader's change in dB since the press, to the nearest step.
    const int tenths = FaderTenths(Get(0, kParamFaderLevel)) - FaderTenths(600);
    EXPECT_EQ(Get(1, kParamFaderLevel), NearestFaderIndex((FaderTenths(700) + tenths) / 10.0)) << y;
  }
  model->Move(fader.cap.x, bottom - 141);
  EXPECT_EQ(Get(0, kParamFaderLevel), 1023);
  model->Release(fader.cap.x, bottom - 141);
  EXPECT_EQ(steps, 1);
  ASSERT_TRUE(ring.Undo(*title));
  links->Rebind(System());
  model->Rebuild();
  EXPECT_EQ(Get(0, kParamFaderLevel), 600);
  EXPECT_EQ(Get(1, kParamFaderLevel), 700);

  // A press on nothing, or on the cap without a move, takes no undo step.
  model->Press(799, 490, false);
  model->Move(700, 400);
  model->Release(700, 400);
  const PageControl again = Find(kParamFaderLevel);
  model->Press(again.cap.x, again.cap.y, false);
  model->Release(again.cap.x, again.cap.y);
  EXPECT_EQ(steps, 1);
}

TEST_F(PanelModelTest, KnobTurnsAndHandleDragsOnTheChannelPage) {
  gen::TitleSpec spec;  // the layout with the surround pan graph
  spec.rate_mode = 2;
  spec.mtr_bus_mode = true;
  Make(spec);
  Show(PanelPage::kChannel, 0);
  const PageControl trim = Find(kParamTrim);
  // A point on the dial's ring outside the knob's box.
  std::optional<PagePoint> ring_point;
  for (int dx = -trim.radius - 4; dx <= trim.radius + 4 && !ring_point; ++dx) {
    for (int dy = -trim.radius - 4; dy <= trim.radius + 4 && !ring_point; ++dy) {
      const PanelHit hit = HitTest(model->Scene(), trim.dial.x + dx, trim.dial.y + dy);
      if (hit.type == HitType::kKnobTurn)
        ring_point = PagePoint{trim.dial.x + dx, trim.dial.y + dy};
    }
  }
  ASSERT_TRUE(ring_point);
  // Grabbed there it moves with the pointer's vertical movement: 40 px up, then back below.
  const int start = Get(0, kParamTrim);
  model->Press(ring_point->x, ring_point->y, false);
  model->Move(ring_point->x + 30, ring_point->y - 40);
  EXPECT_EQ(Get(0, kParamTrim), std::min(start + 40 * trim.max / kKnobDragTravel, trim.max));
  model->Move(trim.dial.x - 40, ring_point->y + kKnobDragTravel);
  EXPECT_EQ(Get(0, kParamTrim), 0);
  model->Release(0, 0);

  const PageControl pan = Find(kParamSurroundPanGraph);
  ASSERT_TRUE(pan.draggable);
  model->Press(pan.box.left, pan.box.top, false);
  model->Move(pan.box.left + pan.box.width, pan.box.top + pan.box.height);
  model->Release(0, 0);
  EXPECT_EQ(Get(0, kParamSurroundPanLR), 126);
  EXPECT_EQ(Get(0, kParamSurroundPanFR), 126);
  // The EXP/GATE handle picks its section and sets its threshold.
  System().SetParam(0, kParamExpGateThreshold, 0);
  System().SetParam(0, kParamCompDuckThreshold, 0);
  Show(PanelPage::kChannel, 0);
  const PageControl dyn = Find(kParamDynamicsBlock);
  ASSERT_FALSE(dyn.graph.handles.empty());
  const GraphHandle gate = dyn.graph.handles.back();
  const int threshold = gate.section == 1 ? kParamExpGateThreshold : kParamCompDuckThreshold;
  const int start_threshold = Get(0, threshold);  // as the knee coupling left it
  model->Press(gate.x, gate.y, false);
  EXPECT_EQ(model->DragType(), HitType::kDynamicsHandle);
  EXPECT_EQ(model->State().section,
            gate.section == 1 ? DynamicsSection::kExpGate : DynamicsSection::kCompDuck);
  model->Move(dyn.box.left + dyn.box.width / 2, gate.y);
  model->Release(0, 0);
  // Moved by the pointer's movement from the handle.
  EXPECT_EQ(Get(0, threshold),
            start_threshold + DynamicsThresholdIndex(dyn.box, dyn.box.left + dyn.box.width / 2) -
                DynamicsThresholdIndex(dyn.box, gate.x));
  EXPECT_EQ(steps, 3);
}

TEST_F(PanelModelTest, WheelBurstsStepClampAndTakeOneUndoStepEach) {
  Make();
  System().SetParam(0, kParamTrim, 10);
  Show(PanelPage::kChannel, 0);
  const PageControl trim = Find(kParamTrim);
  model->Move(trim.box.left + 1, trim.box.top + 1);
  EXPECT_EQ(model->ActiveId(), kParamTrim);
  EXPECT_EQ(model->StatusText().rfind(System().NumberText(0) + " : ", 0), 0u);
  EXPECT_NE(model->StatusText().find(std::string(" - ") + ParamName(kParamTrim) + " = "),
            std::string::npos);
  model->Wheel(120);
  EXPECT_EQ(Get(0, kParamTrim), 13);
  model->Wheel(-40);
  model->Wheel(20);
  model->Wheel(20);
  EXPECT_EQ(Get(0, kParamTrim), 13);
  EXPECT_EQ(steps, 1);
  model->Wheel(40 * (trim.max + 5));
  EXPECT_EQ(Get(0, kParamTrim), trim.max);
  EXPECT_EQ(steps, 1);
  // Another control starts another burst.
  const PageControl fader = Find(kParamFaderLevel);
  model->Move(fader.box.left + 1, fader.box.top + 1);
  System().SetParam(0, kParamFaderLevel, 500);
  model->Wheel(40);
  EXPECT_EQ(Get(0, kParamFaderLevel), 501);
  EXPECT_EQ(steps, 2);
  // Nothing under the pointer: the wheel does nothing here.
  model->Move(799, 490);
  model->Wheel(120);
  EXPECT_EQ(steps, 2);
}

TEST_F(PanelModelTest, LockedTitleWritesNothingAndOpensNoPopup) {
  gen::TitleSpec spec;
  spec.locked = true;
  Make(spec);
  ASSERT_TRUE(System().Locked());
  Show(PanelPage::kChannel, 0);
  const int level = Get(0, kParamFaderLevel), cut = Get(0, kParamCut);
  const PageControl fader = Find(kParamFaderLevel);
  model->Press(fader.cap.x, fader.cap.y, false);
  model->Move(fader.cap.x, fader.travel_top);
  model->Release(0, 0);
  Click(Find(kParamCut));
  EXPECT_EQ(Click(Find(kParamLinkMode)).kind, PanelRequest::kNone);
  model->Move(fader.box.left + 1, fader.box.top + 1);
  model->Wheel(120);
  EXPECT_EQ(Get(0, kParamFaderLevel), level);
  EXPECT_EQ(Get(0, kParamCut), cut);
  EXPECT_EQ(steps, 0);
}

TEST_F(PanelModelTest, ButtonsActOnlyWhenReleasedPressedAndTogglesStepOnce) {
  Make();
  Show(PanelPage::kChannel, 0);
  const PageControl cut = Find(kParamCut);
  const int before = Get(0, kParamCut);
  model->Press(cut.box.left, cut.box.top, false);
  EXPECT_TRUE(Find(kParamCut).pressed);
  model->Move(cut.box.left - 50, cut.box.top);
  EXPECT_FALSE(Find(kParamCut).pressed);
  model->Release(cut.box.left - 50, cut.box.top);
  EXPECT_EQ(Get(0, kParamCut), before);
  Click(cut);
  EXPECT_EQ(Get(0, kParamCut), 1 - before);
  EXPECT_EQ(steps, 1);
  // The section switch flips the dynamics section shown.
  const DynamicsSection shown = model->State().section;
  Click(Find(kSwitchExpGateSection));
  EXPECT_NE(model->State().section, shown);
  EXPECT_EQ(steps, 1);
}

TEST_F(PanelModelTest, LinkChangeOverASurroundGroupAndBack) {
  Make();
  for (int p = 0; p < 8; p += 2) System().SetParam(p, kParamLinkMode, 0);
  Show(PanelPage::kChannel, 2);
  const PanelRequest popup = Click(Find(kParamLinkMode));
  ASSERT_EQ(popup.kind, PanelRequest::kPopup);
  EXPECT_EQ(popup.menu, Po_Link);
  EXPECT_EQ(popup.channel, 2);
  const PageControl& button = Find(kParamLinkMode);
  EXPECT_EQ(popup.x, button.box.left + button.box.width);
  model->Choose(popup, kSurround);
  for (int c = 0; c < 6; ++c) EXPECT_EQ(Get(c, kParamLinkMode), kSurround) << c;
  EXPECT_EQ(Get(6, kParamLinkMode), 0);
  // Leaving SURROUND from any pair returns the whole group.
  model->Choose({PanelRequest::kPopup, Po_Link, kParamLinkMode, 4}, kStereo);
  EXPECT_EQ(Get(0, kParamLinkMode), kStereo);
  EXPECT_EQ(Get(2, kParamLinkMode), kStereo);
  EXPECT_EQ(Get(4, kParamLinkMode), kStereo);
  model->Choose({PanelRequest::kPopup, Po_Link, kParamLinkMode, 4}, kStereo);
  EXPECT_EQ(steps, 2);
  ASSERT_TRUE(ring.Undo(*title));
  links->Rebind(System());
  EXPECT_EQ(Get(0, kParamLinkMode), kSurround);
}

TEST_F(PanelModelTest, PickListRoutesConsecutiveSourcesUpToTheLastControl) {
  Make();
  Show(PanelPage::kInputAssign);
  const auto& items = model->Scene().pick_list.items;
  ASSERT_GE(items.size(), 4u);
  model->SetPickSelection({items[1].value, items[2].value, items[3].value});
  Click(Find(kParamInputSource, 4));
  EXPECT_EQ(Get(4, kParamInputSource), items[1].value);
  EXPECT_EQ(Get(5, kParamInputSource), items[2].value);
  EXPECT_EQ(Get(6, kParamInputSource), items[3].value);
  EXPECT_EQ(steps, 1);
  // The rows interleave on the page; only the clicked parameter's elements take sources.
  const int beside = Get(6, kParamInputRouting4), single = Get(0, kParamInputRoutingSingle);
  Click(Find(kParamInputRouting3, 6));
  EXPECT_EQ(Get(6, kParamInputRouting3), items[1].value);
  EXPECT_EQ(Get(7, kParamInputRouting3), items[2].value);
  EXPECT_EQ(Get(6, kParamInputRouting4), beside);
  EXPECT_EQ(Get(0, kParamInputRoutingSingle), single);
}

TEST_F(PanelModelTest, EditSwitchGatesLibraryWritesUntilTheCursorLeaves) {
  Make();
  links->SetCurrent(title->Dynamics());
  title->Dynamics().SetEditEnabled(false);
  Show(PanelPage::kDynLib, 1);
  const PageControl on = Find(kParamDynamicsOn);
  const int was = Get(1, kParamDynamicsOn);
  Click(on);
  EXPECT_EQ(Get(1, kParamDynamicsOn), was);
  Click(Find(kSwitchEdit));
  EXPECT_TRUE(title->Dynamics().EditEnabled());
  Click(Find(kParamDynamicsOn));
  EXPECT_EQ(Get(1, kParamDynamicsOn), 1 - was);
  Show(PanelPage::kDynLib, 0);
  EXPECT_FALSE(title->Dynamics().EditEnabled());
  EXPECT_EQ(steps, 1);
}

TEST_F(PanelModelTest, TempoAndOffsetEntriesCommitOnSecondClickOrEnter) {
  Make();
  PageControl tempo = Button(kParamTempo, 0, 204, 98), offset = Button(kParamOffset, 0, 264, 98);
  Synthetic({tempo, offset}, PanelPage::kSetup);
  struct Case {
    std::string keys;
    bool enter;
    int value;
  };
  for (const Case& c : {Case{"10", false, 30}, Case{"300", true, 250}, Case{"125", false, 125}}) {
    Click(tempo);
    ASSERT_TRUE(model->Entry().Pending());
    for (char k : c.keys) model->EntryKey(k);
    if (c.enter) {
      model->EntryEnter();
    } else {
      Click(tempo);
    }
    EXPECT_FALSE(model->Entry().Pending());
    EXPECT_EQ(Get(0, kParamTempo), c.value) << c.keys;
  }
  EXPECT_EQ(steps, 3);
  // Esc drops; Backspace shifts right.
  Click(offset);
  EXPECT_EQ(model->Entry().text, FormatTCDigits(static_cast<TimeCode>(Get(0, kParamOffset))));
  for (char k : std::string("01020399")) model->EntryKey(k);
  model->EntryBackspace();
  EXPECT_EQ(model->Entry().text, "00102039");
  model->EntryEscape();
  model->EntryEnter();
  EXPECT_EQ(steps, 3);
  Click(offset);
  for (char k : std::string("01020304")) model->EntryKey(k);
  Click(offset);
  EXPECT_EQ(Get(0, kParamOffset), static_cast<int>(MakeTC(1, 2, 3, 4)));
  EXPECT_EQ(steps, 4);
}

TEST_F(PanelModelTest, CueTimeEntryResortsWithTheCursorFollowingAndEventsReset) {
  Make();
  TQ730CUE& cues = title->Cues();
  ASSERT_GE(cues.Count(), 3);
  for (int q = 0; q < cues.Count(); ++q) cues.SetParam(q, kParamCueEvent, 0);
  links->SetCurrent(cues);
  cues.SetEditEnabled(false);
  PageControl time = Button(kParamCueTime, 0, 1, 71), event = Button(kParamCueEvent, 0, 141, 71);
  Synthetic({time, event}, PanelPage::kCue);
  const int last = cues.Count() - 1;
  // The cue time is held as packed BCD.
  const TimeCode later =
      NextFrame(FromBCD(static_cast<std::uint32_t>(cues.GetParam(last, kParamCueTime))),
                FrameRateOfMode(System().TimecodeMode()));
  Click(time);
  for (char k : FormatTCDigits(later)) model->EntryKey(k);
  const PanelRequest moved = Click(time);
  EXPECT_EQ(moved.kind, PanelRequest::kCueMoved);
  EXPECT_EQ(moved.channel, last);
  EXPECT_EQ(cues.GetParam(last, kParamCueTime), static_cast<int>(ToBCD(later)));

  const PanelRequest popup = Click(event);
  ASSERT_EQ(popup.kind, PanelRequest::kPopup);
  EXPECT_EQ(popup.menu, Po_Event);
  model->Choose(popup, 1);
  EXPECT_EQ(cues.GetParam(0, kParamCueEvent), 1);
  EXPECT_EQ(cues.GetParam(0, kParamCueEventNumber), 0);
  EXPECT_EQ(cues.GetParam(0, kParamCueChannel), 255);
  EXPECT_EQ(steps, 2);
}

TEST_F(PanelModelTest, FaderGroupClicksAndIsolateAll) {
  Make();
  for (int c = 0; c < System().ChannelCount(); ++c) {
    System().SetParam(c, kParamFaderGroup, 0);
    System().SetParam(c, kParamCutGroup, 0);
    System().SetParam(c, kParamLinkMode, kMono);
    System().SetParam(c, kParamSnapshotIsolate, 0);
  }
  System().SetParam(2, kParamGroupType, 1);  // group 3 is a VCA
  System().SetParam(2, kParamGroupVcaMaster, 5);
  System().SetParam(1, kParamGroupType, 2);  // group 2 cuts
  System().SetParam(3, kParamCutGroup, 6);
  PageControl row = Button(-1, 2, 0, 112);
  row.kind = kKindGroupRow;
  row.box = {0, 112, 290, 48};
  Synthetic({row, Button(kParamGroupType, 2, 300, 112), Button(kParamFaderGroup, 0, 400, 0),
             Button(kParamFaderGroup, 1, 440, 0), Button(kParamCutGroup, 3, 480, 0),
             Button(kSwitchAllOn, 0, 424, 376, "ALL\nON"),
             Button(kSwitchAllOff, 0, 464, 376, "ALL\nOFF")},
            PanelPage::kFaderGroup);
  const auto& c = synthetic->controls;
  Click(c[0]);
  EXPECT_EQ(model->State().fader_group, 2);
  Click(c[2]);  // joins, becomes the VCA master (CH 6 is not in the group)
  Click(c[3]);  // joins, the master stays
  EXPECT_EQ(Get(0, kParamFaderGroup), 3);
  EXPECT_EQ(Get(1, kParamFaderGroup), 3);
  EXPECT_EQ(Get(2, kParamGroupVcaMaster), 0);
  Click(c[2]);
  EXPECT_EQ(Get(0, kParamFaderGroup), 0);
  // The type box steps VCA to CUT; a channel with another cut group is cleared.
  Click(c[1]);
  EXPECT_EQ(Get(2, kParamGroupType), 2);
  Click(c[4]);
  EXPECT_EQ(Get(3, kParamCutGroup), 0);
  Click(c[4]);
  EXPECT_EQ(Get(3, kParamCutGroup), 3);
  EXPECT_EQ(steps, 6);
  const int last = System().ChannelCount() - 1;
  Click(c[5]);
  for (int ch : {0, 47, last}) EXPECT_EQ(Get(ch, kParamSnapshotIsolate), 1) << ch;
  Click(c[6]);
  for (int ch : {0, 47, last}) EXPECT_EQ(Get(ch, kParamSnapshotIsolate), 0) << ch;
  EXPECT_EQ(steps, 8);
}

// The title as saved, and where the pair of channel c keeps its strips and its pair bytes in it.
std::vector<std::uint8_t> TitleBytes(Title& title) {
  MemoryFile file;
  EXPECT_EQ(title.WriteChunks(file), kOk);
  return file.Bytes();
}

std::vector<std::pair<std::size_t, std::size_t>> PairRanges(const std::vector<std::uint8_t>& bytes,
                                                            const TQ730SYSF& system, int c) {
  constexpr std::size_t kChunkHeader = 16;  // the system chunk comes first
  const std::uint8_t* block = system.Block().data();
  std::vector<std::pair<std::size_t, std::size_t>> ranges;
  // The block's checksum follows every change.
  ranges.push_back({kChunkHeader + system.Block().size() - 2, 2});
  // The pair's group-fader levels follow their faders, and that chunk's checksum.
  std::size_t at = 0;
  while (at + kChunkHeader <= bytes.size() &&
         std::string(reinterpret_cast<const char*>(&bytes[at])) != "gfed.dat") {
    at += kChunkHeader + (bytes[at + 12] | bytes[at + 13] << 8 | bytes[at + 14] << 16);
  }
  for (int ch : {c, c + 1})
    ranges.push_back({at + kChunkHeader + 4 * static_cast<std::size_t>(system.FaderSlotOf(ch)), 4});
  ranges.push_back({at + kChunkHeader + TQ730SYSF::kGroupFaderSize - 2, 2});
  const ChannelPlace& place = kChannelPlaces[system.ChannelKind(c)];
  const int index = c - system.FirstChannelOf(system.ChannelKind(c));
  ranges.push_back({kChunkHeader + place.strip_system + place.strip_size * index,
                    2 * static_cast<std::size_t>(place.strip_size)});
  ranges.push_back({kChunkHeader + place.pair_system + place.pair_stride * (index / 2),
                    static_cast<std::size_t>(place.pair_stride)});
  const auto add = [&](int ch, int id) {
    const auto field = system.ParamField(ch, id);
    if (!field.empty()) ranges.push_back({kChunkHeader + (field.data() - block), field.size()});
  };
  // A STEREO AUX pair also aligns the pair's two send switches of every input.
  const int aux = c - system.FirstChannelOf(kGroupAUX);
  if (system.ChannelKind(c) == kGroupAUX) {
    for (int i = 0; i < system.GroupSize(kGroupInput); ++i) {
      add(i, kParamAuxOn + aux);
      add(i, kParamAuxOn + aux + 1);
    }
  }
  return ranges;
}

// Every byte that differs lies in the pair's own bytes.
void ExpectOnlyThePairChanged(const std::vector<std::uint8_t>& before,
                              const std::vector<std::uint8_t>& after,
                              const std::vector<std::pair<std::size_t, std::size_t>>& ranges,
                              const std::string& what) {
  ASSERT_EQ(before.size(), after.size()) << what;
  for (std::size_t i = 0; i < before.size(); ++i) {
    if (before[i] == after[i]) continue;
    const bool inside = std::any_of(ranges.begin(), ranges.end(), [i](const auto& r) {
      return i >= r.first && i < r.first + r.second;
    });
    EXPECT_TRUE(inside) << what << ": byte " << i << " changed outside the pair";
  }
}

// SURROUND is not offered on a bus pair and, chosen anyway, leaves every other channel alone;
// the mode the pair already has re-syncs it in one undo step, and nothing when all agrees.
TEST_F(PanelModelTest, LinkChoicesOnBusPairsChangeOnlyThatPair) {
  int pairs = 0;
  for (int kind : {kGroupMTR, kGroupAUX, kGroupRTN}) {
    Make();
    // Every linking function on: a stereo partner follows all of them.
    for (const LinkFunction& row : kLinkFunctions)
      System().Block()[kStereoFunctions + row.position] = 1;
    const int first = System().FirstChannelOf(kind);
    for (int c = first; c + 1 < first + System().GroupSize(kind); c += 2) {
      if (Get(c, kParamLinkMode) < 0) continue;
      ++pairs;
      const std::string what = System().NumberText(c);
      // A value the partner follows: the EQ, or the fader of a return without one.
      const int id = Get(c, kParamEqLowGain) >= 0 ? kParamEqLowGain : kParamFaderLevel;
      EXPECT_EQ(PopupItems(Po_Link, System(), c).size(), 2u) << what;
      System().SetParam(c, kParamLinkMode, kMono);
      Show(PanelPage::kChannel, c);
      const PanelRequest popup = Click(Find(kParamLinkMode));
      ASSERT_EQ(popup.menu, Po_Link) << what;
      struct Step {
        int mode;
        bool partner_differs;  // the partner's value set apart before the choice
        int steps;             // undo steps taken by the choice
      };
      for (const Step& step :
           {Step{kSurround, true, 1}, Step{kStereo, true, 1}, Step{kStereo, false, 0}}) {
        if (step.partner_differs)
          System().SetParam(c + 1, id, (Get(c, id) + 7) % (System().ParamMax(c, id) + 1));
        const auto before = TitleBytes(*title);
        const int steps_before = steps;
        model->Choose(popup, step.mode);
        EXPECT_EQ(Get(c, kParamLinkMode), kStereo) << what;
        EXPECT_EQ(Get(c + 1, id), Get(c, id)) << what;
        EXPECT_EQ(steps - steps_before, step.steps) << what << " mode " << step.mode;
        const auto after = TitleBytes(*title);
        ExpectOnlyThePairChanged(before, after, PairRanges(after, System(), c), what);
      }
    }
  }
  EXPECT_GE(pairs, 8);
  // Input pairs whose group of six fits are offered all three modes.
  EXPECT_EQ(PopupItems(Po_Link, System(), 0).size(), 3u);
}

// The KEY button shows the text of the Po_Key item chosen, for every item, at both rates; a
// stored key the layout cannot name shows its number.
TEST_F(PanelModelTest, KeyButtonShowsThePopupItemChosen) {
  for (int rate : {0, 2}) {
    gen::TitleSpec spec;
    spec.rate_mode = rate;
    Make(spec);
    const TQ730SYSF& s = System();
    int keyed = 0;
    for (int kind : {kGroupInput, kGroupMTR, kGroupAUX, kGroupPGM}) {
      if (s.GroupSize(kind) == 0) continue;
      for (int c : {s.FirstChannelOf(kind), s.FirstChannelOf(kind) + s.GroupSize(kind) - 1}) {
        Show(PanelPage::kChannel, c);
        if (Get(c, kParamDynamicsKey) < 0) continue;
        ++keyed;
        const PanelRequest popup = Click(Find(kParamDynamicsKey));
        ASSERT_EQ(popup.menu, Po_Key);
        for (const PopupItem& item : PopupItems(Po_Key, s, c)) {
          model->Choose(popup, item.value);
          std::string caption = item.caption;
          std::erase(caption, '&');
          EXPECT_EQ(Find(kParamDynamicsKey).face, caption) << s.NumberText(c) << " rate " << rate;
        }
      }
    }
    EXPECT_GE(keyed, 6) << rate;
    // 96 kHz has 24 inputs: a key of 40 names no channel there.
    System().SetParam(1, kParamDynamicsKey, 40);
    Show(PanelPage::kChannel, 1);
    EXPECT_EQ(Find(kParamDynamicsKey).face, rate == 0 ? "CH 41" : "41");
  }
}

}  // namespace
}  // namespace orb

namespace orb {
namespace {

// Drags move a value with the pointer's movement from the press, never to its place.
TEST_F(PanelModelTest, DragsNeverJumpAndMoveRelativeToThePress) {
  gen::TitleSpec spec;  // the layout with the surround pan graph
  spec.rate_mode = 2;
  spec.mtr_bus_mode = true;
  Make(spec);
  enum Grab { kBox, kRing, kCap };
  struct Row {
    int id;
    Grab grab;
    int start;
    int dx, dy;
    bool fine;
    int expected;
  };
  const Row rows[] = {
      {kParamTrim, kBox, 31, 4, 0, false, 31},      // -7.25 dB stays: sideways is no movement
      {kParamTrim, kBox, 31, 0, -4, false, 33},     // up 4 px: 4 × 120 / 200 steps
      {kParamTrim, kBox, 31, 0, 4, false, 29},      // down lowers
      {kParamTrim, kRing, 31, 30, -10, false, 37},  // the dial's ring drags alike
      {kParamTrim, kBox, 31, 0, -4, true, 31},      // fine: ten times finer
      {kParamTrim, kBox, 31, 0, -20, true, 32},
      {kParamTrim, kBox, 31, 0, -400, false, 120},  // clamped at the ends
      {kParamTrim, kBox, 31, 0, 400, false, 0},
      {kParamCompDuckThreshold, kBox, 20, 0, -10, false, 15},  // up raises the shown dB
      {kParamFaderLevel, kCap, 600, 0, -10, false, 673},       // the travel: 1023 over 141 px
      {kParamFaderLevel, kCap, 600, 0, -10, true, 607},
      {kParamFaderLevel, kBox, 600, 0, -10, false, 651},  // its value box: 200 px
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.id) + " grab " + std::to_string(row.grab) + " by " +
                 std::to_string(row.dx) + "," + std::to_string(row.dy) + (row.fine ? " fine" : ""));
    System().SetParam(0, row.id, row.start);
    Show(PanelPage::kChannel, 0);
    const PageControl c = Find(row.id);
    PagePoint at{c.box.left + c.box.width / 2, c.box.top + c.box.height / 2};
    if (row.grab == kCap) at = c.cap;
    if (row.grab == kRing) at = {c.dial.x, c.dial.y + c.radius + 2};
    const int before = steps;
    model->Press(at.x, at.y, false, row.fine);
    EXPECT_NE(model->DragType(), HitType::kNone);
    EXPECT_EQ(Get(0, row.id), row.start);  // the press changes nothing
    model->Move(at.x, at.y, row.fine);
    EXPECT_EQ(Get(0, row.id), row.start);
    model->Move(at.x + row.dx, at.y + row.dy, row.fine);
    EXPECT_EQ(Get(0, row.id), row.expected);
    model->Release(at.x + row.dx, at.y + row.dy);
    EXPECT_EQ(steps - before, row.expected == row.start ? 0 : 1);
  }
}

// Moved slowly, a value passes every step; with the fine modifier even the fader's 1024.
TEST_F(PanelModelTest, SlowDragsPassEveryStepAndTheModifierReanchors) {
  Make();
  System().SetParam(0, kParamTrim, 0);
  System().SetParam(0, kParamFaderLevel, 0);
  Show(PanelPage::kChannel, 0);
  for (const auto& [id, fine] : {std::pair{kParamTrim, false}, std::pair{kParamFaderLevel, true}}) {
    const PageControl c = Find(id);
    const PagePoint at = id == kParamTrim ? PagePoint{c.box.left + 2, c.box.top + 2} : c.cap;
    model->Press(at.x, at.y, false, fine);
    int last = Get(0, id), seen = 1;
    for (int dy = 1; Get(0, id) < c.max && dy < 20000; ++dy) {
      model->Move(at.x, at.y - dy, fine);
      const int now = Get(0, id);
      ASSERT_LE(now - last, 1) << id << " at " << dy;
      seen += now != last;
      last = now;
    }
    model->Release(0, 0);
    EXPECT_EQ(seen, c.max + 1) << id;
  }
  // Pressing the modifier in the middle of a drag goes on from where the value is.
  System().SetParam(0, kParamTrim, 60);
  Show(PanelPage::kChannel, 0);
  const PageControl trim = Find(kParamTrim);
  model->Press(trim.box.left + 2, trim.box.top + 2, false);
  model->Move(trim.box.left + 2, trim.box.top + 2 - 50);
  EXPECT_EQ(Get(0, kParamTrim), 90);
  model->Move(trim.box.left + 2, trim.box.top + 2 - 50, true);
  EXPECT_EQ(Get(0, kParamTrim), 90);
  model->Move(trim.box.left + 2, trim.box.top + 2 - 70, true);
  EXPECT_EQ(Get(0, kParamTrim), 91);
  model->Move(trim.box.left + 2, trim.box.top + 2 - 70, false);
  model->Move(trim.box.left + 2, trim.box.top + 2 - 80, false);
  EXPECT_EQ(Get(0, kParamTrim), 97);
  model->Release(0, 0);
}

// Graph handles keep their offset from the pointer: grabbing one off its centre moves nothing.
TEST_F(PanelModelTest, GraphHandlesMoveByThePointersMovement) {
  gen::TitleSpec spec;
  spec.rate_mode = 2;
  spec.mtr_bus_mode = true;
  Make(spec);
  System().SetParam(0, kParamExpGateThreshold, 40);
  System().SetParam(0, kParamCompDuckThreshold, 10);
  System().SetParam(0, kParamEqLowMidFreq, 20);
  System().SetParam(0, kParamEqLowMidGain, 63);
  Show(PanelPage::kChannel, 0);
  const std::vector<int> ids = {kParamExpGateThreshold, kParamCompDuckThreshold,
                                kParamEqLowMidFreq,     kParamEqLowMidGain,
                                kParamSurroundPanLR,    kParamSurroundPanFR};
  const auto values = [&] {
    std::vector<int> v;
    for (int id : ids) v.push_back(Get(0, id));
    return v;
  };
  const std::vector<int> before = values();
  std::vector<PagePoint> grabs;
  for (int id : {kParamDynamicsBlock, kParamEqBlock}) {
    for (const GraphHandle& h : Find(id).graph.handles) grabs.push_back({h.x + 3, h.y - 2});
  }
  const PageControl pan = Find(kParamSurroundPanGraph);
  grabs.push_back({pan.box.left + 2, pan.box.top + 2});
  ASSERT_GT(grabs.size(), 3u);
  for (const PagePoint& g : grabs) {
    model->Press(g.x, g.y, false);
    EXPECT_NE(model->DragType(), HitType::kNone) << g.x << "," << g.y;
    model->Move(g.x, g.y);
    model->Move(g.x + 3, g.y + 2, true);  // fine: less than half a pixel on the graph
    model->Release(g.x, g.y);
    EXPECT_EQ(values(), before) << g.x << "," << g.y;
  }
  // The pan point moves by the movement: 30 px to the right of its box's corner.
  model->Press(pan.box.left + 2, pan.box.top + 2, false);
  model->Move(pan.box.left + 32, pan.box.top + 2);
  model->Release(0, 0);
  const PanPoint from = SurroundPanAt(pan.box, pan.box.left + 2, pan.box.top + 2);
  const PanPoint to = SurroundPanAt(pan.box, pan.box.left + 32, pan.box.top + 2);
  EXPECT_EQ(Get(0, kParamSurroundPanLR), before[4] + to.lr - from.lr);
  EXPECT_EQ(Get(0, kParamSurroundPanFR), before[5]);
  EXPECT_EQ(steps, 1);
}

// The fine double-click resets to what Zero gives; the wheel raises what the page shows.
TEST_F(PanelModelTest, ResetsAndWheelFollowTheShownValue) {
  Make();
  System().SetParam(0, kParamTrim, 7);
  System().SetParam(0, kParamFaderLevel, 100);
  System().SetParam(0, kParamCompDuckThreshold, 20);
  Show(PanelPage::kChannel, 0);
  for (int id : {kParamTrim, kParamFaderLevel}) {
    const PageControl c = Find(id);
    const auto r = model->DoubleClick(c.box.left + 2, c.box.top + 2, true);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->kind, PanelRequest::kNone);
    EXPECT_EQ(Get(0, id), System().ParamDefault(0, id));
  }
  EXPECT_EQ(Get(0, kParamTrim), 60);
  EXPECT_EQ(Get(0, kParamFaderLevel), kFaderNominal);
  EXPECT_EQ(steps, 2);
  // Not a knob, fader or value box: a click as any other.
  const PageControl cut = Find(kParamCut);
  EXPECT_FALSE(model->DoubleClick(cut.box.left + 1, cut.box.top + 1, true));

  const PageControl threshold = Find(kParamCompDuckThreshold);
  model->Move(threshold.box.left + 2, threshold.box.top + 2);
  model->Wheel(120);
  EXPECT_EQ(Get(0, kParamCompDuckThreshold), 17);  // three steps up: 1.5 dB higher
  model->Wheel(120, true);
  EXPECT_EQ(Get(0, kParamCompDuckThreshold), 16);  // one with the modifier
  model->Wheel(-240, true);
  EXPECT_EQ(Get(0, kParamCompDuckThreshold), 18);
  EXPECT_EQ(steps, 3);
}

}  // namespace
}  // namespace orb
