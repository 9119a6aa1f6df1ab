// The routing name tables of the assign pages: for each routing value a short label of one or
// two lines (drawn on a 40 x 40 button) and a long name (the pick list), and the pick lists.
#pragma once

#include <string>
#include <vector>

#include "core/model/Q730classes.h"

namespace orb {

// The four tables' sizes; a value outside them has empty texts.
inline constexpr int kInputSourceNames = 143;
inline constexpr int kOutputSourceNames = 87;
// The insertion points show only the first names of the output table (none, PGM, AUX, MTR).
inline constexpr int kInsertionSourceNames = 19;

// Routing value 0 of every table: "NC", no connection.
inline constexpr int kNoConnection = 0;

// As drawn: every "@" is shown as "MADI"; the two lines are separated by '\n'.
std::string InputShortLabel(int value);
std::string InputLongName(int value);
std::string OutputShortLabel(int value);
std::string OutputLongName(int value);

struct PickItem {
  int value;
  std::string text;
  bool operator==(const PickItem&) const = default;
};

// The input list (INPUT ASSIGN) or the output list (OUTPUT ASSIGN) for the title's layout.
std::vector<PickItem> InputPickList(const TQ730SYSF& system);
std::vector<PickItem> OutputPickList(const TQ730SYSF& system);

}  // namespace orb
