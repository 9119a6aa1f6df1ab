// Lays out the show sheet of a title on the pages of a printer or a PDF file: the core's tables
// in columns, their header rows repeated on each page, a footer on every page, and chosen
// channel pages drawn by the page painter.
#pragma once

#include <QPageSize>
#include <QPagedPaintDevice>
#include <QString>

#include "core/editor/ShowSheet.h"

namespace orb {

class Title;

// Paints every page; the title is the one the sheet was built from (for the page pictures).
// False when the device would not be painted on.
bool PaintShowSheet(QPagedPaintDevice& device, const ShowSheet& sheet, const Title& title);

// Writes the sheet as a PDF file of that page size; the file appears complete or not at all.
// False with error set when it cannot be written.
bool WriteSheetPdf(const ShowSheet& sheet, const Title& title, const QString& path,
                   QPageSize::PageSizeId size, QString& error);

}  // namespace orb
