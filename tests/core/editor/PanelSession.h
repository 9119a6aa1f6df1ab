// A title from the title generator opened in an editor session of its own, in a folder of its
// own that goes with it, with the parameter panel bound to the session.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "core/editor/PanelBinding.h"
#include "tests/TestFiles.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TempFolder.h"
#include "tools/TitleGenerator.h"

namespace orb::test {

struct PanelSession {
  explicit PanelSession(const gen::TitleSpec& spec = {}) {
    path = folder / "Show.orb";
    WriteFile(path, gen::MakeTitle(spec));
    session = std::make_unique<EditSession>(clip, &prompter);
    status = session->Open(path.string());
    session->Pane().SetGeometry(491, 440);
    panel = std::make_unique<PanelBinding>(*session);
  }
  ~PanelSession() {
    panel.reset();
    session.reset();
  }
  PanelSession(const PanelSession&) = delete;
  PanelSession& operator=(const PanelSession&) = delete;

  TempFolder temp;
  std::filesystem::path folder = temp.path(), path;
  TClip clip;
  ScriptedPrompter prompter;
  Status status = kOk;
  std::unique_ptr<EditSession> session;
  std::unique_ptr<PanelBinding> panel;
};

}  // namespace orb::test
