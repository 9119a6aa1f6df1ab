// The CUE page: the cue list as a table of six columns, one row per cue from the list's scroll
// position, each cell the control of one cue parameter.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/pages/PageScene.h"

namespace orb {

inline constexpr int kCueColumns = 6;
inline constexpr int kCueHeaderTop = 52;
inline constexpr int kCueRowsTop = 71;
inline constexpr int kCueRowHeight = 20;

// The heading of the column 0 … 5 ("TIME CODE" … "EVENT NAME"); empty outside them.
const char* CueColumnTitle(int column);

// The text of a cue's cell in the column 0 … 5 (the cue names its channel in the system data and
// its event in the recalled lists of the input); empty for a cue outside the list.
std::string CueCellText(const PageInput& in, int cue, int column);

// The text cut from the end and followed by "..." until it is at most limit wide.
std::string FitCell(std::string text, const std::function<int(std::string_view)>& width, int limit);

PageScene BuildCueScene(const PageInput& in);

// Whether the cue recalls a record of a list (snapshot, EQ or dynamics library), whose number
// the NUMBER list picks.
bool CueRecallsRecord(int event);

// The drop-down list of a cue's NUMBER: over the cell, down to the panel's bottom edge at
// most, "00 : INITIAL SNAPSHOT" (snapshots) or "00 :" (libraries) and then every record of
// the recalled list by number and name; no items when the cue recalls nothing. chosen is the
// cue's number, -1 when the list has no such row.
struct CueNumberList {
  PageRect box;
  std::vector<PickItem> items;
  int chosen = -1;
};
CueNumberList CueNumberListOf(const PageInput& in, int cue, const PageRect& cell);

}  // namespace orb
