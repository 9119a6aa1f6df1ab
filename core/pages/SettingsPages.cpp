#include "core/pages/SettingsPages.h"

#include <algorithm>
#include <cstdint>
#include <tuple>
#include <utility>

#include "core/model/ParamIds.h"
#include "core/model/ParamModel.h"
#include "core/model/Q730.h"
#include "core/model/Q730sysf.h"
#include "core/pages/SceneMaker.h"

namespace orb {
namespace {

using pages::Place;
using pages::SceneMaker;

constexpr int kButton = 40;

// A settings page of the system data; another list gives its header and frames alone.
struct SettingsMaker : SceneMaker {
  SettingsMaker(const PageInput& input, PagePicture picture, const char* header,
                std::initializer_list<pages::FramePlace> frames)
      : SceneMaker(input, picture, header, frames) {
    RequireSystemList();
  }
  // A display box of a setting with its caption above and its value as text.
  PageControl* Box(int id, int element, const PageRect& box, const char* caption,
                   std::string (*text)(int)) {
    const int value = values->GetParam(element, id);
    if (value == -1) return nullptr;
    PageControl& c = Add(id, element, kKindTextBox, box, value);
    c.caption = caption;
    c.face = text(value);
    return &c;
  }
  // The channels of a group of the layout, k-th at place(k), named by their numbers; with a
  // member value they are lit when they hold it.
  template <typename PlaceOf>
  void Channels(int group, int id, PlaceOf place, int member = 0) {
    for (int k = 0; k < system->GroupSize(group); ++k) {
      const int channel = system->FirstChannelOf(group) + k;
      PageControl* c = Switch(id, channel, place(k), system->NumberText(channel));
      if (c && member > 0) c->lit = c->value == member;
    }
  }
};

std::string Decimal(int value) {
  return std::to_string(value);
}
std::string PlusOne(int value) {
  return std::to_string(value + 1);
}
std::string Timecode(int value) {
  return FormatValue(kParamOffset, value).value;
}
std::string Measure(int value) {
  return std::to_string(value >> 8) + "/" + std::to_string(value & 0xFF);
}
std::string DelayUnit(int value) {
  return FormatValue(kParamDelayUnit, value).value;
}
std::string PcPort(int value) {
  static constexpr const char* kPorts[] = {"31.25k\nW CLOCK", "31.25k", "38.4k"};
  return value >= 0 && value < 3 ? kPorts[value] : "";
}

}  // namespace

int MembershipParam(const TQ730SYSF& system, int group) {
  return system.GetParam(group, kParamGroupType) == kGroupTypeCut ? kParamCutGroup
                                                                  : kParamFaderGroup;
}

PageScene BuildFaderGroupScene(const PageInput& in) {
  SettingsMaker m(in, PagePicture::kFaderGroup, "AUDIO FADER/CUT GROUPING",
                  {{248, 8, 464, 415, ""}, {712, 8, 80, 301, ""}});
  if (!m.system) return std::move(m.scene);
  const TQ730SYSF& s = *m.system;
  const int selected = in.group >= 0 && in.group < kFaderGroups ? in.group : 0;
  for (int g = 0; g < kFaderGroups; ++g) {
    if (PageControl* type =
            m.Switch(kParamGroupType, g, Place(152, 53 * g + 10, 44, 28), "", kKindTextBox))
      type->face = LabelText(13, type->value);
    if (PageControl* on = m.Switch(kParamGroupOn, g, Place(200, 53 * g + 10, 36, 28), ""))
      on->face = LabelText(12, on->value);
    // The rows end before the channels' frame; the chosen one is a highlight inside its row,
    // added after its switches, since the painter draws from the last control to the first.
    const bool chosen = g == selected;
    const PageRect row = chosen ? Place(8, 53 * g + 8, 230, 44) : Place(8, 53 * g + 6, 232, 48);
    PageControl& c = m.Add(kSwitchGroupRow, g, kKindGroupRow, row, chosen);
    c.face = LabelText(11, g);
    c.pressed = chosen;
  }
  const int id = MembershipParam(s, selected);
  const int inputs = s.GroupSize(kGroupInput);
  for (int i = 0; i < inputs; i += 12)
    m.Label(272, 32 + 57 * (i / 12) + 15,
            std::to_string(i + 1) + "-" + std::to_string(std::min(i + 12, inputs)));
  m.Channels(
      kGroupInput, id,
      [](int i) { return Place(296 + kButton * (i % 12), 32 + 57 * (i / 12), kButton, kButton); },
      selected + 1);
  const std::tuple<int, int, const char*> rows[] = {
      {kGroupRTN, 260, "RTN"}, {kGroupAUX, 317, "AUX"}, {kGroupMTR, 374, "MTR"}};
  for (auto [group, y, name] : rows) {
    if (s.GroupSize(group) > 0) m.Label(272, y + 15, name);
    m.Channels(
        group, id, [y = y](int k) { return Place(296 + kButton * k, y, kButton, kButton); },
        selected + 1);
  }
  m.Channels(
      kGroupPGM, id, [](int) { return Place(656, 374, kButton, kButton); }, selected + 1);
  // Wider than a channel button, so that "MANUAL" fits; it ends where the table's place does.
  m.Switch(kParamManualGroup, 0, Place(720, 374, 56, kButton), "MANUAL\nGROUP");
  return std::move(m.scene);
}

PageScene BuildIsolateScene(const PageInput& in) {
  SettingsMaker m(in, PagePicture::kIsolate, "SNAPSHOT ISOLATE",
                  {{8, 8, 784, 320, ""}, {8, 336, 392, 96, "FUNCTION"}});
  if (!m.system) return std::move(m.scene);
  m.Channels(kGroupInput, kParamSnapshotIsolate, [](int i) {
    return Place(24 + 40 * (i % 12), 48 + 40 * (i / 12) + 8 * (i / 24), 40, 16);
  });
  // The masters in blocks of four columns, clear of the input rows and of PGM.
  const std::pair<int, int> blocks[] = {{kGroupMTR, 24}, {kGroupAUX, 184}, {kGroupRTN, 344}};
  for (auto [group, left] : blocks) {
    m.Channels(group, kParamSnapshotIsolate, [left = left](int k) {
      return Place(left + 40 * (k % 4), 240 + 24 * (k / 4), 40, 16);
    });
  }
  m.Channels(kGroupPGM, kParamSnapshotIsolate, [](int) { return Place(464, 312, 40, 16); });
  m.Add(kSwitchAllOn, 0, kKindSquare, Place(424, 376, kButton, kButton), 0).face = "ALL\nON";
  m.Add(kSwitchAllOff, 0, kKindSquare, Place(464, 376, kButton, kButton), 0).face = "ALL\nOFF";
  for (int j = 0; j < 9; ++j) {
    m.Switch(kParamIsolateFunction, j, Place(24 + 40 * j, 376, kButton, kButton),
             kLinkFunctions[static_cast<std::size_t>(j)].caption);
  }
  return std::move(m.scene);
}

PageScene BuildSetupScene(const PageInput& in) {
  SettingsMaker m(in, PagePicture::kSetup, "SETUP",
                  {{8, 8, 368, 88, "TIMECODE / MEASURE / TEMPO"},
                   {388, 8, 404, 88, "SYNC CLOCK"},
                   {8, 100, 208, 100, ""},
                   {8, 208, 208, 224, "MIDI"},
                   {224, 112, 374, 176, "LINK"},
                   {600, 112, 192, 208, "SURROUND LINK"},
                   {224, 296, 374, 136, "FUNCTION"},
                   {600, 328, 192, 104, "MASTER FADERS"}});
  if (!m.system) return std::move(m.scene);
  m.Box(kParamTcMode, 0, Place(24, 48, 96, 18), "TC MODE", TCModeName);
  m.Box(kParamMeasure, 0, Place(124, 48, 76, 18), "MEASURE", Measure);
  m.Box(kParamTempo, 0, Place(204, 48, 56, 18), "TEMPO(BPM)", Decimal);
  m.Box(kParamOffset, 0, Place(264, 48, 96, 18), "OFFSET", Timecode);
  m.Switch(kParamSyncInternal, 0, Place(404, 48, 76, 18), "INTERNAL");
  m.Switch(kParamSyncVideo, 0, Place(484, 48, 76, 18), "VIDEO");
  m.Switch(kParamSyncWord, 0, Place(564, 48, 76, 18), "WORD/DI");
  m.Box(kParamWordClock, 0, Place(676, 48, 104, 18), "", WordClockText);
  m.Switch(kParamMtrBusMode, 0, Place(24, 144, 96, 18), "MTR BUS MODE");
  m.Box(kParamDelayUnit, 0, Place(132, 144, 80, 18), "DELAY UNIT", DelayUnit);
  m.Box(kParamMidiRxChannel, 0, Place(24, 248, 40, 18), "Rx CH", PlusOne);
  m.Box(kParamMidiTxChannel, 0, Place(68, 248, 40, 18), "Tx CH", PlusOne);
  m.Box(kParamMidiPcPort, 0, Place(112, 248, 92, 30), "PC PORT", PcPort);
  m.Box(kParamMidiCcMode, 0, Place(24, 312, 40, 18), "CC MODE", PlusOne);
  m.Switch(kParamMidiCcRx, 0, Place(68, 312, 64, 18), "CC Rx");
  m.Switch(kParamMidiCcTx, 0, Place(136, 312, 64, 18), "CC Tx");
  m.Switch(kParamMidiPcRx, 0, Place(68, 376, 64, 18), "PC Rx");
  m.Switch(kParamMidiPcTx, 0, Place(136, 376, 64, 18), "PC Tx");
  m.Label(418, 128, "STEREO LINKING FUNCTIONS");
  m.Label(418, 192, "SURROUND LINKING FUNCTIONS");
  for (int j = 0; j < 9; ++j) {
    const char* caption = kLinkFunctions[static_cast<std::size_t>(j)].caption;
    m.Switch(kParamStereoLinkFunction, j, Place(240 + 40 * j, 144, 36, 36), caption);
    m.Switch(kParamSurroundLinkFunction, j, Place(240 + 40 * j, 208, 36, 36), caption);
  }
  // Which parts of a six-channel surround group follow each other: the front three, the rear
  // pair, and the pairings of front, sub and rear.
  struct Link {
    int id, element, x, y;
    const char* face;
  };
  // Wide enough for "FRONT", the diamond centred in its plate.
  static constexpr Link kLinks[] = {{kParamSurroundLinkMask, 0, 651, 144, "FRONT"},
                                    {kParamSurroundLinkMode, 3, 611, 184, "F+SW"},
                                    {kParamSurroundLinkMode, 5, 611, 224, "F+R"},
                                    {kParamSurroundLinkMode, 6, 751, 184, "SW+R"},
                                    {kParamSurroundLinkMask, 2, 651, 284, "REAR"}};
  for (const Link& l : kLinks) m.Switch(l.id, l.element, Place(l.x, l.y, 40, 24), l.face);
  static constexpr const char* kFunctions[] = {
      "TB\nHOLD",   "TB\nINHIBIT",  "OSCILLATOR\nINHIBIT", "ACCESS\nFOLLOW SOLO",
      "AUTO\nZOOM", "AUX\nPRE CUT", "TOUCH\nHOLD"};
  // Wide enough for "FOLLOW SOLO", the row centred in its plate.
  for (int i = 0; i < 7; ++i)
    m.Switch(kParamSetupFunction, i, Place(234 + 90 * (i % 4), 312 + 64 * (i / 4), 84, 40),
             kFunctions[i]);
  m.Label(696, 348, "LOCKED TO 0dB");
  static constexpr const char* kMasters[] = {"PGM", "AUX", "MTR"};
  for (int i = 0; i < 3; ++i)
    m.Switch(kParamMasterLocked, i, Place(616 + 60 * i, 376, 48, 32), kMasters[i]);
  return std::move(m.scene);
}

}  // namespace orb
