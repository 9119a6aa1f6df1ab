// The INPUT ASSIGN and OUTPUT ASSIGN pages: the routing of the system data as buttons labelled
// with their sources, the insertion points, the programme dither and the pick list.
#pragma once

#include "core/pages/PageScene.h"

namespace orb {

// in.list must be the system data; another list gives an empty page with its header.
PageScene BuildInputAssignScene(const PageInput& in);
PageScene BuildOutputAssignScene(const PageInput& in);

}  // namespace orb
