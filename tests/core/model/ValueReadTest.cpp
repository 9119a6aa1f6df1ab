#include <gtest/gtest.h>

#include <map>
#include <string>

#include "core/model/ParamModel.h"
#include "core/model/Q730.h"
#include "core/model/Q730sysf.h"
#include "core/model/ValueRead.h"

namespace orb {
namespace {

// Every parameter the model has, with its highest stored value at each rate.
std::map<std::pair<int, int>, int> EveryParameter() {
  std::map<std::pair<int, int>, int> found;  // (rate, id) -> max
  for (int rate = 0; rate < 4; ++rate) {
    const auto add = [&found, rate](std::span<const ParamDescriptor> rows) {
      for (const ParamDescriptor& d : rows)
        found[{rate, d.id}] = std::max(found[{rate, d.id}], d.max);
    };
    for (int kind = 0; kind < 5; ++kind) add(StripParams(kind, rate));
    add(DynamicsLibraryParams());
    add(EqLibraryParams(rate));
    for (int id = 1; id < kParamIdLimit; ++id) {
      if (const ParamDescriptor* d = FindSystemParam(id)) add({d, 1});
    }
  }
  return found;
}

void ExpectReadsBack(int id, int value, int max, const ValueContext& context) {
  const ValueTexts shown = FormatValue(id, value, context);
  if (shown.value.empty()) return;
  for (const std::string& text : {shown.value, shown.value + " " + shown.unit}) {
    const ValueReading read = ReadValue(id, text, max, context);
    ASSERT_TRUE(read.Ok()) << "id " << id << " value " << value << " \"" << text
                           << "\": " << read.reason;
    ASSERT_EQ(FormatValue(id, read.value, context).value, shown.value)
        << "id " << id << " value " << value << " read as " << read.value;
  }
}

// Text -> value -> the same text, for every parameter and every stored value; the delay, the
// offset and the word clock, whose values run into the millions, at every value their texts
// can tell apart (a stride below one text step) and at their ends.
TEST(ValueReadTest, EveryShownTextReadsBackToItself) {
  int checked = 0;
  for (const auto& [key, max] : EveryParameter()) {
    const auto [rate, id] = key;
    ValueContext context{0, rate, 0};
    if (id == kParamDelay) {
      for (int unit = 0; unit <= 4; ++unit) {
        for (int tc = 0; tc <= 4; tc += 4) {
          const ValueContext c{unit, rate, tc};
          const int stride =
              unit == 2 || unit == 3 ? 256 : 997;  // a tenth of a ms is 1102 at least
          for (int v = 0; v <= max; v += stride) ExpectReadsBack(id, v, max, c);
          ExpectReadsBack(id, max, max, c);
          checked += max / stride;
        }
      }
    } else if (id == kParamOffset) {
      for (int tc = 0; tc <= 4; ++tc) {
        for (TimeCode t : {MakeTC(0, 0, 0, 0), MakeTC(23, 59, 59, tc == 4 ? 24 : 29),
                           MakeTC(1, 2, 3, 4), MakeTC(10, 0, 59, 10)}) {
          ExpectReadsBack(id, static_cast<int>(ToBCD(t)), max, {0, rate, tc});
          ++checked;
        }
      }
    } else if (id == kParamWordClock) {
      for (int source = 0; source < 256; ++source) {
        for (int high : {0x0000, 0x0100, 0xFF00, 0x01FF00, 0x03FF00, 0x04FF00, 0xFFFF00})
          ExpectReadsBack(id, high | source, max, context);
      }
    } else if (!FormatValue(id, 0, context).value.empty() ||
               !FormatValue(id, 1, context).value.empty()) {
      ASSERT_LT(max, 1 << 16) << id;
      for (int v = 0; v <= max; ++v) ExpectReadsBack(id, v, max, context);
      checked += max + 1;
    }
  }
  EXPECT_GT(checked, 100000);
}

struct Typed {
  int id;
  const char* text;
  const char* shown;  // the value text of what it reads as; null: refused
  ValueContext context = {};
};

// What people type: units of their own, commas, the typographic minus, values between and
// beyond the steps.
const Typed kTyped[] = {
    {kParamTrim, "-3.5", "-3.50"},
    {kParamTrim, "-3,5 dB", "-3.50"},
    {kParamTrim,
     "\xE2\x88\x92"
     "7.25",
     "-7.25"},
    {kParamTrim, "+4.5", " 4.50"},
    {kParamTrim, "-7.3", "-7.25"},
    {kParamTrim, "99", "15.00"},
    {kParamTrim, "-inf", "-15.0"},
    {kParamTrim, "4.5 Hz", nullptr},
    {kParamTrim, "loud", nullptr},
    {kParamTrim, "  ", nullptr},
    {kParamTrim, "1..2", nullptr},
    {kParamFaderLevel, "-3.5", " -3.5"},
    {kParamFaderLevel, "OFF", "  OFF"},
    {kParamFaderLevel, "-inf", "  OFF"},
    {kParamFaderLevel, "-100", "  OFF"},
    {kParamFaderLevel, "0", " *0.0"},
    {kParamFaderLevel, "0.0", "  0.0"},
    {kParamFaderLevel, "-0.0", " -0.0"},
    {kParamFaderLevel, "+20 dB", " 10.0"},
    {kParamEqHighMidFreq, "1.2k", "1.17k"},
    {kParamEqHighMidFreq, "1k2", "1.17k"},
    {kParamEqHighMidFreq, "1200 Hz", "1.17k"},
    {kParamEqHighMidFreq, "1,2 kHz", "1.17k"},
    {kParamEqHighMidFreq, "1.2 dB", nullptr},
    {kParamEqHighMidFreq, "1m2", nullptr},
    {kParamEqLowFreq, "1.2k", "880.0"},
    {kParamCompDuckAttack, "12.5 ms", "12.6m"},
    {kParamCompDuckAttack, "400us", " 400u"},
    {kParamCompDuckAttack, "0.4m", " 400u"},
    {kParamCompDuckAttack, "400 \xC2\xB5s", " 400u"},
    {kParamCompDuckAttack, "1 s", " 316m"},
    {kParamCompDuckRelease, "2", " 2.00"},
    {kParamCompDuckRelease, "2 kHz", nullptr},
    {kParamCompRatio, "inf", " oo "},
    {kParamCompRatio, "4:1", " 3.8"},
    {kParamExpRatio, "oo", "10.0"},
    {kParamEqLowQ, "2.5", "2.50"},
    {kParamEqLowGain, "20", " 20.0 "},
    {kParamEqLowGain, "-14.5", "-15.0"},
    {kParamSurroundDivergence, "50 %", "50"},
    {kParamPan, "L12", " L12 "},
    {kParamPan, "12r", "  12R"},
    {kParamPan, "C", "  00 "},
    {kParamPan, "R99", "  63R"},
    {kParamPan, "-5", " L05 "},
    {kParamPan, "L-3", nullptr},
    {kParamCompKnee, "soft", "SOFT"},
    {kParamCompKnee, "3", "3"},
    {kParamCompKnee, "medium", nullptr},
    {kParamDelayUnit, "word coarse", "WORD COARSE"},
    {kParamGroupType, "vca", "VCA"},
    {kParamDelay, "12.5 ms", "12.5"},
    {kParamDelay, "12.5", "12.5"},
    {kParamDelay, "2.5F", "83.3"},
    {kParamDelay, "0.1 s", "100.0"},
    {kParamDelay, "2.5F", "2.5", {4, 0, 0}},
    {kParamDelay, "2.5", "2.5", {4, 0, 4}},
    {kParamDelay, "480 w", "480", {2, 0, 0}},
    {kParamDelay, "-3 ms", "0.0"},
    {kParamDelay, "5 Hz", nullptr},
    {kParamDelay, "5 mF", nullptr},
    {kParamOffset, "01:02:03:04", "01:02:03:04"},
    {kParamOffset, "01020304", "01:02:03:04"},
    {kParamOffset, "01:02:03:29", nullptr, {0, 0, 4}},
    {kParamOffset, "1:2", nullptr},
    {kParamWordClock, "slot 2 3/4", "SLOT 2 3/4"},
    {kParamWordClock, "SLOT 5 1/2", nullptr},
};

TEST(ValueReadTest, TypedTexts) {
  for (const Typed& row : kTyped) {
    SCOPED_TRACE(std::to_string(row.id) + " \"" + row.text + "\"");
    int max = 0;
    for (const auto& [key, m] : EveryParameter()) {
      if (key == std::pair{row.context.rate_mode, row.id}) max = m;
    }
    const ValueReading read = ReadValue(row.id, row.text, max, row.context);
    if (!row.shown) {
      EXPECT_FALSE(read.Ok()) << read.value;
      EXPECT_FALSE(read.reason.empty());
      continue;
    }
    ASSERT_TRUE(read.Ok()) << read.reason;
    EXPECT_EQ(FormatValue(row.id, read.value, row.context).value, row.shown);
  }
}

// Switches and plain counts have no value text: ON and OFF, or a whole number within range.
TEST(ValueReadTest, SwitchesAndCounts) {
  EXPECT_EQ(ReadValue(kParamPhase, "ON", 1).value, 1);
  EXPECT_EQ(ReadValue(kParamPhase, "off", 1).value, 0);
  EXPECT_EQ(ReadValue(kParamPhase, "7", 1).value, 1);
  EXPECT_FALSE(ReadValue(kParamPhase, "maybe", 1).Ok());
  EXPECT_EQ(ReadValue(kParamTempo, "133", 250).value, 133);
  EXPECT_EQ(ReadValue(kParamTempo, "999", 250).value, 250);
  EXPECT_FALSE(ReadValue(kParamTempo, "1.2k", 250).Ok());
  EXPECT_FALSE(ReadValue(kParamTrim, "0", -1).Ok());
}

// Through a list: its range, its delay unit and rate, the dynamics key's channel names.
TEST(ValueReadTest, ReadsForTheListsChannel) {
  TQ730SYSF system;
  system.Block()[41] = 1;  // 44.1 kHz
  system.SetParam(0, kParamDelayUnit, 2);
  EXPECT_EQ(ReadValueText(system, 3, kParamDelay, "441").value, 441 * 256);
  system.SetParam(0, kParamDelayUnit, 0);
  EXPECT_EQ(ReadValueText(system, 3, kParamDelay, "100").value, 4410 * 256);
  EXPECT_EQ(ReadValueText(system, 3, kParamDynamicsKey, "local").value, 3);
  EXPECT_EQ(ReadValueText(system, 3, kParamDynamicsKey, "CH 7").value, 6);
  EXPECT_FALSE(ReadValueText(system, 3, kParamDynamicsKey, "AUX 1").Ok());
  EXPECT_FALSE(ReadValueText(system, 73, kParamTrim, "0").Ok());  // beyond the layout
}

}  // namespace
}  // namespace orb
