#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <numeric>

#include "core/model/DebugLog.h"
#include "core/model/Title.h"
#include "tests/TestFiles.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TempFolder.h"
#include "tools/TitleGenerator.h"

namespace orb {
namespace {

namespace fs = std::filesystem;

using test::ReadFile;
using test::WriteFile;

class TitleTest : public ::testing::Test {
 protected:
  void TearDown() override {
    while (!NextLogLine().empty()) {
    }
  }
  fs::path Write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    const fs::path path = folder / name;
    WriteFile(path, bytes);
    return path;
  }
  std::size_t FilesInFolder() const {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), {}));
  }
  test::TempFolder temp_;
  fs::path folder = temp_.path();
};

// Offsets in a title file whose system chunk starts at 0.
constexpr std::size_t kInfo = 16;
constexpr std::size_t kSizeField = kInfo + 30;
constexpr std::size_t kDateField = kInfo + 32;
constexpr std::size_t kSystemChecksum = 16 + 12286;

// Saving renews the size, the date and so the system checksum; with a
// group-fader block that asked for it, the levels too. Everything else must
// come back byte for byte.
void ExpectSameApartFromStamps(std::vector<std::uint8_t> saved,
                               std::vector<std::uint8_t> original) {
  ASSERT_GE(saved.size(), kSystemChecksum + 2);
  for (auto* bytes : {&saved, &original}) {
    std::fill_n(bytes->begin() + kSizeField, 2, 0);
    std::fill_n(bytes->begin() + kDateField, 4, 0);
    std::fill_n(bytes->begin() + kSystemChecksum, 2, 0);
  }
  ASSERT_EQ(saved.size(), original.size());
  const auto mismatch = std::mismatch(saved.begin(), saved.end(), original.begin());
  EXPECT_TRUE(mismatch.first == saved.end())
      << "first difference at byte " << (mismatch.first - saved.begin());
}

TEST_F(TitleTest, EveryGeneratedTitleSavesBackByteForByte) {
  for (const gen::TitleSpec& spec : gen::DemoSpecs()) {
    SCOPED_TRACE(spec.name);
    const auto original = gen::MakeTitle(spec);
    const fs::path path = Write(spec.name + ".orb", original);
    Title title;
    ASSERT_EQ(title.OpenTitle(path.string()), kOk);
    title.SetModified(true);
    ScriptedPrompter prompter;
    ASSERT_EQ(title.SaveTitle(&prompter), kOk);
    EXPECT_FALSE(title.Modified());
    EXPECT_EQ(prompter.busy_depth(), 0);
    EXPECT_TRUE(prompter.shown().empty());
    const auto saved = ReadFile(path);
    if (spec.with_gfed && spec.gfed_state != 1) {
      ExpectSameApartFromStamps(saved, original);
    } else {
      // The group-fader block is derived from the faders; compare around it.
      Title again;
      ASSERT_EQ(again.OpenTitle(path.string()), kOk);
      EXPECT_TRUE(again.System().HasGroupFaders());
      EXPECT_EQ(again.System().GroupFaderState(), spec.with_gfed ? 2 : 0);
    }
    // The size is the sum of the data sizes in KB; the date is now.
    const std::uint32_t date = GetU32(saved.data() + kDateField);
    EXPECT_LE(std::abs(static_cast<std::int64_t>(date) - LocalSecondsNow()), 5);
    EXPECT_EQ(GetU16(saved.data() + kSizeField), title.SizeInKB());
    std::uint64_t expected = 12288 + title.Snapshots().Count() * 8192ull +
                             title.Cues().Count() * 36ull + title.Dynamics().Count() * 64ull +
                             title.Eq().Count() * 66ull + title.Automation().DataSize();
    EXPECT_EQ(title.SizeInKB(), expected / 1024);
    EXPECT_EQ(FilesInFolder(), 1u);  // no temporary file left behind
    fs::remove(path);
  }
}

TEST_F(TitleTest, TitleWithoutGroupFadersGainsTheChunkOnSave) {
  gen::TitleSpec spec;
  spec.with_gfed = false;
  spec.automation_words = 40;
  const fs::path path = Write("NoFaders.orb", gen::MakeTitle(spec));
  Title title;
  ASSERT_EQ(title.OpenTitle(path.string()), kOk);
  ASSERT_EQ(title.SaveTitle(nullptr), kOk);
  const auto saved = ReadFile(path);
  // gfed.dat sits between eqlib.dat and auto.dat.
  std::size_t at = 0;
  std::vector<std::string> names;
  while (at + 16 <= saved.size()) {
    names.push_back(SlotText(saved.data() + at, 12));
    at += 16 + GetU32(saved.data() + at + 12);
  }
  EXPECT_EQ(at, saved.size());
  EXPECT_EQ(names, (std::vector<std::string>{"sysf.dat", "snap.dat", "cue.dat", "dylib.dat",
                                             "eqlib.dat", "gfed.dat", "auto.dat"}));
}

TEST_F(TitleTest, AutomationLimitIsCheckedBeforeTheFileIsTouched) {
  gen::TitleSpec spec;
  spec.automation_words = Title::kMaxAutomationWords;
  const fs::path path = Write("Full.orb", gen::MakeTitle(spec));
  Title title;
  ASSERT_EQ(title.OpenTitle(path.string()), kOk);
  EXPECT_EQ(title.Automation().StreamWordCount(), 253097);
  EXPECT_EQ(title.SaveTitle(nullptr), kOk);

  spec.automation_words = Title::kMaxAutomationWords + 1;
  const auto too_many = gen::MakeTitle(spec);
  const fs::path over = Write("Over.orb", too_many);
  ASSERT_EQ(title.OpenTitle(over.string()), kOk);
  ScriptedPrompter prompter;
  title.SetModified(true);
  EXPECT_EQ(title.SaveTitle(&prompter), kCancelled);
  ASSERT_EQ(prompter.shown().size(), 1u);
  EXPECT_EQ(prompter.shown()[0].text,
            "Too many automation data.\nYou must delete 1 events at least.");
  EXPECT_EQ(prompter.shown()[0].caption, "Error");
  EXPECT_EQ(prompter.shown()[0].buttons, Buttons::kOk);
  EXPECT_TRUE(title.Modified());
  EXPECT_EQ(ReadFile(over), too_many);
}

TEST_F(TitleTest, FailedWriteKeepsTheOldFile) {
  gen::TitleSpec spec;
  spec.snapshots = 20;
  const auto original = gen::MakeTitle(spec);
  const fs::path path = Write("Show.orb", original);
  Title title;
  ASSERT_EQ(title.OpenTitle(path.string()), kOk);
  title.SetModified(true);

  // A file-size limit makes the disk refuse the write half-way through.
  struct rlimit old_limit;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old_limit), 0);
  const auto old_handler = signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old_limit;
  small.rlim_cur = 50000;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const Status status = title.SaveTitle(nullptr);
  setrlimit(RLIMIT_FSIZE, &old_limit);
  signal(SIGXFSZ, old_handler);

  EXPECT_EQ(status, kWriteError);
  EXPECT_TRUE(title.Modified());
  EXPECT_EQ(ReadFile(path), original);
  EXPECT_EQ(FilesInFolder(), 1u);

  // A folder that cannot take a new file.
  Title elsewhere;
  ASSERT_EQ(elsewhere.OpenTitle(path.string()), kOk);
  EXPECT_EQ(elsewhere.SaveTitleAs((folder / "missing" / "x.orb").string(), nullptr),
            kCantOpenDestination);
  EXPECT_EQ(elsewhere.Path(), path.string());
  EXPECT_EQ(SlotText(elsewhere.System().Block().data() + 6, 24), spec.name);
}

TEST_F(TitleTest, SaveAsRenewsTheTitleName) {
  gen::TitleSpec spec;
  spec.name = "Old name";
  const auto original = gen::MakeTitle(spec);
  const fs::path path = Write("Old name.orb", original);
  Title title;
  ASSERT_EQ(title.OpenTitle(path.string()), kOk);
  const fs::path copy = folder / "New Show.orb";
  ASSERT_EQ(title.SaveTitleAs(copy.string(), nullptr), kOk);
  EXPECT_EQ(title.Path(), copy.string());
  TitleInfo info;
  ASSERT_EQ(ReadTitleInfo(copy.string(), info), kOk);
  EXPECT_EQ(DescribeTitle(info).name, "New Show");
  EXPECT_EQ(ReadFile(path), original);
}

TEST_F(TitleTest, LoadFailingPartWayKeepsWhatWasRead) {
  gen::TitleSpec spec;
  spec.snapshots = 2;
  spec.cues = 5;
  auto bytes = gen::MakeTitle(spec);
  // Cut the file in the middle of the third cue record.
  const std::size_t cues = 16 + 12288 + 16 + 2 * 8192;
  bytes.resize(cues + 16 + 2 * 36 + 20);
  const fs::path path = Write("Cut.orb", bytes);
  Title title;
  EXPECT_EQ(title.OpenTitle(path.string()), kReadError);
  EXPECT_TRUE(title.System().Loaded());
  EXPECT_EQ(title.Snapshots().Count(), 2);
  EXPECT_EQ(title.Cues().Count(), 2);
  EXPECT_FALSE(title.Cues().Loaded());
  EXPECT_EQ(title.Dynamics().Count(), 0);
  EXPECT_EQ(title.Automation().Count(), 0);

  Title missing;
  EXPECT_EQ(missing.OpenTitle((folder / "nothing.orb").string()), kCantOpenSource);
  EXPECT_FALSE(missing.System().Loaded());
}

TEST_F(TitleTest, TitleNames) {
  EXPECT_EQ(TitleNameOf("/titles/Show 12.orb"), "Show 12");
  EXPECT_EQ(TitleNameOf("Show.ORB"), "Show");
  EXPECT_EQ(TitleNameOf("a.Orb.orb"), "a");
  EXPECT_EQ(TitleNameOf("/titles/no extension"), "");
  EXPECT_EQ(TitleNameOf("/titles.orb/inner"), "");
}

TEST_F(TitleTest, StampAndLockTouchOnlyTheirBytes) {
  gen::TitleSpec spec;
  spec.name = "Whatever";
  const auto original = gen::MakeTitle(spec);
  const fs::path path = Write("Show 12.orb", original);
  ASSERT_EQ(StampTitle(path.string(), -1), kOk);
  TitleInfo info;
  ASSERT_EQ(ReadTitleInfo(path.string(), info), kOk);
  EXPECT_EQ(DescribeTitle(info).name, "Show 12");
  EXPECT_FALSE(DescribeTitle(info).locked);
  const auto named = ReadFile(path);

  ScriptedPrompter prompter;
  ASSERT_EQ(StampTitle(path.string(), 1, &prompter), kOk);
  EXPECT_EQ(prompter.busy_depth(), 0);
  const auto locked = ReadFile(path);
  ASSERT_EQ(locked.size(), named.size());
  std::vector<std::size_t> changed;
  for (std::size_t i = 0; i < locked.size(); ++i) {
    if (locked[i] != named[i]) changed.push_back(i);
  }
  // Offset 5 of the title information and the checksum, nothing else.
  for (std::size_t i : changed) {
    EXPECT_TRUE(i == kInfo + 5 || i == kSystemChecksum || i == kSystemChecksum + 1) << i;
  }
  EXPECT_EQ(locked[kInfo + 5], 1);
  const unsigned sum = std::accumulate(locked.begin() + 16, locked.begin() + kSystemChecksum, 0u);
  EXPECT_EQ(GetU16(locked.data() + kSystemChecksum), sum % 65536);
  ASSERT_EQ(StampTitle(path.string(), 0), kOk);
  EXPECT_EQ(ReadFile(path), named);

  Title title;
  ASSERT_EQ(title.OpenTitle(path.string()), kOk);
  EXPECT_FALSE(title.System().Locked());
}

TEST_F(TitleTest, InformationIsFoundAnywhereInTheFile) {
  gen::TitleSpec spec;
  spec.name = "Deep";
  auto bytes = gen::MakeTitle(spec);
  std::vector<std::uint8_t> padded(70000, 'x');
  padded.insert(padded.end(), bytes.begin(), bytes.end());
  // The name is matched case-insensitively, even across two reads.
  padded[70000] = 'S';
  padded[70003] = 'F';
  const fs::path path = Write("Deep.orb", padded);
  TitleInfo info;
  ASSERT_EQ(ReadTitleInfo(path.string(), info), kOk);
  EXPECT_EQ(DescribeTitle(info).name, "Deep");

  const fs::path junk = Write("Junk.orb", std::vector<std::uint8_t>(5000, 's'));
  EXPECT_EQ(ReadTitleInfo(junk.string(), info), kFailed);
  EXPECT_EQ(StampTitle(junk.string(), 1), kFailed);
  const fs::path cut =
      Write("Cut.orb", std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 60));
  EXPECT_EQ(ReadTitleInfo(cut.string(), info), kCantOpenSource);
  EXPECT_EQ(ReadTitleInfo((folder / "none.orb").string(), info), kCantOpenSource);
  EXPECT_EQ(StampTitle((folder / "none.orb").string(), 1), kCantOpenDestination);
}

TEST_F(TitleTest, DamageIsAChunkThatDoesNotFitTheFile) {
  gen::TitleSpec spec;
  spec.automation_words = 5000;
  const auto whole = gen::MakeTitle(spec);
  spec.with_gfed = false;
  const auto without_gfed = gen::MakeTitle(spec);
  auto renamed = whole;
  renamed[16 + 12288] = 'x';  // snap.dat's name
  const struct {
    const char* what;
    std::vector<std::uint8_t> bytes;
    const char* damage;  // the text the panel shows; empty for a sound title
  } cases[] = {
      {"whole", whole, ""},
      {"without gfed.dat", without_gfed, ""},
      {"cut to half", std::vector<std::uint8_t>(whole.begin(), whole.begin() + whole.size() / 2),
       "cut off"},
      {"one byte short", std::vector<std::uint8_t>(whole.begin(), whole.end() - 1),
       "auto.dat is cut off"},
      {"cut after the system chunk",
       std::vector<std::uint8_t>(whole.begin(), whole.begin() + 16 + 12288),
       "the file ends before snap.dat."},
      {"a chunk renamed", renamed, "xnap.dat stands where snap.dat belongs."},
      {"empty", {}, "the file ends before sysf.dat."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string damage = TitleDamage(Write("Title.orb", c.bytes).string());
    if (*c.damage == 0) {
      EXPECT_EQ(damage, "");
    } else {
      EXPECT_EQ(damage.rfind("Damaged: ", 0), 0u) << damage;
      EXPECT_NE(damage.find(c.damage), std::string::npos) << damage;
    }
  }
  EXPECT_EQ(TitleDamage((folder / "none.orb").string()), "The file cannot be read.");
}

TEST_F(TitleTest, TitleManagerTexts) {
  TitleInfo info{};
  SetSlotText(info.data() + 6, 24, "Concert");
  PutU16(info.data() + 30, 123);
  PutU32(info.data() + 32, 86400 * 365 + 3600);  // 1971-01-01 01:00
  PutU32(info.data() + 36, 0x01020304);
  info[40] = 1;
  info[41] = 3;
  SetSlotText(info.data() + 42, 86, "Memo text");
  info[5] = 2;
  const TitleInfoTexts texts = DescribeTitle(info);
  EXPECT_EQ(texts.name, "Concert");
  EXPECT_EQ(texts.size, "123KB");
  EXPECT_EQ(texts.date, "01/01/71");  // the C locale's short date
  EXPECT_EQ(texts.initial_cue, "01:02:03:04");
  EXPECT_EQ(texts.tc_mode, "30F/s DF");
  EXPECT_EQ(texts.fs, "88.2kHz");
  EXPECT_EQ(texts.memo, "Memo text");
  EXPECT_TRUE(texts.locked);
  info[40] = 9;
  info[41] = 4;
  std::fill(info.begin() + 42, info.end(), 'm');  // a memo without its zero
  const TitleInfoTexts odd = DescribeTitle(info);
  EXPECT_EQ(odd.tc_mode, "");
  EXPECT_EQ(odd.fs, "");
  EXPECT_EQ(odd.memo, std::string(86, 'm'));
}

}  // namespace
}  // namespace orb
