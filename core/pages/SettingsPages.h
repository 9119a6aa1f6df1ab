// The pages of the console's global settings in the system data: FADER GROUP (the eight groups
// and the channels of the chosen one), ISOLATE (what a snapshot recall leaves alone) and SETUP.
#pragma once

#include <string>

#include "core/pages/PageScene.h"

namespace orb {

inline constexpr int kGroupTypeCut = 2;

// The membership parameter the FADER GROUP page's channel buttons show for the group: the cut
// group for a CUT group, else the fader group.
int MembershipParam(const TQ730SYSF& system, int group);

PageScene BuildFaderGroupScene(const PageInput& in);
PageScene BuildIsolateScene(const PageInput& in);
PageScene BuildSetupScene(const PageInput& in);

}  // namespace orb
