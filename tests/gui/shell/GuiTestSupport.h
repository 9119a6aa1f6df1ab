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

#include "tests/support/TempFolder.h"
#include "tools/TitleGenerator.h"

namespace orb::test {

namespace fs = std::filesystem;

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
