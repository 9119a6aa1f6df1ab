#include "gui/shell/Fotitle.h"

#include <QAction>
#include <QEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>

#include "core/model/Title.h"
#include "gui/shell/Foimpexp.h"
#include "gui/shell/Pictures.h"
#include "gui/shell/QtPrompter.h"
#include "core/storage/Floppy.h"
#include "core/storage/Library.h"

namespace orb {

namespace fs = std::filesystem;

namespace {

constexpr FileDialog kExportFileDialog{"Export", "ORB-Q730 File|*.DAT|All files|*.*", "DAT",
                                       "SYSF.DAT", true};
constexpr char kNoTransferHint[] =
    "Needs the RS-232C transfer window, which is not part of this build yet.";
constexpr char kNoEditorHint[] = "Needs the editor window, which is not part of this build yet.";
constexpr int kRowHeight = 20;

class FixedRowDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(kRowHeight);
    return size;
  }
};

void SetEnabled(QAction* action, bool on) {
  if (action->isEnabled() != on) action->setEnabled(on);
}
void SetEnabled(QWidget* widget, bool on) {
  if (widget->isEnabled() != on) widget->setEnabled(on);
}

std::string UpperFileName(const std::string& path) {
  std::string name = fs::path(path).filename().string();
  for (char& c : name)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return name;
}

std::string PathOf(const QListWidgetItem* item) {
  const QByteArray bytes = item->data(Qt::UserRole).toByteArray();
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QLabel* CaptionLabel(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  QFont font = label->font();
  font.setBold(true);
  font.setPointSizeF(font.pointSizeF() * 0.85);
  label->setFont(font);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, QColor(90, 98, 110));
  label->setPalette(palette);
  return label;
}

}  // namespace

TFo_Title::TFo_Title(std::string library_folder, const ShellSettings* settings, Prompter* prompter,
                     QWidget* parent)
    : QWidget(parent),
      folder_(std::move(library_folder)),
      settings_(settings),
      prompter_(prompter) {
  setObjectName("TFo_Title");
  setWindowTitle("Title");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->setSpacing(4);
  BuildTopBar(layout);

  LB_Titles = new QListWidget(this);
  LB_Titles->setObjectName("LB_Titles");
  LB_Titles->setItemDelegate(new FixedRowDelegate(LB_Titles));
  LB_Titles->setUniformItemSizes(true);
  LB_Titles->setSelectionMode(QAbstractItemView::SingleSelection);
  LB_Titles->setContextMenuPolicy(Qt::CustomContextMenu);
  LB_Titles->installEventFilter(this);
  layout->addWidget(LB_Titles, 1);
  connect(LB_Titles, &QListWidget::itemSelectionChanged, this, &TFo_Title::UpdateInformation);
  connect(LB_Titles, &QListWidget::itemDoubleClicked, this, &TFo_Title::OpenTitleWindow);
  connect(LB_Titles, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { Po_List->popup(LB_Titles->viewport()->mapToGlobal(at)); });

  BuildInformation(layout);
  BuildMenus();
  SetTransferSessionRunner(nullptr);
  SetEditorOpener(nullptr);
  ClearInformation();

  Ti_Refresh = new QTimer(this);
  Ti_Refresh->setInterval(50);
  connect(Ti_Refresh, &QTimer::timeout, this, &TFo_Title::Ti_RefreshTimer);
  Ti_Refresh->start();
}

void TFo_Title::BuildTopBar(QVBoxLayout* layout) {
  auto* bar = new QHBoxLayout;
  bar->setSpacing(1);
  bar->addWidget(CaptionLabel("TITLES", this));
  bar->addStretch();
  const auto button = [this, bar](const char* name, const char* hint, ButtonPicture picture) {
    auto* tool = new QToolButton(this);
    tool->setObjectName(name);
    tool->setAutoRaise(true);
    tool->setIcon(TitleButtonIcon(picture));
    tool->setIconSize(QSize(20, 20));
    tool->setToolTip(hint);
    bar->addWidget(tool);
    return tool;
  };
  Bu_Import = button("Bu_Import", "Import", ButtonPicture::kImport);
  Bu_Export = button("Bu_Export", "Export", ButtonPicture::kExport);
  Bu_Open = button("Bu_Open", "Open", ButtonPicture::kOpen);
  Bu_Backup = button("Bu_Backup", "Backup", ButtonPicture::kBackup);
  layout->addLayout(bar);
  connect(Bu_Import, &QToolButton::clicked, this, [this] { ShowPopupBelow(Po_Import, Bu_Import); });
  connect(Bu_Export, &QToolButton::clicked, this, [this] { ShowPopupBelow(Po_Export, Bu_Export); });
  connect(Bu_Open, &QToolButton::clicked, this, &TFo_Title::OpenTitleWindow);
  connect(Bu_Backup, &QToolButton::clicked, this, &TFo_Title::BackupTitleFile);
}

void TFo_Title::BuildInformation(QVBoxLayout* layout) {
  layout->addSpacing(2);
  layout->addWidget(CaptionLabel("INFORMATION", this));
  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(6);
  grid->setVerticalSpacing(2);
  grid->setContentsMargins(2, 0, 0, 0);
  const auto row = [this, grid](const char* caption) {
    const int at = grid->rowCount();
    auto* value = new QLabel(this);
    // The caption's smaller text sits centred on the value's first line.
    QLabel* label = CaptionLabel(caption, this);
    label->setFixedHeight(value->fontMetrics().height());
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    grid->addWidget(label, at, 0, Qt::AlignLeft | Qt::AlignTop);
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    grid->addWidget(value, at, 1, Qt::AlignTop);
    return value;
  };
  La_Name = row("NAME");
  La_Size = row("SIZE");
  La_Date = row("DATE");
  La_InitialCue = row("INITIAL CUE");
  La_TCMode = row("TC MODE");
  La_FS = row("FS");
  La_Memo = row("MEMO");
  La_Memo->setWordWrap(true);
  La_Memo->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  La_Memo->setMinimumHeight(La_Memo->fontMetrics().lineSpacing() * 2);
  grid->setColumnStretch(1, 1);
  layout->addLayout(grid);

  Bu_Lock = new QPushButton("Lock", this);
  Bu_Lock->setObjectName("Bu_Lock");
  Bu_Lock->setCheckable(true);
  auto* lock_row = new QHBoxLayout;
  lock_row->addStretch();
  lock_row->addWidget(Bu_Lock);
  layout->addLayout(lock_row);
  connect(Bu_Lock, &QPushButton::clicked, this, &TFo_Title::Bu_LockClick);
}

void TFo_Title::BuildMenus() {
  const auto entry = [this](QMenu* menu, const char* name, const char* text,
                            void (TFo_Title::*run)()) {
    QAction* action = menu->addAction(text);
    action->setObjectName(name);
    connect(action, &QAction::triggered, this, run);
    return action;
  };
  Po_List = new QMenu(this);
  Po_List->setObjectName("Po_List");
  PL_ImportRS232C =
      entry(Po_List, "PL_ImportRS232C", "I&mport from RS-232C...", &TFo_Title::ImportFromConsole);
  PL_ExportRS232C =
      entry(Po_List, "PL_ExportRS232C", "Export to RS-232C...", &TFo_Title::ExportToConsole);
  PL_ImportFDD =
      entry(Po_List, "PL_ImportFDD", "&Import from FDD...", &TFo_Title::ImportFromFloppy);
  PL_ExportFDD = entry(Po_List, "PL_ExportFDD", "&Export to FDD...", &TFo_Title::ExportToFloppy);
  Po_List->addSeparator();
  PL_Open = entry(Po_List, "PL_Open", "&Open", &TFo_Title::OpenTitleWindow);
  PL_Delete = entry(Po_List, "PL_Delete", "&Delete", &TFo_Title::DeleteTitleFile);
  PL_Rename = entry(Po_List, "PL_Rename", "&Rename...", &TFo_Title::RenameTitleFile);
  PL_Backup = entry(Po_List, "PL_Backup", "&Backup", &TFo_Title::BackupTitleFile);

  Po_Import = new QMenu(this);
  Po_Import->setObjectName("Po_Import");
  PI_ImportRS232C =
      entry(Po_Import, "PI_ImportRS232C", "Import from &RS-232C...", &TFo_Title::ImportFromConsole);
  PI_ImportFDD =
      entry(Po_Import, "PI_ImportFDD", "Import from &FDD...", &TFo_Title::ImportFromFloppy);

  Po_Export = new QMenu(this);
  Po_Export->setObjectName("Po_Export");
  PE_ExportRS232C =
      entry(Po_Export, "PE_ExportRS232C", "Export to &RS-232C...", &TFo_Title::ExportToConsole);
  PE_ExportFDD = entry(Po_Export, "PE_ExportFDD", "Export to &FDD...", &TFo_Title::ExportToFloppy);

  for (QMenu* menu : {Po_List, Po_Import, Po_Export}) {
    menu->setToolTipsVisible(true);
    connect(menu, &QMenu::aboutToShow, this, &TFo_Title::Ti_RefreshTimer);
  }
}

void TFo_Title::SetTransferSessionRunner(TransferSessionRunner runner) {
  run_transfer_ = std::move(runner);
  for (QAction* action : {PL_ImportRS232C, PL_ExportRS232C, PI_ImportRS232C, PE_ExportRS232C}) {
    action->setToolTip(CanTransfer() ? action->text().remove('&') : kNoTransferHint);
  }
  for (QAction* action : {PL_ImportRS232C, PI_ImportRS232C, PE_ExportRS232C})
    SetEnabled(action, CanTransfer());
  Ti_RefreshTimer();
}

void TFo_Title::SetEditorOpener(EditorOpener opener) {
  open_editor_ = std::move(opener);
  PL_Open->setToolTip(CanOpenEditor() ? "Open" : kNoEditorHint);
  Bu_Open->setToolTip(CanOpenEditor() ? "Open" : QString("Open\n") + kNoEditorHint);
  Ti_RefreshTimer();
}

void TFo_Title::showEvent(QShowEvent* event) {
  if (!shown_once_) {
    shown_once_ = true;
    ReloadList();
    const QSize client(184, std::max(400, height()));
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget())) {
      frame->resize(frame->size() - size() + client);
    } else {
      resize(client);
    }
  }
  ApplyEntryVisibility();
  QWidget::showEvent(event);
}

void TFo_Title::paintEvent(QPaintEvent* event) {
  const bool bold = settings_ && settings_->bold;
  if (LB_Titles->font().bold() != bold) {
    QFont font = LB_Titles->font();
    font.setBold(bold);
    LB_Titles->setFont(font);
  }
  QWidget::paintEvent(event);
}

bool TFo_Title::eventFilter(QObject* watched, QEvent* event) {
  if (watched == LB_Titles && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Delete) {
      if (PL_Delete->isEnabled()) DeleteTitleFile();
      return true;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      OpenTitleWindow();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TFo_Title::ApplyEntryVisibility() {
  const bool import = !settings_ || settings_->import_enabled;
  const bool exports = !settings_ || settings_->export_enabled;
  PL_ImportRS232C->setVisible(import);
  PI_ImportRS232C->setVisible(import);
  PL_ExportRS232C->setVisible(exports);
  PE_ExportRS232C->setVisible(exports);
}

void TFo_Title::ShowPopupBelow(QMenu* menu, QToolButton* button) {
  menu->popup(button->mapToGlobal(QPoint(0, button->height())));
}

void TFo_Title::Ti_RefreshTimer() {
  const bool selected = HasSelection();
  SetEnabled(PL_ExportRS232C, selected && CanTransfer());
  SetEnabled(PL_ExportFDD, selected);
  SetEnabled(PL_Open, selected && CanOpenEditor());
  SetEnabled(PL_Delete, selected);
  SetEnabled(PL_Rename, selected);
  SetEnabled(PL_Backup, selected);
  SetEnabled(Bu_Export, PL_ExportFDD->isEnabled());
  SetEnabled(Bu_Open, PL_Open->isEnabled());
  SetEnabled(Bu_Backup, PL_Backup->isEnabled());
}

bool TFo_Title::HasSelection() const {
  return !LB_Titles->selectedItems().isEmpty();
}

std::string TFo_Title::SelectedTitlePath() const {
  const QList<QListWidgetItem*> items = LB_Titles->selectedItems();
  return items.isEmpty() ? std::string() : PathOf(items.first());
}

void TFo_Title::ReloadList() {
  const std::string remembered = SelectedTitlePath();
  {
    const QSignalBlocker quiet(LB_Titles);
    LB_Titles->clear();
    for (const LibraryEntry& entry : ListTitles(folder_)) {
      auto* item = new QListWidgetItem(TextOf(entry.name), LB_Titles);
      item->setData(Qt::UserRole,
                    QByteArray(entry.path.data(), static_cast<qsizetype>(entry.path.size())));
    }
  }
  SelectByPath(remembered);
}

Status TFo_Title::SelectByPath(const std::string& path) {
  QListWidgetItem* found = nullptr;
  {
    const QSignalBlocker quiet(LB_Titles);
    LB_Titles->clearSelection();
    const std::string wanted = UpperFileName(path);
    for (int row = 0; row < LB_Titles->count() && !path.empty(); ++row) {
      if (UpperFileName(PathOf(LB_Titles->item(row))) == wanted) found = LB_Titles->item(row);
    }
    if (found) {
      LB_Titles->setCurrentItem(found);
      LB_Titles->scrollToItem(found);
    }
  }
  // The panel never shows a title that is not selected.
  UpdateInformation();
  return found ? kOk : kFailed;
}

void TFo_Title::ClearInformation() {
  for (QLabel* label : {La_Name, La_Size, La_Date, La_InitialCue, La_TCMode, La_FS, La_Memo})
    label->clear();
  Bu_Lock->setChecked(false);
  Bu_Lock->setEnabled(false);
}

void TFo_Title::UpdateInformation() {
  TitleInfo info;
  if (!HasSelection() || ReadTitleInfo(SelectedTitlePath(), info) != kOk) {
    ClearInformation();
    return;
  }
  const TitleInfoTexts texts = DescribeTitle(info);
  La_Name->setText(TextOf(texts.name));
  La_Size->setText(TextOf(texts.size));
  La_Date->setText(TextOf(texts.date));
  La_InitialCue->setText(TextOf(texts.initial_cue));
  La_TCMode->setText(TextOf(texts.tc_mode));
  La_FS->setText(TextOf(texts.fs));
  La_Memo->setText(TextOf(texts.memo));
  Bu_Lock->setChecked(texts.locked);
  Bu_Lock->setEnabled(true);
}

void TFo_Title::Bu_LockClick(bool pressed) {
  if (!HasSelection()) return;
  if (RefuseOpenTitle(open_titles_, SelectedTitlePath(), "Lock", prompter_) != kOk) {
    UpdateInformation();  // the button shows the flag the title keeps
    return;
  }
  const Status status = LockTitle(SelectedTitlePath(), pressed, prompter_);
  if (status != kOk) {
    ReportStatus(prompter_, status);
    UpdateInformation();  // show the flag the file really holds
  }
}

void TFo_Title::OpenTitleWindow() {
  if (!HasSelection() || !open_editor_) return;
  open_editor_(SelectedTitlePath());
}

void TFo_Title::DeleteTitleFile() {
  if (!HasSelection() || !prompter_) return;
  if (RefuseOpenTitle(open_titles_, SelectedTitlePath(), "Delete", prompter_) != kOk) return;
  const Status status = DeleteTitle(SelectedTitlePath(), prompter_);
  if (status != kFailed) ReloadList();
  ReportStatus(prompter_, status);
}

void TFo_Title::RenameTitleFile() {
  if (!HasSelection() || !prompter_) return;
  if (RefuseOpenTitle(open_titles_, SelectedTitlePath(), "Rename", prompter_) != kOk) return;
  const Status status = AskRenameTitle(SelectedTitlePath(), prompter_);
  if (status == kCancelled) return;
  ReportStatus(prompter_, status);
  ReloadList();
}

void TFo_Title::BackupTitleFile() {
  if (!HasSelection()) return;
  std::string copy;
  const Status status = BackupTitle(SelectedTitlePath(), &copy, prompter_);
  if (status == kOk) {
    ReloadList();
    SelectByPath(copy);
  }
  ReportStatus(prompter_, status);
}

void TFo_Title::ImportFromFloppy() {
  std::string chosen;
  if (!prompter_ || !prompter_->ChooseFile(kImportFileDialog, chosen)) return;
  std::string imported;
  const Status status =
      ImportTitle(fs::path(chosen).parent_path().string(), folder_, prompter_, true, &imported);
  if (status == kOk) {
    ReloadList();
    SelectByPath(imported);
  }
  ReportStatus(prompter_, status);
}

void TFo_Title::ExportToFloppy() {
  std::string chosen;
  if (!HasSelection() || !prompter_ || !prompter_->ChooseFile(kExportFileDialog, chosen)) return;
  ReportStatus(prompter_, ExportTitle(SelectedTitlePath(), fs::path(chosen).parent_path().string(),
                                      false, prompter_));
}

void TFo_Title::ImportFromConsole() {
  if (!CanTransfer()) return;
  TFo_ImpExp dialog(window());
  dialog.SetMode(TFo_ImpExp::kImport);
  if (dialog.exec() != QDialog::Accepted) return;
  const TransferResult result = run_transfer_({TFo_ImpExp::kImport, dialog.ChosenSlot(), {}});
  if (result.success) {
    ReloadList();
    SelectByPath(result.imported_path);
  }
}

void TFo_Title::ExportToConsole() {
  if (!CanTransfer() || !HasSelection()) return;
  TFo_ImpExp dialog(window());
  dialog.SetMode(TFo_ImpExp::kExport);
  if (dialog.exec() != QDialog::Accepted) return;
  const TransferResult result =
      run_transfer_({TFo_ImpExp::kExport, dialog.ChosenSlot(), SelectedTitlePath()});
  if (result.success) {
    ReloadList();
    SelectByPath(result.imported_path);
  }
}

}  // namespace orb
