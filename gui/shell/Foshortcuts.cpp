#include "gui/shell/Foshortcuts.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QMenu>
#include <QShortcut>
#include <QTableWidget>
#include <QVBoxLayout>

namespace orb {
namespace {

QString Plain(QString text) {
  text.replace("&&", "\x01");
  text.remove('&');
  text.replace("\x01", "&");
  if (text.endsWith("...")) text.chop(3);
  return text;
}

void AddMenu(QList<ShortcutRow>& rows, const QMenu* menu, const QString& where) {
  for (const QAction* action : menu->actions()) {
    if (action->menu()) {
      AddMenu(rows, action->menu(), where + " \u2192 " + Plain(action->text()));
    } else if (!action->isSeparator() && !action->shortcut().isEmpty()) {
      rows.push_back(
          {where, Plain(action->text()), action->shortcut().toString(QKeySequence::NativeText)});
    }
  }
}

}  // namespace

QList<ShortcutRow> ShortcutRows(const QList<QMenu*>& menus, const QList<QShortcut*>& shortcuts,
                                const QString& where) {
  QList<ShortcutRow> rows;
  for (const QMenu* menu : menus) AddMenu(rows, menu, Plain(menu->title()));
  for (const QShortcut* shortcut : shortcuts) {
    if (shortcut->key().isEmpty()) continue;
    rows.push_back(
        {where, shortcut->whatsThis(), shortcut->key().toString(QKeySequence::NativeText)});
  }
  return rows;
}

TFo_Shortcuts::TFo_Shortcuts(const QList<ShortcutRow>& rows, QWidget* parent) : QDialog(parent) {
  setObjectName("TFo_Shortcuts");
  setWindowTitle("Keyboard Shortcuts");
  auto* layout = new QVBoxLayout(this);
  LB_Shortcuts = new QTableWidget(static_cast<int>(rows.size()), 3, this);
  LB_Shortcuts->setObjectName("LB_Shortcuts");
  LB_Shortcuts->setHorizontalHeaderLabels({"Where", "Command", "Keys"});
  LB_Shortcuts->verticalHeader()->hide();
  LB_Shortcuts->setEditTriggers(QAbstractItemView::NoEditTriggers);
  LB_Shortcuts->setSelectionBehavior(QAbstractItemView::SelectRows);
  for (int r = 0; r < rows.size(); ++r) {
    const ShortcutRow& row = rows[r];
    LB_Shortcuts->setItem(r, 0, new QTableWidgetItem(row.where));
    LB_Shortcuts->setItem(r, 1, new QTableWidgetItem(row.command));
    LB_Shortcuts->setItem(r, 2, new QTableWidgetItem(row.keys));
  }
  LB_Shortcuts->resizeColumnsToContents();
  LB_Shortcuts->horizontalHeader()->setStretchLastSection(true);
  LB_Shortcuts->setMinimumSize(460, 420);
  layout->addWidget(LB_Shortcuts);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
}

}  // namespace orb
