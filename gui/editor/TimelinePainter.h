// Draws a timeline scene into the drawing surface's back buffer: nothing here decides what is
// shown, only how it looks.
#pragma once

#include <QFont>
#include <QImage>

#include "core/editor/TimelineScene.h"

namespace orb {

struct TimelineFonts {
  explicit TimelineFonts(bool bold);
  QFont label;  // band labels, 15 px
  QFont small;  // ruler and cue names, 10 px
};

void PaintTimeline(QImage& buffer, const TimelineScene& scene, const TimelineFonts& fonts);

}  // namespace orb
