// The dynamics library (dylib.dat) and the EQ library (eqlib.dat): named
// copies of one channel's dynamics or EQ settings.
#pragma once

#include "core/model/Q730classes.h"

namespace orb {

class TQ730DYLIB : public TQ730 {
 public:
  static constexpr int kRecordSize = 64;

  TQ730DYLIB();

  Status Load(DataFile& file) override;

  // Appends an entry filled from the channel; -1 when the list is full or the
  // channel lies outside the layout.
  int NewRecord(int channel) override;
  // Both leave entry index as the only selected one; a channel without a
  // dynamics block copies nothing.
  void StoreRecord(int channel, int index) override;
  void RecallRecord(int channel, int index) override;
};

class TQ730EQLIB : public TQ730 {
 public:
  static constexpr int kRecordSize = 66;

  TQ730EQLIB();

  Status Load(DataFile& file) override;
  // The "HF Freq" maximum follows the title's sample rate.
  const ParamDescriptor* FindParam(int channel, int id) const override;

  int NewRecord(int channel) override;
  // A channel without filters stores them as off at frequency step 23.
  void StoreRecord(int channel, int index) override;
  void RecallRecord(int channel, int index) override;
};

}  // namespace orb
