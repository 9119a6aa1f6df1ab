// A title from the title generator opened in an editor session, in a folder of the test's own,
// with the helpers that select rows as the list pane's clicks do.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "core/editor/EditSession.h"
#include "tests/TestFiles.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TempFolder.h"
#include "tools/TitleGenerator.h"

namespace orb {
namespace {

namespace fs = std::filesystem;

enum Tab {
  kChannelTab = 0,
  kOverviewTab = 1,
  kFaderGroupTab = 3,
  kAutomationTab = 4,
  kSnapshotTab = 5,
  kIsolateTab = 6,
  kCueTab = 7,
  kDynTab = 10,
  kEqTab = 11
};

class EditSessionTest : public ::testing::Test {
 protected:
  fs::path Write(const gen::TitleSpec& spec, const std::string& name = "Show") {
    const fs::path path = folder / (name + ".orb");
    test::WriteFile(path, gen::MakeTitle(spec));
    return path;
  }
  EditSession& Open(const gen::TitleSpec& spec = {}) {
    session = std::make_unique<EditSession>(clip, &prompter);
    EXPECT_EQ(session->Open(Write(spec).string()), kOk);
    session->Pane().SetGeometry(491, 440);
    return *session;
  }
  // Selects exactly these rows of the current list by clicking them with Ctrl.
  void Select(std::initializer_list<int> rows) {
    session->ClearSelect();
    for (int row : rows) {
      session->Pane().SetScrollPosition(0);
      session->Pane().MouseDown(20 + 20 * row, {false, true});
      session->Pane().MouseUp();
    }
  }
  std::vector<int> Selected() const {
    std::vector<int> rows;
    const TQ730& list = session->CurrentList();
    for (int i = 0; i < list.Count(); ++i)
      if (list.IsSelected(i)) rows.push_back(i);
    return rows;
  }
  std::string LastShown() const {
    return prompter.shown().empty()
               ? ""
               : prompter.shown().back().caption + ": " + prompter.shown().back().text;
  }

  test::TempFolder temp_;
  fs::path folder = temp_.path();
  TClip clip;
  ScriptedPrompter prompter;
  std::unique_ptr<EditSession> session;
};

}  // namespace
}  // namespace orb
