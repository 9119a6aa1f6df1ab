#include "core/editor/EditSession.h"

#include <algorithm>
#include <filesystem>
#include <utility>

#include "core/edit/EditOps.h"
#include "core/edit/StepName.h"
#include "core/editor/AutomationViews.h"
#include "core/editor/NameImport.h"
#include "core/model/ParamIds.h"
#include "core/model/ParamNames.h"
#include "core/model/Q730.h"
#include "core/storage/Library.h"

namespace orb {
namespace {

constexpr double kDayEnd = 86399;

}  // namespace

EditSession::EditSession(TClip& clip, Prompter* prompter)
    : clip_(clip), prompter_(prompter), title_(std::make_unique<Title>()) {
  AfterExchange();
}

EditSession::~EditSession() = default;

Status EditSession::Open(const std::string& path) {
  title_ = std::make_unique<Title>();
  load_status_ = title_->OpenTitle(path);
  if (load_status_ != kOk && prompter_) {
    const char* message = StatusMessage(load_status_);
    prompter_->Message(*message ? message : "Failed.", "Error", Buttons::kOk);
  }
  undo_.Clear();
  locked_at_open_ = title_->System().Locked();
  links_.reset();
  AfterExchange();
  title_->SetModified(false);
  saved_.fill(0);
  cursor_ = 0;
  Refresh();
  return load_status_;
}

void EditSession::AfterExchange() {
  for (int n = 0; n < Title::kListCount; ++n) title_->List(n)->SetClipboard(&clip_);
  if (links_) {
    links_->Rebind(title_->System());
  } else {
    links_ = std::make_unique<LinkContext>(title_->System());
    links_->SetModifiedSink([this] { title_->SetModified(true); });
  }
  ApplyEditRange();
}

TQ730& EditSession::CurrentList() const {
  return ListNumber(CurrentListNumber());
}

bool EditSession::Locked() const {
  return title_->System().Locked();
}

std::string EditSession::Caption() const {
  std::string caption = "Edit - " + std::filesystem::path(title_->Path()).filename().string();
  if (Locked()) {
    caption += " (Locked)";
  } else if (Modified()) {
    caption += " *";
  }
  return caption;
}

std::string EditSession::WindowCaption() const {
  if (!Damaged()) return Caption();
  const char* reason = StatusMessage(load_status_);
  return Caption() + " - not loaded completely (" + (*reason ? reason : "Failed.") + ")";
}

PanelHandover EditSession::Handover() const {
  return {CurrentListNumber(), Page(), cursor_, SystemPage() ? bank_ : 0};
}

void EditSession::StoreCursor() {
  saved_[static_cast<std::size_t>(SystemPage() ? 0 : Page())] = cursor_;
}

void EditSession::ChangeTab(int tab) {
  if (tab < 0 || tab >= kTabCount) return;
  ClosePickList();
  StoreCursor();
  tab_ = tab;
  Refresh();
}

void EditSession::SetCursor(int index) {
  if (index < 0 || index >= CurrentList().Count()) return;
  cursor_ = index;
  if (SystemPage()) {
    const int inputs = title_->System().GroupSize(kGroupInput);
    bank_ = index >= inputs ? 2 : index > 23 ? 1 : 0;
  }
}

void EditSession::MoveCursor(int index) {
  if (index < 0 || index >= std::max(1, CurrentList().MaxCount())) return;
  cursor_ = index;
  SetCursor(index);
}

void EditSession::SetLibraryTag(int tag) {
  if (tag >= 0 && tag < static_cast<int>(kLibraryTargets.size())) library_tag_ = tag;
}

void EditSession::SetFaderGroup(int group) {
  if (group >= 0 && group < 8) fader_group_ = group;
}

void EditSession::SetViewParam(int param) {
  if (ViewIndexOf(param) < 0) return;
  view_ = param;
  ApplyEditRange();
}

void EditSession::ChangeView(int param) {
  if (ViewIndexOf(param) < 0) return;
  SetViewParam(param);
  TQ730AUTO& automation = title_->Automation();
  automation.ClearEventSelection();
  automation.SelectRange(view_, selection_start_, selection_end_);
  ++refreshes_;
}

void EditSession::SetSelection(double start, double end) {
  selection_start_ = start;
  selection_end_ = end;
  ApplyEditRange();
}

// The automation list's edit range always follows the selection: the automation commands and the
// list's own Cut, Copy and Paste take it from there.
void EditSession::ApplyEditRange() {
  title_->Automation().SetEditRange(view_, selection_start_, selection_end_);
}

void EditSession::Refresh() {
  DropPending();
  DropPickList();
  TQ730& list = CurrentList();
  links_->SetCurrent(list);
  // The saved cursor of the page; a stale one (beyond the list's slots) starts at the top.
  cursor_ = saved_[static_cast<std::size_t>(SystemPage() ? 0 : Page())];
  if (cursor_ >= list.MaxCount()) cursor_ = 0;
  pane_.Reset();
  list.SetEditEnabled(false);
  ++refreshes_;
}

// Pick list, entries --------------------------------------------------------------------

void EditSession::FollowMovedCue(int index) {
  TQ730CUE& cues = title_->Cues();
  if (index < 0 || index >= cues.Count()) return;
  SelectEntries(cues, false);
  cues.SetSelected(index, true);
  if (Page() == kPageCue) cursor_ = index;
  saved_[kPageCue] = index;
  Refresh();
}

void EditSession::OpenPickList(int cue, const CueNumberList& list) {
  ClosePickList();
  if (cue < 0 || cue >= title_->Cues().Count() || list.items.empty() || Locked()) return;
  pick_ = {true, cue, list};
}

void EditSession::ChoosePick(int row) {
  if (pick_.visible && row >= 0 && row < static_cast<int>(pick_.list.items.size()))
    pick_.list.chosen = row;
}

void EditSession::ClosePickList() {
  const PickListState pick = std::exchange(pick_, {});
  TQ730CUE& cues = title_->Cues();
  const int row = pick.list.chosen;
  if (!pick.visible || pick.cue >= cues.Count() || row < 0 || Locked()) return;
  const int number = pick.list.items[static_cast<std::size_t>(row)].value;
  if (cues.GetParam(pick.cue, kParamCueEventNumber) == number) return;
  PushUndoStep(ParamStepName(cues, pick.cue, kParamCueEventNumber));
  EditFlagScope edit(cues);
  cues.SetParam(pick.cue, kParamCueEventNumber, number);
  title_->SetModified(true);
}

void EditSession::Enter() {
  ClosePickList();
  bool committed = false;
  if (pending_.item != 0 && panel_.commit_entry) {
    // The panel keeps the pending entry as it left it: gone when committed, kept when refused.
    committed = panel_.commit_entry();
  } else {
    DropPending();
  }
  if (committed) title_->SetModified(true);
}

// Enabling ------------------------------------------------------------------------------

bool EditSession::BlockCheck() const {
  const TQ730SYSF& system = title_->System();
  if (SystemPage()) {
    if (library_tag_ == 1) return system.GetParam(cursor_, kParamDynamicsBlock) != -1;
    if (library_tag_ == 2) return system.GetParam(cursor_, kParamEqBlock) != -1;
    return true;
  }
  // Only a library entry is made from a channel's block; snapshots and cues need none.
  const int list = CurrentListNumber();
  if (list == TQ730::kDynLib) return system.GetParam(saved_[0], kParamDynamicsBlock) != -1;
  if (list == TQ730::kEqLib) return system.GetParam(saved_[0], kParamEqBlock) != -1;
  return true;
}

bool EditSession::CopyPossible() const {
  return CurrentList().CanDo(cursor_, TQ730::kOpCopy) &&
         (HasListPane() || Page() == kPageAutomation) && Page() != kPageCue;
}

Enabling EditSession::Enabled() const {
  const TQ730& list = CurrentList();
  const bool locked = Locked();
  const bool automation = Page() == kPageAutomation;
  const bool pane = HasListPane() || automation;
  const bool copy = CopyPossible();
  const bool system = list.Kind() == TQ730::kSystem;
  Enabling e;
  e.undo = undo_.UndoCount() > 0;
  e.redo = undo_.RedoCount() > 0;
  e.select_all = pane;
  const TQ730& target = SystemPage() ? ListNumber(LibraryButtonTarget().list) : list;
  e.new_entry = !locked && BlockCheck() && target.CanDo(cursor_, TQ730::kOpNew);
  e.store = system && BlockCheck() && !locked;
  e.delete_entries = list.CanDo(cursor_, TQ730::kOpDelete) && !locked;
  e.copy = copy;
  e.cut = list.CanDo(cursor_, TQ730::kOpCut) && copy && pane && !locked;
  e.paste = list.CanDo(cursor_, TQ730::kOpPaste) && pane && !locked;
  e.optional_copy = copy && !automation;
  e.insert_time = selection_start_ != selection_end_ && automation && !locked;
  e.zero = copy && !automation && !locked;
  e.fader_copy = copy && (system || list.Kind() == TQ730::kSnapshot) && !locked;
  e.set_group = copy && system && !locked;
  e.timeline_tools = !locked;
  return e;
}

// Commands ------------------------------------------------------------------------------

void EditSession::PushUndoStep(std::string name) {
  undo_.Push(*title_, prompter_, std::move(name));
  StoreCursor();
}

bool EditSession::ImportNames(const NameImport& names) {
  if (Locked() || names.Changes().empty() || !names.Error().empty()) return false;
  PushUndoStep("Import channel names");
  names.Apply(title_->System());
  title_->SetModified(true);
  Refresh();
  return true;
}

std::string EditSession::StepNameOf(const char* verb) const {
  if (Page() == kPageAutomation)
    return std::string(verb) + " " + ParamName(view_) + " " + SelectionText(title_->Automation());
  return StepName(verb, CurrentList());
}

void EditSession::GoToHistory(int done) {
  if (!undo_.GoTo(*title_, done)) return;
  AfterUndoOrRedo();
}

void EditSession::UndoCommand() {
  if (!undo_.Undo(*title_)) return;
  AfterUndoOrRedo();
}

void EditSession::RedoCommand() {
  if (!undo_.Redo(*title_)) return;
  AfterUndoOrRedo();
}

void EditSession::AfterUndoOrRedo() {
  AfterExchange();
  // An automation list put back carries no selected events, while the timeline still shows
  // its rows and range selected: they select again, so that the next command takes what the
  // user sees.
  TQ730AUTO& automation = title_->Automation();
  const auto [first, last] = automation.SelectedEventSpan();
  if (first == last && selection_end_ > selection_start_)
    automation.SelectRange(view_, selection_start_, selection_end_);
  Refresh();
}

void EditSession::Copy() {
  BusyScope busy(prompter_);
  CurrentList().CopySelected(clip_, true, prompter_);
}

void EditSession::OptionalCopy() {
  if (Page() == kPageAutomation) return;
  CurrentList().CopySelected(clip_, false, prompter_);
}

void EditSession::Cut() {
  if (!Enabled().cut) return;
  PushUndoStep(StepNameOf("Cut"));
  Copy();
  RunDelete();
  Refresh();
}

void EditSession::Delete() {
  if (!Enabled().delete_entries) return;
  PushUndoStep(StepNameOf("Delete"));
  RunDelete();
  Refresh();
}

void EditSession::RunDelete() {
  TQ730& list = CurrentList();
  const int kind = list.Kind();
  if (kind == TQ730::kSnapshot || kind == TQ730::kDynLib || kind == TQ730::kEqLib) {
    DeleteKeepingCueReferences(list);
  } else {
    list.DeleteSelected();
  }
}

void EditSession::DeleteKeepingCueReferences(TQ730& list) {
  // Old position (from 1) to new position, 0 for a deleted record.
  std::vector<int> moved(static_cast<std::size_t>(list.Count()) + 1, 0);
  for (int i = 0, kept = 0, n = list.Count(); i < n; ++i) {
    if (!list.IsSelected(i)) moved[static_cast<std::size_t>(i) + 1] = ++kept;
  }
  list.DeleteSelected();
  const int recall = list.Kind() == TQ730::kSnapshot ? TQ730CUE::kRecallSnapshot
                     : list.Kind() == TQ730::kEqLib  ? TQ730CUE::kRecallEq
                                                     : TQ730CUE::kRecallDynamics;
  title_->Cues().RepointReferences(recall, moved);
}

std::string EditSession::TakeLinkNotice() {
  const std::string text = LinkChangesText(link_changes_);
  link_changes_ = {};
  return text;
}

EditContext EditSession::Context() {
  EditContext edit{*title_, undo_, clip_, prompter_, {}};
  link_changes_ = {};
  // Passes and linked writes run on the list the command names, then the panel's list again.
  edit.hooks.link_pass = [this](TQ730& list) {
    TQ730& keep = links_->Current();
    // Library entries are not channels: their commands re-link the channels themselves.
    const bool library = list.Kind() == TQ730::kDynLib || list.Kind() == TQ730::kEqLib;
    links_->SetCurrent(library ? title_->System() : list);
    link_changes_ += links_->LinkPassAll();
    links_->SetCurrent(keep);
  };
  edit.hooks.set_param_linked = [this](TQ730& list, int channel, int id, int value) {
    TQ730& keep = links_->Current();
    links_->SetCurrent(list);
    links_->SetParamLinked(channel, id, value);
    links_->SetCurrent(keep);
  };
  return edit;
}

void EditSession::Paste() {
  if (!Enabled().paste) return;
  TQ730& list = CurrentList();
  EditContext edit = Context();
  StoreCursor();
  PasteCommand(edit, list);
  if (Page() == kPageAutomation)
    SetSelection(selection_start_, selection_start_ + clip_.Duration());
  Refresh();
}

void EditSession::InsertTime() {
  if (!Enabled().insert_time) return;
  PushUndoStep("Insert Time " +
               FormatSeconds(static_cast<long>(selection_end_ - selection_start_)));
  TQ730AUTO& automation = title_->Automation();
  automation.ShiftTime(selection_start_, selection_end_, false);
  automation.SelectAllChannels();
  Refresh();
}

void EditSession::DeleteTime() {
  if (!Enabled().insert_time) return;
  PushUndoStep("Delete Time " +
               FormatSeconds(static_cast<long>(selection_end_ - selection_start_)));
  TQ730AUTO& automation = title_->Automation();
  automation.ShiftTime(selection_start_, selection_end_, true);
  SetSelection(selection_start_, selection_start_);
  automation.SelectAllChannels();
  Refresh();
}

void EditSession::SelectAll() {
  if (Page() == kPageAutomation) {
    TQ730AUTO& automation = title_->Automation();
    automation.SelectAllChannels();
    SetSelection(0, kDayEnd);
    automation.SelectRange(view_, selection_start_, selection_end_);
  } else if (HasListPane()) {
    SelectEntries(CurrentList(), true);
  }
  ++refreshes_;
}

void EditSession::ClearSelect() {
  if (Page() == kPageAutomation) {
    TQ730AUTO& automation = title_->Automation();
    automation.ClearEventSelection();
    automation.DeselectAllChannels();
    SetSelection(selection_start_, selection_start_);
  } else if (HasListPane()) {
    SelectEntries(CurrentList(), false);
  }
  ++refreshes_;
}

void EditSession::Zero() {
  if (!Enabled().zero) return;
  EditContext edit = Context();
  StoreCursor();
  if (ZeroCommand(edit, CurrentList())) Refresh();
}

void EditSession::FaderCopy() {
  if (!Enabled().fader_copy || !prompter_) return;
  const std::vector<LevelChoice> choices = LevelChoices(title_->System());
  std::vector<std::string> items;
  for (const LevelChoice& choice : choices) items.push_back(choice.text);
  int source = 0, dest = 1;
  if (!prompter_->FaderCopyDialog(items, source, dest)) return;
  const int n = static_cast<int>(choices.size());
  if (source < 0 || source >= n || dest < 0 || dest >= n) return;
  EditContext edit = Context();
  StoreCursor();
  FaderCopyCommand(edit, CurrentList(), choices[static_cast<std::size_t>(source)].id,
                   choices[static_cast<std::size_t>(dest)].id);
  Refresh();
}

void EditSession::TrimFader() {
  if (!Enabled().fader_copy || !prompter_) return;
  const std::vector<LevelChoice> choices = LevelChoices(title_->System());
  std::vector<std::string> items;
  for (const LevelChoice& choice : choices) items.push_back(choice.text);
  int source = 0;
  std::string text = kTrimInitialText;
  double db = 0;
  const auto accept = [&db](const std::string& typed) { return ParseTrim(typed, db); };
  if (!prompter_->TrimDialog(items, source, text, accept)) return;
  if (source < 0 || source >= static_cast<int>(choices.size()) || !ParseTrim(text, db)) return;
  TQ730& list = CurrentList();
  // Inside the snapshots only the one at the cursor is trimmed.
  if (list.Kind() == TQ730::kSnapshot) list.SetCurrentRecord(cursor_);
  EditContext edit = Context();
  StoreCursor();
  TrimFaderCommand(edit, list, choices[static_cast<std::size_t>(source)].id, db);
  Refresh();
}

void EditSession::SetGroup() {
  GroupCommand(true);
}

void EditSession::ResetGroup() {
  GroupCommand(false);
}

void EditSession::GroupCommand(bool set) {
  if (!Enabled().set_group) return;
  EditContext edit = Context();
  StoreCursor();
  SetGroupCommand(edit, fader_group_, set);
  Refresh();
}

void EditSession::New() {
  if (!Enabled().new_entry) return;
  const TQ730& made = SystemPage() ? ListNumber(LibraryButtonTarget().list) : CurrentList();
  PushUndoStep("New " + EntryText(made, made.Count()));
  if (SystemPage()) {
    TQ730& target = ListNumber(LibraryButtonTarget().list);
    if (target.NewRecord(cursor_) >= 0) {
      const int last = target.Count() - 1;
      if (prompter_) {
        prompter_->Message(std::string(LibraryButtonTarget().caption) + " " +
                               target.NameText(last) + " is created.",
                           "New", Buttons::kOk);
      }
      saved_[static_cast<std::size_t>(LibraryButtonTarget().page)] = last;
    }
  } else {
    const int index = CurrentList().NewRecord(saved_[0]);
    if (index != -1) saved_[static_cast<std::size_t>(Page())] = index;
  }
  Refresh();
}

std::vector<std::string> EditSession::EntryLines(const TQ730& list) const {
  std::vector<std::string> lines;
  for (int i = 0, n = list.Count(); i < n; ++i)
    lines.push_back(ZeroPad(i + 1, 2) + " : " + list.NameText(i));
  return lines;
}

int EditSession::ChooseEntry(bool recall) {
  if (!Enabled().store || !SystemPage() || !prompter_) return -1;
  const TQ730& target = ListNumber(LibraryButtonTarget().list);
  const EntryList dialog{recall ? "Recall" : "Store", LibraryButtonTarget().caption,
                         recall ? "&Recall" : "&Store", EntryLines(target)};
  int index = -1;
  if (!prompter_->ChooseEntry(dialog, index) || index < 0 || index >= target.Count()) return -1;
  return index;
}

void EditSession::Store() {
  const int index = ChooseEntry(false);
  if (index < 0) return;
  TQ730& target = ListNumber(LibraryButtonTarget().list);
  PushUndoStep("Store " + ChannelText(target, cursor_) + " into " + EntryText(target, index));
  target.StoreRecord(cursor_, index);
  Refresh();
}

void EditSession::Recall() {
  const int index = ChooseEntry(true);
  if (index < 0) return;
  EditContext edit = Context();
  StoreCursor();
  RecallCommand(edit, ListNumber(LibraryButtonTarget().list), cursor_, index);
  Refresh();
}

// Saving and closing --------------------------------------------------------------------

Status EditSession::Save() {
  if (Damaged()) {
    // What was loaded is only part of the file: writing it over the file would lose the rest.
    const char* reason = StatusMessage(load_status_);
    const std::string text = std::string("This title did not load completely (") +
                             (*reason ? reason : "Failed.") +
                             ").\nSaving would replace its file with the part that was loaded."
                             "\nSave it under another name?";
    if (!prompter_ || prompter_->Message(text, "Save", Buttons::kYesNo) != Answer::kYes)
      return kCancelled;
    return SaveAs();
  }
  const Status status = title_->SaveTitle(prompter_);
  if (status == kOk) Refresh();
  return status;
}

Status EditSession::SaveAs() {
  std::string path = title_->Path();
  if (AskTitleName(path, prompter_) != kOk) return kCancelled;
  // Another window's title is not replaced behind its back.
  if (!SameTitleFile(path, title_->Path()) &&
      RefuseOpenTitle(open_titles_, path, "Save As", prompter_) != kOk)
    return kCancelled;
  const Status status = title_->SaveTitleAs(path, prompter_);
  if (status == kOk) {
    // The new file holds everything this session has: it may be saved over from now on.
    load_status_ = kOk;
    Refresh();
  }
  return status;
}

bool EditSession::CloseQuery() {
  ClosePickList();
  if (!Modified() || locked_at_open_) return true;
  if (!prompter_) return false;
  // Leaving the program asks once per changed title: each question names its own, and an
  // Enter pressed by habit keeps everything open.
  switch (prompter_->AskDefaultCancel(
      "Data has changed in \"" + TitleNameOf(title_->Path()) + "\". Do you want to save?",
      "Close")) {
    case Answer::kYes: {
      // A failed save keeps the window open, and says why.
      const Status status = Save();
      if (IsReportedStatus(status) && prompter_) {
        const char* message = StatusMessage(status);
        prompter_->Message(*message ? message : "Failed.", "Error", Buttons::kOk);
      }
      return status == kOk;
    }
    case Answer::kNo:
      return true;
    default:
      return false;
  }
}

}  // namespace orb
