// The page painter and the panel: painted pixels where the scene puts switches, curves and
// handles; the panel draws the page of the cursor; renderings of every page and layout.
#include <gtest/gtest.h>

#include <QApplication>
#include <QListWidget>
#include <fstream>

#include "core/editor/EditSession.h"
#include "core/model/ParamIds.h"
#include "core/model/ParamModel.h"
#include "core/model/Q730snap.h"
#include "core/pages/OverviewPages.h"
#include "gui/editor/PanelArea.h"
#include "gui/pages/PagePainter.h"
#include "tests/gui/shell/GuiTestSupport.h"

namespace orb {
namespace {

std::unique_ptr<Title> LoadTitle(const gen::TitleSpec& spec) {
  auto title = std::make_unique<Title>();
  MemoryFile file(gen::MakeTitle(spec));
  EXPECT_EQ(title->LoadChunks(file), kOk);
  return title;
}

// A strip with every curve section at work: compressor and gate, four bands and both filters.
void Dress(TQ730& list, int ch) {
  const std::pair<int, int> values[] = {{kParamDynamicsOn, 1},     {kParamCompDuckOn, 1},
                                        {kParamCompDuckSelect, 0}, {kParamCompDuckThreshold, 50},
                                        {kParamCompRatio, 10},     {kParamExpGateOn, 1},
                                        {kParamExpGateSelect, 1},  {kParamExpGateThreshold, 100},
                                        {kParamExpGateRange, 30},  {kParamEqOn, 1},
                                        {kParamLfFilterOn, 1},     {kParamLfFilterFreq, 10},
                                        {kParamHfFilterOn, 1},     {kParamHfFilterFreq, 30},
                                        {kParamEqLowShelf, 1},     {kParamEqLowOn, 1},
                                        {kParamEqLowGain, 95},     {kParamEqLowMidOn, 1},
                                        {kParamEqLowMidFreq, 12},  {kParamEqLowMidGain, 30},
                                        {kParamEqLowMidQ, 8},      {kParamEqHighMidOn, 1},
                                        {kParamEqHighMidFreq, 20}, {kParamEqHighMidGain, 90},
                                        {kParamEqHighOn, 1},       {kParamEqHighShelf, 0},
                                        {kParamEqHighGain, 40},    {kParamEqHighFreq, 10},
                                        {kParamEqHighQ, 20}};
  list.SetEditEnabled(true);
  for (auto [id, value] : values) list.SetParam(ch, id, value);
}

// The layouts every page is rendered in.
struct Layout {
  const char* name;
  int rate_mode;
  bool surround;
};
constexpr Layout kLayouts[] = {{"48k", 0, false}, {"96k", 2, false}, {"mtr_bus_mode", 2, true}};

std::unique_ptr<Title> LoadLayout(const Layout& layout) {
  gen::TitleSpec spec;
  spec.rate_mode = layout.rate_mode;
  spec.mtr_bus_mode = layout.surround;
  return LoadTitle(spec);
}

QColor Pixel(const QImage& image, int x, int y) {
  return image.pixelColor(x, y);
}

TEST(PagePainterTest, SwitchesCurvesAndHandlesArePaintedWhereTheSceneSaysAndRenderings) {
  std::filesystem::create_directories(ORB_RENDER_DIR);
  for (const Layout& layout : kLayouts) {
    auto title = LoadLayout(layout);
    TQ730SYSF& system = title->System();
    const int mtr = system.FirstChannelOf(kGroupMTR), rtn = system.FirstChannelOf(kGroupRTN);
    for (int ch : {0, mtr}) Dress(system, ch);
    Dress(title->Dynamics(), 0);
    Dress(title->Eq(), 0);
    system.SetName(0, "VOCAL");
    system.SetParam(0, kParamPhase, 1);
    system.SetParam(0, kParamDelayOn, 0);
    system.SetParam(0, kParamSurroundPanLR, 30);
    system.SetParam(0, kParamSurroundPanFR, 90);
    struct Page {
      const char* name;
      PageKind kind;
      const TQ730* list;
      int cursor;
      DynamicsSection section;
    } pages[] = {
        {"input", kPageChannel, &system, 0, DynamicsSection::kCompDuck},
        {"input_gate", kPageChannel, &system, 0, DynamicsSection::kExpGate},
        {"bus", kPageChannel, &system, mtr, DynamicsSection::kCompDuck},
        {"return", kPageChannel, &system, rtn, DynamicsSection::kCompDuck},
        {"dynlib", kPageDynLib, &title->Dynamics(), 0, DynamicsSection::kCompDuck},
        {"eqlib", kPageEqLib, &title->Eq(), 0, DynamicsSection::kCompDuck},
    };
    for (const Page& page : pages) {
      SCOPED_TRACE(std::string(layout.name) + " " + page.name);
      const PageScene scene =
          BuildPageScene({page.kind, page.list, page.cursor, page.section, HeaderTextWidth()});
      const QImage image = RenderPage(scene);
      image.save(QString::fromStdString(std::string(ORB_RENDER_DIR) + "/page_" + page.name + "_" +
                                        layout.name + ".png"));
      ASSERT_FALSE(scene.controls.empty());
      int graphs = 0;
      for (const PageControl& c : scene.controls) {
        const bool plain_switch = c.kind == kKindSwitch || c.kind == kKindSmallSwitch ||
                                  c.kind == kKindSquareSwitch || c.kind == kKindTextButton ||
                                  c.kind == kKindWideSwitch;
        if (plain_switch) {
          const QColor face = Pixel(image, c.box.left + 2, c.box.top + 2);
          if (c.lit) {
            EXPECT_GT(face.green(), face.red() + 60) << c.id;
          } else {
            EXPECT_LT(std::abs(face.green() - face.red()), 12) << c.id;
          }
        }
        if (IsGraph(c.kind)) ++graphs;
        for (const GraphHandle& h : c.graph.handles) {
          EXPECT_EQ(Pixel(image, h.x, h.y), QColor(Qt::white)) << c.id;
          EXPECT_EQ(Pixel(image, h.x + 2, h.y), QColor(h.colour.r, h.colour.g, h.colour.b)) << c.id;
        }
        if (c.kind == kKindEqGraph) {
          ASSERT_FALSE(c.graph.curve.empty());
          const PagePoint mid = c.graph.curve[c.graph.curve.size() / 2];
          EXPECT_EQ(Pixel(image, mid.x, mid.y), QColor(255, 255, 0));
        }
      }
      const bool channel_page = page.kind == kPageChannel && page.cursor != rtn;
      EXPECT_EQ(graphs, channel_page                ? 2 + (page.cursor == 0 && layout.surround)
                        : page.kind == kPageChannel ? 0
                                                    : 1);
    }
  }
}

TEST(PagePainterTest, HeaderDrawsWhiteOverItsShadowAndIsCutToTheLimit) {
  auto title = LoadTitle({});
  title->Dynamics().SetName(0, "ABCDEFGHIJKLMNOPQRSTUVW");
  PageScene scene = BuildPageScene(
      {kPageDynLib, &title->Dynamics(), 0, DynamicsSection::kCompDuck, HeaderTextWidth()});
  EXPECT_LE(HeaderTextWidth()(scene.header), 760 + HeaderTextWidth()("..."));
  EXPECT_TRUE(scene.header.ends_with("...")) << scene.header;
  const QImage image = RenderPage(scene);
  // The "D" of "DYNAMICS": its stem is white, with black two pixels right and below.
  bool white = false, shadow = false;
  for (int y = 12; y < 34; ++y) {
    white = white || Pixel(image, 16, y) == QColor(Qt::white);
    shadow = shadow || Pixel(image, 18, y + 2) == QColor(Qt::black);
  }
  EXPECT_TRUE(white);
  EXPECT_TRUE(shadow);
}

// The list box LB_Assign lies over the painted pick list: a panel's picture and a rendering
// are compared outside it.
QImage OutsideList(QImage image, const QRect& list) {
  QPainter(&image).fillRect(list, Qt::black);
  return image;
}
QImage Shown(TPanelArea& panel) {
  const QImage image = panel.grab().toImage().convertToFormat(QImage::Format_RGB32);
  return OutsideList(image,
                     panel.AssignList()->isHidden() ? QRect() : panel.AssignList()->geometry());
}
QImage Rendered(const PageInput& in) {
  const PageScene scene = BuildPageScene(in);
  const PageRect& list = scene.pick_list.box;
  return OutsideList(RenderPage(scene), QRect(list.left, list.top, list.width, list.height));
}

TEST(PagePainterTest, PanelShowsThePageOfTheCursorAndKeepsTheSection) {
  test::TempFolder folder;
  const std::string path = folder.AddTitle("Panel");
  TClip clip;
  EditSession session(clip, nullptr);
  ASSERT_EQ(session.Open(path), kOk);
  TPanelArea panel(session);
  const auto expected = [&](PageKind kind) {
    return Rendered({kind, &session.CurrentList(), session.Cursor(), panel.Section(),
                     HeaderTextWidth(), -1, panel.OutputRoutingView()});
  };
  EXPECT_EQ(Shown(panel), expected(kPageChannel));
  const QImage first = panel.grab().toImage();
  session.SetCursor(5);
  EXPECT_NE(panel.grab().toImage(), first);
  EXPECT_EQ(Shown(panel), expected(kPageChannel));
  panel.SetSection(DynamicsSection::kExpGate);
  session.ChangeTab(10);  // DYN LIB
  EXPECT_EQ(Shown(panel), expected(kPageDynLib));
  session.ChangeTab(11);  // EQ LIB
  EXPECT_EQ(Shown(panel), expected(kPageEqLib));
  session.ChangeTab(8);  // INPUT ASSIGN
  EXPECT_EQ(Shown(panel), expected(kPageInputAssign));
  session.ChangeTab(9);  // OUTPUT ASSIGN
  panel.SetOutputRoutingView(RoutingView::kMadi);
  EXPECT_EQ(Shown(panel), expected(kPageOutputAssign));
  session.ChangeTab(2);  // FADER
  EXPECT_EQ(Shown(panel), expected(kPageFader));
  session.ChangeTab(0);
  EXPECT_EQ(panel.Section(), DynamicsSection::kExpGate);
  EXPECT_EQ(panel.OutputRoutingView(), RoutingView::kMadi);
}

TEST(PagePainterTest, PanelPaintsEveryTabsPageWithTheBankAndTheAssignListOnTheAssignPages) {
  test::TempFolder folder;
  const std::string path = folder.AddTitle("Tabs");
  TClip clip;
  EditSession session(clip, nullptr);
  ASSERT_EQ(session.Open(path), kOk);
  TPanelArea panel(session);
  const PageKind expected[kTabCount] = {
      kPageChannel,  kPageOverview, kPageFader, kPageFaderGroup,  kPageChannel,
      kPageSnapshot, kPageIsolate,  kPageCue,   kPageInputAssign, kPageOutputAssign,
      kPageDynLib,   kPageEqLib,    kPageSetup};
  for (int tab = 0; tab < kTabCount; ++tab) {
    if (tab == 4) continue;  // AUTOMATION: the timeline
    SCOPED_TRACE(kTabPages[static_cast<std::size_t>(tab)].caption);
    session.ChangeTab(tab);
    const QImage shown = Shown(panel);
    EXPECT_EQ(panel.Input().page, expected[tab]);
    EXPECT_EQ(shown, Rendered(panel.Input()));
    const bool assign = tab == 8 || tab == 9;
    EXPECT_EQ(panel.AssignList()->isHidden(), !assign);
    if (assign) {
      const auto items = tab == 8 ? InputPickList(session.GetTitle().System())
                                  : OutputPickList(session.GetTitle().System());
      EXPECT_EQ(panel.AssignList()->count(), static_cast<int>(items.size()));
      EXPECT_EQ(panel.AssignList()->item(1)->text().toStdString(), items[1].text);
      EXPECT_EQ(panel.AssignList()->geometry().topLeft(), QPoint(17, tab == 8 ? 99 : 107));
    }
  }
  // The bank follows the cursor on the system pages.
  session.ChangeTab(1);
  session.SetCursor(30);
  EXPECT_EQ(BuildPageScene(panel.Input()).header, "AUDIO OVERVIEW : 25~48");
  session.SetCursor(50);
  EXPECT_EQ(BuildPageScene(panel.Input()).header, "AUDIO OVERVIEW : MASTERS");
}

TEST(PagePainterTest, SystemPagesPaintStripButtonsAndPickListAndRenderings) {
  for (const Layout& layout : kLayouts) {
    auto title = LoadLayout(layout);
    TQ730SYSF& system = title->System();
    system.SetParam(0, kParamInputSource, 81);
    system.SetParam(1, kParamInputSource, 1);
    system.SetParam(0, kParamInsertionSwitch, 1);
    for (int i = 0; i < 8; ++i) system.SetParam(i, kParamOutputRouting, 3 + i);
    struct Page {
      const char* name;
      PageKind kind;
      RoutingView view;
    } pages[] = {{"input_assign", kPageInputAssign, RoutingView::kOutputs},
                 {"output_assign", kPageOutputAssign, RoutingView::kOutputs},
                 {"output_assign_madi", kPageOutputAssign, RoutingView::kMadi},
                 {"fader", kPageFader, RoutingView::kOutputs}};
    for (const Page& page : pages) {
      SCOPED_TRACE(std::string(layout.name) + " " + page.name);
      const PageScene scene = BuildPageScene(
          {page.kind, &system, 0, DynamicsSection::kCompDuck, HeaderTextWidth(), 1, page.view});
      const QImage image = RenderPage(scene);
      image.save(QString::fromStdString(std::string(ORB_RENDER_DIR) + "/page_" + page.name + "_" +
                                        layout.name + ".png"));
      const QColor strip = Pixel(image, 790, 40);
      EXPECT_GT(strip.blue(), strip.red() + 30);
      const PageRect list = scene.pick_list.box;
      if (page.kind != kPageFader) {
        EXPECT_EQ(Pixel(image, list.left + list.width - 4, list.top + list.height - 4),
                  QColor(Qt::white));
      }
      int routing = 0;
      for (const PageControl& c : scene.controls) {
        if (c.kind != kKindRouting) continue;
        ++routing;
        const QColor face = Pixel(image, c.box.left + 3, c.box.top + 3);
        EXPECT_EQ(face.blue() > face.red() + 50, c.pressed) << c.id << "/" << c.channel;
      }
      EXPECT_EQ(routing >= 24, page.kind != kPageFader);
    }
  }
}

TEST(PagePainterTest, OverviewCueAndSettingsPagesPaintBarsCellsAndRowsAndRenderings) {
  for (const Layout& layout : kLayouts) {
    auto title = LoadLayout(layout);
    TQ730SYSF& system = title->System();
    system.SetEditEnabled(true);
    system.SetParam(0, kParamAuxOn, 1);
    system.SetParam(0, kParamAuxLevel, 100);
    system.SetParam(0, kParamPanOn, 1);
    system.SetParam(0, kParamPan, 20);
    system.SetParam(1, kParamFaderGroup, 2);
    system.SetParam(0, kParamGroupType, 1);
    system.SetParam(3, kParamSnapshotIsolate, 1);
    title->Snapshots().SetName(0, "A VERY LONG SNAPSHOT NAME");
    TQ730CUE& cues = title->Cues();
    cues.SetParam(0, kParamCueEvent, 1);
    cues.SetParam(0, kParamCueEventNumber, 0);
    cues.SetParam(1, kParamCueEvent, 1);
    cues.SetParam(1, kParamCueEventNumber, 1);
    cues.SetParam(1, kParamCueChannel, 255);
    struct Page {
      const char* name;
      PageKind kind;
      const TQ730* list;
      int bank;
    } pages[] = {{"overview_1", kPageOverview, &system, 0},
                 {"overview_2", kPageOverview, &system, 1},
                 {"overview_masters", kPageOverview, &system, 2},
                 {"snapshot", kPageSnapshot, &title->Snapshots(), 0},
                 {"fader_group", kPageFaderGroup, &system, 0},
                 {"isolate", kPageIsolate, &system, 0},
                 {"cue", kPageCue, &cues, 0},
                 {"setup", kPageSetup, &system, 0}};
    for (const Page& page : pages) {
      SCOPED_TRACE(std::string(layout.name) + " " + page.name);
      PageInput in{page.kind, page.list, 0, DynamicsSection::kCompDuck, HeaderTextWidth()};
      in.bank = page.bank;
      in.cell_width = CellTextWidth();
      in.snapshots = &title->Snapshots();
      const PageScene scene = BuildPageScene(in);
      const QImage image = RenderPage(scene);
      image.save(QString::fromStdString(std::string(ORB_RENDER_DIR) + "/page_" + page.name + "_" +
                                        layout.name + ".png"));
      for (const PageControl& c : scene.controls) {
        const QColor inside =
            Pixel(image, c.box.left + c.box.width / 2, c.box.top + c.box.height / 2);
        if (c.kind == kKindBar && c.centre == 0 && c.value > c.max / 2) {
          EXPECT_EQ(inside.green() > inside.red() + 80, c.lit) << c.id << "/" << c.channel;
        } else if (c.kind == kKindTableHeader) {
          EXPECT_EQ(Pixel(image, c.box.left + 1, c.box.top + 1), QColor(212, 214, 218));
        } else if (c.kind == kKindGroupRow) {
          EXPECT_EQ(Pixel(image, c.box.left + 4, c.box.top + 4).blue() > 100, c.pressed);
        }
      }
    }
  }
}

// Every page of every layout and bank, with names of the widest letters: each face fits its box
// in its kind's print, no two texts overlap and no text runs over a control it does not belong
// to, measured in the painter's fonts.
TEST(PagePainterTest, EveryPagesTextsFitTheirBoxesAndOverlapNothing) {
  for (const Layout& layout : kLayouts) {
    auto title = LoadLayout(layout);
    TQ730SYSF& system = title->System();
    system.SetEditEnabled(true);
    for (int ch = 0; ch < system.ChannelCount(); ++ch) system.SetName(ch, "WWWWWWW");
    const int first_aux = system.FirstChannelOf(kGroupAUX);
    if (system.GroupSize(kGroupAUX) > 0) system.SetParam(first_aux, kParamLinkMode, kStereo);
    for (TQ730* list :
         std::initializer_list<TQ730*>{&title->Snapshots(), &title->Dynamics(), &title->Eq()})
      list->SetName(0, "WWWWWWWWWWWWWWWWWWWWWWW");
    TQ730CUE& cues = title->Cues();
    cues.SetParam(0, kParamCueEvent, 1);
    cues.SetParam(1, kParamCueEvent, 2);
    cues.SetParam(1, kParamCueChannel, 255);
    std::vector<std::pair<std::string, PageInput>> pages;
    const auto add = [&](std::string name, PageKind kind, const TQ730* list, int cursor) {
      PageInput in{kind, list, cursor, DynamicsSection::kCompDuck, HeaderTextWidth()};
      in.cell_width = CellTextWidth();
      in.snapshots = &title->Snapshots();
      in.eq_lib = &title->Eq();
      in.dyn_lib = &title->Dynamics();
      pages.emplace_back(std::move(name), in);
      return &pages.back().second;
    };
    for (int group = kGroupInput; group <= kGroupPGM; ++group) {
      if (system.GroupSize(group) == 0) continue;
      const int ch = system.FirstChannelOf(group);
      add("channel " + system.NumberText(ch), kPageChannel, &system, ch);
      add("channel gate " + system.NumberText(ch), kPageChannel, &system, ch)->section =
          DynamicsSection::kExpGate;
    }
    add("dynlib", kPageDynLib, &title->Dynamics(), 0);
    add("eqlib", kPageEqLib, &title->Eq(), 0);
    add("input assign", kPageInputAssign, &system, 0);
    add("output assign", kPageOutputAssign, &system, 0);
    add("output assign madi", kPageOutputAssign, &system, 0)->view = RoutingView::kMadi;
    add("fader", kPageFader, &system, 0);
    for (int bank = 0; bank < kOverviewBanks; ++bank) {
      add("overview " + std::to_string(bank), kPageOverview, &system, 0)->bank = bank;
      add("snapshot " + std::to_string(bank), kPageSnapshot, &title->Snapshots(), 0)->bank = bank;
    }
    add("fader group", kPageFaderGroup, &system, 0);
    add("isolate", kPageIsolate, &system, 0);
    add("cue", kPageCue, &cues, 0);
    add("setup", kPageSetup, &system, 0);
    for (const auto& [name, in] : pages) {
      SCOPED_TRACE(std::string(layout.name) + " " + name);
      const PageScene scene = BuildPageScene(in);
      const std::vector<PlacedText> texts = PlacedTexts(scene);
      const auto box = [&](int k) {
        const PageRect& r = scene.controls[static_cast<std::size_t>(k)].box;
        return QRect(r.left, r.top, r.width, r.height);
      };
      std::vector<std::string> faults;
      for (std::size_t i = 0; i < texts.size(); ++i) {
        const PlacedText& a = texts[i];
        if (!a.room.isNull() && (a.ink.left() < a.room.left() || a.ink.right() > a.room.right()))
          faults.push_back("\"" + a.text + "\" wider than its box");
        // Only the tiny keys have the smallest print; a face made that small to fit is cramped.
        const PageControl* owner =
            a.control >= 0 ? &scene.controls[static_cast<std::size_t>(a.control)] : nullptr;
        if (owner && !IsKnob(owner->kind) && !IsFader(owner->kind) && owner->box.height > 12 &&
            a.text == owner->face && a.pixels < 9)
          faults.push_back("\"" + a.text + "\" printed smaller to fit");
        for (std::size_t j = i + 1; j < texts.size(); ++j) {
          if (a.ink.intersects(texts[j].ink))
            faults.push_back("\"" + a.text + "\" over \"" + texts[j].text + "\"");
        }
        for (int k = 0; k < static_cast<int>(scene.controls.size()); ++k) {
          // A fader group row holds its type box and on switch.
          const bool own = k == a.control || (a.control >= 0 && box(k).contains(box(a.control)));
          if (!own && a.ink.intersects(box(k))) {
            const PageControl& c = scene.controls[static_cast<std::size_t>(k)];
            faults.push_back("\"" + a.text + "\" over control " + std::to_string(c.id) + "/" +
                             std::to_string(c.channel));
          }
        }
      }
      std::string first;
      for (std::size_t i = 0; i < std::min<std::size_t>(faults.size(), 12); ++i)
        first += "\n  " + faults[i];
      EXPECT_TRUE(faults.empty()) << faults.size() << " faults:" << first;
    }
  }
}

}  // namespace
}  // namespace orb
