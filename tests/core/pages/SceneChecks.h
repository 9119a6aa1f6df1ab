// What the tests of the system pages share: the layouts they are built in, and the checks that
// a page stays on the panel with nothing overlapping.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "core/pages/PageScene.h"
#include "tests/core/edit/EditTitles.h"

namespace orb {

struct Layout {
  const char* name;
  int rate_mode;
  bool surround;
};
inline constexpr Layout k48{"48 kHz", 0, false}, k96{"96 kHz", 2, false},
    k96Surround{"96 kHz MTR BUS MODE", 2, true};

inline std::unique_ptr<Title> TitleFor(const Layout& layout) {
  gen::TitleSpec spec;
  spec.rate_mode = layout.rate_mode;
  spec.mtr_bus_mode = layout.surround;
  return test::LoadTitle(spec);
}

inline PageScene Assign(const TQ730* list, PageKind page, RoutingView view = RoutingView::kOutputs,
                        int pressed = -1) {
  return BuildPageScene({page, list, 0, DynamicsSection::kCompDuck, nullptr, pressed, view});
}

inline std::map<int, int> CountById(const PageScene& scene) {
  std::map<int, int> counts;
  for (const PageControl& c : scene.controls) ++counts[c.id];
  return counts;
}

inline const PageControl* Find(const PageScene& scene, int id, int channel) {
  for (const PageControl& c : scene.controls) {
    if (c.id == id && c.channel == channel) return &c;
  }
  return nullptr;
}

inline bool Overlap(const PageRect& a, const PageRect& b) {
  return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
         b.top < a.top + a.height;
}
inline bool Inside(const PageRect& inner, const PageRect& outer) {
  return inner.left >= outer.left && inner.top >= outer.top &&
         inner.left + inner.width <= outer.left + outer.width &&
         inner.top + inner.height <= outer.top + outer.height;
}

// Nothing overlaps, and everything stays on the panel; controls below the strip but the view
// switch.
inline void ExpectLaidOut(const PageScene& scene) {
  const PageRect panel{0, 0, kPanelWidth, kPanelHeight};
  for (const PageFrame& f : scene.frames) EXPECT_TRUE(Inside(f.box, panel)) << f.caption;
  EXPECT_TRUE(Inside(scene.pick_list.box, panel));
  for (std::size_t i = 0; i < scene.controls.size(); ++i) {
    const PageControl& a = scene.controls[i];
    EXPECT_TRUE(Inside(a.box, panel)) << a.id << "/" << a.channel;
    EXPECT_EQ(a.box.top < kHeaderStrip,
              a.id == kSwitchRoutingView || a.id == kSwitchPage || a.id == kSwitchEdit)
        << a.id;
    EXPECT_FALSE(Overlap(a.box, scene.pick_list.box)) << a.id << "/" << a.channel;
    for (std::size_t j = i + 1; j < scene.controls.size(); ++j) {
      const PageControl& b = scene.controls[j];
      // A fader group row holds its type box and on switch.
      const bool held = (a.kind == kKindGroupRow && Inside(b.box, a.box)) ||
                        (b.kind == kKindGroupRow && Inside(a.box, b.box));
      EXPECT_FALSE(Overlap(a.box, b.box) && !held)
          << a.id << "/" << a.channel << " and " << b.id << "/" << b.channel;
    }
  }
}

}  // namespace orb
