// TQ730: the record list every data file of a title derives from, and the helpers they share.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/model/DataFile.h"
#include "core/model/ParamIds.h"
#include "core/model/Q730.h"
#include "core/model/Status.h"

namespace orb {

class TQ730SYSF;
class TitleInfoView;
class TitleInfoWriter;
struct ChannelLayout;
class TClip;
class Prompter;

// Little-endian access to bytes that are known to lie inside their buffer.
inline std::uint16_t GetU16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t GetU32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline void PutU16(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void PutU32(std::uint8_t* p, std::uint32_t v) {
  PutU16(p, v);
  PutU16(p + 2, v >> 16);
}

// Sum of the first length - 2 bytes modulo 65536: the checksum every record and
// fixed block carries in its last two bytes. Written on save, never verified.
std::uint16_t BlockChecksum(const std::uint8_t* block, std::size_t length);
void StoreChecksum(std::uint8_t* block, std::size_t length);

// The zero-terminated text in a fixed slot (the whole slot when it holds no zero).
std::string SlotText(const std::uint8_t* slot, std::size_t slot_length);
// Copies at most slot_length - 1 characters and the terminating zero; the
// bytes after the terminator are left as they were.
void SetSlotText(std::uint8_t* slot, std::size_t slot_length, std::string_view text);

// The 16 bytes in front of every chunk: a 12-byte zero-terminated name and the
// body size.
struct ChunkHeader {
  std::array<std::uint8_t, 16> bytes{};

  std::string Name() const { return SlotText(bytes.data(), 12); }
  void SetName(std::string_view name);
  std::uint32_t Size() const { return GetU32(bytes.data() + 12); }
  void SetSize(std::uint32_t size) { PutU32(bytes.data() + 12, size); }
};

// One row of a parameter descriptor table.
struct ParamDescriptor {
  int id;
  int storage;
  int max;
  int offset;
  int def;
};

// Storage kinds of a descriptor.
inline constexpr int kStoreByte = 100;
inline constexpr int kStoreWord = 200;
inline constexpr int kStoreLong = 400;
inline constexpr int kStoreBlock = 1000;
inline constexpr int kStoreInverted = 1101;
inline constexpr int kStoreChoice0 = 1110;
inline constexpr int kStoreChoice2 = 1112;

// The value of a field of a storage kind other than a block.
inline int LoadField(const std::uint8_t* at, int storage) {
  switch (storage) {
    case kStoreByte:
      return *at;
    case kStoreWord:
      return GetU16(at);
    case kStoreLong:
      return static_cast<int>(GetU32(at));
    case kStoreInverted:
      return 1 - *at;
    default:
      return *at + kStoreChoice0 == storage ? 1 : 0;
  }
}

// Stores a value between 0 and the field's maximum into a field of a storage kind other than a
// block.
inline void PutField(std::uint8_t* at, int storage, int value) {
  switch (storage) {
    case kStoreByte:
      *at = static_cast<std::uint8_t>(value);
      break;
    case kStoreWord:
      PutU16(at, static_cast<std::uint32_t>(value));
      break;
    case kStoreLong:
      PutU32(at, static_cast<std::uint32_t>(value));
      break;
    case kStoreInverted:
      *at = static_cast<std::uint8_t>(1 - value);
      break;
    default:
      // The three choices sharing this byte act as radio buttons.
      *at = static_cast<std::uint8_t>(storage - kStoreChoice0);
      break;
  }
}

// A named group of parameters, as copying and resetting offer them.
struct ParamGroup {
  std::string name;
  std::vector<int> ids;
};
using ParamGroupList = std::vector<ParamGroup>;

// The channels that follow a change on a linked channel: at most the other members of a
// surround group.
struct LinkedSet {
  static constexpr int kMax = 6;
  bool linked = false;
  int count = 0;
  std::array<int, kMax> channels{};

  void Add(int channel) {
    if (count < kMax) channels[count++] = channel;
  }
  std::span<const int> List() const { return {channels.data(), static_cast<std::size_t>(count)}; }
};

// What the record lists need to know of the program's clipboard.
class ClipboardQuery {
 public:
  virtual ~ClipboardQuery() = default;
  virtual bool HoldsKind(int kind) const = 0;
  // Automation pastes only into the parameter it was copied from.
  virtual bool HoldsAutomationOf(int param) const {
    (void)param;
    return HoldsKind(5);  // the automation list's kind
  }
};

// The bytes of a list's records. Every way to change them is a non-const member, and each of
// those counts as a change, so that what is worked out from the bytes (the automation's word
// count and time order) can be kept until they change. Reading through a const list counts
// nothing.
class RecordBytes {
 public:
  using iterator = std::vector<std::uint8_t>::iterator;
  using const_iterator = std::vector<std::uint8_t>::const_iterator;

  RecordBytes() = default;
  RecordBytes(const RecordBytes&) = delete;
  RecordBytes& operator=(const RecordBytes& other) {
    Touch();
    bytes_ = other.bytes_;
    return *this;
  }
  bool operator==(const RecordBytes& other) const { return bytes_ == other.bytes_; }

  const std::uint8_t* data() const { return bytes_.data(); }
  std::uint8_t* data() { return Touched().data(); }
  std::size_t size() const { return bytes_.size(); }
  bool empty() const { return bytes_.empty(); }
  std::uint8_t operator[](std::size_t i) const { return bytes_[i]; }
  std::uint8_t& operator[](std::size_t i) { return Touched()[i]; }
  const_iterator begin() const { return bytes_.begin(); }
  const_iterator end() const { return bytes_.end(); }
  iterator begin() { return Touched().begin(); }
  iterator end() { return Touched().end(); }
  void clear() { Touched().clear(); }
  void reserve(std::size_t n) { bytes_.reserve(n); }
  void resize(std::size_t n) { Touched().resize(n); }
  iterator erase(const_iterator first, const_iterator last) { return Touched().erase(first, last); }
  void swap(std::vector<std::uint8_t>& other) { Touched().swap(other); }
  // The vector itself, for the helpers that rework it in place.
  std::vector<std::uint8_t>& Vector() { return Touched(); }
  // Grows with every change; equal counts mean equal bytes.
  std::uint64_t Changes() const { return changes_; }

 private:
  void Touch() { ++changes_; }
  std::vector<std::uint8_t>& Touched() {
    Touch();
    return bytes_;
  }

  std::vector<std::uint8_t> bytes_;
  std::uint64_t changes_ = 0;
};

class TQ730 {
 public:
  enum Kind { kSystem = 0, kSnapshot = 1, kCue = 2, kDynLib = 3, kEqLib = 4, kAutomation = 5 };
  // Operation codes of CanDo.
  enum Op {
    kOpCut = 0,
    kOpCopy = 1,
    kOpPaste = 2,
    kOpDelete = 3,
    kOpNew = 4,
    kOpStore = 5,
    kOpRecall = 6
  };

  TQ730(int kind, std::string_view chunk_name, int record_size, int max_count);
  virtual ~TQ730() = default;
  TQ730(const TQ730&) = delete;
  TQ730& operator=(const TQ730&) = delete;

  // Deep copy of an object of the same class; the copy's records are all
  // unselected and its edit flag is clear.
  virtual Status Assign(const TQ730& source);
  // Whether other holds the same data: selections, the edit flag and the automation's edit
  // range do not count.
  virtual bool SameData(const TQ730& other) const;
  // The bytes of data the object holds.
  virtual std::uint64_t HeldBytes() const { return records_.size() + selected_.size(); }
  virtual Status Load(DataFile& file) = 0;
  virtual Status Save(DataFile& file);
  virtual std::uint64_t DataSize() const;
  virtual bool CanDo(int index, int op) const;
  virtual void SetName(int index, std::string_view text);
  virtual void DeleteSelected();
  // The clipboard commands. Copy with names copies the selection as it is; without names it
  // first asks for the parameter groups to copy (Optional Copy). The clipboard is passed rather
  // than kept, so that an operation can copy and paste through a private one.
  virtual void CopySelected(TClip& clip, bool with_names, Prompter* prompter);
  virtual void CutSelected(TClip& clip);
  virtual void PasteFromClipboard(const TClip& clip);
  // For every selected channel: the value of source written into dest, the listed
  // parameters set to their defaults, a level parameter moved by db decibels.
  virtual void CopyParamValue(int source, int dest);
  virtual void ResetParams(const ParamGroupList& groups);
  virtual void TrimParam(int id, double db);
  // A new record made from the channel: its index, or -1 where the list takes none.
  virtual int NewRecord(int channel) {
    (void)channel;
    return -1;
  }
  // Store the channel into record index / recall record index into the channel;
  // lists without stored channel settings do nothing.
  virtual void StoreRecord(int channel, int index) { (void)channel, (void)index; }
  virtual void RecallRecord(int channel, int index) { (void)channel, (void)index; }
  virtual int Count() const { return static_cast<int>(selected_.size()); }
  virtual int ChannelCount() const;
  virtual int MaxCount() const { return max_count_; }
  virtual std::string NumberText(int index) const;
  virtual std::string NameText(int index) const;
  virtual int NameLength() const { return name_length_; }
  virtual bool IsSelected(int index) const;
  virtual void SetSelected(int index, bool on);
  virtual bool IsChannelSelected(int channel) const { return IsSelected(channel); }
  virtual void SetChannelSelected(int channel, bool on) { SetSelected(channel, on); }
  void DeselectAllChannels();
  void SelectAllChannels();
  virtual int GetParam(int channel, int id) const;
  virtual void SetParam(int channel, int id, int value);
  virtual const ParamDescriptor* FindParam(int channel, int id) const;
  int ParamMax(int channel, int id) const;
  int ParamDefault(int channel, int id) const;
  // Appends the parameter groups of this list that exist in the title's layout.
  virtual void ListParams(ParamGroupList& list) const;
  // Whether a change of id on the channel is linked, and the channels that follow it.
  virtual LinkedSet LinkedChannels(int channel, int id) const {
    (void)channel, (void)id;
    return {};
  }
  // Start of the bytes that the channel's parameters address; null when there
  // are none. A block parameter reads as its offset inside these bytes and
  // ParamAddress gives the address itself.
  std::uint8_t* ParamBlock(int channel) { return ParamBytes(channel).data(); }
  const std::uint8_t* ParamBlock(int channel) const { return ParamBytes(channel).data(); }
  const std::uint8_t* ParamAddress(int channel, int id) const;
  // The bytes a parameter's value is read from (a switch bit names its whole byte); empty when
  // the value is computed or missing. Comparing titles tells named bytes from the rest by it.
  std::span<const std::uint8_t> ParamField(int channel, int id) const;
  // Where a record's name lies in the record.
  int NameOffset() const { return name_offset_; }
  virtual int RecordNumber(int index) const;
  virtual int ChannelKind(int channel) const;
  virtual int FirstChannelOf(int kind) const;
  virtual void Renumber();
  void DeleteRecord(int index);

  // Reads up to n records; a short read ends the list with 0x10001.
  Status LoadRecords(DataFile& file, std::uint64_t n);
  Status WriteRecords(DataFile& file, int n);

  int Kind() const { return kind_; }
  bool Loaded() const { return loaded_; }
  int RecordSize() const { return record_size_; }
  const ChunkHeader& Header() const { return header_; }
  bool EditEnabled() const { return edit_enabled_; }
  void SetEditEnabled(bool on) { edit_enabled_ = on; }
  int CurrentRecord() const { return current_record_; }
  void SetCurrentRecord(int index) { current_record_ = index; }
  TQ730SYSF* System() const { return system_; }
  void SetSystem(TQ730SYSF* system) { system_ = system; }
  void SetParamTable(std::span<const ParamDescriptor> table) { params_ = table; }
  void SetClipboard(const ClipboardQuery* clipboard) { clipboard_ = clipboard; }
  // Whether the title is locked against every write of a parameter.
  bool TitleLocked() const;
  // The title's frame-rate descriptor (30 without a system object).
  FrameRate Rate() const;

  // The bytes of one record; empty for an index out of range.
  std::span<std::uint8_t> Record(int index);
  std::span<const std::uint8_t> Record(int index) const;

 protected:
  // Reads the chunk header and checks its name against this object's file
  // name: on a foreign name the file is put back at the header.
  Status ReadHeader(DataFile& file);
  // Header check, then as many whole records as the body holds.
  Status LoadRecordChunk(DataFile& file);
  Status WriteHeader(DataFile& file, std::uint64_t body_size);
  void RenumberFrom(int first);
  void CopyBaseFrom(const TQ730& source);
  // Appends a record of zero bytes and returns its index.
  int AppendRecord();
  virtual std::span<std::uint8_t> ParamBytes(int channel);
  std::span<const std::uint8_t> ParamBytes(int channel) const {
    return const_cast<TQ730*>(this)->ParamBytes(channel);
  }
  // Where GetParam takes a value from: a field of the list's bytes, or one bit of a byte that
  // holds several switches; without bytes, a value of its own (-1: the parameter is missing).
  struct ParamSource {
    const std::uint8_t* at = nullptr;
    int storage = 0;
    std::uint8_t bit = 0;
    int value = -1;
  };
  static int ReadSource(const ParamSource& source) {
    if (!source.at) return source.value;
    if (source.bit != 0) return (*source.at & source.bit) ? 1 : 0;
    return LoadField(source.at, source.storage);
  }
  virtual ParamSource SourceOf(int channel, int id) const;
  // The bytes a plain store of id on the channel goes to, with their descriptor, as SetParam
  // finds them (lock and edit flag aside); null when SetParam stores nothing there.
  std::uint8_t* StoreTarget(int channel, int id, const ParamDescriptor*& row);
  // Writes of these ids move the other threshold of the block along with them.
  static bool CouplesThresholds(int id) {
    return id == kParamCompDuckThreshold || id == kParamExpGateThreshold || id == kParamCompKnee;
  }

  ChunkHeader header_;
  std::string file_name_;
  bool loaded_ = false;
  int kind_;
  int record_size_;
  int max_count_;
  int name_offset_ = 4;
  int name_length_ = 24;
  bool edit_enabled_ = false;
  TQ730SYSF* system_ = nullptr;
  std::span<const ParamDescriptor> params_;
  const ClipboardQuery* clipboard_ = nullptr;
  int current_record_ = 0;
  // Records lie back to back; one selected flag per record.
  RecordBytes records_;
  std::vector<std::uint8_t> selected_;

 private:
  // Clamps and stores by the descriptor; false when nothing could be stored.
  bool StoreField(int channel, int id, int value);
};

// Keeps a list's edit flag on for as long as it lives, then restores it: the operations that
// write many parameters run with it on.
class EditFlagScope {
 public:
  explicit EditFlagScope(TQ730& list) : list_(list), was_on_(list.EditEnabled()) {
    list.SetEditEnabled(true);
  }
  ~EditFlagScope() { list_.SetEditEnabled(was_on_); }
  EditFlagScope(const EditFlagScope&) = delete;
  EditFlagScope& operator=(const EditFlagScope&) = delete;

 private:
  TQ730& list_;
  bool was_on_;
};

// Channel groups of the console, in channel-index order.
enum ChannelGroup { kGroupInput = 0, kGroupMTR = 1, kGroupAUX = 2, kGroupRTN = 3, kGroupPGM = 4 };

}  // namespace orb
