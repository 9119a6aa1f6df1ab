// The editor window's list pane: clicks, drags, keys, typing, the wheel and renaming in place,
// driven as the window drives them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/editor/ListPane.h"
#include "tests/core/editor/EditSessionTest.h"

namespace orb {
namespace {

class ListPaneTest : public EditSessionTest {};

TEST_F(ListPaneTest, MouseSelectsTogglesAndRenames) {
  gen::TitleSpec spec;
  spec.snapshots = 8;
  EditSession& s = Open(spec);
  ListPane& pane = s.Pane();
  s.ChangeTab(kSnapshotTab);
  const auto click = [&](int row, KeyMods mods = {}) {
    pane.MouseDown(20 + 20 * row + 5, mods);
    pane.MouseUp();
  };
  click(2);
  EXPECT_EQ(s.Cursor(), 2);
  EXPECT_EQ(Selected(), (std::vector<int>{2}));
  EXPECT_FALSE(pane.Rename().visible) << "the first click only selects";
  click(5, {true, false});
  EXPECT_EQ(Selected(), (std::vector<int>{2, 3, 4, 5}));
  click(3, {false, true});
  EXPECT_EQ(Selected(), (std::vector<int>{2, 4, 5}));
  click(4);  // a selected row other than the cursor: select it alone, no rename
  EXPECT_EQ(Selected(), (std::vector<int>{4}));
  EXPECT_FALSE(pane.Rename().visible);
  click(4);  // the cursor row, selected: release starts renaming
  ASSERT_TRUE(pane.Rename().visible);
  EXPECT_TRUE(pane.Rename().select_all);
  EXPECT_EQ(pane.Rename().text, s.CurrentList().NameText(4));
  EXPECT_EQ(pane.Rename().max_length, 23);
  EXPECT_EQ(pane.RenameTop(24), (4 - 0) * 20 + 51 + 20 - 2);
  pane.CommitRename("Verse");
  EXPECT_EQ(s.CurrentList().NameText(4), "Verse");
  EXPECT_TRUE(s.Modified());
  EXPECT_EQ(s.Undo().UndoCount(), 1) << "a rename is one undo step";
  s.UndoCommand();
  EXPECT_NE(s.GetTitle().Snapshots().NameText(4), "Verse");

  // Beyond the entries: the cursor stays.
  s.SetCursor(1);
  click(20);
  EXPECT_EQ(s.Cursor(), 1);

  // Dragging toggles the rows entered, and moving back deselects them.
  click(1);
  pane.MouseDown(20 + 20 * 1 + 5, {});
  pane.MouseMove(20 + 20 * 4 + 5);
  EXPECT_EQ(Selected(), (std::vector<int>{1, 2, 3, 4}));
  pane.MouseMove(20 + 20 * 2 + 5);
  EXPECT_EQ(Selected(), (std::vector<int>{1, 4})) << "the row where the drag turned stays";
  EXPECT_EQ(s.Cursor(), 2);
  pane.MouseUp();
  EXPECT_FALSE(pane.Rename().visible) << "a drag never renames";
}

TEST_F(ListPaneTest, KeysMoveTheCursorAndSelect) {
  gen::TitleSpec spec;
  spec.snapshots = 40;
  EditSession& s = Open(spec);
  ListPane& pane = s.Pane();
  s.ChangeTab(kSnapshotTab);
  ASSERT_EQ(pane.PageSize(), 21);
  struct Step {
    ListKey key;
    KeyMods mods;
    int cursor;
    std::vector<int> selected;
    int scroll;
  };
  const Step steps[] = {
      {ListKey::kDown, {}, 1, {1}, 0},
      {ListKey::kShift, {}, 1, {1}, 0},
      {ListKey::kDown, {true, false}, 2, {1, 2}, 0},
      {ListKey::kDown, {true, false}, 3, {1, 2, 3}, 0},
      {ListKey::kUp, {false, true}, 2, {1, 2, 3}, 0},
      {ListKey::kPageDown, {}, 23, {23}, 3},
      {ListKey::kPageDown, {}, 39, {39}, 19},
      {ListKey::kDown, {}, 39, {39}, 19},
      {ListKey::kPageUp, {}, 18, {18}, 18},
      {ListKey::kPageUp, {}, 0, {0}, 0},
      {ListKey::kUp, {}, 0, {0}, 0},
  };
  for (const Step& step : steps) {
    pane.Key(step.key, step.mods);
    EXPECT_EQ(s.Cursor(), step.cursor);
    EXPECT_EQ(Selected(), step.selected) << "cursor " << step.cursor;
    EXPECT_EQ(pane.ScrollPosition(), step.scroll) << "cursor " << step.cursor;
  }

  // Typing starts a rename with the character; Esc then leaves the old name.
  const std::string old = s.CurrentList().NameText(0);
  pane.TypeChar('+');
  EXPECT_FALSE(pane.Rename().visible);
  pane.TypeChar('V');
  ASSERT_TRUE(pane.Rename().visible);
  EXPECT_EQ(pane.Rename().text, "V");
  EXPECT_FALSE(pane.Rename().select_all);
  pane.Key(ListKey::kEscape, {});
  pane.CommitRename("Verse");
  EXPECT_EQ(s.CurrentList().NameText(0), old);
  EXPECT_EQ(s.Undo().UndoCount(), 0);

  // Wheel: three rows a notch, within the list.
  pane.Wheel(-120);
  EXPECT_EQ(pane.ScrollPosition(), 3);
  pane.Wheel(600);
  EXPECT_EQ(pane.ScrollPosition(), 0);

  // Delete runs Delete when it can, else acts as Backspace on a pending entry.
  s.SetPending({7, 0, "0120"});
  s.ClearSelect();
  pane.Key(ListKey::kDelete, {});
  EXPECT_EQ(s.Pending().text, "0012");
  pane.TypeChar('5');
  EXPECT_EQ(s.Pending().text, "0125");
  pane.Key(ListKey::kEnter, {});
  EXPECT_FALSE(s.Modified()) << "Enter with nothing committed changes nothing";
  Select({0});
  pane.Key(ListKey::kDelete, {});
  EXPECT_EQ(s.CurrentList().Count(), 39);
}

TEST_F(ListPaneTest, EmptyListsAndTallPanesKeepTheCursorAndScrollInRange) {
  gen::TitleSpec spec;
  spec.snapshots = 0;
  EditSession& s = Open(spec);
  ListPane& pane = s.Pane();
  s.ChangeTab(kSnapshotTab);
  pane.Key(ListKey::kPageDown, {});
  EXPECT_EQ(s.Cursor(), 0);
  pane.StartRename("");
  EXPECT_FALSE(pane.Rename().visible);
  // A pane taller than all 99 slots: never scrolled above the top.
  pane.SetGeometry(4000, 3960);
  s.ChangeTab(kChannelTab);
  s.ChangeTab(kSnapshotTab);
  EXPECT_EQ(pane.ScrollPosition(), 0);
  s.ChangeTab(kChannelTab);
  s.SetCursor(72);
  s.ChangeTab(kOverviewTab);
  EXPECT_EQ(pane.ScrollPosition(), 0);
  const std::vector<ListRow> rows = pane.Rows();
  EXPECT_EQ(rows.size(), 198u) << "197 whole rows and one cut";
  EXPECT_TRUE(rows[72].slot && rows[72].entry && rows[72].cursor);
  EXPECT_FALSE(rows[73].slot || rows[73].entry);
}

// Ctrl+F: the next entry whose name holds the text, round the end of the list, on every list.
TEST_F(ListPaneTest, FindMovesToTheNextNameHoldingTheText) {
  gen::TitleSpec spec;
  spec.snapshots = spec.cues = spec.dynamics = 12;
  EditSession& s = Open(spec);
  ListPane& pane = s.Pane();
  for (int tab : {kChannelTab, kSnapshotTab, kCueTab, kDynTab}) {
    s.ChangeTab(tab);
    TQ730& list = s.CurrentList();
    SCOPED_TRACE(s.ListCaption());
    const int count = list.Count();
    ASSERT_GE(count, 12);
    // Two entries named alike among plain ones, the text in another case.
    for (int i = 0; i < count; ++i) list.SetName(i, "e" + std::to_string(i));
    for (const auto& [index, name] : {std::pair{3, "Kick IN"}, std::pair{9, "kick out"}})
      list.SetName(index, list.NameLength() > 8 ? name : std::string(name).substr(0, 7));
    s.SetCursor(0);
    const struct {
      const char* text;
      int found;
    } steps[] = {{"KICK", 3}, {"kick", 9}, {"Kick", 3}, {"ck o", 9}, {"nothing like it", -1},
                 {"", -1}};
    for (const auto& step : steps) {
      const int cursor = s.Cursor();
      EXPECT_EQ(pane.FindNext(step.text), step.found) << step.text;
      EXPECT_EQ(s.Cursor(), step.found < 0 ? cursor : step.found) << step.text;
      if (step.found >= 0) EXPECT_EQ(Selected(), (std::vector<int>{step.found}));
    }
  }
}

}  // namespace
}  // namespace orb
