#include "gui/pages/SheetPainter.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <algorithm>
#include <vector>

#include "core/model/Title.h"
#include "core/pages/PageScene.h"
#include "gui/common/Text.h"
#include "gui/pages/PagePainter.h"

namespace orb {
namespace {

// Sizes in points; the painter is scaled so that one unit is one point.
constexpr double kTextSize = 8;
constexpr double kLine = 11;
constexpr double kCellPad = 6;
constexpr double kFooter = 18;

QFont SheetFont(double size, bool bold = false) {
  QFont font("Liberation Sans");
  font.setPixelSize(static_cast<int>(size));
  font.setBold(bold);
  return font;
}

// Column widths: each as wide as its widest text, shrunk alike where the page is narrower.
std::vector<double> ColumnWidths(const SheetTable& table, double page_width) {
  const QFontMetricsF plain(SheetFont(kTextSize)), bold(SheetFont(kTextSize, true));
  std::vector<double> widths(table.header.size());
  for (std::size_t c = 0; c < widths.size(); ++c) {
    widths[c] = bold.horizontalAdvance(TextOf(table.header[c])) + kCellPad;
    for (const auto& row : table.rows)
      if (c < row.size())
        widths[c] = std::max(widths[c], plain.horizontalAdvance(TextOf(row[c])) + kCellPad);
  }
  double total = 0;
  for (double w : widths) total += w;
  if (total > page_width)
    for (double& w : widths) w *= page_width / total;
  return widths;
}

class SheetLayout {
 public:
  SheetLayout(QPainter& painter, const ShowSheet& sheet, const Title& title, QSizeF page)
      : p_(painter), sheet_(sheet), title_(title), page_(page) {}

  int LinesPerPage() const { return static_cast<int>((page_.height() - kFooter) / kLine); }

  void Page(const SheetPage& page, int number, int pages) {
    double y = 0;
    if (page.info) y = Info();
    for (const SheetSlice& slice : page.slices) y = Slice(slice, y);
    if (page.picture >= 0) Picture(page.picture);
    p_.setFont(SheetFont(kTextSize));
    p_.setPen(Qt::black);
    p_.drawText(QRectF(0, page_.height() - kFooter + 4, page_.width(), kFooter - 4),
                Qt::AlignRight | Qt::AlignBottom, TextOf(SheetFooter(sheet_, number, pages)));
  }

 private:
  double Info() {
    p_.setPen(Qt::black);
    p_.setFont(SheetFont(14, true));
    p_.drawText(QRectF(0, 0, page_.width(), 2 * kLine), Qt::AlignLeft | Qt::AlignVCenter,
                TextOf(sheet_.title_name));
    double y = 2 * kLine;
    for (const auto& [label, text] : sheet_.info) {
      p_.setFont(SheetFont(kTextSize, true));
      p_.drawText(QRectF(0, y, 80, kLine), Qt::AlignLeft | Qt::AlignVCenter, TextOf(label));
      p_.setFont(SheetFont(kTextSize));
      p_.drawText(QRectF(80, y, page_.width() - 80, kLine), Qt::AlignLeft | Qt::AlignVCenter,
                  TextOf(text));
      y += kLine;
    }
    return y;
  }

  double Slice(const SheetSlice& slice, double y) {
    const SheetTable& table = sheet_.tables[slice.table];
    const std::vector<double> widths = ColumnWidths(table, page_.width());
    p_.setPen(Qt::black);
    p_.setFont(SheetFont(10, true));
    p_.drawText(QRectF(0, y, page_.width(), kLine), Qt::AlignLeft | Qt::AlignBottom,
                TextOf(table.title + (slice.continued ? " (continued)" : "")));
    y += kLine;
    Row(table.header, widths, y, true);
    y += kLine;
    for (int r = slice.first_row; r < slice.first_row + slice.rows; ++r) {
      if ((r - slice.first_row) % 2 == 1)
        p_.fillRect(QRectF(0, y, page_.width(), kLine), QColor(235, 235, 235));
      Row(table.rows[r], widths, y, false);
      y += kLine;
    }
    return y + kLine;
  }

  void Row(const std::vector<std::string>& cells, const std::vector<double>& widths, double y,
           bool header) {
    const QFont font = SheetFont(kTextSize, header);
    const QFontMetricsF metrics(font);
    p_.setFont(font);
    p_.setPen(Qt::black);
    double x = 0;
    for (std::size_t c = 0; c < cells.size() && c < widths.size(); ++c) {
      const double room = std::max(0.0, widths[c] - kCellPad);
      p_.drawText(QRectF(x, y, room + 1, kLine), Qt::AlignLeft | Qt::AlignVCenter,
                  metrics.elidedText(TextOf(cells[c]), Qt::ElideRight, room + 0.5));
      x += widths[c];
    }
    if (header) p_.drawLine(QPointF(0, y + kLine), QPointF(page_.width(), y + kLine));
  }

  // The CHANNEL page as the panel shows it, as wide as the paper allows.
  void Picture(int channel) {
    const TQ730SYSF& system = title_.System();
    p_.setPen(Qt::black);
    p_.setFont(SheetFont(10, true));
    p_.drawText(QRectF(0, 0, page_.width(), kLine), Qt::AlignLeft | Qt::AlignBottom,
                TextOf(system.NumberText(channel) + "  " + system.NameText(channel)));
    PageInput in;
    in.page = kPageChannel;
    in.list = &system;
    in.cursor = channel;
    in.header_width = HeaderTextWidth();
    const PageScene scene = BuildPageScene(in);
    const double scale = std::min(page_.width() / kPanelWidth,
                                  (page_.height() - kFooter - 2 * kLine) / kPanelHeight);
    p_.save();
    p_.translate(0, 2 * kLine);
    p_.scale(scale, scale);
    p_.setClipRect(QRect(0, 0, kPanelWidth, kPanelHeight));
    PaintPage(p_, scene);
    p_.restore();
  }

  QPainter& p_;
  const ShowSheet& sheet_;
  const Title& title_;
  QSizeF page_;
};

}  // namespace

bool PaintShowSheet(QPagedPaintDevice& device, const ShowSheet& sheet, const Title& title) {
  QPainter painter;
  if (!painter.begin(&device)) return false;
  const double dots = device.logicalDpiX() / 72.0;
  painter.scale(dots, dots);
  const QSizeF page = device.pageLayout().paintRect(QPageLayout::Point).size();
  SheetLayout layout(painter, sheet, title, page);
  const std::vector<SheetPage> pages = PaginateSheet(sheet, layout.LinesPerPage());
  for (std::size_t i = 0; i < pages.size(); ++i) {
    if (i > 0 && !device.newPage()) return false;
    layout.Page(pages[i], static_cast<int>(i) + 1, static_cast<int>(pages.size()));
  }
  return painter.end();
}

bool WriteSheetPdf(const ShowSheet& sheet, const Title& title, const QString& path,
                   QPageSize::PageSizeId size, QString& error) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) {
    error = file.errorString();
    return false;
  }
  {
    QPdfWriter writer(&file);
    writer.setPageSize(QPageSize(size));
    writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    writer.setResolution(300);
    writer.setTitle(TextOf(sheet.title_name));
    writer.setCreator("orbedit");
    if (!PaintShowSheet(writer, sheet, title)) {
      file.cancelWriting();
      error = "The PDF could not be drawn.";
      return false;
    }
  }
  if (!file.commit()) {
    error = file.errorString();
    return false;
  }
  return true;
}

}  // namespace orb
