// The editor window's thirteen tabs: the page kind of each, the list it shows and whether
// it has a list pane; and the three libraries the library button chooses between.
#pragma once

#include <array>

#include "core/pages/PageKind.h"

namespace orb {

struct TabPage {
  const char* caption;
  PageKind kind;
  bool list_pane;
};

// In tab order.
inline constexpr std::array<TabPage, 13> kTabPages = {{
    {"CHANNEL", kPageChannel, true},
    {"OVERVIEW", kPageOverview, true},
    {"FADER", kPageFader, true},
    {"FADER GROUP", kPageFaderGroup, true},
    {"AUTOMATION", kPageAutomation, false},
    {"SNAPSHOT", kPageSnapshot, true},
    {"ISOLATE", kPageIsolate, false},
    {"CUE", kPageCue, true},
    {"INPUT ASSIGN", kPageInputAssign, false},
    {"OUTPUT ASSIGN", kPageOutputAssign, false},
    {"DYN LIB", kPageDynLib, true},
    {"EQ LIB", kPageEqLib, true},
    {"SETUP", kPageSetup, false},
}};
inline constexpr int kTabCount = static_cast<int>(kTabPages.size());

// The targets of New, Store and Recall on the system pages, by the library button's tag.
struct LibraryTarget {
  const char* caption;  // the button's caption
  const char* item;     // its popup item
  int list;             // list number
  PageKind page;        // the page kind of its tab
};
inline constexpr std::array<LibraryTarget, 3> kLibraryTargets = {{
    {"SNAPSHOT", "&SNAPSHOT", 1, kPageSnapshot},
    {"DYN LIB", "&DYN LIB", 3, kPageDynLib},
    {"EQ LIB", "&EQ LIB", 4, kPageEqLib},
}};

}  // namespace orb
