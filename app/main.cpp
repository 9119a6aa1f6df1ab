// orbedit: the program's start. Only here is the application folder decided;
// everything else receives it.
#include <pwd.h>
#include <unistd.h>

#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <QScreen>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <string>

#include "gui/shell/Q730edit.h"

namespace {

namespace fs = std::filesystem;

// $XDG_DATA_HOME/orbedit, by default ~/.local/share/orbedit.
fs::path ApplicationFolder() {
  const char* data_home = std::getenv("XDG_DATA_HOME");
  if (data_home && *data_home == '/') return fs::path(data_home) / "orbedit";
  const char* home = std::getenv("HOME");
  if (!home || !*home) {
    const passwd* user = ::getpwuid(::getuid());
    home = user ? user->pw_dir : "/tmp";
  }
  return fs::path(home) / ".local" / "share" / "orbedit";
}

bool HasDisplay() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* value = std::getenv(name);
    if (value && *value) return true;
  }
  return false;
}

void ShowFatal(const char* what) {
  QMessageBox::critical(nullptr, orb::kApplicationTitle, QString::fromLocal8Bit(what));
}

// An exception that escapes an event handler ends the program after it was shown.
class OrbApplication : public QApplication {
 public:
  using QApplication::QApplication;
  bool notify(QObject* receiver, QEvent* event) override {
    try {
      return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
      ShowFatal(error.what());
    } catch (...) {
      ShowFatal("Unknown error.");
    }
    std::exit(EXIT_FAILURE);
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (!HasDisplay()) {
    std::fprintf(stderr,
                 "orbedit needs a graphical display, and none is set (DISPLAY and "
                 "WAYLAND_DISPLAY are empty).\nStart it from a desktop session, or under a "
                 "virtual display: xvfb-run -a ./dev run\n");
    return 1;
  }
  const fs::path folder = ApplicationFolder();
  std::error_code error;
  fs::create_directories(folder, error);
  if (!fs::is_directory(folder)) {
    std::fprintf(stderr, "orbedit: cannot create its folder %s\n", folder.c_str());
    return 1;
  }

  OrbApplication application(argc, argv);
  QApplication::setApplicationName("orbedit");
  QGuiApplication::setDesktopFileName("orbedit");
  QApplication::setWindowIcon(QIcon::fromTheme("orbedit"));
  orb::ApplyProgramLook(application);
  try {
    orb::TFo_Main frame(folder.string(), {});
    // Without a window manager there is nobody to maximise it.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
      frame.setGeometry(screen->availableGeometry());
    frame.showMaximized();
    return application.exec();
  } catch (const std::exception& error) {
    ShowFatal(error.what());
  } catch (...) {
    ShowFatal("Unknown error.");
  }
  return EXIT_FAILURE;
}
