// The editor session: tabs, cursors, enabling and the commands with their undo steps, driven as
// the window drives them.
#include "tests/core/editor/EditSessionTest.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <set>

#include "core/compare/Compare.h"
#include "core/editor/AutomationViews.h"
#include "core/editor/EditSession.h"
#include "core/editor/Sessions.h"
#include "core/model/FaderLaw.h"
#include "core/model/ParamModel.h"
#include "core/model/ParamNames.h"
#include "tests/TestFiles.h"
#include "tests/core/edit/EditTitles.h"
#include "tests/support/ScriptedPrompter.h"
#include "tools/TitleGenerator.h"

namespace orb {
namespace {

TEST_F(EditSessionTest, TabsShowTheirPageKindListAndPane) {
  struct Row {
    int tab;
    PageKind kind;
    int list;
    bool pane;
    const char* caption;
  };
  const Row rows[] = {
      {0, kPageChannel, 0, true, "CHANNEL"},
      {1, kPageOverview, 0, true, "OVERVIEW"},
      {2, kPageFader, 0, true, "FADER"},
      {3, kPageFaderGroup, 0, true, "FADER GROUP"},
      {4, kPageAutomation, 5, false, "AUTOMATION"},
      {5, kPageSnapshot, 1, true, "SNAPSHOT"},
      {6, kPageIsolate, 0, false, "ISOLATE"},
      {7, kPageCue, 2, true, "CUE"},
      {8, kPageInputAssign, 0, false, "INPUT ASSIGN"},
      {9, kPageOutputAssign, 0, false, "OUTPUT ASSIGN"},
      {10, kPageDynLib, 3, true, "DYN LIB"},
      {11, kPageEqLib, 4, true, "EQ LIB"},
      {12, kPageSetup, 0, false, "SETUP"},
  };
  EditSession& s = Open();
  for (const Row& row : rows) {
    s.ChangeTab(row.tab);
    EXPECT_EQ(s.Page(), row.kind) << row.caption;
    EXPECT_EQ(s.CurrentListNumber(), row.list) << row.caption;
    EXPECT_EQ(&s.CurrentList(), s.GetTitle().List(row.list)) << row.caption;
    EXPECT_EQ(s.HasListPane(), row.pane) << row.caption;
    EXPECT_STREQ(s.ListCaption(), row.caption);
    EXPECT_EQ(s.Handover().page, row.kind);
  }
}

TEST_F(EditSessionTest, SystemPagesShareOneSavedCursorAndTheBankFollowsIt) {
  gen::TitleSpec spec;
  spec.snapshots = 6;
  EditSession& s = Open(spec);
  struct Step {
    int tab;
    int set_cursor;  // -1: leave
    int cursor;
    int bank;
  };
  const Step steps[] = {
      {kChannelTab, 30, 30, 1}, {kOverviewTab, -1, 30, 1}, {kSnapshotTab, -1, 0, 1},
      {kSnapshotTab, 4, 4, 1},  {kOverviewTab, 50, 50, 2}, {kChannelTab, 10, 10, 0},
      {kSnapshotTab, -1, 4, 0}, {kIsolateTab, -1, 10, 0},  {kChannelTab, 23, 23, 0},
      {kChannelTab, 24, 24, 1}, {kChannelTab, 47, 47, 1},  {kChannelTab, 48, 48, 2},
  };
  for (const Step& step : steps) {
    s.ChangeTab(step.tab);
    if (step.set_cursor >= 0) s.SetCursor(step.set_cursor);
    EXPECT_EQ(s.Cursor(), step.cursor) << "tab " << step.tab;
    EXPECT_EQ(s.OverviewBank(), step.bank) << "tab " << step.tab;
  }
  // Out of range: ignored.
  s.SetCursor(-1);
  s.SetCursor(s.CurrentList().Count());
  EXPECT_EQ(s.Cursor(), 48);

  gen::TitleSpec high;
  high.rate_mode = 2;
  EditSession& h = Open(high);
  h.SetCursor(24);  // the first channel after the 24 inputs
  EXPECT_EQ(h.OverviewBank(), 2);
}

TEST_F(EditSessionTest, EnablingFollowsPageLockClipboardAndUndo) {
  gen::TitleSpec spec;
  spec.snapshots = 3;
  EditSession& s = Open(spec);
  const Enabling channel_page = s.Enabled();
  EXPECT_FALSE(channel_page.undo);
  EXPECT_FALSE(channel_page.redo);
  EXPECT_TRUE(channel_page.select_all);
  EXPECT_TRUE(channel_page.store);
  EXPECT_FALSE(channel_page.copy) << "nothing selected";
  EXPECT_FALSE(channel_page.delete_entries) << "channels are never deleted";
  EXPECT_FALSE(channel_page.paste) << "empty clipboard";
  EXPECT_TRUE(channel_page.timeline_tools);

  Select({0, 1});
  Enabling e = s.Enabled();
  EXPECT_TRUE(e.copy && e.optional_copy && e.zero && e.fader_copy && e.set_group);
  EXPECT_FALSE(e.cut) << "channels cannot be cut";
  s.Copy();
  e = s.Enabled();
  EXPECT_TRUE(e.paste);

  s.ChangeTab(kSnapshotTab);
  Select({1});
  e = s.Enabled();
  EXPECT_TRUE(e.copy && e.cut && e.delete_entries && e.fader_copy && e.zero);
  EXPECT_FALSE(e.set_group) << "groups are set on the channels only";
  EXPECT_FALSE(e.store) << "Store and Recall only on system pages";
  EXPECT_TRUE(e.paste) << "channels paste into snapshots";

  s.ChangeTab(kCueTab);
  Select({0});
  e = s.Enabled();
  EXPECT_FALSE(e.copy || e.cut || e.optional_copy || e.zero) << "cues are never copied";
  EXPECT_TRUE(e.delete_entries);

  s.ChangeTab(kAutomationTab);
  e = s.Enabled();
  EXPECT_TRUE(e.copy && e.cut && e.delete_entries && e.select_all);
  EXPECT_FALSE(e.optional_copy || e.zero || e.new_entry || e.insert_time);
  s.SetSelection(1, 5);
  EXPECT_TRUE(s.Enabled().insert_time);

  s.ChangeTab(kIsolateTab);
  e = s.Enabled();
  EXPECT_FALSE(e.select_all || e.copy || e.paste) << "no list pane";

  // An edit and its undo move the counts.
  s.ChangeTab(kSnapshotTab);
  Select({0});
  s.Delete();
  EXPECT_TRUE(s.Enabled().undo);
  s.UndoCommand();
  EXPECT_TRUE(s.Enabled().redo);
  EXPECT_FALSE(s.Enabled().undo);
  EXPECT_EQ(s.UndoPanelText(), "Undo");
  Select({0});
  s.Delete();
  EXPECT_EQ(s.UndoPanelText(), "") << "a new edit drops the redo steps";

  // Locked: nothing that writes.
  gen::TitleSpec locked = spec;
  locked.locked = true;
  EditSession& l = Open(locked);
  Select({0});
  e = l.Enabled();
  EXPECT_TRUE(e.copy);
  EXPECT_FALSE(e.new_entry || e.store || e.zero || e.fader_copy || e.set_group || e.paste ||
               e.timeline_tools);
}

TEST_F(EditSessionTest, EnablingOfNewDependsOnTheBlockOnlyForLibraries) {
  gen::TitleSpec spec;
  EditSession& s = Open(spec);
  // A channel without an EQ block: the last one of the layout, if any.
  int bare = -1;
  for (int c = 0; c < s.GetTitle().System().ChannelCount(); ++c)
    if (s.GetTitle().System().GetParam(c, 43) == -1) bare = c;
  ASSERT_GE(bare, 0) << "the layout has a channel without EQ";
  s.SetCursor(bare);
  s.SetLibraryTag(2);
  EXPECT_FALSE(s.Enabled().new_entry) << "no EQ block to make an entry of";
  EXPECT_FALSE(s.Enabled().store);
  s.SetLibraryTag(0);
  EXPECT_TRUE(s.Enabled().new_entry);
  // Saved cursor 0 now names that channel; the snapshot and cue pages do not care.
  for (int tab : {kSnapshotTab, kCueTab}) {
    s.ChangeTab(tab);
    EXPECT_TRUE(s.Enabled().new_entry) << "tab " << tab;
  }
  s.ChangeTab(kEqTab);
  EXPECT_FALSE(s.Enabled().new_entry);
  s.ChangeTab(kDynTab);
  EXPECT_EQ(s.Enabled().new_entry, s.GetTitle().System().GetParam(bare, 16) != -1);
}

TEST_F(EditSessionTest, SelectAllReachesEveryEntry) {
  gen::TitleSpec spec;
  spec.snapshots = 99;
  spec.eq = 99;
  EditSession& s = Open(spec);
  for (int tab : {kSnapshotTab, kEqTab, kChannelTab}) {
    s.ChangeTab(tab);
    s.SelectAll();
    EXPECT_EQ(static_cast<int>(Selected().size()), s.CurrentList().Count()) << "tab " << tab;
    s.ClearSelect();
    EXPECT_TRUE(Selected().empty());
  }
  s.ChangeTab(kAutomationTab);
  s.SelectAll();
  EXPECT_EQ(s.SelectionEnd(), 86399);
  EXPECT_TRUE(s.GetTitle().Automation().IsChannelSelected(72));
  s.ClearSelect();
  EXPECT_FALSE(s.GetTitle().Automation().IsChannelSelected(0));
  EXPECT_EQ(s.SelectionEnd(), s.SelectionStart());
}

TEST_F(EditSessionTest, EveryCommandIsOneUndoStepAndCancelIsNone) {
  gen::TitleSpec spec;
  spec.snapshots = 4;
  spec.dynamics = 3;
  spec.eq = 3;
  EditSession& s = Open(spec);
  TQ730SYSF& system = s.GetTitle().System();
  struct Case {
    const char* name;
    int tab;
    std::function<void()> answer;  // queues the dialogs' answers
    std::function<void()> run;
    bool changes;
  };
  const Case cases[] = {
      {"zero cancelled", kChannelTab, [&] { prompter.QueueGroups(std::nullopt); },
       [&] { s.Zero(); }, false},
      {"zero", kChannelTab, [&] { prompter.QueueGroups(std::vector<std::string>{}); },
       [&] { s.Zero(); }, true},
      {"fader copy cancelled", kChannelTab, [&] { prompter.QueueFaderCopy(std::nullopt); },
       [&] { s.FaderCopy(); }, false},
      {"fader copy", kChannelTab,
       [&] {
         prompter.QueueFaderCopy(std::pair{0, 3});
       },
       [&] { s.FaderCopy(); }, true},
      {"trim cancelled", kChannelTab, [&] { prompter.QueueTrim(std::nullopt); },
       [&] { s.TrimFader(); }, false},
      {"trim", kChannelTab,
       [&] {
         prompter.QueueTrim(ScriptedPrompter::TrimAnswer{0, {"abc", "-3"}});
       },
       [&] { s.TrimFader(); }, true},
      {"set group", kChannelTab, [] {}, [&] { s.SetGroup(); }, true},
      {"reset group", kChannelTab, [] {}, [&] { s.ResetGroup(); }, true},
      {"store cancelled", kChannelTab, [&] { prompter.QueueEntry(std::nullopt); },
       [&] { s.Store(); }, false},
      {"store", kChannelTab, [&] { prompter.QueueEntry(1); }, [&] { s.Store(); }, true},
      {"recall", kChannelTab, [&] { prompter.QueueEntry(0); }, [&] { s.Recall(); }, true},
      {"new", kChannelTab, [] {}, [&] { s.New(); }, true},
      {"paste", kSnapshotTab, [] {}, [&] { s.Paste(); }, true},
      {"cut", kSnapshotTab, [] {}, [&] { s.Cut(); }, true},
      {"delete", kDynTab, [] {}, [&] { s.Delete(); }, true},
      {"new entry", kCueTab, [] {}, [&] { s.New(); }, true},
  };
  for (const Case& c : cases) {
    s.ChangeTab(c.tab);
    Select({0, 1});
    if (c.tab == kSnapshotTab && !clip.HoldsKind(TQ730::kSnapshot)) s.Copy();
    c.answer();
    const int before = s.Undo().UndoCount();
    c.run();
    EXPECT_EQ(s.Undo().UndoCount(), std::min(UndoRing::kMaxSteps, before + (c.changes ? 1 : 0)))
        << c.name;
  }
  // The trim was asked again after the text that is not a number.
  int trims = 0;
  for (const auto& shown : prompter.shown()) trims += shown.caption == std::string("Trim Fader");
  EXPECT_EQ(trims, 3) << "cancelled once, then shown and shown again after \"abc\"";
  (void)system;
}

TEST_F(EditSessionTest, UndoRevertsExactlyTheLastChangeAndRebindsTheLinks) {
  EditSession& s = Open();
  Select({0});
  s.Pane().StartRename("");
  s.Pane().CommitRename("Cowbell");
  EXPECT_EQ(s.Undo().UndoCount(), 1);
  prompter.QueueGroups(std::vector<std::string>{});
  s.Zero();
  EXPECT_EQ(s.Undo().UndoCount(), 2);
  s.UndoCommand();
  EXPECT_EQ(s.GetTitle().System().NameText(0), "Cowbell") << "undoing Zero keeps the rename";
  EXPECT_EQ(&s.Links().System(), &s.GetTitle().System());
  // The links now write to the title's system data and mark the title itself modified.
  s.GetTitle().SetModified(false);
  s.Links().SetParamLinked(0, 110, 10);
  EXPECT_EQ(s.GetTitle().System().GetParam(0, 110), 10);
  EXPECT_TRUE(s.Modified());
  s.UndoCommand();
  EXPECT_NE(s.GetTitle().System().NameText(0), "Cowbell");
  s.RedoCommand();
  EXPECT_EQ(s.GetTitle().System().NameText(0), "Cowbell");
}

TEST_F(EditSessionTest, DeletingSnapshotsKeepsCuesOnTheirRecords) {
  gen::TitleSpec spec;
  spec.snapshots = 5;
  spec.cues = 3;
  EditSession& s = Open(spec);
  TQ730CUE& cues = s.GetTitle().Cues();
  {
    EditFlagScope edit(cues);
    for (int cue = 0; cue < 3; ++cue) cues.SetParam(cue, 175, TQ730CUE::kRecallSnapshot);
    cues.SetParam(0, 176, 1);
    cues.SetParam(1, 176, 2);
    cues.SetParam(2, 176, 4);
  }
  s.ChangeTab(kSnapshotTab);
  Select({1});  // the second snapshot
  s.Delete();
  TQ730CUE& after = s.GetTitle().Cues();
  EXPECT_EQ(after.GetParam(0, 176), 1);
  EXPECT_EQ(after.GetParam(1, 175), TQ730CUE::kRecallNone) << "its snapshot is gone";
  EXPECT_EQ(after.GetParam(2, 176), 3) << "the fourth snapshot is now the third";
  s.UndoCommand();
  EXPECT_EQ(s.GetTitle().Cues().GetParam(2, 176), 4);
  EXPECT_EQ(s.GetTitle().Cues().GetParam(1, 175), TQ730CUE::kRecallSnapshot);
}

TEST_F(EditSessionTest, NewAnnouncesTheEntryAndItsTabOpensOnIt) {
  gen::TitleSpec spec;
  spec.eq = 10;
  EditSession& s = Open(spec);
  s.SetLibraryTag(2);
  EXPECT_STREQ(s.LibraryButtonTarget().caption, "EQ LIB");
  s.New();
  EXPECT_EQ(LastShown(), "New: EQ LIB #11 is created.");
  s.ChangeTab(kEqTab);
  EXPECT_EQ(s.Cursor(), 10);
}

TEST_F(EditSessionTest, ZeroOnALibraryVisitsEntriesBeyondTheChannelCount) {
  gen::TitleSpec spec;
  spec.eq = 99;
  EditSession& s = Open(spec);
  TQ730EQLIB& eq = s.GetTitle().Eq();
  const int id = 56;  // a band gain
  {
    EditFlagScope edit(eq);
    eq.SetParam(90, id, 0);
  }
  ASSERT_NE(eq.GetParam(90, id), eq.ParamDefault(90, id));
  s.ChangeTab(kEqTab);
  s.ClearSelect();
  eq.SetSelected(90, true);
  s.SetCursor(90);
  prompter.QueueGroups(std::vector<std::string>{"EQ"});
  s.Zero();
  EXPECT_EQ(s.GetTitle().Eq().GetParam(90, id), s.GetTitle().Eq().ParamDefault(90, id));
}

TEST_F(EditSessionTest, GroupLevelOfMinusOneHundredthIsALevel) {
  EditSession& s = Open();
  TQ730SYSF& system = s.GetTitle().System();
  // Put channel 0 under a group master: group 1 on, of the type whose master governs.
  EditFlagScope edit(system);
  system.SetParam(0, 142, 0);
  system.SetParam(0, 143, 1);
  system.SetParam(0, 126, 1);
  system.SetParam(0, 172, 1);
  ASSERT_EQ(system.GetParam(0, 145), 1);
  s.Links().SetParamLinked(0, 111, -1);
  EXPECT_EQ(system.GroupLevel(0), -1);
  s.Links().SetParamLinked(0, 111, -250);
  EXPECT_EQ(system.GroupLevel(0), -250);
  EXPECT_FALSE(system.GroupLevel(500).has_value());
}

TEST_F(EditSessionTest, SaveCloseAndCaption) {
  EditSession& s = Open();
  EXPECT_EQ(s.Caption(), "Edit - Show.orb");
  Select({0});
  s.Pane().StartRename("");
  s.Pane().CommitRename("Bass");
  EXPECT_EQ(s.Caption(), "Edit - Show.orb *");
  prompter.Queue(Answer::kCancel);
  EXPECT_FALSE(s.CloseQuery());
  EXPECT_EQ(LastShown(), "Close: Data has changed in \"Show\". Do you want to save?");
  EXPECT_TRUE(prompter.shown().back().default_cancel);
  prompter.Queue(Answer::kNo);
  EXPECT_TRUE(s.CloseQuery());
  prompter.Queue(Answer::kYes);
  EXPECT_TRUE(s.CloseQuery());
  EXPECT_FALSE(s.Modified());
  EXPECT_EQ(s.Caption(), "Edit - Show.orb");

  // Save As under a new name.
  prompter.QueueTitleName("Encore");
  EXPECT_EQ(s.SaveAs(), kOk);
  EXPECT_TRUE(fs::exists(folder / "Encore.orb"));
  EXPECT_EQ(s.Caption(), "Edit - Encore.orb");
  prompter.QueueTitleName(std::nullopt);
  EXPECT_EQ(s.SaveAs(), kCancelled);

  // Locked at open: closes without asking, even when modified.
  gen::TitleSpec locked;
  locked.locked = true;
  EditSession& l = Open(locked);
  EXPECT_EQ(l.Caption(), "Edit - Show.orb (Locked)");
  l.GetTitle().SetModified(true);
  const std::size_t shown = prompter.shown().size();
  EXPECT_TRUE(l.CloseQuery());
  EXPECT_EQ(prompter.shown().size(), shown);
}

TEST_F(EditSessionTest, ADamagedTitleIsNeverSavedOverItsFile) {
  const fs::path path = Write({});
  std::vector<std::uint8_t> bytes = test::ReadFile(path);
  bytes.resize(bytes.size() / 2);
  test::WriteFile(path, bytes);
  session = std::make_unique<EditSession>(clip, &prompter);
  EXPECT_NE(session->Open(path.string()), kOk);
  EXPECT_TRUE(session->Damaged());
  EXPECT_EQ(prompter.shown().back().caption, "Error");
  EXPECT_EQ(session->WindowCaption().rfind("Edit - Show.orb - not loaded completely (", 0), 0u)
      << session->WindowCaption();
  prompter.Queue(Answer::kNo);
  EXPECT_EQ(session->Save(), kCancelled);
  EXPECT_NE(prompter.shown().back().text.find("did not load completely"), std::string::npos);
  EXPECT_EQ(test::ReadFile(path), bytes) << "the file is untouched";
  prompter.Queue(Answer::kYes);
  prompter.QueueTitleName("Rescued");
  EXPECT_EQ(session->Save(), kOk);
  EXPECT_TRUE(fs::exists(folder / "Rescued.orb"));
  EXPECT_EQ(test::ReadFile(path), bytes);
  EXPECT_FALSE(session->Damaged());
  EXPECT_EQ(session->WindowCaption(), "Edit - Rescued.orb");
}

TEST_F(EditSessionTest, ASaveThatFailsOnClosingSaysWhyAndKeepsTheWindow) {
  EditSession& s = Open();
  Select({0});
  s.Pane().StartRename("");
  s.Pane().CommitRename("Bass");
  fs::remove_all(folder);  // nowhere to write
  prompter.Queue(Answer::kYes);
  EXPECT_FALSE(s.CloseQuery());
  EXPECT_EQ(prompter.shown().back().caption, "Error");
  EXPECT_TRUE(s.Modified());
}

}  // namespace
}  // namespace orb

namespace orb {
namespace {

TEST(EditSessionsTest, OneSessionPerTitleFileFollowingSaveAs) {
  test::TempFolder temp;
  const fs::path folder = temp.path();
  test::WriteFile(folder / "Show.orb", gen::MakeTitle({}));
  TClip clip;
  ScriptedPrompter prompter;
  EditSessions sessions(clip, &prompter);
  bool created = false;
  EditSession& first = sessions.Open((folder / "Show.orb").string(), &created);
  EXPECT_TRUE(created);
  // The same file by another spelling of its path.
  EditSession& again = sessions.Open((folder / "." / "Show.orb").string(), &created);
  EXPECT_FALSE(created);
  EXPECT_EQ(&again, &first);
  EXPECT_EQ(sessions.Count(), 1);
  EXPECT_TRUE(sessions.IsOpen((folder / "Show.orb").string()));

  prompter.QueueTitleName("Encore");
  ASSERT_EQ(first.SaveAs(), kOk);
  EXPECT_FALSE(sessions.IsOpen((folder / "Show.orb").string()));
  EXPECT_TRUE(sessions.IsOpen((folder / "Encore.orb").string()));
  EXPECT_EQ(RefuseOpenTitle(&sessions, (folder / "Encore.orb").string(), "Delete", &prompter),
            kCancelled);
  EXPECT_EQ(prompter.shown().back().text, kTitleOpenMessage);
  EXPECT_EQ(RefuseOpenTitle(&sessions, (folder / "Show.orb").string(), "Delete", &prompter), kOk);

  // Save As never replaces a title another window has open.
  test::WriteFile(folder / "Other.orb", gen::MakeTitle({}));
  EditSession& other = sessions.Open((folder / "Other.orb").string());
  const auto other_bytes = test::ReadFile(folder / "Other.orb");
  prompter.QueueTitleName("Other");
  prompter.Queue(Answer::kYes);  // the overwrite question
  EXPECT_EQ(first.SaveAs(), kCancelled);
  EXPECT_EQ(prompter.shown().back().caption, "Save As");
  EXPECT_EQ(test::ReadFile(folder / "Other.orb"), other_bytes);
  EXPECT_EQ(first.GetTitle().Path(), (folder / "Encore.orb").string());
  sessions.Close(other);

  sessions.Close(first);
  EXPECT_EQ(sessions.Count(), 0);
  EXPECT_FALSE(sessions.IsOpen((folder / "Encore.orb").string()));
}

}  // namespace
}  // namespace orb

namespace orb {
namespace {

TEST(AutomationViewsTest, HundredAndOneNamedParametersOnce) {
  std::set<int> seen(kAutomationViews.begin(), kAutomationViews.end());
  EXPECT_EQ(seen.size(), kAutomationViews.size());
  EXPECT_EQ(kAutomationViews.front(), 110);
  for (int id : kAutomationViews) {
    EXPECT_STRNE(ParamName(id), "") << id;
    EXPECT_EQ(kAutomationViews[static_cast<std::size_t>(ViewIndexOf(id))], id);
  }
  EXPECT_EQ(ViewIndexOf(172), -1);
}

}  // namespace
}  // namespace orb

namespace orb {
namespace {

class SessionCommandTest : public EditSessionTest {};

TEST_F(SessionCommandTest, FaderOperationsFollowThePage) {
  gen::TitleSpec spec;
  spec.snapshots = 4;
  EditSession& s = Open(spec);
  TQ730SYSF& system = s.GetTitle().System();
  // Trim -3 dB on two channels through the fader law; the others keep their level.
  Select({2, 3});
  const int before2 = system.GetParam(2, kParamFaderLevel);
  const int before4 = system.GetParam(4, kParamFaderLevel);
  prompter.QueueTrim(ScriptedPrompter::TrimAnswer{0, {"-3"}});
  s.TrimFader();
  EXPECT_EQ(system.GetParam(2, kParamFaderLevel), NearestFaderIndex(FaderDb(before2) - 3));
  EXPECT_EQ(system.GetParam(4, kParamFaderLevel), before4);

  // Reset Group writes 0 to every selected channel, member or not.
  s.SetFaderGroup(3);
  Select({0, 1});
  s.SetGroup();
  EXPECT_EQ(system.GetParam(0, kParamFaderGroup), 4);
  Select({0, 5});
  s.ResetGroup();
  EXPECT_EQ(system.GetParam(0, kParamFaderGroup), 0);
  EXPECT_EQ(system.GetParam(5, kParamFaderGroup), 0);
  EXPECT_EQ(system.GetParam(1, kParamFaderGroup), 4);

  // On the SNAPSHOT page: Fader Copy changes every selected snapshot, Trim only the one at
  // the cursor.
  s.ChangeTab(kSnapshotTab);
  TQ730SNAP& snaps = s.GetTitle().Snapshots();
  const auto level = [&](int snapshot, int channel, int id) {
    snaps.SetCurrentRecord(snapshot);
    return snaps.GetParam(channel, id);
  };
  const int aux2 = kParamAuxLevel + 1;
  Select({1, 3});
  prompter.QueueFaderCopy(std::pair{0, 3});  // Fader into AUX 2 Send
  s.FaderCopy();
  for (int snap : {1, 3})
    EXPECT_EQ(level(snap, 10, aux2), level(snap, 10, kParamFaderLevel)) << snap;
  const int untouched = level(3, 7, kParamFaderLevel);
  s.SetCursor(1);
  const int trimmed = level(1, 7, kParamFaderLevel);
  prompter.QueueTrim(ScriptedPrompter::TrimAnswer{0, {"+6"}});
  s.TrimFader();
  EXPECT_EQ(level(1, 7, kParamFaderLevel), NearestFaderIndex(FaderDb(trimmed) + 6));
  EXPECT_EQ(level(3, 7, kParamFaderLevel), untouched);
}

TEST_F(SessionCommandTest, RecallOptionalCopyAndTheAutomationRange) {
  gen::TitleSpec spec;
  spec.snapshots = 2;
  spec.eq = 2;
  spec.automation_words = 2000;
  EditSession& s = Open(spec);
  // A snapshot recall leaves no channel selected.
  Select({0, 4});
  prompter.QueueEntry(1);
  s.Recall();
  EXPECT_TRUE(Selected().empty());
  EXPECT_EQ(prompter.shown().back().caption, "Recall");
  EXPECT_EQ(prompter.shown().back().text.substr(0, 9), "SNAPSHOT\n");

  // A cancelled Optional Copy empties the clipboard, except on EQ LIB.
  Select({0});
  s.Copy();
  ASSERT_TRUE(clip.HoldsKind(TQ730::kSystem));
  prompter.QueueGroups(std::nullopt);
  s.OptionalCopy();
  EXPECT_EQ(clip.RecordCount(), 0);
  s.ChangeTab(kEqTab);
  Select({0});
  s.Copy();
  prompter.QueueGroups(std::nullopt);
  s.OptionalCopy();
  EXPECT_EQ(clip.RecordCount(), 1);

  // Automation: Paste ends the range at its start plus the copied length; Delete Time closes
  // the range; both time commands select every channel.
  s.ChangeTab(kAutomationTab);
  s.SelectAll();
  s.SetSelection(0, 30);
  s.Copy();
  s.SetSelection(100, 100);
  s.Paste();
  EXPECT_EQ(s.SelectionStart(), 100);
  EXPECT_EQ(s.SelectionEnd(), 130);
  s.ClearSelect();
  s.SetSelection(10, 20);
  s.DeleteTime();
  EXPECT_EQ(s.SelectionEnd(), 10);
  EXPECT_TRUE(s.GetTitle().Automation().IsChannelSelected(0));
  EXPECT_TRUE(s.GetTitle().Automation().IsChannelSelected(72));
}

// In a sample title a paste touches only what it names. Where a link makes another channel
// follow, the status bar is told, and one undo takes all of it back.
TEST_F(SessionCommandTest, APasteTouchesWhatItNamesAndTellsWhatTheLinksChanged) {
  EditSession& s = Open(gen::DemoSpecs().front());
  Title saved;
  ASSERT_EQ(saved.OpenTitle(s.GetTitle().Path()), kOk);
  for (int c : {0, 1}) ASSERT_EQ(s.GetTitle().System().GetParam(c, kParamLinkMode), kMono) << c;

  Select({0});
  prompter.QueueGroups(std::vector<std::string>{"EQ/Filter"});
  s.OptionalCopy();
  Select({1});
  s.Paste();
  EXPECT_EQ(s.TakeLinkNotice(), "");
  const Differences changed = CompareTitles(saved, s.GetTitle());
  EXPECT_FALSE(changed.empty());
  for (std::size_t i = 0; i < changed.size(); ++i)
    EXPECT_EQ(changed[i].channel_index, 1) << changed[i].Line();

  // CH 3 and CH 4 a stereo pair that shares its EQ: pasting into CH 3 also changes CH 4.
  std::uint8_t* block = s.GetTitle().System().Block().data();
  std::fill(block + kStereoFunctions, block + kStereoFunctions + 9, 0);
  block[kStereoFunctions + 4] = 1;
  s.GetTitle().System().SetParam(2, kParamLinkMode, kStereo);
  const std::vector<std::uint8_t> before(block, block + TQ730SYSF::kBlockSize);
  Select({2});
  s.Paste();
  EXPECT_EQ(s.TakeLinkNotice(), "Links: 1 channel followed its stereo partner");
  EXPECT_EQ(s.TakeLinkNotice(), "");
  const std::vector<int> eq = {kParamEqLowGain, kParamEqHighFreq, kParamLfFilterOn};
  const TQ730SYSF& system = s.GetTitle().System();
  EXPECT_EQ(test::ValuesOf(system, 3, eq), test::ValuesOf(system, 0, eq));
  s.UndoCommand();
  const auto undone = s.GetTitle().System().Block();
  EXPECT_TRUE(std::equal(before.begin(), before.end(), undone.begin()));
}

TEST_F(SessionCommandTest, DragScrollsAndAMovedCueIsFollowed) {
  gen::TitleSpec spec;
  spec.snapshots = 60;
  spec.cues = 5;
  EditSession& s = Open(spec);
  s.ChangeTab(kSnapshotTab);
  s.Pane().SetGeometry(200, 150);  // 6 rows
  s.Pane().MouseDown(25, {});
  for (int i = 0; i < 3; ++i) s.Pane().MouseMove(150);  // at the bottom edge: one row a move
  EXPECT_EQ(s.Pane().ScrollPosition(), 3);
  for (int i = 0; i < 5; ++i) s.Pane().MouseMove(-1);
  EXPECT_EQ(s.Pane().ScrollPosition(), 0);
  s.Pane().MouseUp();

  s.ChangeTab(kCueTab);
  Select({0, 1});
  s.FollowMovedCue(3);
  EXPECT_EQ(s.Cursor(), 3);
  EXPECT_EQ(Selected(), (std::vector<int>{3}));
  s.ChangeTab(kChannelTab);
  s.ChangeTab(kCueTab);
  EXPECT_EQ(s.Cursor(), 3);
}

}  // namespace
}  // namespace orb
