#include "core/model/FaderLaw.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace orb {
namespace {

// How the table is made. From -10 dB (index 533) up the law is exactly linear: 2 dB per 49
// positions with 0 dB at the nominal 778, so 533, 582, ... 729 read -10, -8, ... -2 and 827, ...
// 1023 read +2, ... +10; in tenths, 20 * (i - 778) / 49. Below 533 it is linear between the
// points 1 (-77.8), 80 (-60.4), 185 (-40.0) and 290 (-29.8): steps of about 0.22, 0.19, 0.097
// and 0.081 dB per position. Position 0 is off.
//
// Each exact value is a fraction num / den with den the length of its segment, rounded half
// away from zero to tenths. Every segment has an odd length (hence the split at 778), and an even
// 2 * num is never an odd multiple of an odd den, so no value ever lies exactly halfway.
// The exact values of 777 and 779 are -0.041 and +0.041 dB: both read 0.0, and 777 shows
// " -0.0" as printf would for a small negative number.
struct Anchor {
  int index;
  int tenths;
};

constexpr Anchor kAnchors[] = {{1, -778},   {80, -604},         {185, -400}, {290, -298},
                               {533, -100}, {kFaderNominal, 0}, {1023, 100}};

constexpr bool SegmentLengthsAreOdd() {
  for (std::size_t k = 1; k < std::size(kAnchors); ++k) {
    if ((kAnchors[k].index - kAnchors[k - 1].index) % 2 == 0) return false;
  }
  return true;
}
static_assert(SegmentLengthsAreOdd(), "a segment of even length could produce rounding ties");
static_assert(kAnchors[std::size(kAnchors) - 1].index == kFaderSteps - 1);

constexpr int kOffTenths = -1000;
constexpr int kTextSize = 6;  // five characters and the terminator

struct Level {
  int tenths;
  bool negative;  // the exact value, before rounding, is below zero
};

// The level of a position from 1 up.
constexpr Level ExactLevel(int index) {
  std::size_t k = 1;
  while (kAnchors[k].index < index) ++k;
  const Anchor& a = kAnchors[k - 1];
  const Anchor& b = kAnchors[k];
  const int den = b.index - a.index;
  const int num = a.tenths * den + (index - a.index) * (b.tenths - a.tenths);
  const int rounded = num >= 0 ? (2 * num + den) / (2 * den) : -((-2 * num + den) / (2 * den));
  return {rounded, num < 0};
}

// Right-aligned "%5.1f" of tenths / 10, with the sign taken from the exact value.
constexpr std::array<char, kTextSize> FormatTenths(int tenths, bool negative) {
  std::array<char, kTextSize> text{' ', ' ', ' ', ' ', ' ', '\0'};
  const int magnitude = tenths < 0 ? -tenths : tenths;
  int pos = kTextSize - 2;
  text[pos--] = static_cast<char>('0' + magnitude % 10);
  text[pos--] = '.';
  int whole = magnitude / 10;
  do {
    text[pos--] = static_cast<char>('0' + whole % 10);
    whole /= 10;
  } while (whole > 0);
  if (negative) text[pos] = '-';
  return text;
}

struct Tables {
  std::array<int, kFaderSteps> tenths{};
  std::array<std::array<char, kTextSize>, kFaderSteps> texts{};
  // midpoints[i] is halfway between the levels of i and i + 1, in dB.
  std::array<double, kFaderSteps - 1> midpoints{};
};

constexpr Tables MakeTables() {
  Tables t;
  t.tenths[0] = kOffTenths;
  t.texts[0] = {' ', ' ', 'O', 'F', 'F', '\0'};
  for (int i = 1; i < kFaderSteps; ++i) {
    const Level level = ExactLevel(i);
    t.tenths[i] = level.tenths;
    t.texts[i] = FormatTenths(level.tenths, level.negative);
  }
  t.texts[kFaderNominal] = {' ', '*', '0', '.', '0', '\0'};
  for (int i = 0; i + 1 < kFaderSteps; ++i) {
    t.midpoints[i] = (t.tenths[i] / 10.0 + t.tenths[i + 1] / 10.0) / 2;
  }
  return t;
}

constexpr Tables kTables = MakeTables();

int Clamp(int index) {
  return std::clamp(index, 0, kFaderSteps - 1);
}

}  // namespace

int FaderTenths(int index) {
  return kTables.tenths[Clamp(index)];
}

double FaderDb(int index) {
  return FaderTenths(index) / 10.0;
}

const char* FaderText(int index) {
  return kTables.texts[Clamp(index)].data();
}

int NearestFaderIndex(double db) {
  if (std::isnan(db)) return 0;
  // The midpoints never fall, so the first one above db is an upper bound.
  const auto& mids = kTables.midpoints;
  return static_cast<int>(std::upper_bound(mids.begin(), mids.end(), db) - mids.begin());
}

}  // namespace orb
