// TTimelineArea, the automation timeline on the AUTOMATION tab: the frame Pa_Auto with the view
// list, the fill gauge, the tools and the zoom and scroll controls, and the drawing surface
// PB_Auto. The timeline's state lives in the editor session and its rules in the core; these
// widgets forward events and paint the scene the core builds.
#pragma once

#include <QImage>
#include <QWidget>
#include <functional>

#include "core/editor/EditSession.h"
#include "core/editor/TimelineEdits.h"
#include "core/editor/TimelineMouse.h"
#include "core/editor/TimelineNavigator.h"
#include "core/editor/TimelineScene.h"

class QActionGroup;
class QComboBox;
class QLabel;
class QMenu;
class QProgressBar;
class QScrollBar;
class QTimer;
class QToolButton;

namespace orb {

inline KeyMods ModsOf(Qt::KeyboardModifiers modifiers) {
  return {modifiers.testFlag(Qt::ShiftModifier), modifiers.testFlag(Qt::ControlModifier)};
}

// PB_Auto: the label column, the ruler and the bands.
class TTimelineSurface : public QWidget {
  Q_OBJECT

 public:
  explicit TTimelineSurface(EditSession& session, QWidget* parent = nullptr);

  void SetBold(bool bold) { bold_ = bold; }
  const TimelineMouse& Mouse() const { return mouse_; }
  // The scene of the last paint.
  const TimelineScene& Scene() const { return scene_; }
  // The scene as the next paint will show it.
  TimelineScene BuildCurrentScene() const;
  // The back buffer of the last paint, in device pixels.
  const QImage& Buffer() const { return buffer_; }
  TimelineNavigator Navigator();

  // Called after a gesture changed the title or the selection, and on every status text.
  std::function<void()> on_changed;
  std::function<void(const QString&)> on_status;
  std::function<void(const QPoint&)> on_context_menu;  // global position
  // After the wheel, a key or auto-scroll moved the view.
  std::function<void()> on_view;
  // A double-click on an event of the view.
  std::function<void(const EventEntry&)> on_event_entry;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void Status();
  void ViewMoved();
  void AutoScrollTick();

  EditSession& session_;
  TimelineMouse mouse_;
  TimelineScene scene_;
  QImage buffer_;
  bool bold_ = false;
  QTimer* Ti_AutoScroll;
  TimelinePointer last_pointer_;
  int wheel_angle_ = 0;
};

class TTimelineArea : public QWidget {
  Q_OBJECT

 public:
  explicit TTimelineArea(EditSession& session, QWidget* parent = nullptr);

  QWidget* Pa_Auto1;
  QWidget* Pa_AutoCtrl;
  QWidget* PB_Title;
  QComboBox* Co_View;
  QProgressBar* CG_Free;
  QToolButton* Bu_Write;
  QToolButton* Bu_Select;
  QToolButton* Bu_Eraser;
  QMenu* Po_Write;
  TTimelineSurface* PB_Auto;
  QScrollBar* Sc_Ch;
  QScrollBar* Sc_Time;
  QToolButton* Bu_RCh;
  QToolButton* Bu_DCh;
  QToolButton* Bu_RTime;
  QToolButton* Bu_DTime;
  QToolButton* Bu_FitTime;  // every event of the title in view
  QToolButton* Bu_SelTime;  // the selection in view
  QToolButton* Bu_Snap;     // snapping on or off
  QLabel* La_Words;         // what the title and the selection cost in stream words

  // The controls as the session stands (view, gauge, scroll ranges and steps, tools), then a
  // repaint.
  void Update();
  // Write and Eraser only where the title may be written; leaving them falls back to Select.
  void UpdateTools(bool tools);
  // Zoom to fit, zoom to the selection, Go To Timecode (asks a timecode and centres it).
  void ZoomToFit();
  void ZoomToSelection();
  void GoToTimecode();
  void ToggleSnap();
  // The size the window's other pages give it: a title left on this page opens as large.
  void SetNaturalSize(const QSize& size) { natural_size_ = size; }
  QSize sizeHint() const override {
    return natural_size_.isValid() ? natural_size_ : QWidget::sizeHint();
  }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void BuildWritePopup();
  void UpdateScrollBars();
  // The first time the tab shows, the view goes to the title's first event.
  void PlaceOnce();
  void OpenEventEntry(const EventEntry& entry);

  EditSession& session_;
  QActionGroup* shapes_;
  QSize natural_size_;
};

}  // namespace orb
