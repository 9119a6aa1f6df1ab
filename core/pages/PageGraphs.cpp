#include "core/pages/PageGraphs.h"

#include <algorithm>
#include <cmath>

#include "core/model/ParamIds.h"
#include "core/model/ParamModel.h"
#include "core/model/ValueText.h"

namespace orb {
namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr int kFreqLast = 127;
// The frequency table offsets of LF, L, LM, HM, H and HF.
constexpr int kSectionShift[6] = {0, 0, 18, 36, 54, 69};
constexpr Rgb kSectionColour[6] = {kFilterHandle,  kLowHandle,  kLowMidHandle,
                                   kHighMidHandle, kHighHandle, kFilterHandle};

double Omega0(int index) {
  return kTwoPi * EqFrequency(std::clamp(index, 0, kFreqLast));
}

// The band gain in hundredths of a dB; stored values beyond the table count as its ends.
int GainHundredths(int value) {
  return static_cast<int>(std::lround(EqGainDb(std::clamp(value, 0, 127)) * 100));
}

// Keeps a row computed from any magnitude inside the frame's rows.
int ClipRow(double row, int top, int height) {
  if (!(row >= top)) return top;  // also NaN
  if (row > top + height) return top + height;
  return static_cast<int>(row);
}

// One band's factor at w², already divided out for a cut.
double BandFactor(int section, const EqValues& eq, double w2) {
  const EqValues::Band& band = eq.bands[section - 1];
  const int gain = GainHundredths(band.gain) / 100;  // whole dB toward zero
  const double a = std::pow(10.0, std::abs(gain) / 20.0);
  const double w0 = Omega0(band.freq + kSectionShift[section]);
  const double w02 = w0 * w0;
  double factor;
  if (section == 1 && eq.low_shelf) {
    factor = std::sqrt((w2 + a * a * w02) / (w2 + w02));
  } else if (section == 4 && eq.high_shelf) {
    factor = std::sqrt((a * a * w2 + w02) / (w2 + w02));
  } else {
    const double q = 0.5 + 0.25 * std::max(band.q, 0);
    const double d = (w02 - w2) * (w02 - w2);
    factor = std::sqrt((d + w2 * (w0 * a / q) * (w0 * a / q)) / (d + w2 * (w0 / q) * (w0 / q)));
  }
  return gain < 0 ? 1 / factor : factor;
}

bool SectionOn(int section, const EqValues& eq) {
  if (section == 0) return eq.filters && eq.lf_on;
  if (section == 5) return eq.filters && eq.hf_on;
  return eq.eq_on && eq.bands[section - 1].on;
}

int SectionFreq(int section, const EqValues& eq) {
  if (section == 0) return eq.lf_freq;
  if (section == 5) return eq.hf_freq;
  return eq.bands[section - 1].freq;
}

double Magnitude(const EqValues& eq, double w) {
  const double w2 = w * w, w4 = w2 * w2;
  double m = 1;
  if (SectionOn(0, eq)) {
    const double w02 = Omega0(eq.lf_freq) * Omega0(eq.lf_freq);
    m *= (eq.notch ? std::abs(w02 - w2) : w2) / std::sqrt(w4 + w02 * w02);
  }
  for (int s = 1; s <= 4; ++s) {
    if (SectionOn(s, eq)) m *= BandFactor(s, eq, w2);
  }
  if (SectionOn(5, eq)) {
    const double w0 = Omega0(eq.hf_freq + kSectionShift[5]);
    m *= w0 * w0 / std::sqrt(w4 + w0 * w0 * w0 * w0);
  }
  return m;
}

void AddHandle(GraphPicture& picture, int section, int x, int y, Rgb colour, bool line = false) {
  picture.handles.push_back({section, x, y, colour, line});
}

}  // namespace

bool ReadEqValues(const TQ730& list, int channel, EqValues& out) {
  if (list.GetParam(channel, kParamEqBlock) < 0) return false;
  const auto get = [&](int id) { return std::max(list.GetParam(channel, id), 0); };
  out = {};
  out.filters = list.GetParam(channel, kParamFilterBlock) >= 0;
  out.eq_on = get(kParamEqOn);
  out.lf_on = get(kParamLfFilterOn);
  out.notch = get(kParamLfNotch);
  out.lf_freq = get(kParamLfFilterFreq);
  out.hf_on = get(kParamHfFilterOn);
  out.hf_freq = get(kParamHfFilterFreq);
  out.low_shelf = get(kParamEqLowShelf);
  out.high_shelf = get(kParamEqHighShelf);
  for (int b = 0; b < 4; ++b) {
    out.bands[b] = {get(kParamEqLowOn + b), get(kParamEqLowFreq + b), get(kParamEqLowGain + b),
                    get(kParamEqLowQ + b)};
  }
  return true;
}

bool ReadDynamicsValues(const TQ730& list, int channel, DynamicsValues& out) {
  if (list.GetParam(channel, kParamDynamicsBlock) < 0) return false;
  const auto get = [&](int id) { return std::max(list.GetParam(channel, id), 0); };
  out = {get(kParamDynamicsOn), get(kParamCompDuckOn),        get(kParamCompDuckSelect),
         get(kParamAutoGain),   get(kParamCompDuckThreshold), get(kParamCompRatio),
         get(kParamCompKnee),   get(kParamDuckRange),         get(kParamCompDuckGain),
         get(kParamExpGateOn),  get(kParamExpGateSelect),     get(kParamExpGateThreshold),
         get(kParamExpRatio),   get(kParamExpGateRange)};
  return true;
}

int EqRow(double magnitude, int top, int height) {
  if (!(magnitude > 0)) magnitude = 0.05;
  const double row =
      top + height / 2 - std::log10(magnitude) * height * 0.5 * 1.1111111111111112 + 0.5;
  return ClipRow(std::trunc(row), top, height);
}

GraphPicture EqGraph(const EqValues& eq, const PageRect& frame) {
  GraphPicture picture;
  const int w = frame.width, h = frame.height;
  if (w <= 0 || h <= 0) return picture;
  const double low = std::log(20.0), high = std::log(40000.0);
  for (int c = 0; c <= w; ++c) {
    const double f = std::exp(low + (high - low) * c / w);
    picture.curve.push_back({frame.left + c, EqRow(Magnitude(eq, kTwoPi * f), frame.top, h)});
  }
  if (w < 65) return picture;
  for (int s = 0; s < 6; ++s) {
    if (!SectionOn(s, eq)) continue;
    const int index = std::clamp(SectionFreq(s, eq) + kSectionShift[s], 0, kFreqLast);
    const int x = frame.left + static_cast<int>(w * 0.04291845493562232 + index * w / 131.4);
    const int tenths = s == 0 || s == 5 ? 0 : GainHundredths(eq.bands[s - 1].gain) / 10;
    const int y = frame.top + h / 2 - tenths * (h / 2) / 180;
    AddHandle(picture, s, x, y, kSectionColour[s], s == 0 || s == 5);
  }
  return picture;
}

GraphPicture DynamicsGraph(const DynamicsValues& d, const PageRect& frame, int floor) {
  GraphPicture picture;
  const int w = frame.width, h = frame.height;
  if (w <= 0 || h <= 0 || floor >= 0) return picture;
  const double f = floor;
  const double t = ThresholdTenths(d.threshold) / 10.0;
  const double ratio = d.ratio >= 30 ? 100000 : DynamicsRatio(kParamCompRatio, d.ratio);
  const double k = -0.5 * d.knee;
  const double r = -d.duck_range;
  double makeup = 0.25 * d.gain;
  const double t2 = ThresholdTenths(d.gate_threshold) / 10.0;
  const double ratio2 = DynamicsRatio(kParamExpRatio, std::min(d.exp_ratio, 30));
  const double r2 = -d.gate_range;
  const bool first = d.dynamics_on && d.comp_duck_on;
  const bool second = d.dynamics_on && d.exp_gate_on;
  if (d.auto_gain) makeup = t > -20 ? 0 : (t + 20) / ratio - (t + 20);

  const auto input = [&](int c) { return f - f * c / w; };
  std::vector<double> rows;
  for (int c = 0; c <= w; ++c) {
    const double x = input(c);
    double y = x;
    if (first && !d.duck) {
      if (x < t + k) {
        y = x + makeup;
      } else if (k != 0 && x < t - k) {
        const double c2 = (1 / ratio - 1) / (2 * k);
        y = x - 0.5 * c2 * (x - (t + k)) * (x - (t + k)) + makeup;
      } else {
        y = t + (x - t) / ratio + makeup;
      }
    } else if (first) {
      y = x >= t ? x + r : x;
    }
    if (second && !d.gate) {
      if (x < t2 + r2 / ratio2) {
        y += r2 - r2 / ratio2;
      } else if (x < t2) {
        y += -(t2 - x) * (ratio2 - 1);
      }
    } else if (second && x < t2) {
      y += r2;
    }
    const double row = frame.top + w * y / f;
    rows.push_back(row);
    picture.curve.push_back({frame.left + c, ClipRow(std::trunc(row), frame.top, h)});
  }
  if (w < 33) return picture;
  const auto reaching = [&](double level) {
    int c = 0;
    while (c < w && input(c) < level) ++c;
    return c;
  };
  const auto handle = [&](int section, int column) {
    column = std::clamp(column, 0, w - 1);
    const double offset = std::trunc(rows[static_cast<std::size_t>(column)] - frame.top);
    const int y = static_cast<int>(std::clamp(offset, 0.0, h - 1.0));
    AddHandle(picture, section, frame.left + column, frame.top + y, kDynamicsHandle);
  };
  if (first) handle(0, d.duck ? reaching(t) - 1 : reaching(t));
  if (second) handle(1, reaching(t2));
  return picture;
}

GraphPicture SurroundGraph(int pan_lr, int pan_fr, const PageRect& frame) {
  GraphPicture picture;
  if (pan_lr < 0 || pan_fr < 0) return picture;
  // A value beyond the pan range stays on the graph's edge.
  const int x = frame.left + std::min(pan_lr, 126) * frame.width / 126;
  const int y = frame.top + std::min(pan_fr, 126) * frame.height / 126;
  picture.cross = true;
  picture.cross_x = x;
  picture.cross_y = y;
  AddHandle(picture, 0, x, y, kPanPoint);
  return picture;
}

}  // namespace orb
