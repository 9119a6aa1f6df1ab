// The CUE page: the cue list as a table of six columns, one row per cue from the list's scroll
// position, each cell the control of one cue parameter.
#pragma once

#include <string>
#include <string_view>

#include "core/pages/PageScene.h"

namespace orb {

inline constexpr int kCueColumns = 6;
inline constexpr int kCueHeaderTop = 52;
inline constexpr int kCueRowsTop = 71;
inline constexpr int kCueRowHeight = 20;

// The text of a cue's cell in the column 0 … 5 (the cue names its channel in the system data and
// its event in the recalled lists of the input); empty for a cue outside the list.
std::string CueCellText(const PageInput& in, int cue, int column);

// The text cut from the end and followed by "..." until it is at most limit wide.
std::string FitCell(std::string text, const std::function<int(std::string_view)>& width, int limit);

PageScene BuildCueScene(const PageInput& in);

}  // namespace orb
