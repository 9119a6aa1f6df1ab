#include "gui/shell/Fotitle.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEvent>
#include <QFileSystemWatcher>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QShortcut>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>
#include <filesystem>

#include "core/model/Title.h"
#include "core/storage/Floppy.h"
#include "core/storage/Library.h"
#include "gui/common/DialogParts.h"
#include "gui/common/Pictures.h"
#include "gui/common/Text.h"
#include "gui/shell/Focompare.h"
#include "gui/shell/Foimpexp.h"

namespace orb {

namespace fs = std::filesystem;

namespace {

constexpr FileDialog kExportFileDialog{"Export", "ORB-Q730 File|*.DAT|All files|*.*", "DAT",
                                       "SYSF.DAT", true};
constexpr char kNoTransferHint[] =
    "Needs the RS-232C transfer window, which is not part of this build yet.";
constexpr char kNoEditorHint[] = "Needs the editor window, which is not part of this build yet.";
constexpr int kRowHeight = 20;
constexpr int kLockedRole = Qt::UserRole + 1;

class FixedRowDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(kRowHeight);
    // A long name is cut with an ellipsis at the list's edge, not scrolled to.
    size.setWidth(std::min(size.width(), option.rect.width() > 0 ? option.rect.width() : 1));
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

// The title files among dropped URLs.
QStringList TitleFilesOf(const QMimeData* data) {
  QStringList files;
  for (const QUrl& url : data->urls()) {
    if (url.isLocalFile() && HasTitleExtension(StdText(url.fileName()))) files << url.toLocalFile();
  }
  return files;
}

}  // namespace

ElidedLabel::ElidedLabel(int lines, QWidget* parent) : QLabel(parent), lines_(lines) {
  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  setWordWrap(lines > 1);
}

void ElidedLabel::SetFullText(const QString& text) {
  full_ = text;
  Fit();
}

void ElidedLabel::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  Fit();
}

void ElidedLabel::Fit() {
  const int width = contentsRect().width();
  QString shown = full_;
  if (width > 0 && lines_ <= 1) {
    shown = fontMetrics().elidedText(full_, Qt::ElideRight, width);
  } else if (width > 0) {
    const int height = lines_ * fontMetrics().lineSpacing();
    const auto fits = [&](const QString& text) {
      return fontMetrics()
                 .boundingRect(QRect(0, 0, width, INT_MAX / 2), Qt::TextWordWrap, text)
                 .height() <= height;
    };
    for (qsizetype keep = full_.size(); keep > 0 && !fits(shown);)
      shown = full_.left(--keep).trimmed() + QChar(0x2026);
  }
  if (text() != shown) setText(shown);
  setToolTip(shown == full_ ? QString() : full_);
}

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

  Ed_Filter = new QLineEdit(this);
  Ed_Filter->setObjectName("Ed_Filter");
  Ed_Filter->setPlaceholderText("Filter");
  Ed_Filter->setClearButtonEnabled(true);
  layout->addWidget(Ed_Filter);
  connect(Ed_Filter, &QLineEdit::textChanged, this, &TFo_Title::ApplyFilter);
  // Ctrl+F goes to the filter; there Return selects the next title it keeps, round the end,
  // and Down hands the keys back to the list.
  Sc_Find = new QShortcut(QKeySequence::Find, this);
  Sc_Find->setContext(Qt::WidgetWithChildrenShortcut);
  Sc_Find->setWhatsThis("Find a title by its name");
  connect(Sc_Find, &QShortcut::activated, this, [this] {
    Ed_Filter->setFocus(Qt::ShortcutFocusReason);
    Ed_Filter->selectAll();
  });
  connect(Ed_Filter, &QLineEdit::returnPressed, this, &TFo_Title::SelectNextShown);
  Ed_Filter->installEventFilter(this);

  LB_Titles = new QListWidget(this);
  LB_Titles->setObjectName("LB_Titles");
  LB_Titles->setItemDelegate(new FixedRowDelegate(LB_Titles));
  LB_Titles->setUniformItemSizes(true);
  LB_Titles->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  LB_Titles->setSelectionMode(QAbstractItemView::SingleSelection);
  LB_Titles->setContextMenuPolicy(Qt::CustomContextMenu);
  LB_Titles->installEventFilter(this);
  layout->addWidget(LB_Titles, 1);
  connect(LB_Titles, &QListWidget::itemSelectionChanged, this, &TFo_Title::UpdateInformation);
  // A click on the selected title reads it again: the file may have changed meanwhile.
  connect(LB_Titles, &QListWidget::itemClicked, this, &TFo_Title::UpdateInformation);
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

  setAcceptDrops(true);
  Ti_Reload = new QTimer(this);
  Ti_Reload->setSingleShot(true);
  Ti_Reload->setInterval(150);
  connect(Ti_Reload, &QTimer::timeout, this, &TFo_Title::ReloadList);
  Fw_Library = new QFileSystemWatcher(this);
  if (fs::is_directory(folder_)) Fw_Library->addPath(TextOf(folder_));
  connect(Fw_Library, &QFileSystemWatcher::directoryChanged, Ti_Reload,
          qOverload<>(&QTimer::start));
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
  const auto row = [this, grid](const char* caption, QLabel* value = nullptr) {
    const int at = grid->rowCount();
    if (!value) value = new QLabel(this);
    // The caption's smaller text sits centred on the value's first line.
    QLabel* label = CaptionLabel(caption, this);
    label->setFixedHeight(value->fontMetrics().height());
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    grid->addWidget(label, at, 0, Qt::AlignLeft | Qt::AlignTop);
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    grid->addWidget(value, at, 1, Qt::AlignTop);
    return value;
  };
  La_Name = new ElidedLabel(1, this);
  row("NAME", La_Name);
  La_Size = row("SIZE");
  La_Date = row("DATE");
  La_InitialCue = row("INITIAL CUE");
  La_TCMode = row("TC MODE");
  La_FS = row("FS");
  La_Memo = new ElidedLabel(2, this);
  row("MEMO", La_Memo);
  La_Memo->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  La_Memo->setMinimumHeight(La_Memo->fontMetrics().lineSpacing() * 2);
  grid->setColumnStretch(1, 1);
  layout->addLayout(grid);

  La_Damage = new QLabel(this);
  La_Damage->setObjectName("La_Damage");
  La_Damage->setWordWrap(true);
  La_Damage->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  QPalette warning = La_Damage->palette();
  warning.setColor(QPalette::WindowText, QColor(176, 32, 32));
  La_Damage->setPalette(warning);
  La_Damage->hide();
  layout->addWidget(La_Damage);

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
  PL_Compare = entry(Po_List, "PL_Compare", "Compare &with...", &TFo_Title::CompareWithTitle);

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
  if (watched == Ed_Filter && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Down) {
    if (!HasSelection()) SelectNextShown();
    LB_Titles->setFocus(Qt::OtherFocusReason);
    return true;
  }
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
  SetEnabled(PL_Compare, CanCompare());
  SetEnabled(Bu_Export, PL_ExportFDD->isEnabled());
  SetEnabled(Bu_Open, PL_Open->isEnabled());
  SetEnabled(Bu_Backup, PL_Backup->isEnabled());
}

bool TFo_Title::CanCompare() const {
  return HasSelection() && LB_Titles->count() > 1;
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
      item->setData(kLockedRole, entry.locked);
      item->setIcon(LockMark(entry.locked));
      item->setToolTip(TextOf(entry.name) + (entry.locked ? " (locked)" : ""));
    }
  }
  // The folder may have come into being since.
  if (Fw_Library->directories().isEmpty() && fs::is_directory(folder_))
    Fw_Library->addPath(TextOf(folder_));
  ApplyFilter();
  SelectByPath(remembered);
}

void TFo_Title::ApplyFilter() {
  const std::string filter = StdText(Ed_Filter->text());
  for (int row = 0; row < LB_Titles->count(); ++row) {
    QListWidgetItem* item = LB_Titles->item(row);
    item->setHidden(!MatchesTitleFilter(StdText(item->text()), filter));
  }
  const QList<QListWidgetItem*> selected = LB_Titles->selectedItems();
  if (!selected.isEmpty() && selected.first()->isHidden()) LB_Titles->clearSelection();
}

void TFo_Title::SelectNextShown() {
  const int count = LB_Titles->count();
  const int from = HasSelection() ? LB_Titles->row(LB_Titles->selectedItems().first()) : -1;
  for (int step = 1; step <= count; ++step) {
    QListWidgetItem* item = LB_Titles->item((from + step) % count);
    if (item->isHidden()) continue;
    // In a single-selection list the current item is the selected one.
    LB_Titles->setCurrentItem(item);
    LB_Titles->scrollToItem(item);
    return;
  }
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
  // A title the filter hides is shown by clearing the filter.
  if (found && found->isHidden()) Ed_Filter->clear();
  // The panel never shows a title that is not selected.
  UpdateInformation();
  return found ? kOk : kFailed;
}

void TFo_Title::ClearInformation() {
  for (QLabel* label : {La_Size, La_Date, La_InitialCue, La_TCMode, La_FS}) label->clear();
  La_Name->SetFullText({});
  La_Memo->SetFullText({});
  Bu_Lock->setChecked(false);
  Bu_Lock->setEnabled(false);
}

void TFo_Title::UpdateInformation() {
  const std::string damage = HasSelection() ? TitleDamage(SelectedTitlePath()) : std::string();
  La_Damage->setText(TextOf(damage));
  La_Damage->setVisible(!damage.empty());
  TitleInfo info;
  if (!HasSelection() || ReadTitleInfo(SelectedTitlePath(), info) != kOk) {
    ClearInformation();
    return;
  }
  const TitleInfoTexts texts = DescribeTitle(info);
  La_Name->SetFullText(TextOf(texts.name));
  La_Size->setText(TextOf(texts.size));
  La_Date->setText(TextOf(texts.date));
  La_InitialCue->setText(TextOf(texts.initial_cue));
  La_TCMode->setText(TextOf(texts.tc_mode));
  La_FS->setText(TextOf(texts.fs));
  La_Memo->SetFullText(TextOf(texts.memo));
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
  if (status == kOk) {
    QListWidgetItem* item = LB_Titles->selectedItems().first();
    item->setData(kLockedRole, pressed);
    item->setIcon(LockMark(pressed));
  } else {
    ReportStatus(prompter_, status);
    UpdateInformation();  // show the flag the file really holds
  }
}

void TFo_Title::OpenTitleWindow() {
  if (!HasSelection() || !open_editor_) return;
  open_editor_(SelectedTitlePath());
}

void TFo_Title::CompareWithTitle() {
  if (!HasSelection() || !prompter_) return;
  const std::string first = SelectedTitlePath();
  EntryList dialog{"Compare with",
                   "Compare " + StdText(LB_Titles->selectedItems().first()->text()) + " with",
                   "&Compare",
                   {}};
  std::vector<const QListWidgetItem*> others;
  for (int row = 0; row < LB_Titles->count(); ++row) {
    const QListWidgetItem* item = LB_Titles->item(row);
    if (PathOf(item) == first) continue;
    others.push_back(item);
    dialog.lines.push_back(StdText(item->text()));
  }
  int chosen = -1;
  if (others.empty() || !prompter_->ChooseEntry(dialog, chosen) || chosen < 0 ||
      chosen >= static_cast<int>(others.size()))
    return;
  const QListWidgetItem* second = others[static_cast<std::size_t>(chosen)];
  Title a, b;
  {
    BusyScope busy(prompter_);
    for (auto [title, path] : {std::pair{&a, first}, std::pair{&b, PathOf(second)}}) {
      const Status status = title->OpenTitle(path);
      if (status != kOk) {
        ReportStatus(prompter_, IsReportedStatus(status) ? status : kCantOpenSource, path);
        return;
      }
    }
  }
  auto* window = new TFo_Compare({StdText(LB_Titles->selectedItems().first()->text()), first},
                                 {StdText(second->text()), PathOf(second)}, CompareTitles(a, b),
                                 open_editor_at_, this);
  window->show();
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
  std::string renamed, why;
  const Status status = AskRenameTitle(SelectedTitlePath(), prompter_, &renamed, &why);
  if (status == kCancelled) return;
  ReportStatus(prompter_, status, why);
  ReloadList();
  if (!renamed.empty()) SelectByPath(renamed);
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
  std::string imported, detail;
  const Status status = ImportTitle(fs::path(chosen).parent_path().string(), folder_, prompter_,
                                    true, &imported, &detail);
  if (status == kOk) {
    ReloadList();
    SelectByPath(imported);
  }
  ReportStatus(prompter_, status, detail);
}

void TFo_Title::ExportToFloppy() {
  std::string chosen;
  if (!HasSelection() || !prompter_) return;
  const std::string title = SelectedTitlePath();
  const Status saved = SaveBeforeExport(open_titles_, title, prompter_);
  ReportStatus(prompter_, saved);
  if (saved != kOk || !prompter_->ChooseFile(kExportFileDialog, chosen)) return;
  const std::string folder = fs::path(chosen).parent_path().string();
  const Status status = ExportTitle(title, folder, false, prompter_);
  if (status == kOk) {
    emit MessageLine(
        QString("Exported \"%1\" to %2.").arg(TextOf(TitleNameOf(title)), TextOf(folder)));
  }
  ReportStatus(prompter_, status);
}

void TFo_Title::dragEnterEvent(QDragEnterEvent* event) {
  if (!TitleFilesOf(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TFo_Title::dropEvent(QDropEvent* event) {
  const QStringList files = TitleFilesOf(event->mimeData());
  if (files.isEmpty()) return;
  event->acceptProposedAction();
  // The questions come after the drop has ended, not inside the drag's own loop.
  QTimer::singleShot(0, this, [this, files] { AddTitleFiles(files); });
}

void TFo_Title::AddTitleFiles(const QStringList& files) {
  std::string last;
  for (const QString& file : files) {
    std::string added;
    const Status status = AddTitleFile(StdText(file), folder_, prompter_, open_titles_, &added);
    if (status == kOk) last = added;
    ReportStatus(prompter_, status, StdText(file));
  }
  ReloadList();
  if (!last.empty()) SelectByPath(last);
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
  const Status saved = SaveBeforeExport(open_titles_, SelectedTitlePath(), prompter_);
  ReportStatus(prompter_, saved);
  if (saved != kOk) return;
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
