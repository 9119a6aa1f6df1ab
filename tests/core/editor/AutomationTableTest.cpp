// The automation events as a table: each event decoded to channel, parameter and value text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/editor/AutomationTable.h"
#include "core/editor/ChannelList.h"
#include "core/model/ParamIds.h"
#include "core/model/ParamNames.h"
#include "core/model/Title.h"
#include "core/model/ValueText.h"
#include "tests/core/editor/EditSessionTest.h"

namespace orb {
namespace {

class AutomationTableTest : public EditSessionTest {};

TEST_F(AutomationTableTest, EventsReadAsTheTimelineNamesThem) {
  Title title;
  ASSERT_EQ(title.OpenTitle(Write({}).string()), kOk);
  TQ730AUTO& automation = title.Automation();
  const int mtr = title.System().FirstChannelOf(kGroupMTR);
  struct Event {
    TimeCode time;
    int param, channel, value;
    std::vector<std::string> row;
  };
  const Event events[] = {
      {MakeTC(0, 0, 1, 0), kParamFaderLevel, 0, 100, {}},
      {MakeTC(0, 0, 2, 5), kParamCut, 1, 1, {}},
      {MakeTC(0, 1, 0, 0), kParamFaderLevel, mtr, 700, {}},
  };
  for (const Event& e : events) {
    ASSERT_TRUE(automation.KeyOf(e.param, e.channel).valid);
    ASSERT_TRUE(
        automation.AppendEvent({e.time, automation.KeyOf(e.param, e.channel).Word(e.value)}));
  }
  const auto rows = AutomationRows(automation);
  ASSERT_EQ(rows.size(), 3u);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const Event& e = events[i];
    EXPECT_EQ(rows[i][0], FormatTC(e.time));
    EXPECT_EQ(rows[i][1], title.System().NumberText(e.channel));
    EXPECT_EQ(rows[i][2], ParamName(e.param));
  }
  // The page's value texts without their padding; a switch reads ON or OFF.
  const ValueTexts level = FormatValue(kParamFaderLevel, 100);
  EXPECT_EQ(rows[0][3], Unpadded(level.value));
  EXPECT_NE(rows[0][3].front(), ' ');
  EXPECT_EQ(rows[0][4], "dB");
  EXPECT_EQ(rows[1][3], "ON");
  EXPECT_EQ(rows[1][4], "");
  EXPECT_EQ(AutomationRows(automation, 1).size(), 1u);
  EXPECT_EQ(AutomationRows(automation, mtr).at(0)[2], ParamName(kParamFaderLevel));
  EXPECT_EQ(AutomationRows(automation, -1, kParamCut).at(0)[1], "CH 2");
  EXPECT_TRUE(AutomationRows(automation, 0, kParamCut).empty());
  EXPECT_EQ(AutomationHeader(),
            (std::vector<std::string>{"Time code", "Channel", "Parameter", "Value", "Unit"}));
}

TEST_F(AutomationTableTest, FiltersSplitTheWholeList) {
  gen::TitleSpec spec;
  spec.automation_words = 3001;
  Title title;
  ASSERT_EQ(title.OpenTitle(Write(spec).string()), kOk);
  const auto all = AutomationRows(title.Automation());
  ASSERT_GT(all.size(), 100u);
  std::size_t by_channel = 0;
  for (int c = 0; c < title.System().Count(); ++c)
    by_channel += AutomationRows(title.Automation(), c).size();
  EXPECT_EQ(by_channel, all.size());
  const int view = ViewNamed(all[0][2]);
  ASSERT_NE(view, 0);
  for (const auto& row : AutomationRows(title.Automation(), -1, view)) EXPECT_EQ(row[2], all[0][2]);
  std::string lower = ParamName(kParamFaderLevel);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  EXPECT_EQ(ViewNamed(lower), kParamFaderLevel);
  EXPECT_EQ(ViewNamed("no such view"), 0);
}

}  // namespace
}  // namespace orb
