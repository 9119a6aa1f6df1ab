// The channel list out as CSV and names in from a file: round trips, every problem with its
// preview line, and the import as one undo step of the editor.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/editor/ChannelList.h"
#include "core/editor/NameImport.h"
#include "core/model/FaderLaw.h"
#include "core/model/ParamIds.h"
#include "core/model/Title.h"
#include "core/model/ValueText.h"
#include "tests/core/editor/EditSessionTest.h"

namespace orb {
namespace {

class ChannelListTest : public EditSessionTest {
 protected:
  // A title whose channels are all named "old".
  TQ730SYSF& Named(const gen::TitleSpec& spec = {}) {
    EXPECT_EQ(title.OpenTitle(Write(spec).string()), kOk);
    for (int c = 0; c < title.System().Count(); ++c) title.System().SetName(c, "old");
    return title.System();
  }
  Title title;
};

TEST_F(ChannelListTest, ExportedListImportsBackUnchangedOnEveryDemoTitle) {
  for (const gen::TitleSpec& spec : gen::DemoSpecs()) {
    SCOPED_TRACE(spec.name);
    ASSERT_EQ(title.OpenTitle(Write(spec).string()), kOk);
    const TQ730SYSF& system = title.System();
    const std::string csv = ChannelCsv(system);
    EXPECT_EQ(csv.rfind("Channel,Name,Source,Link,Fader group,Cut group,EQ,Dynamics,Dynamics "
                        "mode,Level\r\n",
                        0),
              0u);
    const NameImport names(system, csv);
    EXPECT_EQ(names.Columns(), (NameColumns{true, 0, 1}));
    EXPECT_EQ(names.Error(), "");
    EXPECT_TRUE(names.Changes().empty());
    EXPECT_TRUE(names.Problems().empty()) << names.Problems().front();
    EXPECT_EQ(names.Unchanged(), system.Count());
    // Every channel is named by the number it was printed with.
    const auto rows = ChannelRows(system);
    ASSERT_EQ(static_cast<int>(rows.size()), system.Count());
    for (int c = 0; c < system.Count(); ++c) EXPECT_EQ(ChannelNamed(system, rows[c][0]), c);
  }
}

TEST_F(ChannelListTest, RowsShowWhatThePagesShow) {
  TQ730SYSF& system = Named();
  system.SetName(0, "Kick");
  system.SetParam(0, kParamEqOn, 1);
  const auto rows = ChannelRows(system);
  EXPECT_EQ(rows[0][kColumnChannel], "CH 1");
  EXPECT_EQ(rows[0][kColumnName], "Kick");
  EXPECT_EQ(rows[0][kColumnSource], ValueText(system, 0, kParamInputSource).value);
  EXPECT_EQ(rows[0][kColumnEq], "ON");
  // The page's level texts without their padding; "OFF" has no unit.
  system.SetParam(0, kParamFaderLevel, 0);
  system.SetParam(1, kParamFaderLevel, kFaderNominal);
  const auto levels = ChannelRows(system);
  EXPECT_EQ(levels[0][kColumnLevel], "OFF");
  EXPECT_EQ(levels[1][kColumnLevel], "*0.0 dB");  // the page marks the nominal step
  EXPECT_EQ(rows.back()[kColumnChannel], system.NumberText(system.Count() - 1));
  EXPECT_EQ(rows.back()[kColumnSource], "");  // the master has no input source
  const std::string table = TextTable({"A", "Long head"}, {{"wide cell", "x"}, {"", "y"}});
  EXPECT_EQ(table, "A          Long head\nwide cell  x\n           y\n");
}

TEST_F(ChannelListTest, ChannelsAreFoundByTheirPrintedNumber) {
  const TQ730SYSF& system = Named();
  const int mtr = system.FirstChannelOf(kGroupMTR);
  const std::pair<const char*, int> cases[] = {
      {"CH 1", 0}, {"ch1", 0}, {" 2 ", 1}, {"CH 02", -1}, {"MTR1", mtr}, {"mtr 1", mtr},
      {"0", -1},   {"", -1},   {"99", -1}, {"12345", -1}, {"Kick", -1},
  };
  for (const auto& [text, channel] : cases) EXPECT_EQ(ChannelNamed(system, text), channel) << text;
}

TEST_F(ChannelListTest, PreviewListsEveryChangeAndProblem) {
  struct Case {
    std::string csv;
    std::vector<std::string> preview;
  };
  const Case cases[] = {
      {"CH 1,Kick\n", {"CH 1: \"old\" -> \"Kick\"", "1 name change, 0 stay, 0 problems."}},
      {"Channel,Name\nCH 2,Lead Vocal\n",
       {"CH 2: \"old\" -> \"Lead Vo\"",
        "Row 2: CH 2 \"Lead Vocal\" is cut to \"Lead Vo\" (7 characters fit).",
        "1 name change, 0 stay, 1 problem."}},
      {"3,Snare\xE2\x98\x85",
       {"CH 3: \"old\" -> \"Snare?\"",
        "Row 1: CH 3 \"Snare\xE2\x98\x85\" becomes \"Snare?\": the console cannot show every "
        "character.",
        "1 name change, 0 stay, 1 problem."}},
      {"CH 99,Ghost\nCH 1,Kick",
       {"CH 1: \"old\" -> \"Kick\"", "Row 1: no channel \"CH 99\" in this title; left out.",
        "1 name change, 0 stay, 1 problem."}},
      {"CH 1,Kick\nch1,Bass",
       {"CH 1: \"old\" -> \"Kick\"", "Row 2: CH 1 is named again; row 1 counts.",
        "1 name change, 0 stay, 1 problem."}},
      {"Kick\nSnare",
       {"CH 1: \"old\" -> \"Kick\"", "CH 2: \"old\" -> \"Snare\"",
        "2 names change, 0 stay, 0 problems."}},
      {"Name\tChannel\nHat\tCH 4",
       {"CH 4: \"old\" -> \"Hat\"", "1 name change, 0 stay, 0 problems."}},
      {"CH 1,old\nCH 2,\"old\"", {"0 names change, 2 stay, 0 problems."}},
      {"CH 1,K\xE4se",
       {"CH 1: \"old\" -> \"K\xC3\xA4se\"", "The file is not UTF-8: it was read as Latin-1.",
        "1 name change, 0 stay, 1 problem."}},
      {"CH 1,\"Two\nLines\"",
       {"CH 1: \"old\" -> \"Two?Lin\"",
        "Row 1: CH 1 \"Two\nLines\" is cut to \"Two?Lin\" (7 characters fit).",
        "Row 1: CH 1 \"Two\nLines\" becomes \"Two?Lin\": the console cannot show every character.",
        "1 name change, 0 stay, 2 problems."}},
      {"Channel,Name\nCH 1",
       {"Row 2: CH 1 has no name cell; left out.", "0 names change, 0 stay, 1 problem."}},
      {"", {"The file holds no rows."}},
      {std::string("CH 1,\0", 6), {"The file holds binary data, not text."}},
  };
  for (const Case& c : cases) {
    Named();
    const NameImport names(title.System(), c.csv);
    EXPECT_EQ(names.PreviewLines(), c.preview) << c.csv;
  }
}

TEST_F(ChannelListTest, ColumnsCanBeChosenAndLongFilesStayReadable) {
  TQ730SYSF& system = Named();
  NameImport names(system, "x,Kick,CH 2\n");
  EXPECT_EQ(names.Columns(), (NameColumns{false, -1, 0}));
  EXPECT_EQ(names.ColumnCount(), 3);
  EXPECT_EQ(names.ColumnLabel(2), "Column C");
  names.SetColumns({false, 2, 1});
  ASSERT_EQ(names.Changes().size(), 1u);
  EXPECT_EQ(names.Changes()[0].channel, 1);
  names.SetColumns({false, 1, 1});
  EXPECT_EQ(names.PreviewLines(),
            std::vector<std::string>{
                "Choose the column of the names (and of the channels, or the row order)."});
  EXPECT_FALSE(names.Apply(system));

  // Ten thousand rows in list order: every channel named once, the rest listed up to the cap.
  std::string csv = "Name\n";
  for (int i = 0; i < 10000; ++i) csv += "N" + std::to_string(i) + "\n";
  const NameImport many(system, csv);
  EXPECT_EQ(static_cast<int>(many.Changes().size()), system.Count());
  EXPECT_EQ(static_cast<int>(many.Problems().size()), 10000 - system.Count());
  const auto lines = many.PreviewLines();
  EXPECT_EQ(lines.size(), many.Changes().size() + kShownProblems + 2);
  EXPECT_EQ(
      lines[lines.size() - 2],
      "... and " + std::to_string(10000 - system.Count() - kShownProblems) + " more problems.");
  EXPECT_TRUE(many.Apply(system));
  EXPECT_EQ(system.NameText(2), "N2");
}

TEST_F(ChannelListTest, ImportInTheEditorIsOneUndoStep) {
  EditSession& s = Open();
  const std::string before = s.GetTitle().System().NameText(0);
  const NameImport names(s.GetTitle().System(), "CH 1,Cajon\nCH 2,Bongo\n");
  ASSERT_TRUE(s.ImportNames(names));
  EXPECT_EQ(s.GetTitle().System().NameText(1), "Bongo");
  EXPECT_TRUE(s.Modified());
  s.UndoCommand();
  EXPECT_EQ(s.GetTitle().System().NameText(0), before);
  s.RedoCommand();
  EXPECT_EQ(s.GetTitle().System().NameText(0), "Cajon");
  // Nothing to change, or a locked title: no step.
  EXPECT_FALSE(s.ImportNames(NameImport(s.GetTitle().System(), "CH 1,Cajon\n")));
  gen::TitleSpec locked;
  locked.locked = true;
  EditSession& l = Open(locked);
  EXPECT_FALSE(l.ImportNames(NameImport(l.GetTitle().System(), "CH 1,Cajon\n")));
  EXPECT_NE(l.GetTitle().System().NameText(0), "Cajon");
}

// The list pane's rename writes names by the same rules as the import.
TEST_F(ChannelListTest, RenameInTheListKeepsTheSameRules) {
  EditSession& s = Open();
  ListPane& pane = s.Pane();
  const std::pair<std::string, std::string> cases[] = {
      {"Tab\tbar!!", "Tab?bar"}, {"Bl\xE4ser", "Bl\xE4ser"}, {"Vox", "Vox"}};
  for (const auto& [typed, name] : cases) {
    pane.StartRename("");
    ASSERT_TRUE(pane.Rename().visible);
    EXPECT_EQ(pane.Rename().max_length, 7);
    pane.CommitRename(typed);
    EXPECT_EQ(s.GetTitle().System().NameText(s.Cursor()), name) << typed;
  }
  // A name given back as it was stays byte for byte, unshowable bytes too.
  s.GetTitle().System().SetName(s.Cursor(), "A\x01");
  const int steps = s.Undo().UndoCount();
  pane.StartRename("");
  pane.CommitRename("A\x01");
  EXPECT_EQ(s.GetTitle().System().NameText(s.Cursor()), "A\x01");
  EXPECT_EQ(s.Undo().UndoCount(), steps);
}

}  // namespace
}  // namespace orb
