// The page kind: the number of a tab's page, shared by the editor window, the page scenes and
// the parameter panel.
#pragma once

namespace orb {

// Kinds 0 to 5 show the list of the same number; the others show the system data.
enum PageKind : int {
  kPageChannel = 0,
  kPageSnapshot = 1,
  kPageCue = 2,
  kPageDynLib = 3,
  kPageEqLib = 4,
  kPageAutomation = 5,
  kPageOverview = 6,
  kPageFader = 7,
  kPageFaderGroup = 8,
  kPageInputAssign = 9,
  kPageOutputAssign = 10,
  kPageSetup = 11,
  kPageIsolate = 12,
};
inline constexpr int kPageKinds = 13;

// The list number (0 system data … 5 automation) a page kind shows.
constexpr int ListOfPage(int kind) {
  return kind >= kPageChannel && kind <= kPageAutomation ? kind : 0;
}

}  // namespace orb
