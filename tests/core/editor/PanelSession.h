// A title from the title generator opened in an editor session of its own, in a folder of its
// own that goes with it, with the parameter panel bound to the session.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "core/editor/PanelBinding.h"
#include "tests/TestFiles.h"
#include "tools/TitleGenerator.h"

namespace orb::test {

struct PanelSession {
  explicit PanelSession(const gen::TitleSpec& spec = {}) {
    static int opened = 0;
    folder = std::filesystem::temp_directory_path() /
             ("orb_panel_session_" + std::to_string(::getpid()) + "_" + std::to_string(opened++));
    std::filesystem::create_directories(folder);
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
    std::filesystem::remove_all(folder);
  }
  PanelSession(const PanelSession&) = delete;
  PanelSession& operator=(const PanelSession&) = delete;

  std::filesystem::path folder, path;
  TClip clip;
  ScriptedPrompter prompter;
  Status status = kOk;
  std::unique_ptr<EditSession> session;
  std::unique_ptr<PanelBinding> panel;
};

}  // namespace orb::test
