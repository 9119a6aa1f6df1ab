// New titles: the console's fresh state with Zero's defaults on every channel, and the recent
// titles kept in the settings file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "core/storage/NewTitle.h"
#include "core/storage/RecentTitles.h"
#include "tests/TestFiles.h"
#include "tools/TitleGenerator.h"

namespace orb {
namespace {

namespace fs = std::filesystem;

class NewTitleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = fs::temp_directory_path() /
             ("orb_new_title_" + std::to_string(::getpid()) + "_" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder);
    fs::create_directories(folder);
  }
  void TearDown() override { fs::remove_all(folder); }
  std::string PathOf(const std::string& name) const { return (folder / name).string(); }

  fs::path folder;
};

TEST_F(NewTitleTest, EveryChannelHoldsTheDefaultsOfZeroAndNothingElseIsThere) {
  for (int rate = 0; rate < 4; ++rate) {
    SCOPED_TRACE(rate);
    const std::string path = PathOf("Fresh" + std::to_string(rate) + ".orb");
    ASSERT_EQ(CreateTitle(path, {rate, 4 - rate}), kOk);
    Title fresh;
    ASSERT_EQ(fresh.OpenTitle(path), kOk);
    EXPECT_EQ(fresh.System().Info().Name(), "Fresh" + std::to_string(rate));
    EXPECT_EQ(fresh.System().SampleRateMode(), rate);
    EXPECT_EQ(fresh.System().TimecodeMode(), 4 - rate);
    EXPECT_EQ(fresh.System().GetParam(0, kParamTcMode), 4 - rate);
    EXPECT_FALSE(fresh.System().Locked());
    for (int n = 1; n < Title::kListCount; ++n) EXPECT_EQ(fresh.List(n)->Count(), 0) << n;

    // A generated title of the same rate with Zero run over all its channels and groups.
    gen::TitleSpec spec;
    spec.rate_mode = rate;
    Title zeroed;
    MemoryFile file(gen::MakeTitle(spec));
    ASSERT_EQ(zeroed.LoadChunks(file), kOk);
    ParamGroupList groups;
    zeroed.System().ListParams(groups);
    ASSERT_FALSE(groups.empty());
    zeroed.System().SelectAllChannels();
    zeroed.System().ResetParams(groups);
    ASSERT_EQ(fresh.System().ChannelCount(), zeroed.System().ChannelCount());
    int compared = 0;
    for (int c = 0; c < fresh.System().ChannelCount(); ++c) {
      for (const ParamGroup& group : groups) {
        for (int id : group.ids) {
          // Zero leaves what has no default (memberships, links) as it was.
          if (zeroed.System().GetParam(c, id) < 0 || zeroed.System().ParamDefault(c, id) < 0)
            continue;
          EXPECT_EQ(fresh.System().GetParam(c, id), zeroed.System().GetParam(c, id))
              << "channel " << c << " parameter " << id;
          ++compared;
        }
      }
    }
    EXPECT_GT(compared, 1000);
  }
}

TEST_F(NewTitleTest, RefusesAnExistingFileAndSettingsOutOfRange) {
  const std::string path = PathOf("Show.orb");
  test::WriteFile(path, {1, 2, 3});
  EXPECT_EQ(CreateTitle(path, {}), kCantOpenDestination);
  EXPECT_EQ(fs::file_size(path), 3u);
  EXPECT_EQ(CreateTitle(PathOf("A.orb"), {4, 0}), kFailed);
  EXPECT_EQ(CreateTitle(PathOf("B.orb"), {0, 5}), kFailed);
  EXPECT_EQ(CreateTitle(PathOf("C.orb"), {-1, 0}), kFailed);
  EXPECT_EQ(CreateTitle(PathOf("no-extension"), {}), kFailed);
  EXPECT_FALSE(fs::exists(PathOf("A.orb")));

  const struct {
    const char* text;
    int rate;
    int tc;
  } texts[] = {{"48k", 0, -1}, {"44.1kHz", 1, -1}, {"96k", 2, -1},   {"88.2k", 3, -1},
               {"0", -1, 0},   {"4", -1, 4},       {"25F/s", -1, 4}, {"29.97F/s DF", -1, 3},
               {"", -1, -1},   {"48", -1, -1},     {"5", -1, -1},    {"30f/s ndf", -1, -1}};
  for (const auto& t : texts) {
    EXPECT_EQ(SampleRateModeOf(t.text), t.rate) << t.text;
    EXPECT_EQ(TimecodeModeOf(t.text), t.tc) << t.text;
  }
}

TEST_F(NewTitleTest, RecentTitlesKeepTheLastEightInTheSettingsFile) {
  const std::string ini = PathOf(kSettingsFileName);
  for (const char* name : {"A", "B", "C"}) test::WriteFile(PathOf(std::string(name) + ".orb"), {0});
  {
    ProfileFile profile(ini);
    RecentTitles recent(profile);
    EXPECT_TRUE(recent.Entries().empty());
    for (int n = 0; n < 10; ++n) recent.Add(PathOf("T" + std::to_string(n) + ".orb"));
    for (const char* name : {"C", "A", "B", "A"}) recent.Add(PathOf(std::string(name) + ".orb"));
  }
  ProfileFile profile(ini);
  RecentTitles recent(profile);
  const std::vector<RecentTitle> entries = recent.Entries();
  ASSERT_EQ(entries.size(), 8u);
  const char* expected[] = {"A", "B", "C", "T9", "T8", "T7", "T6", "T5"};
  for (std::size_t i = 0; i < entries.size(); ++i) {
    EXPECT_EQ(entries[i].name, expected[i]);
    EXPECT_EQ(entries[i].exists, i < 3) << entries[i].path;
  }
  EXPECT_EQ(profile.ReadString(kRecentSection, "Title1"), PathOf("A.orb"));
}

TEST_F(NewTitleTest, RecentTitlesFromAForeignSettingsFileAreCheckedBeforeUse) {
  const std::string overlong(5000, 'x');
  const ProfileFile profile = ProfileFile::FromText(
      "[Recent]\nTitle1=/a/One.orb\nTitle2=\nTitle3=/no/extension\nTitle4=/a/One.orb\n"
      "Title5=/" +
      overlong + ".orb\nTitle6=/b/Two.ORB\nTitle9=/c/Nine.orb\nTitle0=/c/Zero.orb\n");
  ProfileFile copy = profile;
  RecentTitles recent(copy);
  EXPECT_EQ(recent.Paths(), (std::vector<std::string>{"/a/One.orb", "/b/Two.ORB"}));
}

}  // namespace
}  // namespace orb
