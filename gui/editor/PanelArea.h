// TPanelArea, the parameter panel's surface PB_Edit beside the list pane (800 x 491): it paints the
// page of the current tab and forwards the mouse to the panel model, opening the popups it asks
// for; pages without a scene yet show which page and record are current.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "core/editor/EditSession.h"
#include "core/editor/PanelBinding.h"
#include "core/pages/PageScene.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QWheelEvent;

namespace orb {

class TPanelArea : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kWidth = 800;
  static constexpr int kHeight = 491;

  explicit TPanelArea(EditSession& session, QWidget* parent = nullptr);
  ~TPanelArea() override;

  // The dynamics section the pages show; it stays as it is across repaints and tab changes.
  DynamicsSection Section() const { return binding_->Model().State().section; }
  void SetSection(DynamicsSection section);
  // Which outputs OUTPUT ASSIGN shows: panel state like the section.
  RoutingView OutputRoutingView() const { return binding_->Model().State().view; }
  void SetOutputRoutingView(RoutingView view);
  PanelBinding& Binding() { return *binding_; }

  // After a press or release, which may have changed the title or the window's state.
  std::function<void()> on_changed;
  // The status line's text for the control being changed or under the pointer, given after
  // every move and every repaint.
  std::function<void(const QString&)> on_status;
  // Shows a popup's items and returns the chosen value; by default a menu at the button.
  std::function<std::optional<int>(const PanelRequest&, const std::vector<PopupItem>&)>
      choose_popup;
  // What the panel shows of the session's page: the page and the panel's state.
  PageInput Input() { return binding_->Input(); }
  // The pick list of the assign pages (shown there only); a choice selects its item.
  QListWidget* AssignList() const { return LB_Assign; }
  // The entry a value is typed into over a control's value box, and the reason a text was not
  // taken, under it.
  QLineEdit* ValueEntry() const { return Ed_Value; }
  QLabel* ValueReason() const { return La_Reason; }
  // The wheel over a control of the page steps it (Ctrl: single steps); false elsewhere.
  bool WheelOnControl(QWheelEvent* event);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::optional<int> MenuChoice(const PanelRequest& request, const std::vector<PopupItem>& items);
  void Changed();
  void ShowStatus();
  // A popup the model asked for, chosen and written.
  void OpenPopup(const PanelRequest& request);
  void OpenTyping(const PanelRequest& request);
  void CloseTyping();
  void CommitTyping();

  EditSession& session_;
  std::unique_ptr<PanelBinding> binding_;
  QListWidget* LB_Assign;
  QLineEdit* Ed_Value;
  QLabel* La_Reason;
  std::vector<PickItem> assign_items_;

  // The list box takes the place and the items of the scene's pick list.
  void ShowPickList(const PagePickList& list);
};

}  // namespace orb
