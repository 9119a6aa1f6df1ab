// The automation timeline at the word limit: 250,000 Level events on the 73 channels, 3,000
// times an hour apart (about 83 events share each time), painted at 1600 x 1000 as the
// widget paints it (scene, then the painter into the back buffer) at the whole day, at 72 and
// at 500 pixels per second; against one plain pass over the events plus one fill of the back
// buffer, in the same run. Then the gestures on that title: a pointer move while writing, and
// the button-up of a write, a move and an event drag, each with its undo step and the repaint.
// Then finding one's place and the commands on the selection: a Ctrl+wheel zoom, zoom to fit,
// Go To, a pointer move of a snapping move, and thinning the whole day's Level events, each
// with the repaint. For reference: the paint with the whole day selected, which is what a thin of
// the whole day repaints, and a thin that removes what ten Line strokes wrote.
// Goals: each paint at most 20x the plain pass and fill and within 16 ms; each gesture at most
// 3x the full paint at 72 pixels per second; each of the later actions with its repaint at most
// 2x that paint.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QImage>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "bench/OffscreenBench.h"
#include "core/editor/EditSession.h"
#include "core/editor/TimelineEdits.h"
#include "core/editor/TimelineMouse.h"
#include "core/editor/TimelineNavigator.h"
#include "gui/editor/TimelinePainter.h"
#include "tools/TitleGenerator.h"

namespace {

namespace fs = std::filesystem;
using namespace orb::timeline;

constexpr int kWidth = 1600;
constexpr int kHeight = 1000;
constexpr int kLevel = 110;
constexpr int kEvents = 250000;
constexpr int kTimes = 3000;
constexpr double kStep = 1.2;  // seconds between two times

struct Show {
  orb::TClip clip;
  orb::EditSession session{clip, nullptr};
  fs::path file;
  QImage buffer{kWidth, kHeight, QImage::Format_RGB32};
  orb::TimelineFonts fonts{false};

  Show() {
    orb::gen::TitleSpec spec;
    spec.name = "Bench";
    file =
        fs::temp_directory_path() / ("orb_bench_timeline_" + std::to_string(::getpid()) + ".orb");
    const std::vector<std::uint8_t> bytes = orb::gen::MakeTitle(spec);
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    session.Open(file.string());
    orb::TQ730AUTO& list = session.GetTitle().Automation();  // empty as generated
    const int rows = std::min(session.GetTitle().System().Count(), orb::TQ730AUTO::kChannelFlags);
    std::vector<orb::EventKey> keys;
    for (int row = 0; row < rows; ++row) {
      const orb::EventKey key = list.KeyOf(kLevel, row);
      if (key.valid) keys.push_back(key);
    }
    const int per_time = static_cast<int>(keys.size());
    const int extra = kEvents - kTimes * per_time;  // second events spread over the times
    for (int k = 0; k < kTimes; ++k) {
      const orb::TimeCode time = orb::SecondsToTC(1.0 + k * kStep, list.Rate());
      const int count = per_time + (extra * (k + 1)) / kTimes - (extra * k) / kTimes;
      for (int j = 0; j < count; ++j) {
        const orb::EventKey& key = keys[static_cast<std::size_t>((j + k * 11) % per_time)];
        list.AppendEvent({time, key.Word((k * 37 + j * 101) % 1024)});
      }
    }
    list.ClearEventSelection();
    session.ChangeTab(4);  // AUTOMATION
    session.SetViewParam(kLevel);
  }
  ~Show() {
    std::error_code error;
    fs::remove(file, error);
  }

  orb::TQ730AUTO& Automation() { return session.GetTitle().Automation(); }
  orb::TimelineState& State() { return session.Timeline(); }

  // One paint as the widget does it.
  orb::TimelineScene Paint(const orb::TimelineMouse* mouse = nullptr) {
    orb::Title& title = session.GetTitle();
    orb::TimelineScene scene = orb::BuildScene(
        State(), kWidth, kHeight,
        {&title.Automation(), &title.System(), session.ViewParam(), session.SelectionStart(),
         session.SelectionEnd(), mouse ? mouse->RowOffset() : 0, &title.Cues()});
    if (mouse) mouse->Decorate(scene);
    orb::PaintTimeline(buffer, scene, fonts);
    benchmark::DoNotOptimize(buffer.constBits());
    return scene;
  }

  // Zoom and scroll: 0 gives the whole day from its start; otherwise the zoom in pixels per
  // second (reached with the buttons) in the middle of the show.
  void View(float zoom) {
    State() = orb::TimelineState();
    if (zoom == 0) {
      while (State().Zoom() * 86400 > kWidth - kLabelWidth) State().ReduceTime();
      return;
    }
    while (State().Zoom() < zoom) State().DetailTime();
    State().SetTimeScroll(kTimeScrollMax / 2, orb::TimeSpan(session.GetTitle().Automation()));
  }
};

Show& TheShow() {
  static Show show;
  return show;
}

// The baseline: one pass that reads every event's time and word, and one fill of the buffer.
void BM_PlainPassAndFill(benchmark::State& state) {
  Show& show = TheShow();
  const orb::TQ730AUTO& list = show.Automation();
  for (auto _ : state) {
    double sum = 0;
    std::uint32_t words = 0;
    for (int i = 0, n = list.Count(); i < n; ++i) {
      sum += orb::TCToSeconds(list.EventTime(i), list.Rate());
      words ^= list.EventWord(i);
    }
    benchmark::DoNotOptimize(sum);
    benchmark::DoNotOptimize(words);
    show.buffer.fill(Qt::white);
    benchmark::DoNotOptimize(show.buffer.constBits());
  }
  state.counters["events"] = list.Count();
  state.counters["words"] = static_cast<double>(list.StreamWordCount());
}
BENCHMARK(BM_PlainPassAndFill)->Unit(benchmark::kMillisecond);

void Paint(benchmark::State& state, float zoom) {
  Show& show = TheShow();
  show.View(zoom);
  std::size_t visible = 0;
  for (auto _ : state) visible = show.Paint().visible.size();
  state.counters["visible"] = static_cast<double>(visible);
}
void BM_PaintWholeDay(benchmark::State& state) {
  Paint(state, 0);
}
void BM_Paint72(benchmark::State& state) {
  Paint(state, 72);
}
void BM_Paint500(benchmark::State& state) {
  Paint(state, 500);
}
BENCHMARK(BM_PaintWholeDay)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Paint72)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Paint500)->Unit(benchmark::kMillisecond);

// The pixel of a time and a value in band 0 at the current view.
orb::TimelinePointer PointAt(Show& show, double seconds, int value, orb::KeyMods mods = {}) {
  const orb::TimelineGeometry g(show.State(), kWidth, kHeight, orb::TimeSpan(show.Automation()));
  return {g.TimeX(seconds) + 1, g.ValueY(0, value, 1023) - 1, mods};
}

double Middle(Show& show) {
  const orb::TimelineGeometry g(show.State(), kWidth, kHeight, orb::TimeSpan(show.Automation()));
  return (g.LeftTime() + g.RightTime()) / 2;
}

void BM_WriteMove(benchmark::State& state) {
  Show& show = TheShow();
  show.View(72);
  show.State().SetTool(orb::TimelineTool::kWrite);
  show.State().SetShape(1);  // Line: every move redraws the whole stroke
  orb::TimelineMouse mouse(show.session, show.State());
  mouse.SetSurface(kWidth, kHeight);
  const double t = Middle(show);
  mouse.Down(PointAt(show, t - 3, 100), show.Paint(&mouse));
  int step = 0;
  for (auto _ : state) {
    mouse.Move(PointAt(show, t + (step % 2 ? 2.0 : 2.5), step % 2 ? 900 : 700));
    show.Paint(&mouse);
    ++step;
  }
  mouse.Up(PointAt(show, t, 100));
  show.session.UndoCommand();
  show.State().SetTool(orb::TimelineTool::kSelect);
}
BENCHMARK(BM_WriteMove)->Unit(benchmark::kMillisecond);

// Button-up of a gesture the setup began, with the repaint; the undo puts the title back.
template <typename Begin>
void ButtonUp(benchmark::State& state, Begin begin) {
  Show& show = TheShow();
  show.View(72);
  const int count = show.Automation().Count();
  for (auto _ : state) {
    state.PauseTiming();
    orb::TimelineMouse mouse(show.session, show.State());
    mouse.SetSurface(kWidth, kHeight);
    const orb::TimelinePointer up = begin(show, mouse);
    state.ResumeTiming();
    mouse.Up(up);
    show.Paint(&mouse);
    state.PauseTiming();
    if (!show.session.Enabled().undo) state.SkipWithError("the gesture changed nothing");
    show.session.UndoCommand();
    if (show.Automation().Count() != count) state.SkipWithError("undo did not restore the title");
    show.session.ClearSelect();
    state.ResumeTiming();
  }
}

void BM_WriteUp(benchmark::State& state) {
  ButtonUp(state, [](Show& show, orb::TimelineMouse& mouse) {
    show.State().SetTool(orb::TimelineTool::kWrite);
    show.State().SetShape(0);
    const double t = Middle(show);
    mouse.Down(PointAt(show, t - 2, 100), show.Paint(&mouse));
    for (int k = 1; k <= 40; ++k) mouse.Move(PointAt(show, t - 2 + k * 0.1, 100 + k * 20));
    show.State().SetTool(orb::TimelineTool::kSelect);
    return PointAt(show, t + 2, 900);
  });
}
BENCHMARK(BM_WriteUp)->Unit(benchmark::kMillisecond);

// Selects the first row and the `below` rows under it over four seconds in the middle of the
// view by a drag, then presses on the selection, which begins a move; returns the middle's time.
double GrabSelection(Show& show, orb::TimelineMouse& mouse, int below) {
  const double t = Middle(show);
  mouse.Down(PointAt(show, t - 2, 500), show.Paint(&mouse));
  orb::TimelinePointer to = PointAt(show, t + 2, 500);
  to.y += below * show.State().BandHeight();
  mouse.Move(to);
  mouse.Up(to);
  mouse.Down(PointAt(show, t, 500), show.Paint(&mouse));
  return t;
}

void BM_MoveUp(benchmark::State& state) {
  ButtonUp(state, [](Show& show, orb::TimelineMouse& mouse) {
    // Rows 0 to 3 over four seconds, moved one second later and one row down.
    const double t = GrabSelection(show, mouse, 3);
    orb::TimelinePointer moved = PointAt(show, t + 1, 500);
    moved.y += show.State().BandHeight();
    mouse.Move(moved);
    return moved;
  });
}
BENCHMARK(BM_MoveUp)->Unit(benchmark::kMillisecond);

void BM_EventDragUp(benchmark::State& state) {
  ButtonUp(state, [](Show& show, orb::TimelineMouse& mouse) {
    const orb::TimelineScene scene = show.Paint(&mouse);
    const orb::VisibleEvent* event = nullptr;
    for (const orb::VisibleEvent& e : scene.visible) {
      if (e.band == 0 && e.x > kWidth / 2) {
        event = &e;
        break;
      }
    }
    if (event == nullptr) return orb::TimelinePointer{};
    mouse.Down({event->x, event->y}, scene);
    const orb::TimelinePointer to{event->x + 40, event->y - 10};
    mouse.Move(to);
    return to;
  });
}
BENCHMARK(BM_EventDragUp)->Unit(benchmark::kMillisecond);

orb::TimelineNavigator Navigator(Show& show) {
  orb::Title& title = show.session.GetTitle();
  return orb::TimelineNavigator(show.State(), title.Automation(), &title.Cues(),
                                std::min(title.System().Count(), orb::TQ730AUTO::kChannelFlags),
                                kWidth, kHeight);
}

// One action on the view, then the repaint.
template <typename Act>
void ViewAction(benchmark::State& state, Act act) {
  Show& show = TheShow();
  show.View(72);
  int step = 0;
  for (auto _ : state) {
    orb::TimelineNavigator navigator = Navigator(show);
    act(show, navigator, step++);
    show.Paint();
  }
}

void BM_WheelZoom(benchmark::State& state) {
  ViewAction(state, [](Show&, orb::TimelineNavigator& n, int step) {
    n.Wheel({step % 2 ? -1 : 1, false, true}, kWidth / 3);
  });
}
BENCHMARK(BM_WheelZoom)->Unit(benchmark::kMillisecond);

void BM_ZoomToFit(benchmark::State& state) {
  ViewAction(state, [](Show& show, orb::TimelineNavigator& n, int) {
    n.ZoomToFit();
    benchmark::DoNotOptimize(show.State().Zoom());
    show.View(72);
  });
}
BENCHMARK(BM_ZoomToFit)->Unit(benchmark::kMillisecond);

void BM_GoTo(benchmark::State& state) {
  ViewAction(state, [](Show&, orb::TimelineNavigator& n, int step) {
    std::string error;
    n.Centre(*orb::ReadTimecode(step % 2 ? "00:30:00:00" : "00:40:00:00", 30, error));
  });
}
BENCHMARK(BM_GoTo)->Unit(benchmark::kMillisecond);

// A pointer move of a selection being moved across three rows, snapping to the other rows'
// events, with the repaint.
void BM_SnapMove(benchmark::State& state) {
  Show& show = TheShow();
  show.View(72);
  orb::TimelineMouse mouse(show.session, show.State());
  mouse.SetSurface(kWidth, kHeight);
  const double t = GrabSelection(show, mouse, 2);
  if (mouse.Mode() != orb::TimelineDrag::kMove) state.SkipWithError("no move began");
  int step = 0;
  for (auto _ : state) {
    mouse.Move(PointAt(show, t + 0.5 + (step++ % 7) * 0.31, 500));
    show.Paint(&mouse);
  }
  mouse.Cancel();
  show.session.ClearSelect();
}
BENCHMARK(BM_SnapMove)->Unit(benchmark::kMillisecond);

// The paint of the 72 pixels per second view with the whole day selected: every band is drawn
// inverted over its whole width, which a thin of the whole day repaints.
void BM_Paint72Selected(benchmark::State& state) {
  Show& show = TheShow();
  show.View(72);
  show.session.SelectAll();
  for (auto _ : state) show.Paint();
  show.session.ClearSelect();
}
BENCHMARK(BM_Paint72Selected)->Unit(benchmark::kMillisecond);

// Thin over every row and the whole day, with its undo step and the repaint; the undo puts the
// title back.
void ThinAll(benchmark::State& state, Show& show) {
  int removed = 0;
  for (auto _ : state) {
    state.PauseTiming();
    show.session.SelectAll();
    state.ResumeTiming();
    removed = orb::TimelineEdits(show.session).Thin();
    show.Paint();
    state.PauseTiming();
    if (removed > 0) show.session.UndoCommand();
    show.session.ClearSelect();
    state.ResumeTiming();
  }
  state.counters["removed"] = removed;
}

// On the show as it is, whose events hold unrelated values: the pass finds nothing to remove.
void BM_ThinDay(benchmark::State& state) {
  Show& show = TheShow();
  show.View(72);
  ThinAll(state, show);
}
BENCHMARK(BM_ThinDay)->Unit(benchmark::kMillisecond);

// The same after ten 30-second Line strokes (one value step a frame, as a slow fader move
// writes) on ten rows: here the thin takes most of the strokes' events away, with the undo step
// that keeps them. For reference.
void BM_ThinStrokes(benchmark::State& state) {
  Show& show = TheShow();
  show.View(72);
  orb::TQ730AUTO& list = show.Automation();
  show.session.PushUndoStep("Write");
  for (int row = 0; row < 10; ++row) {
    const orb::EventKey key = list.KeyOf(kLevel, row);
    const double from = 600.0 + row * 40;
    std::vector<orb::AutoEvent> events;
    for (int frame = 0; frame < 30 * 30; ++frame) {
      events.push_back({orb::SecondsToTC(from + frame / 30.0, list.Rate()),
                        key.Word(100 + frame * 800 / 900) & ~key.mask});
    }
    list.WriteEvents(kLevel, row, from, from + 30, events, false, false);
  }
  ThinAll(state, show);
  show.session.UndoCommand();
}
BENCHMARK(BM_ThinStrokes)->Unit(benchmark::kMillisecond);

void PrintGoals(const orb::bench::MedianReporter& r) {
  std::printf("\n");
  for (const auto& [name, label] :
       {std::pair{"BM_PaintWholeDay", "whole day"}, std::pair{"BM_Paint72", "72 px/s"},
        std::pair{"BM_Paint500", "500 px/s"}}) {
    std::printf(
        "timeline paint %s / plain pass and fill: %.2f (goal <= 20; paint %.2f ms, goal <= 16 "
        "ms)\n",
        label, r.Ratio(name, "BM_PlainPassAndFill"), r.Milliseconds(name));
  }
  for (const auto& [name, label] : {std::pair{"BM_WriteMove", "pointer move while writing"},
                                    std::pair{"BM_WriteUp", "button-up of a write"},
                                    std::pair{"BM_MoveUp", "button-up of a move"},
                                    std::pair{"BM_EventDragUp", "button-up of an event drag"}}) {
    std::printf("timeline %s / paint: %.2f (goal <= 3)\n", label, r.Ratio(name, "BM_Paint72"));
  }
  for (const auto& [name, label] :
       {std::pair{"BM_WheelZoom", "Ctrl+wheel zoom"}, std::pair{"BM_ZoomToFit", "zoom to fit"},
        std::pair{"BM_GoTo", "go to timecode"}, std::pair{"BM_SnapMove", "snapping move step"},
        std::pair{"BM_ThinDay", "thin of the whole day"}}) {
    std::printf("timeline %s with repaint / paint: %.2f (goal <= 2)\n", label,
                r.Ratio(name, "BM_Paint72"));
  }
  std::printf("timeline paint with the whole day selected / paint: %.2f (for reference)\n",
              r.Ratio("BM_Paint72Selected", "BM_Paint72"));
  std::printf(
      "timeline thin of the whole day with repaint / paint with the whole day selected: "
      "%.2f (for reference)\n",
      r.Ratio("BM_ThinDay", "BM_Paint72Selected"));
  std::printf(
      "timeline thin of the whole day after ten Line strokes with repaint / paint: %.2f "
      "(for reference)\n",
      r.Ratio("BM_ThinStrokes", "BM_Paint72"));
}

}  // namespace

int main(int argc, char** argv) {
  return orb::bench::RunPaintBenchmarks(argc, argv, PrintGoals);
}
