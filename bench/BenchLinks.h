// Worst cases for the channel links, shared by the benchmarks.
#pragma once

#include <algorithm>
#include <cstdint>

#include "core/model/ParamModel.h"
#include "core/model/Q730classes.h"
#include "core/model/Q730sysf.h"

namespace orb::bench {

// Every pair of the list's current record linked, inputs in surround groups and buses in
// stereo.
inline void LinkEveryPair(TQ730& list) {
  for (int c = 0; c < list.ChannelCount(); c += 2)
    list.SetParam(c, 102, list.ChannelKind(c) == kGroupInput ? kSurround : kStereo);
}

// Every linking function on, for stereo pairs and for all surround members.
inline void LinkEveryFunction(TQ730SYSF& system) {
  std::uint8_t* block = system.Block().data();
  std::fill(block + kStereoFunctions, block + kStereoFunctions + 9, 1);
  for (int r = 0; r < kSurroundRecordCount; ++r) {
    std::uint8_t* record = block + kSurroundRecords + 3 * r;
    record[0] = 1;
    record[1] = 1 | 4;
    record[2] = 7;
  }
}

}  // namespace orb::bench
