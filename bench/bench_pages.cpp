// The parameter panel's CHANNEL page of an input channel, built and painted as every repaint
// does it, against filling the panel's back buffer and drawing 200 fixed texts, in the same run.
// Goal: build + paint at most 6 times the baseline and within 8 ms.
#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>
#include <cstdio>
#include <cstdlib>

#include "bench/OffscreenBench.h"
#include "core/model/Title.h"
#include "gui/pages/PagePainter.h"
#include "tools/TitleGenerator.h"

namespace {

orb::Title& TheTitle() {
  static orb::Title title;
  static const bool loaded = [] {
    orb::MemoryFile file(orb::gen::MakeTitle({}));
    return title.LoadChunks(file) == orb::kOk;
  }();
  (void)loaded;
  return title;
}

void BM_ChannelPageBuildAndPaint(benchmark::State& state) {
  orb::Title& title = TheTitle();
  QImage buffer(orb::kPanelWidth, orb::kPanelHeight, QImage::Format_RGB32);
  const auto width = orb::HeaderTextWidth();
  for (auto _ : state) {
    const orb::PageScene scene = orb::BuildPageScene(
        {orb::PageKindShown::kChannel, &title.System(), 0, orb::DynamicsSection::kCompDuck, width});
    QPainter painter(&buffer);
    orb::PaintPage(painter, scene);
    painter.end();
    benchmark::DoNotOptimize(buffer.constBits());
  }
}
BENCHMARK(BM_ChannelPageBuildAndPaint)->Unit(benchmark::kMillisecond);

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
  std::printf("\nCHANNEL page build + paint / baseline: %.2f (goal <= 6; %.3f ms, goal <= 8 ms)\n",
              results.Ratio("BM_ChannelPageBuildAndPaint", "BM_FillAndFixedTexts"),
              results.Milliseconds("BM_ChannelPageBuildAndPaint"));
}

}  // namespace

int main(int argc, char** argv) {
  return orb::bench::RunPaintBenchmarks(argc, argv, PrintGoals);
}
