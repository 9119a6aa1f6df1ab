// The names of undo steps, as Edit → Undo, Redo and History show them: "Trim CH 3",
// "Paste 4 snapshots", "Write Level CH 1–4", "Rename CH 2".
#pragma once

#include <string>
#include <string_view>

#include "core/model/Q730classes.h"

namespace orb {

// "CH 3", "MTR 2", "AUX 1", "RTN 4", "PGM"; empty outside the layout.
std::string ChannelText(const TQ730& list, int channel);
// The selected channels (system data and automation rows) or entries of the list: "CH 1–4",
// "CH 2, MTR 1", "12 channels", "snapshot 3", "4 snapshots".
std::string SelectionText(const TQ730& list);
// One entry of the list: "CH 2" on the system data, "snapshot 3", "cue 1", "EQ entry 7".
std::string EntryText(const TQ730& list, int index);
// Verb and selection: "Paste 4 snapshots".
std::string StepName(std::string_view verb, const TQ730& list);
// One parameter of one channel or entry, as a panel gesture changes it: "Level CH 1",
// "Trim CH 3 in snapshot 2", "Attack EQ entry 7".
std::string ParamStepName(const TQ730& list, int channel, int id);

}  // namespace orb
