// Setting values precisely with the real panel widget: drags that never jump, typed values,
// Tab and the arrow keys, the tooltip, and the pages drawn at device pixel ratios above 1.
#include <gtest/gtest.h>

#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>
#include <QToolTip>

#include "core/editor/EditSession.h"
#include "core/model/FaderLaw.h"
#include "core/model/ParamIds.h"
#include "gui/editor/PanelArea.h"
#include "gui/pages/PagePainter.h"
#include "tests/gui/shell/GuiTestSupport.h"

namespace orb {
namespace {

PageControl Control(TPanelArea& panel, int id) {
  for (const PageControl& c : panel.Binding().Model().Scene().controls) {
    if (c.id == id) return c;
  }
  ADD_FAILURE() << "no control " << id;
  return {};
}

QPoint Middle(const PageControl& c) {
  return {c.box.left + c.box.width / 2, c.box.top + c.box.height / 2};
}

struct Open {
  Open() {
    EXPECT_EQ(session.Open(folder.AddTitle("Precise")), kOk);
    panel = std::make_unique<TPanelArea>(session);
    panel->grab();
  }
  TQ730SYSF& System() { return session.GetTitle().System(); }
  void Drag(QPoint from, QPoint to, Qt::KeyboardModifiers mods = {}) {
    QTest::mousePress(panel.get(), Qt::LeftButton, mods, from);
    // With the modifiers held while moving, which QTest::mouseMove cannot say.
    QMouseEvent move(QEvent::MouseMove, QPointF(to), panel->mapToGlobal(QPointF(to)), Qt::NoButton,
                     Qt::LeftButton, mods);
    QApplication::sendEvent(panel.get(), &move);
    QTest::mouseRelease(panel.get(), Qt::LeftButton, mods, to);
    panel->grab();
  }
  test::TempFolder folder;
  TClip clip;
  EditSession session{clip, nullptr};
  std::unique_ptr<TPanelArea> panel;
};

TEST(PreciseEditingTest, DragsMoveFromWhereTheyWereGrabbed) {
  Open o;
  o.System().SetParam(0, kParamTrim, 31);  // -7.25 dB
  o.panel->grab();
  const QPoint trim = Middle(Control(*o.panel, kParamTrim));
  o.Drag(trim, trim + QPoint(4, 0));
  EXPECT_EQ(o.System().GetParam(0, kParamTrim), 31);
  EXPECT_EQ(o.session.Undo().UndoCount(), 0);
  o.Drag(trim, trim + QPoint(0, -4));
  EXPECT_EQ(o.System().GetParam(0, kParamTrim), 33);
  o.Drag(trim, trim + QPoint(0, -30), Qt::ControlModifier);
  EXPECT_EQ(o.System().GetParam(0, kParamTrim), 35);
  EXPECT_EQ(o.session.Undo().UndoCount(), 2);
  // The fader from its cap past the top of its travel.
  const PageControl fader = Control(*o.panel, kParamFaderLevel);
  o.Drag(QPoint(fader.cap.x, fader.cap.y), QPoint(fader.cap.x, fader.travel_top - 20));
  EXPECT_EQ(o.System().GetParam(0, kParamFaderLevel), kFaderSteps - 1);
}

TEST(PreciseEditingTest, TypedValuesAndTheFineReset) {
  Open o;
  const PageControl fader = Control(*o.panel, kParamFaderLevel);
  QTest::mouseDClick(o.panel.get(), Qt::LeftButton, {}, QPoint(fader.cap.x, fader.cap.y));
  QLineEdit* entry = o.panel->ValueEntry();
  ASSERT_TRUE(entry->isVisibleTo(o.panel.get()));
  // Text that cannot be read keeps the entry open with the reason under it.
  entry->setText("loud");
  QTest::keyClick(entry, Qt::Key_Return);
  EXPECT_TRUE(entry->isVisibleTo(o.panel.get()));
  EXPECT_TRUE(o.panel->ValueReason()->isVisibleTo(o.panel.get()));
  EXPECT_FALSE(o.panel->ValueReason()->text().isEmpty());
  test::SaveRendering(o.panel.get(), "panel_typed_reason");
  entry->setText("-3,5 dB");
  QTest::keyClick(entry, Qt::Key_Return);
  EXPECT_FALSE(entry->isVisibleTo(o.panel.get()));
  EXPECT_STREQ(FaderText(o.System().GetParam(0, kParamFaderLevel)), " -3.5");
  EXPECT_EQ(o.session.Undo().UndoCount(), 1);
  // The entry opens on the value as the page shows it; Esc leaves the value as it was.
  QTest::mouseDClick(o.panel.get(), Qt::LeftButton, {}, QPoint(fader.cap.x, fader.cap.y));
  EXPECT_EQ(entry->text(), "-3.5 dB");
  entry->setText("+6");
  QTest::keyClick(entry, Qt::Key_Escape);
  EXPECT_FALSE(entry->isVisibleTo(o.panel.get()));
  EXPECT_STREQ(FaderText(o.System().GetParam(0, kParamFaderLevel)), " -3.5");
  // Ctrl and a double-click: back to the default.
  QTest::mouseDClick(o.panel.get(), Qt::LeftButton, Qt::ControlModifier,
                     QPoint(fader.cap.x, fader.cap.y));
  EXPECT_EQ(o.System().GetParam(0, kParamFaderLevel), kFaderNominal);
  EXPECT_EQ(o.session.Undo().UndoCount(), 2);
  // A closed fader's entry reads OFF, without a unit.
  o.System().SetParam(0, kParamFaderLevel, 0);
  o.panel->grab();
  const PageControl closed = Control(*o.panel, kParamFaderLevel);
  QTest::mouseDClick(o.panel.get(), Qt::LeftButton, {}, QPoint(closed.cap.x, closed.cap.y));
  EXPECT_EQ(entry->text(), "OFF");
  QTest::keyClick(entry, Qt::Key_Escape);
}

TEST(PreciseEditingTest, TabAndTheArrowKeysAndTheTooltip) {
  Open o;
  o.System().SetParam(0, kParamTrim, 60);
  o.panel->grab();
  // Tab from nothing: the first control of the page's reading order, drawn with a frame.
  QTest::keyClick(o.panel.get(), Qt::Key_Tab);
  const PageControl* first = o.panel->Binding().Model().Current();
  ASSERT_TRUE(first);
  const PageScene& scene = o.panel->Binding().Model().Scene();
  for (const PageControl& c : scene.controls) EXPECT_EQ(c.focused, &c == first);
  // A click makes the trim current; Up and Page Up raise it, End takes it to the top.
  const QPoint trim = Middle(Control(*o.panel, kParamTrim));
  QTest::mouseClick(o.panel.get(), Qt::LeftButton, {}, trim);
  QTest::keyClick(o.panel.get(), Qt::Key_Up);
  EXPECT_EQ(o.System().GetParam(0, kParamTrim), 61);
  QTest::keyClick(o.panel.get(), Qt::Key_PageUp);
  EXPECT_EQ(o.System().GetParam(0, kParamTrim), 71);
  QTest::keyClick(o.panel.get(), Qt::Key_End);
  EXPECT_EQ(o.System().GetParam(0, kParamTrim), 120);
  EXPECT_EQ(o.session.Undo().UndoCount(), 1);
  test::SaveRendering(o.panel.get(), "panel_current_trim");
  // Enter types into it.
  QTest::keyClick(o.panel.get(), Qt::Key_Return);
  ASSERT_TRUE(o.panel->ValueEntry()->isVisibleTo(o.panel.get()));
  o.panel->ValueEntry()->setText("4.5");
  QTest::keyClick(o.panel->ValueEntry(), Qt::Key_Enter);
  EXPECT_EQ(o.System().GetParam(0, kParamTrim), 78);

  QTest::mouseMove(o.panel.get(), trim);
  QHelpEvent help(QEvent::ToolTip, trim, o.panel->mapToGlobal(trim));
  QApplication::sendEvent(o.panel.get(), &help);
  const std::string tip = o.panel->Binding().Model().TooltipText();
  EXPECT_NE(tip.find("Trim: +4.50 dB (\xE2\x88\x92"
                     "15.0 \xE2\x80\xA6 +15.00)"),
            std::string::npos)
      << tip;
  EXPECT_EQ(tip.rfind(o.System().NumberText(0), 0), 0u) << tip;
}

// At ratios above 1 the page is drawn with more device pixels in the same page places: shrunk
// back it is the page at 1, but it is no pixel-doubled copy of it.
TEST(PreciseEditingTest, PagesAreDrawnAtTheDevicePixelRatio) {
  Open o;
  const PageScene& scene = o.panel->Binding().Model().Scene();
  const QImage plain = RenderPage(scene, 1);
  for (const qreal ratio : {1.5, 2.0}) {
    const QImage sharp = RenderPage(scene, ratio);
    ASSERT_EQ(sharp.size(), QSize(800, 491) * ratio);
    EXPECT_EQ(sharp.deviceIndependentSize().toSize(), QSize(800, 491));
    sharp.save(QString::fromStdString(std::string(ORB_RENDER_DIR) + "/panel_channel_at_" +
                                      (ratio == 2 ? "2" : "1_5") + ".png"));
    const QImage shrunk =
        sharp.scaled(plain.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
            .convertToFormat(plain.format());
    long long difference = 0;
    for (int y = 0; y < plain.height(); ++y) {
      for (int x = 0; x < plain.width(); ++x)
        difference += std::abs(qGray(shrunk.pixel(x, y)) - qGray(plain.pixel(x, y)));
    }
    EXPECT_LT(difference / (plain.width() * plain.height()), 12) << ratio;
  }
  // At 2, the print has detail inside the 2 x 2 blocks a scaled-up page would fill alike.
  const QImage sharp = RenderPage(scene, 2);
  int detailed = 0;
  for (int y = 0; y + 1 < sharp.height(); y += 2) {
    for (int x = 0; x + 1 < sharp.width(); x += 2) {
      const QRgb a = sharp.pixel(x, y);
      detailed += a != sharp.pixel(x + 1, y) || a != sharp.pixel(x, y + 1) ||
                  a != sharp.pixel(x + 1, y + 1);
    }
  }
  EXPECT_GT(detailed, 2000);
}

}  // namespace
}  // namespace orb
