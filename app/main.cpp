// orbedit: the program's start. Only here is the application folder decided;
// everything else receives it.
#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <unistd.h>

#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <QSocketNotifier>
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

int signal_pipe[2] = {-1, -1};

// Ctrl+C, a hang-up or a kill end the event loops as an exit does, so that the serial device
// gets back its line settings and its lock.
void QuitOnSignals(QApplication& application) {
  if (::pipe2(signal_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  struct sigaction action {};
  action.sa_handler = [](int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(signal_pipe[1], &byte, 1);
  };
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal, &action, nullptr);
  auto* notifier = new QSocketNotifier(signal_pipe[0], QSocketNotifier::Read, &application);
  QObject::connect(notifier, &QSocketNotifier::activated, &application, [] {
    char bytes[16];
    while (::read(signal_pipe[0], bytes, sizeof bytes) > 0) {
    }
    QApplication::exit(EXIT_FAILURE);
  });
}

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
  QuitOnSignals(application);
  try {
    orb::TFo_Main frame(folder.string(), {});
    frame.ShowAtRememberedPlace();
    return application.exec();
  } catch (const std::exception& error) {
    ShowFatal(error.what());
  } catch (...) {
    ShowFatal("Unknown error.");
  }
  return EXIT_FAILURE;
}
