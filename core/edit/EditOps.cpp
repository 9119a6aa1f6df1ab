#include "core/edit/EditOps.h"

#include <charconv>
#include <cmath>

#include "core/edit/StepName.h"
#include "core/edit/Undo.h"
#include "core/model/Clip.h"
#include "core/model/ParamIds.h"

namespace orb {
namespace {

void LinkPass(EditContext& edit, TQ730& list) {
  if (edit.hooks.link_pass) edit.hooks.link_pass(list);
}

}  // namespace

std::vector<LevelChoice> LevelChoices(const TQ730SYSF& system) {
  std::vector<LevelChoice> choices = {{"Fader", kParamFaderLevel}, {"MTR Send", kParamMtrLevel}};
  for (int n = 1, aux = system.GroupSize(kGroupAUX); n <= aux; ++n)
    choices.push_back({"AUX " + std::to_string(n) + " Send", kParamAuxLevel + n - 1});
  return choices;
}

bool ParseTrim(std::string_view text, double& db) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  // from_chars takes no plus sign; one is allowed before the number, not before a minus.
  if (!text.empty() && text.front() == '+') {
    text.remove_prefix(1);
    if (!text.empty() && text.front() == '-') return false;
  }
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
    return false;
  db = value;
  return true;
}

int GroupMembershipParam(const TQ730SYSF& system, int group) {
  constexpr int kCutGroupType = 2;
  return system.GetParam(group, kParamGroupType) == kCutGroupType ? kParamCutGroup
                                                                  : kParamFaderGroup;
}

void PasteCommand(EditContext& edit, TQ730& list) {
  edit.undo.Push(edit.title, edit.prompter, StepName("Paste", list));
  list.PasteFromClipboard(edit.clip);
  if (list.Kind() == TQ730::kSystem) {
    LinkPass(edit, list);
  } else if (list.Kind() == TQ730::kSnapshot) {
    const int current = list.CurrentRecord();
    for (int s = 0, n = list.Count(); s < n; ++s) {
      if (!list.IsSelected(s)) continue;
      list.SetCurrentRecord(s);
      LinkPass(edit, list);
    }
    list.SetCurrentRecord(current);
  }
}

bool ZeroCommand(EditContext& edit, TQ730& list) {
  ParamGroupList groups;
  list.ListParams(groups);
  if (!edit.prompter || !edit.prompter->ChooseParamGroups(kZeroCaption, groups)) return false;
  edit.undo.Push(edit.title, edit.prompter, StepName("Zero", list));
  list.ResetParams(groups);
  LinkPass(edit, list);
  return true;
}

void FaderCopyCommand(EditContext& edit, TQ730& list, int source, int dest) {
  edit.undo.Push(edit.title, edit.prompter, StepName("Fader Copy", list));
  list.CopyParamValue(source, dest);
  LinkPass(edit, list);
}

void TrimFaderCommand(EditContext& edit, TQ730& list, int id, double db) {
  // Inside the snapshots only the current one is trimmed.
  edit.undo.Push(edit.title, edit.prompter,
                 list.Kind() == TQ730::kSnapshot ? "Trim " + EntryText(list, list.CurrentRecord())
                                                 : StepName("Trim", list));
  list.TrimParam(id, db);
  LinkPass(edit, list);
}

void SetGroupCommand(EditContext& edit, int group, bool set) {
  TQ730SYSF& system = edit.title.System();
  edit.undo.Push(edit.title, edit.prompter, StepName(set ? "Set Group" : "Reset Group", system));
  const int id = GroupMembershipParam(system, group);
  const int value = set ? group + 1 : 0;
  for (int c = 0, n = system.ChannelCount(); c < n; ++c) {
    if (!system.IsChannelSelected(c)) continue;
    if (edit.hooks.set_param_linked) {
      edit.hooks.set_param_linked(system, c, id, value);
    } else {
      system.SetParam(c, id, value);
    }
  }
  LinkPass(edit, system);
}

void RecallCommand(EditContext& edit, TQ730& library, int channel, int index) {
  edit.undo.Push(edit.title, edit.prompter,
                 "Recall " + EntryText(library, index) + " into " + ChannelText(library, channel));
  library.RecallRecord(channel, index);
  LinkPass(edit, edit.title.System());
}

}  // namespace orb
