#include "core/pages/NumericEntry.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

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
  if (IsTimecode(id))
    return FormatTCDigits(FromBCD(static_cast<std::uint32_t>(std::max(value, 0))));
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

bool EntryAccepted(const NumericEntry& entry, int tc_mode) {
  if (!IsTimecode(entry.id)) return true;
  const std::string& t = entry.text;
  if (t.size() != 8 || !std::ranges::all_of(t, [](char c) { return c >= '0' && c <= '9'; }))
    return false;
  const auto pair = [&t](int i) { return (t[i] - '0') * 10 + (t[i + 1] - '0'); };
  const TimeCode typed = MakeTC(pair(0), pair(2), pair(4), pair(6));
  // Normalising moves any field the rate does not have.
  return NormalizeTC(typed, FrameRateOfMode(tc_mode), false) == typed;
}

int EntryValue(const NumericEntry& entry, int tc_mode) {
  if (IsTimecode(entry.id))
    return static_cast<int>(ToBCD(ParseTCDigits(entry.text, FrameRateOfMode(tc_mode))));
  int n = 0;
  const bool number = Number(entry.text, n);
  if (entry.id == kParamTempo) return std::clamp(number ? n : kTempoDefault, kTempoMin, kTempoMax);
  return number ? n : 0;
}

}  // namespace orb
