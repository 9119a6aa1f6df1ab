// The parameter panel's surface PB_Edit beside the list pane (800 x 491; it shows which page
// and record are current until the pages draw on it).
#pragma once

#include <QWidget>
#include <vector>

#include "core/editor/EditSession.h"
#include "core/pages/PageScene.h"

class QListWidget;

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
  // Which outputs OUTPUT ASSIGN shows: panel state like the section.
  RoutingView View() const { return view_; }
  void SetView(RoutingView view) { view_ = view; }
  // What the panel shows of the session's page: the page and the panel's state.
  PageInput Input() const;
  // The pick list of the assign pages (shown there only); a choice selects its item.
  QListWidget* AssignList() const { return LB_Assign; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  const EditSession& session_;
  DynamicsSection section_ = DynamicsSection::kCompDuck;
  RoutingView view_ = RoutingView::kOutputs;
  QListWidget* LB_Assign;
  std::vector<PickItem> assign_items_;

  // The list box takes the place and the items of the scene's pick list.
  void ShowPickList(const PagePickList& list);
};

}  // namespace orb
