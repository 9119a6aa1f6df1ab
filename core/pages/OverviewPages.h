// The OVERVIEW page (the system data) and the SNAPSHOT page (the snapshot at the cursor): 24
// channel strips of one bank with their switches, send bars, pan bar and fader.
#pragma once

#include <string>

#include "core/pages/PageScene.h"

namespace orb {

inline constexpr int kOverviewBanks = 3;
inline constexpr int kStripsPerBank = 24;

// The bank as shown: without a second bank of input channels (the high rate) bank 1 shows the
// masters. A bank outside 0 … 2 shows bank 0.
int ShownBank(const TQ730SYSF& system, int bank);
// The bank the PAGE switch steps to from the one shown: 0, 1, 2 and round, passing over bank 1
// where the layout has no second bank of input channels, so that no bank shows twice.
int NextBank(const TQ730SYSF& system, int bank);
// "1~24", "25~48" or "MASTERS".
std::string BankText(int shown_bank);
// The channel in column 0 … 23 of a bank shown, or -1 where the column stays empty.
int StripChannel(const TQ730SYSF& system, int shown_bank, int column);

PageScene BuildOverviewScene(const PageInput& in);

}  // namespace orb
