#include "core/model/Clip.h"

#include <algorithm>
#include <utility>

#include "core/model/ParamModel.h"
#include "core/model/Prompter.h"
#include "core/model/Q730auto.h"
#include "core/model/Q730snap.h"

namespace orb {
namespace {

constexpr int kKinds = 6;
constexpr int kNone = -1;
// Rows: source kind; columns: destination kind (system, snapshots, cues, dynamics, EQ,
// automation).
constexpr int kPasteModes[kKinds][kKinds] = {
    {0, 1, kNone, 0, 0, kNone},
    {2, 3, kNone, kNone, kNone, kNone},
    {kNone, kNone, kNone, kNone, kNone, kNone},
    {0, kNone, kNone, 0, kNone, kNone},
    {0, kNone, kNone, kNone, 0, kNone},
    {kNone, kNone, kNone, kNone, kNone, 4},
};

constexpr int kGroupParams[] = {kParamGroupType, kParamGroupOn, kParamGroupVcaMaster};

// The first row of every channel group of a list, taken once per paste.
class GroupRows {
 public:
  explicit GroupRows(const TQ730& list) {
    for (int g = kGroupInput; g <= kGroupPGM + 1; ++g) first_[g] = list.FirstChannelOf(g);
  }
  // The row of an item's channel group and position, or -1 when the group has no such row.
  int RowOf(const ClipItem& item) const {
    if (item.group < kGroupInput || item.group > kGroupPGM || item.position < 0) return -1;
    const int row = first_[item.group] + item.position;
    return row < first_[item.group + 1] ? row : -1;
  }

 private:
  int first_[kGroupPGM + 2] = {};
};

}  // namespace

int TClip::PasteMode(int source_kind, int dest_kind) {
  if (source_kind < 0 || source_kind >= kKinds || dest_kind < 0 || dest_kind >= kKinds)
    return kNone;
  return kPasteModes[source_kind][dest_kind];
}

void TClip::Clear() {
  items_.clear();
  offsets_.clear();
  names_.clear();
  record_count_ = 0;
}

bool TClip::HoldsKind(int kind) const {
  return PasteMode(source_kind_, kind) != kNone && !items_.empty() && record_count_ > 0;
}

bool TClip::HoldsAutomationOf(int param) const {
  return HoldsKind(TQ730::kAutomation) && view_ == param;
}

std::size_t TClip::RecordEnd(std::size_t first) const {
  std::size_t end = first;
  while (end < items_.size() && items_[end].record == items_[first].record) ++end;
  return end;
}

template <typename Read>
void TClip::CopyRow(const TQ730& list, int row, std::span<const int> params, bool keep_groups,
                    Read read) {
  const int group = keep_groups ? list.ChannelKind(row) : -1;
  const int position = group >= 0 ? row - list.FirstChannelOf(group) : row;
  const bool group_levels = list.Kind() == TQ730::kSystem;
  for (int id : params) {
    const int value = read(row, id);
    if (value < 0) continue;
    if (id == kParamFaderLevel && group_levels)
      AddItem(position, group, kParamGroupFaderLevel, read(row, kParamGroupFaderLevel));
    AddItem(position, group, id, value);
  }
}

void TClip::CopyRecords(const TQ730& list, int kind, std::span<const int> params, bool keep_groups,
                        bool with_names, int first_row, int last_row) {
  source_kind_ = kind;
  auto read = [&list](int row, int id) { return list.GetParam(row, id); };
  if (first_row < 0) {
    for (int row = 0, n = list.Count(); row < n; ++row) {
      if (!list.IsSelected(row)) continue;
      CopyRow(list, row, params, keep_groups, read);
      if (with_names) AddName(list.NameText(row));
      NextRecord();
    }
    return;
  }
  const int last = last_row < 0 ? list.ChannelCount() - 1 : last_row;
  for (int row = first_row; row <= last; ++row) CopyRow(list, row, params, keep_groups, read);
}

void TClip::CopyAutomation(const TQ730AUTO& list, int view, double start, double end) {
  Clear();
  const int channels = std::min(list.ChannelCount(), TQ730AUTO::kChannelFlags);
  const EventChannels owners(list, view);
  // One pass over the events, sorted into their channels afterwards.
  std::vector<std::pair<int, int>> found;  // channel, event
  const auto [first_selected, after_selected] = list.SelectedEventSpan();
  for (int i = first_selected; i < after_selected; ++i) {
    if (!list.EventSelected(i)) continue;
    owners.ForEach(list.EventWord(i), [&](int row) {
      if (list.IsChannelSelected(row)) found.emplace_back(row, i);
    });
  }
  std::stable_sort(found.begin(), found.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });

  const FrameRate rate = list.Rate();
  std::size_t next = 0;
  for (int row = 0; row < channels; ++row) {
    if (!list.IsChannelSelected(row)) continue;
    const int group = list.ChannelKind(row);
    AddItem(-1, group, view, 0);
    offsets_.push_back(0);
    for (; next < found.size() && found[next].first == row; ++next) {
      const int event = found[next].second;
      const std::uint32_t word = list.EventWord(event);
      AddItem(row - list.FirstChannelOf(group), group, view,
              static_cast<std::int32_t>(word & ~owners.KeyMask(group)));
      offsets_.push_back(TCToSeconds(list.EventTime(event), rate) - start);
    }
    NextRecord();
  }
  source_kind_ = TQ730::kAutomation;
  view_ = view;
  duration_ = end - start;
}

void TClip::PasteRecords(TQ730& list) const {
  if (items_.empty() || list.TitleLocked()) return;
  EditFlagScope edit(list);
  switch (PasteMode(source_kind_, list.Kind())) {
    case 0:
      PasteEach(list);
      break;
    case 1:
      PasteIntoSnapshots(list, false);
      break;
    case 2:
      PasteIntoChannels(list);
      break;
    case 3:
      PasteIntoSnapshots(list, true);
      break;
    default:
      break;
  }
}

void TClip::PasteEach(TQ730& list) const {
  std::size_t cursor = 0;
  for (int row = 0, n = list.Count(); row < n; ++row) {
    if (!list.IsSelected(row)) continue;
    const int ordinal = items_[cursor].record;
    const std::size_t end = RecordEnd(cursor);
    for (std::size_t i = cursor; i < end; ++i) {
      // The Dynamics Key names a channel of the strip it was set on; it never travels with a
      // paste from record to record.
      if (items_[i].param != kParamDynamicsKey)
        list.SetParam(row, items_[i].param, items_[i].value);
    }
    // Fewer copied records than selected rows repeat from the first.
    cursor = end == items_.size() ? 0 : end;
    const bool named = ordinal >= 0 && static_cast<std::size_t>(ordinal) < names_.size();
    if (named && (source_kind_ == list.Kind() || list.NameText(row).empty()))
      list.SetName(row, names_[static_cast<std::size_t>(ordinal)]);
  }
}

void TClip::PasteIntoChannels(TQ730& system) const {
  // Every item belongs to at most one channel: sort them into their channels once, keeping
  // their order, rather than searching all items for every channel.
  const int channels = system.Count();
  const GroupRows rows(system);
  std::vector<int> start(static_cast<std::size_t>(channels) + 1, 0);
  std::vector<int> row_of(items_.size());
  for (std::size_t i = 0; i < items_.size(); ++i) {
    row_of[i] = rows.RowOf(items_[i]);
    if (row_of[i] >= channels) row_of[i] = -1;
    if (row_of[i] >= 0) ++start[static_cast<std::size_t>(row_of[i]) + 1];
  }
  for (int c = 0; c < channels; ++c) start[c + 1] += start[c];
  std::vector<int> order(static_cast<std::size_t>(start[channels]));
  std::vector<int> fill(start.begin(), start.end() - 1);
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (row_of[i] >= 0) order[static_cast<std::size_t>(fill[row_of[i]]++)] = static_cast<int>(i);
  }
  for (int row = 0; row < channels; ++row) {
    if (!system.IsSelected(row)) continue;
    for (int k = start[row]; k < start[row + 1]; ++k) {
      const ClipItem& item = items_[static_cast<std::size_t>(order[k])];
      system.SetParam(row, item.param, item.value);
    }
  }
}

void TClip::PasteIntoSnapshots(TQ730& list, bool whole_records) const {
  auto* snaps = dynamic_cast<TQ730SNAP*>(&list);
  if (!snaps) return;
  const int current = snaps->CurrentRecord();
  const GroupRows rows(*snaps);
  TQ730SNAP::BulkWriter writer(*snaps);
  std::size_t cursor = 0;
  for (int s = 0, n = snaps->Count(); s < n; ++s) {
    if (!snaps->IsSelected(s)) continue;
    writer.Begin(s);
    const std::size_t first = whole_records ? cursor : 0;
    const std::size_t end = whole_records ? RecordEnd(cursor) : items_.size();
    for (std::size_t i = first; i < end; ++i) {
      const ClipItem& item = items_[i];
      // Rows without a channel group are a snapshot's fader groups.
      const int row = item.group >= 0 ? rows.RowOf(item) : whole_records ? item.position : -1;
      if (row >= 0) writer.Write(row, item.param, item.value);
    }
    if (!whole_records) continue;
    const int ordinal = items_[cursor].record;
    cursor = end == items_.size() ? 0 : end;
    if (!names_.empty() && ordinal >= 0)
      snaps->SetName(s, names_[static_cast<std::size_t>(ordinal) % names_.size()]);
  }
  snaps->SetCurrentRecord(current);
}

void TClip::PasteAutomation(TQ730AUTO& list, double time, bool select) const {
  std::vector<std::size_t> records;
  for (std::size_t i = 0; i < items_.size(); i = RecordEnd(i)) records.push_back(i);
  if (records.empty()) return;
  const FrameRate rate = list.Rate();
  // Each selected channel's events first, then all written in one go.
  std::vector<std::vector<AutoEvent>> events;
  std::vector<int> rows;
  std::size_t next = 0;
  for (int row = 0, n = std::min(list.ChannelCount(), TQ730AUTO::kChannelFlags); row < n; ++row) {
    if (!list.IsChannelSelected(row)) continue;
    const std::size_t first = records[next];
    next = (next + 1) % records.size();
    std::vector<AutoEvent>& channel = events.emplace_back();
    for (std::size_t i = first, end = RecordEnd(first); i < end; ++i) {
      if (items_[i].position < 0) continue;
      channel.push_back({SecondsToTC(time + (i < offsets_.size() ? offsets_[i] : 0), rate),
                         static_cast<std::uint32_t>(items_[i].value)});
    }
    rows.push_back(row);
  }
  std::vector<TQ730AUTO::ChannelEvents> channels;
  for (std::size_t k = 0; k < rows.size(); ++k) channels.push_back({rows[k], events[k]});
  list.WriteEvents(view_, time, time + duration_, channels, select);
}

void TClip::CopySnapshots(TQ730& list, std::span<const int> params, bool with_names) {
  auto* snaps = dynamic_cast<TQ730SNAP*>(&list);
  if (!snaps) return;
  const int current = snaps->CurrentRecord();
  TQ730SNAP::BulkReader reader(*snaps);
  auto read = [&reader](int row, int id) { return reader.Read(row, id); };
  for (int s = 0, n = snaps->Count(); s < n; ++s) {
    if (!snaps->IsSelected(s)) continue;
    reader.Begin(s);
    for (int row = 0, rows = snaps->ChannelCount(); row < rows; ++row)
      CopyRow(*snaps, row, params, true, read);
    // The fader groups' bytes go without channel group, the group being the row.
    for (int g = 0; g < kFaderGroups; ++g) CopyRow(*snaps, g, kGroupParams, false, read);
    if (with_names) AddName(snaps->NameText(s));
    NextRecord();
  }
  snaps->SetCurrentRecord(current);
  source_kind_ = TQ730::kSnapshot;
}

void TClip::CopyFrom(TQ730& list, bool with_names, Prompter* prompter) {
  const int kind = list.Kind();
  if (kind == TQ730::kAutomation) {
    if (const auto* automation = dynamic_cast<const TQ730AUTO*>(&list)) {
      CopyAutomation(*automation, automation->CurrentParam(), automation->RangeStart(),
                     automation->RangeEnd());
    }
    return;
  }
  if (kind != TQ730::kSystem && kind != TQ730::kSnapshot && kind != TQ730::kDynLib &&
      kind != TQ730::kEqLib)
    return;
  ParamGroupList groups;
  list.ListParams(groups);
  // A cancelled Optional Copy leaves the clipboard empty, except on the EQ library, where the
  // previous content stays.
  if (kind != TQ730::kEqLib) Clear();
  if (!with_names && !(prompter && prompter->ChooseParamGroups(kOptionalCopyCaption, groups)))
    return;
  Clear();
  const std::vector<int> ids = ParamIdsOf(groups);
  if (kind == TQ730::kSnapshot) {
    CopySnapshots(list, ids, with_names);
  } else {
    CopyRecords(list, kind, ids, kind == TQ730::kSystem, with_names);
  }
}

void TClip::PasteInto(TQ730& list) const {
  if (!HoldsKind(list.Kind()) || list.TitleLocked()) return;
  if (list.Kind() != TQ730::kAutomation) {
    PasteRecords(list);
    return;
  }
  auto* automation = dynamic_cast<TQ730AUTO*>(&list);
  if (automation && HoldsAutomationOf(automation->CurrentParam()))
    PasteAutomation(*automation, automation->RangeStart(), true);
}

}  // namespace orb
