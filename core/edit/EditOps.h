// The core of the editor's commands that change channel settings: Paste, Recall and the Do
// menu (Zero, Fader Copy, Trim Fader, Set Group, Reset Group). Each pushes one undo step
// before the change and runs the link pass afterwards; the dialogs come through the Prompter
// or as arguments that the GUI's dialogs supply.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/model/Title.h"

namespace orb {

class TClip;
class UndoRing;

// What the editor connects from the channel links.
struct EditHooks {
  // Runs the link pass over all channels of the list's current record.
  std::function<void(TQ730& list)> link_pass;
  // SetParamLinked of the editor context: a write that stereo, surround, group and gang
  // partners follow. Without it the write goes to SetParam alone.
  std::function<void(TQ730& list, int channel, int id, int value)> set_param_linked;
};

struct EditContext {
  Title& title;
  UndoRing& undo;
  TClip& clip;
  Prompter* prompter = nullptr;
  EditHooks hooks;
};

// A level parameter that Fader Copy and Trim Fader offer.
struct LevelChoice {
  std::string text;  // "Fader", "MTR Send", "AUX n Send"
  int id;
};
// "Fader", "MTR Send" and one send per AUX bus of the layout, in list order.
std::vector<LevelChoice> LevelChoices(const TQ730SYSF& system);

// The trim text as a decimal number of decibels; false for anything else, the dialog then
// stays open.
bool ParseTrim(std::string_view text, double& db);

// The membership parameter Set and Reset Group write for fader group g (0 to 7): the cut
// group (127) for a group of type CUT, else the fader group (126).
int GroupMembershipParam(const TQ730SYSF& system, int group);

// Paste of the clipboard into the list's selection.
void PasteCommand(EditContext& edit, TQ730& list);
// Zero: asks for the groups with the "Zero" caption; false on Cancel, which changes nothing.
bool ZeroCommand(EditContext& edit, TQ730& list);
void FaderCopyCommand(EditContext& edit, TQ730& list, int source, int dest);
void TrimFaderCommand(EditContext& edit, TQ730& list, int id, double db);
// Set Group (set) or Reset Group on the selected channels of the system data.
void SetGroupCommand(EditContext& edit, int group, bool set);
// Recall of entry index of a library (snapshots, dynamics or EQ) into the channel.
void RecallCommand(EditContext& edit, TQ730& library, int channel, int index);

}  // namespace orb
