// TFo_Compare: the compare window, what differs between two titles as a tree.
#pragma once

#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/compare/Compare.h"

class QLabel;
class QLineEdit;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;

namespace orb {

// Opens an editor window on a title at a tab, with the list cursor on an entry (-1: where it is).
using EditorPlaceOpener = std::function<void(const std::string& path, int tab, int cursor)>;

// What differs between two titles: a tree of lists, their records (or channels) and the lines,
// filled in as the user opens it, with a filter over the lines. Double-clicking a line opens the
// first title there in its editor; the line's menu opens either title there.
class TFo_Compare : public QWidget {
  Q_OBJECT

 public:
  struct Side {
    std::string name;  // the title's name as the list shows it
    std::string path;
  };
  TFo_Compare(Side a, Side b, Differences differences, EditorPlaceOpener opener,
              QWidget* parent = nullptr);

  // Applies the filter field now rather than after its pause.
  void ApplyFilter();
  // The difference a line of the tree stands for; none for the lists and records.
  std::optional<Difference> DifferenceOf(const QTreeWidgetItem* item) const;
  // Fills an item's children, once.
  void Populate(QTreeWidgetItem* item);
  // Opens side 0 (the first title) or 1 at the place of a line.
  void OpenAt(const QTreeWidgetItem* item, int side);

  QLabel* La_Titles;
  QLineEdit* Ed_Filter;
  QTreeWidget* TV_Differences;
  QLabel* La_Count;
  QTimer* Ti_Filter;

 private:
  void Rebuild();
  void AddLines(QTreeWidgetItem* parent, const DifferenceGroup& group);
  void ShowLineMenu(const QPoint& at);

  Side a_, b_;
  Differences differences_;
  std::vector<DifferenceGroup> groups_;
  EditorPlaceOpener open_;
};

}  // namespace orb
