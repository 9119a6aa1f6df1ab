// TQ730SYSF: the system data of a title (sysf.dat), its channels and settings, with the
// group-fader levels (gfed.dat).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/model/DataFile.h"
#include "core/model/Q730classes.h"
#include "core/model/Status.h"
#include "core/model/TitleInfoView.h"

namespace orb {

// The system block (sysf.dat) and the group-fader block (gfed.dat). Its
// "records" are the channels of the layout.
class TQ730SYSF : public TQ730 {
 public:
  static constexpr int kBlockSize = 12288;
  static constexpr int kGroupFaderSize = 296;
  static constexpr int kFaderSlots = 73;
  static constexpr std::uint32_t kLevelBias = 0x40000000;
  // Channel names: one slot per channel index.
  static constexpr int kNamesOffset = 8996;
  static constexpr int kNameSlot = 8;

  TQ730SYSF();

  Status Assign(const TQ730& source) override;
  bool SameData(const TQ730& other) const override;
  std::uint64_t HeldBytes() const override {
    return TQ730::HeldBytes() + kBlockSize + kGroupFaderSize + kFaderSlots;
  }
  Status Load(DataFile& file) override;
  Status Save(DataFile& file) override;
  std::uint64_t DataSize() const override { return kBlockSize; }
  bool CanDo(int index, int op) const override;
  void SetName(int index, std::string_view text) override;
  void DeleteSelected() override {}
  int Count() const override { return ChannelCount(); }
  int ChannelCount() const override;
  int MaxCount() const override { return ChannelCount(); }
  std::string NumberText(int index) const override;
  std::string NameText(int index) const override;
  bool IsSelected(int index) const override;
  void SetSelected(int index, bool on) override;
  int GetParam(int channel, int id) const override;
  void SetParam(int channel, int id, int value) override;
  const ParamDescriptor* FindParam(int channel, int id) const override;
  LinkedSet LinkedChannels(int channel, int id) const override;
  int RecordNumber(int) const override { return -1; }
  int ChannelKind(int channel) const override;
  int FirstChannelOf(int kind) const override;
  void Renumber() override {}
  // The manual-group switch (172) is off while these run, so that faders under a group
  // master are written directly; switching it back on renews their group-fader levels.
  void CopyParamValue(int source, int dest) override;
  void ResetParams(const ParamGroupList& groups) override;

  Status LoadGroupFaders(DataFile& file);
  Status SaveGroupFaders(DataFile& file);
  void CompleteGroupFaders();

  // Size of channel group g (0 input … 4 master, 5 … 9 the routing counts).
  int GroupSize(int g) const;
  // True at 96 and 88.2 kHz.
  bool HighRate() const;
  const ChannelLayout& CurrentLayout() const;
  // The title information at the start of the block (TitleInfoView.h).
  TitleInfoView Info() const;
  TitleInfoWriter Info();
  int TimecodeMode() const;
  int SampleRateMode() const;
  bool Locked() const;

  // Fixed fader slot of a channel (input k → k, MTR k → 48 + k, AUX k → 56 + k,
  // RTN k → 64 + k, master → 72), or -1 outside the layout.
  int FaderSlotOf(int channel) const;
  // Level of a slot in hundredths of a dB, as the file holds it.
  std::int32_t GroupFaderLevel(int slot) const;
  void SetGroupFaderLevel(int slot, std::int32_t hundredths);
  // The group-fader level of a channel in hundredths of a dB; none outside the layout. Any
  // value is a level here (-1 is -0.01 dB), unlike GetParam, where -1 means "no parameter".
  std::optional<std::int32_t> GroupLevel(int channel) const;
  int GroupFaderState() const { return GetU16(group_faders_.data() + 292); }
  bool HasGroupFaders() const { return group_faders_present_; }
  // Whether the loaded title had its gfed.dat, or the levels were made up from the strips.
  bool GroupFadersInFile() const { return group_faders_in_file_; }
  // The fader index stored in the channel's own strip.
  int StoredFaderIndex(int channel) const;
  // Parameter 145: the channel's fader follows a group master (manual group on, the channel in
  // a group of type 0 that is on).
  bool GroupGoverned(int channel) const;
  // The channel's fader slot set from the fader index in its strip.
  void RenewFaderSlot(int channel);

  // The channel's 24-byte dynamics block, 20-byte EQ block and 6-byte filter
  // block inside its strip; null where the channel has none (returns carry no
  // dynamics or EQ, only input channels have filters).
  static constexpr int kDynamicsBlockSize = 24;
  static constexpr int kEqBlockSize = 20;
  static constexpr int kFilterBlockSize = 6;
  std::uint8_t* DynamicsBlock(int channel);
  std::uint8_t* EqBlock(int channel);
  std::uint8_t* FilterBlock(int channel);

  // The title's initial cue (packed BCD timecode in the title information).
  std::uint32_t InitialCue() const;
  void SetInitialCue(std::uint32_t bcd);

  std::span<std::uint8_t, kBlockSize> Block() { return block_; }
  std::span<const std::uint8_t, kBlockSize> Block() const { return block_; }

 protected:
  std::span<std::uint8_t> ParamBytes(int channel) override;
  // The link mode and the stereo functions lie in the channel's pair bytes.
  ParamSource SourceOf(int channel, int id) const override;

 private:
  std::array<std::uint8_t, kBlockSize> block_{};
  // Levels carry the 2^30 bias here; the file holds the plain values.
  std::array<std::uint8_t, kGroupFaderSize> group_faders_{};
  bool group_faders_in_file_ = false;
  bool group_faders_present_ = false;
  std::array<std::uint8_t, kFaderSlots> channel_selected_{};
};

}  // namespace orb
