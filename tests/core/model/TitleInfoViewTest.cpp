#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/model/ParamIds.h"
#include "core/model/Title.h"
#include "core/model/TitleInfoView.h"
#include "tools/TitleGenerator.h"

namespace orb {
namespace {

std::vector<std::uint8_t> Text(const std::string& text) {
  std::vector<std::uint8_t> bytes(text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}

// Each field read from the bytes where the console keeps it, and from nowhere else: the other
// fields of the same bytes read as empty.
TEST(TitleInfoViewTest, EachFieldReadsItsOwnBytes) {
  using Read = std::function<std::string(const TitleInfoView&)>;
  const std::vector<std::pair<const char*, Read>> fields = {
      {"lock", [](const TitleInfoView& v) { return std::to_string(v.Locked()); }},
      {"name", [](const TitleInfoView& v) { return v.Name(); }},
      {"size", [](const TitleInfoView& v) { return std::to_string(v.SizeKB()); }},
      {"date", [](const TitleInfoView& v) { return std::to_string(v.SaveDate()); }},
      {"cue", [](const TitleInfoView& v) { return std::to_string(v.InitialCue()); }},
      {"tc", [](const TitleInfoView& v) { return std::to_string(v.TimecodeMode()); }},
      {"fs", [](const TitleInfoView& v) { return std::to_string(v.SampleRateMode()); }},
      {"memo", [](const TitleInfoView& v) { return v.Memo(); }},
  };
  const struct {
    std::size_t field;  // in fields
    std::size_t at;
    std::vector<std::uint8_t> bytes;
    std::string read;
  } cases[] = {
      {0, 5, {2}, "1"},
      {1, 6, Text("Concert"), "Concert"},
      {1, 6, std::vector<std::uint8_t>(24, 'n'), std::string(24, 'n')},  // no zero in the slot
      {2, 30, {0x34, 0x12}, "4660"},
      {3, 32, {0x78, 0x56, 0x34, 0x12}, "305419896"},
      {4, 36, {0x04, 0x03, 0x02, 0x01}, "16909060"},
      {5, 40, {4}, "4"},
      {6, 41, {3}, "3"},
      {7, 42, Text("Rehearsal"), "Rehearsal"},
      {7, 42, std::vector<std::uint8_t>(86, 'm'), std::string(86, 'm')},
  };
  const TitleInfo empty{};
  for (const auto& c : cases) {
    SCOPED_TRACE(fields[c.field].first + (" at " + std::to_string(c.at)));
    TitleInfo info{};
    std::ranges::copy(c.bytes, info.begin() + static_cast<std::ptrdiff_t>(c.at));
    for (std::size_t f = 0; f < fields.size(); ++f) {
      const std::string expected = f == c.field ? c.read : fields[f].second(TitleInfoView(empty));
      EXPECT_EQ(fields[f].second(TitleInfoView(info)), expected) << fields[f].first;
    }
  }
}

// Written fields land in their bytes; what lies around them, and after a text's terminating
// zero, stays as it was.
TEST(TitleInfoViewTest, WritesTouchOnlyTheirField) {
  TitleInfo info;
  info.fill(0xEE);
  TitleInfoWriter writer(info);
  writer.SetLock(1);
  writer.SetName("Show 12");
  writer.SetSizeKB(0x1234);
  writer.SetSaveDate(0x12345678);
  writer.SetInitialCue(0x01020304);
  TitleInfo expected;
  expected.fill(0xEE);
  expected[5] = 1;
  const std::vector<std::uint8_t> name = Text("Show 12");
  std::ranges::copy(name, expected.begin() + 6);
  const std::uint8_t numbers[] = {0x34, 0x12, 0x78, 0x56, 0x34, 0x12, 0x04, 0x03, 0x02, 0x01};
  std::ranges::copy(numbers, expected.begin() + 30);
  EXPECT_EQ(info, expected);

  // A name longer than the slot keeps its first 23 characters and the zero.
  writer.SetName(std::string(30, 'x'));
  EXPECT_EQ(writer.Name(), std::string(23, 'x'));
  EXPECT_EQ(info[29], 0);
  EXPECT_EQ(info[30], 0x34);
  writer.SetLock(0);
  EXPECT_FALSE(writer.Locked());
  EXPECT_EQ(info[5], 0);
}

// The system object shows a loaded title's information through the same view, and what is
// written through it is what the title saves.
TEST(TitleInfoViewTest, SystemObjectShowsTheLoadedTitlesInformation) {
  gen::TitleSpec spec;
  spec.name = "Matinee";
  spec.memo = "Second half";
  spec.tc_mode = 3;
  spec.rate_mode = 1;
  spec.locked = true;
  spec.save_date = 1234567890;
  MemoryFile file(gen::MakeTitle(spec));
  Title title;
  ASSERT_EQ(title.LoadChunks(file), kOk);
  const TitleInfoView info = std::as_const(title).System().Info();
  EXPECT_EQ(info.Name(), "Matinee");
  EXPECT_EQ(info.Memo(), "Second half");
  EXPECT_EQ(info.TimecodeMode(), 3);
  EXPECT_EQ(info.SampleRateMode(), 1);
  EXPECT_TRUE(info.Locked());
  EXPECT_EQ(info.SaveDate(), 1234567890u);
  ASSERT_GT(title.Cues().Count(), 0);
  EXPECT_EQ(info.InitialCue(), static_cast<std::uint32_t>(title.Cues().GetParam(0, kParamCueTime)));
  EXPECT_EQ(title.System().TimecodeMode(), 3);
  EXPECT_EQ(title.System().SampleRateMode(), 1);
  EXPECT_TRUE(title.System().Locked());

  title.System().Info().SetLock(0);
  title.System().Info().SetName("Evening");
  MemoryFile saved;
  ASSERT_EQ(title.WriteChunks(saved), kOk);
  ASSERT_TRUE(saved.SeekTo(0));
  Title again;
  ASSERT_EQ(again.LoadChunks(saved), kOk);
  EXPECT_FALSE(again.System().Locked());
  EXPECT_EQ(std::as_const(again).System().Info().Name(), "Evening");
  EXPECT_EQ(std::as_const(again).System().Info().Memo(), "Second half");
}

}  // namespace
}  // namespace orb
