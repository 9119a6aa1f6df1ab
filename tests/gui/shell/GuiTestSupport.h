#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QListWidget>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "tools/TitleGenerator.h"

namespace orb::test {

namespace fs = std::filesystem;

// A library folder of its own for each test.
class TempFolder {
 public:
  TempFolder() {
    static int count = 0;
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = fs::temp_directory_path() /
            ("orb_gui_" + std::to_string(::getpid()) + "_" + info->test_suite_name() + "_" +
             info->name() + "_" + std::to_string(++count));
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~TempFolder() { fs::remove_all(path_); }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const fs::path& path() const { return path_; }
  std::string str() const { return path_.string(); }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

  // A generated title stored as name + ".orb".
  std::string AddTitle(const std::string& name, std::uint32_t seed = 1, bool locked = false) {
    gen::TitleSpec spec;
    spec.name = name.substr(0, 23);
    spec.seed = seed;
    spec.locked = locked;
    spec.memo = "Memo of " + name;
    const auto bytes = gen::MakeTitle(spec);
    const std::string file = File(name + ".orb");
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return file;
  }

 private:
  fs::path path_;
};

// Runs action on the next modal dialog once it is up; the caller then starts
// whatever opens it. Gives up after a few seconds, so that a dialog that never
// comes fails the test instead of hanging it.
inline void WhenModal(std::function<void(QWidget*)> action, QWidget* previous = nullptr) {
  auto* timer = new QTimer;
  auto* clock = new QElapsedTimer;
  clock->start();
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, [timer, clock, action, previous] {
    QWidget* modal = QApplication::activeModalWidget();
    if ((modal && modal != previous && modal->isVisible()) || clock->elapsed() > 5000) {
      timer->stop();
      timer->deleteLater();
      delete clock;
      if (modal && modal != previous) {
        action(modal);
      } else {
        ADD_FAILURE() << "no modal dialog appeared";
      }
    }
  });
  timer->start();
}

// A double click as the window system delivers it: press and release first.
inline void DoubleClick(QListWidget* list, int row) {
  const QPoint at = list->visualItemRect(list->item(row)).center();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

inline void PressEscape(QWidget* widget) {
  QTest::keyClick(widget, Qt::Key_Escape);
}

// Where the renderings for review go.
inline std::string SaveRendering(QWidget* widget, const std::string& name) {
  fs::create_directories(ORB_RENDER_DIR);
  const std::string path = std::string(ORB_RENDER_DIR) + "/" + name + ".png";
  EXPECT_TRUE(widget->grab().save(QString::fromStdString(path))) << path;
  return path;
}

}  // namespace orb::test
