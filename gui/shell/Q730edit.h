// TFo_Main: the main frame, with the child windows, the main menu, the settings and the port.
#pragma once

#include <QDesktopServices>
#include <QMainWindow>
#include <QPointer>
#include <QUrl>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/editor/Sessions.h"
#include "core/link/Serial.h"
#include "core/model/Prompter.h"
#include "core/storage/RecentTitles.h"
#include "core/storage/Settings.h"
#include "core/storage/WindowMemory.h"
#include "gui/editor/EditorWindow.h"

class QAction;
class QApplication;
class QLineEdit;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QSplitter;
class QTimer;

namespace orb {

class TFo_Splash;
class TFo_Title;

inline constexpr char kFrameCaption[] = "ORB Q730 Automation Editor";
inline constexpr char kApplicationTitle[] = "ORB-Q730 Editor";

// The same look wherever the program runs: Fusion, Liberation Sans for Arial.
void ApplyProgramLook(QApplication& application);

// The main frame: the child windows, the main menu, the settings file, the
// one serial port and the refresh timer.
class TFo_Main : public QMainWindow {
  Q_OBJECT

 public:
  struct Options {
    Prompter* prompter = nullptr;  // the frame's own Qt dialogs when null
    bool splash = true;
  };

  // app_folder holds the settings file and the title library.
  TFo_Main(std::string app_folder, Options options);
  ~TFo_Main() override;

  const std::string& AppFolder() const { return folder_; }
  const ShellSettings& Settings() const { return settings_; }
  EditSessions& Sessions() { return *sessions_; }
  std::string PortDevice(int port) const;
  const std::string& OpenTitleText() const { return open_title_; }
  void SetOpenTitleText(std::string path) { open_title_ = std::move(path); }
  // Set while a transfer window exists; the refresh timer leaves the port alone then.
  bool SessionActive() const { return session_active_; }
  void SetSessionActive(bool active) { session_active_ = active; }
  TSerial& Serial() { return serial_; }
  TFo_Title* TitleManager() const { return title_; }
  QMdiArea* MdiArea() const { return mdi_; }
  TFo_Splash* Splash() const;

  // Shows the frame where it was left (maximised the first time).
  void ShowAtRememberedPlace();
  void Ti_RefreshTimer();
  // Opens an editor window on the title file, or brings forward the one that has it.
  void OpenEditor(const std::string& path);
  // Opens the title's editor (or brings it forward) at a tab with the cursor on an entry.
  void OpenEditorAt(const std::string& path, int tab, int cursor);
  // The open editor windows, in the order they were opened.
  QList<QMdiSubWindow*> EditorWindows() const;

  // File → New title: asks for name, rate and timecode, writes the title into the library and
  // opens it.
  void MF_NewClick();
  void MF_SaveClick();
  void MF_SaveAsClick();
  void MW_CascadeClick();
  void MW_TileVerticalClick();
  void MW_TileHorizontalClick();
  void MW_ArrangeIconsClick();
  void MS_ConfigClick();
  void MS_RS232CClick();
  // Help → User guide (F1): the guide in the desktop's browser, else in a window of its own.
  void MH_ContentsClick();
  void MH_ShortcutsClick();
  // The user guide's file; empty when it is neither installed nor built.
  static QString GuideFile();
  // How the guide reaches the desktop's browser; false when none took it. Tests replace it.
  void SetGuideOpener(std::function<bool(const QString&)> open) { open_guide_ = std::move(open); }
  void MH_AboutClick();
  void Bu_WriteClick();
  void Bu_CloseClick();
  // The frame's message line: what just finished or failed, on one line.
  void ShowMessageLine(const std::string& text);

  QMenu* MM_File;
  QMenu* MF_Recent;  // the last titles opened, greyed when the file is gone
  QMenu* MM_Window;
  QMenu* MM_Setup;
  QMenu* MM_Help;
  QAction* MF_New;
  QAction* MF_ImportRS232C;
  QAction* MF_ExportRS232C;
  QAction* MF_ImportFDD;
  QAction* MF_ExportFDD;
  QAction* MF_Save;
  QAction* MF_SaveAs;
  QAction* MF_Open;
  QAction* MF_Compare;
  QAction* MF_ImportNames;
  QAction* MF_ExportChannels;
  QAction* MF_PrintSheet;
  QAction* MF_Delete;
  QAction* MF_Rename;
  QAction* MF_Backup;
  QAction* MF_Exit;
  QAction* MW_Cascade;
  QAction* MW_TileVertical;
  QAction* MW_TileHorizontal;
  QAction* MW_ArrangeIcons;
  QAction* MS_Config;
  QAction* MS_RS232C;
  QAction* MH_Contents;
  QAction* MH_Shortcuts;
  QAction* MH_ContentsSeparator;
  QAction* MH_About;
  // Ctrl+Shift+T shows or hides the diagnostics area.
  QAction* MA_Diagnostics;

  QTimer* Ti_Refresh;
  QSplitter* Sp_Main;
  QSplitter* Pa_Diagnostics;
  QPlainTextEdit* Me_Debug;
  QPlainTextEdit* Me_Terminal;
  QLineEdit* Ed_Terminal;
  QPushButton* Bu_Write;
  QPushButton* Bu_Cancel;
  QPushButton* Bu_Close;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildMenus();
  void BuildDiagnostics();
  void ConnectTransferSession();
  void DrainLog();
  void Tile(Qt::Orientation orientation);
  void FitTitleManager();
  QRect TilingArea() const;
  EditorWindow* ActiveEditor() const;
  // The active editor's Edit and Do menus stand after File; none without an active editor.
  void MergeEditorMenus();
  void BringForward(QMdiSubWindow* window);
  void FillWindowMenu();
  void FillRecentMenu();

  std::string folder_;
  std::unique_ptr<Prompter> own_prompter_;
  Prompter* prompter_;
  ProfileFile profile_;
  ShellSettings settings_;
  std::unique_ptr<RecentTitles> recent_;
  std::unique_ptr<WindowMemory> memory_;
  std::string open_title_;
  bool session_active_ = false;
  TSerial serial_;
  // The program's one clipboard and its editor sessions, one per open title file.
  TClip clip_;
  std::unique_ptr<EditSessions> sessions_;
  QPointer<TFo_Splash> splash_;
  QMdiArea* mdi_;
  TFo_Title* title_;
  QMdiSubWindow* title_window_;
  std::optional<bool> terminal_open_;
  QPointer<QWidget> merged_editor_;
  QList<QAction*> window_entries_;
  std::function<bool(const QString&)> open_guide_ = [](const QString& file) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(file));
  };
  bool shown_once_ = false;
  bool closing_ = false;
  int fitted_height_ = -1;
};

}  // namespace orb
