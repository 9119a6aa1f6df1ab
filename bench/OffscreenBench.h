// The main of a benchmark that paints: Qt's painter and fonts on the offscreen platform, no
// display, "Arial" as the console's screens have it.
#pragma once

#include <QFont>
#include <QGuiApplication>
#include <cstdlib>

#include "bench/MedianReporter.h"

namespace orb::bench {

inline int RunPaintBenchmarks(int argc, char** argv,
                              const std::function<void(const MedianReporter&)>& print_goals) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QGuiApplication application(argc, argv);
  QFont::insertSubstitution("Arial", "Liberation Sans");
  RunWithGoals(argc, argv, print_goals);
  return 0;
}

}  // namespace orb::bench
