// A new, empty title as the console holds one freshly initialised: every channel at the
// defaults Zero writes, no snapshots, cues, library entries or automation.
#pragma once

#include <string>
#include <string_view>

#include "core/model/Prompter.h"
#include "core/model/Status.h"
#include "core/model/Title.h"

namespace orb {

struct NewTitleSettings {
  int rate_mode = 0;  // 0 48k, 1 44.1k, 2 96k, 3 88.2k
  int tc_mode = 0;    // 0 … 4, as TCModeName names them
};

// "48k", "44.1k", "96k", "88.2k" (also with "Hz" or as "48kHz"); -1 for anything else.
int SampleRateModeOf(std::string_view text);
// A mode number "0" … "4" or its name ("30F/s NDF", …, "25F/s"); -1 for anything else.
int TimecodeModeOf(std::string_view text);

// Turns the title (fresh from its constructor) into the new title.
void InitialiseTitle(Title& title, const NewTitleSettings& settings);
// Writes the new title as path, named after the file; an existing file is never replaced
// (kCantOpenDestination). Settings out of range are refused (kFailed).
Status CreateTitle(const std::string& path, const NewTitleSettings& settings,
                   Prompter* prompter = nullptr);

}  // namespace orb
