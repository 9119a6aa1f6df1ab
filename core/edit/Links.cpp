#include "core/edit/Links.h"

#include <algorithm>
#include <string>

#include "core/model/DebugLog.h"
#include "core/model/FaderLaw.h"
#include "core/model/ParamIds.h"
#include "core/model/ParamModel.h"
#include "core/model/Q730snap.h"

namespace orb {
namespace {

constexpr int kSurroundGroup = 6;
constexpr int kGangType = 0;
constexpr int kVcaType = 1;
constexpr int kCutType = 2;

bool HoldsChannelState(const TQ730& list) {
  return list.Kind() == TQ730::kSystem || list.Kind() == TQ730::kSnapshot;
}

// Ids whose change re-links the whole system data: the linking functions, the surround masks
// and the master fader locks.
bool RelinksSystem(int id) {
  return (id >= kParamStereoLinkFunction && id <= kParamSurroundLinkMode) ||
         id == kParamMasterLocked;
}

}  // namespace

struct LinkContext::SnapshotAccess {
  explicit SnapshotAccess(TQ730SNAP& snaps) : reader(snaps), writer(snaps) {}
  TQ730SNAP::BulkReader reader;
  TQ730SNAP::BulkWriter writer;
};

LinkContext::~LinkContext() = default;

LinkContext::LinkContext(TQ730SYSF& system) : system_(&system), current_(&system) {
  levels_.fill(-1);
  // Until the first mouse down the levels as they stand are the sensible starting points.
  MouseDown(false);
  const int n = LastChannel() + 1;
  for (int c = 0; c < n; ++c) group_levels_[c] = system.GetParam(c, kParamGroupFaderLevel);
}

void LinkContext::Rebind(TQ730SYSF& system) {
  system_ = &system;
  current_ = &system;
  bulk_.reset();
  bulk_list_ = nullptr;
  levels_.fill(-1);
  MouseDown(shift_);
}

int LinkContext::LastChannel() const {
  return std::min(system_->ChannelCount(), kChannels) - 1;
}

void LinkContext::MouseDown(bool shift) {
  shift_ = shift;
  if (!HoldsChannelState(*current_)) return;
  const int n = LastChannel() + 1;
  for (int c = 0; c < kChannels; ++c) levels_[c] = c < n ? Get(c, kParamFaderLevel) : -1;
  if (system_->GetParam(0, kParamManualGroup) > 0) {
    for (int c = 0; c < n; ++c) group_levels_[c] = system_->GetParam(c, kParamGroupFaderLevel);
  }
}

int LinkContext::RememberedLevel(int channel) const {
  return channel >= 0 && channel < kChannels ? levels_[channel] : -1;
}

int LinkContext::RememberedGroupLevel(int channel) const {
  return channel >= 0 && channel < kChannels ? group_levels_[channel] : 0;
}

void LinkContext::MarkModified() {
  // A locked title cannot change, so it must not ask to be saved either.
  if (system_->Locked()) return;
  if (modified_sink_) {
    modified_sink_();
  } else {
    modified_ = true;
  }
}

int LinkContext::Get(int channel, int id) const {
  if (current_ == bulk_list_) return bulk_->reader.Read(channel, id);
  return current_->GetParam(channel, id);
}

void LinkContext::Write(int channel, int id, int value) {
  const bool noted = changed_ && reason_ != kNoReason && channel >= 0 && channel < kChannels;
  const int before = noted ? Get(channel, id) : 0;
  if (current_ == bulk_list_) {
    bulk_->writer.Write(channel, id, value);
  } else {
    current_->SetParam(channel, id, value);
  }
  // Most writes of a pass put back what is there; only those that may differ are read again.
  if (noted && before != value && Get(channel, id) != before)
    (*changed_)[reason_].set(static_cast<std::size_t>(channel));
  Repaint(channel, id);
}

int LinkContext::WriteCounted(int channel, int id, int value) {
  const int before = Get(channel, id);
  Write(channel, id, value);
  return Get(channel, id) != before ? 1 : 0;
}

int LinkContext::GroupType(int g) const {
  return g >= 1 ? Get(g - 1, kParamGroupType) : -1;
}

bool LinkContext::GroupOn(int g) const {
  return g >= 1 && Get(g - 1, kParamGroupOn) > 0;
}

void LinkContext::SetParamLinked(int channel, int id, int value) {
  SetParamLinked(channel, id, value, nullptr);
}

void LinkContext::SetParamLinked(int channel, int id, int value, const LinkedSet* followers) {
  MarkModified();
  if (id == kParamGroupFaderLevel) {
    // A group-fader level may be -1 (-0.01 dB): it is always written, never re-applied.
    system_->SetParam(channel, id, value);
    Repaint(channel, kParamFaderLevel);
    return;
  }
  if (value == -1) {
    value = Get(channel, id);
    if (value == -1) return;
  } else {
    Write(channel, id, value);
    if (id > kParamFilterBlock && id <= kParamEqLast) Repaint(channel, kEqGraph);
    if (id > kParamDynamicsBlock && id <= kParamDynamicsLast) Repaint(channel, kDynamicsGraph);
  }
  const Reason partner = reason_;
  if (reason_ != kNoReason) reason_ = kGroupFollow;
  if (id == kParamCut) FollowCutGroup(channel, value);
  FollowGangs(channel, id, value);
  if (id == kParamFaderLevel) MoveGroupFaders(channel, value);
  reason_ = partner;
  if (RelinksSystem(id)) {
    TQ730* was = current_;
    current_ = system_;
    LinkPassAll();
    current_ = was;
  }
  if (FollowStereoAuxSwitch(channel, id, value)) return;
  const LinkedSet set = followers ? *followers : current_->LinkedChannels(channel, id);
  if (!set.linked) return;
  for (int c : set.List()) Write(c, id, value);
}

void LinkContext::FollowCutGroup(int channel, int value) {
  const int g = Get(channel, kParamCutGroup);
  if (!GroupOn(g)) return;
  for (int c = 0, last = LastChannel(); c <= last; ++c) {
    if (c != channel && Get(c, kParamCutGroup) == g) Write(c, kParamCut, value);
  }
}

void LinkContext::FollowGangs(int channel, int id, int value) {
  // Switching a gang on copies the first value into the second; while it is on, both follow
  // each other.
  const auto gang = [&](int gang_id, int first, int second) {
    if (id == gang_id) {
      if (value != 0) Write(channel, second, Get(channel, first));
    } else if ((id == first || id == second) && Get(channel, gang_id) > 0) {
      Write(channel, id == first ? second : first, value);
    }
  };
  gang(kParamMtrPanGang, kParamSurroundPanLR, kParamMtrPan);
  gang(kParamSwGang, kParamMtrLevel, kParamSwLevel);
}

void LinkContext::MoveGroupFaders(int channel, int value) {
  if (value < 0 || channel < 0 || channel >= kChannels || levels_[channel] < 0) return;
  // Shift at the mouse down of a drag moves the dragged fader alone.
  const bool alone = shift_ && drag_type_ != 0;
  const int g = Get(channel, kParamFaderGroup);
  const int last = LastChannel();
  if (Get(channel, kParamUnderGroupMaster) == 1) {
    // The fader itself refused the write; the group-fader levels move instead.
    const int hundredths = 10 * (FaderTenths(value) - FaderTenths(levels_[channel]));
    for (int c = 0; c <= last; ++c) {
      if (c != channel && (alone || Get(c, kParamFaderGroup) != g)) continue;
      Write(c, kParamGroupFaderLevel, group_levels_[c] + hundredths);
      Repaint(c, kParamFaderLevel);
    }
    return;
  }
  if (alone || !GroupOn(g) || GroupType(g) != kGangType) return;
  // From the level actually stored: a master locked to 0 dB does not drag its gang along.
  const int tenths = FaderTenths(Get(channel, kParamFaderLevel)) - FaderTenths(levels_[channel]);
  for (int c = 0; c <= last; ++c) {
    if (c == channel || levels_[c] < 0 || Get(c, kParamFaderGroup) != g) continue;
    Write(c, kParamFaderLevel, NearestFaderIndex((FaderTenths(levels_[c]) + tenths) / 10.0));
  }
}

bool LinkContext::FollowStereoAuxSwitch(int channel, int id, int value) {
  if (!HoldsChannelState(*current_) || id < kParamAuxOn || id >= kParamAuxOn + kAuxSends ||
      current_->ChannelKind(channel) != kGroupInput) {
    return false;
  }
  const int aux = id - kParamAuxOn;
  if (aux >= system_->GroupSize(kGroupAUX)) return false;
  if (Get(system_->FirstChannelOf(kGroupAUX) + aux, kParamLinkMode) != kStereo) return false;
  Write(channel, kParamAuxOn + (aux ^ 1), value);
  return true;
}

LinkChanges& LinkChanges::operator+=(const LinkChanges& other) {
  stereo += other.stereo;
  surround += other.surround;
  groups += other.groups;
  surround_pairs += other.surround_pairs;
  mono_pairs += other.mono_pairs;
  memberships += other.memberships;
  master_faders += other.master_faders;
  dynamics_links += other.dynamics_links;
  return *this;
}

std::string LinkChangesText(const LinkChanges& changes) {
  struct Part {
    int count;
    const char* one;
    const char* many;
  };
  const Part parts[] = {
      {changes.stereo, " channel followed its stereo partner",
       " channels followed their stereo partner"},
      {changes.surround, " channel followed its surround group",
       " channels followed their surround group"},
      {changes.groups, " channel followed its group or gang",
       " channels followed their group or gang"},
      {changes.surround_pairs, " pair set to SURROUND to complete its group",
       " pairs set to SURROUND to complete their group"},
      {changes.mono_pairs, " incomplete surround pair set to MONO",
       " incomplete surround pairs set to MONO"},
      {changes.memberships, " group membership cleared", " group memberships cleared"},
      {changes.master_faders, " locked master fader set to 0 dB",
       " locked master faders set to 0 dB"},
      {changes.dynamics_links, " dynamics link cleared", " dynamics links cleared"},
  };
  std::string text;
  for (const Part& part : parts) {
    if (part.count == 0) continue;
    text += text.empty() ? "Links: " : ", ";
    text += std::to_string(part.count) + (part.count == 1 ? part.one : part.many);
  }
  return text;
}

LinkChanges LinkContext::LinkPass(int first, int last) {
  LinkChanges changes;
  if (current_->Kind() == TQ730::kAutomation) return changes;
  MarkModified();
  // A pass run from inside another (a system link switch re-applied) counts into the outer one.
  Changed changed;
  Changed* const outer_changed = changed_;
  const Reason outer_reason = reason_;
  reason_ = kNoReason;
  if (!changed_) changed_ = &changed;
  // A pass over the system data run from inside a snapshot's pass must not use the snapshot's
  // accessors; the outer pass gets them back afterwards.
  const TQ730* outer = bulk_list_;
  bulk_list_ = nullptr;
  if (auto* snaps = shortcuts_ ? dynamic_cast<TQ730SNAP*>(current_) : nullptr) {
    if (!bulk_ || !bulk_->reader.Fits(*snaps) || !bulk_->writer.Fits(*snaps))
      bulk_ = std::make_unique<SnapshotAccess>(*snaps);
    bulk_->reader.Begin(snaps->CurrentRecord());
    bulk_->writer.Begin(snaps->CurrentRecord());
    bulk_list_ = snaps;
  }
  first = std::max(first, 0);
  last = std::min(last, LastChannel());
  for (int i = first; i <= last; ++i) {
    const int kind = current_->ChannelKind(i);
    if (kind < 0) continue;
    const int start = system_->FirstChannelOf(kind);
    const int end = start + system_->GroupSize(kind);
    if ((i - start) % kSurroundGroup == 0) {
      // A surround group is all three pairs or none, and only where all six channels exist.
      if (i + kSurroundGroup <= end && Get(i, kParamLinkMode) == kSurround) {
        for (int p = i; p < i + kSurroundGroup; p += 2)
          changes.surround_pairs += WriteCounted(p, kParamLinkMode, kSurround);
      } else {
        for (int p = i; p < std::min(i + kSurroundGroup, end); p += 2) {
          if (Get(p, kParamLinkMode) == kSurround)
            changes.mono_pairs += WriteCounted(p, kParamLinkMode, kMono);
        }
      }
    }
    // Written back as they are, so that the model's own rules for them apply again.
    if (const int level = Get(i, kParamFaderLevel); level >= 0)
      changes.master_faders += WriteCounted(i, kParamFaderLevel, level);
    if (const int link = Get(i, kParamDynamicsLink); link >= 0)
      changes.dynamics_links += WriteCounted(i, kParamDynamicsLink, link);
    if (GroupType(Get(i, kParamFaderGroup)) == kCutType)
      changes.memberships += WriteCounted(i, kParamFaderGroup, 0);
    const int cut_type = GroupType(Get(i, kParamCutGroup));
    if (cut_type == kGangType || cut_type == kVcaType)
      changes.memberships += WriteCounted(i, kParamCutGroup, 0);
    if (const int mode = Get(i, kParamLinkMode); mode > 0) {
      reason_ = mode == kSurround ? kSurroundPartner : kStereoPartner;
      LogLine("Link" + std::to_string(i));
      for (const LinkFunction& row : kLinkFunctions) {
        if (row.first_id < 0) continue;
        // The followers depend on the row alone, and no write of the row changes them.
        const LinkedSet followers = current_->LinkedChannels(i, row.first_id);
        const LinkedSet* known = shortcuts_ ? &followers : nullptr;
        for (int id = row.first_id; id <= row.last_id; ++id) SetParamLinked(i, id, -1, known);
      }
      reason_ = kNoReason;
    }
  }
  bulk_list_ = outer;
  reason_ = outer_reason;
  if (outer_changed) {
    changed_ = outer_changed;
    return changes;
  }
  changed_ = nullptr;
  changes.stereo = static_cast<int>(changed[kStereoPartner].count());
  changes.surround = static_cast<int>(changed[kSurroundPartner].count());
  changes.groups = static_cast<int>(changed[kGroupFollow].count());
  return changes;
}

}  // namespace orb
