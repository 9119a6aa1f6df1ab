#include "core/pages/NumericEntry.h"

#include <algorithm>
#include <charconv>

#include "core/model/ParamIds.h"
#include "core/model/Q730.h"

namespace orb {
namespace {

constexpr int kTempoDefault = 120;
constexpr int kTempoMin = 30;
constexpr int kTempoMax = 250;

bool IsTimecode(int id) {
  return id == kParamOffset || id == kParamCueTime;
}

// The number the whole text spells, or none.
bool Number(const std::string& text, int& out) {
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, out);
  return ec == std::errc{} && ptr == end;
}

}  // namespace

bool TakesNumericEntry(int id) {
  return id == kParamTempo || IsTimecode(id) || id == kParamCueEventNumber;
}

std::string EntryStartText(int id, int value) {
  if (IsTimecode(id)) return FormatTCDigits(static_cast<TimeCode>(std::max(value, 0)));
  std::string text = std::to_string(std::max(value, 0));
  if (id == kParamTempo && text.size() < 3) text.insert(0, 3 - text.size(), '0');
  return text;
}

void EntryDigit(NumericEntry& entry, char digit) {
  if (!entry.Pending() || digit < '0' || digit > '9' || entry.text.empty()) return;
  entry.text = entry.text.substr(1) + digit;
}

void EntryBackspace(NumericEntry& entry) {
  if (!entry.Pending() || entry.text.empty()) return;
  entry.text = "0" + entry.text.substr(0, entry.text.size() - 1);
}

int EntryValue(const NumericEntry& entry, int tc_mode) {
  if (IsTimecode(entry.id))
    return static_cast<int>(ParseTCDigits(entry.text, FrameRateOfMode(tc_mode)));
  int n = 0;
  const bool number = Number(entry.text, n);
  if (entry.id == kParamTempo) return std::clamp(number ? n : kTempoDefault, kTempoMin, kTempoMax);
  return number ? n : 0;
}

}  // namespace orb
