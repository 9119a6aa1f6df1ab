#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "core/model/Prompter.h"
#include "core/storage/Floppy.h"
#include "core/storage/Library.h"
#include "tests/TestFiles.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TempFolder.h"
#include "tools/TitleGenerator.h"

// The messages a script answers by identity: what a box shows of them, and that the library and
// the floppy sets ask by identity.
namespace orb {
namespace {

TEST(PrompterTest, KnownMessagesShowTheirTextAndButtons) {
  const struct {
    MessageId id;
    const char* detail;
    const char* text;
    Buttons buttons;
    bool default_no;
  } cases[] = {
      {MessageId::kFileExists, "Show will be replaced.",
       "File already exists. overwrite?\nShow will be replaced.", Buttons::kYesNoCancel, true},
      {MessageId::kDeleteTitle, "", "Are you sure?", Buttons::kYesNo, true},
      {MessageId::kInsertFirstDisk, "", "Please insert first disk.", Buttons::kOkCancel, false},
      {MessageId::kInsertSecondDisk, "", "Please insert second disk.", Buttons::kOkCancel, false},
      {MessageId::kOverwriteSlot, "Slot 01", "TITLE already exists. overwrite?\nSlot 01",
       Buttons::kYesNo, true},
      {MessageId::kReboot, "",
       "You must re-boot to refresh Title list at ORB-Q730 Version 2.1\nReboot now?",
       Buttons::kYesNo, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(Known(c.id).id, c.id);
    ScriptedPrompter prompter;
    prompter.Queue(Answer::kNo);
    EXPECT_EQ(prompter.Ask(c.id, "Caption", c.detail), Answer::kNo);
    ASSERT_EQ(prompter.shown().size(), 1u);
    const ScriptedPrompter::Shown& shown = prompter.shown()[0];
    EXPECT_EQ(shown.text, c.text);
    EXPECT_EQ(shown.caption, "Caption");
    EXPECT_EQ(shown.buttons, c.buttons);
    EXPECT_EQ(shown.default_no, c.default_no);
    EXPECT_EQ(shown.id, std::optional<MessageId>(c.id));
  }
}

TEST(PrompterTest, TheLibraryAndTheFloppySetsAskByIdentity) {
  const test::TempFolder library;
  const test::TempFolder disk;
  const std::string show = library.File("Show.orb");
  test::WriteFile(show, gen::MakeTitle({}));
  // A set that misses a file of the first disk.
  ScriptedPrompter exporter;
  ASSERT_EQ(ExportTitle(show, disk.str(), true, &exporter), kOk);
  std::filesystem::remove(disk.File("cue.dat"));

  ScriptedPrompter prompter;
  prompter.Queue(Answer::kNo);
  EXPECT_EQ(DeleteTitle(show, &prompter), kCancelled);
  std::string path = show;
  prompter.QueueTitleName("Show");
  prompter.Queue(Answer::kCancel);
  EXPECT_EQ(AskTitleName(path, &prompter), kCancelled);
  prompter.QueueTitleName("New");
  EXPECT_EQ(ImportTitle(disk.str(), library.str(), &prompter, false, &path), kCancelled);

  std::vector<std::optional<MessageId>> ids;
  for (const auto& shown : prompter.shown()) ids.push_back(shown.id);
  const std::optional<MessageId> dialog;
  EXPECT_EQ(ids, (std::vector<std::optional<MessageId>>{MessageId::kDeleteTitle, dialog,
                                                        MessageId::kFileExists, dialog,
                                                        MessageId::kInsertFirstDisk}));
  EXPECT_TRUE(std::filesystem::exists(show));
}

}  // namespace
}  // namespace orb
