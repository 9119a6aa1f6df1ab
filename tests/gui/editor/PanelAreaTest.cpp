// The panel widget on the offscreen platform: a fader dragged, a switch drawn pressed while the
// mouse is down, a popup chosen, each gesture one undo step of the session.
#include <gtest/gtest.h>

#include <QTest>

#include "core/editor/EditSession.h"
#include "core/model/ParamIds.h"
#include "core/model/ParamModel.h"
#include "gui/editor/EditAreas.h"
#include "tests/gui/shell/GuiTestSupport.h"

namespace orb {
namespace {

const PageControl* Find(TPanelArea& panel, int id) {
  for (const PageControl& c : panel.Binding().Model().Scene().controls) {
    if (c.id == id) return &c;
  }
  return nullptr;
}

TEST(PanelAreaTest, DragsPressesAndPopupsEditTheTitle) {
  test::TempFolder folder;
  TClip clip;
  EditSession session(clip, nullptr);
  ASSERT_EQ(session.Open(folder.AddTitle("Panel")), kOk);
  session.SetCursor(2);
  TPanelArea panel(session);
  int changes = 0;
  panel.on_changed = [&changes] { ++changes; };
  QString status;
  panel.on_status = [&status](const QString& text) { status = text; };
  panel.grab();  // painted once: the page of the cursor

  const PageControl* fader = Find(panel, kParamFaderLevel);
  ASSERT_TRUE(fader);
  const QPoint cap(fader->cap.x, fader->cap.y), top(fader->cap.x, fader->travel_top);
  QTest::mousePress(&panel, Qt::LeftButton, {}, cap);
  QTest::mouseMove(&panel, top);
  QTest::mouseRelease(&panel, Qt::LeftButton, {}, top);
  TQ730SYSF& system = session.GetTitle().System();
  EXPECT_EQ(system.GetParam(2, kParamFaderLevel), 1023);
  EXPECT_FALSE(status.isEmpty());
  EXPECT_EQ(session.Undo().UndoCount(), 1);

  const PageControl* cut = Find(panel, kParamCut);
  ASSERT_TRUE(cut);
  const QPoint at(cut->box.left + 2, cut->box.top + 2);
  const int was = system.GetParam(2, kParamCut);
  QTest::mousePress(&panel, Qt::LeftButton, {}, at);
  ASSERT_TRUE(Find(panel, kParamCut));
  EXPECT_TRUE(Find(panel, kParamCut)->pressed);
  test::SaveRendering(&panel, "panel_cut_pressed");
  QTest::mouseRelease(&panel, Qt::LeftButton, {}, at);
  EXPECT_EQ(system.GetParam(2, kParamCut), 1 - was);

  // The link button asks for Po_Link; STEREO is chosen.
  system.SetParam(2, kParamLinkMode, kMono);
  panel.choose_popup = [](const PanelRequest& r, const std::vector<PopupItem>& items) {
    EXPECT_EQ(r.menu, Po_Link);
    EXPECT_EQ(items.size(), 3u);
    return std::optional<int>(items[1].value);
  };
  panel.grab();
  const PageControl* link = Find(panel, kParamLinkMode);
  ASSERT_TRUE(link);
  QTest::mouseClick(&panel, Qt::LeftButton, {}, QPoint(link->box.left + 2, link->box.top + 2));
  EXPECT_EQ(system.GetParam(2, kParamLinkMode), 1);
  EXPECT_EQ(session.Undo().UndoCount(), 3);
  EXPECT_GE(changes, 6);
}

}  // namespace
}  // namespace orb
