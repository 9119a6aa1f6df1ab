// The panel bound to an editor session: gestures as the session's undo steps, the wheel and
// keypad through the session's keys, numeric entry typed into the session, and the FADER
// page's channel numbers opening the CHANNEL tab.
#include <gtest/gtest.h>

#include "core/editor/PanelBinding.h"
#include "core/model/ParamModel.h"
#include "core/model/ParamNames.h"
#include "tests/core/editor/PanelSession.h"

namespace orb {
namespace {

class PanelBindingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bound = std::make_unique<test::PanelSession>();
    ASSERT_EQ(bound->status, kOk);
    session = bound->session.get();
    panel = bound->panel.get();
  }
  void TearDown() override { bound.reset(); }
  PageControl Find(int id, int channel = -1) {
    for (const PageControl& c : panel->Model().Scene().controls) {
      if (c.id == id && (channel < 0 || c.channel == channel)) return c;
    }
    ADD_FAILURE() << "no control " << id;
    return {};
  }
  int Get(int channel, int id) { return session->GetTitle().System().GetParam(channel, id); }

  std::unique_ptr<test::PanelSession> bound;
  EditSession* session = nullptr;
  PanelBinding* panel = nullptr;
};

// The scenes take each tab's own page kind; the AUTOMATION tab shows the timeline, and the
// scenes draw nothing for it.
TEST_F(PanelBindingTest, EachTabsPageKindGoesToTheScenes) {
  for (const TabPage& tab : kTabPages) {
    SCOPED_TRACE(tab.caption);
    session->ChangeTab(static_cast<int>(&tab - kTabPages.data()));
    const PageInput in = panel->Input();
    EXPECT_EQ(in.page, tab.kind);
    const bool drawn = tab.kind != kPageAutomation;
    EXPECT_EQ(PanelBinding::Draws(tab.kind), drawn);
    EXPECT_EQ(BuildPageScene(in).picture != PagePicture::kNone, drawn);
    EXPECT_EQ(panel->Model().Scene().controls.empty(), !drawn);
  }
}

TEST_F(PanelBindingTest, GesturesWheelAndEntriesAreSessionUndoSteps) {
  session->GetTitle().System().SetParam(0, kParamTrim, 10);
  panel->Refresh();
  const PageControl trim = Find(kParamTrim);
  // Up past the knob's whole travel.
  panel->Press(trim.box.left, trim.box.top, false);
  panel->Move(trim.box.left, trim.box.top - kKnobDragTravel);
  panel->Release(0, 0);
  EXPECT_EQ(Get(0, kParamTrim), trim.max);
  EXPECT_EQ(session->Undo().UndoCount(), 1);
  EXPECT_TRUE(session->Modified());

  // The wheel and the keypad over the knob: one burst, one step.
  panel->Move(trim.box.left + 1, trim.box.top + 1);
  session->Pane().Wheel(-120);
  session->Pane().Key(ListKey::kPadMinus, {});
  EXPECT_EQ(Get(0, kParamTrim), trim.max - 4);
  EXPECT_EQ(session->Undo().UndoCount(), 2);
  session->UndoCommand();
  panel->Refresh();
  EXPECT_EQ(Get(0, kParamTrim), trim.max);
  session->UndoCommand();
  panel->Refresh();
  EXPECT_EQ(Get(0, kParamTrim), 10);

  // The tempo typed into the session's pending entry and committed with Enter.
  session->ChangeTab(12);
  panel->Refresh();
  session->SetPending({kParamTempo, 0, "120"});
  for (char c : std::string("010")) session->Pane().TypeChar(c);
  session->Pane().Key(ListKey::kEnter, {});
  EXPECT_EQ(Get(0, kParamTempo), 30);
  EXPECT_EQ(session->Pending().item, 0);
  EXPECT_EQ(session->Undo().UndoCount(), 1);
}

TEST_F(PanelBindingTest, ChannelNumberOnTheFaderPageOpensTheChannel) {
  session->ChangeTab(2);
  panel->Refresh();
  const PageControl number = Find(kSwitchChannel, 5);
  panel->Press(number.box.left, number.box.top, false);
  const PanelRequest r = panel->Release(number.box.left, number.box.top);
  EXPECT_EQ(r.kind, PanelRequest::kOpenChannel);
  EXPECT_EQ(session->Tab(), 0);
  EXPECT_EQ(session->Cursor(), 5);
  EXPECT_EQ(panel->Model().State().page, PanelPage::kChannel);
}

// The switches of the pages the panel draws act through the binding: PAGE steps the bank the
// session keeps, a fader group row chooses the group, ALL ON and ALL OFF set every isolate.
TEST_F(PanelBindingTest, PageSwitchesOfTheDrawnPagesAct) {
  auto click = [&](const PageControl& c) {
    panel->Press(c.box.left + 2, c.box.top + 2, false);
    panel->Release(c.box.left + 2, c.box.top + 2);
    panel->Refresh();
  };
  session->ChangeTab(1);  // OVERVIEW
  panel->Refresh();
  EXPECT_EQ(panel->Model().Scene().header, "AUDIO OVERVIEW : 1~24");
  click(Find(kSwitchPage));
  EXPECT_EQ(session->OverviewBank(), 1);
  EXPECT_EQ(panel->Model().Scene().header, "AUDIO OVERVIEW : 25~48");
  click(Find(kSwitchPage));
  click(Find(kSwitchPage));
  EXPECT_EQ(session->OverviewBank(), 0);

  session->ChangeTab(3);  // FADER GROUP
  panel->Refresh();
  click(Find(kSwitchGroupRow, 4));
  EXPECT_EQ(session->FaderGroup(), 4);

  session->ChangeTab(6);  // ISOLATE
  panel->Refresh();
  const int last = session->GetTitle().System().ChannelCount() - 1;
  click(Find(kSwitchAllOn));
  for (int ch : {0, 30, last}) EXPECT_EQ(Get(ch, kParamSnapshotIsolate), 1) << ch;
  click(Find(kSwitchAllOff));
  for (int ch : {0, 30, last}) EXPECT_EQ(Get(ch, kParamSnapshotIsolate), 0) << ch;
}

// The status line names what is edited and shows the value the page shows now: after a wheel
// step, a keypad step, a click, a popup choice and a cursor move, for knobs, switches, popups,
// graph handles, the surround point, the SETUP page and a library entry.
TEST_F(PanelBindingTest, StatusLineShowsTheCurrentValueOfWhatIsEdited) {
  // The high-rate layout with the MTR surround bus has every graph on CH 1.
  gen::TitleSpec spec;
  spec.rate_mode = 2;
  spec.mtr_bus_mode = true;
  bound = std::make_unique<test::PanelSession>(spec);
  ASSERT_EQ(bound->status, kOk);
  session = bound->session.get();
  panel = bound->panel.get();
  TQ730SYSF& s = session->GetTitle().System();
  const auto status = [&] { return panel->Model().StatusText(); };
  const auto at = [&](int x, int y) {
    panel->Move(x, y);
    return status();
  };
  const auto over = [&](int id) {
    const PageControl c = Find(id);
    return at(c.box.left + 1, c.box.top + 1);
  };
  const auto owner = [&](int ch) { return s.NumberText(ch) + " : " + s.NameText(ch) + " - "; };
  const auto is = [&](int ch, int id, const std::string& value) {
    return owner(ch) + ParamName(id) + " = " + value;
  };
  s.SetParam(0, kParamTrim, 60);
  s.SetParam(0, kParamCut, 0);
  s.SetParam(0, kParamLinkMode, kStereo);
  s.SetParam(0, kParamDynamicsKey, 0);
  for (int id : {kParamEqOn, kParamEqLowMidOn, kParamDynamicsOn, kParamCompDuckOn})
    s.SetParam(0, id, 1);
  s.SetParam(0, kParamExpGateOn, 0);
  s.SetParam(0, kParamEqLowMidFreq, 20);
  s.SetParam(0, kParamEqLowMidGain, 63);
  s.SetParam(0, kParamCompDuckThreshold, 0);
  s.SetParam(0, kParamSurroundPanLR, 51);
  s.SetParam(0, kParamSurroundPanFR, 70);
  panel->Refresh();

  EXPECT_EQ(over(kParamTrim), is(0, kParamTrim, "0.00 dB"));
  session->Pane().Wheel(120);
  EXPECT_EQ(status(), is(0, kParamTrim, "0.75 dB"));
  session->Pane().Key(ListKey::kPadMinus, {});
  EXPECT_EQ(status(), is(0, kParamTrim, "0.50 dB"));
  // The list pane's cursor on CH 3: the same knob, CH 3's value.
  s.SetParam(2, kParamTrim, 0);
  session->SetCursor(2);
  panel->Refresh();
  EXPECT_EQ(status(), is(2, kParamTrim, "-15.0 dB"));
  session->SetCursor(0);
  panel->Refresh();

  EXPECT_EQ(over(kParamCut), is(0, kParamCut, "OFF"));
  const PageControl cut = Find(kParamCut);
  panel->Press(cut.box.left + 1, cut.box.top + 1, false);
  panel->Release(cut.box.left + 1, cut.box.top + 1);
  EXPECT_EQ(status(), is(0, kParamCut, "ON"));
  EXPECT_EQ(over(kParamDynamicsKey), is(0, kParamDynamicsKey, "LOCAL"));
  EXPECT_EQ(over(kParamLinkMode), is(0, kParamLinkMode, "STEREO"));
  const PageControl link = Find(kParamLinkMode);
  panel->Press(link.box.left + 1, link.box.top + 1, false);
  const PanelRequest popup = panel->Release(link.box.left + 1, link.box.top + 1);
  ASSERT_EQ(popup.menu, Po_Link);
  panel->Choose(popup, kMono);
  EXPECT_EQ(status(), is(0, kParamLinkMode, "MONO"));

  // Graph handles: the band's frequency and gain, the threshold, the surround point.
  const PageControl eq = Find(kParamEqBlock);
  const auto handle = [](const PageControl& graph, int section) {
    for (const GraphHandle& h : graph.graph.handles) {
      if (h.section == section) return h;
    }
    ADD_FAILURE() << "no handle " << section;
    return GraphHandle{};
  };
  const GraphHandle lm = handle(eq, 2);
  EXPECT_EQ(at(lm.x, lm.y), is(0, kParamEqLowMidFreq, "240.0 Hz  0.00 dB"));
  const GraphHandle comp = handle(Find(kParamDynamicsBlock), 0);
  EXPECT_EQ(at(comp.x, comp.y), is(0, kParamCompDuckThreshold, "0.0 dB"));
  const PageControl pan = Find(kParamSurroundPanGraph);
  EXPECT_EQ(at(pan.box.left + pan.box.width / 2, pan.box.top + pan.box.height / 2),
            owner(0) + "Surround Pan = LR L12  FR 07R");

  // System settings are the SETUP's, a library entry names itself.
  session->ChangeTab(12);
  panel->Refresh();
  const PageControl offset = Find(kParamOffset);
  EXPECT_EQ(over(kParamOffset),
            "SETUP - " + std::string(ParamName(kParamOffset)) + " = " + offset.face);
  const PageControl tc = Find(kParamTcMode);
  panel->Press(tc.box.left + 1, tc.box.top + 1, false);
  const PanelRequest tc_popup = panel->Release(tc.box.left + 1, tc.box.top + 1);
  ASSERT_EQ(tc_popup.menu, Po_TCMode);
  panel->Choose(tc_popup, 4);
  EXPECT_EQ(status(), "SETUP - " + std::string(ParamName(kParamTcMode)) + " = 25F/s");
  session->ChangeTab(10);
  panel->Refresh();
  const TQ730& dyn = session->GetTitle().Dynamics();
  EXPECT_EQ(over(kParamCompKnee).rfind("DYN LIB #01 " + dyn.NameText(0) + " - ", 0), 0u)
      << status();
}

}  // namespace
}  // namespace orb
