#include "core/pages/PanelPopups.h"

#include <algorithm>

#include "core/model/ParamIds.h"
#include "core/model/ParamModel.h"
#include "core/model/Q730sysf.h"
#include "core/model/ValueText.h"
#include "core/pages/PageTables.h"

namespace orb {
namespace {

using Items = std::vector<PopupItem>;

Items Fixed(std::initializer_list<const char*> captions) {
  Items items;
  int value = 0;
  for (const char* c : captions) items.push_back({c, value++, {}});
  return items;
}

Items Numbered(int count, int first_value) {
  Items items;
  for (int i = 0; i < count; ++i) items.push_back({std::to_string(i + 1), first_value + i, {}});
  return items;
}

std::string WithAccelerator(int n) {
  return n < 10 ? "&" + std::to_string(n) : std::to_string(n);
}

// The word clock reference as bytes 132, 133 and 134 of one 24-bit value.
constexpr int WordRef(int b0, int b1, int b2) {
  return b0 | b1 << 8 | b2 << 16;
}

int OwnIndex(const TQ730SYSF& system, int channel) {
  const int kind = system.ChannelKind(channel);
  return kind >= 0 ? channel - system.FirstChannelOf(kind) : 0;
}

// The stored key does not say its kind: only the channels of the channel's own kind can be
// offered, or what is shown would not be what was chosen.
Items KeyItems(const TQ730SYSF& system, int channel) {
  const int kind = system.ChannelKind(channel);
  const int own = OwnIndex(system, channel);
  Items items{{"&LOCAL", own, {}}};
  const char* prefix = DynamicsKeyPrefix(kind);
  if (!prefix) return items;
  int shown = 1;
  for (int n = 0; n < system.GroupSize(kind); ++n) {
    if (n == own) continue;
    items.push_back({prefix + std::to_string(n + 1), n, {}, shown % 8 == 0});
    ++shown;
  }
  return items;
}

std::string WithoutAccelerator(std::string caption) {
  std::erase(caption, '&');
  return caption;
}

Items ChannelItems(const TQ730SYSF& system) {
  Items items{{"&NA", 255, {}}};
  // The submenus' accelerators stay distinct: 1, 9, 7, 5, 3, 4.
  static constexpr const char* kInputMenus[] = {"CH &1-8",   "CH &9-16",  "CH 1&7-24",
                                                "CH 2&5-32", "CH 3&3-40", "CH &41-48"};
  constexpr int kPerMenu = 8;
  const int inputs = system.GroupSize(kGroupInput);
  for (int m = 0; m < 6; ++m) {
    PopupItem sub{kInputMenus[m], 0, {}};
    sub.enabled = m * kPerMenu < inputs;
    for (int c = m * kPerMenu; c < (m + 1) * kPerMenu; ++c)
      sub.items.push_back(
          {c < inputs ? system.NumberText(c) : "CH " + std::to_string(c + 1), c, {}});
    items.push_back(std::move(sub));
  }
  for (const auto& [prefix, group] : {std::pair{"MTR ", kGroupMTR}, {"AUX ", kGroupAUX}}) {
    const int first = system.FirstChannelOf(group), count = system.GroupSize(group);
    for (int n = 0; n < kPerMenu; ++n) {
      PopupItem item{prefix + std::to_string(n + 1), first + n, {}};
      item.enabled = n < count;
      items.push_back(std::move(item));
    }
  }
  PopupItem pgm{"&PGM", system.FirstChannelOf(kGroupPGM), {}};
  pgm.enabled = system.GroupSize(kGroupPGM) > 0;
  items.push_back(std::move(pgm));
  return items;
}

Items MeasureItems() {
  Items items;
  for (const auto& [caption, d] : {std::pair{"n/&2", 2}, {"n/&4", 4}, {"n/&8", 8}, {"n/1&6", 16}}) {
    PopupItem sub{caption, 0, {}};
    for (int n = 1; n <= 16; ++n)
      sub.items.push_back({std::to_string(n) + "/" + std::to_string(d), n * 256 + d, {}});
    items.push_back(std::move(sub));
  }
  return items;
}

Items WordRefItems() {
  Items items{{"&REF WORD IN", WordRef(1, 255, 255), {}},
              {"&2TR IN 2", WordRef(3, 0, 255), {}},
              {"AUX RTN &5/6", WordRef(4, 1, 255), {}},
              {"AUX RTN &7/8", WordRef(5, 1, 255), {}}};
  static constexpr const char* kPairs[] = {"CH &1/2", "CH &3/4", "CH &5/6", "CH &7/8"};
  for (int slot = 1; slot <= 4; ++slot) {
    PopupItem sub{"SLOT &" + std::to_string(slot), 0, {}};
    for (int pair = 0; pair < 4; ++pair)
      sub.items.push_back({kPairs[pair], WordRef(5 + slot, 255, pair), {}});
    items.push_back(std::move(sub));
  }
  return items;
}

}  // namespace

std::vector<PopupItem> PopupItems(PopupMenu menu, const TQ730SYSF& system, int channel) {
  switch (menu) {
    case Po_Knee:
      return Fixed({"&HARD", "&1", "&2", "&3", "&4", "&5", "&6", "&SOFT"});
    case Po_Key:
      return KeyItems(system, channel);
    case Po_Link: {
      Items items = Fixed({"&MONO", "&STEREO", "SU&RROUND"});
      items.resize(static_cast<std::size_t>(std::max(LinkModeMax(system, channel) + 1, 0)));
      return items;
    }
    case Po_TCMode:
      return Fixed({"&30F/s NDF", "30F/s &DF", "2&9.97F/s NDF", "29.97F/s D&F", "2&5F/s"});
    case Po_Measure:
      return MeasureItems();
    case Po_DelayUnit:
      return Fixed({"&ms", "ms &COARSE", "&WORD", "WORD C&OARSE", "&FRAME"});
    case Po_WordRef:
      return WordRefItems();
    case Po_MIDICh: {
      Items items = Numbered(16, 0);
      for (int i = 0; i < 16; ++i)
        items[static_cast<std::size_t>(i)].caption = WithAccelerator(i + 1);
      return items;
    }
    case Po_PCPort:
      return Fixed({"31.25k &WCLOCK", "3&1.25k", "3&8.4k"});
    case Po_CCMode:
      return Fixed({"&1", "&2", "&3"});
    case Po_DitherBit:
      return Fixed({"&OFF", "2&4 BIT", "2&2 BIT", "2&0 BIT", "1&8 BIT", "1&6 BIT"});
    case Po_DitherShape:
      return Fixed({"&TRIANGULAR", "&RECTANGULAR"});
    case Po_Event:
      return Fixed({"&NA", "&SNAPSHOT", "&EQ LIB", "&DYNA LIB"});
    case Po_CH:
      return ChannelItems(system);
  }
  return {};
}

std::string PopupValueText(PopupMenu menu, const TQ730SYSF& system, int channel, int value) {
  if (menu == Po_Key) return DynamicsKeyText(system, channel, value);
  for (const PopupItem& item : PopupItems(menu, system, channel)) {
    if (item.items.empty() && item.value == value) return WithoutAccelerator(item.caption);
    for (const PopupItem& sub : item.items) {
      if (sub.value == value)
        return WithoutAccelerator(menu == Po_CH ? sub.caption : item.caption + " " + sub.caption);
    }
  }
  return "";
}

int LinkModeMax(const TQ730SYSF& system, int channel) {
  constexpr int kSurroundGroup = 6;
  const int kind = system.ChannelKind(channel);
  const int max = system.ParamMax(channel, kParamLinkMode);
  if (kind < 0 || max < 0) return -1;
  if (max < kSurround) return std::min(max, kStereo);
  const int first = system.FirstChannelOf(kind);
  const int group_first = first + (channel - first) / kSurroundGroup * kSurroundGroup;
  return group_first + kSurroundGroup <= first + system.GroupSize(kind) ? kSurround : kStereo;
}

int PopupParam(PopupMenu menu) {
  static constexpr int kParams[] = {
      kParamCompKnee,   kParamDynamicsKey, kParamLinkMode,     kParamTcMode,
      kParamMeasure,    kParamDelayUnit,   kParamWordClock,    -1,  // Po_MIDICh: Rx or Tx
      kParamMidiPcPort, kParamMidiCcMode,  kParamDitherLength, kParamDitherShape,
      kParamCueEvent,   kParamCueChannel};
  return kParams[menu];
}

bool PopupSystemWide(PopupMenu menu) {
  switch (menu) {
    case Po_TCMode:
    case Po_Measure:
    case Po_WordRef:
    case Po_MIDICh:
    case Po_PCPort:
    case Po_CCMode:
    case Po_DitherBit:
    case Po_DitherShape:
      return true;
    default:
      return false;
  }
}

std::optional<PopupMenu> PopupOfId(int id) {
  switch (id) {
    case kParamCompKnee:
      return Po_Knee;
    case kParamDynamicsKey:
      return Po_Key;
    case kParamLinkMode:
      return Po_Link;
    case kParamTcMode:
      return Po_TCMode;
    case kParamMeasure:
      return Po_Measure;
    case kParamDelayUnit:
      return Po_DelayUnit;
    case kParamWordClock:
      return Po_WordRef;
    case kParamMidiRxChannel:
    case kParamMidiTxChannel:
      return Po_MIDICh;
    case kParamMidiPcPort:
      return Po_PCPort;
    case kParamMidiCcMode:
      return Po_CCMode;
    case kSwitchDitherLength:
      return Po_DitherBit;
    case kSwitchDitherShape:
      return Po_DitherShape;
    case kParamCueEvent:
      return Po_Event;
    case kParamCueChannel:
      return Po_CH;
    default:
      return std::nullopt;
  }
}

}  // namespace orb
