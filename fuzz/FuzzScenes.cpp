#include <algorithm>
#include <cstdlib>
#include <string_view>

#include "core/editor/AutomationViews.h"
#include "core/editor/TimelineScene.h"
#include "core/model/DebugLog.h"
#include "core/model/Title.h"
#include "core/pages/PageScene.h"
#include "fuzz/FuzzTargets.h"

namespace orb {
namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

void PageScenes(Title& title) {
  const auto width = [](std::string_view text) { return static_cast<int>(text.size()) * 9; };
  const std::pair<PageKind, const TQ730*> pages[] = {
      {kPageChannel, &title.System()},     {kPageDynLib, &title.Dynamics()},
      {kPageEqLib, &title.Eq()},           {kPageSnapshot, &title.Snapshots()},
      {kPageCue, &title.Cues()},           {kPageOverview, &title.System()},
      {kPageFaderGroup, &title.System()},  {kPageIsolate, &title.System()},
      {kPageSetup, &title.System()},       {kPageFader, &title.System()},
      {kPageInputAssign, &title.System()}, {kPageOutputAssign, &title.System()}};
  for (const auto& [page, list] : pages) {
    // One past the end too: a cursor left behind by a shrinking list. The pages of the whole
    // console do not follow the cursor: a few cursors give them every bank, group and view.
    const bool whole_console = list == &title.System() && page != kPageChannel;
    const int last = whole_console ? std::min(list->Count(), 9) : list->Count();
    for (int cursor = 0; cursor <= last; ++cursor) {
      for (const DynamicsSection section :
           {DynamicsSection::kCompDuck, DynamicsSection::kExpGate}) {
        PageInput in{page, list, cursor, section, width};
        // Every bank, group and scroll the panel can hold, and some it cannot.
        in.bank = cursor % 4;
        in.group = cursor % 9;
        in.scroll = cursor;
        in.view = section == DynamicsSection::kExpGate ? RoutingView::kMadi : RoutingView::kOutputs;
        in.cell_width = width;
        in.snapshots = &title.Snapshots();
        in.eq_lib = &title.Eq();
        in.dyn_lib = &title.Dynamics();
        for (const PageControl& c : BuildPageScene(in).controls)
          Check(c.box.left >= 0 && c.box.left + c.box.width <= kPanelWidth);
      }
    }
  }
}

// Every view at the start zoom, and the level view zoomed out, zoomed in and scrolled: the
// events found are events of the list, each column to the right of the one before.
void TimelineScenes(Title& title) {
  const TQ730AUTO& automation = title.Automation();
  auto check = [&](const TimelineScene& scene) {
    for (const VisibleEvent& e : scene.visible) {
      Check(e.index >= 0 && e.index < automation.Count());
      HitEvent(scene, e.row, e.x, e.y);
    }
    for (const BandCurve& curve : scene.curves) {
      for (std::size_t c = 1; c < curve.columns.size(); ++c)
        Check(curve.columns[c].x > curve.columns[c - 1].x);
    }
  };
  for (const int view : kAutomationViews) {
    const TimelineState state;
    check(
        BuildScene(state, 900, 500, {&automation, &title.System(), view, 1, 30, 0, &title.Cues()}));
  }
  TimelineState state;
  for (int step = 0; step < 24; ++step) {
    state.SetTimeScroll(step * timeline::kTimeScrollMax / 23, TimeSpan(automation));
    state.SetRowScroll(step * 3, 73);
    check(BuildScene(
        state, 1200, 700,
        {&automation, &title.System(), 110, 0, timeline::kDayEnd, step % 5 - 2, &title.Cues()}));
    if (step < 12) {
      state.ReduceTime();
    } else {
      state.DetailTime();
      state.DetailTime();
    }
  }
}

}  // namespace

int FuzzScenes(const std::uint8_t* data, std::size_t size) {
  Title title;
  MemoryFile file(data, size);
  // Whatever loaded, even of a title that stopped half-way, is shown.
  title.LoadChunks(file);
  PageScenes(title);
  TimelineScenes(title);
  ClearLog();
  return 0;
}

}  // namespace orb
