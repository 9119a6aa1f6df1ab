#include "core/model/Q730classes.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <typeinfo>

#include "core/model/Clip.h"
#include "core/model/DebugLog.h"
#include "core/model/FaderLaw.h"
#include "core/model/ParamModel.h"
#include "core/model/Q730sysf.h"

namespace orb {
namespace {

std::string Upper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

// Records are read in batches of about this many bytes rather than one call per record.
constexpr std::size_t kReadBatchBytes = 64 * 1024;

}  // namespace

std::uint16_t BlockChecksum(const std::uint8_t* block, std::size_t length) {
  std::uint32_t sum = 0;
  for (std::size_t i = 0; i + 2 < length; ++i) sum += block[i];
  return static_cast<std::uint16_t>(sum);
}

void StoreChecksum(std::uint8_t* block, std::size_t length) {
  if (length < 2) return;
  PutU16(block + length - 2, BlockChecksum(block, length));
}

std::string SlotText(const std::uint8_t* slot, std::size_t slot_length) {
  const auto* end = static_cast<const std::uint8_t*>(std::memchr(slot, 0, slot_length));
  return std::string(reinterpret_cast<const char*>(slot), end ? end - slot : slot_length);
}

void SetSlotText(std::uint8_t* slot, std::size_t slot_length, std::string_view text) {
  if (slot_length == 0) return;
  const std::size_t n = std::min(text.size(), slot_length - 1);
  std::memcpy(slot, text.data(), n);
  slot[n] = 0;
}

void ChunkHeader::SetName(std::string_view name) {
  std::fill(bytes.begin(), bytes.begin() + 12, 0);
  SetSlotText(bytes.data(), 12, name);
}

TQ730::TQ730(int kind, std::string_view chunk_name, int record_size, int max_count)
    : file_name_(chunk_name), kind_(kind), record_size_(record_size), max_count_(max_count) {
  // An object that never loaded still saves under its own name.
  header_.SetName(chunk_name);
}

void TQ730::CopyBaseFrom(const TQ730& source) {
  header_ = source.header_;
  loaded_ = source.loaded_;
  kind_ = source.kind_;
  record_size_ = source.record_size_;
  max_count_ = source.max_count_;
  name_offset_ = source.name_offset_;
  name_length_ = source.name_length_;
  system_ = source.system_;
  params_ = source.params_;
  clipboard_ = source.clipboard_;
  records_ = source.records_;
  selected_.assign(source.selected_.size(), 0);
  edit_enabled_ = false;
}

Status TQ730::Assign(const TQ730& source) {
  if (typeid(source) != typeid(*this)) return kFailed;
  CopyBaseFrom(source);
  LogLine("Backup  " + header_.Name() + " : " + std::to_string(Count()));
  return kOk;
}

bool TQ730::SameData(const TQ730& other) const {
  return typeid(other) == typeid(*this) && header_.bytes == other.header_.bytes &&
         loaded_ == other.loaded_ && kind_ == other.kind_ && name_length_ == other.name_length_ &&
         records_ == other.records_;
}

Status TQ730::ReadHeader(DataFile& file) {
  ChunkHeader found = header_;
  const std::size_t got = file.Read(found.bytes.data(), found.bytes.size());
  LogLine("Loading " + file_name_ + "  ChunkSize = 0x" + Hex8(found.Size()));
  if (got < found.bytes.size()) return kReadError;
  if (Upper(found.Name()) != Upper(file_name_)) {
    file.Skip(-16);
    LogLine(found.Name() + " != " + file_name_);
    // The header keeps this object's own name, so that a later save cannot
    // write the chunk under a foreign one.
    return kReadError;
  }
  header_ = found;
  return kOk;
}

Status TQ730::LoadRecordChunk(DataFile& file) {
  Status status = ReadHeader(file);
  if (status == kOk) status = LoadRecords(file, header_.Size() / record_size_);
  loaded_ = status == kOk;
  current_record_ = 0;
  return status;
}

Status TQ730::LoadRecords(DataFile& file, std::uint64_t n) {
  Status status = kOk;
  const std::size_t size = static_cast<std::size_t>(record_size_);
  const std::uint64_t per_batch = std::max<std::size_t>(1, kReadBatchBytes / size);
  // The count comes from the file: memory follows what the file really holds.
  const std::uint64_t holds = std::min<std::uint64_t>(n, file.Remaining() / size);
  records_.reserve(records_.size() + static_cast<std::size_t>(holds) * size);
  while (n > 0) {
    const std::uint64_t want = std::min(n, per_batch);
    const std::size_t start = records_.size();
    records_.resize(start + static_cast<std::size_t>(want) * size);
    const std::size_t got = file.Read(records_.data() + start, records_.size() - start);
    const std::size_t whole = got / size;
    records_.resize(start + whole * size);
    selected_.insert(selected_.end(), whole, 0);
    if (whole < want) {
      status = kReadError;
      break;
    }
    n -= want;
  }
  LogLine(header_.Name() + "  " + std::to_string(Count()) +
          " records loaded.  Record Size = " + Hex8(static_cast<unsigned long>(record_size_)));
  std::fill(selected_.begin(), selected_.end(), 0);
  return status;
}

Status TQ730::WriteHeader(DataFile& file, std::uint64_t body_size) {
  header_.SetSize(static_cast<std::uint32_t>(body_size));
  return file.Write(header_.bytes.data(), header_.bytes.size()) == header_.bytes.size()
             ? kOk
             : kWriteError;
}

Status TQ730::Save(DataFile& file) {
  const Status status = WriteHeader(file, DataSize());
  if (status != kOk) return status;
  Renumber();
  return WriteRecords(file, Count());
}

Status TQ730::WriteRecords(DataFile& file, int n) {
  const std::size_t bytes = static_cast<std::size_t>(std::clamp(n, 0, Count())) * record_size_;
  return file.Write(records_.data(), bytes) == bytes ? kOk : kWriteError;
}

std::uint64_t TQ730::DataSize() const {
  return static_cast<std::uint64_t>(Count()) * static_cast<std::uint64_t>(record_size_);
}

void TQ730::Renumber() {
  RenumberFrom(1);
}

void TQ730::RenumberFrom(int first) {
  for (int i = 0; i < Count(); ++i) {
    std::uint8_t* record = records_.data() + static_cast<std::size_t>(i) * record_size_;
    PutU16(record + record_size_ - 4, static_cast<std::uint32_t>(first + i));
    StoreChecksum(record, record_size_);
  }
}

bool TQ730::CanDo(int index, int op) const {
  switch (op) {
    case kOpCut:
    case kOpCopy:
    case kOpDelete:
      for (int i = 0, n = Count(); i < n; ++i) {
        if (IsSelected(i)) return true;
      }
      return false;
    case kOpPaste:
      return clipboard_ && clipboard_->HoldsKind(kind_);
    case kOpNew:
      return Count() < MaxCount();
    case kOpStore:
    case kOpRecall:
      return index < Count();
    default:
      return false;
  }
}

std::span<std::uint8_t> TQ730::Record(int index) {
  if (index < 0 || index >= Count()) return {};
  return {records_.data() + static_cast<std::size_t>(index) * record_size_,
          static_cast<std::size_t>(record_size_)};
}

std::span<const std::uint8_t> TQ730::Record(int index) const {
  if (index < 0 || index >= Count()) return {};
  return {records_.data() + static_cast<std::size_t>(index) * record_size_,
          static_cast<std::size_t>(record_size_)};
}

int TQ730::AppendRecord() {
  records_.resize(records_.size() + record_size_);  // zeros
  selected_.push_back(0);
  return Count() - 1;
}

void TQ730::SetName(int index, std::string_view text) {
  auto record = Record(index);
  if (record.size() < static_cast<std::size_t>(name_offset_ + name_length_)) return;
  SetSlotText(record.data() + name_offset_, name_length_, text);
}

std::string TQ730::NameText(int index) const {
  auto record = Record(index);
  if (record.size() < static_cast<std::size_t>(name_offset_ + name_length_)) return {};
  return SlotText(record.data() + name_offset_, name_length_);
}

std::string TQ730::NumberText(int index) const {
  const int n = index + 1;
  return (n < 10 ? " " : "") + std::to_string(n);
}

bool TQ730::IsSelected(int index) const {
  return index >= 0 && index < Count() && selected_[index] != 0;
}

void TQ730::SetSelected(int index, bool on) {
  if (index >= 0 && index < Count()) selected_[index] = on ? 1 : 0;
}

void TQ730::DeselectAllChannels() {
  for (int c = 0, n = ChannelCount(); c < n; ++c) SetChannelSelected(c, false);
}

void TQ730::SelectAllChannels() {
  for (int c = 0, n = ChannelCount(); c < n; ++c) SetChannelSelected(c, true);
}

void TQ730::DeleteSelected() {
  // One stable pass: the kept records close up in their order, a run of them at a time.
  const std::size_t size = record_size_;
  const std::size_t n = selected_.size();
  std::size_t kept = 0;
  for (std::size_t i = 0; i < n;) {
    if (selected_[i]) {
      ++i;
      continue;
    }
    std::size_t end = i;
    while (end < n && !selected_[end]) ++end;
    if (kept != i) std::memmove(&records_[kept * size], &records_[i * size], (end - i) * size);
    kept += end - i;
    i = end;
  }
  std::fill(selected_.begin(), selected_.begin() + static_cast<std::ptrdiff_t>(kept), 0);
  records_.resize(kept * size);
  selected_.resize(kept);
}

void TQ730::DeleteRecord(int index) {
  if (index < 0 || index >= Count()) return;
  const auto at = records_.begin() + static_cast<std::ptrdiff_t>(index) * record_size_;
  records_.erase(at, at + record_size_);
  selected_.erase(selected_.begin() + index);
}

int TQ730::RecordNumber(int index) const {
  auto record = Record(index);
  return record.empty() ? -1 : GetU16(record.data() + record_size_ - 4);
}

int TQ730::ChannelCount() const {
  return system_ ? system_->ChannelCount() : 0;
}

int TQ730::ChannelKind(int channel) const {
  return system_ ? system_->ChannelKind(channel) : -1;
}

int TQ730::FirstChannelOf(int kind) const {
  return system_ ? system_->FirstChannelOf(kind) : 0;
}

bool TQ730::TitleLocked() const {
  return system_ && system_->Locked();
}

FrameRate TQ730::Rate() const {
  return system_ ? FrameRateOfMode(system_->TimecodeMode()) : FrameRate{30};
}

std::span<std::uint8_t> TQ730::ParamBytes(int channel) {
  return Record(channel);
}

const ParamDescriptor* TQ730::FindParam(int, int id) const {
  for (const ParamDescriptor& row : params_) {
    if (row.id == 0) break;
    if (row.id == id) return &row;
  }
  return nullptr;
}

int TQ730::ParamMax(int channel, int id) const {
  const ParamDescriptor* row = FindParam(channel, id);
  return row ? row->max : 32767;
}

int TQ730::ParamDefault(int channel, int id) const {
  const ParamDescriptor* row = FindParam(channel, id);
  if (!row) return -1;
  if (row->def == -2) return -1;
  if (row->def == -1) return row->max / 2;
  return row->def;
}

namespace {

// Bytes a storage kind occupies, 0 for kinds that have no bytes of their own.
std::size_t StorageWidth(int storage) {
  switch (storage) {
    case kStoreByte:
    case kStoreInverted:
      return 1;
    case kStoreWord:
      return 2;
    case kStoreLong:
      return 4;
    case kStoreBlock:
      return 1;
    default:
      return storage >= kStoreChoice0 && storage <= kStoreChoice2 ? 1 : 0;
  }
}

// The descriptor's bytes inside the block, or null when they do not fit in it.
template <typename Byte>
Byte* FieldOf(std::span<Byte> block, const ParamDescriptor& row) {
  const std::size_t width = StorageWidth(row.storage);
  if (width == 0 || block.empty() || row.offset < 0 ||
      static_cast<std::size_t>(row.offset) + width > block.size())
    return nullptr;
  return block.data() + row.offset;
}

}  // namespace

int TQ730::GetParam(int channel, int id) const {
  return ReadSource(SourceOf(channel, id));
}

TQ730::ParamSource TQ730::SourceOf(int channel, int id) const {
  if (system_ && !ExistsInLayout(*system_, id)) return {};
  const ParamDescriptor* row = FindParam(channel, id);
  if (!row) return {};
  const std::uint8_t* p = FieldOf(ParamBytes(channel), *row);
  if (!p) return {};
  // An address does not fit the value; the offset names the same bytes.
  if (row->storage == kStoreBlock) return {.value = row->offset};
  return {p, row->storage};
}

std::span<const std::uint8_t> TQ730::ParamField(int channel, int id) const {
  const ParamSource source = SourceOf(channel, id);
  if (!source.at) return {};
  return {source.at, source.bit != 0 ? 1 : StorageWidth(source.storage)};
}

const std::uint8_t* TQ730::ParamAddress(int channel, int id) const {
  const ParamDescriptor* row = FindParam(channel, id);
  if (!row || row->storage != kStoreBlock) return nullptr;
  return FieldOf(ParamBytes(channel), *row);
}

void TQ730::SetParam(int channel, int id, int value) {
  if (!StoreField(channel, id, value) || !CouplesThresholds(id)) return;
  KeepThresholds(
      id, [&](int read) { return GetParam(channel, read); },
      [&](int write, int kept) { StoreField(channel, write, kept); });
}

std::uint8_t* TQ730::StoreTarget(int channel, int id, const ParamDescriptor*& row) {
  if (channel < 0 || (system_ && !ExistsInLayout(*system_, id))) return nullptr;
  row = FindParam(channel, id);
  if (!row || row->storage == kStoreBlock) return nullptr;
  return FieldOf(ParamBytes(channel), *row);
}

bool TQ730::StoreField(int channel, int id, int value) {
  if (value < 0 || TitleLocked() || !edit_enabled_) return false;
  const ParamDescriptor* row = nullptr;
  std::uint8_t* at = StoreTarget(channel, id, row);
  if (!at) return false;
  PutField(at, row->storage, std::min(value, row->max));
  return true;
}

void TQ730::CopySelected(TClip& clip, bool with_names, Prompter* prompter) {
  clip.CopyFrom(*this, with_names, prompter);
}

void TQ730::CutSelected(TClip& clip) {
  CopySelected(clip, true, nullptr);
  DeleteSelected();
}

void TQ730::PasteFromClipboard(const TClip& clip) {
  clip.PasteInto(*this);
}

namespace {

// The levels a group-fader entry can take: the fader law's range in hundredths of a dB.
constexpr double kLowestLevel = -10000;
constexpr double kHighestLevel = 1000;

}  // namespace

void TQ730::CopyParamValue(int source, int dest) {
  // The same parameter on both sides changes nothing, not even a renewed fader slot.
  if (source == dest) return;
  EditFlagScope edit(*this);
  for (int c = 0, n = ChannelCount(); c < n; ++c) {
    if (!IsChannelSelected(c)) continue;
    const int value = GetParam(c, source);
    if (value >= 0) SetParam(c, dest, value);
  }
}

void TQ730::ResetParams(const ParamGroupList& groups) {
  EditFlagScope edit(*this);
  // A library's rows are its entries, up to 99, however many channels the console has.
  const bool library = kind_ == kDynLib || kind_ == kEqLib;
  for (int c = 0, n = library ? Count() : ChannelCount(); c < n; ++c) {
    if (!IsChannelSelected(c)) continue;
    for (const ParamGroup& group : groups) {
      for (int id : group.ids) {
        const int value = ParamDefault(c, id);
        if (value >= 0) SetParam(c, id, value);
      }
    }
  }
}

void TQ730::TrimParam(int id, double db) {
  if (!IsLevelParam(id) || !std::isfinite(db)) return;
  EditFlagScope edit(*this);
  for (int c = 0, n = ChannelCount(); c < n; ++c) {
    if (!IsChannelSelected(c)) continue;
    const std::optional<std::int32_t> group_level =
        kind_ == kSystem && system_ ? system_->GroupLevel(c) : std::nullopt;
    if (id == kParamFaderLevel && GetParam(c, kParamUnderGroupMaster) == 1 && group_level) {
      // Under a group master the fader follows its group-fader level (hundredths of a dB).
      const double level = std::trunc(*group_level + db * 100);
      SetParam(c, kParamGroupFaderLevel,
               static_cast<int>(std::clamp(level, kLowestLevel, kHighestLevel)));
      continue;
    }
    const int value = GetParam(c, id);
    if (value >= 0) SetParam(c, id, NearestFaderIndex(FaderDb(value) + db));
  }
}

void TQ730::ListParams(ParamGroupList& list) const {
  for (ParamGroup& group : ParamGroupsOf(kind_, system_)) list.push_back(std::move(group));
}

}  // namespace orb
