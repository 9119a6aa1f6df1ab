// Snapshots (snap.dat) and cues (cue.dat).
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "core/model/ParamIds.h"
#include "core/model/Q730classes.h"

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

  // Bulk access: a copy or paste of all 99 snapshots reads or writes over half a million
  // values. These give the same values and write the same bytes as GetParam and SetParam on
  // each snapshot as the current record, but look each channel and id up only once. What they
  // looked up holds as long as the layout, the lock and the edit flag stay as they were (Fits).
  class BulkReader;
  class BulkWriter;

 private:
  // What the places of parameters depend on.
  struct PlaceKey {
    const TQ730SYSF* system = nullptr;
    const void* layout = nullptr;
    int rate = 0;
    bool locked = false;
    bool edit = false;
    bool operator==(const PlaceKey&) const = default;
  };
  PlaceKey CurrentPlaceKey() const;

  class BulkAccess {
   public:
    explicit BulkAccess(TQ730SNAP& snaps) : snaps_(snaps), key_(snaps.CurrentPlaceKey()) {}
    // Makes snapshot index the current one and the one accessed.
    void Begin(int index);
    // Whether this still serves the list: the same list, its places unchanged.
    bool Fits(const TQ730& list) const {
      return &list == &snaps_ && key_ == snaps_.CurrentPlaceKey();
    }

   protected:
    TQ730SNAP& snaps_;
    std::uint8_t* record_ = nullptr;  // null: the index names no snapshot
    PlaceKey key_;
  };

  // One entry per channel and id, for the bulk readers and writers.
  template <typename Place>
  class PlaceTable {
   public:
    explicit PlaceTable(int channels)
        : channels_(channels), places_(static_cast<std::size_t>(std::max(channels, 0)) * kIds) {}
    // The entry, or null for a channel or id outside the table.
    Place* Find(int channel, int id) {
      if (channel < 0 || channel >= channels_ || id < 0 || id >= kIds) return nullptr;
      return &places_[static_cast<std::size_t>(channel) * kIds + static_cast<std::size_t>(id)];
    }

   private:
    static constexpr int kIds = kParamIdLimit;
    int channels_;
    std::vector<Place> places_;
  };

 public:
  class BulkReader : public BulkAccess {
   public:
    explicit BulkReader(TQ730SNAP& snaps) : BulkAccess(snaps), places_(snaps.ChannelCount()) {}
    int Read(int channel, int id);

   private:
    struct Place {
      bool known = false;
      std::uint8_t bit = 0;
      std::int16_t storage = 0;
      std::int32_t offset = -1;  // within the record; -1: the value
      std::int32_t value = -1;
    };
    PlaceTable<Place> places_;
  };

  class BulkWriter : public BulkAccess {
   public:
    explicit BulkWriter(TQ730SNAP& snaps) : BulkAccess(snaps), places_(snaps.ChannelCount()) {}
    void Write(int channel, int id, int value);

   private:
    enum Kind : std::int8_t {
      kUnknown,        // not looked up yet
      kStoresNothing,  // SetParam would change nothing
      kPlain,          // a field stored by its kind
      kBit,            // a stereo-function bit of a pair byte
      kCoupled,        // a field whose write moves the other threshold too
    };
    struct Place {
      Kind kind = kUnknown;
      std::int16_t storage = 0;  // the storage kind, or the bit
      std::int32_t offset = 0;   // within the record
      std::int32_t max = 0;
    };
    // The entry of a channel and id, looked up when new; null outside the table.
    const Place* PlaceOf(int channel, int id);
    Place Resolve(int channel, int id);

    PlaceTable<Place> places_;
  };

 protected:
  std::span<std::uint8_t> ParamBytes(int channel) override;
  ParamSource SourceOf(int channel, int id) const override;

 private:
  // The channel's pair bytes and the group's bytes in the current record, or null.
  std::uint8_t* PairBytes(int channel);
  std::uint8_t* GroupBytes(int group);
  // A pair or group byte of the current record, or a stereo-function bit of a pair byte.
  struct OwnField {
    std::uint8_t* at = nullptr;
    int max = 0;
    std::uint8_t bit = 0;
  };
  OwnField OwnFieldOf(int channel, int id);
  static void Store(std::uint8_t* at, std::uint8_t bit, int value) {
    if (bit == 0) {
      *at = static_cast<std::uint8_t>(value);
    } else {
      *at = static_cast<std::uint8_t>(value ? *at | bit : *at & ~bit);
    }
  }
  // Ids whose bytes a snapshot keeps outside the channel strips, or that it limits itself.
  static bool OwnHandling(int id) {
    return id == kParamDynamicsLink || id == kParamLinkMode ||
           (id >= kParamStereoReverse && id <= kParamStereoMsDecode) ||
           (id >= kParamGroupType && id <= kParamGroupVcaMaster);
  }
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
  // The cue's time, packed BCD as the record holds it; 0 for a cue outside the list.
  std::uint32_t Time(int cue) const;
  // The file names a recalled entry by its record number; in memory it is the
  // entry's list position from 1.
  void ResolveReferences(const TQ730SNAP& snapshots, const TQ730EQLIB& eq,
                         const TQ730DYLIB& dynamics);
  // After records of one recall kind were deleted: moved[old position] is the new position
  // from 1, or 0 where the record is gone; such a cue then recalls nothing.
  void RepointReferences(int recall_kind, const std::vector<int>& moved);

 private:
  void SortByTime();
};

}  // namespace orb
