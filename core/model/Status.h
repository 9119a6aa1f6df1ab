// Result codes of every file and model operation; 0 is success. Codes 1 and 2
// are reported silently, the others through their message.
#pragma once

namespace orb {

using Status = int;

inline constexpr Status kOk = 0;
inline constexpr Status kCancelled = 1;
inline constexpr Status kNothingFound = 2;
inline constexpr Status kFailed = 3;
inline constexpr Status kCantOpenSource = 0x10000;
inline constexpr Status kReadError = 0x10001;
inline constexpr Status kCantOpenDestination = 0x10010;
inline constexpr Status kWriteError = 0x10012;
inline constexpr Status kRenameFailed = 0x10020;

// The fixed message of a status; empty for the silent codes and unknown ones.
const char* StatusMessage(Status status);

// Whether the status is shown to the user at all (everything but 0, 1 and 2).
bool IsReportedStatus(Status status);

}  // namespace orb
