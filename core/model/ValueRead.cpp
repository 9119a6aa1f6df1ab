#include "core/model/ValueRead.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <unordered_map>
#include <vector>

#include "core/model/FaderLaw.h"
#include "core/model/ParamIds.h"
#include "core/model/ParamModel.h"
#include "core/model/Q730.h"
#include "core/model/Q730sysf.h"

namespace orb {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

enum class Family {
  kLevel,
  kFader,
  kFrequency,
  kTime,
  kRatio,
  kNumber,
  kPercent,
  kPan,
  kDelay,
  kWords,
  kWordClock,
  kTimecode,
  kPlain,  // no value text: a switch or a plain count
};

Family FamilyOf(int id) {
  switch (id) {
    case kParamTrim:
    case kParamExpGateThreshold:
    case kParamCompDuckThreshold:
    case kParamExpGateRange:
    case kParamDuckRange:
    case kParamCompDuckGain:
      return Family::kLevel;
    case kParamExpGateAttack:
    case kParamExpGateHold:
    case kParamExpGateRelease:
    case kParamCompDuckAttack:
    case kParamCompDuckHold:
    case kParamCompDuckRelease:
      return Family::kTime;
    case kParamExpRatio:
    case kParamCompRatio:
      return Family::kRatio;
    case kParamMtrLevel:
    case kParamFaderLevel:
    case kParamSwLevel:
      return Family::kFader;
    case kParamMtrPan:
    case kParamPan:
      return Family::kPan;
    case kParamSurroundDivergence:
      return Family::kPercent;
    case kParamDelay:
      return Family::kDelay;
    case kParamCompKnee:
    case kParamDelayUnit:
    case kParamGroupType:
    case kParamCueEvent:
    case kParamInputSource:
      return Family::kWords;
    case kParamWordClock:
      return Family::kWordClock;
    case kParamOffset:
      return Family::kTimecode;
    default:
      break;
  }
  if (id >= kParamLfFilterFreq && id <= kParamHfFilterFreq) return Family::kFrequency;
  if (id >= kParamEqLowQ && id <= kParamEqHighQ) return Family::kNumber;
  if (id >= kParamEqLowGain && id <= kParamEqHighGain) return Family::kLevel;
  if (id >= kParamAuxLevel && id < kParamAuxLevel + kAuxSends) return Family::kFader;
  if (id >= kParamAuxPan && id < kParamAuxPan + kAuxSendPairs) return Family::kPan;
  return Family::kPlain;
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// The text without blanks, in lower case, with the point for a comma and the typographic
// minus, micro and infinity signs in plain letters; "&" marks of menu items go too.
std::string Squeezed(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const std::string_view rest = text.substr(i);
    if (rest.starts_with("\xE2\x88\x92")) {
      out += '-', i += 2;
    } else if (rest.starts_with("\xE2\x88\x9E")) {
      out += "inf", i += 2;
    } else if (rest.starts_with("\xC2\xB5") || rest.starts_with("\xCE\xBC")) {
      out += 'u', i += 1;
    } else if (text[i] == ',') {
      out += '.';
    } else if (text[i] != ' ' && text[i] != '\t' && text[i] != '&') {
      const char c = text[i];
      out += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
  }
  return out;
}

// A number at the start of a squeezed text: "-3.5", "1k2" (the letter stands for the point
// and gives the prefix), "inf", "oo"; then what follows it.
struct Lexed {
  bool number = false;
  double x = 0;
  char infix = 0;
  std::string rest;
};

Lexed Lex(std::string_view s) {
  Lexed l;
  std::size_t i = 0;
  double sign = 1;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) sign = s[i++] == '-' ? -1 : 1;
  if (s.substr(i).starts_with("inf") || s.substr(i).starts_with("oo")) {
    l.number = true;
    l.x = sign * kInfinity;
    l.rest = s.substr(i + (s[i] == 'i' ? 3 : 2));
    return l;
  }
  std::string digits;
  while (i < s.size() && IsDigit(s[i])) digits += s[i++];
  const bool whole = !digits.empty();
  if (i < s.size() && (s[i] == '.' || (whole && (s[i] == 'k' || s[i] == 'm' || s[i] == 'u') &&
                                       i + 1 < s.size() && IsDigit(s[i + 1])))) {
    if (s[i] != '.') l.infix = s[i];
    ++i;
    digits += '.';
    while (i < s.size() && IsDigit(s[i])) digits += s[i++];
  }
  if (digits.empty() || digits == ".") return {};
  double value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (error == std::errc::result_out_of_range)
    value = kInfinity;
  else if (error != std::errc() || end != digits.data() + digits.size())
    return {};
  l.number = true;
  l.x = sign * value;
  l.rest = s.substr(i);
  return l;
}

// The unit after a number, with a prefix letter the family may take split off.
struct Unit {
  double scale = 1;
  std::string name;
};

std::optional<Unit> UnitOf(const Lexed& l, std::string_view prefixes,
                           std::initializer_list<std::string_view> names) {
  const auto known = [names](std::string_view n) {
    return std::find(names.begin(), names.end(), n) != names.end();
  };
  const auto scale = [](char p) { return p == 'k' ? 1e3 : p == 'm' ? 1e-3 : p == 'u' ? 1e-6 : 1; };
  if (l.infix) {
    if (prefixes.find(l.infix) == std::string_view::npos || !known(l.rest)) return std::nullopt;
    return Unit{scale(l.infix), l.rest};
  }
  if (known(l.rest)) return Unit{1, l.rest};
  if (!l.rest.empty() && prefixes.find(l.rest[0]) != std::string_view::npos &&
      known(std::string_view(l.rest).substr(1)))
    return Unit{scale(l.rest[0]), l.rest.substr(1)};
  return std::nullopt;
}

// The quantity a squeezed text names in its family's own unit (dB, Hz, s, plain numbers).
std::optional<double> Quantity(Family family, std::string_view s) {
  if (family == Family::kFader && (s == "off" || s == "-inf" || s == "-oo")) return -kInfinity;
  if (family == Family::kFader && !s.empty() && s[0] == '*') s.remove_prefix(1);
  const Lexed l = Lex(s);
  if (!l.number) return std::nullopt;
  std::optional<Unit> unit;
  switch (family) {
    case Family::kLevel:
    case Family::kFader:
      unit = UnitOf(l, "", {"", "db"});
      break;
    case Family::kFrequency:
      unit = UnitOf(l, "k", {"", "hz"});
      break;
    case Family::kTime:
      unit = UnitOf(l, "mu", {"", "s", "sec"});
      break;
    case Family::kRatio:
      unit = UnitOf(l, "", {"", ":1"});
      break;
    case Family::kPercent:
      unit = UnitOf(l, "", {"", "%"});
      break;
    default:
      unit = UnitOf(l, "", {""});
      break;
  }
  if (!unit) return std::nullopt;
  return l.x * unit->scale;
}

// A parameter's texts as the pages show them, squeezed, each with the first value that shows
// it, and the quantity each value stands for (NaN: none). No table is longer than the fader's;
// some have gaps (the input sources).
struct TextTable {
  std::unordered_map<std::string, int> shown;
  std::vector<double> quantity;
};

const TextTable& TableOf(int id, Family family) {
  static std::unordered_map<int, TextTable> tables;
  const auto found = tables.find(id);
  if (found != tables.end()) return found->second;
  TextTable& table = tables[id];
  for (int v = 0; v < kFaderSteps; ++v) {
    const ValueTexts t = FormatValue(id, v);
    if (t.value.empty()) {
      table.quantity.push_back(std::numeric_limits<double>::quiet_NaN());
      continue;
    }
    const std::string value = Squeezed(t.value);
    table.shown.emplace(value, v);
    table.shown.emplace(value + Squeezed(t.unit), v);
    table.quantity.push_back(Quantity(family, value + Squeezed(t.unit))
                                 .value_or(std::numeric_limits<double>::quiet_NaN()));
  }
  return table;
}

// The first value up to max whose page text is the text, -1 when none.
int ShownValue(const TextTable& table, std::string_view s, int max) {
  const auto found = table.shown.find(std::string(s));
  return found != table.shown.end() && found->second <= max ? found->second : -1;
}

// The value nearest to x among those the table has; frequencies and times are near by ratio.
int NearestValue(const TextTable& table, Family family, double x, int max) {
  const bool by_ratio = family == Family::kFrequency || family == Family::kTime;
  const auto measure = [by_ratio](double q) { return by_ratio ? std::log(std::max(q, 1e-12)) : q; };
  int best = -1, lowest = -1, highest = -1;
  double best_distance = kInfinity, low = kInfinity, high = -kInfinity;
  const int last = std::min(max, static_cast<int>(table.quantity.size()) - 1);
  for (int v = 0; v <= last; ++v) {
    const std::optional<double> q =
        std::isnan(table.quantity[static_cast<std::size_t>(v)])
            ? std::nullopt
            : std::optional<double>(table.quantity[static_cast<std::size_t>(v)]);
    if (!q) continue;
    if (*q == x) return v;
    if (*q < low) low = *q, lowest = v;
    if (*q > high) high = *q, highest = v;
    const double d = std::abs(measure(*q) - measure(x));
    if (d < best_distance) best_distance = d, best = v;
  }
  if (std::isinf(x) || best < 0) return x < 0 ? lowest : highest;
  return best;
}

ValueReading Refused(const char* reason) {
  return {-1, reason};
}

ValueReading Clamped(double x, int max) {
  if (std::isnan(x)) return Refused("Type a number.");
  return {static_cast<int>(std::llround(std::clamp(x, 0.0, static_cast<double>(max)))), {}};
}

ValueReading ReadPan(std::string_view s, int max) {
  constexpr int kCentre = 63;
  if (s == "c" || s == "centre" || s == "center") return {std::min(kCentre, max), {}};
  int side = 0;
  if (!s.empty() && (s.front() == 'l' || s.front() == 'r')) {
    side = s.front() == 'l' ? -1 : 1;
    s.remove_prefix(1);
  } else if (!s.empty() && (s.back() == 'l' || s.back() == 'r')) {
    side = s.back() == 'l' ? -1 : 1;
    s.remove_suffix(1);
  }
  const Lexed l = Lex(s);
  if (!l.number || l.infix || !l.rest.empty() || (side != 0 && l.x < 0))
    return Refused("Type a pan position, such as L12, 00 or 12R.");
  return Clamped(kCentre + (side == 0 ? l.x : side * l.x), max);
}

ValueReading ReadDelay(std::string_view s, int max, const ValueContext& context) {
  const double per_second = SampleRateOrDefault(context.rate_mode) * 256.0;
  const double per_frame = per_second / (context.tc_mode == 4 ? 25 : 30);
  const Lexed l = Lex(s);
  const std::optional<Unit> unit =
      l.number
          ? UnitOf(l, "mu", {"", "s", "sec", "f", "fr", "frame", "frames", "w", "word", "words"})
          : std::nullopt;
  if (!unit || (unit->scale != 1 && unit->name != "s" && unit->name != "sec"))
    return Refused("Type a delay, such as 12.5 ms, 2.5F or 480 w.");
  std::string name = unit->name;
  if (name.empty() && unit->scale == 1) {
    // A bare number is in the unit the page shows.
    name = context.delay_unit == 4                              ? "f"
           : context.delay_unit == 2 || context.delay_unit == 3 ? "w"
                                                                : "ms";
  }
  double stored;
  if (name == "ms")
    stored = l.x / 1000 * per_second;
  else if (name[0] == 'f')
    stored = l.x * per_frame;
  else if (name[0] == 'w')
    stored = l.x * 256;
  else
    stored = l.x * unit->scale * per_second;
  return Clamped(stored, max);
}

ValueReading ReadTimecode(std::string_view s, int max, int tc_mode) {
  int field[4] = {};
  int n = 0, digits = 0;
  bool separated = false;
  for (char c : s) {
    if (IsDigit(c)) {
      if (++digits > 8) return Refused("Type a timecode, such as 01:00:00:00.");
      if (separated) {
        field[n] = field[n] * 10 + (c - '0');
      } else {
        field[(digits - 1) / 2] = field[(digits - 1) / 2] * 10 + (c - '0');
      }
    } else if ((c == ':' || c == '.' || c == ';') && n < 3 && (separated || digits <= 2)) {
      separated = true;
      ++n;
    } else {
      return Refused("Type a timecode, such as 01:00:00:00.");
    }
  }
  if (separated ? n != 3 : digits != 8) return Refused("Type a timecode, such as 01:00:00:00.");
  const int fps = tc_mode == 4 ? 25 : 30;
  if (field[0] > 23 || field[1] > 59 || field[2] > 59 || field[3] >= fps)
    return Refused("That time does not exist: hours below 24, minutes and seconds below 60.");
  const std::uint32_t value = ToBCD(MakeTC(field[0], field[1], field[2], field[3]));
  if (value > static_cast<std::uint32_t>(max)) return Refused("That time is out of range.");
  return {static_cast<int>(value), {}};
}

// The values of the word clock's menu items.
std::vector<int> WordClockValues() {
  std::vector<int> values = {0xFFFF01, 0xFF0003, 0xFF0104, 0xFF0105};
  for (int slot = 6; slot <= 9; ++slot) {
    for (int pair = 0; pair < 4; ++pair) values.push_back(pair << 16 | 0xFF00 | slot);
  }
  return values;
}

// The items of a short word table, for the reason.
std::string Offered(int id, int max) {
  if (max > 7) return "Type a name the list offers.";
  std::string text = "Type one of:";
  for (int v = 0; v <= max; ++v) {
    std::string word = FormatValue(id, v).value;
    if (!word.empty()) text += (v ? ", " : " ") + word;
  }
  return text + ".";
}

}  // namespace

ValueReading ReadValue(int id, std::string_view text, int max, const ValueContext& context) {
  const std::string s = Squeezed(text);
  if (s.empty()) return Refused("Type a value.");
  if (max < 0) return Refused("This value cannot be set here.");
  const Family family = FamilyOf(id);
  switch (family) {
    case Family::kDelay:
      return ReadDelay(s, max, context);
    case Family::kTimecode:
      return ReadTimecode(s, max, context.tc_mode);
    case Family::kWordClock:
      for (int v : WordClockValues()) {
        if (v <= max && Squeezed(WordClockText(v)) == s) return {v, {}};
      }
      return Refused("Type a clock source the list offers, such as REF WORD IN.");
    case Family::kPlain: {
      if (max == 1 && (s == "on" || s == "off")) return {s == "on" ? 1 : 0, {}};
      const Lexed l = Lex(s);
      if (!l.number || l.infix || !l.rest.empty())
        return Refused(max == 1 ? "Type ON or OFF." : "Type a whole number.");
      return Clamped(l.x, max);
    }
    default:
      break;
  }
  // A text the page shows names the value that shows it.
  const TextTable& table = TableOf(id, family);
  const int shown = ShownValue(table, s, max);
  if (shown >= 0) return {shown, {}};
  switch (family) {
    case Family::kWords:
      return Refused(Offered(id, max).c_str());
    case Family::kPan:
      return ReadPan(s, max);
    default:
      break;
  }
  const std::optional<double> x = Quantity(family, s);
  if (!x || std::isnan(*x)) {
    switch (family) {
      case Family::kFader:
        return Refused("Type a level in dB, such as -3.5, or OFF.");
      case Family::kLevel:
        return Refused("Type a level in dB, such as -3.5.");
      case Family::kFrequency:
        return Refused("Type a frequency in Hz, such as 1200 or 1.2k.");
      case Family::kTime:
        return Refused("Type a time, such as 12.5 ms or 1.2 s.");
      case Family::kPercent:
        return Refused("Type a percentage, such as 50.");
      default:
        return Refused("Type a number, such as 2.5.");
    }
  }
  if (family == Family::kFader) {
    int v = NearestFaderIndex(*x);
    // Of the positions that read 0.0 dB, the nominal one with its mark.
    if (FaderTenths(v) == 0) v = kFaderNominal;
    return {std::min(v, max), {}};
  }
  const int v = NearestValue(table, family, *x, max);
  if (v < 0) return Refused("This value cannot be set here.");
  return {v, {}};
}

ValueReading ReadValueText(const TQ730& list, int channel, int id, std::string_view text) {
  const int max = list.ParamMax(channel, id);
  const TQ730SYSF* system = list.System();
  if (list.GetParam(channel, id) < 0) return Refused("This value cannot be set here.");
  if (id == kParamDynamicsKey && system && max >= 0) {
    for (int key = 0; key <= max; ++key) {
      if (Squeezed(DynamicsKeyText(*system, channel, key)) == Squeezed(text)) return {key, {}};
    }
    return Refused("Type LOCAL or a channel of the key list, such as CH 3.");
  }
  return ReadValue(id, text, max, ValueContextOf(list, channel, id));
}

bool ShownValueFalls(int id) {
  const Family family = FamilyOf(id);
  const std::optional<double> first = Quantity(family, Squeezed(FormatValue(id, 0).value));
  const std::optional<double> second = Quantity(family, Squeezed(FormatValue(id, 1).value));
  return first && second && *second < *first;
}

bool SameValueText(std::string_view a, std::string_view b) {
  return Squeezed(a) == Squeezed(b);
}

}  // namespace orb
