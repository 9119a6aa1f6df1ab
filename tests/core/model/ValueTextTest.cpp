#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <string>

#include "core/model/ParamNames.h"
#include "core/model/Q730sysf.h"
#include "core/model/ValueText.h"

namespace orb {
namespace {

struct Listed {
  int id;
  int value;
  const char* text;
  const char* unit;
};

// The texts the console is known to show.
constexpr Listed kListed[] = {
    {1, 0, "-15.0", "dB"},     {1, 1, "-14.8", "dB"},    {1, 20, "-10.0", "dB"},
    {1, 21, "-9.75", "dB"},    {1, 60, " 0.00", "dB"},   {1, 99, " 9.75", "dB"},
    {1, 100, "10.00", "dB"},   {1, 120, "15.00", "dB"},  {33, 0, "  0.0", "dB"},
    {33, 1, " -0.5", "dB"},    {27, 90, "-45.0", "dB"},  {27, 91, "-46.0", "dB"},
    {27, 125, "-80.0", "dB"},  {29, 0, "  20u", " s"},   {35, 17, " 360u", " s"},
    {30, 18, " 400u", " s"},   {36, 29, " 920u", " s"},  {29, 30, "1.00m", " s"},
    {29, 31, "1.08m", " s"},   {30, 89, "92.6m", " s"},  {30, 90, " 100m", " s"},
    {36, 119, " 926m", " s"},  {36, 120, "    1", " s"}, {32, 0, "31.6m", " s"},
    {39, 44, " 926m", " s"},   {39, 45, " 1.00", " s"},  {32, 74, " 9.26", " s"},
    {32, 75, " 10.0", " s"},   {39, 96, " 50.1", " s"},  {31, 0, "    0", "dB"},
    {31, 1, "   -1", "dB"},    {38, 60, "  -60", "dB"},  {37, 0, " 0.00", "dB"},
    {37, 39, " 9.75", "dB"},   {37, 40, "10.00", "dB"},  {37, 60, "15.00", "dB"},
    {55, 0, " 27.5", "Hz"},    {56, 10, " 50.0", "Hz"},  {55, 14, " 60.0", "Hz"},
    {56, 22, "100.0", "Hz"},   {56, 26, "120.0", "Hz"},  {56, 34, "200.0", "Hz"},
    {56, 38, "240.0", "Hz"},   {56, 51, "523.2", "Hz"},  {56, 55, "659.2", "Hz"},
    {56, 62, "987.8", "Hz"},   {56, 63, "1.05k", "Hz"},  {59, 48, "9.96k", "Hz"},
    {59, 49, "10.5k", "Hz"},   {60, 58, "42.2k", "Hz"},  {57, 0, " 77.8", "Hz"},
    {58, 0, "220.0", "Hz"},    {61, 0, "0.50", ""},      {62, 37, "9.75", ""},
    {63, 38, "10.0", ""},      {63, 39, "10.3", ""},     {64, 40, "10.5", ""},
    {64, 41, "10.8", ""},      {64, 62, "16.0", ""},     {65, 0, "-20.0", "dB"},
    {65, 10, "-15.0", "dB"},   {66, 11, "-14.0", "dB"},  {66, 12, "-13.5", "dB"},
    {67, 15, "-12.0", "dB"},   {67, 16, "-11.8", "dB"},  {67, 17, "-11.5", "dB"},
    {68, 18, "-11.3", "dB"},   {68, 19, "-11.0", "dB"},  {65, 23, "-10.0", "dB"},
    {65, 24, "-9.75", "dB"},   {65, 63, " 0.00", "dB"},  {66, 102, " 9.75", "dB"},
    {66, 103, " 10.0", "dB"},  {67, 104, " 10.3", "dB"}, {67, 111, " 12.0", "dB"},
    {68, 112, " 12.5", "dB"},  {68, 126, " 19.5", "dB"}, {68, 127, " 20.0 ", "dB"},
    {110, 0, "  OFF", "dB"},   {85, 1, "-77.8", "dB"},   {108, 777, " -0.0", "dB"},
    {123, 778, " *0.0", "dB"}, {92, 779, "  0.0", "dB"}, {110, 1023, " 10.0", "dB"},
    {109, 0, " L63 ", ""},     {93, 62, " L01 ", ""},    {107, 63, "  00 ", ""},
    {96, 64, "  01R", ""},     {109, 126, "  63R", ""},  {122, 57, "57", "% "},
};

TEST(ValueTextTest, ListedTexts) {
  for (const Listed& row : kListed) {
    SCOPED_TRACE(std::to_string(row.id) + " = " + std::to_string(row.value));
    const ValueTexts texts = FormatValue(row.id, row.value);
    EXPECT_EQ(texts.value, row.text);
    EXPECT_EQ(texts.unit, row.unit);
  }
}

std::string Joined(int id, int last) {
  std::string all;
  for (int v = 0; v <= last; ++v) all += FormatValue(id, v).value + "|";
  return all;
}

TEST(ValueTextTest, RatioTablesInFull) {
  EXPECT_EQ(Joined(28, 30),
            " 1.1| 1.2| 1.3| 1.4| 1.5| 1.6| 1.7| 1.8| 2.0| 2.2| 2.3| 2.5| 2.7| 2.9| 3.1| 3.3|"
            " 3.6| 3.8| 4.1| 4.5| 4.8| 5.2| 5.7| 6.0| 6.4| 6.9| 7.5| 8.0| 8.6| 9.3|10.0|");
  EXPECT_EQ(Joined(34, 30),
            " 1.1| 1.2| 1.3| 1.4| 1.5| 1.8| 2.0| 2.3| 2.7| 3.2| 3.8| 4.3| 5.0| 5.6| 6.3| 7.1|"
            " 7.9| 8.9|10.0|11.2|12.6|14.2|15.9|17.8|20.0|26.2|34.2|44.8|58.5|76.5| oo |");
}

TEST(ValueTextTest, TablesHoldFiveCharactersAndRiseMonotonically) {
  // Every time, frequency and gain text has the console's width, and the tables never fall.
  const struct {
    int id;
    int last;
  } tables[] = {{29, 120}, {32, 96}, {55, 47}, {60, 58}, {65, 126}, {1, 120}, {33, 125}};
  for (const auto& t : tables) {
    double previous = -1e9;
    for (int v = 0; v <= t.last; ++v) {
      SCOPED_TRACE(std::to_string(t.id) + " = " + std::to_string(v));
      const std::string text = FormatValue(t.id, v).value;
      ASSERT_EQ(text.size(), 5u) << '"' << text << '"';
      // Times (in microseconds here) and frequencies carry a scale letter.
      const bool time = t.id == 29 || t.id == 32;
      double x = std::atof(text.c_str());
      if (text.back() == 'm' || text.back() == 'k') x *= 1e3;
      if (time && std::isdigit(static_cast<unsigned char>(text.back()))) x *= 1e6;
      if (t.id == 33) x = -x;
      EXPECT_GE(x, previous);
      previous = x;
    }
  }
}

TEST(ValueTextTest, DelayFollowsUnitRateAndTimecodeMode) {
  const int one_ms_at_48k = 48 * 256;
  struct Case {
    int value;
    ValueContext context;
    const char* text;
    const char* unit;
  } cases[] = {
      {one_ms_at_48k, {0, 0, 0}, "1.0", "ms"},
      {3072, {1, 0, 0}, "0.3", "ms"},  // 0.25 ms rounds up
      {12287999, {0, 0, 0}, "1000.0", "ms"},
      {4410 * 256, {0, 1, 0}, "100.0", "ms"},
      {one_ms_at_48k, {0, 2, 0}, "0.5", "ms"},  // the same count is half the time at 96 kHz
      {one_ms_at_48k + 255, {2, 0, 0}, "48", "w "},
      {one_ms_at_48k, {3, 0, 0}, "48", "w "},
      {48000 * 256, {4, 0, 0}, "30.0", "F "},
      {48000 * 256, {4, 0, 4}, "25.0", "F "},
      {48000 * 256 / 7, {4, 0, 2}, "4.3", "F "},
      {one_ms_at_48k, {0, 9, 0}, "1.0", "ms"},  // an unknown rate code counts as 48 kHz
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    const ValueTexts texts = FormatValue(3, c.value, c.context);
    EXPECT_EQ(texts.value, c.text);
    EXPECT_EQ(texts.unit, c.unit);
  }
}

// A line of text takes the value without its padding, and the unit only after a number.
TEST(ValueTextTest, ValueAndUnitForALineOfText) {
  EXPECT_EQ(ValueAndUnit({" -0.7", "dB"}), "-0.7 dB");
  EXPECT_EQ(ValueAndUnit({"  OFF", "dB"}), "OFF");
  EXPECT_EQ(ValueAndUnit({" 12 ", " Hz "}), "12 Hz");
  EXPECT_EQ(ValueAndUnit({"L12", ""}), "L12");
  EXPECT_EQ(ValueAndUnit({"", "dB"}), "");
  EXPECT_EQ(ValueAndUnit(FormatValue(kParamFaderLevel, 0)), "OFF");
}

TEST(ValueTextTest, NothingToShow) {
  // No value, values beyond a table, and ids shown as switches or by the pages themselves.
  const std::pair<int, int> empty[] = {{1, -1},    {1, 121}, {28, 31},  {34, 31},  {29, 121},
                                       {39, 97},   {60, 59}, {61, 63},  {65, 128}, {110, 1024},
                                       {109, 127}, {17, 1},  {120, 63}, {102, 1},  {41, 3}};
  for (auto [id, value] : empty) {
    const ValueTexts texts = FormatValue(id, value);
    EXPECT_TRUE(texts.value.empty() && texts.unit.empty()) << id << " = " << value;
  }
}

TEST(ValueTextTest, ReadsTheListAndItsContext) {
  TQ730SYSF system;
  system.Block()[41] = 1;  // 44.1 kHz
  system.SetParam(3, 4, 2);
  system.SetParam(3, 3, 4410 * 256);
  EXPECT_EQ(ValueText(system, 3, 3).value, "4410");
  system.SetParam(0, 4, 0);
  EXPECT_EQ(ValueText(system, 3, 3).value, "100.0");
  EXPECT_EQ(ValueText(system, 3, 3).unit, "ms");
  system.SetParam(3, 1, 21);
  EXPECT_EQ(ValueText(system, 3, 1).value, "-9.75");
  EXPECT_EQ(ValueText(system, 73, 1).value, "");  // beyond the layout
}

TEST(ValueTextTest, EqFrequencyUsesRoundValues) {
  EXPECT_DOUBLE_EQ(EqFrequency(10), 50);
  EXPECT_DOUBLE_EQ(EqFrequency(38), 240);
  EXPECT_NEAR(EqFrequency(51), 523.25, 0.01);  // only the text is cut
  EXPECT_NEAR(EqFrequency(127), 27.5 * std::pow(2.0, 127 / 12.0), 1e-9);
  EXPECT_EQ(EqFrequency(128), 0);
}

}  // namespace
}  // namespace orb

namespace orb {
namespace {

TEST(ValueTextTest, GainsAndRatiosAsNumbersAgreeWithTheirTexts) {
  for (int v = 0; v <= 127; ++v) {
    const double db = EqGainDb(v);
    // The text keeps one decimal from 10 dB on; the number keeps the quarter decibels.
    EXPECT_NEAR(db, std::strtod(FormatValue(65, v).value.c_str(), nullptr), 0.0501) << v;
    if (v > 0) {
      EXPECT_GT(db, EqGainDb(v - 1)) << v;
    }
  }
  EXPECT_EQ(EqGainDb(0), -20.0);
  EXPECT_EQ(EqGainDb(127), 20.0);
  for (int id : {28, 34}) {
    for (int v = 0; v < 30; ++v) {
      EXPECT_NEAR(DynamicsRatio(id, v), std::strtod(FormatValue(id, v).value.c_str(), nullptr),
                  1e-9);
      if (v > 0) {
        EXPECT_GT(DynamicsRatio(id, v), DynamicsRatio(id, v - 1));
      }
    }
  }
  EXPECT_EQ(DynamicsRatio(28, 30), 10.0);
  EXPECT_TRUE(std::isinf(DynamicsRatio(34, 30)));
  for (auto [id, v] : {std::pair{28, 31}, {34, -1}, {33, 5}})
    EXPECT_TRUE(std::isnan(DynamicsRatio(id, v)));
  EXPECT_TRUE(std::isnan(EqGainDb(128)));
}

TEST(ParamNamesTest, EveryAutomationViewHasItsName) {
  EXPECT_STREQ(ParamName(110), "Level");
  EXPECT_STREQ(ParamName(122), "Surroud Div.");
  EXPECT_STREQ(ParamName(0), "");
  EXPECT_STREQ(ParamName(178), "");
  for (int id = 1; id <= 177; ++id) EXPECT_STRNE(ParamName(id), "") << id;
}

}  // namespace
}  // namespace orb
