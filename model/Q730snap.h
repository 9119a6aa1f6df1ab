#pragma once

#include <cstdint>
#include <string>

#include "model/Q730classes.h"

// Snapshots (snap.dat) and cues (cue.dat).
namespace orb {

class TQ730DYLIB;
class TQ730EQLIB;

// Name of a new snapshot, cue or library entry at a list position from 1:
// "#01" … "#99".
std::string DefaultRecordName(int position);

class TQ730SNAP : public TQ730 {
 public:
  static constexpr int kRecordSize = 8192;

  TQ730SNAP();

  Status Load(DataFile& file) override;
  // Every channel of a snapshot takes part in its parameter operations.
  bool IsChannelSelected(int) const override { return true; }

  // Parameters of the channels of the current record; pair and group bytes are the snapshot's
  // own, the linking function settings those of the system data.
  int GetParam(int channel, int id) const override;
  void SetParam(int channel, int id, int value) override;
  const ParamDescriptor* FindParam(int channel, int id) const override;
  LinkedSet LinkedChannels(int channel, int id) const override;

  // Appends a snapshot of the system's current state; -1 when the list is full.
  int NewRecord(int channel) override;
  // Copies the system's channel state into snapshot index, which becomes the
  // only selected one.
  void StoreRecord(int channel, int index) override;
  // Snapshot index, which becomes the only selected and the current one, back into the system
  // data, except what the nine isolate functions and the channels' own isolate switches keep.
  // Afterwards no channel of the system data is selected.
  void RecallRecord(int channel, int index) override;
  // Applied to all channels of every selected snapshot in turn.
  void CopyParamValue(int source, int dest) override;
  void ResetParams(const ParamGroupList& groups) override;

 protected:
  std::span<std::uint8_t> ParamBytes(int channel) override;

 private:
  // The channel's pair bytes and the group's bytes in the current record, or null.
  std::uint8_t* PairBytes(int channel);
  std::uint8_t* GroupBytes(int group);
};

class TQ730CUE : public TQ730 {
 public:
  static constexpr int kRecordSize = 36;
  // Recall kinds of byte 29.
  enum RecallKind { kRecallNone = 0, kRecallSnapshot = 1, kRecallEq = 2, kRecallDynamics = 3 };

  TQ730CUE();

  Status Load(DataFile& file) override;
  bool CanDo(int index, int op) const override;
  // Re-sorts the list when a cue's time changes; the channel argument is the cue.
  void SetParam(int index, int id, int value) override;
  // Cues are numbered from 0 in the file.
  void Renumber() override { RenumberFrom(0); }

  // Appends a cue at the last cue's time as the only selected cue; -1 when
  // the list is full.
  // Cues are not made from a channel; the argument is ignored.
  int NewRecord(int channel) override;
  int NewRecord() { return NewRecord(-1); }
  // The file names a recalled entry by its record number; in memory it is the
  // entry's list position from 1.
  void ResolveReferences(const TQ730SNAP& snapshots, const TQ730EQLIB& eq,
                         const TQ730DYLIB& dynamics);

 private:
  void SortByTime();
};

}  // namespace orb
