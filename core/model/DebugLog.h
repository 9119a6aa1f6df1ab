// The program-wide debug log: a ring of 256 lines, written anywhere in the core
// and drained by the main frame's refresh timer. Everything runs on one
// thread, so there is no lock.
#pragma once

#include <string>

namespace orb {

inline constexpr int kLogSlots = 256;

// Appends one line. When 256 lines are written without a read in between, the
// write index meets the read index and the pending lines are lost.
void LogLine(std::string text);

// The oldest unread line, or an empty text when there is none.
std::string NextLogLine();

// Forgets every line (done once at start-up).
void ClearLog();

// "0x" is not part of it: eight upper-case hexadecimal digits, as the log shows sizes.
std::string Hex8(unsigned long value);

}  // namespace orb
