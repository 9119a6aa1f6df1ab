#include "gui/shell/Focompare.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "gui/common/Text.h"

namespace orb {

namespace {

// An item's role: the group it fills from (lists and records), or the difference it shows.
constexpr int kGroupRole = Qt::UserRole;
constexpr int kLineRole = Qt::UserRole + 1;
constexpr int kListRole = Qt::UserRole + 2;
// With a filter, the tree opens by itself when no more lines match than this.
constexpr std::size_t kOpenAllLimit = 500;

QString CountText(std::size_t n) {
  return QString::number(n) + (n == 1 ? " difference" : " differences");
}

}  // namespace

TFo_Compare::TFo_Compare(Side a, Side b, Differences differences, EditorPlaceOpener opener,
                         QWidget* parent)
    : QWidget(parent, Qt::Window),
      a_(std::move(a)),
      b_(std::move(b)),
      differences_(std::move(differences)),
      open_(std::move(opener)) {
  setObjectName("Fo_Compare");
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle("Compare - " + TextOf(a_.name) + " / " + TextOf(b_.name));
  resize(720, 560);
  auto* layout = new QVBoxLayout(this);
  La_Titles = new QLabel("A: " + TextOf(a_.name) + "     B: " + TextOf(b_.name));
  La_Titles->setObjectName("La_Titles");
  layout->addWidget(La_Titles);
  Ed_Filter = new QLineEdit;
  Ed_Filter->setObjectName("Ed_Filter");
  Ed_Filter->setPlaceholderText("Filter");
  Ed_Filter->setClearButtonEnabled(true);
  layout->addWidget(Ed_Filter);
  TV_Differences = new QTreeWidget;
  TV_Differences->setObjectName("TV_Differences");
  TV_Differences->setHeaderHidden(true);
  TV_Differences->setUniformRowHeights(true);
  TV_Differences->setContextMenuPolicy(Qt::CustomContextMenu);
  layout->addWidget(TV_Differences, 1);
  La_Count = new QLabel;
  La_Count->setObjectName("La_Count");
  layout->addWidget(La_Count);

  // Typing pauses before the tree is rebuilt, so that a long list is not refiltered per key.
  Ti_Filter = new QTimer(this);
  Ti_Filter->setSingleShot(true);
  Ti_Filter->setInterval(200);
  connect(Ti_Filter, &QTimer::timeout, this, &TFo_Compare::ApplyFilter);
  connect(Ed_Filter, &QLineEdit::textChanged, Ti_Filter, qOverload<>(&QTimer::start));
  connect(TV_Differences, &QTreeWidget::itemExpanded, this, &TFo_Compare::Populate);
  connect(TV_Differences, &QTreeWidget::itemDoubleClicked, this,
          [this](QTreeWidgetItem* item) { OpenAt(item, 0); });
  connect(TV_Differences, &QTreeWidget::customContextMenuRequested, this,
          &TFo_Compare::ShowLineMenu);
  Rebuild();
}

void TFo_Compare::ApplyFilter() {
  Ti_Filter->stop();
  Rebuild();
}

void TFo_Compare::Rebuild() {
  groups_ = GroupDifferences(differences_, StdText(Ed_Filter->text()));
  TV_Differences->clear();
  std::size_t shown = 0;
  QTreeWidgetItem* list_item = nullptr;
  std::size_t list_lines = 0;
  auto close_list = [&] {
    if (list_item)
      list_item->setText(0, list_item->text(0) + " (" + QString::number(list_lines) + ")");
  };
  for (std::size_t g = 0; g < groups_.size(); ++g) {
    const DifferenceGroup& group = groups_[g];
    if (!list_item || list_item->data(0, kListRole).toInt() != static_cast<int>(group.list)) {
      close_list();
      list_item = new QTreeWidgetItem(TV_Differences, {QString(CompareListName(group.list))});
      list_item->setData(0, kListRole, static_cast<int>(group.list));
      list_item->setData(0, kGroupRole, static_cast<qulonglong>(g));
      list_item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
      list_lines = 0;
    }
    list_lines += group.members.size();
    shown += group.members.size();
  }
  close_list();
  La_Count->setText(Ed_Filter->text().isEmpty()
                        ? CountText(differences_.size())
                        : CountText(shown) + " of " + QString::number(differences_.size()));
  if (differences_.empty()) La_Count->setText("The titles are equal.");
  if (!Ed_Filter->text().isEmpty() && shown <= kOpenAllLimit) {
    for (int i = 0; i < TV_Differences->topLevelItemCount(); ++i) {
      QTreeWidgetItem* top = TV_Differences->topLevelItem(i);
      top->setExpanded(true);
      for (int c = 0; c < top->childCount(); ++c) top->child(c)->setExpanded(true);
    }
  }
}

void TFo_Compare::Populate(QTreeWidgetItem* item) {
  if (item == nullptr || item->childCount() > 0 || !item->data(0, kGroupRole).isValid()) return;
  const auto first = static_cast<std::size_t>(item->data(0, kGroupRole).toULongLong());
  if (first >= groups_.size()) return;
  if (item->parent() != nullptr) {  // a record or channel: its lines
    AddLines(item, groups_[first]);
    return;
  }
  // A list: its records and channels, and the lines of its own settings.
  for (std::size_t g = first; g < groups_.size() && groups_[g].list == groups_[first].list; ++g) {
    const DifferenceGroup& group = groups_[g];
    if (group.caption.empty()) {
      AddLines(item, group);
      continue;
    }
    auto* record = new QTreeWidgetItem(
        item, {TextOf(group.caption) + " (" + QString::number(group.members.size()) + ")"});
    record->setData(0, kGroupRole, static_cast<qulonglong>(g));
    record->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
  }
}

void TFo_Compare::AddLines(QTreeWidgetItem* parent, const DifferenceGroup& group) {
  QList<QTreeWidgetItem*> lines;
  for (std::size_t index : group.members) {
    // The record or channel the group stands for is not repeated on its lines.
    Difference shown = differences_[index];
    const std::string whole = shown.Line();
    if (!group.caption.empty())
      (shown.list == CompareList::kSystem ? shown.channel : shown.record).clear();
    auto* line = new QTreeWidgetItem({TextOf(shown.Line())});
    line->setData(0, kLineRole, static_cast<qulonglong>(index));
    line->setToolTip(0, TextOf(whole));
    lines << line;
  }
  parent->addChildren(lines);
}

std::optional<Difference> TFo_Compare::DifferenceOf(const QTreeWidgetItem* item) const {
  if (item == nullptr || !item->data(0, kLineRole).isValid()) return std::nullopt;
  const auto index = static_cast<std::size_t>(item->data(0, kLineRole).toULongLong());
  if (index >= differences_.size()) return std::nullopt;
  return differences_[index];
}

void TFo_Compare::OpenAt(const QTreeWidgetItem* item, int side) {
  const std::optional<Difference> difference = DifferenceOf(item);
  if (!difference || !open_) return;
  const DifferencePlace place = PlaceOf(*difference);
  open_(side == 0 ? a_.path : b_.path, place.tab, place.cursor);
}

void TFo_Compare::ShowLineMenu(const QPoint& at) {
  QTreeWidgetItem* item = TV_Differences->itemAt(at);
  if (!DifferenceOf(item) || !open_) return;
  QMenu menu(this);
  QAction* open_a = menu.addAction("Open " + TextOf(a_.name) + " here");
  QAction* open_b = menu.addAction("Open " + TextOf(b_.name) + " here");
  QAction* chosen = menu.exec(TV_Differences->viewport()->mapToGlobal(at));
  if (chosen == open_a) OpenAt(item, 0);
  if (chosen == open_b) OpenAt(item, 1);
}

}  // namespace orb
