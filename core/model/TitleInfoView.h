// The fields of the title information by name: the first 128 bytes of the system block, which
// the title manager reads without loading the title. Every reader and writer of those bytes
// goes through these views, so that their places are written down once.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/model/Q730classes.h"

namespace orb {

inline constexpr int kTitleInfoSize = 128;
using TitleInfo = std::array<std::uint8_t, kTitleInfoSize>;

// Where a field lies in the title information.
struct TitleInfoField {
  std::size_t at;
  std::size_t width;
};

// Reads title information held elsewhere (a system block, the first bytes of a file).
class TitleInfoView {
 public:
  // Bytes 0 to 4 mean nothing to this program; they are kept as they are.
  static constexpr TitleInfoField kLock{5, 1};
  static constexpr TitleInfoField kName{6, 24};  // zero-terminated, at most 23 characters
  static constexpr TitleInfoField kSizeKB{30, 2};
  static constexpr TitleInfoField kSaveDate{32, 4};
  static constexpr TitleInfoField kInitialCue{36, 4};
  static constexpr TitleInfoField kTimecodeMode{40, 1};
  static constexpr TitleInfoField kSampleRateMode{41, 1};
  static constexpr TitleInfoField kMemo{42, kTitleInfoSize - 42};  // zero-terminated

  explicit TitleInfoView(std::span<const std::uint8_t, kTitleInfoSize> bytes)
      : bytes_(bytes.data()) {}

  bool Locked() const { return bytes_[kLock.at] != 0; }
  // The whole slot when it holds no zero.
  std::string Name() const { return SlotText(bytes_ + kName.at, kName.width); }
  std::uint16_t SizeKB() const { return GetU16(bytes_ + kSizeKB.at); }
  // Seconds since 1970-01-01 00:00 counted in local time; a floppy set's identity as well.
  std::uint32_t SaveDate() const { return GetU32(bytes_ + kSaveDate.at); }
  // The first cue's time, packed BCD; 0 without cues.
  std::uint32_t InitialCue() const { return GetU32(bytes_ + kInitialCue.at); }
  int TimecodeMode() const { return bytes_[kTimecodeMode.at]; }
  int SampleRateMode() const { return bytes_[kSampleRateMode.at]; }
  std::string Memo() const { return SlotText(bytes_ + kMemo.at, kMemo.width); }

  // A field's bytes as they are.
  std::span<const std::uint8_t> Bytes(TitleInfoField field) const {
    return {bytes_ + field.at, field.width};
  }

 private:
  const std::uint8_t* bytes_;
};

// Writes the fields as well. A text leaves the bytes after its terminating zero as they were.
class TitleInfoWriter : public TitleInfoView {
 public:
  explicit TitleInfoWriter(std::span<std::uint8_t, kTitleInfoSize> bytes)
      : TitleInfoView(bytes), bytes_(bytes.data()) {}

  void SetLock(int lock) { bytes_[kLock.at] = static_cast<std::uint8_t>(lock); }
  void SetName(std::string_view name) { SetSlotText(bytes_ + kName.at, kName.width, name); }
  void SetSizeKB(std::uint16_t size) { PutU16(bytes_ + kSizeKB.at, size); }
  void SetSaveDate(std::uint32_t seconds) { PutU32(bytes_ + kSaveDate.at, seconds); }
  void SetInitialCue(std::uint32_t bcd) { PutU32(bytes_ + kInitialCue.at, bcd); }

  std::span<std::uint8_t> Bytes(TitleInfoField field) const {
    return {bytes_ + field.at, field.width};
  }

 private:
  std::uint8_t* bytes_;
};

}  // namespace orb
