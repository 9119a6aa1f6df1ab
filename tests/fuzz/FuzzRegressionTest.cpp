#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz/FuzzTargets.h"
#include "tests/TestFiles.h"

namespace orb {
namespace {

namespace fs = std::filesystem;

// Every input that once made a fuzz target fail is kept and must stay harmless.
void Replay(const char* target, int (*entry)(const std::uint8_t*, std::size_t)) {
  const fs::path folder = fs::path(ORB_FUZZ_REGRESSIONS) / target;
  int replayed = 0;
  if (fs::exists(folder)) {
    for (const auto& item : fs::directory_iterator(folder)) {
      if (!item.is_regular_file() || item.path().filename() == ".keep") continue;
      const auto bytes = test::ReadFile(item.path());
      SCOPED_TRACE(item.path().string());
      EXPECT_EQ(entry(bytes.data(), bytes.size()), 0);
      ++replayed;
    }
  }
  ::testing::Test::RecordProperty("replayed", replayed);
}

// The seeds of a target: its good paths.
void RunSeeds(const char* seeds, int (*entry)(const std::uint8_t*, std::size_t)) {
  for (const auto& item :
       fs::directory_iterator(fs::path(ORB_FUZZ_REGRESSIONS) / ".." / "seeds" / seeds)) {
    const auto bytes = test::ReadFile(item.path());
    EXPECT_EQ(entry(bytes.data(), bytes.size()), 0) << item.path();
  }
}

TEST(FuzzRegressionTest, ChunkLoaders) {
  Replay("chunk_loaders", FuzzChunkLoaders);
  // Edge inputs that need no file: nothing, a lone header, a huge size field.
  EXPECT_EQ(FuzzChunkLoaders(nullptr, 0), 0);
  std::vector<std::uint8_t> header = {'s', 'y', 's', 'f', '.',  'd',  'a',  't',
                                      0,   0,   0,   0,   0xFF, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(FuzzChunkLoaders(header.data(), header.size()), 0);
}

TEST(FuzzRegressionTest, TitleLoader) {
  Replay("title_loader", FuzzTitleLoader);
  EXPECT_EQ(FuzzTitleLoader(nullptr, 0), 0);
}

TEST(FuzzRegressionTest, TitleEdits) {
  Replay("title_edits", FuzzTitleEdits);
  EXPECT_EQ(FuzzTitleEdits(nullptr, 0), 0);
  // Whole titles of every layout: the fast paths compared where they do the most.
  RunSeeds("title_loader", FuzzTitleEdits);
}

TEST(FuzzRegressionTest, EditorSession) {
  Replay("editor_session", FuzzEditSession);
  EXPECT_EQ(FuzzEditSession(nullptr, 0), 0);
  // Each seed is a short script of clicks, keys and commands on a title of another layout.
  RunSeeds("editor_session", FuzzEditSession);
}

TEST(FuzzRegressionTest, Scenes) {
  Replay("scenes", FuzzScenes);
  EXPECT_EQ(FuzzScenes(nullptr, 0), 0);
  RunSeeds("scenes", FuzzScenes);
}

TEST(FuzzRegressionTest, FolderImport) {
  Replay("folder_import", FuzzFolderImport);
  EXPECT_EQ(FuzzFolderImport(nullptr, 0), 0);
  // Complete sets, one and two disks.
  RunSeeds("folder_import", FuzzFolderImport);
}

TEST(FuzzRegressionTest, SettingsFile) {
  Replay("settings_file", FuzzSettingsFile);
  EXPECT_EQ(FuzzSettingsFile(nullptr, 0), 0);
  const std::string odd = "[Global\nSerialIndex=99999999999\n=\n[]\nx";
  EXPECT_EQ(FuzzSettingsFile(reinterpret_cast<const std::uint8_t*>(odd.data()), odd.size()), 0);
}

TEST(FuzzRegressionTest, ValueTexts) {
  Replay("value_texts", FuzzValueTexts);
  RunSeeds("value_texts", FuzzValueTexts);
}

}  // namespace
}  // namespace orb
