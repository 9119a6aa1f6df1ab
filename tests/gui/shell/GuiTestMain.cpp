#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "gui/shell/Q730edit.h"

namespace {

QtMessageHandler standard_handler = nullptr;

// The offscreen platform says this for every fixed-size dialog; it means nothing here.
void QuietMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (message.contains("propagateSizeHints")) return;
  if (standard_handler) standard_handler(type, context, message);
}

}  // namespace

int main(int argc, char** argv) {
  // The tests need no display.
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  ::testing::InitGoogleTest(&argc, argv);
  standard_handler = qInstallMessageHandler(QuietMessages);
  QApplication application(argc, argv);
  orb::ApplyProgramLook(application);
  return RUN_ALL_TESTS();
}
