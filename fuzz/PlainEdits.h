// The editing operations that have fast paths, done the plain way: item by item through
// GetParam and SetParam, channel after channel. The tests and the fuzz targets compare the fast
// paths with these byte for byte.
#pragma once

#include <array>
#include <vector>

#include "core/model/Clip.h"
#include "core/model/Q730auto.h"
#include "core/model/Q730snap.h"

namespace orb::plain {

// Record, position, channel group, id and value of each copied value.
using Items = std::vector<std::array<int, 5>>;
Items ItemsOf(const TClip& clip);

// A copy of the selected snapshots, read through GetParam on each as the current record.
Items ReadSnapshots(TQ730SNAP& snaps);

// A paste into the selected snapshots through SetParam: every item into every snapshot
// (copied channels), or each snapshot the next copied record in turn with its name (copied
// snapshots).
void PasteIntoSnapshots(const TClip& clip, TQ730SNAP& snaps);

// Zero on the selected snapshots: each as the current record, channel by channel.
void ResetSnapshots(TQ730SNAP& snaps, const ParamGroupList& groups);

// The events of param on each of the first channels, as lists of new events for WriteEvents
// (value bits only), moved by the given number of frames.
std::vector<std::vector<AutoEvent>> ChannelEvents(const TQ730AUTO& automation, int param,
                                                  int channels, int frames);

// Selecting the events of param on the selected channels within [from, to) seconds (the bounds
// in either order), event by event and channel by channel.
void SelectRange(TQ730AUTO& automation, int param, double from, double to);

// Deleting the selected events, then on every selected channel the start value of param
// searched anew from the first event.
void DeleteSelected(TQ730AUTO& automation, int param);

}  // namespace orb::plain
