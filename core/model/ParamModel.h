// The parameter model: where every console parameter lies in the channel strips and library
// records, the system parameters, the linking functions, the threshold coupling and the
// parameter groups that copying and resetting offer.
#pragma once

#include <array>
#include <span>

#include "core/model/ParamIds.h"
#include "core/model/Q730classes.h"

namespace orb {

// A descriptor whose value the record type computes itself.
inline constexpr int kStoreComputed = 2;

// Where a channel kind's data lies in the system block and in a snapshot record: its strips and
// its pair bytes (pair_stride 0: the kind has no pairs).
struct ChannelPlace {
  int strip_system;
  int strip_snapshot;
  int strip_size;
  int pair_system;
  int pair_snapshot;
  int pair_stride;
  int pair_count;
};
inline constexpr ChannelPlace kChannelPlaces[5] = {
    {1260, 124, 132, 7596, 28, 4, 24},   // CH
    {8404, 7172, 48, 8396, 7164, 2, 4},  // MTR
    {8012, 6780, 48, 8004, 6772, 2, 4},  // AUX
    {7700, 6468, 32, 7692, 6460, 2, 4},  // RTN
    {7956, 6724, 48, -1, -1, 0, 0},      // PGM
};

// The eight fader groups: bytes 142, 143, 144 of group g at start + 6 g.
inline constexpr int kFaderGroups = 8;
inline constexpr int kGroupBytesSystem = 8794;
inline constexpr int kGroupBytesSnapshot = 7562;
inline constexpr int kGroupStride = 6;

// Link modes of a pair (parameter 102).
inline constexpr int kMono = 0;
inline constexpr int kStereo = 1;
inline constexpr int kSurround = 2;

// The bit of a CH pair's second byte that holds stereo link function 116 "Reverse", 117 "L + R"
// or 118 "MS Decode".
constexpr int StereoFunctionBit(int id) {
  return id == kParamStereoReverse ? 4 : id == kParamStereoLPlusR ? 1 : 2;
}

// The strip table of a channel kind (0 CH … 4 PGM) at a sample-rate code; empty for any other
// kind. The delay and "HF Freq" maxima follow the rate.
std::span<const ParamDescriptor> StripParams(int kind, int rate_mode);
const ParamDescriptor* FindStripParam(int kind, int id, int rate_mode);
std::span<const ParamDescriptor> DynamicsLibraryParams();
std::span<const ParamDescriptor> EqLibraryParams(int rate_mode);
// The descriptor of a system parameter (111, 128, 130 to 172); none for any other id.
const ParamDescriptor* FindSystemParam(int id);
inline bool IsSystemParam(int id) {
  return id == kParamGroupFaderLevel || id == kParamSnapshotIsolate ||
         (id >= kParamSystemFirst && id <= kParamSystemLast);
}

// Stored delay counts 1/256 sample: one second at 48 and 44.1 kHz, half a second at the high
// rates. An unknown rate code counts as 48 kHz.
int DelayMax(int rate_mode);
int HfFreqMax(int rate_mode);
int SampleRateOrDefault(int rate_mode);

// Sends, bus assigns and the PGM parameters exist only where the layout has their bus.
bool ExistsInLayout(const TQ730SYSF& system, int id);

// Whether the channel's dynamics may link to the next channel (parameter 42).
bool CanLinkDynamics(const TQ730SYSF& system, int channel);

// One row of the linking function table: the ids it covers, the position of its settings in
// the system block and the caption the SETUP page shows (rows 9 and 10 have none).
struct LinkFunction {
  int first_id;
  int last_id;
  int position;
  const char* caption;
};
inline constexpr std::array<LinkFunction, 11> kLinkFunctions = {{
    {1, 1, 6, "TRIM"},
    {3, 5, 7, "DLY"},
    {45, 68, 4, "EQ/\nFIL"},
    {17, 40, 5, "DYN"},
    {106, 106, 2, "CH\nCUT"},
    {110, 110, 0, "CH\nFDR"},
    {104, 104, 3, "MTR\nCUT"},
    {108, 108, 1, "MTR\nFDR"},
    {-1, -1, 8, "SOLO"},
    {126, 126, 0, ""},
    {127, 127, 2, ""},
}};
// The first row covering the id, or -1.
int LinkFunctionOf(int id);
inline constexpr int kStereoFunctions = 8980;  // one on byte per position
inline constexpr int kSurroundRecords = 8932;  // sixteen records of three bytes
inline constexpr int kSurroundRecordCount = 16;

// The channels that follow a change of id on channel, for a channel whose pair has the given
// link mode; the linking function settings come from the system data.
LinkedSet LinkedChannelsOf(const TQ730SYSF& system, int channel, int id, int mode);

// Threshold index to tenths of a dB: 0.0 dB, -0.5 dB a step down to -45.0 at 90, then -1 dB a
// step down to -80.0 at 125. Indexes outside 0 … 125 are taken at the nearer end.
int ThresholdTenths(int index);

// The compressor threshold minus the knee must stay at or above the gate threshold. Given the
// id just written (33, 27 or 40) and the block's values afterwards, the values that keep it.
struct ThresholdPair {
  int comp;
  int gate;
};
ThresholdPair CoupledThresholds(int written_id, ThresholdPair now, int knee);

// After a write of id 33, 27 or 40 into a dynamics block: keeps the COMP/DUCK threshold minus
// the knee at or above the EXP/GATE threshold, reading the block's values with read(id) (-1:
// none) and storing the moved threshold with store(id, value).
template <typename Read, typename Store>
void KeepThresholds(int written_id, Read read, Store store) {
  const int comp = read(kParamCompDuckThreshold);
  const int gate = read(kParamExpGateThreshold);
  const int knee = read(kParamCompKnee);
  if (comp < 0 || gate < 0 || knee < 0) return;
  const ThresholdPair kept = CoupledThresholds(written_id, {comp, gate}, knee);
  if (kept.comp != comp) store(kParamCompDuckThreshold, kept.comp);
  if (kept.gate != gate) store(kParamExpGateThreshold, kept.gate);
}

// The parameter groups of a list kind (TQ730::Kind): the channel groups for the system data and
// snapshots, the library's own groups; only ids the layout has.
ParamGroupList ParamGroupsOf(int kind, const TQ730SYSF* system);
// All ids of the groups, in order.
std::vector<int> ParamIdsOf(const ParamGroupList& groups);

}  // namespace orb
