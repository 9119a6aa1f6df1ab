// The automatable parameters, in the order the timeline's view list offers them.
#pragma once

#include <array>

namespace orb {

// The first is the view at start; the list's item index selects the view.
inline constexpr std::array<int, 101> kAutomationViews = {
    110, 109, 106, 85,  86, 87, 88, 89, 90, 91, 92, 69, 70,  71,  72,  73,  74,
    75,  76,  77,  78,  79, 80, 81, 82, 83, 84, 93, 94, 95,  96,  97,  98,  99,
    100, 108, 104, 112, 6,  7,  8,  9,  10, 11, 12, 13, 103, 107, 123, 120, 121,
    122, 105, 14,  15,  46, 51, 52, 55, 60, 45, 47, 48, 49,  50,  53,  56,  65,
    61,  57,  66,  62,  58, 67, 63, 54, 59, 68, 64, 17, 19,  42,  25,  22,  31,
    27,  28,  29,  32,  30, 26, 24, 20, 37, 40, 38, 33, 34,  35,  39,  36};

// The index of a parameter in the view list; -1 for one that is not automated.
constexpr int ViewIndexOf(int param) {
  for (std::size_t i = 0; i < kAutomationViews.size(); ++i) {
    if (kAutomationViews[i] == param) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace orb
