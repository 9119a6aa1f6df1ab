#include "model/Q730lib.h"

#include <cstring>

#include "model/Q730snap.h"

namespace orb {
namespace {

constexpr char kVersionTag[4] = {'V', '0', '0', '2'};

constexpr int kDynamicsAt = 28;
constexpr int kFilterAt = 28;
constexpr int kEqAt = 34;
constexpr int kFilterFlagAt = 54;
// LF and HF off at frequency step 23: what a channel without filters stores.
constexpr std::uint8_t kNoFilters[TQ730SYSF::kFilterBlockSize] = {0, 0, 23, 0, 0, 23};

constexpr ParamDescriptor kDynamicsParams[] = {
    {16, kStoreBlock, 1, 28, -2},    {17, kStoreByte, 1, 28, -1},     {19, kStoreByte, 1, 29, -1},
    {18, kStoreInverted, 1, 29, -1}, {42, kStoreByte, 1, 30, -1},     {26, kStoreByte, 1, 32, -1},
    {24, kStoreByte, 1, 33, -1},     {23, kStoreInverted, 1, 33, -1}, {20, kStoreByte, 1, 34, -1},
    {37, kStoreByte, 60, 35, -1},    {38, kStoreByte, 60, 36, -1},    {40, kStoreByte, 7, 37, -1},
    {33, kStoreByte, 105, 38, -1},   {34, kStoreByte, 30, 39, -1},    {35, kStoreByte, 105, 40, -1},
    {39, kStoreByte, 96, 41, -1},    {36, kStoreByte, 120, 42, -1},   {25, kStoreByte, 1, 44, -1},
    {22, kStoreByte, 1, 45, -1},     {21, kStoreInverted, 1, 45, -1}, {31, kStoreByte, 60, 46, -1},
    {27, kStoreByte, 125, 47, -1},   {28, kStoreByte, 30, 48, -1},    {29, kStoreByte, 105, 49, -1},
    {32, kStoreByte, 96, 50, -1},    {30, kStoreByte, 120, 51, -1},
};

constexpr ParamDescriptor kEqParams[] = {
    {44, kStoreBlock, 1, 28, -2},  {46, kStoreByte, 1, 28, -1},   {52, kStoreByte, 1, 29, -1},
    {55, kStoreByte, 47, 30, -1},  {51, kStoreByte, 1, 31, -1},   {60, kStoreByte, 47, 33, -1},
    {43, kStoreBlock, 1, 34, -2},  {45, kStoreByte, 1, 34, -1},   {53, kStoreByte, 1, 35, -1},
    {54, kStoreByte, 1, 36, -1},   {47, kStoreByte, 1, 38, -1},   {56, kStoreByte, 60, 39, -1},
    {65, kStoreByte, 127, 40, -1}, {61, kStoreByte, 62, 41, -1},  {48, kStoreByte, 1, 42, -1},
    {57, kStoreByte, 60, 43, -1},  {66, kStoreByte, 127, 44, -1}, {62, kStoreByte, 62, 45, -1},
    {49, kStoreByte, 1, 46, -1},   {58, kStoreByte, 60, 47, -1},  {67, kStoreByte, 127, 48, -1},
    {63, kStoreByte, 62, 49, -1},  {50, kStoreByte, 1, 50, -1},   {59, kStoreByte, 60, 51, -1},
    {68, kStoreByte, 127, 52, -1}, {64, kStoreByte, 62, 53, -1},
};

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
  SetParamTable(kDynamicsParams);
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
  SetParamTable(kEqParams);
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
