// The page scenes: which controls each page shows in each layout and mode, where, and with
// which texts; headers; and scenes built from scrambled titles.
#include <gtest/gtest.h>

#include <array>
#include <random>
#include <set>

#include "core/model/ParamIds.h"
#include "core/pages/PageScene.h"
#include "tests/core/edit/EditTitles.h"

namespace orb {
namespace {

// channel (-1: the page's, -2: the first AUX), id, value
using Sets = std::vector<std::array<int, 3>>;

std::set<int> Ids(const PageScene& scene) {
  std::set<int> ids;
  for (const PageControl& c : scene.controls) ids.insert(c.id);
  return ids;
}

const PageControl* Find(const PageScene& scene, int id) {
  for (const PageControl& c : scene.controls) {
    if (c.id == id) return &c;
  }
  return nullptr;
}

PageScene Page(const TQ730& list, int cursor, DynamicsSection section,
               PageKind page = kPageChannel) {
  return BuildPageScene({page, &list, cursor, section, nullptr});
}

TEST(PageSceneTest, ControlSetsFollowLayoutModesAndSwitches) {
  constexpr auto kComp = DynamicsSection::kCompDuck;
  constexpr auto kExp = DynamicsSection::kExpGate;
  struct Case {
    const char* name;
    int rate_mode;
    bool surround;
    int channel;
    DynamicsSection section;
    Sets sets;
    std::vector<int> present;
    std::vector<int> absent;
  };
  // clang-format off
  const Case cases[] = {
      {"CH at 48 kHz, COMP", 0, false, 0, kComp,
       {{-1, 24, 0}, {-1, 53, 0}, {-1, 54, 0}, {-2, 102, 0}},
       {1, 2, 3, 5, 6, 13, 14, 15, 16, 17, 18, 19, 20, 23, 24, 25, 26, 33, 34, 35, 36, 37, 39,
        40, 41, 42, 43, 45, 46, 51, 52, 55, 60, 61, 64, 65, 68, 69, 85, 86, 102, 103, 104, 105,
        106, 107, 108, 109, 110, 113, 116, 118, kSwitchExpGateSection, kSwitchCompDuckSection},
       {21, 22, 27, 28, 38, 93, 97, 101, 119, 122, 123, 124, 125, kSwitchEdit}},
      {"CH at 96 kHz", 2, false, 0, kComp, {{-2, 102, 0}}, {6, 9, 14, 15, 69, 70, 85, 86},
       {10, 13, 71, 76, 87, 92, 95, 119}},
      {"CH at 96 kHz in MTR BUS MODE", 2, true, 0, kComp, {{-2, 102, 0}},
       {6, 11, 85, 86, 101, 119, 102, 122, 123, 124, 125},
       {12, 13, 14, 15, 71, 72, 79, 84, 87, 92}},
      {"L shelving", 0, false, 0, kComp, {{-1, 53, 1}, {-1, 54, 0}}, {64}, {61}},
      {"H shelving", 0, false, 0, kComp, {{-1, 53, 0}, {-1, 54, 1}}, {61}, {64}},
      {"DUCK", 0, false, 0, kComp, {{-1, 24, 1}}, {24, 23, 33, 35, 36, 38, 39}, {20, 34, 37, 40}},
      {"EXP", 0, false, 0, kExp, {{-1, 22, 0}}, {21, 22, 27, 28, 29, 30, 31, 32},
       {20, 23, 24, 33, 34, 37, 38}},
      {"GATE", 0, false, 0, kExp, {{-1, 22, 1}}, {27, 29, 30, 31, 32}, {28, 33}},
      {"CH 24 cannot link", 0, false, 23, kComp, {}, {41}, {42}},
      {"AUX 1/2 stereo", 0, false, 0, kComp, {{-2, 102, 1}}, {85, 69, 77, 93, 97}, {86, 70, 78}},
      {"MTR bus", 0, false, 48, kComp, {{-1, 24, 0}}, {17, 33, 41, 45, 56, 102, 110},
       {1, 3, 6, 16, 104, 106, 18, 43, 46, 55, 60, 69, 85, 109}},
      {"return", 0, false, 64, kComp, {}, {6, 13, 14, 15, 69, 76, 102, 104, 106, 110},
       {1, 16, 17, 33, 45, 85, 109}},
      {"PGM", 0, false, 72, kComp, {}, {17, 45, 110}, {1, 6, 69, 102}},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    gen::TitleSpec spec;
    spec.rate_mode = c.rate_mode;
    spec.mtr_bus_mode = c.surround;
    auto title = test::LoadTitle(spec);
    TQ730SYSF& system = title->System();
    for (auto [channel, id, value] : c.sets) {
      const int target = channel == -1   ? c.channel
                         : channel == -2 ? system.FirstChannelOf(kGroupAUX)
                                         : channel;
      system.SetParam(target, id, value);
    }
    const std::set<int> ids = Ids(Page(system, c.channel, c.section));
    for (int id : c.present) EXPECT_TRUE(ids.count(id)) << "missing " << id;
    for (int id : c.absent) EXPECT_FALSE(ids.count(id)) << "shown " << id;
  }
}

TEST(PageSceneTest, LibraryPagesShowTheirBlockAndTheEditSwitch) {
  auto title = test::LoadTitle();
  title->Dynamics().SetEditEnabled(true);
  title->Dynamics().SetParam(1, kParamCompDuckSelect, 0);
  const std::set<int> dyn =
      Ids(Page(title->Dynamics(), 1, DynamicsSection::kCompDuck, kPageDynLib));
  for (int id : {16, 17, 18, 19, 20, 26, 33, 34, 40, 42, kSwitchEdit})
    EXPECT_TRUE(dyn.count(id)) << id;
  for (int id : {41, 27, 45, 110}) EXPECT_FALSE(dyn.count(id)) << id;
  EXPECT_TRUE(
      Find(Page(title->Dynamics(), 1, DynamicsSection::kCompDuck, kPageDynLib), kSwitchEdit)->lit);

  const std::set<int> eq = Ids(Page(title->Eq(), 0, DynamicsSection::kCompDuck, kPageEqLib));
  for (int id : {43, 45, 46, 51, 52, 55, 60, 56, 68, kSwitchEdit}) EXPECT_TRUE(eq.count(id)) << id;
  for (int id : {16, 17, 110}) EXPECT_FALSE(eq.count(id)) << id;
  EXPECT_FALSE(
      Find(Page(title->Eq(), 0, DynamicsSection::kCompDuck, kPageEqLib), kSwitchEdit)->lit);
}

TEST(PageSceneTest, ControlsStandWhereThePagesPlaceThem) {
  gen::TitleSpec spec;
  spec.mtr_bus_mode = true;  // at 48 kHz: eight MTR, buses 1 to 6 beside the surround graph
  auto title = test::LoadTitle(spec);
  title->System().SetParam(0, kParamCompDuckSelect, 0);
  title->System().SetParam(58, kParamLinkMode, 0);
  const PageScene ch = Page(title->System(), 0, DynamicsSection::kCompDuck);
  title->Dynamics().SetParam(0, kParamCompDuckSelect, 0);
  const PageScene dyn = Page(title->Dynamics(), 0, DynamicsSection::kCompDuck, kPageDynLib);
  const PageScene eq = Page(title->Eq(), 0, DynamicsSection::kCompDuck, kPageEqLib);
  struct Case {
    const PageScene* scene;
    int id;
    PageRect box;
  } cases[] = {
      {&ch, kParamDynamicsBlock, {10, 9, 64, 64}},
      {&ch, kParamEqBlock, {285, 11, 309, 55}},
      {&ch, kParamTrim, {10, 98, 68, 22}},
      {&ch, kParamBusAssign, {711, 124, 24, 24}},      // bus 1 beside the graph
      {&ch, kParamBusAssign + 2, {740, 124, 24, 24}},  // bus 3
      {&ch, kParamBusAssign + 6, {440, 117, 32, 14}},  // bus 7 stays in the row
      {&ch, kParamPgmAssignR, {578, 117, 32, 14}},
      {&ch, kParamDynamicsOn, {69, 178, 22, 18}},
      {&ch, kParamCompDuckThreshold, {161, 166, 68, 22}},
      {&ch, kParamCompDuckRelease, {389, 226, 68, 22}},
      {&ch, kSwitchCompDuckSection, {485, 212, 64, 32}},
      {&ch, kParamLinkMode, {638, 60, 146, 18}},
      {&ch, kParamFaderLevel, {632, 291, 68, 22}},
      {&ch, kParamSurroundPanGraph, {711, 149, 79, 79}},
      {&ch, kParamAuxLevel + 3, {237, 423, 68, 22}},
      {&dyn, kParamDynamicsBlock, {316, 64, 200, 200}},
      {&dyn, kSwitchEdit, {701, 56, 44, 14}},
      {&dyn, kParamCompDuckThreshold, {204, 291, 82, 33}},
      {&dyn, kParamCompDuckOn, {753, 372, 22, 18}},
      {&eq, kParamEqBlock, {41, 81, 672, 150}},
      {&eq, kParamLfFilterOn, {13, 447, 22, 18}},
      {&eq, kParamEqHighGain, {532, 402, 82, 33}},
  };
  for (const Case& c : cases) {
    const PageControl* control = Find(*c.scene, c.id);
    ASSERT_NE(control, nullptr) << c.id;
    EXPECT_EQ(control->box, c.box) << c.id;
  }
}

TEST(PageSceneTest, LabelTexts) {
  struct Case {
    int code, value;
    const char* text;
  } cases[] = {
      {2, 0, "IN"},      {3, 1, "ON"},   {4, 0, "PRE"},          {5, 0, "ON"},
      {6, 1, "CUT"},     {8, 1, "ON"},   {8, 0, "OFF"},          {9, 0, "HARD"},
      {9, 7, "SOFT"},    {9, 3, "3"},    {10, 0, "MONO"},        {10, 2, "SURROUND"},
      {10, 3, ""},       {10, -1, ""},   {11, 0, "GROUP 1"},     {12, 1, "ON"},
      {13, 1, "VCA"},    {13, 5, ""},    {14, 0, "OFF"},         {14, 1, "24 BIT"},
      {14, 5, "16 BIT"}, {14, 6, ""},    {15, 1, "RECTANGULAR"}, {16, 0, "OUTPUTS"},
      {17, 0, "MADI"},   {18, 0, "PAN"}, {19, 1, "ALL ON"},      {19, 0, "ALL OFF"},
      {0, 1, ""},        {99, 1, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(LabelText(c.code, c.value), c.text) << c.code << c.value;
}

TEST(PageSceneTest, ChannelTextsKeyLinkAndAuxLabels) {
  auto title = test::LoadTitle();
  TQ730SYSF& system = title->System();
  system.SetParam(56, kParamLinkMode, 1);  // AUX 1/2 stereo
  for (int aux : {58, 60, 62}) system.SetParam(aux, kParamLinkMode, 0);
  system.SetParam(2, kParamCompDuckSelect, 0);
  system.SetParam(2, kParamDynamicsKey, 2);
  system.SetParam(2, kParamCompKnee, 7);
  PageScene scene = Page(system, 2, DynamicsSection::kCompDuck);
  EXPECT_EQ(Find(scene, kParamDynamicsKey)->face, "LOCAL");
  EXPECT_EQ(Find(scene, kParamDynamicsLink)->face, "CH 4");
  EXPECT_EQ(Find(scene, kParamCompKnee)->face, "SOFT");
  EXPECT_EQ(Find(scene, kParamCompKnee)->caption, "KNEE");
  EXPECT_EQ(Find(scene, kParamLinkMode)->face, LabelText(10, system.GetParam(2, 102)));
  std::vector<std::string> aux;
  for (const PageText& t : scene.labels) aux.push_back(t.text);
  EXPECT_EQ(aux, (std::vector<std::string>{"1/2", "PAN", "3", "4", "5", "6", "7", "8"}));
  system.SetParam(2, kParamDynamicsKey, 14);
  scene = Page(system, 2, DynamicsSection::kCompDuck);
  EXPECT_EQ(Find(scene, kParamDynamicsKey)->face, "CH 15");
}

TEST(PageSceneTest, KnobsAndFadersCarryDialAndCap) {
  auto title = test::LoadTitle();
  TQ730SYSF& system = title->System();
  system.SetParam(0, kParamTrim, 0);
  system.SetParam(0, kParamPan, 126);
  system.SetParam(0, kParamFaderLevel, 778);
  system.SetParam(0, kParamPhase, 1);
  system.SetParam(0, kParamDelayOn, 0);
  const PageScene scene =
      BuildPageScene({kPageChannel, &system, 0, DynamicsSection::kCompDuck, nullptr, 3});
  const PageControl* trim = Find(scene, kParamTrim);
  EXPECT_EQ(trim->pointer_angle, -150);
  EXPECT_EQ(trim->zero_angle, 0);
  EXPECT_EQ(trim->value_text.value, "-15.0");
  EXPECT_EQ(trim->dial, (PagePoint{20, 109}));
  EXPECT_EQ(Find(scene, kParamPan)->pointer_angle, 150);
  const PageControl* delay = Find(scene, kParamDelay);
  EXPECT_EQ(delay->centre, system.ParamMax(0, kParamDelay) / 2);
  EXPECT_EQ(delay->max, 12287999);
  const PageControl* level = Find(scene, kParamFaderLevel);
  EXPECT_EQ(level->value_text.value, " *0.0");
  EXPECT_EQ(level->cap, (PagePoint{666, 317 + 141 - 107}));  // 778 * 141 / 1023 from the bottom
  EXPECT_TRUE(Find(scene, kParamPhase)->lit);
  EXPECT_FALSE(Find(scene, kParamDelayOn)->lit);
  EXPECT_TRUE(Find(scene, kParamPhase)->pressed);  // entry 3 of the table
  EXPECT_FALSE(Find(scene, kParamDelayOn)->pressed);
}

TEST(PageSceneTest, HeadersAndTheirCut) {
  const auto ten_each = [](std::string_view s) { return 10 * static_cast<int>(s.size()); };
  EXPECT_EQ(FitHeader(std::string(76, 'A'), ten_each), std::string(76, 'A'));
  // The "..." counts toward the limit: a cut header never runs past it.
  EXPECT_EQ(FitHeader(std::string(77, 'A'), ten_each), std::string(73, 'A') + "...");
  EXPECT_EQ(FitHeader(std::string(200, 'A'), nullptr), std::string(200, 'A'));

  auto title = test::LoadTitle();
  title->System().SetName(0, "KICK");
  EXPECT_EQ(Page(title->System(), 0, DynamicsSection::kCompDuck).header, "CH 1 KICK");
  title->Dynamics().SetName(1, "VOX");
  EXPECT_EQ(Page(title->Dynamics(), 1, DynamicsSection::kCompDuck, kPageDynLib).header,
            "DYNAMICS LIBRARY   2 : VOX");
  const PageScene cut =
      BuildPageScene({kPageDynLib, &title->Dynamics(), 1, DynamicsSection::kCompDuck,
                      [](std::string_view s) { return 40 * static_cast<int>(s.size()); }});
  EXPECT_EQ(cut.header, "DYNAMICS LIBRARY...");  // 19 characters of 40 pixels fit

  gen::TitleSpec empty;
  empty.eq = 0;
  auto none = test::LoadTitle(empty);
  const PageScene scene = Page(none->Eq(), 0, DynamicsSection::kCompDuck, kPageEqLib);
  EXPECT_EQ(scene.header, "EQ LIBRARY");
  EXPECT_TRUE(scene.controls.empty());
  EXPECT_FALSE(scene.frames.empty());
}

TEST(PageSceneTest, ScenesOfScrambledTitlesStayInsideThePanel) {
  for (unsigned seed = 1; seed <= 12; ++seed) {
    gen::TitleSpec spec;
    spec.rate_mode = static_cast<int>(seed % 4);
    spec.seed = seed;
    auto title = test::LoadTitle(spec);
    std::mt19937 random(seed);
    auto block = title->System().Block();
    for (std::size_t i = 48; i < block.size(); ++i) block[i] = static_cast<std::uint8_t>(random());
    block[41] = static_cast<std::uint8_t>(random() % 6);  // 4 and 5 are no rate
    for (TQ730* lib : {static_cast<TQ730*>(&title->Dynamics()), static_cast<TQ730*>(&title->Eq())})
      for (int e = 0; e < lib->Count(); ++e)
        for (std::uint8_t& b : lib->Record(e).subspan(28)) b = static_cast<std::uint8_t>(random());
    const auto check = [](const PageScene& scene) {
      for (const PageControl& c : scene.controls) {
        for (const PagePoint& p : c.graph.curve) {
          EXPECT_TRUE(p.y >= c.box.top && p.y <= c.box.top + c.box.height);
        }
        EXPECT_LE(c.box.left + c.box.width, kPanelWidth);
      }
    };
    for (auto section : {DynamicsSection::kCompDuck, DynamicsSection::kExpGate}) {
      for (int ch = -1; ch <= title->System().Count(); ++ch)
        check(Page(title->System(), ch, section));
      for (int e = -1; e <= 3; ++e) {
        check(Page(title->Dynamics(), e, section, kPageDynLib));
        check(Page(title->Eq(), e, section, kPageEqLib));
      }
      for (auto page : {kPageInputAssign, kPageOutputAssign, kPageFader})
        for (auto view : {RoutingView::kOutputs, RoutingView::kMadi})
          check(BuildPageScene({page, &title->System(), 0, section, nullptr, -1, view}));
    }
  }
}

}  // namespace
}  // namespace orb
