// The timeline widget on the AUTOMATION tab: drawn from the scene, driven with the mouse.
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QToolButton>
#include <QWheelEvent>
#include <cmath>
#include <cstdlib>

#include "core/editor/AutomationViews.h"
#include "core/editor/Sessions.h"
#include "core/model/ParamIds.h"
#include "core/model/ValueText.h"
#include "gui/editor/Foedit.h"
#include "gui/editor/Foentry.h"
#include "gui/editor/TimelinePainter.h"
#include "gui/editor/TimelineView.h"
#include "tests/gui/shell/GuiTestSupport.h"
#include "tests/support/ScriptedPrompter.h"

namespace orb {
namespace {

using namespace timeline;

constexpr int kAutomationTab = 4;
constexpr int kLevel = 110;

class TimelineViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gen::TitleSpec spec;
    spec.name = "Show";
    spec.cues = 2;
    Open(spec);
  }
  void Open(const gen::TitleSpec& spec) {
    window.reset();
    const std::string path = folder.File(spec.name + ".orb");
    const auto bytes = gen::MakeTitle(spec);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    session = &sessions.Open(path);
    window = std::make_unique<TFo_Edit>(*session, sessions, nullptr, &prompter);
    window->resize(1200, 640);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    window->TC_Tab->setCurrentIndex(kAutomationTab);
    QApplication::processEvents();
    surface = window->Pa_Auto->PB_Auto;
    // The tab opened on the title's first cue, an hour in; the tests draw from the day's start.
    session->Timeline().SetLeftTime(0);
    window->RefreshView();
  }

  TQ730AUTO& automation() { return session->GetTitle().Automation(); }
  std::vector<std::pair<double, int>> Events(const TQ730AUTO& list, int view, int row, double from,
                                             double to) {
    std::vector<std::pair<double, int>> out;
    const EventKey key = list.KeyOf(view, row);
    for (int i = 0; i < list.Count(); ++i) {
      const double t = TCToSeconds(list.EventTime(i), list.Rate());
      if (key.Matches(list.EventWord(i)) && t >= from && t <= to)
        out.emplace_back(t, key.Value(list.EventWord(i)));
    }
    return out;
  }
  void Event(int row, double seconds, int value) {
    ASSERT_TRUE(automation().AppendEvent(
        {SecondsToTC(seconds, automation().Rate()), automation().KeyOf(kLevel, row).Word(value)}));
  }
  int EventsOn(int row) {
    int n = 0;
    const EventKey key = automation().KeyOf(kLevel, row);
    for (int i = 0; i < automation().Count(); ++i) n += key.Matches(automation().EventWord(i));
    return n;
  }
  TimelineGeometry Geometry() {
    return {session->Timeline(), surface->width(), surface->height(), TimeSpan(automation())};
  }
  QPoint At(int row, double seconds, int value) {
    const TimelineGeometry g = Geometry();
    return {g.TimeX(seconds) + 1, g.ValueY(row, value, 1023) - 1};
  }
  void Drag(QPoint from, QPoint to, Qt::KeyboardModifiers mods = {}) {
    QTest::mousePress(surface, Qt::LeftButton, mods, from);
    QTest::mouseMove(surface, (from + to) / 2);
    QTest::mouseMove(surface, to);
    QTest::mouseRelease(surface, Qt::LeftButton, mods, to);
  }
  QScrollBar* Sc_Ch() { return window->Pa_Auto->Sc_Ch; }
  QScrollBar* Sc_Time() { return window->Pa_Auto->Sc_Time; }
  void Repaint() {
    window->RefreshView();
    surface->repaint();
  }

  test::TempFolder folder;
  ScriptedPrompter prompter;
  TClip clip;
  EditSessions sessions{clip, &prompter};
  EditSession* session = nullptr;
  std::unique_ptr<TFo_Edit> window;
  TTimelineSurface* surface = nullptr;
};

TEST_F(TimelineViewTest, RenderingsAtThreeZoomsWithSelectionAndCues) {
  for (int row = 0; row < 6; ++row) {
    automation().SetStartValue(kLevel, row, MakeTC(0, 0, 0, 0), 100 + 60 * row);
    for (int k = 0; k < 40; ++k)
      Event(row, 0.5 + k * 0.25 + row * 0.1, (k * 97 + row * 211) % 1024);
  }
  TQ730& cues = session->GetTitle().Cues();
  ASSERT_GE(cues.Count(), 2);
  cues.SetParam(0, kParamCueTime, static_cast<int>(ToBCD(MakeTC(0, 0, 3, 0))));
  cues.SetParam(1, kParamCueTime, static_cast<int>(ToBCD(MakeTC(0, 0, 7, 15))));
  automation().SetChannelSelected(1, true);
  automation().SetChannelSelected(2, true);
  session->SetSelection(2.0, 6.0);
  Repaint();

  const TimelineScene& scene = surface->Scene();
  ASSERT_EQ(scene.cues.size(), 2u);
  const QImage image = surface->grab().toImage();
  // The cue's line runs cyan down the data area; the selection inverts its bands.
  EXPECT_EQ(image.pixelColor(scene.cues[0].x, 300), QColor(0, 255, 255));
  const TimelineGeometry g = Geometry();
  const int inside = g.TimeX(4.5), outside = g.TimeX(9.5);  // between grid lines
  const int below_curves = kRulerHeight + 64 + 2;           // row 1's band, above its value range
  EXPECT_EQ(image.pixelColor(outside, below_curves), QColor(0, 42, 64));
  EXPECT_EQ(image.pixelColor(inside, below_curves), QColor(255, 255 - 42, 255 - 64));
  // Each label cell keeps its grey bottom edge above the next one's white top edge.
  for (const int bottom : {kRulerHeight, g.LabelRect(3).bottom, g.LabelRect(4).bottom}) {
    EXPECT_EQ(image.pixelColor(120, bottom - 1), QColor(160, 160, 160)) << bottom;
    EXPECT_EQ(image.pixelColor(120, bottom), QColor(Qt::white)) << bottom;
  }
  test::SaveRendering(window.get(), "timeline_72");

  for (int i = 0; i < 3; ++i) QTest::mouseClick(window->Pa_Auto->Bu_DTime, Qt::LeftButton);
  EXPECT_FLOAT_EQ(session->Timeline().Zoom(), 72.0f * 1.5f * 1.5f * 1.5f);
  Repaint();
  test::SaveRendering(window.get(), "timeline_243");
  for (int i = 0; i < 12; ++i) QTest::mouseClick(window->Pa_Auto->Bu_RTime, Qt::LeftButton);
  QTest::mouseClick(window->Pa_Auto->Bu_RCh, Qt::LeftButton);
  EXPECT_EQ(session->Timeline().BandHeight(), 42);
  Repaint();
  EXPECT_TRUE(surface->Scene().cues.size() == 2 && surface->Scene().selection.bands.size() == 2);
  test::SaveRendering(window.get(), "timeline_reduced");
}

// The selection shows as the picture without it, inverted over the selected bands and their
// labels, and along the line at its start: markers, text and cue boxes across its edges too.
TEST_F(TimelineViewTest, TheSelectionShowsAsTheUnselectedPictureInverted) {
  for (int row = 0; row < 6; ++row) {
    if (row != 2) automation().SetStartValue(kLevel, row, MakeTC(0, 0, 0, 0), 100 + 60 * row);
    for (int k = 0; k < 40; ++k)
      Event(row, 0.5 + k * 0.25 + row * 0.1, (k * 97 + row * 211) % 1024);
  }
  TQ730& cues = session->GetTitle().Cues();
  cues.SetParam(0, kParamCueTime, static_cast<int>(ToBCD(MakeTC(0, 0, 3, 0))));
  cues.SetParam(1, kParamCueTime, static_cast<int>(ToBCD(MakeTC(0, 0, 3, 5))));
  const struct {
    std::vector<int> rows;
    double from, to;
  } cases[] = {{{1, 2}, 2.0, 6.0},
               {{0, 1, 2, 3, 4, 5}, 0, 86399},
               {{0, 2, 3}, 2.97, 7.61},
               {{5}, 0.61, 0.62}};
  for (const auto& c : cases) {
    for (int row = 0; row < 6; ++row)
      automation().SetChannelSelected(row, std::count(c.rows.begin(), c.rows.end(), row) > 0);
    session->SetSelection(c.from, c.to);
    Repaint();
    TimelineScene scene = surface->Scene();
    const TimelineFonts fonts(false);
    QImage selected(scene.width, scene.height, QImage::Format_RGB32);
    PaintTimeline(selected, scene, fonts);
    const SelectionOverlay s = scene.selection;
    ASSERT_TRUE(s.shown && s.bands.size() == c.rows.size()) << c.from;
    scene.selection.shown = false;
    QImage expected(scene.width, scene.height, QImage::Format_RGB32);
    PaintTimeline(expected, scene, fonts);
    auto invert = [&](int left, int right, int top, int bottom) {
      for (int y = std::max(top, 0); y < std::min(bottom, scene.height); ++y)
        for (int x = std::max(left, 0); x <= std::min(right, scene.width - 1); ++x)
          expected.setPixel(x, y, expected.pixel(x, y) ^ 0xFFFFFFu);
    };
    for (const int band : s.bands) {
      const int top = kRulerHeight + band * scene.band_height;
      invert(1, 191, top, top + scene.band_height);
      invert(s.x1 + 1, s.x2 - 1, top, top + scene.band_height);
    }
    if (s.start_line) invert(s.x1, s.x1, kRulerHeight, scene.height);
    int wrong = 0;
    QPoint first;
    // Smoothed text blends its pen with the inverted ground to within one level of the
    // inverted blend.
    for (int y = 2; y < scene.height - 2; ++y) {  // the frame is drawn over the selection
      for (int x = 2; x < scene.width - 2; ++x) {
        const QRgb have = selected.pixel(x, y), want = expected.pixel(x, y);
        if (std::abs(qRed(have) - qRed(want)) <= 1 && std::abs(qGreen(have) - qGreen(want)) <= 1 &&
            std::abs(qBlue(have) - qBlue(want)) <= 1)
          continue;
        if (wrong++ == 0) first = {x, y};
      }
    }
    EXPECT_EQ(wrong, 0) << c.from << "-" << c.to << ", first at " << first.x() << "," << first.y();
  }
}

TEST_F(TimelineViewTest, WriteEraseAndMoveWithTheMouseEachUndoneInOneStep) {
  automation().SetStartValue(kLevel, 0, MakeTC(0, 0, 0, 0), 0);
  Event(3, 5.0, 500);
  Repaint();
  const int before = automation().Count();

  // Write a Line stroke on row 0 from 1 s to 4 s, rising from 200 to 800.
  QTest::mouseClick(window->Pa_Auto->Bu_Write, Qt::LeftButton);
  QMenu* popup = window->Pa_Auto->Po_Write;
  ASSERT_TRUE(popup->isVisible());
  popup->actions()[1]->trigger();  // "&Line"
  popup->hide();
  ASSERT_EQ(session->Timeline().Tool(), TimelineTool::kWrite);
  const QPoint from = At(0, 1.0, 200), to = At(0, 4.0, 800);
  QTest::mousePress(surface, Qt::LeftButton, {}, from);
  QTest::mouseMove(surface, to);
  // The status bar shows the value written; a right click in the middle of the drag is refused.
  EXPECT_FALSE(window->SB_Pointer->text().isEmpty());
  QContextMenuEvent during(QContextMenuEvent::Mouse, to, surface->mapToGlobal(to));
  QApplication::sendEvent(surface, &during);
  EXPECT_FALSE(window->PM_Edit->isVisible());
  surface->repaint();
  EXPECT_FALSE(surface->Scene().gesture.stroke.empty());
  test::SaveRendering(surface, "timeline_writing");
  QTest::mouseRelease(surface, Qt::LeftButton, {}, to);
  EXPECT_GT(EventsOn(0), 20);
  const EventKey key = automation().KeyOf(kLevel, 0);
  int last = -1;
  for (int i = 0; i < automation().Count(); ++i)
    if (key.Matches(automation().EventWord(i))) last = key.Value(automation().EventWord(i));
  EXPECT_EQ(last, Geometry().ValueAt(0, to.y(), 1023));  // the stroke ends where it was drawn
  QContextMenuEvent after(QContextMenuEvent::Mouse, to, surface->mapToGlobal(to));
  QApplication::sendEvent(surface, &after);
  EXPECT_TRUE(window->PM_Edit->isVisible());
  window->PM_Edit->hide();
  session->UndoCommand();
  EXPECT_EQ(automation().Count(), before);

  // The eraser drag over row 3 deletes its event; undo brings it back.
  QTest::mouseClick(window->Pa_Auto->Bu_Eraser, Qt::LeftButton);
  Repaint();
  Drag(At(3, 4.0, 300), At(3, 6.0, 300));
  EXPECT_EQ(EventsOn(3), 0);
  session->UndoCommand();
  EXPECT_EQ(EventsOn(3), 1);

  // With the Select tool, a range on row 3 dragged two rows up lands on row 1.
  QTest::mouseClick(window->Pa_Auto->Bu_Select, Qt::LeftButton);
  session->ClearSelect();
  Repaint();
  Drag(At(3, 4.0, 300), At(3, 6.0, 300));
  Repaint();
  Drag(At(3, 5.0, 300), At(1, 5.0, 300));
  EXPECT_EQ(EventsOn(3), 0);
  EXPECT_EQ(EventsOn(1), 1);
  session->UndoCommand();
  EXPECT_EQ(EventsOn(3), 1);
  EXPECT_EQ(EventsOn(1), 0);

  // What the mouse wrote is saved and loads back event for event.
  QTest::mouseClick(window->Pa_Auto->Bu_Write, Qt::LeftButton);
  window->Pa_Auto->Po_Write->actions()[3]->trigger();  // "Curve &2"
  window->Pa_Auto->Po_Write->hide();
  Repaint();
  Drag(At(2, 2.0, 900), At(2, 5.0, 100));
  ASSERT_GT(EventsOn(2), 10);
  ASSERT_EQ(session->Save(), kOk);
  Title saved;
  ASSERT_EQ(saved.OpenTitle(session->GetTitle().Path()), kOk);
  ASSERT_EQ(saved.Automation().Count(), automation().Count());
  for (int i = 0; i < automation().Count(); ++i) {
    EXPECT_EQ(saved.Automation().EventTime(i), automation().EventTime(i)) << i;
    EXPECT_EQ(saved.Automation().EventWord(i), automation().EventWord(i)) << i;
  }
}

TEST_F(TimelineViewTest, AMovedSelectionIsDeletedAndAFreeStrokeFlattensAsSaved) {
  gen::TitleSpec spec;
  spec.name = "Busy";
  spec.automation_words = 3000;
  Open(spec);
  // The edges below lie four pixels from the row's events, where other rows' events would
  // catch them.
  session->Timeline().SetSnap(false);
  const TQ730AUTO& list = automation();
  const double last = TCToSeconds(list.EventTime(list.Count() - 1), list.Rate());
  // The view and row with the most events, among views with a range of values.
  int view = kLevel, row = -1;
  std::size_t most = 0;
  for (const int v : kAutomationViews) {
    for (int r = 0; r < 72; ++r) {
      const std::size_t n = Events(list, v, r, 0, last).size();
      if (list.ParamMax(r, v) >= 50 && n > most) {
        view = v;
        row = r;
        most = n;
      }
    }
  }
  ASSERT_GE(most, 20u);
  window->Pa_Auto->Co_View->setCurrentIndex(ViewIndexOf(view));
  ASSERT_EQ(session->ViewParam(), view);
  const int range = list.ParamMax(row, view);
  const auto events = Events(list, view, row, 0, last);
  const auto at = [&](std::size_t from_end) { return events[events.size() - from_end].first; };
  // Shown from a second before the row's sixth last event to the title's end.
  Sc_Ch()->setValue(row);
  while ((last + 10 - at(6)) * session->Timeline().Zoom() > 750)
    QTest::mouseClick(window->Pa_Auto->Bu_RTime, Qt::LeftButton);
  const double px = 4 / double{session->Timeline().Zoom()};  // four pixels
  const double s = at(6) - px, e = at(5) + px;
  const auto before = Events(list, view, row, 0, s - px);
  Sc_Time()->setValue(static_cast<int>(std::ceil((s - 1) / TimeSpan(list) * kTimeScrollMax)));
  Repaint();
  auto point = [&](double seconds, int tenths) {
    const TimelineGeometry g = Geometry();
    return QPoint(g.TimeX(seconds) + 1, g.ValueY(0, range * tenths / 10, range) - 1);
  };

  // A range over two of the row's events, dragged past the title's end, then Delete.
  Drag(point(s, 3), point(e, 3));
  Repaint();
  Drag(point((s + e) / 2, 3), point(last + 2 + (e - s) / 2, 3));
  Repaint();
  QTest::mouseClick(window->Bu_Delete, Qt::LeftButton);
  EXPECT_TRUE(Events(list, view, row, s, e).empty());
  EXPECT_TRUE(Events(list, view, row, last + px, 86400).empty());

  // A Free stroke that rises, holds over the row's last events and steps down past the title's
  // end.
  Repaint();
  const double left = Geometry().LeftTime();
  const int scroll = Sc_Time()->value();
  QTest::mouseClick(window->Pa_Auto->Bu_Write, Qt::LeftButton);
  window->Pa_Auto->Po_Write->actions()[0]->trigger();  // "&Free"
  window->Pa_Auto->Po_Write->hide();
  Repaint();
  const double from = at(4) - px;
  const QPoint start = point(from, 2), rise = point(from + 2 * px, 8), hold = point(last + 2, 8);
  const QPoint end = point(last + 3, 5);
  QTest::mousePress(surface, Qt::LeftButton, {}, start);
  QTest::mouseMove(surface, rise);
  QTest::mouseMove(surface, (rise + hold) / 2);
  QTest::mouseMove(surface, hold);
  QTest::mouseMove(surface, end);
  QTest::mouseRelease(surface, Qt::LeftButton, {}, end);
  Repaint();
  test::SaveRendering(surface, "timeline_flattened");
  // The view did not move, though the title is longer now.
  EXPECT_DOUBLE_EQ(Geometry().LeftTime(), left);
  EXPECT_LT(Sc_Time()->value(), scroll);

  ASSERT_EQ(session->Save(), kOk);
  Title saved;
  ASSERT_EQ(saved.OpenTitle(session->GetTitle().Path()), kOk);
  const auto flat = Events(saved.Automation(), view, row, s, 86400);
  ASSERT_EQ(flat.size(), 3u);
  EXPECT_EQ(flat[0].second, Geometry().ValueAt(0, start.y(), range));
  EXPECT_EQ(flat[1].second, Geometry().ValueAt(0, rise.y(), range));
  EXPECT_EQ(flat[2].second, Geometry().ValueAt(0, end.y(), range));
  EXPECT_GT(flat[2].first, last + 2);
  EXPECT_EQ(Events(saved.Automation(), view, row, 0, s - px), before);
}

TEST_F(TimelineViewTest, OnOffViewsWriteFreeStrokesOnly) {
  QTest::mouseClick(window->Pa_Auto->Bu_Write, Qt::LeftButton);
  window->Pa_Auto->Po_Write->actions()[2]->trigger();  // "Curve &1"
  window->Pa_Auto->Po_Write->hide();
  window->Pa_Auto->Co_View->setCurrentIndex(2);  // "Cut"
  QTest::mouseClick(window->Pa_Auto->Bu_Write, Qt::LeftButton);
  const QList<QAction*> items = window->Pa_Auto->Po_Write->actions();
  EXPECT_TRUE(items[0]->isEnabled() && items[0]->isChecked());
  for (int tag = 1; tag < 5; ++tag) EXPECT_FALSE(items[tag]->isEnabled()) << tag;
  EXPECT_EQ(session->Timeline().Shape(), WriteShape::kFree);
  window->Pa_Auto->Po_Write->hide();
}

TEST_F(TimelineViewTest, TheTabOpensOnTheFirstEventAndTheWheelAndKeysMoveIt) {
  Event(5, 3600.5, 300);
  Event(9, 3660, 700);
  session->Timeline() = TimelineState();  // as a newly opened title has it
  Repaint();
  const double view = (surface->width() - kLabelWidth) / 72.0;
  EXPECT_NEAR(session->Timeline().LeftTime(), 3600.5 - view / 10, 1e-6);
  EXPECT_EQ(Sc_Time()->value(), session->Timeline().TimeScroll(TimeSpan(automation())));
  surface->setFocus();

  // Ctrl+wheel on the event zooms around it: it keeps its column.
  const int x = Geometry().EventX(3600.5);
  QWheelEvent wheel(QPointF(x, 100), surface->mapToGlobal(QPointF(x, 100)), QPoint(),
                    QPoint(0, 120), Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(surface, &wheel);
  EXPECT_FLOAT_EQ(session->Timeline().Zoom(), 72 * 1.25f);
  EXPECT_NEAR(Geometry().EventX(3600.5), x, 1);
  // The plain wheel scrolls rows; the keys scroll time and rows.
  QWheelEvent down(QPointF(x, 100), surface->mapToGlobal(QPointF(x, 100)), QPoint(),
                   QPoint(0, -240), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(surface, &down);
  EXPECT_EQ(session->Timeline().RowScroll(), 2);
  EXPECT_EQ(Sc_Ch()->value(), 2);
  const double left = session->Timeline().LeftTime();
  QTest::keyClick(surface, Qt::Key_Right);
  EXPECT_NEAR(session->Timeline().LeftTime(), left + view / 1.25 / 10, 1e-6);
  QTest::keyClick(surface, Qt::Key_PageDown);
  EXPECT_GT(session->Timeline().RowScroll(), 2);
  // Zoom to fit shows both events; the button does what the key does.
  QTest::keyClick(surface, Qt::Key_F);
  const TimelineGeometry fit = Geometry();
  EXPECT_LT(fit.LeftTime(), 3600.5);
  EXPECT_GT(fit.RightTime(), 3660);
  session->Timeline() = TimelineState();
  session->Timeline().SetPlaced();
  QTest::mouseClick(window->Pa_Auto->Bu_FitTime, Qt::LeftButton);
  EXPECT_NEAR(Geometry().LeftTime(), fit.LeftTime(), 1e-6);
  // S and the button both switch snapping.
  EXPECT_TRUE(window->Pa_Auto->Bu_Snap->isChecked());
  QTest::keyClick(surface, Qt::Key_S);
  EXPECT_FALSE(session->Timeline().Snap());
  EXPECT_FALSE(window->Pa_Auto->Bu_Snap->isChecked());
  QTest::mouseClick(window->Pa_Auto->Bu_Snap, Qt::LeftButton);
  EXPECT_TRUE(session->Timeline().Snap());
  Repaint();
  test::SaveRendering(window.get(), "timeline_fit");
}

TEST_F(TimelineViewTest, ADoubleClickTypesAnEventsTimeAndValue) {
  Event(1, 2.0, 500);
  Event(1, 4.0, 600);
  Repaint();
  const int undo = session->Undo().UndoCount();
  const QPoint at(Geometry().EventX(2.0), Geometry().ValueY(1, 500, 1023));
  QTest::mouseDClick(surface, Qt::LeftButton, {}, at);
  auto* entry = window->findChild<TFo_Entry*>();
  ASSERT_NE(entry, nullptr);
  ASSERT_EQ(entry->Ed_Fields.size(), 2u);
  EXPECT_EQ(entry->Ed_Fields[0]->text(), "00:00:02:00");
  // Text that is no value keeps the entry open with the reason.
  entry->Ed_Fields[1]->setText("loud");
  entry->accept();
  EXPECT_TRUE(entry->isVisible());
  EXPECT_FALSE(entry->La_Error->text().isEmpty());
  entry->Ed_Fields[0]->setText("00:00:05:00");
  entry->Ed_Fields[1]->setText(QString::fromStdString(FormatValue(kLevel, 900).value));
  entry->accept();
  QApplication::processEvents();
  const auto events = Events(automation(), kLevel, 1, 0, 10);
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0], std::pair(4.0, 600));
  EXPECT_EQ(events[1].first, 5.0);
  EXPECT_EQ(FormatValue(kLevel, events[1].second).value, FormatValue(kLevel, 900).value);
  EXPECT_EQ(session->Undo().UndoCount(), undo + 1);
}

TEST_F(TimelineViewTest, EscDuringADragPutsEverythingBack) {
  Event(2, 3.0, 500);
  Repaint();
  Drag(At(2, 2.0, 300), At(2, 4.0, 300));
  Repaint();
  const double start = session->SelectionStart(), end = session->SelectionEnd();
  MemoryFile before;
  ASSERT_EQ(session->GetTitle().WriteChunks(before), kOk);
  const int undo = session->Undo().UndoCount();
  QTest::mousePress(surface, Qt::LeftButton, {}, At(2, 3.0, 300));
  QTest::mouseMove(surface, At(4, 6.0, 300));
  QTest::keyClick(surface, Qt::Key_Escape);
  QTest::mouseRelease(surface, Qt::LeftButton, {}, At(4, 6.0, 300));
  MemoryFile after;
  ASSERT_EQ(session->GetTitle().WriteChunks(after), kOk);
  EXPECT_EQ(after.Bytes(), before.Bytes());
  EXPECT_EQ(session->Undo().UndoCount(), undo);
  EXPECT_EQ(session->SelectionStart(), start);
  EXPECT_EQ(session->SelectionEnd(), end);
  EXPECT_EQ(EventsOn(2), 1);
}

// Run with QT_SCALE_FACTOR at 1.5 and 2 (see tests/CMakeLists.txt): the back buffer has the
// screen's own pixels, and clicks still land in timeline coordinates.
TEST_F(TimelineViewTest, SharpAtTheScreensPixelRatio) {
  const qreal ratio = surface->devicePixelRatioF();
  if (const char* scale = std::getenv("QT_SCALE_FACTOR")) {
    EXPECT_DOUBLE_EQ(ratio, std::atof(scale));
  }
  if (ratio == 1) GTEST_SKIP() << "runs under QT_SCALE_FACTOR";
  Event(1, 2.0, 500);
  session->GetTitle().Cues().SetParam(0, kParamCueTime,
                                      static_cast<int>(ToBCD(MakeTC(0, 0, 3, 0))));
  Repaint();
  const QImage& buffer = surface->Buffer();
  EXPECT_EQ(buffer.size(), (QSizeF(surface->size()) * ratio).toSize());
  EXPECT_EQ(buffer.devicePixelRatio(), ratio);
  // A one-pixel cue line is about ratio device pixels wide, not blurred over more.
  const int cue_x = surface->Scene().cues.at(0).x;
  const int y = static_cast<int>(300 * ratio);
  int cyan = 0;
  for (int dx = -4; dx <= 4 + static_cast<int>(ratio); ++dx)
    cyan += buffer.pixelColor(static_cast<int>(cue_x * ratio) + dx, y) == QColor(0, 255, 255);
  EXPECT_GE(cyan, 1);
  EXPECT_LE(cyan, static_cast<int>(std::ceil(ratio)) + 1);
  Drag(At(1, 1.0, 300), At(1, 3.0, 300));
  EXPECT_NEAR(session->SelectionStart(), Geometry().TimeAt(At(1, 1.0, 300).x()), 1e-9);
  test::SaveRendering(window.get(),
                      "timeline_scale_" + std::to_string(static_cast<int>(ratio * 100)));
}

}  // namespace
}  // namespace orb
