// The parameter panel's CHANNEL page of an input channel, the OVERVIEW page (24 strips, about 500
// controls) and the CUE page of a full cue list, each built and painted as every repaint does it,
// against filling the panel's back buffer and drawing 200 fixed texts, in the same run.
// Goal: build + paint at most 6 times the baseline and within 8 ms, each page.
#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "bench/OffscreenBench.h"
#include "core/model/Title.h"
#include "gui/pages/PagePainter.h"
#include "tools/TitleGenerator.h"

namespace {

// A title with the cue list full.
orb::Title& TheTitle() {
  static orb::Title title;
  static const bool loaded = [] {
    orb::gen::TitleSpec spec;
    spec.cues = 99;
    orb::MemoryFile file(orb::gen::MakeTitle(spec));
    return title.LoadChunks(file) == orb::kOk;
  }();
  (void)loaded;
  return title;
}

void BuildAndPaint(benchmark::State& state, orb::PageKind page, const orb::TQ730& list) {
  orb::Title& title = TheTitle();
  QImage buffer(orb::kPanelWidth, orb::kPanelHeight, QImage::Format_RGB32);
  orb::PageInput in{page, &list, 0, orb::DynamicsSection::kCompDuck, orb::HeaderTextWidth()};
  in.cell_width = orb::CellTextWidth();
  in.snapshots = &title.Snapshots();
  in.eq_lib = &title.Eq();
  in.dyn_lib = &title.Dynamics();
  std::size_t controls = 0;
  for (auto _ : state) {
    const orb::PageScene scene = orb::BuildPageScene(in);
    controls = scene.controls.size();
    QPainter painter(&buffer);
    orb::PaintPage(painter, scene);
    painter.end();
    benchmark::DoNotOptimize(buffer.constBits());
  }
  state.counters["controls"] = static_cast<double>(controls);
}

void BM_ChannelPageBuildAndPaint(benchmark::State& state) {
  BuildAndPaint(state, orb::kPageChannel, TheTitle().System());
}
BENCHMARK(BM_ChannelPageBuildAndPaint)->Unit(benchmark::kMillisecond);

void BM_OverviewPageBuildAndPaint(benchmark::State& state) {
  BuildAndPaint(state, orb::kPageOverview, TheTitle().System());
}
BENCHMARK(BM_OverviewPageBuildAndPaint)->Unit(benchmark::kMillisecond);

void BM_CuePageBuildAndPaint(benchmark::State& state) {
  BuildAndPaint(state, orb::kPageCue, TheTitle().Cues());
}
BENCHMARK(BM_CuePageBuildAndPaint)->Unit(benchmark::kMillisecond);

void BM_FillAndFixedTexts(benchmark::State& state) {
  QImage buffer(orb::kPanelWidth, orb::kPanelHeight, QImage::Format_RGB32);
  QFont font("Liberation Sans");
  font.setPixelSize(10);
  for (auto _ : state) {
    QPainter painter(&buffer);
    painter.fillRect(buffer.rect(), QColor(46, 52, 60));
    painter.setFont(font);
    for (int i = 0; i < 200; ++i)
      painter.drawText(4 + (i % 10) * 78, 12 + (i / 10) * 24, QStringLiteral("-12.5dB"));
    painter.end();
    benchmark::DoNotOptimize(buffer.constBits());
  }
}
BENCHMARK(BM_FillAndFixedTexts)->Unit(benchmark::kMillisecond);

void PrintGoals(const orb::bench::MedianReporter& results) {
  const std::pair<const char*, const char*> pages[] = {{"CHANNEL", "BM_ChannelPageBuildAndPaint"},
                                                       {"OVERVIEW", "BM_OverviewPageBuildAndPaint"},
                                                       {"CUE", "BM_CuePageBuildAndPaint"}};
  std::printf("\n");
  for (auto [name, benchmark] : pages) {
    std::printf("%s page build + paint / baseline: %.2f (goal <= 6; %.3f ms, goal <= 8 ms)\n", name,
                results.Ratio(benchmark, "BM_FillAndFixedTexts"), results.Milliseconds(benchmark));
  }
}

}  // namespace

int main(int argc, char** argv) {
  return orb::bench::RunPaintBenchmarks(argc, argv, PrintGoals);
}
