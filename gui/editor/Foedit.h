// TFo_Edit, the editor window of one title: the thirteen tabs, the list pane with its buttons and
// name editor, the parameter panel's area, the timeline's area on AUTOMATION, the Edit and Do menus
// (the main frame merges them into its bar), the context menu and the status bar. Every rule lives
// in the editor session; this window turns events into calls and paints what it is told.
#pragma once

#include <QWidget>
#include <array>
#include <optional>
#include <string>

#include "core/editor/EditSession.h"
#include "core/storage/Settings.h"
#include "gui/editor/EditorWindow.h"

class QAction;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QScrollBar;
class QStatusBar;
class QTabBar;
class QTimer;
class QToolButton;

namespace orb {

class EditSessions;
class TListPane;
class TPanelArea;
class TTimelineArea;

class TFo_Edit : public QWidget, public EditorWindow {
  Q_OBJECT

 public:
  // The session is the one the registry opened for this window; the window gives it back to
  // the registry when it is destroyed. settings belong to the main frame.
  TFo_Edit(EditSession& session, EditSessions& sessions, const ShellSettings* settings,
           Prompter* prompter, QWidget* parent = nullptr);
  ~TFo_Edit() override;

  // EditorWindow
  EditSession& Session() override { return session_; }
  void SaveTitle() override;
  std::string SaveTitleAs() override;
  void RedrawAll() override;

  // The refresh timer's step: enabled states, caption and the "Undo" panel, each written only
  // when it changed.
  void Ti_RefreshTimer();
  // Shows the window as the session now stands (after a tab change or a command).
  void RefreshView() override;
  // Shows a tab with the list cursor on an entry (-1 leaves the cursor).
  void ShowPlace(int tab, int cursor);
  // Edit → History: the steps by name, a click goes to one.
  void ShowHistory();
  // Ctrl+F: asks for a text and moves the list's cursor to the next entry whose name holds it.
  void FindInList();

  QTabBar* TC_Tab;
  QWidget* Pa_List;
  QWidget* Pa_ListCtrl;
  QLabel* La_List;
  QToolButton* Bu_New;
  QToolButton* Bu_Store;
  QToolButton* Bu_Recall;
  QToolButton* Bu_Delete;
  QToolButton* Bu_Lib;
  QMenu* Po_Lib;
  TListPane* PB_List;
  QScrollBar* Sc_List;
  QLineEdit* Ed_Edit;
  QWidget* Pa_Edit;
  TPanelArea* PB_Edit;
  QListWidget* LB_Assign;
  QListWidget* LB_List;
  QPushButton* Bu_Enter;
  TTimelineArea* Pa_Auto;
  QStatusBar* SB_Edit;
  QLabel* SB_Pointer;  // first panel: the timeline's pointer text
  QLabel* SB_Undo;     // second panel: "Undo"
  QTimer* Ti_Refresh;

  QMenu* M_Edit;
  QMenu* M_Do;
  QAction* ME_Undo;
  QAction* ME_Redo;
  QAction* ME_History;
  QAction* ME_Cut;
  QAction* ME_Copy;
  QAction* ME_Paste;
  QAction* ME_Delete;
  QAction* ME_OptionalCopy;
  QAction* ME_InsertTime;
  QAction* ME_DeleteTime;
  QAction* ME_SelectAll;
  // The timeline's: centre a typed timecode, offset or scale the selected values, thin them.
  QAction* ME_GoTo;
  QAction* ME_OffsetValues;
  QAction* ME_Thin;
  QAction* ME_ClearSelect;
  QAction* MD_Zero;
  QAction* MD_FaderCopy;
  QAction* MD_TrimFader;
  QAction* MD_SetGroup;
  QAction* MD_ResetGroup;
  QMenu* PM_Edit;
  QAction* Po_Undo;
  QAction* Po_Redo;
  QAction* Po_Cut;
  QAction* Po_Copy;
  QAction* Po_Paste;
  QAction* Po_Delete;
  QAction* Po_OptionalCopy;
  QAction* Po_InsertTime;
  QAction* Po_DeleteTime;
  QAction* Po_SelectAll;
  QAction* Po_ClearSelect;

  // The context menu as a right click opens it (after the enabling step); at is in PB_List.
  void OpenContextMenu(const QPoint& at);
  // Asks an amount and offsets or scales the selected events' values by it.
  void OffsetValues();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Undo and Redo name the step they take.
  void UpdateUndoTexts();
  void BuildListPane();
  void BuildPanelArea();
  void BuildMenus();
  void BuildStatusBar();
  void LayoutListPane();
  // Runs a command of the session with the name editor committed first, then shows the result.
  template <typename Command>
  void Run(Command command);
  bool ListKey(QKeyEvent* event);
  // Commits the name editor and the CUE page's number list, as every rule that closes one
  // closes the other.
  void CommitNameEditor();
  void SyncNameEditor();
  // Shows, fills, places or hides LB_List as the session's pick list says.
  void SyncPickList();
  void UpdateList();
  void UpdateCaption();
  void SwitchTab(int step);

  EditSession& session_;
  EditSessions& sessions_;
  const ShellSettings* settings_;
  Prompter* prompter_;
  std::optional<Enabling> enabled_;
  bool shown_once_ = false;
  bool syncing_editor_ = false;
  QString last_find_;
};

}  // namespace orb
