#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "core/model/Q730.h"

namespace orb {
namespace {

constexpr FrameRate kDF30 = 30 | kDropFrame;

TEST(TimecodeTest, PackingAndBcd) {
  EXPECT_EQ(MakeTC(1, 2, 3, 4), 0x01020304u);
  EXPECT_EQ(MakeTC(0x123, -1, 0, 0), 0x23FF0000u);
  const TimeCode tc = MakeTC(23, 59, 58, 29);
  EXPECT_EQ(TCHours(tc), 23);
  EXPECT_EQ(TCMinutes(tc), 59);
  EXPECT_EQ(TCSeconds(tc), 58);
  EXPECT_EQ(TCFrames(tc), 29);

  EXPECT_EQ(ToBCD(MakeTC(23, 59, 59, 29)), 0x23595929u);
  EXPECT_EQ(FromBCD(0x23595929u), MakeTC(23, 59, 59, 29));
  for (int v = 0; v < 100; ++v) {
    const TimeCode t = MakeTC(v, 99 - v, v, 99 - v);
    ASSERT_EQ(FromBCD(ToBCD(t)), t) << v;
  }
  // A byte with no BCD form must not spill into its neighbour.
  EXPECT_EQ(ToBCD(0x000000FFu) & 0xFFFFFF00u, 0u);
}

TEST(TimecodeTest, ModeTables) {
  const struct {
    int mode;
    FrameRate rate;
    const char* name;
  } kTC[] = {{0, 30, "30F/s NDF"},
             {1, kDF30, "30F/s DF"},
             {2, 30, "29.97F/s NDF"},
             {3, kDF30, "29.97F/s DF"},
             {4, 25, "25F/s"},
             {5, 30, ""},
             {-1, 30, ""}};
  for (const auto& c : kTC) {
    EXPECT_EQ(FrameRateOfMode(c.mode), c.rate) << c.mode;
    EXPECT_EQ(TCModeName(c.mode), c.name) << c.mode;
  }
  const struct {
    int mode;
    int hz;
    const char* name;
  } kSR[] = {{0, 48000, "48kHz"}, {1, 44100, "44.1kHz"},
             {2, 96000, "96kHz"}, {3, 88200, "88.2kHz"},
             {4, 0, ""},          {-1, 0, ""}};
  for (const auto& c : kSR) {
    EXPECT_EQ(SampleRateHz(c.mode), c.hz) << c.mode;
    EXPECT_EQ(SampleRateName(c.mode), c.name) << c.mode;
  }
}

TEST(TimecodeTest, Normalize) {
  const struct {
    TimeCode in;
    FrameRate rate;
    bool backward;
    TimeCode out;
  } kCases[] = {
      {MakeTC(0, 0, 0, 255), 30, false, MakeTC(0, 0, 8, 15)},
      {MakeTC(0, 0, 59, 25), 25, false, MakeTC(0, 1, 0, 0)},
      {MakeTC(25, 59, 60, 0), 30, false, MakeTC(2, 0, 0, 0)},
      {MakeTC(0, 1, 0, 0), kDF30, false, MakeTC(0, 1, 0, 2)},
      {MakeTC(0, 1, 0, 1), kDF30, true, MakeTC(0, 0, 59, 29)},
      {MakeTC(0, 1, 0, 1), 30, true, MakeTC(0, 1, 0, 1)},
      {MakeTC(0, 10, 0, 0), kDF30, false, MakeTC(0, 10, 0, 0)},
      {MakeTC(0, 0, 60, 0), kDF30, false, MakeTC(0, 1, 0, 2)},
      {MakeTC(0, 0, 0, 45), kDropFrame, false, MakeTC(0, 0, 1, 15)},  // no fps: 30
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(FormatTC(NormalizeTC(c.in, c.rate, c.backward)), FormatTC(c.out)) << FormatTC(c.in);
  }
  for (FrameRate rate : {FrameRate{1}, FrameRate{30}, kDF30, FrameRate{255}}) {
    const TimeCode t = NormalizeTC(0xFFFFFFFFu, rate, false);
    EXPECT_LT(TCHours(t), 24);
    EXPECT_LT(TCMinutes(t), 60);
    EXPECT_LT(TCSeconds(t), 60);
    EXPECT_LT(TCFrames(t), rate & 0xFF);
  }
}

TEST(TimecodeTest, Stepping) {
  const struct {
    TimeCode from;
    FrameRate rate;
    TimeCode next;
  } kCases[] = {
      {MakeTC(0, 0, 59, 29), kDF30, MakeTC(0, 1, 0, 2)},
      {MakeTC(0, 9, 59, 29), kDF30, MakeTC(0, 10, 0, 0)},
      {MakeTC(0, 10, 0, 0), kDF30, MakeTC(0, 10, 0, 1)},
      {MakeTC(0, 59, 59, 29), kDF30, MakeTC(1, 0, 0, 0)},
      {MakeTC(23, 59, 59, 24), 25, MakeTC(0, 0, 0, 0)},
      {MakeTC(0, 0, 59, 29), 30, MakeTC(0, 1, 0, 0)},
      {MakeTC(12, 34, 56, 7), 30, MakeTC(12, 34, 56, 8)},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(FormatTC(NextFrame(c.from, c.rate)), FormatTC(c.next)) << FormatTC(c.from);
    EXPECT_EQ(FormatTC(PrevFrame(c.next, c.rate)), FormatTC(c.from)) << FormatTC(c.next);
  }
  EXPECT_EQ(PrevFrame(MakeTC(24, 0, 0, 0), 25), MakeTC(23, 59, 59, 24));
  EXPECT_EQ(PrevFrame(MakeTC(200, 0, 0, 0), 25), MakeTC(23, 59, 59, 24));
}

TEST(TimecodeTest, DropFrameHourWalk) {
  // Two labels vanish each minute except every tenth: 54 minutes x 2.
  const TimeCode end = MakeTC(1, 0, 0, 0);
  TimeCode tc = 0;
  int steps = 0;
  while (tc != end && steps < 200000) {
    tc = NextFrame(tc, kDF30);
    ++steps;
  }
  EXPECT_EQ(steps, 108000 - 108);
  steps = 0;
  while (tc != 0 && steps < 200000) {
    tc = PrevFrame(tc, kDF30);
    ++steps;
  }
  EXPECT_EQ(steps, 108000 - 108);
}

TEST(TimecodeTest, SecondsConversion) {
  EXPECT_DOUBLE_EQ(TCToSeconds(MakeTC(1, 2, 3, 15), 30), 3723.5);
  EXPECT_DOUBLE_EQ(TCToSeconds(MakeTC(1, 2, 3, 15), kDF30), 3723.5);
  EXPECT_DOUBLE_EQ(TCToSeconds(MakeTC(0, 0, 0, 40), 25), 0.96);
  EXPECT_DOUBLE_EQ(TCToSeconds(MakeTC(0, 255, 0, 0), 30), -1.0);

  EXPECT_EQ(SecondsToTC(1.999, 30), MakeTC(0, 0, 2, 0));
  EXPECT_EQ(SecondsToTC(59.999, kDF30), MakeTC(0, 1, 0, 2));
  EXPECT_EQ(SecondsToTC(3661.5, 30), MakeTC(1, 1, 1, 15));
  EXPECT_EQ(SecondsToTC(-5, 30), 0u);
  EXPECT_EQ(SecondsToTC(std::nan(""), 30), 0u);
  EXPECT_EQ(SecondsToTC(90000, 30), MakeTC(23, 59, 59, 0));
  EXPECT_EQ(SecondsToTC(std::numeric_limits<double>::infinity(), 25), MakeTC(23, 59, 59, 0));
  for (int f = 0; f < 25; ++f) {
    const TimeCode t = MakeTC(23, 59, 58, f);
    ASSERT_EQ(SecondsToTC(TCToSeconds(t, 25), 25), t) << f;
  }
}

TEST(TimecodeTest, TextForms) {
  EXPECT_EQ(FormatTC(MakeTC(1, 2, 3, 4)), "01:02:03:04");
  EXPECT_EQ(FormatTCDigits(MakeTC(23, 59, 59, 29)), "23595929");

  EXPECT_EQ(ParseTCDigits("01020304", 30), MakeTC(1, 2, 3, 4));
  EXPECT_EQ(ParseTCDigits("0102", 30), MakeTC(1, 2, 0, 0));
  EXPECT_EQ(ParseTCDigits("01x20304", 30), MakeTC(1, 0, 3, 4));
  EXPECT_EQ(ParseTCDigits("01023", 30), MakeTC(1, 2, 3, 0));
  EXPECT_EQ(ParseTCDigits("", 30), 0u);
  EXPECT_EQ(ParseTCDigits("00005999", 30), MakeTC(0, 1, 2, 9));
  EXPECT_EQ(ParseTCDigits("00010000", kDF30), MakeTC(0, 1, 0, 2));
  EXPECT_EQ(ParseTCDigits("2600000099", 25), MakeTC(2, 0, 0, 0));

  EXPECT_EQ(FormatSeconds(0), "00:00:00:00");
  EXPECT_EQ(FormatSeconds(3723), "01:02:03:00");
  EXPECT_EQ(FormatSeconds(360000 + 59), "100:00:59:00");
  EXPECT_EQ(FormatSeconds(-5), "00:00:00:00");
}

TEST(TimecodeTest, ValueHelpers) {
  EXPECT_EQ(ZeroPad(123, 2), "23");
  EXPECT_EQ(ZeroPad(5, 2), "05");
  EXPECT_EQ(ZeroPad(42, 7), "0000042");
  EXPECT_EQ(ZeroPad(5, 20), "00000005");
  EXPECT_EQ(ZeroPad(5, 0), "");

  EXPECT_EQ(ReplaceAt("@ of @", "CH1"), "CH1 of CH1");
  EXPECT_EQ(ReplaceAt("none", "x"), "none");

  const std::uint8_t bytes[] = {0x00, 0x0A, 0xFF, 0x5C};
  EXPECT_EQ(HexBytes(bytes, 4), "000AFF5C");
  EXPECT_EQ(HexBytes(bytes, 0), "");

  EXPECT_EQ(ClampInt(5, 0, 10), 5);
  EXPECT_EQ(ClampInt(-1, 0, 10), 0);
  EXPECT_EQ(ClampInt(11, 0, 10), 10);
  EXPECT_DOUBLE_EQ(ClampDouble(1.5, 0, 1), 1.0);
  EXPECT_DOUBLE_EQ(ClampDouble(std::nan(""), -2, 1), -2.0);

  int a = 3, b = 1;
  OrderPair(a, b);
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 3);
  double x = 2.5, y = 0.5;
  OrderPair(x, y);
  EXPECT_EQ(x, 0.5);
  EXPECT_EQ(y, 2.5);
  OrderPair(x, y);
  EXPECT_EQ(x, 0.5);

  for (int id : {85, 88, 92, 108, 110, 123}) EXPECT_TRUE(IsLevelParam(id)) << id;
  for (int id : {84, 93, 107, 109, 111, 122, 124}) EXPECT_FALSE(IsLevelParam(id)) << id;
}

}  // namespace
}  // namespace orb
