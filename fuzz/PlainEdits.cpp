#include "fuzz/PlainEdits.h"

#include <algorithm>

#include "core/model/ParamIds.h"
#include "core/model/ParamModel.h"

namespace orb::plain {

Items ItemsOf(const TClip& clip) {
  Items items;
  for (const ClipItem& i : clip.Items())
    items.push_back({i.record, i.position, i.group, i.param, i.value});
  return items;
}

Items ReadSnapshots(TQ730SNAP& snaps) {
  ParamGroupList groups;
  snaps.ListParams(groups);
  const std::vector<int> ids = ParamIdsOf(groups);
  Items items;
  int record = 0;
  auto add = [&](int row, int position, int group, int id) {
    const int value = snaps.GetParam(row, id);
    if (value >= 0) items.push_back({record, position, group, id, value});
  };
  const int current = snaps.CurrentRecord();
  for (int s = 0; s < snaps.Count(); ++s) {
    if (!snaps.IsSelected(s)) continue;
    snaps.SetCurrentRecord(s);
    for (int c = 0; c < snaps.ChannelCount(); ++c) {
      const int group = snaps.ChannelKind(c);
      for (int id : ids) add(c, c - snaps.FirstChannelOf(group), group, id);
    }
    for (int g = 0; g < kFaderGroups; ++g) {
      for (int id : {kParamGroupType, kParamGroupOn, kParamGroupVcaMaster}) add(g, g, -1, id);
    }
    ++record;
  }
  snaps.SetCurrentRecord(current);
  return items;
}

void PasteIntoSnapshots(const TClip& clip, TQ730SNAP& snaps) {
  const auto items = clip.Items();
  if (items.empty() || snaps.TitleLocked()) return;
  const bool whole_records = clip.SourceKind() == TQ730::kSnapshot;
  const auto& names = clip.Names();
  EditFlagScope edit(snaps);
  const int current = snaps.CurrentRecord();
  std::size_t first = 0;
  for (int s = 0; s < snaps.Count(); ++s) {
    if (!snaps.IsSelected(s)) continue;
    snaps.SetCurrentRecord(s);
    std::size_t end = first;
    while (end < items.size() && (!whole_records || items[end].record == items[first].record))
      ++end;
    for (std::size_t i = whole_records ? first : 0; i < end; ++i) {
      const ClipItem& item = items[i];
      int row = item.position;
      if (item.group >= kGroupInput && item.group <= kGroupPGM) {
        row += snaps.FirstChannelOf(item.group);
        if (item.position < 0 || row >= snaps.FirstChannelOf(item.group + 1)) continue;
      } else if (!whole_records || item.group >= 0) {
        continue;
      }
      snaps.SetParam(row, item.param, item.value);
    }
    if (whole_records) {
      const int ordinal = items[first].record;
      if (!names.empty() && ordinal >= 0)
        snaps.SetName(s, names[static_cast<std::size_t>(ordinal) % names.size()]);
      first = end == items.size() ? 0 : end;
    }
  }
  snaps.SetCurrentRecord(current);
}

void ResetSnapshots(TQ730SNAP& snaps, const ParamGroupList& groups) {
  const int current = snaps.CurrentRecord();
  for (int s = 0; s < snaps.Count(); ++s) {
    if (!snaps.IsSelected(s)) continue;
    snaps.SetCurrentRecord(s);
    snaps.TQ730::ResetParams(groups);
  }
  snaps.SetCurrentRecord(current);
}

std::vector<std::vector<AutoEvent>> ChannelEvents(const TQ730AUTO& automation, int param,
                                                  int channels, int frames) {
  std::vector<std::vector<AutoEvent>> events(static_cast<std::size_t>(channels));
  const FrameRate rate = automation.Rate();
  for (int c = 0; c < channels; ++c) {
    const EventKey key = automation.KeyOf(param, c);
    for (int i = 0; i < automation.Count(); ++i) {
      const std::uint32_t word = automation.EventWord(i);
      if (!key.Matches(word)) continue;
      TimeCode time = automation.EventTime(i);
      for (int f = 0; f < frames; ++f) time = NextFrame(time, rate);
      events[static_cast<std::size_t>(c)].push_back(
          {time, static_cast<std::uint32_t>(key.Value(word)) << key.shift});
    }
  }
  return events;
}

void SelectRange(TQ730AUTO& automation, int param, double from, double to) {
  const int channels = std::min(automation.ChannelCount(), TQ730AUTO::kChannelFlags);
  for (int i = 0; i < automation.Count(); ++i) {
    const double t = TCToSeconds(automation.EventTime(i), automation.Rate());
    if (t < std::min(from, to) || t >= std::max(from, to)) continue;
    for (int c = 0; c < channels; ++c) {
      if (automation.IsChannelSelected(c) &&
          automation.KeyOf(param, c).Matches(automation.EventWord(i)))
        automation.SetSelected(i, true);
    }
  }
}

void DeleteSelected(TQ730AUTO& automation, int param) {
  automation.TQ730::DeleteSelected();
  const int channels = std::min(automation.ChannelCount(), TQ730AUTO::kChannelFlags);
  for (int c = 0; c < channels; ++c) {
    const EventKey key = automation.KeyOf(param, c);
    if (!automation.IsChannelSelected(c) || !key.valid) continue;
    AutoStart start{kNoStartTime, 0};
    for (int i = 0; i < automation.Count(); ++i) {
      if (!key.Matches(automation.EventWord(i))) continue;
      start = {automation.EventTime(i), key.Value(automation.EventWord(i))};
      break;
    }
    automation.SetStartValue(param, c, start.time, start.value);
  }
}

}  // namespace orb::plain
