// The panel's hit areas at their borders, the gesture formulas at their ends, every popup's
// stored values and the numeric entry's texts and values.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/model/ParamIds.h"
#include "core/model/ParamModel.h"
#include "core/pages/NumericEntry.h"
#include "core/pages/PanelGestures.h"
#include "core/pages/PanelPopups.h"
#include "tests/core/edit/EditTitles.h"

namespace orb {
namespace {

PageControl Control(int kind, PageRect box) {
  PageControl c;
  c.kind = kind;
  c.box = box;
  c.max = 127;
  return c;
}

TEST(PanelGesturesTest, HitAreasPerKindAtTheirBorders) {
  PageControl knob = Control(kKindKnob, {100, 100, 68, 22});
  knob.dial = {200, 200};
  knob.radius = 8;
  PageControl fader = Control(kKindFader, {100, 100, 68, 22});
  fader.cap = {50, 200};
  fader.travel_top = 150;
  fader.travel = 141;
  PageControl small = fader;
  small.kind = kKindSmallFader;
  PageControl eq = Control(kKindEqGraph, {0, 0, 300, 100});
  eq.draggable = true;
  eq.graph.handles = {{0, 40, 40, {}, false}, {3, 60, 40, {}, false}};
  PageControl dyn = eq;
  dyn.kind = kKindDynamicsGraph;
  PageControl pan = Control(kKindSurroundGraph, {10, 10, 100, 100});
  pan.draggable = true;
  using T = HitType;
  struct Case {
    const PageControl* c;
    int x, y;
    T type;
    int handle;
  };
  const PageControl button = Control(kKindSwitch, {10, 10, 22, 18});
  const PageControl row = Control(kKindGroupRow, {10, 10, 290, 48});
  const PageControl bar = Control(kKindBar, {10, 10, 19, 6});
  const Case cases[] = {
      {&button, 10, 10, T::kButton, -1},     {&button, 31, 27, T::kButton, -1},
      {&button, 32, 27, T::kNone, -1},       {&button, 9, 10, T::kNone, -1},
      {&row, 299, 57, T::kGroupRow, -1},     {&row, 300, 57, T::kNone, -1},
      {&knob, 100, 100, T::kValueDrag, -1},  {&knob, 212, 200, T::kKnobTurn, -1},
      {&knob, 213, 200, T::kNone, -1},       {&knob, 200, 188, T::kKnobTurn, -1},
      {&fader, 57, 190, T::kFaderDrag, -1},  {&fader, 58, 190, T::kNone, -1},
      {&fader, 43, 189, T::kNone, -1},       {&fader, 43, 301, T::kFaderDrag, -1},
      {&fader, 43, 302, T::kNone, -1},       {&fader, 120, 110, T::kValueDrag, -1},
      {&small, 57, 193, T::kFaderDrag, -1},  {&small, 57, 192, T::kNone, -1},
      {&small, 50, 298, T::kFaderDrag, -1},  {&small, 50, 299, T::kNone, -1},
      {&bar, 29, 16, T::kValueDrag, -1},     {&bar, 9, 9, T::kValueDrag, -1},
      {&bar, 30, 16, T::kNone, -1},          {&eq, 43, 44, T::kEqHandle, 0},
      {&eq, 44, 44, T::kNone, -1},           {&eq, 60, 35, T::kEqHandle, 3},
      {&dyn, 64, 43, T::kDynamicsHandle, 3}, {&pan, 7, 7, T::kSurroundPan, -1},
      {&pan, 112, 112, T::kSurroundPan, -1}, {&pan, 6, 50, T::kNone, -1},
  };
  for (const Case& k : cases) {
    const PanelHit hit = HitControl(*k.c, k.x, k.y);
    EXPECT_EQ(hit.type, k.type) << "kind " << k.c->kind << " at " << k.x << "," << k.y;
    if (k.handle >= 0) {
      EXPECT_EQ(hit.handle, k.handle);
    }
  }
  // A graph that is only a picture is never hit.
  eq.draggable = false;
  EXPECT_EQ(HitControl(eq, 40, 40).type, T::kNone);
}

TEST(PanelGesturesTest, FirstControlOfTheListWinsAndMissingPointsHitNothing) {
  PageScene scene;
  scene.controls = {Control(kKindSwitch, {0, 0, 22, 18}), Control(kKindSquare, {10, 5, 32, 32})};
  EXPECT_EQ(HitTest(scene, 15, 10).control, 0);
  EXPECT_EQ(HitTest(scene, 30, 10).control, 1);
  EXPECT_EQ(HitTest(scene, 500, 400).control, -1);
}

TEST(PanelGesturesTest, KnobTurnCoversThreeHundredDegrees) {
  PageControl knob = Control(kKindKnob, {0, 0, 68, 22});
  knob.dial = {100, 100};
  const double lower_left = -150 * 6.28 / 360;
  struct Case {
    int x, y, max, value;
  };
  const Case cases[] = {
      {100 + static_cast<int>(std::lround(100 * std::sin(lower_left))),
       100 - static_cast<int>(std::lround(100 * std::cos(lower_left))), 127, 0},
      {100, 50, 127, 63},
      {100, 50, 1023, 511},
      {100, 100, 126, 63},  // straight up, centre
      {99, 200, 127, 0},
      {101, 200, 127, 127},
      {100, 200, 127, 0},  // beyond the ends
      {150, 100, 100, 80},
      {50, 100, 100, 19},  // right, left
  };
  for (const Case& c : cases) {
    knob.max = c.max;
    EXPECT_EQ(KnobTurnValue(knob, c.x, c.y), c.value) << c.x << "," << c.y;
  }
}

// A formula's result at one pointer position, and what it must be.
struct Expect {
  const char* what;
  int got;
  int want;
};

TEST(PanelGesturesTest, DragsAlongBoxesAndFaderTravels) {
  PageControl knob = Control(kKindKnob, {100, 0, 68, 22});
  PageControl bar = Control(kKindBar, {100, 0, 19, 6});
  bar.max = 1023;
  const Expect drags[] = {
      {"knob left", ValueDragValue(knob, 100), 0},
      {"knob right", ValueDragValue(knob, 164), 127},
      {"knob middle", ValueDragValue(knob, 132), 64},
      {"knob far left", ValueDragValue(knob, 40), 0},
      {"knob far right", ValueDragValue(knob, 400), 127},
      {"bar right", ValueDragValue(bar, 119), 1023},
      {"bar middle", ValueDragValue(bar, 110), 538},
  };
  for (const Expect& e : drags) EXPECT_EQ(e.got, e.want) << e.what;
  for (auto [travel, max] : {std::pair{141, 1023}, {92, 1023}, {75, 1023}, {141, 127}}) {
    PageControl fader = Control(kKindFader, {0, 0, 68, 22});
    fader.travel_top = 60;
    fader.travel = travel;
    fader.max = max;
    const int bottom = 60 + travel;
    const Expect ends[] = {
        {"top", FaderDragValue(fader, bottom - travel), max},
        {"above", FaderDragValue(fader, bottom - travel - 30), max},
        {"bottom", FaderDragValue(fader, bottom), 0},
        {"below", FaderDragValue(fader, bottom + 30), 0},
        {"half", FaderDragValue(fader, bottom - travel / 2),
         (max * (travel / 2) * 2 + travel) / (2 * travel)},
    };
    for (const Expect& e : ends) EXPECT_EQ(e.got, e.want) << e.what << " of " << travel;
  }
}

TEST(PanelGesturesTest, GraphHandlesMapPointerToIndexes) {
  const PageRect g{10, 20, 300, 120};
  const PanPoint centre = SurroundPanAt(g, 160, 80), corner = SurroundPanAt(g, 0, 0),
                 far = SurroundPanAt(g, 400, 400), edge = SurroundPanAt(g, 310, 140);
  const Expect cases[] = {
      // Frequency: the left edge starts each band at its table offset.
      {"LF left", EqFrequencyIndex(g, 0, 10 + 12), 0},
      {"LF next", EqFrequencyIndex(g, 0, 10 + 13), 1},
      {"LM left", EqFrequencyIndex(g, 2, 10 + 12), -18},
      {"HF right", EqFrequencyIndex(g, 5, 310), 126 - 69},
      // Gain: the graph's middle is 0 dB, its edges ±18 dB (the table reaches ±20 dB).
      {"gain middle", EqGainIndex(g, 80), 63},
      {"gain top", EqGainIndex(g, 20), 123},
      {"gain above", EqGainIndex(g, 0), 127},
      {"gain bottom", EqGainIndex(g, 140), 4},
      // Threshold: 0 dB at the right edge, -63 dB (index 108) and below at the left.
      {"threshold right", DynamicsThresholdIndex(g, 310), 0},
      {"threshold left", DynamicsThresholdIndex(g, 10), 108},
      {"threshold beyond", DynamicsThresholdIndex(g, -100), 108},
      {"threshold middle", DynamicsThresholdIndex(g, 160), 63},
      // Surround pan: the centre is 63/63, the corners clamp.
      {"pan centre LR", centre.lr, 63},
      {"pan centre FR", centre.fr, 63},
      {"pan corner LR", corner.lr, 0},
      {"pan corner FR", corner.fr, 0},
      {"pan far LR", far.lr, 126},
      {"pan edge FR", edge.fr, 126},
  };
  for (const Expect& e : cases) EXPECT_EQ(e.got, e.want) << e.what;
}

// The value of the item reached by following captions through submenus.
int ValueAt(const std::vector<PopupItem>& items, std::vector<std::string> path) {
  const std::vector<PopupItem>* level = &items;
  for (std::size_t i = 0; i < path.size(); ++i) {
    const PopupItem* found = nullptr;
    for (const PopupItem& item : *level) {
      if (item.caption == path[i]) found = &item;
    }
    if (!found) return -1;
    if (i + 1 == path.size()) return found->value;
    level = &found->items;
  }
  return -1;
}

TEST(PanelGesturesTest, PopupItemsStoreTheirValues) {
  auto title = test::LoadTitle();
  const TQ730SYSF& s = title->System();
  struct Case {
    PopupMenu menu;
    int channel;
    std::vector<std::string> path;
    int value;
  };
  const Case cases[] = {
      {Po_Knee, 0, {"&HARD"}, 0},
      {Po_Knee, 0, {"&6"}, 6},
      {Po_Knee, 0, {"&SOFT"}, 7},
      {Po_Link, 0, {"SU&RROUND"}, 2},
      {Po_TCMode, 0, {"29.97F/s D&F"}, 3},
      {Po_TCMode, 0, {"2&5F/s"}, 4},
      {Po_Measure, 0, {"n/&4", "3/4"}, 3 * 256 + 4},
      {Po_Measure, 0, {"n/1&6", "16/16"}, 16 * 256 + 16},
      {Po_DelayUnit, 0, {"&FRAME"}, 4},
      {Po_WordRef, 0, {"&REF WORD IN"}, 16776961},
      {Po_WordRef, 0, {"&2TR IN 2"}, 16711683},
      {Po_WordRef, 0, {"AUX RTN &7/8"}, 16711941},
      {Po_WordRef, 0, {"SLOT &1", "CH &1/2"}, 65286},
      {Po_WordRef, 0, {"SLOT &4", "CH &7/8"}, 9 | 255 << 8 | 3 << 16},
      {Po_MIDICh, 0, {"16"}, 15},
      {Po_MIDICh, 0, {"&1"}, 0},
      {Po_PCPort, 0, {"3&8.4k"}, 2},
      {Po_CCMode, 0, {"&3"}, 2},
      {Po_DitherBit, 0, {"1&6 BIT"}, 5},
      {Po_DitherShape, 0, {"&RECTANGULAR"}, 1},
      {Po_Event, 0, {"&DYNA LIB"}, 3},
      {Po_CH, 0, {"&NA"}, 255},
      {Po_CH, 0, {"CH &9-16", s.NumberText(10)}, 10},
      {Po_Key, 5, {"&LOCAL"}, 5},
      {Po_Key, s.FirstChannelOf(kGroupMTR) + 2, {"&LOCAL"}, 2},
      {Po_Key, 0, {"CH 48"}, 47},
      {Po_Key, s.FirstChannelOf(kGroupMTR), {"MTR 2"}, 1},
      {Po_Key, s.FirstChannelOf(kGroupAUX), {"AUX 8"}, 7},
      // The stored key is an index within the channel's own kind: no other kind is offered.
      {Po_Key, s.FirstChannelOf(kGroupMTR), {"CH 1"}, -1},
      {Po_Key, 0, {"MTR 1"}, -1},
      {Po_Key, 0, {"CH 1"}, -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ValueAt(PopupItems(c.menu, s, c.channel), c.path), c.value)
        << c.menu << " " << c.path.back();
  }
  EXPECT_EQ(PopupParam(Po_DitherBit), kParamDitherLength);
  EXPECT_EQ(PopupParam(Po_DitherShape), kParamDitherShape);
  EXPECT_EQ(PopupOfId(kSwitchDitherShape), Po_DitherShape);
  EXPECT_EQ(PopupOfId(kParamMidiTxChannel), Po_MIDICh);
  EXPECT_FALSE(PopupOfId(kParamCut).has_value());

  // Po_Key offers only the channels of the kind the layout has, eight to a column.
  gen::TitleSpec high;
  high.rate_mode = 2;
  auto title96 = test::LoadTitle(high);
  const auto keys = PopupItems(Po_Key, title96->System(), 0);
  EXPECT_EQ(ValueAt(keys, {"CH 24"}), 23);
  EXPECT_EQ(ValueAt(keys, {"CH 25"}), -1);
  EXPECT_EQ(keys.size(), static_cast<std::size_t>(title96->System().GroupSize(kGroupInput)));
  const auto all = PopupItems(Po_Key, s, 0);
  ASSERT_EQ(all.size(), 48u);
  EXPECT_TRUE(all[8].column_break);
  EXPECT_FALSE(all[9].column_break);
}

TEST(PanelGesturesTest, NumericEntryShiftsDigitsAndCommitsClampedValues) {
  NumericEntry tempo{kParamTempo, 0, EntryStartText(kParamTempo, 96)};
  EXPECT_EQ(tempo.text, "096");
  EntryDigit(tempo, '1');
  EntryDigit(tempo, 'x');
  EXPECT_EQ(tempo.text, "961");
  EntryBackspace(tempo);
  EXPECT_EQ(tempo.text, "096");
  struct Case {
    int id;
    std::string text;
    int value;
  };
  const Case cases[] = {
      {kParamTempo, "010", 30},
      {kParamTempo, "300", 250},
      {kParamTempo, "", 120},
      {kParamTempo, "1a0", 120},
      {kParamTempo, "180", 180},
      {kParamCueEventNumber, "07", 7},
      {kParamCueEventNumber, "", 0},
      {kParamOffset, "01020304", static_cast<int>(MakeTC(1, 2, 3, 4))},
      // Frames beyond the rate carry into the seconds.
      {kParamCueTime, "00005930", static_cast<int>(MakeTC(0, 1, 0, 0))},
  };
  for (const Case& c : cases) EXPECT_EQ(EntryValue({c.id, 0, c.text}, 0), c.value) << c.text;
  NumericEntry tc{kParamOffset, 0,
                  EntryStartText(kParamOffset, static_cast<int>(MakeTC(1, 2, 3, 4)))};
  EXPECT_EQ(tc.text, "01020304");
  for (char d : std::string("59")) EntryDigit(tc, d);
  EXPECT_EQ(tc.text, "02030459");
  EntryBackspace(tc);
  EXPECT_EQ(tc.text, "00203045");
  NumericEntry none;
  EntryDigit(none, '5');
  EXPECT_EQ(none.text, "");
}

// Po_CH has one shape in every layout: NA, six submenus of eight inputs, MTR 1-8, AUX 1-8 and
// PGM, without returns; what the layout lacks is greyed.
TEST(PanelGesturesTest, ChannelPopupKeepsItsShapeAndGreysWhatTheLayoutLacks) {
  struct Layout {
    int rate_mode;
    bool mtr_bus_mode;
    int input_menus, mtrs, auxes;
    bool pgm;
  };
  for (const Layout& l : {Layout{0, false, 6, 8, 8, true}, Layout{2, false, 3, 4, 2, true},
                          Layout{2, true, 3, 6, 2, false}}) {
    gen::TitleSpec spec;
    spec.rate_mode = l.rate_mode;
    spec.mtr_bus_mode = l.mtr_bus_mode;
    auto title = test::LoadTitle(spec);
    const TQ730SYSF& s = title->System();
    const auto items = PopupItems(Po_CH, s, 0);
    std::vector<std::string> captions;
    for (const PopupItem& item : items) captions.push_back(item.caption);
    const std::vector<std::string> shape = {
        "&NA",   "CH &1-8", "CH &9-16", "CH 1&7-24", "CH 2&5-32", "CH 3&3-40", "CH &41-48", "MTR 1",
        "MTR 2", "MTR 3",   "MTR 4",    "MTR 5",     "MTR 6",     "MTR 7",     "MTR 8",     "AUX 1",
        "AUX 2", "AUX 3",   "AUX 4",    "AUX 5",     "AUX 6",     "AUX 7",     "AUX 8",     "&PGM"};
    ASSERT_EQ(captions, shape) << l.rate_mode;
    for (int m = 0; m < 6; ++m) {
      const PopupItem& sub = items[static_cast<std::size_t>(1 + m)];
      EXPECT_EQ(sub.enabled, m < l.input_menus) << sub.caption;
      ASSERT_EQ(sub.items.size(), 8u);
      EXPECT_EQ(sub.items[0].value, 8 * m);
    }
    for (int n = 0; n < 8; ++n) {
      const PopupItem& mtr = items[static_cast<std::size_t>(7 + n)];
      const PopupItem& aux = items[static_cast<std::size_t>(15 + n)];
      EXPECT_EQ(mtr.enabled, n < l.mtrs) << mtr.caption;
      EXPECT_EQ(aux.enabled, n < l.auxes) << aux.caption;
      if (mtr.enabled) {
        EXPECT_EQ(s.NumberText(mtr.value), "MTR" + std::to_string(n + 1));
      }
      if (aux.enabled) {
        EXPECT_EQ(s.NumberText(aux.value), "AUX" + std::to_string(n + 1));
      }
    }
    EXPECT_EQ(items.back().enabled, l.pgm);
    if (l.pgm) {
      EXPECT_EQ(s.NumberText(items.back().value), "PGM");
    }
    EXPECT_EQ(items[0].value, 255);
  }
}

// A typed timecode commits only as a frame the title's rate has, as packed BCD.
TEST(PanelGesturesTest, TimecodeEntriesCommitOnlyFramesTheRateHas) {
  struct Case {
    int id;
    const char* text;
    int tc_mode;
    bool accepted;
    std::uint32_t bcd;
  };
  const Case cases[] = {
      {kParamOffset, "00001520", 0, true, 0x00001520},
      {kParamCueTime, "23595929", 0, true, 0x23595929},
      {kParamCueTime, "00000030", 0, false, 0},
      {kParamOffset, "00000025", 4, false, 0},
      {kParamOffset, "00000024", 4, true, 0x00000024},
      {kParamOffset, "24000000", 0, false, 0},
      {kParamOffset, "00600000", 0, false, 0},
      {kParamOffset, "00006000", 0, false, 0},
      {kParamCueTime, "00010001", 1, false, 0},
      {kParamCueTime, "00100000", 3, true, 0x00100000},
      {kParamCueTime, "0000x000", 0, false, 0},
      {kParamTempo, "999", 0, true, 250},
  };
  for (const Case& c : cases) {
    const NumericEntry entry{c.id, 0, c.text};
    EXPECT_EQ(EntryAccepted(entry, c.tc_mode), c.accepted) << c.text;
    if (c.accepted) {
      EXPECT_EQ(EntryValue(entry, c.tc_mode), static_cast<int>(c.bcd)) << c.text;
    }
  }
  EXPECT_EQ(EntryStartText(kParamCueTime, 0x01025929), "01025929");
}

}  // namespace
}  // namespace orb
