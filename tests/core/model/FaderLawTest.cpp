#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "core/model/FaderLaw.h"

namespace orb {
namespace {

constexpr int kLast = kFaderSteps - 1;

// The nearest-index rule written out as a plain scan, to check the fast search against.
int ScanNearest(double x) {
  for (int i = 0; i < kLast; ++i) {
    if ((FaderTenths(i) / 10.0 + FaderTenths(i + 1) / 10.0) / 2 > x) return i;
  }
  return kLast;
}

struct Row {
  int index;
  double db;
};

TEST(FaderLawTable, KnownRows) {
  const Row rows[] = {{0, -100.0},  {1, -77.8},  {80, -60.4}, {185, -40.0}, {290, -29.8},
                      {533, -10.0}, {582, -8.0}, {631, -6.0}, {680, -4.0},  {729, -2.0},
                      {777, 0.0},   {778, 0.0},  {779, 0.0},  {827, 2.0},   {876, 4.0},
                      {925, 6.0},   {974, 8.0},  {1023, 10.0}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.index);
    EXPECT_EQ(FaderTenths(row.index), std::lround(row.db * 10));
    EXPECT_DOUBLE_EQ(FaderDb(row.index), row.db);
  }
  EXPECT_EQ(FaderTenths(kFaderNominal), 0);
}

TEST(FaderLawTable, NeverFallsAndStepsMatchEachSegment) {
  struct Segment {
    int first;
    int last;
    double step_db;  // the law's typical step in this range
  };
  const Segment segments[] = {
      {1, 80, 0.22}, {80, 185, 0.19}, {185, 290, 0.098}, {290, 533, 0.081}, {533, 1023, 0.041}};
  EXPECT_LT(FaderTenths(0), FaderTenths(1));
  for (const Segment& s : segments) {
    const int lo = static_cast<int>(std::floor(s.step_db * 10));
    const int hi = static_cast<int>(std::ceil(s.step_db * 10));
    for (int i = s.first; i < s.last; ++i) {
      const int step = FaderTenths(i + 1) - FaderTenths(i);
      EXPECT_GE(step, lo) << "index " << i;
      EXPECT_LE(step, hi) << "index " << i;
    }
    const double average = (FaderDb(s.last) - FaderDb(s.first)) / (s.last - s.first);
    EXPECT_NEAR(average, s.step_db, 0.005) << s.first << ".." << s.last;
  }
}

TEST(FaderLawTable, FollowsTheLinearLaw) {
  // Above -10 dB every position is 2 dB per 49 positions from the nominal one.
  for (int i = 533; i < kFaderSteps; ++i) {
    EXPECT_EQ(FaderTenths(i), std::lround(20.0 * (i - kFaderNominal) / 49)) << "index " << i;
  }
  // Below, each position is within half a tenth of the straight line between its neighbours'
  // anchors, i.e. correctly rounded (negative values included).
  const Row anchors[] = {{1, -77.8}, {80, -60.4}, {185, -40.0}, {290, -29.8}, {533, -10.0}};
  for (std::size_t k = 1; k < std::size(anchors); ++k) {
    const Row& a = anchors[k - 1];
    const Row& b = anchors[k];
    for (int i = a.index; i <= b.index; ++i) {
      const double exact = a.db + (b.db - a.db) * (i - a.index) / (b.index - a.index);
      EXPECT_NEAR(FaderDb(i), exact, 0.05 + 1e-9) << "index " << i;
    }
  }
}

TEST(FaderLawText, KnownTexts) {
  EXPECT_STREQ(FaderText(0), "  OFF");
  EXPECT_STREQ(FaderText(1), "-77.8");
  EXPECT_STREQ(FaderText(185), "-40.0");
  EXPECT_STREQ(FaderText(533), "-10.0");
  EXPECT_STREQ(FaderText(729), " -2.0");
  EXPECT_STREQ(FaderText(776), " -0.1");
  EXPECT_STREQ(FaderText(777), " -0.0");
  EXPECT_STREQ(FaderText(778), " *0.0");
  EXPECT_STREQ(FaderText(779), "  0.0");
  EXPECT_STREQ(FaderText(780), "  0.1");
  EXPECT_STREQ(FaderText(827), "  2.0");
  EXPECT_STREQ(FaderText(1023), " 10.0");
}

TEST(FaderLawText, EveryTextIsFiveCharactersAndReadsBackItsLevel) {
  for (int i = 0; i < kFaderSteps; ++i) {
    SCOPED_TRACE(i);
    const std::string text = FaderText(i);
    ASSERT_EQ(text.size(), 5u);
    if (i == 0 || i == kFaderNominal) continue;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    EXPECT_EQ(*end, '\0');
    EXPECT_EQ(std::lround(value * 10), FaderTenths(i));
    // The sign shown is that of the level, except for the one just below zero.
    EXPECT_EQ(text.find('-') != std::string::npos, FaderTenths(i) < 0 || i == 777);
  }
}

TEST(FaderLawText, SpecialTextsAppearOnlyAtTheirPositions) {
  for (int i = 0; i < kFaderSteps; ++i) {
    EXPECT_EQ(std::strcmp(FaderText(i), "  OFF") == 0, i == 0) << i;
    EXPECT_EQ(std::strchr(FaderText(i), '*') != nullptr, i == kFaderNominal) << i;
    EXPECT_EQ(std::strcmp(FaderText(i), " -0.0") == 0, i == 777) << i;
  }
}

TEST(FaderLawClamp, OutOfRangeIndexesClamp) {
  for (int index : {-1, -1000, std::numeric_limits<int>::min()}) {
    EXPECT_EQ(FaderTenths(index), FaderTenths(0));
    EXPECT_EQ(FaderDb(index), -100.0);
    EXPECT_STREQ(FaderText(index), "  OFF");
  }
  for (int index : {kFaderSteps, 5000, std::numeric_limits<int>::max()}) {
    EXPECT_EQ(FaderTenths(index), 100);
    EXPECT_EQ(FaderDb(index), 10.0);
    EXPECT_STREQ(FaderText(index), " 10.0");
  }
}

TEST(NearestFaderIndex, KnownLevels) {
  EXPECT_EQ(NearestFaderIndex(0.0), 779);
  EXPECT_EQ(NearestFaderIndex(-0.0), 779);
  EXPECT_EQ(NearestFaderIndex(-100.0), 0);
  EXPECT_EQ(NearestFaderIndex(-88.9), 1);  // halfway between off and -77.8 goes up
  EXPECT_EQ(NearestFaderIndex(-88.95), 0);
  EXPECT_EQ(NearestFaderIndex(10.0), kLast);
  EXPECT_EQ(NearestFaderIndex(-40.0), 185);
  // A level shared by a run of positions finds the last of them.
  EXPECT_EQ(NearestFaderIndex(-10.0), 534);
  EXPECT_EQ(NearestFaderIndex(2.0), 828);
  EXPECT_EQ(NearestFaderIndex(std::nan("")), 0);
  EXPECT_EQ(NearestFaderIndex(-std::numeric_limits<double>::infinity()), 0);
  EXPECT_EQ(NearestFaderIndex(std::numeric_limits<double>::infinity()), kLast);
  EXPECT_EQ(NearestFaderIndex(-1e300), 0);
  EXPECT_EQ(NearestFaderIndex(1e300), kLast);
}

TEST(NearestFaderIndex, EveryLevelFindsItsOwnRun) {
  for (int i = 0; i < kFaderSteps; ++i) {
    const int found = NearestFaderIndex(FaderDb(i));
    EXPECT_EQ(FaderTenths(found), FaderTenths(i)) << "index " << i << " found " << found;
    EXPECT_EQ(found, ScanNearest(FaderDb(i))) << "index " << i;
  }
}

TEST(NearestFaderIndex, MatchesTheScanAtAndAroundEveryMidpoint) {
  const double inf = std::numeric_limits<double>::infinity();
  for (int i = 0; i < kLast; ++i) {
    const double mid = (FaderTenths(i) / 10.0 + FaderTenths(i + 1) / 10.0) / 2;
    for (double x : {mid, std::nextafter(mid, -inf), std::nextafter(mid, inf)}) {
      EXPECT_EQ(NearestFaderIndex(x), ScanNearest(x)) << "x " << x;
    }
  }
}

TEST(NearestFaderIndex, MatchesTheScanOverADenseSweep) {
  std::vector<double> xs = {-std::numeric_limits<double>::infinity(),
                            std::numeric_limits<double>::infinity(),
                            -std::numeric_limits<double>::max(),
                            std::numeric_limits<double>::max(),
                            -1e9,
                            1e9,
                            std::numeric_limits<double>::denorm_min(),
                            -std::numeric_limits<double>::denorm_min()};
  for (int k = -130000; k <= 25000; k += 3) xs.push_back(k / 1000.0);
  for (double x : xs) {
    const int found = NearestFaderIndex(x);
    ASSERT_EQ(found, ScanNearest(x)) << "x " << x;
    // And the level found is a closest one.
    const double distance = std::abs(FaderDb(found) - x) - 1e-9;
    if (found > 0) {
      EXPECT_LE(distance, std::abs(FaderDb(found - 1) - x)) << "x " << x;
    }
    if (found < kLast) {
      EXPECT_LE(distance, std::abs(FaderDb(found + 1) - x)) << "x " << x;
    }
  }
}

}  // namespace
}  // namespace orb
