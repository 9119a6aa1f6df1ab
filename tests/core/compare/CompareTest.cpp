#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "core/compare/Compare.h"
#include "core/model/ParamIds.h"
#include "tests/TestFiles.h"
#include "tests/support/TempFolder.h"
#include "tools/TitleGenerator.h"

namespace orb {
namespace {

namespace fs = std::filesystem;

constexpr int kVocal = 4;  // CH 5

class CompareTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gen::TitleSpec spec;
    spec.automation_words = 400;
    test::WriteFile(folder / "A.orb", gen::MakeTitle(spec));
  }

  // The title with the places the cases edit set alike.
  void Open(Title& title) {
    ASSERT_EQ(title.OpenTitle((folder / "A.orb").string()), kOk);
    TQ730SYSF& system = title.System();
    const EditFlagScope edit_system(system), edit_snaps(title.Snapshots()), edit_cues(title.Cues()),
        edit_dyn(title.Dynamics()), edit_eq(title.Eq());
    system.SetName(kVocal, "Vocal");
    system.SetParam(kVocal, kParamEqLowGain, 23);
    system.SetParam(kVocal, kParamEqOn, 0);
    system.SetGroupFaderLevel(system.FaderSlotOf(kVocal), 0);
    SetSlotText(system.Block().data() + 42, 86, "first");
    title.Snapshots().SetName(0, "Intro");
    title.Snapshots().SetName(1, "Verse");
    title.Snapshots().SetCurrentRecord(1);
    title.Snapshots().SetParam(kVocal, kParamEqLowGain, 23);
    system.Block()[2] = 0x11;
    title.Snapshots().Record(0)[1] = 0x11;
    title.Cues().SetName(1, "Drums");
    title.Cues().SetParam(1, kParamCueTcLink, 0);
    title.Dynamics().SetName(0, "Comp");
    title.Dynamics().SetParam(0, kParamCompDuckGain, 0);
    title.Eq().SetName(1, "Bright");
    title.Eq().SetParam(1, kParamEqLowGain, 23);
    title.Automation().SetStartValue(kParamFaderLevel, kVocal, MakeTC(0, 0, 1, 0), 1023);
  }
  test::TempFolder temp_;
  fs::path folder = temp_.path();
};

std::string RecordLine(const TQ730& list, int index) {
  const std::string name = list.NameText(index);
  return "#" + std::to_string(index + 1) + (name.empty() ? "" : " " + name);
}

std::vector<std::string> Lines(const Differences& differences) {
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < differences.size(); ++i)
    lines.push_back(std::string(CompareListName(differences[i].list)) + ": " +
                    differences[i].Line());
  return lines;
}

TEST_F(CompareTest, OneChangeInEachListReportsExactlyThatPlace) {
  const std::string gain = "L Gain: -10.0 dB → 0.00 dB", low = "CH 5 Vocal · " + gain;
  const struct {
    std::function<void(Title&)> edit;
    std::string line;
  } cases[] = {
      {[](Title& t) { t.System().SetParam(kVocal, kParamEqLowGain, 63); }, "System: " + low},
      {[](Title& t) { t.System().SetParam(kVocal, kParamEqOn, 1); },
       "System: CH 5 Vocal · Equalizer IN: OFF → ON"},
      {[](Title& t) { t.Cues().SetParam(1, kParamCueTcLink, 1); },
       "Cues: #2 Drums · Cue Flag: OFF → ON"},
      {[](Title& t) { t.System().SetName(kVocal, "Lead"); }, "System: CH 5 · name: Vocal → Lead"},
      {[](Title& t) { t.System().SetGroupFaderLevel(t.System().FaderSlotOf(kVocal), -350); },
       "Group faders: CH 5 Vocal · group fader: +0.00 dB → -3.50 dB"},
      {[](Title& t) { SetSlotText(t.System().Block().data() + 42, 86, "second"); },
       "Title information: MEMO: first → second"},
      {[](Title& t) { t.System().Block()[2] = 0x22; }, "Title information: byte 2: 11 → 22"},
      {[](Title& t) { t.Snapshots().Record(0)[1] = 0x22; },
       "Snapshots: #1 Intro · byte 1: 11 → 22"},
      {[](Title& t) { t.Snapshots().SetParam(kVocal, kParamEqLowGain, 63); },
       "Snapshots: #2 Verse · " + low},
      {[](Title& t) { t.Snapshots().SetName(1, "Chorus"); },
       "Snapshots: #2 Verse · name: Verse → Chorus"},
      {[](Title& t) { t.Dynamics().SetParam(0, kParamCompDuckGain, 40); },
       "Dynamics library: #1 Comp · COMP/DUCK Gain: 0.00 dB → 10.00 dB"},
      {[](Title& t) { t.Eq().SetParam(1, kParamEqLowGain, 63); },
       "EQ library: #2 Bright · " + gain},
      {[](Title& t) {
         t.Automation().SetStartValue(kParamFaderLevel, kVocal, MakeTC(0, 0, 2, 0), 1023);
       },
       "Automation: CH 5 Vocal · Level start: 10.0 dB at 00:00:01:00 → 10.0 dB at 00:00:02:00"},
      {[](Title& t) {
         const EventKey key = t.Automation().KeyOf(kParamFaderLevel, kVocal);
         t.Automation().AppendEvent({MakeTC(1, 0, 10, 0), key.Word(500)});
       },
       "Automation: CH 5 Vocal · Level: 1 event only in B (01:00:10:00)"},
  };
  Title a;
  Open(a);
  for (const auto& c : cases) {
    Title b;
    Open(b);
    {
      const EditFlagScope e1(b.System()), e2(b.Snapshots()), e3(b.Dynamics()), e4(b.Eq()),
          e5(b.Cues());
      c.edit(b);
    }
    const std::vector<std::string> lines = Lines(CompareTitles(a, b));
    ASSERT_EQ(lines.size(), 1u) << ::testing::PrintToString(lines);
    EXPECT_EQ(lines[0], c.line);
  }
}

// Every named field reads as its page shows it, and the bytes it lies in are not listed again.
TEST_F(CompareTest, NamedFieldsReadAsThePagesShowThem) {
  constexpr int kStrip = 1260 + 132 * kVocal;  // CH 5's strip in the system block
  constexpr int kPair = 7596 + 4 * (kVocal / 2);
  const auto place = [](Title& t) -> std::uint8_t* { return t.System().Block().data(); };
  const struct {
    std::function<void(Title&)> base;  // both titles
    std::function<void(Title&)> edit;  // title B
    std::vector<std::string> lines;
  } cases[] = {
      {[](Title& t) { t.System().SetParam(kVocal, kParamDynamicsKey, kVocal); },
       [](Title& t) { t.System().SetParam(kVocal, kParamDynamicsKey, 10); },
       {"System: CH 5 Vocal · Dynamics Key: LOCAL → CH 11"}},
      {[](Title& t) { t.Snapshots().SetParam(kVocal, kParamDynamicsKey, 0); },
       [](Title& t) { t.Snapshots().SetParam(kVocal, kParamDynamicsKey, kVocal); },
       {"Snapshots: #2 Verse · CH 5 Vocal · Dynamics Key: CH 1 → LOCAL"}},
      {[](Title& t) { t.System().SetParam(0, kParamOffset, 0); },
       [](Title& t) { t.System().SetParam(0, kParamOffset, 0x00001520); },
       {"System: OFFSET: 00:00:00:00 → 00:00:15:20"}},
      {[](Title& t) { t.System().SetParam(0, kParamWordClock, 0xFFFF01); },
       [](Title& t) { t.System().SetParam(0, kParamWordClock, 0xFF0003); },
       {"System: Word Clock: REF WORD IN → 2TR IN 2"}},
      {[](Title& t) { t.System().SetParam(kVocal, kParamInputSource, 0); },
       [](Title& t) { t.System().SetParam(kVocal, kParamInputSource, 5); },
       {"System: CH 5 Vocal · Input Source: No Connection → AD 5CH"}},
      {[&](Title& t) { place(t)[kStrip + 5] = 0; },
       [&](Title& t) { place(t)[kStrip + 5] = 2; },
       {"System: CH 5 Vocal · Delay Unit: ms → WORD"}},
      {[&](Title& t) { place(t)[kStrip + 49] = 0; },
       [&](Title& t) { place(t)[kStrip + 49] = 7; },
       {"System: CH 5 Vocal · COMP Knee: HARD → SOFT"}},
      {[](Title& t) { t.Cues().Record(1)[29] = 1; },
       [](Title& t) { t.Cues().Record(1)[29] = 2; },
       {"Cues: #2 Drums · Recall Kind: SNAPSHOT → EQ LIB"}},
      {[](Title& t) { t.Cues().Record(1)[29] = 1, t.Cues().SetParam(1, kParamCueChannel, 255); },
       [](Title& t) { t.Cues().SetParam(1, kParamCueChannel, 10); },
       {"Cues: #2 Drums · Cue Value: ALL → CH11"}},
      {[&](Title& t) { place(t)[kPair] = 0; },
       [&](Title& t) { place(t)[kPair] = 1; },
       {"System: CH 5 Vocal · Stereo/Surround Link: MONO → STEREO",
        "System: CH 6 Sax · Stereo/Surround Link: MONO → STEREO"}},
      {[&](Title& t) { place(t)[kPair] = 1, place(t)[kPair + 1] = 0; },
       [&](Title& t) { place(t)[kPair + 1] = 1; },
       {"System: CH 5 Vocal · L + R: OFF → ON", "System: CH 6 Sax · L + R: OFF → ON"}},
      {[&](Title& t) { place(t)[466 + kVocal] = 0; },
       [&](Title& t) { place(t)[466 + kVocal] = 1; },
       {"System: SNAPSHOT Isolate 5: OFF → ON"}},
      {[&](Title& t) { place(t)[8794 + 6 * 2] = 0; },
       [&](Title& t) { place(t)[8794 + 6 * 2] = 2; },
       {"System: Group Type 3: GANG → CUT"}},
      {[](Title& t) { t.Snapshots().SetParam(2, kParamGroupType, 1); },
       [](Title& t) { t.Snapshots().SetParam(2, kParamGroupType, 0); },
       {"Snapshots: #2 Verse · Group Type 3: VCA → GANG"}},
  };
  for (const auto& c : cases) {
    Title a, b;
    for (Title* t : {&a, &b}) {
      Open(*t);
      const EditFlagScope e1(t->System()), e2(t->Snapshots()), e3(t->Cues());
      t->System().SetName(kVocal + 1, "Sax");
      c.base(*t);
      if (t == &b) c.edit(*t);
    }
    EXPECT_EQ(Lines(CompareTitles(a, b)), c.lines);
  }
}

TEST_F(CompareTest, SameResavedAndShorterTitles) {
  Title a;
  ASSERT_EQ(a.OpenTitle((folder / "A.orb").string()), kOk);
  EXPECT_EQ(Lines(CompareTitles(a, a)), std::vector<std::string>{});
  ASSERT_EQ(a.SaveTitleAs((folder / "Copy.orb").string(), nullptr), kOk);
  Title copy;
  ASSERT_EQ(copy.OpenTitle((folder / "Copy.orb").string()), kOk);
  ASSERT_EQ(a.OpenTitle((folder / "A.orb").string()), kOk);
  EXPECT_EQ(Lines(CompareTitles(a, copy)), std::vector<std::string>{});

  // Records beyond the shorter list are listed once, whole.
  for (TQ730* list : {copy.List(1), copy.List(2), copy.List(3), copy.List(4)}) {
    while (list->Count() > 1) list->DeleteRecord(list->Count() - 1);
  }
  const std::vector<std::string> lines = Lines(CompareTitles(a, copy));
  std::vector<std::string> expected;
  for (int n = 1; n <= 4; ++n) {
    const TQ730& list = *a.List(n);
    for (int i = 1; i < list.Count(); ++i) {
      expected.push_back(std::string(n == 1   ? "Snapshots"
                                     : n == 2 ? "Cues"
                                     : n == 3 ? "Dynamics library"
                                              : "EQ library") +
                         ": #" + std::to_string(i + 1) + " " + list.NameText(i) + ": only in A");
    }
  }
  ASSERT_EQ(expected.size(), 2u + 3u + 1u + 1u);
  EXPECT_EQ(lines, expected);
  const std::vector<std::string> reverse = Lines(CompareTitles(copy, a));
  ASSERT_EQ(reverse.size(), expected.size());
  EXPECT_NE(reverse[0].find(": only in B"), std::string::npos);
}

// Automation is summed up per channel and parameter, whatever order the lists hold the events in.
TEST_F(CompareTest, AutomationEventsAreMatchedByTimeWithinTheirChannel) {
  Title a;
  Open(a);
  const EventKey key = a.Automation().KeyOf(kParamFaderLevel, kVocal);
  auto at = [](int second) { return MakeTC(2, 0, second, 0); };
  for (const auto& [second, value] : {std::pair{1, 100}, {2, 200}, {3, 300}})
    a.Automation().AppendEvent({at(second), key.Word(value)});
  for (const bool in_order : {true, false}) {
    Title b;
    Open(b);
    const std::vector<std::pair<int, int>> events =
        in_order ? std::vector<std::pair<int, int>>{{1, 100}, {2, 250}, {4, 400}}
                 : std::vector<std::pair<int, int>>{{4, 400}, {1, 100}, {2, 250}};
    for (const auto& [second, value] : events)
      b.Automation().AppendEvent({at(second), key.Word(value)});
    EXPECT_EQ(Lines(CompareTitles(a, b)),
              std::vector<std::string>{
                  "Automation: CH 5 Vocal · Level: 1 event only in A (02:00:03:00); 1 event only "
                  "in B (02:00:04:00); 1 event with another value (02:00:02:00)"})
        << in_order;
  }
}

// A cue's time reads as the CUE page shows it.
TEST_F(CompareTest, CueTimesReadAsTimecodes) {
  Title a, b;
  Open(a);
  Open(b);
  const int last = b.Cues().Count() - 1;
  ASSERT_GT(last, 0);
  {
    const EditFlagScope edit(b.Cues());
    b.Cues().SetParam(last, kParamCueTime, static_cast<int>(ToBCD(MakeTC(23, 0, 0, 0))));
  }
  const auto before = static_cast<std::uint32_t>(a.Cues().GetParam(last, kParamCueTime));
  EXPECT_EQ(Lines(CompareTitles(a, b)),
            std::vector<std::string>{"Cues: " + RecordLine(a.Cues(), last) + " · Cue Time: " +
                                     FormatTC(FromBCD(before)) + " → 23:00:00:00"});
}

// The compare window's groups: one per record (per channel on the system list), the filter
// matching the list name or the line in any case, and the editor place of each.
TEST_F(CompareTest, GroupsFilterAndPlaces) {
  Title a, b;
  Open(a);
  Open(b);
  {
    const EditFlagScope e1(b.System()), e2(b.Snapshots()), e3(b.Dynamics()), e4(b.Cues());
    b.System().SetName(kVocal, "Lead");
    b.System().SetParam(kVocal, kParamEqLowGain, 63);
    b.Snapshots().SetParam(kVocal, kParamEqLowGain, 63);
    b.Cues().SetParam(1, kParamCueTcLink, 1);
    b.Dynamics().SetParam(0, kParamCompDuckGain, 40);
    const EventKey key = b.Automation().KeyOf(kParamFaderLevel, kVocal);
    b.Automation().AppendEvent({MakeTC(1, 0, 10, 0), key.Word(500)});
  }
  const Differences differences = CompareTitles(a, b);
  ASSERT_EQ(differences.size(), 6u);
  struct Group {
    CompareList list;
    std::string caption;
    std::size_t members;
    int tab, cursor;
  };
  const std::vector<Group> expected = {{CompareList::kSystem, "CH 5 Vocal", 2, 0, kVocal},
                                       {CompareList::kSnapshots, "#2 Verse", 1, 5, 1},
                                       {CompareList::kCues, "#2 Drums", 1, 7, 1},
                                       {CompareList::kDynamics, "#1 Comp", 1, 10, 0},
                                       {CompareList::kAutomation, "", 1, 4, kVocal}};
  const std::vector<DifferenceGroup> groups = GroupDifferences(differences, "");
  ASSERT_EQ(groups.size(), expected.size());
  for (std::size_t g = 0; g < groups.size(); ++g) {
    EXPECT_EQ(groups[g].list, expected[g].list) << g;
    EXPECT_EQ(groups[g].caption, expected[g].caption) << g;
    ASSERT_EQ(groups[g].members.size(), expected[g].members) << g;
    for (std::size_t m : groups[g].members) {
      EXPECT_EQ(PlaceOf(differences[m]).tab, expected[g].tab) << g;
      EXPECT_EQ(PlaceOf(differences[m]).cursor, expected[g].cursor) << g;
    }
  }
  for (const auto& [filter, lists] :
       {std::pair<std::string, std::vector<CompareList>>{"drums", {CompareList::kCues}},
        {"CUES", {CompareList::kCues}},
        {"l gain", {CompareList::kSystem, CompareList::kSnapshots}},
        {"lead", {CompareList::kSystem}},
        {"nowhere", {}}}) {
    std::vector<CompareList> got;
    for (const DifferenceGroup& g : GroupDifferences(differences, filter)) got.push_back(g.list);
    EXPECT_EQ(got, lists) << filter;
  }
}

}  // namespace
}  // namespace orb
