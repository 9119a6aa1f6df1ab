// What the builders of the system pages share: page coordinates below the header strip and a
// scene under construction that reads values from one list and the layout from the system data.
#pragma once

#include <initializer_list>
#include <string>
#include <utility>

#include "core/model/Q730sysf.h"
#include "core/pages/PageScene.h"

namespace orb::pages {

// Page coordinates as the tables give them: one pixel in, and below the strip unless the
// control sits in it.
inline PageRect Place(int x, int y, int width, int height, bool in_strip = false) {
  return {x + 1, y + 1 + (in_strip ? 0 : kHeaderStrip), width, height};
}

struct FramePlace {
  int x, y, width, height;
  const char* caption;
};

struct SceneMaker {
  const PageInput& in;
  const TQ730SYSF* system;  // null: the page shows no controls
  const TQ730* values;      // where the controls' values are read: the system data or a snapshot
  PageScene scene;

  SceneMaker(const PageInput& input, PagePicture picture, std::string header,
             std::initializer_list<FramePlace> frames = {})
      : in(input), system(input.list ? input.list->System() : nullptr), values(input.list) {
    scene.picture = picture;
    scene.header = std::move(header);
    scene.header_strip = true;
    for (const FramePlace& f : frames) Frame(f);
  }
  // The pages that show the system data itself show nothing of another list.
  void RequireSystemList() {
    if (system != in.list) system = nullptr;
  }
  void Frame(const FramePlace& f, bool caption_below = false) {
    scene.frames.push_back({Place(f.x, f.y, f.width, f.height), f.caption, caption_below});
  }
  PageControl& Add(int id, int channel, int kind, const PageRect& box, int value) {
    PageControl& c = scene.controls.emplace_back();
    c.entry = static_cast<int>(scene.controls.size()) - 1;
    c.id = id;
    c.channel = channel;
    c.kind = kind;
    c.box = box;
    c.value = value;
    c.max = id > 0 ? values->ParamMax(channel, id) : 1;
    c.lit = value >= 1;
    c.pressed = c.entry == in.pressed_entry;
    return c;
  }
  // A switch of the parameter where the layout has it; its face is the given text.
  PageControl* Switch(int id, int channel, const PageRect& box, std::string face,
                      int kind = kKindSquare) {
    const int value = values->GetParam(channel, id);
    if (value < 0) return nullptr;
    PageControl& c = Add(id, channel, kind, box, value);
    c.face = std::move(face);
    return &c;
  }
  void Label(int x, int y, std::string text) {
    scene.labels.push_back({x, y + 1 + kHeaderStrip, std::move(text)});
  }
};

}  // namespace orb::pages
