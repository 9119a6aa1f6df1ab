#include "core/model/Q730lib.h"

#include <cstring>

#include "core/model/ParamModel.h"
#include "core/model/Q730snap.h"
#include "core/model/Q730sysf.h"

namespace orb {
namespace {

constexpr char kVersionTag[4] = {'V', '0', '0', '2'};

constexpr int kDynamicsAt = 28;
constexpr int kFilterAt = 28;
constexpr int kEqAt = 34;
constexpr int kFilterFlagAt = 54;
// LF and HF off at frequency step 23: what a channel without filters stores.
constexpr std::uint8_t kNoFilters[TQ730SYSF::kFilterBlockSize] = {0, 0, 23, 0, 0, 23};

bool InLayout(const TQ730& list, int channel) {
  return channel >= 0 && channel < list.ChannelCount();
}

void StartEntry(TQ730& list, int index) {
  std::memcpy(list.Record(index).data(), kVersionTag, sizeof kVersionTag);
  list.SetName(index, DefaultRecordName(index + 1));
}

void SelectOnly(TQ730& list, int index) {
  for (int i = 0, n = list.Count(); i < n; ++i) list.SetSelected(i, i == index);
}

}  // namespace

TQ730DYLIB::TQ730DYLIB() : TQ730(kDynLib, "dylib.dat", kRecordSize, 99) {
  SetParamTable(DynamicsLibraryParams());
}

Status TQ730DYLIB::Load(DataFile& file) {
  return LoadRecordChunk(file);
}

int TQ730DYLIB::NewRecord(int channel) {
  if (!CanDo(-1, kOpNew) || !InLayout(*this, channel)) return -1;
  const int index = AppendRecord();
  StartEntry(*this, index);
  StoreRecord(channel, index);
  return index;
}

void TQ730DYLIB::StoreRecord(int channel, int index) {
  auto record = Record(index);
  if (record.empty() || !InLayout(*this, channel)) return;
  SelectOnly(*this, index);
  if (const std::uint8_t* block = System()->DynamicsBlock(channel))
    std::memcpy(record.data() + kDynamicsAt, block, TQ730SYSF::kDynamicsBlockSize);
}

void TQ730DYLIB::RecallRecord(int channel, int index) {
  auto record = Record(index);
  if (record.empty() || !InLayout(*this, channel)) return;
  SelectOnly(*this, index);
  if (std::uint8_t* block = System()->DynamicsBlock(channel))
    std::memcpy(block, record.data() + kDynamicsAt, TQ730SYSF::kDynamicsBlockSize);
}

TQ730EQLIB::TQ730EQLIB() : TQ730(kEqLib, "eqlib.dat", kRecordSize, 99) {
  SetParamTable(EqLibraryParams(0));
}

const ParamDescriptor* TQ730EQLIB::FindParam(int, int id) const {
  for (const ParamDescriptor& row : EqLibraryParams(System() ? System()->SampleRateMode() : 0)) {
    if (row.id == id) return &row;
  }
  return nullptr;
}

Status TQ730EQLIB::Load(DataFile& file) {
  return LoadRecordChunk(file);
}

int TQ730EQLIB::NewRecord(int channel) {
  if (!CanDo(-1, kOpNew) || !InLayout(*this, channel)) return -1;
  const int index = AppendRecord();
  StartEntry(*this, index);
  StoreRecord(channel, index);
  return index;
}

void TQ730EQLIB::StoreRecord(int channel, int index) {
  auto record = Record(index);
  if (record.empty() || !InLayout(*this, channel)) return;
  SelectOnly(*this, index);
  const std::uint8_t* eq = System()->EqBlock(channel);
  if (!eq) return;
  std::memcpy(record.data() + kEqAt, eq, TQ730SYSF::kEqBlockSize);
  record[kFilterFlagAt] = 1;
  const std::uint8_t* filter = System()->FilterBlock(channel);
  std::memcpy(record.data() + kFilterAt, filter ? filter : kNoFilters, TQ730SYSF::kFilterBlockSize);
}

void TQ730EQLIB::RecallRecord(int channel, int index) {
  auto record = Record(index);
  if (record.empty() || !InLayout(*this, channel)) return;
  SelectOnly(*this, index);
  std::uint8_t* eq = System()->EqBlock(channel);
  if (!eq) return;
  std::memcpy(eq, record.data() + kEqAt, TQ730SYSF::kEqBlockSize);
  if (std::uint8_t* filter = System()->FilterBlock(channel))
    std::memcpy(filter, record.data() + kFilterAt, TQ730SYSF::kFilterBlockSize);
}

}  // namespace orb
