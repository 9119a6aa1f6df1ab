// The texts the console shows for parameter values: a value text and a unit text.
#pragma once

#include <string>
#include <string_view>

#include "core/model/Q730classes.h"

namespace orb {

struct ValueTexts {
  std::string value;
  std::string unit;
};

// A value text of the pages without the padding that aligns it there.
std::string Unpadded(std::string_view text);

// The value for a line of text: without the padding the pages give it, the unit only after a
// number ("-0.7 dB", "OFF", "L12").
std::string ValueAndUnit(const ValueTexts& texts);

// What some texts depend on besides the value: the channel's delay unit (parameter 4), the
// sample-rate code and the timecode mode of the title.
struct ValueContext {
  int delay_unit = 0;
  int rate_mode = 0;
  int tc_mode = 0;
};

// The context of the parameter as the list's current record holds it.
ValueContext ValueContextOf(const TQ730& list, int channel, int id);

// Empty texts for a negative value, a value beyond the id's table and an id without a text.
ValueTexts FormatValue(int id, int value, const ValueContext& context = {});

// The SETUP page's word clock reference: bytes 132 to 134 as one 24-bit value; empty for a
// value no item of its menu stores.
std::string WordClockText(int value);

// The prefix of the channels a dynamics key can name in this kind ("CH ", "MTR ", "AUX "), null
// for the kinds that have no key menu.
const char* DynamicsKeyPrefix(int kind);

// The dynamics key as its menu reads it: the stored value is an index within the channel's own
// kind (the byte does not say another kind). "LOCAL" for the channel itself; a value the layout
// cannot name shows its key number.
std::string DynamicsKeyText(const TQ730SYSF& system, int channel, int value);

// The text of the parameter as the list's current record holds it.
ValueTexts ValueText(const TQ730& list, int channel, int id);

// The gain of an EQ band value (parameters 65 to 68) in dB; NaN outside 0 … 127.
double EqGainDb(int value);

// The ratio of an EXP (28) or COMP (34) ratio value, as the graphs draw it: the COMP's last
// step is infinite; NaN for another id or a value outside 0 … 30.
double DynamicsRatio(int id, int value);

// The EQ frequency of a table index in Hz (27.5 Hz × 2^(index / 12) with the console's round
// values at 50, 60, 100, 120, 200 and 240 Hz); 0 outside 0 … 127.
double EqFrequency(int index);

}  // namespace orb
