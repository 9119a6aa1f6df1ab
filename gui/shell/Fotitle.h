// TFo_Title: the title manager window, the titles of the library and the commands on them.
#pragma once

#include <QLabel>
#include <QWidget>
#include <functional>
#include <string>

#include "core/model/Prompter.h"
#include "core/model/Status.h"
#include "core/storage/Library.h"
#include "core/storage/Settings.h"

class QAction;
class QFileSystemWatcher;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QShortcut;
class QTimer;
class QToolButton;
class QVBoxLayout;

namespace orb {

// What the title manager hands to the RS-232C transfer window and reads back
// from it after it closed.
struct TransferRequest {
  int mode = 0;            // 0 import, 1 export
  int slot = 0;            // console slot 0 to 9
  std::string title_path;  // export: the title to send
};
struct TransferResult {
  bool success = false;
  std::string imported_path;  // import: the new title; an export leaves it empty
};
using TransferSessionRunner = std::function<TransferResult(const TransferRequest&)>;
// Opens an editor window on the title file.
using EditorOpener = std::function<void(const std::string& path)>;

// A value that may be longer than its place: cut with an ellipsis to its width and lines, the
// whole text in its tooltip.
class ElidedLabel : public QLabel {
 public:
  ElidedLabel(int lines, QWidget* parent);
  void SetFullText(const QString& text);
  const QString& FullText() const { return full_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Fit();

  QString full_;
  int lines_;
};

// The title manager: the titles of the library folder and every command on
// whole titles. It lives as long as the program and cannot be closed.
class TFo_Title : public QWidget {
  Q_OBJECT

 public:
  // settings belong to the main frame and may change while the window lives.
  TFo_Title(std::string library_folder, const ShellSettings* settings, Prompter* prompter,
            QWidget* parent = nullptr);

  // Without a runner the RS-232C commands are disabled; without an opener, Open.
  void SetTransferSessionRunner(TransferSessionRunner runner);
  void SetEditorOpener(EditorOpener opener);
  // The titles open in editor windows, which Delete, Rename and Lock leave alone.
  void SetOpenTitles(OpenTitles* open) { open_titles_ = open; }
  bool CanTransfer() const { return static_cast<bool>(run_transfer_); }
  bool CanOpenEditor() const { return static_cast<bool>(open_editor_); }

  void ReloadList();
  Status SelectByPath(const std::string& path);
  void UpdateInformation();

  void OpenTitleWindow();
  // Asks for a second title of the library and shows what differs from the selected one.
  void CompareWithTitle();
  // Where the compare window's lines open an editor; without one they open nothing.
  void SetEditorPlaceOpener(std::function<void(const std::string&, int, int)> opener) {
    open_editor_at_ = std::move(opener);
  }
  void DeleteTitleFile();
  void RenameTitleFile();
  void BackupTitleFile();
  void ImportFromFloppy();
  void ExportToFloppy();
  void ImportFromConsole();
  void ExportToConsole();
  // Dropped title files come into the library one by one, each through the name dialog.
  void AddTitleFiles(const QStringList& files);

  bool HasSelection() const;
  // A title is selected and the library holds another one.
  bool CanCompare() const;
  // Empty when nothing is selected.
  std::string SelectedTitlePath() const;
  const std::string& LibraryFolder() const { return folder_; }

  // Enabled states of the menus and buttons; set only where they change.
  void Ti_RefreshTimer();
  // The RS-232C entries are shown only as the settings allow.
  void ApplyEntryVisibility();

  QLineEdit* Ed_Filter;
  QShortcut* Sc_Find;
  QListWidget* LB_Titles;
  QToolButton* Bu_Import;
  QToolButton* Bu_Export;
  QToolButton* Bu_Open;
  QToolButton* Bu_Backup;
  QPushButton* Bu_Lock;
  // Values of the information panel.
  ElidedLabel* La_Name;
  QLabel* La_Size;
  QLabel* La_Date;
  QLabel* La_InitialCue;
  QLabel* La_TCMode;
  QLabel* La_FS;
  ElidedLabel* La_Memo;
  // Why the title's file is damaged; hidden for a sound title.
  QLabel* La_Damage;
  QMenu* Po_List;
  QMenu* Po_Import;
  QMenu* Po_Export;
  QTimer* Ti_Refresh;
  // The list follows the library folder; a burst of changes reloads it once.
  QFileSystemWatcher* Fw_Library;
  QTimer* Ti_Reload;

  // Entries of the list popup.
  QAction* PL_ImportRS232C;
  QAction* PL_ExportRS232C;
  QAction* PL_ImportFDD;
  QAction* PL_ExportFDD;
  QAction* PL_Open;
  QAction* PL_Compare;
  QAction* PL_Delete;
  QAction* PL_Rename;
  QAction* PL_Backup;
  // Entries of the button popups.
  QAction* PI_ImportRS232C;
  QAction* PI_ImportFDD;
  QAction* PE_ExportRS232C;
  QAction* PE_ExportFDD;

 signals:
  // A line for the main frame's message line, such as a finished export.
  void MessageLine(const QString& text);

 protected:
  void showEvent(QShowEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void BuildTopBar(QVBoxLayout* layout);
  void BuildInformation(QVBoxLayout* layout);
  void BuildMenus();
  void Bu_LockClick(bool pressed);
  void ShowPopupBelow(QMenu* menu, QToolButton* button);
  void ClearInformation();
  void ApplyFilter();
  // Selects the next title after the selected one, round the end, that the filter keeps.
  void SelectNextShown();

  std::string folder_;
  const ShellSettings* settings_;
  Prompter* prompter_;
  TransferSessionRunner run_transfer_;
  EditorOpener open_editor_;
  std::function<void(const std::string&, int, int)> open_editor_at_;
  OpenTitles* open_titles_ = nullptr;
  bool shown_once_ = false;
};

}  // namespace orb
