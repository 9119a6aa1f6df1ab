#include "core/editor/TimelineScene.h"

#include <algorithm>
#include <cmath>

#include "core/model/FaderLaw.h"
#include "core/model/ParamIds.h"
#include "core/model/ValueText.h"

namespace orb {

using namespace timeline;

void FillGauge(std::int64_t words, int& percent, bool& red) {
  const std::int64_t p = std::max<std::int64_t>(words, 0) * 100 / TQ730AUTO::kMaxStreamWords;
  // Red as soon as Save would refuse the title, which is before the percentage passes 100.
  red = !TQ730AUTO::StreamSaves(words);
  percent = static_cast<int>(std::min<std::int64_t>(p, 100));
}

namespace {

// What the pass over the events needs of each drawn band.
struct BandKey {
  EventKey key;
  int curve = -1;  // index in the scene's curves; -1 when the band shows none
};

void AddToColumn(BandCurve& curve, int x, int y) {
  if (curve.columns.empty() || x > curve.columns.back().x) {
    const int enter = curve.columns.empty() ? curve.start_y : curve.columns.back().exit_y;
    curve.columns.push_back({x, enter, y, y, y, 1});
    return;
  }
  // Same column (or, in a list out of time order, an earlier one): it joins the last column.
  CurveColumn& c = curve.columns.back();
  c.low_y = std::min(c.low_y, y);
  c.high_y = std::max(c.high_y, y);
  c.exit_y = y;
  ++c.events;
}

// Marks closer than this could not be read apart.
constexpr int kScaleSpacing = 12;

std::vector<ScaleMark> ValueScale(const TimelineGeometry& g, int band, int view, int range) {
  std::vector<ScaleMark> marks;
  if (range <= 0 || g.BandHeight() - 8 < 2 * kScaleSpacing) return marks;
  std::vector<std::pair<int, std::string>> wanted;  // value, text; from the top
  if (IsLevelParam(view) && range == kFaderSteps - 1) {
    for (const int db : {10, 0, -10, -20, -30, -40, -60})
      wanted.emplace_back(NearestFaderIndex(db), (db > 0 ? "+" : "") + std::to_string(db) + " dB");
  } else if (range <= 8) {
    for (int v = range; v >= 0; --v) {
      const std::string text = FormatValue(view, v).value;
      wanted.emplace_back(v, text.empty() ? std::to_string(v) : text);
    }
  } else {
    for (const int percent : {100, 75, 50, 25, 0})
      wanted.emplace_back(static_cast<int>(std::lround(range * percent / 100.0)),
                          std::to_string(percent) + " %");
  }
  for (const auto& [value, text] : wanted) {
    const int y = g.ValueY(band, value, range);
    if (!marks.empty() && y - marks.back().y < kScaleSpacing) continue;
    marks.push_back({y, text});
  }
  return marks;
}

// Lanes and widths of the cue boxes, in the order of their columns.
void PlaceCues(std::vector<CueMarker>& cues, const std::vector<RulerLabel>& ruler, int width) {
  std::sort(cues.begin(), cues.end(),
            [](const CueMarker& a, const CueMarker& b) { return a.x < b.x; });
  for (CueMarker& cue : cues) {
    const int left = cue.x - 3;
    int right = width;
    bool on_label = false;
    for (const RulerLabel& label : ruler) {
      if (left <= label.x + kRulerLabelWidth && left >= label.x - 1) on_label = true;
      if (label.x - 1 > left) right = std::min(right, label.x - 2);
    }
    cue.lane = on_label || right - left < kMinCueBox ? 1 : 0;
    cue.box_width = right - left;
  }
  // A box ends where the next box of its lane begins; in the ruler it also ends before the next
  // label.
  for (std::size_t i = 0; i < cues.size(); ++i) {
    CueMarker& cue = cues[i];
    int right = cue.lane == 0 ? cue.x - 3 + cue.box_width : width;
    for (std::size_t j = i + 1; j < cues.size(); ++j) {
      if (cues[j].lane == cue.lane) {
        right = std::min(right, cues[j].x - 4);
        break;
      }
    }
    cue.box_width = std::max(right - (cue.x - 3), 0);
  }
}

}  // namespace

TimelineScene BuildScene(const TimelineState& state, int width, int height, const SceneInput& in) {
  TimelineScene scene;
  scene.width = width;
  scene.height = height;
  if (in.automation == nullptr) return scene;
  const TQ730AUTO& automation = *in.automation;
  const TimelineGeometry g(state, width, height, TimeSpan(automation));
  scene.band_height = g.BandHeight();
  const TQ730AUTO::StreamFacts facts = automation.Facts();
  FillGauge(facts.words, scene.gauge_percent, scene.gauge_red);

  scene.grid = g.Grid();
  for (const GridTick& tick : scene.grid) {
    if (tick.major) scene.ruler.push_back({tick.x + 4, FormatSeconds(tick.seconds)});
  }

  const int rows = in.system ? std::min(in.system->Count(), TQ730AUTO::kChannelFlags) : 0;
  const int bands = g.DrawnBands();
  std::vector<BandKey> keys(static_cast<std::size_t>(bands));
  for (int band = 0; band < bands; ++band) {
    BandLabel label;
    label.cell = g.LabelRect(band);
    const int row = g.FirstRow() + band;
    if (row < rows) {
      label.exists = true;
      label.number = in.system->NumberText(row);
      label.name = in.system->NameText(row);
      BandKey& k = keys[static_cast<std::size_t>(band)];
      k.key = automation.KeyOf(in.view, row);
      label.grey = !k.key.valid;
      if (k.key.valid) {
        BandCurve curve;
        curve.band = band;
        curve.row = row;
        curve.range = std::max(automation.ParamMax(row, in.view), 0);
        const AutoStart start = automation.StartValue(in.view, row);
        curve.has_start = start.time != kNoStartTime;
        // Without a start value the curve begins dotted at half the range.
        curve.start_y =
            g.ValueY(band, curve.has_start ? start.value : curve.range / 2, curve.range);
        curve.scale = ValueScale(g, band, in.view, curve.range);
        k.curve = static_cast<int>(scene.curves.size());
        scene.curves.push_back(std::move(curve));
      }
    }
    scene.labels.push_back(std::move(label));
    const int top = band * g.BandHeight() + kRulerHeight - 1;
    scene.lines.push_back({top, true});
    scene.lines.push_back({top + g.BandHeight() / 2, false});
    scene.lines.push_back({top + 4, false});
    scene.lines.push_back({top + g.BandHeight() - 4, false});
  }
  for (const BandCurve& curve : scene.curves) scene.free_only |= curve.range == 1;

  // Cues in [left, right): a cue's time is kept as packed BCD.
  if (in.cues != nullptr) {
    for (int cue = 0; cue < in.cues->Count(); ++cue) {
      const auto bcd = static_cast<std::uint32_t>(in.cues->GetParam(cue, kParamCueTime));
      const double t = TCToSeconds(FromBCD(bcd), automation.Rate());
      if (t >= g.LeftTime() && t < g.RightTime())
        scene.cues.push_back({g.EventX(t), in.cues->NameText(cue)});
    }
    PlaceCues(scene.cues, scene.ruler, width);
  }

  // The events are kept in time order, so the first one at the left edge is found by halving
  // (a list out of order from elsewhere is walked from its start),
  // and the value each band holds there is its row's latest event before it, found walking
  // back until every band has one. Then one pass up to the right edge puts each event into its
  // band's pixel column.
  const double left = g.LeftTime();
  const double right = g.RightTime();
  const FrameRate rate = automation.Rate();
  const EventChannels channels(automation, in.view);
  const int count = automation.Count();
  auto in_band = [&](std::uint32_t word, int row, auto use) {
    const int band = row - g.FirstRow();
    if (band < 0 || band >= bands) return;
    const BandKey& k = keys[static_cast<std::size_t>(band)];
    if (k.curve < 0 || !k.key.Matches(word)) return;
    BandCurve& curve = scene.curves[static_cast<std::size_t>(k.curve)];
    const int value = k.key.Value(word);
    use(curve, static_cast<std::size_t>(k.curve), band, value, g.ValueY(band, value, curve.range));
  };
  const int first = facts.searchable ? automation.FirstEventAt(left) : 0;
  std::vector<bool> held(scene.curves.size(), false);
  std::size_t missing = scene.curves.size();
  for (int index = first - 1; index >= 0 && missing > 0; --index) {
    const std::uint32_t word = automation.EventWord(index);
    channels.ForEach(word, [&](int row) {
      in_band(word, row, [&](BandCurve& curve, std::size_t c, int, int, int y) {
        if (held[c]) return;
        held[c] = true;
        --missing;
        curve.has_start = true;
        curve.start_y = y;
      });
    });
  }
  scene.visible.reserve(static_cast<std::size_t>(std::min(count - first, 1 << 16)));
  // Many events share a time: its seconds and column are worked out once.
  TimeCode time = 0;
  double t = 0;
  int x = 0;
  for (int index = first; index < count; ++index) {
    if (index == first || automation.EventTime(index) != time) {
      time = automation.EventTime(index);
      t = TCToSeconds(time, rate);
      if (t > right) break;
      x = g.EventX(t);
    }
    const std::uint32_t word = automation.EventWord(index);
    channels.ForEach(word, [&](int row) {
      in_band(word, row, [&](BandCurve& curve, std::size_t, int band, int value, int y) {
        if (t < left) {  // a list out of time order
          curve.has_start = true;
          curve.start_y = y;
          return;
        }
        scene.visible.push_back({index, row, band, x, y, value, curve.range == 0});
        AddToColumn(curve, x, y);
      });
    });
  }

  if (state.Tool() != TimelineTool::kWrite) {
    SelectionOverlay& s = scene.selection;
    s.shown = true;
    auto clamp_x = [&](double t) {
      const double x = (t - left) * g.Zoom() + kLabelWidth;
      return static_cast<int>(std::clamp(x, double{kLabelWidth - 1}, double(width)));
    };
    s.x1 = clamp_x(in.selection_start);
    s.x2 = clamp_x(in.selection_end);
    if (s.x1 > s.x2) std::swap(s.x1, s.x2);
    s.start_line = s.x1 >= kLabelWidth && s.x1 <= width - 1;
    for (int band = 0; band < bands; ++band) {
      const int row = g.FirstRow() + band + in.row_offset;
      if (row >= 0 && row < rows && automation.IsChannelSelected(row)) s.bands.push_back(band);
    }
  }
  return scene;
}

bool OnOffView(const TQ730AUTO& automation, int view) {
  for (int row = 0, n = std::min(automation.ChannelCount(), TQ730AUTO::kChannelFlags); row < n;
       ++row) {
    if (automation.KeyOf(view, row).valid && automation.ParamMax(row, view) == 1) return true;
  }
  return false;
}

WriteMenu OpenWriteMenu(TimelineState& state, const TQ730AUTO& automation, int view) {
  const bool free_only = OnOffView(automation, view);
  if (free_only) state.SetShape(static_cast<int>(WriteShape::kFree));
  return {state.Shape(), free_only};
}

const VisibleEvent* HitEvent(const TimelineScene& scene, int row, int x, int y) {
  // The latest event lies on top, so it is found first.
  for (auto it = scene.visible.rbegin(); it != scene.visible.rend(); ++it) {
    if (it->row != row || std::abs(it->x - x) > kHitSlack) continue;
    if (it->trigger || std::abs(it->y - y) <= kHitSlack) return &*it;
  }
  return nullptr;
}

}  // namespace orb
