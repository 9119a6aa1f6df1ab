#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "gui/editor/Focopy.h"
#include "gui/editor/Fofadercopy.h"
#include "gui/editor/Fostore.h"
#include "gui/editor/Fotrim.h"
#include "gui/shell/QtPrompter.h"
#include "tests/gui/shell/GuiTestSupport.h"

namespace orb {
namespace {

using test::WhenModal;

const std::vector<std::string> kLevels = {"Fader", "MTR Send", "AUX 1 Send", "AUX 2 Send"};

TEST(EditDialogsTest, OptionalCopyTicksGroupsAndCancelLeavesThemAlone) {
  QtPrompter prompter;
  const ParamGroupList groups = {{"EQ", {43}}, {"", {1}}, {"Dynamics", {16}}, {"Fader", {110}}};
  ParamGroupList chosen = groups;
  WhenModal([](QWidget* modal) {
    auto* dialog = qobject_cast<TFo_Copy*>(modal);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), "Zero");
    ASSERT_EQ(dialog->CLB_List->count(), 3);  // the unnamed group is not shown
    for (int i = 0; i < 3; ++i) EXPECT_EQ(dialog->CLB_List->item(i)->checkState(), Qt::Unchecked);
    QTest::mouseClick(dialog->Bu_AllOn, Qt::LeftButton);
    dialog->CLB_List->item(1)->setCheckState(Qt::Unchecked);
    test::SaveRendering(dialog, "dialog_zero");
    QTest::keyClick(dialog, Qt::Key_Return);
  });
  ASSERT_TRUE(prompter.ChooseParamGroups("Zero", chosen));
  ASSERT_EQ(chosen.size(), 2u);
  EXPECT_EQ(chosen[0].name, "EQ");
  EXPECT_EQ(chosen[1].name, "Fader");

  chosen = groups;
  WhenModal([](QWidget* modal) {
    EXPECT_EQ(modal->windowTitle(), "Optional Copy");
    QTest::mouseClick(modal->findChild<QPushButton*>("Bu_AllOn"), Qt::LeftButton);
    test::PressEscape(modal);
  });
  EXPECT_FALSE(prompter.ChooseParamGroups("Optional Copy", chosen));
  EXPECT_EQ(chosen.size(), groups.size());
}

TEST(EditDialogsTest, FaderCopyStartsOnFaderToMtrSend) {
  QtPrompter prompter;
  int source = 0, dest = 1;
  WhenModal([](QWidget* modal) {
    auto* dialog = qobject_cast<TFo_FaderCopy*>(modal);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), "Fader Copy");
    EXPECT_EQ(dialog->Co_Source->currentText(), "Fader");
    EXPECT_EQ(dialog->Co_Dest->currentText(), "MTR Send");
    EXPECT_EQ(dialog->Co_Dest->count(), 4);
    dialog->Co_Dest->setCurrentIndex(3);
    test::SaveRendering(dialog, "dialog_fader_copy");
    QTest::keyClick(dialog, Qt::Key_Return);
  });
  ASSERT_TRUE(prompter.FaderCopyDialog(kLevels, source, dest));
  EXPECT_EQ(source, 0);
  EXPECT_EQ(dest, 3);
  WhenModal([](QWidget* modal) { test::PressEscape(modal); });
  EXPECT_FALSE(prompter.FaderCopyDialog(kLevels, source, dest));
}

TEST(EditDialogsTest, TrimStaysOpenOnATextThatIsNoNumber) {
  QtPrompter prompter;
  int source = 0;
  std::string text = "0.0";
  std::vector<std::string> offered;
  const auto accept = [&](const std::string& typed) {
    offered.push_back(typed);
    return typed == "-3";
  };
  WhenModal([](QWidget* modal) {
    auto* dialog = qobject_cast<TFo_Trim*>(modal);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), "Trim Fader");
    EXPECT_EQ(dialog->Ed_Trim->text(), "0.0");
    test::SaveRendering(dialog, "dialog_trim");
    dialog->Ed_Trim->setText("abc");
    dialog->Ed_Trim->deselect();
    QTest::keyClick(dialog, Qt::Key_Return);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->Ed_Trim->selectedText(), "abc");
    dialog->Co_Source->setCurrentIndex(2);
    QTest::keyClicks(dialog->Ed_Trim, "-3");
    QTest::keyClick(dialog, Qt::Key_Return);
  });
  ASSERT_TRUE(prompter.TrimDialog(kLevels, source, text, accept));
  EXPECT_EQ(offered, (std::vector<std::string>{"abc", "-3"}));
  EXPECT_EQ(text, "-3");
  EXPECT_EQ(source, 2);
}

TEST(EditDialogsTest, StoreWaitsForAClickAndTakesADoubleClick) {
  QtPrompter prompter;
  const EntryList entries{"Recall", "DYN LIB", "&Recall", {"01 : Vocal", "02 : Bass", "03 : Kick"}};
  int index = -1;
  WhenModal([](QWidget* modal) {
    auto* dialog = qobject_cast<TFo_Store*>(modal);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), "Recall");
    EXPECT_EQ(dialog->La_Label->text(), "DYN LIB");
    EXPECT_EQ(dialog->Bu_OK->text(), "&Recall");
    EXPECT_FALSE(dialog->Bu_OK->isEnabled());
    QTest::keyClick(dialog, Qt::Key_Return);  // nothing chosen yet
    EXPECT_TRUE(dialog->isVisible());
    const QRect row = dialog->LB_List->visualItemRect(dialog->LB_List->item(1));
    QTest::mouseClick(dialog->LB_List->viewport(), Qt::LeftButton, {}, row.center());
    EXPECT_TRUE(dialog->Bu_OK->isEnabled());
    test::SaveRendering(dialog, "dialog_recall");
    const QRect third = dialog->LB_List->visualItemRect(dialog->LB_List->item(2));
    QTest::mouseClick(dialog->LB_List->viewport(), Qt::LeftButton, {}, third.center());
    QTest::mouseDClick(dialog->LB_List->viewport(), Qt::LeftButton, {}, third.center());
  });
  ASSERT_TRUE(prompter.ChooseEntry(entries, index));
  EXPECT_EQ(index, 2);
  WhenModal([](QWidget* modal) { test::PressEscape(modal); });
  EXPECT_FALSE(prompter.ChooseEntry(entries, index));
}

}  // namespace
}  // namespace orb
