#include <algorithm>
#include <cstdlib>

#include "core/edit/Links.h"
#include "core/model/DebugLog.h"
#include "core/model/ParamIds.h"
#include "core/model/ParamModel.h"
#include "core/model/Title.h"
#include "fuzz/FuzzTargets.h"
#include "fuzz/PlainEdits.h"

namespace orb {
namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

bool SameSnapshots(Title& a, Title& b) {
  const TQ730SNAP& x = a.Snapshots();
  const TQ730SNAP& y = b.Snapshots();
  if (x.Count() != y.Count()) return false;
  for (int s = 0; s < x.Count(); ++s) {
    if (!std::ranges::equal(x.Record(s), y.Record(s))) return false;
  }
  return true;
}

bool SameAutomation(const TQ730AUTO& a, const TQ730AUTO& b) {
  if (a.Count() != b.Count() || !std::ranges::equal(a.StartTable(), b.StartTable())) return false;
  for (int i = 0; i < a.Count(); ++i) {
    if (a.EventTime(i) != b.EventTime(i) || a.EventWord(i) != b.EventWord(i) ||
        a.IsSelected(i) != b.IsSelected(i))
      return false;
  }
  return true;
}

// Copy and paste of snapshots and channels, link passes and Zero on the fast title; the
// same done the plain way on the other.
void SnapshotEdits(Title& fast, Title& plain) {
  for (Title* title : {&fast, &plain}) {
    TQ730SNAP& snaps = title->Snapshots();
    for (int s = 0; s < snaps.Count(); ++s) snaps.SetSelected(s, s % 3 != 2);
    TQ730SYSF& system = title->System();
    for (int c = 0; c < system.Count(); ++c) system.SetSelected(c, c % 2 == 0);
  }
  TClip clip;
  fast.Snapshots().CopySelected(clip, true, nullptr);
  Check(plain::ItemsOf(clip) == plain::ReadSnapshots(plain.Snapshots()));
  for (Title* title : {&fast, &plain}) {
    TQ730SNAP& snaps = title->Snapshots();
    for (int s = 0; s < snaps.Count(); ++s) snaps.SetSelected(s, s % 2 == 1 || s == 0);
  }
  fast.Snapshots().PasteFromClipboard(clip);
  plain::PasteIntoSnapshots(clip, plain.Snapshots());
  Check(SameSnapshots(fast, plain));

  TClip channels;
  fast.System().CopySelected(channels, true, nullptr);
  fast.Snapshots().PasteFromClipboard(channels);
  plain::PasteIntoSnapshots(channels, plain.Snapshots());
  Check(SameSnapshots(fast, plain));

  LinkContext fast_links(fast.System());
  LinkContext plain_links(plain.System());
  plain_links.SetShortcuts(false);
  for (auto [title, links] : {std::pair{&fast, &fast_links}, std::pair{&plain, &plain_links}}) {
    TQ730SNAP& snaps = title->Snapshots();
    EditFlagScope edit(snaps);
    links->SetCurrent(snaps);
    for (int s = 0; s < snaps.Count(); ++s) {
      snaps.SetCurrentRecord(s);
      links->LinkPassAll();
    }
    snaps.SetCurrentRecord(0);
  }
  Check(SameSnapshots(fast, plain));
  Check(std::ranges::equal(fast.System().Block(), plain.System().Block()));

  ParamGroupList groups;
  fast.Snapshots().ListParams(groups);
  fast.Snapshots().ResetParams(groups);
  plain::ResetSnapshots(plain.Snapshots(), groups);
  Check(SameSnapshots(fast, plain));
}

// Selecting, deleting and writing the events of every channel at once on the fast title,
// channel after channel on the other.
void AutomationEdits(Title& fast, Title& plain) {
  TQ730AUTO& a = fast.Automation();
  TQ730AUTO& b = plain.Automation();
  const int channels = std::min(a.ChannelCount(), TQ730AUTO::kChannelFlags);
  for (const int param : {kParamFaderLevel, kParamPan}) {
    for (TQ730AUTO* list : {&a, &b}) {
      for (int c = 0; c < channels; ++c) list->SetChannelSelected(c, c % 4 != 3);
      list->SetEditRange(param, 0, 86399);
    }
    a.SelectRange(param, 3600, 7200);
    plain::SelectRange(b, param, 3600, 7200);
    Check(SameAutomation(a, b));

    const auto events = plain::ChannelEvents(a, param, channels, 3);
    std::vector<TQ730AUTO::ChannelEvents> batches;
    for (int c = 0; c < channels; ++c) {
      if (c % 5 != 1) batches.push_back({c, events[static_cast<std::size_t>(c)]});
    }
    a.WriteEvents(param, 3000, 5000, batches, true);
    for (const auto& batch : batches)
      b.WriteEvents(param, batch.channel, 3000, 5000, batch.events, true, false);
    Check(SameAutomation(a, b));

    a.DeleteSelected();
    plain::DeleteSelected(b, param);
    Check(SameAutomation(a, b));
  }
}

}  // namespace

int FuzzTitleEdits(const std::uint8_t* data, std::size_t size) {
  Title fast;
  Title plain;
  MemoryFile fast_file(data, size);
  MemoryFile plain_file(data, size);
  // Whatever loaded, even of a title that stopped half-way, is edited.
  fast.LoadChunks(fast_file);
  plain.LoadChunks(plain_file);
  SnapshotEdits(fast, plain);
  AutomationEdits(fast, plain);
  ClearLog();
  return 0;
}

}  // namespace orb
