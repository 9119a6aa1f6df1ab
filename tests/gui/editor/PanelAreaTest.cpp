// The panel widget on the offscreen platform: a fader dragged, a switch drawn pressed while the
// mouse is down, a popup chosen, each gesture one undo step of the session.
#include <gtest/gtest.h>

#include <QListWidget>
#include <QTest>
#include <optional>

#include "core/editor/EditSession.h"
#include "core/model/ParamIds.h"
#include "core/model/ParamModel.h"
#include "gui/editor/PanelArea.h"
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
  // From the cap to past the top of its travel.
  const QPoint cap(fader->cap.x, fader->cap.y), top(fader->cap.x, fader->travel_top - 20);
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

// The graph and knob gestures with the mouse: a knob dragged up, an EQ handle and a dynamics
// handle dragged, the surround point pulled to a corner; one undo step each.
TEST(PanelAreaTest, KnobAndGraphHandlesFollowTheMouse) {
  test::TempFolder folder;
  TClip clip;
  EditSession session(clip, nullptr);
  ASSERT_EQ(session.Open(folder.AddTitle("Graphs")), kOk);
  TPanelArea panel(session);
  panel.grab();
  TQ730SYSF& system = session.GetTitle().System();
  auto drag = [&](QPoint from, QPoint to) {
    QTest::mousePress(&panel, Qt::LeftButton, {}, from);
    QTest::mouseMove(&panel, to);
    QTest::mouseRelease(&panel, Qt::LeftButton, {}, to);
    panel.grab();
  };
  int steps = 0;
  auto one_more_step = [&] { return session.Undo().UndoCount() == ++steps; };

  // On the dial's ring, then 40 pixels up: a fifth of the range.
  system.SetParam(0, kParamTrim, 0);
  panel.grab();
  // Copies: every gesture builds the page anew.
  ASSERT_TRUE(Find(panel, kParamTrim));
  const PageControl trim = *Find(panel, kParamTrim);
  const QPoint dial(trim.dial.x, trim.dial.y);
  std::optional<QPoint> ring;  // a point that turns the knob rather than drags its value box
  const PageScene& scene = panel.Binding().Model().Scene();
  for (int dx = -trim.radius - 4; dx <= trim.radius + 4 && !ring; ++dx) {
    for (int dy = -trim.radius - 4; dy <= trim.radius + 4 && !ring; ++dy) {
      if (HitTest(scene, dial.x() + dx, dial.y() + dy).type == HitType::kKnobTurn)
        ring = dial + QPoint(dx, dy);
    }
  }
  ASSERT_TRUE(ring);
  drag(*ring, *ring + QPoint(0, -40));
  EXPECT_EQ(system.GetParam(0, kParamTrim), 40 * trim.max / kKnobDragTravel);
  EXPECT_TRUE(one_more_step());

  // An EQ handle dragged sideways moves its band's frequency.
  system.SetParam(0, kParamEqOn, 1);
  panel.grab();
  ASSERT_TRUE(Find(panel, kParamEqBlock));
  const PageControl eq = *Find(panel, kParamEqBlock);
  ASSERT_GT(eq.graph.handles.size(), 1u);
  const GraphHandle band = eq.graph.handles[1];
  std::vector<int> before;
  for (int id = kParamEqFirst; id < kParamEqFirst + 40; ++id)
    before.push_back(system.GetParam(0, id));
  drag(QPoint(band.x, band.y), QPoint(band.x + 40, band.y - 10));
  std::vector<int> after;
  for (int id = kParamEqFirst; id < kParamEqFirst + 40; ++id)
    after.push_back(system.GetParam(0, id));
  EXPECT_NE(before, after);
  EXPECT_TRUE(one_more_step());

  // The dynamics handle sets its section's threshold.
  ASSERT_TRUE(Find(panel, kParamDynamicsBlock));
  const PageControl dyn = *Find(panel, kParamDynamicsBlock);
  ASSERT_FALSE(dyn.graph.handles.empty());
  const GraphHandle knee = dyn.graph.handles.front();
  const int id = knee.section == 1 ? kParamExpGateThreshold : kParamCompDuckThreshold;
  const int x = dyn.box.left + dyn.box.width / 2;
  const int was = system.GetParam(0, id);
  drag(QPoint(knee.x, knee.y), QPoint(x, knee.y));
  EXPECT_EQ(system.GetParam(0, id), std::clamp(was + DynamicsThresholdIndex(dyn.box, x) -
                                                   DynamicsThresholdIndex(dyn.box, knee.x),
                                               0, system.ParamMax(0, id)));
  EXPECT_TRUE(one_more_step());

  // The surround point pulled past the graph's far corner stops at its ends.
  if (Find(panel, kParamSurroundPanGraph)) {
    const PageRect box = Find(panel, kParamSurroundPanGraph)->box;
    drag(QPoint(box.left + 2, box.top + 2),
         QPoint(box.left + box.width + 30, box.top + box.height + 30));
    EXPECT_EQ(system.GetParam(0, kParamSurroundPanLR), 126);
    EXPECT_EQ(system.GetParam(0, kParamSurroundPanFR), 126);
    EXPECT_TRUE(one_more_step());
  }
  test::SaveRendering(&panel, "panel_after_graph_drags");
}

// Routing with the pick list: three sources chosen in LB_Assign and released on CH 5 go to
// CH 5, 6 and 7, as one undo step; the saved title loads back with them.
TEST(PanelAreaTest, PickListRoutesConsecutiveSourcesAndTheTitleSavesThem) {
  test::TempFolder folder;
  TClip clip;
  EditSession session(clip, nullptr);
  const std::string path = folder.AddTitle("Routing");
  ASSERT_EQ(session.Open(path), kOk);
  session.ChangeTab(8);  // INPUT ASSIGN
  TPanelArea panel(session);
  panel.grab();
  QListWidget* list = panel.AssignList();
  ASSERT_FALSE(list->isHidden());
  ASSERT_GT(list->count(), 4);
  std::optional<PageControl> target;
  for (const PageControl& c : panel.Binding().Model().Scene().controls) {
    if (c.kind == kKindRouting && c.channel == 4 && !target) target = c;
  }
  ASSERT_TRUE(target);
  // Sources other than the ones routed now, so that every write shows.
  int first = 1;
  while (first + 3 < list->count() &&
         list->item(first)->data(Qt::UserRole).toInt() == target->value)
    ++first;
  std::vector<int> chosen;
  for (int row = first; row < first + 3; ++row) {
    list->item(row)->setSelected(true);
    chosen.push_back(list->item(row)->data(Qt::UserRole).toInt());
  }
  const int steps = session.Undo().UndoCount();
  QTest::mouseClick(&panel, Qt::LeftButton, {}, QPoint(target->box.left + 2, target->box.top + 2));
  TQ730SYSF& system = session.GetTitle().System();
  for (int k = 0; k < 3; ++k) EXPECT_EQ(system.GetParam(4 + k, target->id), chosen[k]) << k;
  EXPECT_EQ(session.Undo().UndoCount(), steps + 1);

  ASSERT_EQ(session.Save(), kOk);
  Title reloaded;
  ASSERT_EQ(reloaded.OpenTitle(path), kOk);
  for (int k = 0; k < 3; ++k)
    EXPECT_EQ(reloaded.System().GetParam(4 + k, target->id), chosen[k]) << k;
}

}  // namespace
}  // namespace orb
