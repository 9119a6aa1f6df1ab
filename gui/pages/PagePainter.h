// The page painter: draws any page scene of the parameter panel with QPainter.
#pragma once

#include <QImage>
#include <QPainter>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/pages/PageScene.h"

namespace orb {

// The width of a text in the header's 27-pixel font, for the scene builder.
std::function<int(std::string_view)> HeaderTextWidth();
// The width of a text in the print of the CUE table's cells.
std::function<int(std::string_view)> CellTextWidth();

// Draws the whole panel: picture, header, then every control from the last to the first.
void PaintPage(QPainter& painter, const PageScene& scene);

// A text as the painter prints it: where its print lies in the font it is painted with, the room
// it has to keep to (empty where it may run on) and the control it belongs to (-1: the header,
// a plate's name or a label).
struct PlacedText {
  std::string text;
  QRect ink;
  QRect room;
  int control = -1;
  int pixels = 0;  // the print's size
};
std::vector<PlacedText> PlacedTexts(const PageScene& scene);

// The panel's back buffer with the scene drawn into it, at a device pixel ratio: page pixels
// stay the unit, each drawn with ratio x ratio device pixels.
QImage RenderPage(const PageScene& scene, qreal pixel_ratio = 1);

// Where a knob's or fader's value is shown: the box a typed value is entered over.
QRect ValueBox(const PageControl& control);

}  // namespace orb
