// One drag step of the parameter panel on the largest title: the "Level" fader of CH 1 in a
// gang of all 48 input channels, hit-tested, written through the links (47 channels follow),
// the page rebuilt and painted; against painting the same page alone, in the same run. And the
// hit test of a page of 500 controls against that paint. A value typed into the same fader
// (read, written through the links, the page rebuilt and painted) against the paint too.
// Goals: drag step within 8 ms and at most 1.5 times the paint; typed value at most 1.5 times
// the paint; hit test at most 1/20 of it.
#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>
#include <cstdio>
#include <optional>

#include "bench/OffscreenBench.h"
#include "core/edit/Links.h"
#include "core/model/ParamModel.h"
#include "core/model/Title.h"
#include "core/pages/PanelModel.h"
#include "gui/pages/PagePainter.h"
#include "tools/TitleGenerator.h"

namespace {

// A maximum title (99 of every list, automation at the word limit), every input channel in
// GANG group 1.
orb::Title& TheTitle() {
  static orb::Title title;
  static const bool loaded = [] {
    orb::gen::TitleSpec spec;
    spec.snapshots = spec.cues = spec.dynamics = spec.eq = 99;
    spec.automation_words = orb::Title::kMaxAutomationWords;
    orb::MemoryFile file(orb::gen::MakeTitle(spec));
    if (title.LoadChunks(file) != orb::kOk) return false;
    orb::TQ730SYSF& s = title.System();
    s.SetParam(0, orb::kParamManualGroup, 0);
    s.SetParam(0, orb::kParamGroupType, 0);
    s.SetParam(0, orb::kParamGroupOn, 1);
    for (int c = 0; c < s.GroupSize(orb::kGroupInput); ++c) {
      s.SetParam(c, orb::kParamLinkMode, orb::kMono);
      s.SetParam(c, orb::kParamFaderGroup, 1);
      s.SetParam(c, orb::kParamFaderLevel, 500 + c);
    }
    return true;
  }();
  (void)loaded;
  return title;
}

orb::PageInput ChannelPage(orb::Title& title) {
  static const auto width = orb::HeaderTextWidth();
  return {orb::kPageChannel, &title.System(), 0, orb::DynamicsSection::kCompDuck, width};
}

// The panel on the channel page of the title.
struct Panel {
  Panel()
      : links(TheTitle().System()),
        panel(
            links,
            [](const orb::PanelState&, int pressed) {
              orb::PageInput in = ChannelPage(TheTitle());
              in.pressed_entry = pressed;
              return orb::BuildPageScene(in);
            },
            nullptr) {
    for (const orb::PageControl& c : panel.Scene().controls) {
      if (c.id == orb::kParamFaderLevel && !fader) fader = c;
    }
  }
  orb::LinkContext links;
  orb::PanelModel panel;
  std::optional<orb::PageControl> fader;
};

void Paint(QImage& buffer, const orb::PageScene& scene) {
  QPainter painter(&buffer);
  orb::PaintPage(painter, scene);
  painter.end();
  benchmark::DoNotOptimize(buffer.constBits());
}

void BM_DragStep(benchmark::State& state) {
  QImage buffer(orb::kPanelWidth, orb::kPanelHeight, QImage::Format_RGB32);
  Panel p;
  orb::PanelModel& panel = p.panel;
  if (!p.fader) {
    state.SkipWithError("no fader");
    return;
  }
  const orb::PageControl* fader = &*p.fader;
  const int x = fader->cap.x, bottom = fader->travel_top + fader->travel;
  panel.Press(x, fader->cap.y, false);
  int step = 0;
  for (auto _ : state) {
    // Up and down the upper half of the travel: every step changes the level.
    panel.Move(x, bottom - 70 - (step++ % 60));
    Paint(buffer, panel.Scene());
  }
  panel.Release(x, bottom);
}
BENCHMARK(BM_DragStep)->Unit(benchmark::kMillisecond);

void BM_TypedValue(benchmark::State& state) {
  QImage buffer(orb::kPanelWidth, orb::kPanelHeight, QImage::Format_RGB32);
  Panel p;
  if (!p.fader) {
    state.SkipWithError("no fader");
    return;
  }
  // Every value another, so that every one is written; the gang follows each.
  const char* const texts[] = {"-3.5", "-12 dB", "0", "+4,5", "-40", "-inf"};
  int n = 0;
  for (auto _ : state) {
    p.panel.DoubleClick(p.fader->cap.x, p.fader->cap.y, false);
    if (!p.panel.CommitTyping(texts[n++ % 6])) state.SkipWithError("not taken");
    Paint(buffer, p.panel.Scene());
  }
}
BENCHMARK(BM_TypedValue)->Unit(benchmark::kMillisecond);

void BM_PagePaint(benchmark::State& state) {
  orb::Title& title = TheTitle();
  QImage buffer(orb::kPanelWidth, orb::kPanelHeight, QImage::Format_RGB32);
  const orb::PageScene scene = orb::BuildPageScene(ChannelPage(title));
  for (auto _ : state) {
    QPainter painter(&buffer);
    orb::PaintPage(painter, scene);
    painter.end();
    benchmark::DoNotOptimize(buffer.constBits());
  }
}
BENCHMARK(BM_PagePaint)->Unit(benchmark::kMillisecond);

void BM_HitTest500(benchmark::State& state) {
  orb::Title& title = TheTitle();
  const orb::PageScene page = orb::BuildPageScene(ChannelPage(title));
  orb::PageScene scene;
  while (scene.controls.size() < 500) {
    for (const orb::PageControl& c : page.controls) {
      if (scene.controls.size() < 500) scene.controls.push_back(c);
    }
  }
  // A point below every control: all 500 are tested.
  int y = 0;
  for (auto _ : state) {
    const orb::PanelHit hit = orb::HitTest(scene, 799, 490 - (y++ & 1));
    benchmark::DoNotOptimize(hit);
  }
}
BENCHMARK(BM_HitTest500)->Unit(benchmark::kMillisecond);

void PrintGoals(const orb::bench::MedianReporter& results) {
  std::printf("\ndrag step / page paint: %.2f (goal <= 1.5; %.3f ms, goal <= 8 ms)\n",
              results.Ratio("BM_DragStep", "BM_PagePaint"), results.Milliseconds("BM_DragStep"));
  std::printf("typed value / page paint: %.2f (goal <= 1.5)\n",
              results.Ratio("BM_TypedValue", "BM_PagePaint"));
  std::printf("hit test of 500 controls / page paint: %.4f (goal <= 0.05)\n",
              results.Ratio("BM_HitTest500", "BM_PagePaint"));
}

}  // namespace

int main(int argc, char** argv) {
  return orb::bench::RunPaintBenchmarks(argc, argv, PrintGoals);
}
