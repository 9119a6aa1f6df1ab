// The windows' places, the title manager's width and each title's last tab in the settings
// file: kept across a restart, and foreign values left unused.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "core/storage/WindowMemory.h"

namespace orb {
namespace {

namespace fs = std::filesystem;

TEST(WindowMemoryTest, PlacesWidthAndTabsSurviveARestart) {
  const fs::path folder = fs::temp_directory_path() / ("orb_window_" + std::to_string(::getpid()));
  fs::create_directories(folder);
  const std::string ini = (folder / kSettingsFileName).string();
  {
    ProfileFile profile(ini);
    WindowMemory memory(profile);
    EXPECT_FALSE(memory.MainWindow());
    EXPECT_EQ(memory.ManagerWidth(), 0);
    memory.SetMainWindow({-20, 30, 1200, 800, true});
    memory.SetManagerWidth(420);
    memory.SetLastTab("/lib/Show.orb", 7);
    memory.SetLastTab("/lib/a=b [c].orb", 12);
  }
  ProfileFile profile(ini);
  const WindowMemory memory(profile);
  EXPECT_EQ(memory.MainWindow(), (WindowPlace{-20, 30, 1200, 800, true}));
  EXPECT_EQ(memory.ManagerWidth(), 420);
  EXPECT_EQ(memory.LastTab("/lib/Show.orb", 13), 7);
  EXPECT_EQ(memory.LastTab("/lib/a=b [c].orb", 13), 12);
  EXPECT_EQ(memory.LastTab("/lib/a=b [c].orb", 12), 0) << "a tab beyond the count";
  EXPECT_EQ(memory.LastTab("/lib/Other.orb", 13), 0);
  fs::remove_all(folder);
}

TEST(WindowMemoryTest, ForeignValuesAreLeftUnused) {
  const struct {
    const char* text;
    bool place;
    int width;
  } cases[] = {
      {"[Window]\nLeft=0\nTop=0\nWidth=640\nHeight=480\nManagerWidth=300\n", true, 300},
      {"[Window]\nLeft=0\nTop=0\nWidth=99999\nHeight=480\nManagerWidth=99999\n", false, 0},
      {"[Window]\nLeft=0\nTop=0\nWidth=10\nHeight=480\nManagerWidth=-5\n", false, 0},
      {"[Window]\nLeft=-999999\nTop=0\nWidth=640\nHeight=480\n", false, 0},
      {"[Window]\nLeft=x\nTop=0\nWidth=640\nHeight=480\nManagerWidth=3e2\n", false, 0},
      {"[Window]\nTop=0\nWidth=640\nHeight=480\n", false, 0},
  };
  for (const auto& c : cases) {
    ProfileFile profile = ProfileFile::FromText(c.text);
    const WindowMemory memory(profile);
    EXPECT_EQ(memory.MainWindow().has_value(), c.place) << c.text;
    EXPECT_EQ(memory.ManagerWidth(), c.width) << c.text;
  }
}

}  // namespace
}  // namespace orb
