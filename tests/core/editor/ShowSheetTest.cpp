// The show sheet's tables for a sample title, and how they fall onto pages.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/editor/ChannelList.h"
#include "core/editor/ShowSheet.h"
#include "core/model/ParamIds.h"
#include "core/model/Title.h"
#include "tests/core/editor/EditSessionTest.h"

namespace orb {
namespace {

class ShowSheetTest : public EditSessionTest {};

TEST_F(ShowSheetTest, TablesOfASampleTitle) {
  gen::TitleSpec spec;
  spec.name = "Gala";
  spec.snapshots = 3;
  spec.cues = 4;
  Title title;
  ASSERT_EQ(title.OpenTitle(Write(spec).string()), kOk);
  title.System().SetName(0, "Kick");
  title.Snapshots().SetName(1, "Act 2");
  title.Cues().SetParam(0, kParamCueEvent, TQ730CUE::kRecallSnapshot);
  title.Cues().SetParam(0, kParamCueEventNumber, 2);
  title.System().SetParam(0, kParamOutputRouting, 1);
  const ShowSheet sheet = BuildShowSheet(title, {0, 999});

  EXPECT_EQ(sheet.title_name, "Gala");
  EXPECT_FALSE(sheet.save_date.empty());
  ASSERT_EQ(sheet.info.size(), 7u);
  EXPECT_EQ(sheet.info[0], (std::pair<std::string, std::string>{"NAME", "Gala"}));
  EXPECT_EQ(sheet.pictures, std::vector<int>{0});  // a channel beyond the layout is left out

  std::vector<std::string> titles;
  for (const SheetTable& table : sheet.tables) titles.push_back(table.title);
  EXPECT_EQ(titles, (std::vector<std::string>{"Channels", "Output patch", "Snapshots", "Cues"}));

  const SheetTable& channels = sheet.tables[0];
  EXPECT_EQ(channels.header,
            (std::vector<std::string>{"Channel", "Name", "Source", "Link", "Fader group",
                                      "Cut group", "EQ", "Dynamics", "Level"}));
  ASSERT_EQ(static_cast<int>(channels.rows.size()), title.System().Count());
  EXPECT_EQ(channels.rows[0][0], "CH 1");
  EXPECT_EQ(channels.rows[0][1], "Kick");
  EXPECT_EQ(channels.rows[0][8], ChannelRows(title.System())[0][kColumnLevel]);

  const SheetTable& outputs = sheet.tables[1];
  ASSERT_FALSE(outputs.rows.empty());
  EXPECT_EQ(outputs.rows[0][0], "OUTPUTS 1-1");
  for (const auto& row : outputs.rows) EXPECT_NE(row[1], "NC");

  const SheetTable& snapshots = sheet.tables[2];
  ASSERT_EQ(snapshots.rows.size(), 3u);
  EXPECT_EQ(snapshots.rows[1][1], "Act 2");

  const SheetTable& cues = sheet.tables[3];
  EXPECT_EQ(cues.header, (std::vector<std::string>{"No.", "TIME CODE", "TC LINK", "EVENT", "NUMBER",
                                                   "CHANNEL", "EVENT NAME"}));
  ASSERT_EQ(cues.rows.size(), 4u);
  EXPECT_EQ(cues.rows[0][1], FormatTC(FromBCD(title.Cues().Time(0))));
  EXPECT_EQ(cues.rows[0][3], "SNAPSHOT");
  EXPECT_EQ(cues.rows[0][4], "02");
  EXPECT_EQ(cues.rows[0][6], "Act 2");

  EXPECT_EQ(SheetFooter(sheet, 2, 5), "Gala  saved " + sheet.save_date + "  page 2 of 5");
}

// "i" for the information; each slice as table[first+rows], "c" when continued; "P3" a picture.
std::string Layout(const std::vector<SheetPage>& pages) {
  std::string out;
  for (const SheetPage& page : pages) {
    std::string text = page.info ? "i" : "";
    if (page.picture >= 0) text += "P" + std::to_string(page.picture);
    for (const SheetSlice& s : page.slices)
      text += (text.empty() ? "" : " ") + std::to_string(s.table) + "[" +
              std::to_string(s.first_row) + "+" + std::to_string(s.rows) + "]" +
              (s.continued ? "c" : "");
    out += (out.empty() ? "" : " | ") + text;
  }
  return out;
}

TEST_F(ShowSheetTest, TablesBreakAcrossPagesWithTheirHeaders) {
  const auto sheet_of = [](std::vector<int> sizes, std::vector<int> pictures = {}) {
    ShowSheet sheet;
    sheet.info.resize(7);
    for (int size : sizes)
      sheet.tables.push_back({"T", {"h"}, std::vector<std::vector<std::string>>(size, {"x"})});
    sheet.pictures = std::move(pictures);
    return sheet;
  };
  struct Case {
    std::vector<int> sizes;
    int lines;
    std::string layout;
  };
  const Case cases[] = {
      // 9 lines of information leave 9 rows beside the heading and header row.
      {{30, 0}, 20, "i 0[0+9] | 0[9+18]c | 0[27+3]c 1[0+0]"},
      {{5, 5}, 20, "i 0[0+5] | 1[0+5]"},  // 2 rows would fit: the table waits
      {{2, 1}, 40, "i 0[0+2] 1[0+1]"},
      {{}, 3, "i"},  // too few lines count as 8
      {{1}, 20, "i 0[0+1]"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Layout(PaginateSheet(sheet_of(c.sizes), c.lines)), c.layout) << c.layout;
  EXPECT_EQ(Layout(PaginateSheet(sheet_of({1}, {4, 0}), 20)), "i 0[0+1] | P4 | P0");
}

}  // namespace
}  // namespace orb
