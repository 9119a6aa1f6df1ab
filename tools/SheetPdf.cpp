// orbtool's PDF writer: the GUI's sheet painter on Qt's offscreen platform, so that it runs
// without a display.
#include <QGuiApplication>
#include <cstdio>

#include "core/editor/ShowSheet.h"
#include "core/model/Title.h"
#include "gui/common/Text.h"
#include "gui/pages/SheetPainter.h"
#include "tools/PaperworkCommands.h"

namespace orb::tool {

int WriteSheetPdfFile(const Title& title, const std::vector<int>& pictures,
                      const std::string& pdf_path, bool letter) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  // Qt's notes about the missing desktop session mean nothing here.
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
      std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
  });
  int argc = 1;
  char name[] = "orbtool";
  char* argv[] = {name, nullptr};
  QGuiApplication application(argc, argv);
  QString error;
  if (!WriteSheetPdf(BuildShowSheet(title, pictures), title, TextOf(pdf_path),
                     letter ? QPageSize::Letter : QPageSize::A4, error)) {
    std::fprintf(stderr, "%s: %s\n", pdf_path.c_str(), StdText(error).c_str());
    return 1;
  }
  std::printf("%s\n", pdf_path.c_str());
  return 0;
}

}  // namespace orb::tool
