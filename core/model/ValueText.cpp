#include "core/model/ValueText.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string_view>
#include <utility>

#include "core/model/FaderLaw.h"
#include "core/model/ParamIds.h"
#include "core/model/ParamModel.h"
#include "core/model/Q730.h"
#include "core/model/Q730sysf.h"
#include "core/model/RoutingNames.h"

namespace orb {
namespace {

constexpr const char* kExpRatio[] = {" 1.1", " 1.2", " 1.3", " 1.4", " 1.5", " 1.6", " 1.7", " 1.8",
                                     " 2.0", " 2.2", " 2.3", " 2.5", " 2.7", " 2.9", " 3.1", " 3.3",
                                     " 3.6", " 3.8", " 4.1", " 4.5", " 4.8", " 5.2", " 5.7", " 6.0",
                                     " 6.4", " 6.9", " 7.5", " 8.0", " 8.6", " 9.3", "10.0"};
constexpr const char* kCompRatio[] = {
    " 1.1", " 1.2", " 1.3", " 1.4", " 1.5", " 1.8", " 2.0", " 2.3", " 2.7", " 3.2", " 3.8",
    " 4.3", " 5.0", " 5.6", " 6.3", " 7.1", " 7.9", " 8.9", "10.0", "11.2", "12.6", "14.2",
    "15.9", "17.8", "20.0", "26.2", "34.2", "44.8", "58.5", "76.5", " oo "};
constexpr const char* kShortTimes[] = {" 400u", " 440u", " 460u", " 500u", " 540u", " 580u",
                                       " 640u", " 680u", " 740u", " 780u", " 860u", " 920u"};

constexpr int kTimeEntries = 218;
constexpr int kReleaseStart = 121;
constexpr int kFreqEntries = 128;

std::string RightAlign(std::string text, std::size_t width) {
  if (text.size() < width) text.insert(0, width - text.size(), ' ');
  return text;
}

// A signed number given in hundredths, with one or two decimals, rounded half away from zero.
std::string Decimal(std::int64_t hundredths, int decimals) {
  const bool negative = hundredths < 0;
  std::int64_t a = std::llabs(hundredths);
  std::string text;
  if (decimals == 1) {
    a = (a + 5) / 10;
    text = std::to_string(a / 10) + "." + std::to_string(a % 10);
  } else {
    text = std::to_string(a / 100) + "." + std::to_string(a % 100 / 10) + std::to_string(a % 10);
  }
  return (negative && a != 0 ? "-" : "") + text;
}

// Two decimals where they fit into the width, else one.
std::string FitDecimal(std::int64_t hundredths, std::size_t width) {
  std::string text = Decimal(hundredths, 2);
  if (text.size() > width) text = Decimal(hundredths, 1);
  return RightAlign(text, width);
}

// Three significant digits of a value from 1 up to below 1000.
std::string ThreeDigits(double x) {
  char buffer[16];
  const int decimals = x < 9.995 ? 2 : x < 99.95 ? 1 : 0;
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, x);
  return buffer;
}

std::array<std::string, kTimeEntries> MakeTimes() {
  std::array<std::string, kTimeEntries> times;
  for (int i = 0; i < 18; ++i) times[i] = RightAlign(std::to_string(20 * (i + 1)) + "u", 5);
  for (int i = 18; i < 30; ++i) times[i] = kShortTimes[i - 18];
  for (int i = 30; i < 120; ++i)
    times[i] = RightAlign(ThreeDigits(std::pow(10.0, (i - 30) / 30.0)) + "m", 5);
  times[120] = "    1";
  for (int i = kReleaseStart; i < kTimeEntries; ++i) {
    const double ms = std::pow(10.0, (i - kReleaseStart) / 30.0 + 1.5);
    times[i] =
        ms < 999.5 ? RightAlign(ThreeDigits(ms) + "m", 5) : RightAlign(ThreeDigits(ms / 1000), 5);
  }
  return times;
}

double PlainFrequency(int index) {
  return 27.5 * std::pow(2.0, index / 12.0);
}

std::array<std::string, kFreqEntries> MakeFrequencies() {
  std::array<std::string, kFreqEntries> texts;
  for (int i = 0; i < kFreqEntries; ++i) {
    const double f = PlainFrequency(i);
    char buffer[16];
    if (f < 999.95) {
      std::snprintf(buffer, sizeof buffer, "%5.1f", f);
    } else if (f < 9995) {
      std::snprintf(buffer, sizeof buffer, "%.2fk", f / 1000);
    } else {
      std::snprintf(buffer, sizeof buffer, "%.1fk", f / 1000);
    }
    texts[i] = buffer;
  }
  // The console shows these as the round values it uses, and two notes cut rather than rounded.
  const std::pair<int, const char*> exceptions[] = {{10, " 50.0"}, {14, " 60.0"}, {22, "100.0"},
                                                    {26, "120.0"}, {34, "200.0"}, {38, "240.0"},
                                                    {51, "523.2"}, {55, "659.2"}};
  for (auto [i, text] : exceptions) texts[i] = text;
  return texts;
}

const std::array<std::string, kTimeEntries>& Times() {
  static const auto times = MakeTimes();
  return times;
}

const std::array<std::string, kFreqEntries>& Frequencies() {
  static const auto texts = MakeFrequencies();
  return texts;
}

// EQ band gain in hundredths of a dB: 0.5 dB steps up to -12 dB (no -14.5), 0.25 dB steps up
// to +12 dB, 0.5 dB steps above.
int EqGainHundredths(int v) {
  if (v <= 10) return -2000 + 50 * v;
  if (v <= 15) return -1400 + 50 * (v - 11);
  if (v <= 111) return -1200 + 25 * (v - 15);
  return 1200 + 50 * (v - 111);
}

std::string PanText(int v) {
  const auto two = [](int n) {
    return std::string(1, static_cast<char>('0' + n / 10)) + static_cast<char>('0' + n % 10);
  };
  if (v < 63) return " L" + two(63 - v) + " ";
  if (v == 63) return "  00 ";
  return "  " + two(v - 63) + "R";
}

ValueTexts DelayText(int value, const ValueContext& context) {
  const std::int64_t per_second =
      static_cast<std::int64_t>(SampleRateOrDefault(context.rate_mode)) * 256;
  const auto rounded = [](std::int64_t num, std::int64_t den) {
    return (2 * num + den) / (2 * den);
  };
  const auto tenths_text = [](std::int64_t tenths) {
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
  };
  switch (context.delay_unit) {
    case 2:
    case 3:
      return {std::to_string(value / 256), "w "};
    case 4: {
      const int fps = context.tc_mode == 4 ? 25 : 30;
      return {tenths_text(rounded(std::int64_t{value} * 10 * fps, per_second)), "F "};
    }
    default:
      return {tenths_text(rounded(std::int64_t{value} * 10000, per_second)), "ms"};
  }
}

}  // namespace

double EqFrequency(int index) {
  switch (index) {
    case 10:
      return 50;
    case 14:
      return 60;
    case 22:
      return 100;
    case 26:
      return 120;
    case 34:
      return 200;
    case 38:
      return 240;
    default:
      return index >= 0 && index < kFreqEntries ? PlainFrequency(index) : 0;
  }
}

ValueTexts FormatValue(int id, int value, const ValueContext& context) {
  if (value < 0) return {};
  // Every table ends at the value its parameter can reach; what lies beyond shows nothing.
  const auto within = [value](int last) { return value <= last; };
  switch (id) {
    case kParamTrim:
      if (!within(120)) return {};
      return {FitDecimal(25 * value - 1500, 5), "dB"};
    case kParamDelay:
      return DelayText(value, context);
    case kParamExpGateThreshold:
    case kParamCompDuckThreshold:
      if (!within(125)) return {};
      return {RightAlign(Decimal(10 * ThresholdTenths(value), 1), 5), "dB"};
    case kParamExpRatio:
      if (!within(30)) return {};
      return {kExpRatio[value], ""};
    case kParamCompRatio:
      if (!within(30)) return {};
      return {kCompRatio[value], ""};
    case kParamExpGateAttack:
    case kParamExpGateHold:
    case kParamCompDuckAttack:
    case kParamCompDuckHold:
      if (!within(120)) return {};
      return {Times()[value], " s"};
    case kParamExpGateRelease:
    case kParamCompDuckRelease:
      if (!within(kTimeEntries - 1 - kReleaseStart)) return {};
      return {Times()[kReleaseStart + value], " s"};
    case kParamExpGateRange:
    case kParamDuckRange:
      if (!within(60)) return {};
      return {RightAlign(value ? "-" + std::to_string(value) : "0", 5), "dB"};
    case kParamCompDuckGain:
      if (!within(60)) return {};
      return {RightAlign(Decimal(25 * value, 2), 5), "dB"};
    case kParamLfFilterFreq:
    case kParamEqLowFreq:
    case kParamEqLowMidFreq:
    case kParamEqHighMidFreq:
    case kParamEqHighFreq:
    case kParamHfFilterFreq: {
      constexpr int kShift[] = {0, 0, 18, 36, 54, 69};
      const int index = value + kShift[id - kParamLfFilterFreq];
      if (index >= kFreqEntries) return {};
      return {Frequencies()[index], "Hz"};
    }
    case kParamEqLowQ:
    case kParamEqLowMidQ:
    case kParamEqHighMidQ:
    case kParamEqHighQ: {
      if (!within(62)) return {};
      const int hundredths = 50 + 25 * value;
      return {Decimal(hundredths, hundredths < 1000 ? 2 : 1), ""};
    }
    case kParamEqLowGain:
    case kParamEqLowMidGain:
    case kParamEqHighMidGain:
    case kParamEqHighGain: {
      if (!within(127)) return {};
      if (value == 127) return {" 20.0 ", "dB"};
      const int hundredths = EqGainHundredths(value);
      return {RightAlign(Decimal(hundredths, std::abs(hundredths) < 1000 ? 2 : 1), 5), "dB"};
    }
    case kParamAuxLevel + 0:
    case kParamAuxLevel + 1:
    case kParamAuxLevel + 2:
    case kParamAuxLevel + 3:
    case kParamAuxLevel + 4:
    case kParamAuxLevel + 5:
    case kParamAuxLevel + 6:
    case kParamAuxLevel + 7:
    case kParamMtrLevel:
    case kParamFaderLevel:
    case kParamSwLevel:
      if (!within(kFaderSteps - 1)) return {};
      return {FaderText(value), "dB"};
    case kParamAuxPan + 0:
    case kParamAuxPan + 1:
    case kParamAuxPan + 2:
    case kParamAuxPan + 3:
    case kParamMtrPan:
    case kParamPan:
      if (!within(126)) return {};
      return {PanText(value), ""};
    case kParamSurroundDivergence:
      return {std::to_string(value), "% "};
    case kParamCompKnee: {
      static constexpr const char* kKnees[] = {"HARD", "1", "2", "3", "4", "5", "6", "SOFT"};
      return within(7) ? ValueTexts{kKnees[value], ""} : ValueTexts{};
    }
    case kParamDelayUnit: {
      static constexpr const char* kUnits[] = {"ms", "ms COARSE", "WORD", "WORD COARSE", "FRAME"};
      return within(4) ? ValueTexts{kUnits[value], ""} : ValueTexts{};
    }
    case kParamGroupType: {
      static constexpr const char* kTypes[] = {"GANG", "VCA", "CUT"};
      return within(2) ? ValueTexts{kTypes[value], ""} : ValueTexts{};
    }
    case kParamCueEvent: {
      static constexpr const char* kEvents[] = {"NA", "SNAPSHOT", "EQ LIB", "DYNA LIB"};
      return within(3) ? ValueTexts{kEvents[value], ""} : ValueTexts{};
    }
    case kParamOffset:
      return {FormatTC(FromBCD(static_cast<std::uint32_t>(value))), ""};
    case kParamWordClock:
      return {WordClockText(value), ""};
    case kParamInputSource:
      return {InputLongName(value), ""};
    default:
      return {};
  }
}

const char* DynamicsKeyPrefix(int kind) {
  switch (kind) {
    case kGroupInput:
      return "CH ";
    case kGroupMTR:
      return "MTR ";
    case kGroupAUX:
      return "AUX ";
    default:
      return nullptr;
  }
}

std::string DynamicsKeyText(const TQ730SYSF& system, int channel, int value) {
  const int kind = system.ChannelKind(channel);
  if (value < 0 || kind < 0) return "";
  if (value == channel - system.FirstChannelOf(kind)) return "LOCAL";
  const char* prefix = DynamicsKeyPrefix(kind);
  if (prefix && value < system.GroupSize(kind)) return prefix + std::to_string(value + 1);
  return std::to_string(value + 1);
}

std::string WordClockText(int value) {
  const int source = value & 0xFF, second = (value >> 8) & 0xFF, third = (value >> 16) & 0xFF;
  if (value < 0 || value > 0xFFFFFF) return "";
  if (value == 0xFFFF01) return "REF WORD IN";
  if (value == 0xFF0003) return "2TR IN 2";
  if (value == 0xFF0104) return "AUX RTN 5/6";
  if (value == 0xFF0105) return "AUX RTN 7/8";
  static constexpr const char* kPairs[] = {"1/2", "3/4", "5/6", "7/8"};
  if (source >= 6 && source <= 9 && second == 0xFF && third < 4)
    return "SLOT " + std::to_string(source - 5) + " " + kPairs[third];
  return "";
}

ValueContext ValueContextOf(const TQ730& list, int channel, int id) {
  ValueContext context;
  if (const TQ730SYSF* system = list.System()) {
    context.rate_mode = system->SampleRateMode();
    context.tc_mode = system->TimecodeMode();
  }
  if (id == kParamDelay) context.delay_unit = list.GetParam(channel, kParamDelayUnit);
  return context;
}

ValueTexts ValueText(const TQ730& list, int channel, int id) {
  return FormatValue(id, list.GetParam(channel, id), ValueContextOf(list, channel, id));
}

double EqGainDb(int value) {
  if (value < 0 || value > 127) return std::numeric_limits<double>::quiet_NaN();
  return EqGainHundredths(value) / 100.0;
}

double DynamicsRatio(int id, int value) {
  if ((id != 28 && id != 34) || value < 0 || value > 30)
    return std::numeric_limits<double>::quiet_NaN();
  const char* text = id == 28 ? kExpRatio[value] : kCompRatio[value];
  if (id == 34 && value == 30) return std::numeric_limits<double>::infinity();
  return std::strtod(text, nullptr);
}

std::string Unpadded(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return "";
  return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

std::string ValueAndUnit(const ValueTexts& texts) {
  const std::string value = Unpadded(texts.value), unit = Unpadded(texts.unit);
  const bool number = value.find_first_of("0123456789") != std::string::npos;
  return number && !unit.empty() ? value + " " + unit : value;
}

}  // namespace orb
