// The two areas beside and instead of the list pane: the parameter panel's surface PB_Edit
// (800 x 491; it shows which page and record are current until the pages draw on it) and the
// automation timeline's frame Pa_Auto with its controls laid out, empty until the timeline
// draws into it.
#pragma once

#include <QWidget>

#include "core/editor/EditSession.h"
#include "core/pages/PageScene.h"

class QComboBox;
class QProgressBar;
class QScrollBar;
class QToolButton;

namespace orb {

class TPanelArea : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kWidth = 800;
  static constexpr int kHeight = 491;

  explicit TPanelArea(const EditSession& session, QWidget* parent = nullptr);

  // The dynamics section the pages show; it stays as it is across repaints and tab changes.
  DynamicsSection Section() const { return section_; }
  void SetSection(DynamicsSection section) { section_ = section; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  const EditSession& session_;
  DynamicsSection section_ = DynamicsSection::kCompDuck;
};

// PB_Auto: the label column, the time ruler and the data area, without bands yet.
class TTimelineSurface : public QWidget {
  Q_OBJECT

 public:
  explicit TTimelineSurface(QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;
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
  TTimelineSurface* PB_Auto;
  QScrollBar* Sc_Ch;
  QScrollBar* Sc_Time;
  QToolButton* Bu_RCh;
  QToolButton* Bu_DCh;
  QToolButton* Bu_RTime;
  QToolButton* Bu_DTime;

  // The gauge and the tool buttons as the session stands.
  void Update();

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  EditSession& session_;
};

}  // namespace orb
