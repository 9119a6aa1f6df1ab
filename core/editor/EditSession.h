// The editor window without its widgets: one open title with its undo ring and channel links,
// the window's state (tab, cursor, selection, saved cursors, library button), its list pane, the
// enabled state of every command, and the commands themselves. The Qt window forwards events
// here and paints what it is handed.
#pragma once

#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/edit/EditOps.h"
#include "core/edit/Links.h"
#include "core/edit/Undo.h"
#include "core/editor/ListPane.h"
#include "core/editor/Tabs.h"
#include "core/editor/Timeline.h"
#include "core/model/Clip.h"
#include "core/model/ParamIds.h"
#include "core/model/Prompter.h"
#include "core/model/Title.h"
#include "core/pages/CuePage.h"
#include "core/storage/Library.h"

namespace orb {

// Every enabled state the refresh timer keeps current.
struct Enabling {
  bool undo = false;
  bool redo = false;
  bool select_all = false;  // and Clear Select
  bool new_entry = false;
  bool store = false;  // and Recall
  bool delete_entries = false;
  bool copy = false;
  bool cut = false;
  bool paste = false;
  bool optional_copy = false;
  bool insert_time = false;  // and Delete Time
  bool zero = false;
  bool fader_copy = false;      // and Trim Fader
  bool set_group = false;       // and Reset Group
  bool timeline_tools = false;  // the timeline's Write and Eraser buttons
  bool operator==(const Enabling&) const = default;
};

// The panel's numeric entry awaiting Enter; item 0 means none.
struct PendingEntry {
  int item = 0;
  int record = 0;
  std::string text;
};

// The CUE page's drop-down list LB_List of a cue's event number, while it is open.
struct PickListState {
  bool visible = false;
  int cue = -1;
  CueNumberList list;  // its place, its items and the row chosen in it
};

// What the panel is told after every change of tab, cursor or data.
struct PanelHandover {
  int list = 0;
  PageKind page = kPageChannel;
  int cursor = 0;
  int bank = 0;  // system pages only
};

// The parts of the parameter panel the window drives; the panel fills them in.
struct PanelHooks {
  // Commits the pending numeric entry; true when a value was written.
  std::function<bool()> commit_entry;
  // One wheel step on the panel's active item.
  std::function<void(int delta)> wheel_item;
  // The keypad's plus or minus on the panel's control under the pointer, else its current
  // control; false when there is neither.
  std::function<bool(int delta)> pad_item;
};

class NameImport;

class EditSession {
 public:
  // The clipboard is the program's one; the prompter answers every question and dialog.
  EditSession(TClip& clip, Prompter* prompter);
  ~EditSession();
  EditSession(const EditSession&) = delete;
  EditSession& operator=(const EditSession&) = delete;

  // Loads the title. A status other than 0 is shown with the caption "Error" and the session
  // opens all the same with what was loaded, but marked damaged: Save then refuses to replace
  // the file it came from.
  Status Open(const std::string& path);
  Status LoadStatus() const { return load_status_; }
  bool Damaged() const { return load_status_ != kOk; }

  Title& GetTitle() { return *title_; }
  const Title& GetTitle() const { return *title_; }
  LinkContext& Links() { return *links_; }
  const UndoRing& Undo() const { return undo_; }
  PanelHooks& Panel() { return panel_; }
  // The list pane: geometry, scroll, rows, mouse, keys and renaming in place.
  ListPane& Pane() { return pane_; }
  const ListPane& Pane() const { return pane_; }

  // Tabs and the current list.
  int Tab() const { return tab_; }
  PageKind Page() const { return kTabPages[static_cast<std::size_t>(tab_)].kind; }
  bool HasListPane() const { return kTabPages[static_cast<std::size_t>(tab_)].list_pane; }
  bool SystemPage() const { return ListOfPage(Page()) == 0; }
  int CurrentListNumber() const { return ListOfPage(Page()); }
  TQ730& CurrentList() const;
  // Stores the cursor into the saved cursors, changes the tab and refreshes.
  void ChangeTab(int tab);
  // The list pane's caption (the tab's), the window caption and the status bar's second panel.
  const char* ListCaption() const { return kTabPages[static_cast<std::size_t>(tab_)].caption; }
  std::string Caption() const;
  // The caption as the window shows it: a title that did not load completely says so for as
  // long as it is open (until Save As has written all of it to a new file).
  std::string WindowCaption() const;
  std::string UndoPanelText() const { return undo_.RedoCount() > 0 ? "Undo" : ""; }
  // The Edit menu's Undo and Redo with the step they take: "Undo Trim CH 3".
  std::string UndoText() const { return MenuText("Undo", undo_.UndoName()); }
  std::string RedoText() const { return MenuText("Redo", undo_.RedoName()); }
  PanelHandover Handover() const;

  // Cursor and saved cursors.
  int Cursor() const { return cursor_; }
  // Ignored below 0 and at or beyond the entry count; updates the overview bank.
  void SetCursor(int index);
  // The list pane's keys move the cursor over every slot, entries or not.
  void MoveCursor(int index);
  int SavedCursor(int page_kind) const { return saved_[static_cast<std::size_t>(page_kind)]; }
  int OverviewBank() const { return bank_; }
  // The bank PAGE shows on the system pages, until the cursor moves to another.
  void SetOverviewBank(int bank) { bank_ = std::clamp(bank, 0, 2); }

  // The library button: tag 0 snapshots, 1 dynamics, 2 EQ.
  int LibraryTag() const { return library_tag_; }
  void SetLibraryTag(int tag);
  const LibraryTarget& LibraryButtonTarget() const {
    return kLibraryTargets[static_cast<std::size_t>(library_tag_)];
  }

  // The fader group chosen on the FADER GROUP page (0 … 7), which Set and Reset Group use.
  int FaderGroup() const { return fader_group_; }
  void SetFaderGroup(int group);

  // The timeline's view (an automatable parameter) and time selection in seconds, which the
  // automation commands act on.
  int ViewParam() const { return view_; }
  void SetViewParam(int param);
  // The view chosen in the view list: the view's events inside the selection, on the selected
  // rows, become the selected events.
  void ChangeView(int param);
  // Zoom, band height, scroll positions, tool and write shape, kept while the window is open.
  TimelineState& Timeline() { return timeline_; }
  const TimelineState& Timeline() const { return timeline_; }
  double SelectionStart() const { return selection_start_; }
  double SelectionEnd() const { return selection_end_; }
  void SetSelection(double start, double end);

  bool Modified() const { return title_->Modified(); }
  bool LockedAtOpen() const { return locked_at_open_; }
  bool Locked() const;

  // The panel's pending entry and active item.
  const PendingEntry& Pending() const { return pending_; }
  void SetPending(const PendingEntry& entry) { pending_ = entry; }
  void DropPending() { pending_ = {}; }
  int ActiveItem() const { return active_item_; }
  void SetActiveItem(int item) { active_item_ = item; }
  // A committed cue time re-sorted the cue list: the moved cue, now at index, becomes the only
  // selected cue and the CUE page's cursor.
  void FollowMovedCue(int index);
  // The CUE page's pick list: opened on a cue's NUMBER, a row chosen in it, then closed. Closing
  // (Enter, a click elsewhere, a tab change, the window deactivated) writes the chosen number,
  // one undo step when it changes it; Esc and every other refresh close it without writing.
  const PickListState& PickList() const { return pick_; }
  void OpenPickList(int cue, const CueNumberList& list);
  void ChoosePick(int row);
  void ClosePickList();
  void DropPickList() { pick_ = {}; }

  // Every enabled state. Cheap: it runs every 50 ms and never walks the automation events.
  Enabling Enabled() const;

  // The panel pushes one step per gesture, popup choice or committed entry through this, named
  // for the history.
  void PushUndoStep(std::string name);
  // A command's step name: the verb and the selection it acts on; on the timeline with the
  // view's parameter ("Delete Level CH 1–4").
  std::string StepNameOf(const char* verb) const;

  // The Edit menu.
  void UndoCommand();
  void RedoCommand();
  // Edit → History: every step's name, oldest first; the first Undo().UndoCount() are done.
  // Choosing a step undoes or redoes until `done` steps are done.
  std::vector<std::string> History() const { return undo_.Steps(); }
  void GoToHistory(int done);
  void Cut();
  void Copy();
  void OptionalCopy();
  void Paste();
  void Delete();
  void InsertTime();
  void DeleteTime();
  void SelectAll();
  void ClearSelect();
  // The Do menu.
  void Zero();
  void FaderCopy();
  void TrimFader();
  void SetGroup();
  void ResetGroup();
  // The list pane's buttons.
  void New();
  void Store();
  void Recall();
  // The hidden default button: commits the name editor and the pick list, then the pending
  // numeric entry; the title is marked modified only when something was committed. An entry
  // the panel refuses stays pending.
  void Enter();
  // Channel names from a file, planned by the import: one undo step; false when the title is
  // locked or nothing changes.
  bool ImportNames(const NameImport& names);

  // Saving. Save As asks for a title name in the title's folder; on success the new path is
  // the title's.
  Status Save();
  Status SaveAs();
  // Asks to save a modified title; false when the window must stay open.
  bool CloseQuery();

  // The titles open in other sessions, which Save As does not overwrite.
  void SetOpenTitles(const OpenTitles* open) { open_titles_ = open; }

  // What the link passes of the last command changed of their own accord, for the status bar
  // ("Links: …"); empty when nothing. Taking it forgets it.
  std::string TakeLinkNotice();

  // Counts every refresh, so that a window knows when to repaint everything.
  int Refreshes() const { return refreshes_; }

 private:
  void Refresh();
  void StoreCursor();
  static std::string MenuText(const char* verb, const std::string& step) {
    return step.empty() ? verb : std::string(verb) + " " + step;
  }
  TQ730& ListNumber(int n) const { return *title_->List(n); }
  bool BlockCheck() const;
  bool CopyPossible() const;
  void ApplyEditRange();
  void AfterExchange();
  void AfterUndoOrRedo();
  void RunDelete();
  // Deleting snapshots or library entries keeps the cues pointing at the same records.
  void DeleteKeepingCueReferences(TQ730& list);
  std::vector<std::string> EntryLines(const TQ730& list) const;
  // The Store or Recall dialog over the library button's target: the chosen entry, or -1.
  int ChooseEntry(bool recall);
  void GroupCommand(bool set);
  EditContext Context();

  TClip& clip_;
  Prompter* prompter_;
  const OpenTitles* open_titles_ = nullptr;
  std::unique_ptr<Title> title_;
  UndoRing undo_;
  std::unique_ptr<LinkContext> links_;
  LinkChanges link_changes_;
  PanelHooks panel_;
  Status load_status_ = kOk;
  bool locked_at_open_ = false;

  int tab_ = 0;
  int cursor_ = 0;
  std::array<int, kPageKinds> saved_{};
  int bank_ = 0;
  int library_tag_ = 0;
  int fader_group_ = 0;
  int view_ = kParamFaderLevel;
  TimelineState timeline_;
  double selection_start_ = 0;
  double selection_end_ = 0;

  PendingEntry pending_;
  PickListState pick_;
  int active_item_ = 0;
  int refreshes_ = 0;
  ListPane pane_{*this};
};

}  // namespace orb
