#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include "core/model/Title.h"
#include "core/storage/Library.h"
#include "tests/TestFiles.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TempFolder.h"
#include "tools/TitleGenerator.h"

namespace orb {
namespace {

namespace fs = std::filesystem;

using test::ReadFile;

class TitleLibraryTest : public ::testing::Test {
 protected:
  // A generated title stored under the file name name + ".orb".
  std::string AddTitle(const std::string& name, std::uint32_t seed = 1) {
    gen::TitleSpec spec;
    spec.name = name.substr(0, 23);
    spec.seed = seed;
    const auto bytes = gen::MakeTitle(spec);
    const fs::path path = folder / (name + ".orb");
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path.string();
  }
  std::string Path(const std::string& file_name) const { return (folder / file_name).string(); }
  std::vector<std::string> FileNames() const {
    std::vector<std::string> names;
    for (const auto& item : fs::directory_iterator(folder))
      names.push_back(item.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  std::string NameInside(const std::string& path) const {
    TitleInfo info;
    EXPECT_EQ(ReadTitleInfo(path, info), kOk) << path;
    return DescribeTitle(info).name;
  }

  test::TempFolder temp_;
  fs::path folder = temp_.path();
};

TEST(TitleNameTest, SanitizeReplacesEachForbiddenCharacter) {
  EXPECT_EQ(SanitizeTitleName("A/B:C.D"), "A_B_C_D");
  EXPECT_EQ(SanitizeTitleName("\\/:.;*?<>|"), "__________");
  EXPECT_EQ(SanitizeTitleName("Show 12 (final) & co_"), "Show 12 (final) & co_");
}

TEST_F(TitleLibraryTest, AskTitleNameLoopsThroughTheOverwriteQuestion) {
  AddTitle("Taken");
  const std::string proposed = Path("Proposed.orb");
  struct Case {
    const char* what;
    std::vector<std::optional<std::string>> names;
    std::vector<Answer> answers;
    Status status;
    std::string path;       // accepted path when status is kOk
    std::size_t questions;  // overwrite questions asked
  } cases[] = {
      {"free name, cleaned", {"A/B:C.D"}, {}, kOk, Path("A_B_C_D.orb"), 0},
      {"cut to 23", {std::string(30, 'x')}, {}, kOk, Path(std::string(23, 'x') + ".orb"), 0},
      {"dialog cancelled", {std::nullopt}, {}, kCancelled, "", 0},
      {"overwrite yes", {"Taken"}, {Answer::kYes}, kOk, Path("Taken.orb"), 1},
      {"overwrite cancel", {"Taken"}, {Answer::kCancel}, kCancelled, "", 1},
      {"no, then another name", {"Taken", "Fresh"}, {Answer::kNo}, kOk, Path("Fresh.orb"), 1},
      {"no, then cancel", {"Taken", std::nullopt}, {Answer::kNo}, kCancelled, "", 1},
      // No name asks again; a cut never splits a character ("é" is two bytes).
      {"empty, then a name", {"", "Fresh"}, {}, kOk, Path("Fresh.orb"), 0},
      {"cut before a character",
       {std::string(22, 'x') + "\xC3\xA9"},
       {},
       kOk,
       Path(std::string(22, 'x') + ".orb"),
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScriptedPrompter prompter;
    for (const auto& name : c.names) prompter.QueueTitleName(name);
    for (Answer answer : c.answers) prompter.Queue(answer);
    std::string path = proposed;
    EXPECT_EQ(AskTitleName(path, &prompter), c.status);
    EXPECT_EQ(path, c.status == kOk ? c.path : proposed);
    // The dialog opens with the proposed name, and after No with the name entered.
    ASSERT_FALSE(prompter.shown().empty());
    EXPECT_EQ(prompter.shown()[0].text, "Proposed");
    EXPECT_EQ(prompter.shown()[0].caption, "Title Name");
    std::size_t questions = 0;
    std::size_t dialogs = 0;
    for (std::size_t i = 0; i < prompter.shown().size(); ++i) {
      const auto& shown = prompter.shown()[i];
      if (shown.caption == "Title Name" && dialogs++ > 0) {
        EXPECT_EQ(shown.text, c.names[dialogs - 2].value_or(""));
      }
      if (shown.caption != "Import") continue;
      ++questions;
      EXPECT_EQ(shown.text,
                "File already exists. overwrite?\nThe title \"Taken\" will be replaced.");
      EXPECT_EQ(shown.buttons, Buttons::kYesNoCancel);
      EXPECT_TRUE(shown.default_no);
    }
    EXPECT_EQ(questions, c.questions);
  }
  EXPECT_EQ(FileNames(), std::vector<std::string>{"Taken.orb"});
}

TEST_F(TitleLibraryTest, DeleteAsksAndReportsFailure) {
  const std::string path = AddTitle("Gone");
  ScriptedPrompter prompter;
  prompter.Queue(Answer::kNo);
  EXPECT_EQ(DeleteTitle(path, &prompter), kCancelled);
  EXPECT_TRUE(fs::exists(path));
  ASSERT_EQ(prompter.shown().size(), 1u);
  EXPECT_EQ(prompter.shown()[0].text, "Are you sure?\nThe title \"Gone\" will be deleted.");
  EXPECT_EQ(prompter.shown()[0].caption, "Delete");
  EXPECT_EQ(prompter.shown()[0].buttons, Buttons::kYesNo);
  EXPECT_TRUE(prompter.shown()[0].default_no);
  ASSERT_EQ(LockTitle(path, true), kOk);
  prompter.Queue(Answer::kNo);
  EXPECT_EQ(DeleteTitle(path, &prompter), kCancelled);
  EXPECT_EQ(prompter.shown().back().text,
            "Are you sure?\nThe title \"Gone\" is locked and will be deleted.");
  prompter.Queue(Answer::kYes);
  EXPECT_EQ(DeleteTitle(path, &prompter), kOk);
  EXPECT_FALSE(fs::exists(path));
  prompter.Queue(Answer::kYes);
  EXPECT_EQ(DeleteTitle(path, &prompter), kFailed);
}

TEST_F(TitleLibraryTest, RenameMovesAndStampsButNeverReplaces) {
  const std::string show = AddTitle("Show", 1);
  const std::string other = AddTitle("Other", 2);
  std::string new_path;
  ASSERT_EQ(RenameTitle(show, "A/B", &new_path), kOk);
  EXPECT_EQ(new_path, Path("A_B.orb"));
  EXPECT_EQ(NameInside(new_path), "A_B");
  EXPECT_FALSE(fs::exists(show));
  {
    Title title;  // the stamp renewed the checksum, so the title still loads
    EXPECT_EQ(title.OpenTitle(new_path), kOk);
  }

  const auto before_a = ReadFile(new_path);
  const auto before_other = ReadFile(other);
  std::string why;
  EXPECT_EQ(RenameTitle(new_path, "Other", nullptr, nullptr, &why), kRenameFailed);
  EXPECT_EQ(why, "The name \"Other\" is in use.");
  EXPECT_EQ(RenameTitle(new_path, "", nullptr, nullptr, &why), kRenameFailed);  // no hidden ".orb"
  EXPECT_EQ(why, "A title needs a name.");
  EXPECT_EQ(ReadFile(new_path), before_a);
  EXPECT_EQ(ReadFile(other), before_other);

  // The title manager's Rename: the dialog starts from the title's name.
  ScriptedPrompter prompter;
  prompter.QueueTitleName(std::nullopt);
  EXPECT_EQ(AskRenameTitle(other, &prompter), kCancelled);
  ASSERT_EQ(prompter.shown().size(), 1u);
  EXPECT_EQ(prompter.shown()[0].text, "Other");
  prompter.QueueTitleName("Renamed");
  EXPECT_EQ(AskRenameTitle(other, &prompter, &new_path), kOk);
  EXPECT_EQ(NameInside(Path("Renamed.orb")), "Renamed");
  EXPECT_EQ(FileNames(), (std::vector<std::string>{"A_B.orb", "Renamed.orb"}));
}

TEST_F(TitleLibraryTest, BackupNamesTheCopyAndGivesUpAfter99) {
  const std::string show = AddTitle("Show");
  ScriptedPrompter prompter;
  std::string copy;
  ASSERT_EQ(BackupTitle(show, &copy, &prompter), kOk);
  EXPECT_EQ(copy, Path("copy1 Show.orb"));
  EXPECT_EQ(NameInside(copy), "copy1 Show");
  EXPECT_EQ(prompter.busy_depth(), 0);
  ASSERT_EQ(BackupTitle(show, &copy), kOk);
  EXPECT_EQ(copy, Path("copy2 Show.orb"));
  // Apart from the name and the checksum the copy is the title.
  auto original = ReadFile(show), copied = ReadFile(copy);
  ASSERT_EQ(original.size(), copied.size());
  for (auto* bytes : {&original, &copied}) {
    std::fill_n(bytes->begin() + 16 + 6, 24, 0);
    std::fill_n(bytes->begin() + 16 + 12286, 2, 0);
  }
  EXPECT_TRUE(original == copied);

  // The name is cut to 23 characters before the extension is set.
  const struct {
    const char* title;
    const char* copy;
  } cuts[] = {
      {"ABCDEFGHIJKLMNOPQRST", "copy1 ABCDEFGHIJKLMNOPQ.orb"},  // 20 characters: ".orb" added
      {"ABCDEFGHIJKLMNO", "copy1 ABCDEFGHIJKLMNO.orb"},         // cut left ".o": replaced
  };
  for (const auto& cut : cuts) {
    ASSERT_EQ(BackupTitle(AddTitle(cut.title), &copy), kOk) << cut.title;
    EXPECT_EQ(fs::path(copy).filename(), cut.copy);
    EXPECT_EQ(NameInside(copy), TitleNameOf(cut.copy));
  }

  for (int n = 3; n <= 99; ++n) std::ofstream(Path("copy" + std::to_string(n) + " Show.orb"));
  const auto files = FileNames();
  EXPECT_EQ(BackupTitle(show, &copy, &prompter), kFailed);
  EXPECT_EQ(prompter.busy_depth(), 0);
  EXPECT_EQ(FileNames(), files);

  // A file that is no title gets no copy: the stamp fails before it appears.
  std::ofstream(Path("Junk.orb")) << "not a title";
  EXPECT_NE(BackupTitle(Path("Junk.orb"), &copy), kOk);
  EXPECT_FALSE(fs::exists(Path("copy1 Junk.orb")));
  EXPECT_EQ(FileNames().size(), files.size() + 1);
}

TEST_F(TitleLibraryTest, LockAndListing) {
  const std::string path = AddTitle("beta");
  AddTitle("Alpha");
  AddTitle("Gamma");
  fs::rename(Path("Gamma.orb"), Path("Gamma.ORB"));
  fs::create_directory(Path("folder.orb"));
  std::ofstream(Path("notes.txt"));
  std::ofstream(Path("Alpha.orb.4711.0.tmp"));  // an unfinished import

  auto before = ReadFile(path);
  ASSERT_EQ(LockTitle(path, true), kOk);
  TitleInfo info;
  ASSERT_EQ(ReadTitleInfo(path, info), kOk);
  EXPECT_EQ(info[5], 1);
  ASSERT_EQ(LockTitle(path, false), kOk);
  EXPECT_EQ(ReadFile(path), before);

  std::vector<std::string> names, paths;
  for (const LibraryEntry& entry : ListTitles(folder.string())) {
    names.push_back(entry.name);
    paths.push_back(entry.path);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"Alpha", "beta", "Gamma"}));
  EXPECT_EQ(paths[2], Path("Gamma.ORB"));
  EXPECT_TRUE(ListTitles(Path("missing")).empty());
  ASSERT_EQ(LockTitle(Path("Alpha.orb"), true), kOk);
  std::vector<bool> locked;
  for (const LibraryEntry& entry : ListTitles(folder.string())) locked.push_back(entry.locked);
  EXPECT_EQ(locked, (std::vector<bool>{true, false, false}));

  const struct {
    const char* name;
    const char* filter;
    bool kept;
  } filters[] = {{"Show 12", "", true},    {"Show 12", "show", true}, {"Show 12", "W 1", true},
                 {"Show 12", "13", false}, {"beta", "Beta", true},    {"beta", "betas", false}};
  for (const auto& f : filters)
    EXPECT_EQ(MatchesTitleFilter(f.name, f.filter), f.kept) << f.name << " / " << f.filter;
}

TEST_F(TitleLibraryTest, ATitleFileFromElsewhereComesInNamedAndWhole) {
  const fs::path outside = folder / "outside";
  fs::create_directories(outside);
  gen::TitleSpec spec;
  spec.name = "Elsewhere";
  const auto bytes = gen::MakeTitle(spec);
  const std::string show = (outside / "Show.orb").string();
  test::WriteFile(show, bytes);
  const std::string cut = (outside / "Cut.orb").string();
  test::WriteFile(cut, std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + bytes.size() / 2));
  const std::string library = (folder / "lib").string();
  fs::create_directories(library);

  ScriptedPrompter prompter;
  std::string added;
  prompter.QueueTitleName("Show");
  ASSERT_EQ(AddTitleFile(show, library, &prompter, nullptr, &added), kOk);
  EXPECT_EQ(added, library + "/Show.orb");
  EXPECT_EQ(prompter.shown().at(0).text, "Show");  // the dialog proposes the file's name
  EXPECT_EQ(NameInside(added), "Show");            // the copy carries its own name
  EXPECT_TRUE(fs::exists(show));

  // The same name again: the overwrite question, No, and another name.
  prompter = ScriptedPrompter();
  prompter.QueueTitleName("Show");
  prompter.Queue(Answer::kNo);
  prompter.QueueTitleName("Show 2");
  ASSERT_EQ(AddTitleFile(show, library, &prompter, nullptr, &added), kOk);
  EXPECT_EQ(NameInside(library + "/Show 2.orb"), "Show 2");
  EXPECT_TRUE(IsQuestion(prompter.shown().at(1).text, kFileExistsQuestion));

  // A damaged title is refused before anything is asked; a cancelled dialog adds nothing.
  prompter = ScriptedPrompter();
  EXPECT_NE(AddTitleFile(cut, library, &prompter), kOk);
  EXPECT_TRUE(prompter.shown().empty());
  EXPECT_EQ(AddTitleFile(show, library, &prompter), kCancelled);
  EXPECT_EQ(ListTitles(library).size(), 2u);
}

}  // namespace
}  // namespace orb
