// TFo_History: Edit → History, the editor's undo steps by name; clicking one undoes or redoes
// up to it.
#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

class QListWidget;

namespace orb {

class TFo_History : public QDialog {
  Q_OBJECT

 public:
  // steps: every step's name, oldest first; done: how many of them are done. go_to is called
  // with the number of steps to have done when a row is clicked, and hands back the new list.
  using GoTo = std::function<void(int done)>;
  using Steps = std::function<std::pair<std::vector<std::string>, int>()>;
  TFo_History(Steps steps, GoTo go_to, QWidget* parent = nullptr);

  // Row 0 is the title before the oldest step kept; row k the title after step k.
  QListWidget* LB_Steps;

 private:
  void Fill();

  Steps steps_;
  GoTo go_to_;
};

}  // namespace orb
