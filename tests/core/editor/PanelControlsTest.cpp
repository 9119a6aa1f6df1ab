// Every control of every page the panel draws, as the session shows it for generated titles at
// 48 kHz and 96 kHz: pressed and released at its centre (dragged across its box, for what the
// press grabs) it acts, unless the panel declares it display-only.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "core/pages/PanelGestures.h"
#include "tests/core/editor/PanelSession.h"

namespace orb {
namespace {

// One scene: a tab with the state that changes which controls it builds.
struct View {
  int tab;
  int cursor = 0;
  int bank = 0;
  DynamicsSection section = DynamicsSection::kCompDuck;
  RoutingView routing = RoutingView::kOutputs;
};

enum class Effect { kNone, kWrite, kPopup, kEntry, kList, kState };

class PanelControlsTest : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    gen::TitleSpec spec;
    spec.rate_mode = GetParam();
    bound = std::make_unique<test::PanelSession>(spec);
    ASSERT_EQ(bound->status, kOk);
    session = bound->session.get();
    panel = bound->panel.get();
  }

  // Every page with every bank, channel kind, dynamics section and routing view it has.
  std::vector<View> Views() const {
    const TQ730SYSF& s = session->GetTitle().System();
    std::vector<View> views;
    for (int tab = 0; tab < kTabCount; ++tab) {
      const PageKind page = kTabPages[static_cast<std::size_t>(tab)].kind;
      if (!PanelBinding::Draws(page)) continue;
      for (const auto section : {DynamicsSection::kCompDuck, DynamicsSection::kExpGate}) {
        if (page == kPageChannel) {
          for (int kind = kGroupInput; kind <= kGroupPGM; ++kind) {
            if (s.GroupSize(kind) > 0) views.push_back({tab, s.FirstChannelOf(kind), 0, section});
          }
        } else if (page == kPageDynLib) {
          views.push_back({tab, 0, 0, section});
        }
      }
      if (page == kPageOverview || page == kPageSnapshot) {
        for (int bank = 0; bank < 3; ++bank) {
          if (bank != 1 || s.GroupSize(kGroupInput) > 24) views.push_back({tab, 0, bank});
        }
      } else if (page == kPageOutputAssign) {
        views.push_back({tab, 0, 0, {}, RoutingView::kOutputs});
        views.push_back({tab, 0, 0, {}, RoutingView::kMadi});
      } else if (page != kPageChannel && page != kPageDynLib) {
        views.push_back({tab});
      }
    }
    return views;
  }

  void Show(const View& v) {
    session->Pane().Key(ListKey::kEscape, {});
    session->ChangeTab(v.tab);
    session->SetCursor(v.cursor);
    session->SetOverviewBank(v.bank);
    session->SetFaderGroup(0);
    PanelState state = panel->Model().State();
    state.section = v.section;
    state.view = v.routing;
    panel->Model().SetState(state);
    panel->Refresh();
    // Snapshot and library records take writes with their EDIT switch on.
    session->CurrentList().SetEditEnabled(true);
  }

  // The window's and the panel's state a page switch may change.
  std::vector<int> Now() const {
    const PanelState& s = panel->Model().State();
    return {session->Tab(),
            session->OverviewBank(),
            session->FaderGroup(),
            static_cast<int>(s.section),
            static_cast<int>(s.view),
            s.bank,
            s.fader_group,
            session->CurrentList().EditEnabled()};
  }

  // Press at the point; what the press grabs is dragged to both far corners of its box.
  Effect Click(const PageControl& c, int x, int y) {
    const int undo = session->Undo().UndoCount();
    const std::vector<int> before = Now();
    panel->Press(x, y, false);
    if (panel->Model().DragType() != HitType::kNone &&
        panel->Model().DragType() != HitType::kButton) {
      panel->Move(c.box.left - 20, c.box.top + c.box.height + 20);
      panel->Move(c.box.left + c.box.width + 20, c.box.top - 20);
    }
    const PanelRequest r = panel->Release(x, y);
    if (session->Undo().UndoCount() > undo) {
      session->UndoCommand();
      return Effect::kWrite;
    }
    if (r.kind == PanelRequest::kPopup) return Effect::kPopup;
    if (session->Pending().item != 0) return Effect::kEntry;
    if (session->PickList().visible) return Effect::kList;
    return Now() == before ? Effect::kNone : Effect::kState;
  }

  // What a control needs before it can act: a group row another group chosen, a routing button
  // a source in the pick list other than its own.
  void Prepare(const PageControl& c, const PageScene& scene) {
    if (c.kind == kKindGroupRow) {
      session->SetFaderGroup(c.channel == 0 ? 1 : 0);
      panel->Refresh();
    }
    if (c.kind != kKindRouting) return;
    for (const PickItem& item : scene.pick_list.items) {
      if (item.value != c.value) {
        panel->Model().SetPickSelection({item.value});
        return;
      }
    }
  }

  // Keys on the current control.
  Effect Keys(std::initializer_list<PanelKey> keys) {
    const int undo = session->Undo().UndoCount();
    const std::vector<int> before = Now();
    PanelRequest r;
    for (PanelKey key : keys) r = panel->Key(key);
    if (session->Undo().UndoCount() > undo) {
      session->UndoCommand();
      session->CurrentList().SetEditEnabled(true);  // the undo takes the EDIT switch back
      panel->Refresh();
      return Effect::kWrite;
    }
    if (r.kind == PanelRequest::kPopup) return Effect::kPopup;
    if (r.kind == PanelRequest::kTypeValue || session->Pending().item != 0) return Effect::kEntry;
    if (session->PickList().visible) return Effect::kList;
    return Now() == before ? Effect::kNone : Effect::kState;
  }

  std::unique_ptr<test::PanelSession> bound;
  EditSession* session = nullptr;
  PanelBinding* panel = nullptr;
};

TEST_P(PanelControlsTest, EveryControlActsOrIsDeclaredDisplayOnly) {
  std::map<Effect, int> effects;
  for (const View& view : Views()) {
    Show(view);
    const PageScene scene = panel->Model().Scene();
    const std::string where = std::string(kTabPages[static_cast<std::size_t>(view.tab)].caption) +
                              " cursor " + std::to_string(view.cursor) + " bank " +
                              std::to_string(view.bank);
    ASSERT_FALSE(scene.controls.empty()) << where;
    for (std::size_t i = 0; i < scene.controls.size(); ++i) {
      const PageControl& c = scene.controls[i];
      const auto name = [](const PageControl& k) {
        return std::to_string(k.id) + "/" + std::to_string(k.channel) + " kind " +
               std::to_string(k.kind) + " box " + std::to_string(k.box.left) + "," +
               std::to_string(k.box.top) + " " + std::to_string(k.box.width) + "x" +
               std::to_string(k.box.height);
      };
      const std::string what = where + ": control " + name(c);
      if (DisplayOnly(c)) {
        // Only the cue table's headers and unedited cells and the graphs that show a curve.
        EXPECT_TRUE(c.kind == kKindTableHeader || c.kind == kKindTableCell || IsGraph(c.kind))
            << what;
        continue;
      }
      // A graph acts at its handles, a fader at its cap (its box is the readout over it),
      // everything else at its centre.
      std::vector<std::pair<int, int>> points;
      if (c.kind == kKindEqGraph || c.kind == kKindDynamicsGraph) {
        for (const GraphHandle& h : c.graph.handles) points.emplace_back(h.x, h.y);
      } else if (c.kind == kKindSmallFader || c.kind == kKindShortFader) {
        points.emplace_back(c.cap.x, c.cap.y);
      } else {
        points.emplace_back(c.box.left + c.box.width / 2, c.box.top + c.box.height / 2);
      }
      ASSERT_FALSE(points.empty()) << what;
      for (const auto& [x, y] : points) {
        Show(view);
        Prepare(c, scene);
        const PanelHit hit = HitTest(panel->Model().Scene(), x, y);
        EXPECT_EQ(hit.control, static_cast<int>(i))
            << what << " hits "
            << (hit.control < 0 ? "nothing"
                                : name(scene.controls[static_cast<std::size_t>(hit.control)]));

        const Effect effect = Click(c, x, y);
        EXPECT_NE(effect, Effect::kNone) << what;
        ++effects[effect];
      }
    }
  }
  // Every way of acting was seen.
  for (const Effect e :
       {Effect::kWrite, Effect::kPopup, Effect::kEntry, Effect::kList, Effect::kState})
    EXPECT_GT(effects[e], 0) << static_cast<int>(e);
}

// Every page without a mouse: Tab reaches each control that acts, once, in reading order, and
// from there the keys act: Up or Down step a knob or fader, Space works a switch or opens its
// popup, Enter types a value or starts a numeric entry.
TEST_P(PanelControlsTest, EveryPageIsEditableFromTheKeyboard) {
  std::map<Effect, int> effects;
  for (const View& view : Views()) {
    Show(view);
    const PageScene scene = panel->Model().Scene();
    const std::string where = std::string(kTabPages[static_cast<std::size_t>(view.tab)].caption) +
                              " cursor " + std::to_string(view.cursor);
    std::vector<std::size_t> focusable;
    for (std::size_t i = 0; i < scene.controls.size(); ++i) {
      if (!DisplayOnly(scene.controls[i]) && !IsGraph(scene.controls[i].kind))
        focusable.push_back(i);
    }
    ASSERT_FALSE(focusable.empty()) << where;
    std::vector<int> order;
    int previous_middle = -1000;
    for (std::size_t k = 0; k < focusable.size(); ++k) {
      panel->Key(PanelKey::kTab);
      const PageControl* current = panel->Model().Current();
      ASSERT_TRUE(current) << where;
      const PageControl c = *current;
      const std::string what = where + ": control " + std::to_string(c.id) + "/" +
                               std::to_string(c.channel) + " kind " + std::to_string(c.kind);
      // Rows from the top: a control never stands a row above the one before it.
      const int middle = c.box.top + c.box.height / 2;
      EXPECT_GT(middle, previous_middle - 24) << what;
      previous_middle = middle;
      order.push_back(static_cast<int>(current - panel->Model().Scene().controls.data()));
      const std::vector<int> before = Now();
      Prepare(c, scene);
      Effect effect;
      if (c.kind >= kKindKnob && c.kind <= kKindBar) {
        effect = Keys({PanelKey::kUp});
        if (effect == Effect::kNone) effect = Keys({PanelKey::kDown});  // at its top
        EXPECT_EQ(Keys({PanelKey::kEnter}), Effect::kEntry) << what;
        panel->Model().CancelTyping();
      } else {
        effect = Keys({PanelKey::kSpace});
        if (effect == Effect::kNone) effect = Keys({PanelKey::kEnter});
      }
      EXPECT_NE(effect, Effect::kNone) << what;
      ++effects[effect];
      session->DropPending();
      session->ClosePickList();
      // A page switch or another tab: the page again, and on from the same control.
      if (Now() != before || !panel->Model().Current()) {
        Show(view);
        if (!panel->Model().Current()) {
          for (std::size_t j = 0; j <= k; ++j) panel->Key(PanelKey::kTab);
        }
      }
    }
    std::vector<int> sorted = order;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(std::unique(sorted.begin(), sorted.end()), sorted.end()) << where;
    EXPECT_EQ(sorted.size(), focusable.size()) << where;
    // Round again from the first; Shift+Tab goes back.
    panel->Key(PanelKey::kTab);
    EXPECT_EQ(panel->Model().Current() - panel->Model().Scene().controls.data(), order.front())
        << where;
    panel->Key(PanelKey::kBackTab);
    EXPECT_EQ(panel->Model().Current() - panel->Model().Scene().controls.data(), order.back())
        << where;
  }
  for (const Effect e : {Effect::kWrite, Effect::kPopup, Effect::kEntry, Effect::kState})
    EXPECT_GT(effects[e], 0) << static_cast<int>(e);
}

INSTANTIATE_TEST_SUITE_P(Rates, PanelControlsTest, ::testing::Values(0, 2),
                         [](const auto& info) { return info.param == 0 ? "At48kHz" : "At96kHz"; });

}  // namespace
}  // namespace orb
