// The editor's list pane, painted as the window paints it on every change: a pane 1080 pixels
// high over 99 snapshots (some selected, the cursor among them) into its back buffer, against
// filling the same back buffer and drawing the same texts plainly, in the same run.
// Goal: the whole paint costs at most twice the plain fill and texts (and stays within 2 ms).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "bench/OffscreenBench.h"
#include "core/editor/EditSession.h"
#include "gui/common/Text.h"
#include "gui/editor/ListPane.h"
#include "tools/TitleGenerator.h"

namespace {

namespace fs = std::filesystem;

constexpr int kHeight = 1080;
constexpr int kWidth = 176;
constexpr int kSnapshotTab = 5;

struct Pane {
  orb::TClip clip;
  orb::EditSession session{clip, nullptr};
  fs::path file;

  Pane() {
    orb::gen::TitleSpec spec;
    spec.name = "Bench";
    spec.snapshots = 99;
    file =
        fs::temp_directory_path() / ("orb_bench_listpane_" + std::to_string(::getpid()) + ".orb");
    const std::vector<std::uint8_t> bytes = orb::gen::MakeTitle(spec);
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    session.Open(file.string());
    session.Pane().SetGeometry(kHeight + orb::ListPane::kListCtrlHeight, kHeight);
    session.ChangeTab(kSnapshotTab);
    for (const int row : {2, 3, 4, 9, 20, 21, 40})
      session.GetTitle().Snapshots().SetSelected(row, true);
    session.SetCursor(3);
  }
  ~Pane() {
    std::error_code error;
    fs::remove(file, error);
  }
};

Pane& ThePane() {
  static Pane pane;
  return pane;
}

void BM_PaintListPane(benchmark::State& state) {
  Pane& pane = ThePane();
  QImage buffer(kWidth, kHeight, QImage::Format_RGB32);
  const orb::ListFonts fonts(false);
  for (auto _ : state) {
    orb::PaintListPane(buffer, pane.session.Pane().Rows(), fonts);
    benchmark::DoNotOptimize(buffer.constBits());
  }
  state.counters["rows"] = static_cast<double>(pane.session.Pane().Rows().size());
}
BENCHMARK(BM_PaintListPane)->Unit(benchmark::kMillisecond);

// The baseline: the same buffer filled once and the same texts drawn at their places.
void BM_FillAndPlainTexts(benchmark::State& state) {
  Pane& pane = ThePane();
  QImage buffer(kWidth, kHeight, QImage::Format_RGB32);
  const orb::ListFonts fonts(false);
  const int ascent = QFontMetrics(fonts.text).ascent();
  for (auto _ : state) {
    const std::vector<orb::ListRow> rows = pane.session.Pane().Rows();
    QPainter painter(&buffer);
    painter.fillRect(buffer.rect(), Qt::white);
    painter.setFont(fonts.text);
    for (std::size_t r = 0; r < rows.size(); ++r) {
      const int top = static_cast<int>(r) * 20 + 21 + ascent;
      if (rows[r].slot) painter.drawText(4, top, orb::TextOf(rows[r].number));
      if (rows[r].entry) painter.drawText(52, top, orb::TextOf(rows[r].name));
    }
    painter.end();
    benchmark::DoNotOptimize(buffer.constBits());
  }
}
BENCHMARK(BM_FillAndPlainTexts)->Unit(benchmark::kMillisecond);

void PrintGoals(const orb::bench::MedianReporter& results) {
  std::printf("\nlist pane paint / fill: %.2f (goal <= 2; paint %.3f ms, goal <= 2 ms)\n",
              results.Ratio("BM_PaintListPane", "BM_FillAndPlainTexts"),
              results.Milliseconds("BM_PaintListPane"));
}

}  // namespace

int main(int argc, char** argv) {
  return orb::bench::RunPaintBenchmarks(argc, argv, PrintGoals);
}
