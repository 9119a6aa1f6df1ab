#include "core/pages/PageScene.h"

#include <algorithm>
#include <cstdint>

#include "core/model/ParamIds.h"
#include "core/model/ParamModel.h"
#include "core/model/Q730.h"
#include "core/model/Q730sysf.h"
#include "core/pages/AssignPages.h"
#include "core/pages/CuePage.h"
#include "core/pages/OverviewPages.h"
#include "core/pages/PanelPopups.h"
#include "core/pages/SettingsPages.h"

namespace orb {
namespace {

constexpr double kDialTravel = 300;
// The CHANNEL page's header shares the top with the EQ graph: it starts right of the graph's
// frame and ends where the painter ends a right-aligned header.
constexpr int kChannelHeaderRoom = kPanelWidth - 14 - 604;
constexpr int kMinHeaderPixels = 15;

double DialAngle(int value, int max) {
  if (max <= 0) return -kDialTravel / 2;
  return -kDialTravel / 2 + kDialTravel * std::clamp(value, 0, max) / max;
}

struct PageFacts {
  const TQ730& list;
  const TQ730SYSF* system;  // the title's system data, when the list has one
  bool channel_page;
  int channel;
};

std::string FaceText(const PageFacts& p, const PageEntry& e, int value) {
  if (e.label == 7) return p.system ? DynamicsKeyText(*p.system, p.channel, value) : "";
  // A small link button names the channel it links to.
  const bool small = e.kind == kKindTextButton || e.kind == kKindSmallSwitch;
  if (e.label == 8 && small && p.channel_page && p.channel + 1 < p.list.ChannelCount())
    return p.list.NumberText(p.channel + 1);
  return LabelText(e.label, value);
}

VisibilityFacts FactsOf(const PageFacts& p, DynamicsSection section) {
  const TQ730& list = p.list;
  const int ch = p.channel;
  VisibilityFacts f;
  f.exp_gate_shown = section == DynamicsSection::kExpGate;
  f.exp_chosen = list.GetParam(ch, kParamExpChosen);
  f.gate_chosen = list.GetParam(ch, kParamExpGateSelect);
  f.comp_chosen = list.GetParam(ch, kParamCompChosen);
  f.duck_chosen = list.GetParam(ch, kParamCompDuckSelect);
  f.low_shelf = list.GetParam(ch, kParamEqLowShelf);
  f.high_shelf = list.GetParam(ch, kParamEqHighShelf);
  if (!p.system || !p.channel_page) return f;
  f.can_link = CanLinkDynamics(*p.system, ch);
  f.surround = p.system->GetParam(0, kParamMtrBusMode) > 0;
  const int first_aux = p.system->FirstChannelOf(kGroupAUX);
  for (int k = 0; k < kAuxSendPairs; ++k) {
    if (2 * k < p.system->GroupSize(kGroupAUX))
      f.aux_link_mode[k] = p.system->GetParam(first_aux + 2 * k, kParamLinkMode);
  }
  return f;
}

void AddGraph(const PageFacts& p, const PageEntry& e, PageControl& c) {
  c.draggable =
      e.id == kParamDynamicsBlock || e.id == kParamEqBlock || e.id == kParamSurroundPanGraph;
  if (e.kind == kKindEqGraph) {
    EqValues eq;
    if (ReadEqValues(p.list, p.channel, eq)) c.graph = EqGraph(eq, c.box);
  } else if (e.kind == kKindDynamicsGraph) {
    DynamicsValues dyn;
    if (ReadDynamicsValues(p.list, p.channel, dyn)) c.graph = DynamicsGraph(dyn, c.box, e.scale);
  } else {
    c.graph = SurroundGraph(p.list.GetParam(p.channel, kParamSurroundPanLR),
                            p.list.GetParam(p.channel, kParamSurroundPanFR), c.box);
  }
}

// The send numbers over the AUX knobs: a linked pair's "1/2" and "PAN", else each number.
void AddAuxLabels(const PageFacts& p, const VisibilityFacts& f, PageScene& scene) {
  for (int pair = 0; pair < kAuxSendPairs; ++pair) {
    if (p.list.GetParam(p.channel, kParamAuxLevel + 2 * pair) < 0) continue;
    const int x = 9 + 152 * pair + 34, y = 411;
    const std::string first = std::to_string(2 * pair + 1), second = std::to_string(2 * pair + 2);
    if (f.aux_link_mode[pair] == kStereo) {
      scene.labels.push_back({x, y, first + "/" + second});
      scene.labels.push_back({x + 76, y, "PAN"});
    } else {
      scene.labels.push_back({x, y, first});
      scene.labels.push_back({x + 76, y, second});
    }
  }
}

}  // namespace

PageTable ChannelTable(int kind) {
  switch (kind) {
    case kGroupInput:
      return PageTable::kInput;
    case kGroupRTN:
      return PageTable::kReturn;
    default:
      return PageTable::kBus;
  }
}

std::string FitHeader(std::string text, const std::function<int(std::string_view)>& width,
                      int limit) {
  if (!width || width(text) <= limit) return text;
  while (!text.empty() && width(text + "...") > limit) text.pop_back();
  return text + "...";
}

namespace {

PageScene BuildScene(const PageInput& in) {
  switch (in.page) {
    case kPageInputAssign:
      return BuildInputAssignScene(in);
    case kPageOutputAssign:
      return BuildOutputAssignScene(in);
    case kPageOverview:
    case kPageSnapshot:
      return BuildOverviewScene(in);
    case kPageCue:
      return BuildCueScene(in);
    case kPageFaderGroup:
      return BuildFaderGroupScene(in);
    case kPageIsolate:
      return BuildIsolateScene(in);
    case kPageSetup:
      return BuildSetupScene(in);
    default:
      break;
  }
  PageScene scene;
  if (!in.list) return scene;
  const TQ730& list = *in.list;
  const int ch = in.cursor;
  const bool channel_page = in.page == kPageChannel;
  PageTable table = PageTable::kDynLib;
  bool has_record = ch >= 0 && ch < list.Count();
  if (channel_page) {
    const int kind = list.ChannelKind(ch);
    has_record = has_record && kind >= 0;
    table = ChannelTable(kind);
    scene.picture = !has_record                   ? PagePicture::kChannel
                    : table == PageTable::kInput  ? PagePicture::kChannel
                    : table == PageTable::kReturn ? PagePicture::kReturn
                                                  : PagePicture::kBus;
    scene.header_right = true;
    if (has_record) {
      const std::string name = list.NameText(ch);
      scene.header = list.NumberText(ch) + (name.empty() ? "" : " " + name);
    }
  } else if (in.page == kPageFader) {
    // All channels at once, whatever record the list pane stands on.
    table = PageTable::kFader;
    scene.picture = PagePicture::kFader;
    scene.header_strip = true;
    scene.header = "AUDIO FADER";
    has_record = list.System() == &list;
  } else {
    table = in.page == kPageDynLib ? PageTable::kDynLib : PageTable::kEqLib;
    scene.picture = in.page == kPageDynLib ? PagePicture::kDynLib : PagePicture::kEqLib;
    scene.header_strip = true;
    scene.header = in.page == kPageDynLib ? "DYNAMICS LIBRARY" : "EQ LIBRARY";
    if (has_record) scene.header += "   " + std::to_string(ch + 1) + " : " + list.NameText(ch);
  }
  int header_limit = kHeaderWidthLimit;
  if (channel_page && in.header_width) {
    // A long name is printed smaller rather than run under the graph, and cut only below that.
    const int wide = in.header_width(scene.header);
    if (wide > kChannelHeaderRoom)
      scene.header_pixels = std::max(kMinHeaderPixels, kHeaderPixels * kChannelHeaderRoom / wide);
    header_limit = kChannelHeaderRoom * kHeaderPixels / scene.header_pixels;
  }
  scene.header = FitHeader(scene.header, in.header_width, header_limit);
  if (channel_page && !has_record) return scene;

  const PageFacts p{list, list.System(), channel_page, ch};
  const VisibilityFacts facts = FactsOf(p, in.section);
  const int offset = HeaderOffset(table);
  const std::vector<PageEntry> strips =
      table == PageTable::kFader && has_record ? FaderEntries(*p.system) : std::vector<PageEntry>{};
  const std::span<const PageEntry> entries =
      table == PageTable::kFader ? strips : PageEntries(table, facts.surround);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const PageEntry& e = entries[i];
    if (e.left == 0) break;
    if (!Visible(EntryVisibility(e), facts)) continue;
    const KindGeometry g = GeometryOf(e);
    const PageRect box{e.left + 1, EntryTop(e) + 1 + offset, g.width, g.height};
    if (IsFrame(e.kind)) {
      scene.frames.push_back({box, e.text, e.label != 0});
      continue;
    }
    if (!has_record) continue;
    PageControl c;
    c.entry = static_cast<int>(i);
    c.id = e.id;
    c.channel = e.channel < 0 ? ch : e.channel;
    c.kind = e.kind;
    c.box = box;
    switch (e.id) {
      case kSwitchExpGateSection:
        c.value = in.section == DynamicsSection::kExpGate;
        break;
      case kSwitchCompDuckSection:
        c.value = in.section == DynamicsSection::kCompDuck;
        break;
      case kSwitchEdit:
        c.value = list.EditEnabled();
        break;
      case kSwitchChannel:
        c.value = 0;
        break;
      default:
        // -1: not here. A 32-bit delay beyond the int range reads negative too; it has no
        // place on a dial either.
        c.value = list.GetParam(c.channel, e.id);
        if (c.value < 0) continue;
    }
    c.max = e.id > 0 ? list.ParamMax(c.channel, e.id) : 1;
    c.centre = e.id == kParamDelay || e.id == kParamHfFilterFreq ? c.max / 2 : e.centre;
    c.lit = c.value >= 1;
    c.pressed = static_cast<int>(i) == in.pressed_entry;
    const bool labelled = e.label != 0;
    if (labelled) c.face = FaceText(p, e, c.value);
    if (labelled || IsKnob(e.kind) || IsFader(e.kind) || IsGraph(e.kind)) {
      c.caption = e.text;
    } else {
      c.face = e.text;
    }
    if (e.id == kSwitchChannel) c.face = list.NumberText(c.channel);
    if (IsKnob(e.kind)) {
      c.value_text = ValueText(list, c.channel, e.id);
      c.dial = {box.left + e.width, box.top + e.height};
      c.radius = g.radius;
      c.pointer_angle = DialAngle(c.value, c.max);
      c.zero_angle = DialAngle(c.centre, c.max);
    } else if (IsFader(e.kind)) {
      c.value_text = ValueText(list, c.channel, e.id);
      c.travel = g.travel;
      c.travel_top = box.top + e.height;
      const std::int64_t up =
          c.max > 0 ? std::int64_t{std::clamp(c.value, 0, c.max)} * g.travel / c.max : 0;
      c.cap = {box.left + e.width, c.travel_top + g.travel - static_cast<int>(up)};
    } else if (IsGraph(e.kind)) {
      AddGraph(p, e, c);
    }
    scene.controls.push_back(std::move(c));
  }
  if (has_record && table == PageTable::kInput) AddAuxLabels(p, facts, scene);
  return scene;
}

}  // namespace

PageScene BuildPageScene(const PageInput& in) {
  if (!DrawsPage(in.page)) return {};
  PageScene scene = BuildScene(in);
  if (in.entry_id == 0) return scene;
  for (PageControl& c : scene.controls) {
    if (c.id == in.entry_id && c.channel == in.entry_channel) c.face = in.entry_text;
  }
  return scene;
}

}  // namespace orb
