// Value texts read back: the stored value a typed text names for a parameter, the inverse of
// the value texts the pages show.
#pragma once

#include <string>
#include <string_view>

#include "core/model/ValueText.h"

namespace orb {

struct ValueReading {
  int value = -1;      // the nearest step the parameter has, clamped to 0 … max; -1: unread
  std::string reason;  // why the text cannot be read, when value is -1
  bool Ok() const { return value >= 0; }
};

// Reads what the pages show for the parameter (" -7.25", "  OFF", " *0.0", " L12 ", "1.05k",
// " 400u", "SOFT", with or without the unit) and what people type: a comma for the point,
// "1k2", a unit of their own ("1200 Hz", "12.5 ms", "2.5F", "-inf"). A bare number is in the
// unit the page shows. max: the parameter's highest stored value.
ValueReading ReadValue(int id, std::string_view text, int max, const ValueContext& context = {});

// The same for the parameter as the list's current record holds it: its range, delay unit,
// rates and, for the dynamics key, the channel names of its kind.
ValueReading ReadValueText(const TQ730& list, int channel, int id, std::string_view text);

// Whether what the page shows falls as the stored value rises (the thresholds and ranges, whose
// first step is 0 dB), so that raising the shown value lowers the stored one.
bool ShownValueFalls(int id);

// Whether two texts name the same item: case, blanks and "&" marks aside.
bool SameValueText(std::string_view a, std::string_view b);

}  // namespace orb
