// TFo_Shortcuts: Help → Keyboard shortcuts, read from the menus' and the editor's own actions
// each time it opens, so that it lists what the keys really do.
#pragma once

#include <QDialog>
#include <QList>
#include <QString>

class QMenu;
class QShortcut;
class QTableWidget;

namespace orb {

struct ShortcutRow {
  QString where;    // "File", "Edit", "Editor window"
  QString command;  // the entry's text without its accelerator mark
  QString keys;     // as the menus show them
  bool operator==(const ShortcutRow&) const = default;
};

// Every entry with a shortcut in the menus (and their submenus), then the shortcuts that stand
// on their own, each described by its whatsThis text.
QList<ShortcutRow> ShortcutRows(const QList<QMenu*>& menus, const QList<QShortcut*>& shortcuts,
                                const QString& where = "Editor window");

class TFo_Shortcuts : public QDialog {
  Q_OBJECT

 public:
  explicit TFo_Shortcuts(const QList<ShortcutRow>& rows, QWidget* parent = nullptr);

  QTableWidget* LB_Shortcuts;
};

}  // namespace orb
