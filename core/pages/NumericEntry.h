// The panel's numeric keyboard entry for "TEMPO(BPM)", "OFFSET" and a cue's "TIME CODE" (and
// a cue's number): the text typed so far and the value it commits.
#pragma once

#include <string>

namespace orb {

struct NumericEntry {
  int id = 0;  // 0: no entry pending
  int channel = 0;
  std::string text;
  bool Pending() const { return id != 0; }
};

// Whether a click on a field of this id starts or commits an entry.
bool TakesNumericEntry(int id);

// The entry text a field starts with: three digits of the tempo, eight digits of a timecode
// (hours, minutes, seconds, frames; the value is the field's packed BCD), the cue number as it is.
std::string EntryStartText(int id, int value);
// A digit shifts in from the right; Backspace shifts right, a "0" coming in on the left.
void EntryDigit(NumericEntry& entry, char digit);
void EntryBackspace(NumericEntry& entry);
// Whether Enter may commit the entry: a timecode must name a frame that exists at the title's
// timecode mode as typed (hours below 24, minutes and seconds below 60, frames below the rate,
// no frame that drop-frame counting skips). The others always commit.
bool EntryAccepted(const NumericEntry& entry, int tc_mode);
// The value the entry commits: the tempo (120 when the text is no number) within 30 … 250, a
// timecode read with the title's timecode mode as packed BCD (the bytes the field holds), the
// cue number (0 when no number).
int EntryValue(const NumericEntry& entry, int tc_mode);

}  // namespace orb
