#include "core/pages/PageTables.h"

#include "core/model/ParamIds.h"
#include "core/model/Q730sysf.h"

namespace orb {
namespace {

constexpr int Top(int top, int visibility) {
  return top | (visibility << 16);
}

// A switch or button; text is its face, or its caption where a label code gives the face.
constexpr PageEntry Sw(int id, int x, int y, int kind, int label, const char* text = "",
                       int vis = 0) {
  return {id, -1, x, Top(y, vis), kind, 0, 0, 0, 0, label, text};
}
// A knob with its caption; the dial sits at the left of the value box.
constexpr PageEntry Knob(int id, int x, int y, int centre, const char* caption, int vis = 0,
                         int kind = kKindKnob) {
  return kind == kKindKnob ? PageEntry{id, -1, x, Top(y, vis), kind, 10, 11, centre, 0, 0, caption}
                           : PageEntry{id, -1, x, Top(y, vis), kind, 15, 16, centre, 0, 0, caption};
}
constexpr PageEntry Big(int id, int x, int y, int centre, const char* caption, int vis = 0) {
  return Knob(id, x, y, centre, caption, vis, kKindBigKnob);
}
// A fader: the cap's centre column and the top of its travel below the value box.
constexpr PageEntry Fader(int id, int x, int y, int centre) {
  return {id, -1, x, y, kKindFader, 34, 26, centre, 0, 0, "LEVEL"};
}
constexpr PageEntry Graph(int id, int x, int y, int kind, int w, int h, int floor = 0,
                          int vis = 0) {
  return {id, -1, x, Top(y, vis), kind, w, h, 0, floor, 0, ""};
}
// A captioned plate of the page's picture; the caption sits in its top right corner, or with
// below set in its bottom right corner where controls take the top.
constexpr PageEntry Frame(int x, int y, int w, int h, const char* caption, bool below = false) {
  return {-1, -1, x, y, kKindFrame, w, h, 0, 0, below, caption};
}

constexpr int kGainZero = 63;  // 0 dB of the EQ gain table
constexpr int kPanCentre = 63;
constexpr int kTrimZero = 60;
constexpr int kFaderZero = 778;

using Entries = std::vector<PageEntry>;

void Append(Entries& to, std::initializer_list<PageEntry> entries) {
  to.insert(to.end(), entries.begin(), entries.end());
}

// The dynamics section: the EXP/GATE rows twice (EXP and GATE), the COMP/DUCK rows twice (COMP
// and DUCK), so that a row shows in either mode of its section. Positions of the CHANNEL page;
// the DYN LIB page has its own.
struct DynamicsPlaces {
  int knob_x[4];
  int knob_y1, knob_y2;
  int in_switch, section_x, section_in_x, exp_y, comp_y, in_x;
  int mode_x1, mode_x2, mode_y, auto_x;
  int pre_x1, pre_x2, pre_y;
  int link_x, link_y, knee_x;
  int key_x;  // 0: no key button
  int button_kind;
  bool big_knobs;
};

void AppendDynamics(Entries& e, const DynamicsPlaces& p) {
  const auto knob = [&](int id, int x, int y, int centre, const char* caption, int vis) {
    return p.big_knobs ? Big(id, x, y, centre, caption, vis) : Knob(id, x, y, centre, caption, vis);
  };
  for (int vis : {kShowExp, kShowGate}) {
    Append(e, {knob(kParamExpGateThreshold, p.knob_x[0], p.knob_y1, 0, "THRESHOLD", vis),
               knob(kParamExpGateAttack, p.knob_x[2], p.knob_y1, 0, "ATTACK", vis),
               knob(kParamExpGateHold, p.knob_x[3], p.knob_y1, 0, "HOLD", vis),
               knob(kParamExpGateRange, p.knob_x[0], p.knob_y2, 0, "RANGE", vis),
               knob(kParamExpGateRelease, p.knob_x[3], p.knob_y2, 0, "RELEASE", vis),
               Sw(kParamExpChosen, p.mode_x1, p.mode_y, kKindTextButton, 0, "EXP", vis),
               Sw(kParamExpGateSelect, p.mode_x2, p.mode_y, kKindTextButton, 0, "GATE", vis)});
  }
  e.push_back(knob(kParamExpRatio, p.knob_x[1], p.knob_y1, 0, "RATIO", kShowExp));
  for (int vis : {kShowComp, kShowDuck}) {
    Append(e, {knob(kParamCompDuckThreshold, p.knob_x[0], p.knob_y1, 0, "THRESHOLD", vis),
               knob(kParamCompDuckAttack, p.knob_x[2], p.knob_y1, 0, "ATTACK", vis),
               knob(kParamCompDuckHold, p.knob_x[3], p.knob_y1, 0, "HOLD", vis),
               knob(kParamCompDuckRelease, p.knob_x[3], p.knob_y2, 0, "RELEASE", vis),
               Sw(kParamCompChosen, p.mode_x1, p.mode_y, kKindTextButton, 0, "COMP", vis),
               Sw(kParamCompDuckSelect, p.mode_x2, p.mode_y, kKindTextButton, 0, "DUCK", vis)});
  }
  Append(e, {knob(kParamCompRatio, p.knob_x[1], p.knob_y1, 0, "RATIO", kShowComp),
             knob(kParamCompDuckGain, p.knob_x[0], p.knob_y2, 0, "GAIN", kShowComp),
             knob(kParamDuckRange, p.knob_x[0], p.knob_y2, 0, "GAIN", kShowDuck),
             Sw(kParamAutoGain, p.auto_x, p.mode_y, kKindTextButton, 0, "AUTO", kShowComp),
             Sw(kParamCompKnee, p.knee_x, p.link_y, p.button_kind, 9, "KNEE", kShowComp),
             Sw(kParamDynamicsOn, p.in_x, p.in_switch, kKindSwitch, 2, "DYN"),
             Sw(kParamDynamicsPreEq, p.pre_x1, p.pre_y, kKindTextButton, 0, "PRE EQ"),
             Sw(kParamDynamicsPostEq, p.pre_x2, p.pre_y, kKindTextButton, 0, "POST EQ"),
             Sw(kSwitchExpGateSection, p.section_x, p.exp_y, kKindWideSwitch, 0, "EXP/GATE"),
             Sw(kSwitchCompDuckSection, p.section_x, p.comp_y, kKindWideSwitch, 0, "COMP/DUCK"),
             Sw(kParamExpGateOn, p.section_in_x, p.exp_y, kKindSwitch, 2),
             Sw(kParamCompDuckOn, p.section_in_x, p.comp_y, kKindSwitch, 2)});
  if (p.key_x) {
    e.push_back(Sw(kParamDynamicsKey, p.key_x, p.link_y, p.button_kind, 7, "KEY"));
    e.push_back(Sw(kParamDynamicsLink, p.link_x, p.link_y, p.button_kind, 8, "LINK", kShowCanLink));
  } else {
    e.push_back(Sw(kParamDynamicsLink, p.link_x, p.link_y, p.button_kind, 8, "LINK"));
  }
}

// clang-format off
constexpr DynamicsPlaces kChannelDynamics = {
    .knob_x = {160, 236, 312, 388}, .knob_y1 = 165, .knob_y2 = 225,
    .in_switch = 177, .section_x = 484, .section_in_x = 577, .exp_y = 175, .comp_y = 211,
    .in_x = 68,
    .mode_x1 = 297, .mode_x2 = 347, .mode_y = 253, .auto_x = 247,
    .pre_x1 = 42, .pre_x2 = 94, .pre_y = 247, .link_x = 286, .link_y = 225, .knee_x = 336,
    .key_x = 236, .button_kind = kKindTextButton, .big_knobs = false};
constexpr DynamicsPlaces kLibraryDynamics = {
    .knob_x = {203, 307, 411, 515}, .knob_y1 = 240, .knob_y2 = 351,
    .in_switch = 275, .section_x = 632, .section_in_x = 752, .exp_y = 253, .comp_y = 321,
    .in_x = 78,
    .mode_x1 = 384, .mode_x2 = 452, .mode_y = 393, .auto_x = 316,
    .pre_x1 = 36, .pre_x2 = 120, .pre_y = 389, .link_x = 368, .link_y = 337, .knee_x = 436,
    .key_x = 0, .button_kind = kKindWideSwitch, .big_knobs = true};
// clang-format on

// The EQ bands and, for input channels, the filters, at the CHANNEL page's places.
void AppendChannelEq(Entries& e, bool filters) {
  Append(e, {Sw(kParamEqOn, 577, 247, kKindSwitch, 2, "EQ"),
             Knob(kParamEqLowFreq, 8, 296, 0, "L FREQ"),
             Knob(kParamEqLowMidFreq, 161, 296, 0, "LM FREQ"),
             Knob(kParamEqHighMidFreq, 314, 296, 0, "HM FREQ"),
             Knob(kParamEqHighFreq, 467, 296, 0, "H FREQ"),
             Knob(kParamEqLowQ, 81, 296, 0, "Q", kShowNoLowShelf),
             Knob(kParamEqLowMidQ, 234, 296, 0, "Q"), Knob(kParamEqHighMidQ, 387, 296, 0, "Q"),
             Knob(kParamEqHighQ, 540, 296, 0, "Q", kShowNoHighShelf),
             Knob(kParamEqLowGain, 140, 365, kGainZero, "L GAIN"),
             Knob(kParamEqLowMidGain, 224, 348, kGainZero, "LM GAIN"),
             Knob(kParamEqHighMidGain, 324, 348, kGainZero, "HM GAIN"),
             Knob(kParamEqHighGain, 408, 365, kGainZero, "H GAIN"),
             Sw(kParamEqLowOn, 103, 390, kKindSwitch, 2, "L"),
             Sw(kParamEqLowMidOn, 281, 390, kKindSwitch, 2, "LM"),
             Sw(kParamEqHighMidOn, 313, 390, kKindSwitch, 2, "HM"),
             Sw(kParamEqHighOn, 491, 390, kKindSwitch, 2, "H"),
             Sw(kParamEqLowShelf, 128, 342, kKindSwitch, 3, "SHELF"),
             Sw(kParamEqHighShelf, 466, 342, kKindSwitch, 3, "SHELF")});
  if (!filters) return;
  Append(e, {Knob(kParamLfFilterFreq, 8, 348, 0, "LF FREQ"),
             Knob(kParamHfFilterFreq, 540, 348, 0, "HF FREQ"),
             Sw(kParamLfFilterOn, 9, 390, kKindSwitch, 2, "LF"),
             Sw(kParamLfNotch, 71, 390, kKindSwitch, 3, "NOTCH"),
             Sw(kParamHfFilterOn, 523, 390, kKindSwitch, 2, "HF")});
}

constexpr const char* kBusDigits[8] = {"1", "2", "3", "4", "5", "6", "7", "8"};
// Where buses 1 to 6 go beside the surround pan graph.
constexpr int kSurroundAssigns[6][2] = {{710, 123}, {768, 123}, {739, 123},
                                        {739, 236}, {710, 236}, {768, 236}};

void AppendAssigns(Entries& e, bool surround) {
  for (int n = 0; n < kBusAssigns; ++n) {
    if (surround && n < 6) {
      e.push_back(Sw(kParamBusAssign + n, kSurroundAssigns[n][0], kSurroundAssigns[n][1],
                     kKindSquareSwitch, 0, kBusDigits[n]));
    } else {
      e.push_back(Sw(kParamBusAssign + n, 175 + 44 * n, 116, kKindSmallSwitch, 0, kBusDigits[n]));
    }
  }
  Append(e, {Sw(kParamPgmAssignL, 531, 116, kKindSmallSwitch, 0, "L"),
             Sw(kParamPgmAssignR, 577, 116, kKindSmallSwitch, 0, "R")});
}

// The plate of that column; the link mode box, wider than the plate, takes its top, so the
// name goes to the bottom.
constexpr PageEntry OutputFrame() {
  return Frame(622, 50, 80, 438, "OUTPUT", true);
}

// Link mode, MTR cut, channel cut and fader: the right column every channel page has.
void AppendOutput(Entries& e) {
  Append(e, {Sw(kParamLinkMode, 637, 59, kKindTextBox, 10),
             Sw(kParamMtrCut, 667, 146, kKindSmallSwitch, 6),
             Sw(kParamCut, 667, 265, kKindSmallSwitch, 6),
             Fader(kParamFaderLevel, 631, 290, kFaderZero)});
}

Entries MakeInput(bool surround) {
  Entries e = {Graph(kParamDynamicsBlock, 9, 8, kKindDynamicsGraph, 64, 64, -63),
               Graph(kParamEqBlock, 284, 10, kKindEqGraph, 309, 55),
               Knob(kParamTrim, 9, 97, kTrimZero, "TRIM"),
               Sw(kParamPhase, 27, 122, kKindSwitch, 0, "\xC3\x98"),
               Knob(kParamDelay, 87, 97, 0, "DELAY"),
               Sw(kParamDelayOn, 105, 122, kKindSwitch, 2)};
  AppendAssigns(e, surround);
  AppendDynamics(e, kChannelDynamics);
  AppendChannelEq(e, true);
  for (int p = 0; p < kAuxSendPairs; ++p) {
    const int x = 8 + 152 * p;
    Append(e,
           {Knob(kParamAuxLevel + 2 * p, x, 422, 0, ""),
            Sw(kParamAuxOn + 2 * p, x, 469, kKindSmallSwitch, 3),
            Sw(kParamAuxPre + 2 * p, x + 34, 469, kKindSmallSwitch, 4),
            Knob(kParamAuxLevel + 2 * p + 1, x + 76, 422, 0, "", kShowAuxMono + p),
            Sw(kParamAuxOn + 2 * p + 1, x + 76, 469, kKindSmallSwitch, 3, "", kShowAuxMono + p),
            Sw(kParamAuxPre + 2 * p + 1, x + 110, 469, kKindSmallSwitch, 4, "", kShowAuxMono + p),
            Knob(kParamAuxPan + p, x + 76, 422, kPanCentre, "", kShowAuxStereo + p),
            Sw(kParamAuxPanOn + p, x + 111, 469, kKindSmallSwitch, 18, "", kShowAuxStereo + p)});
  }
  Append(e,
         {Knob(kParamMtrPan, 631, 98, kPanCentre, "MTR PAN"),
          Sw(kParamMtrPanOn, 677, 123, kKindSwitch, 3),
          Knob(kParamMtrLevel, 631, 174, kFaderZero, "MTR LEVEL"),
          Knob(kParamPan, 631, 217, kPanCentre, "PAN"), Sw(kParamPanOn, 677, 242, kKindSwitch, 3)});
  AppendOutput(e);
  Append(e, {Sw(kParamStereoReverse, 710, 414, kKindSquareSwitch, 0, "REV"),
             Sw(kParamStereoLPlusR, 738, 414, kKindSquareSwitch, 0, "L+R"),
             Sw(kParamStereoMsDecode, 766, 414, kKindSquareSwitch, 0, "MS"),
             Sw(kParamPreEqChoice, 710, 457, kKindSquareSwitch, 0, "PRE"),
             Sw(kParamPostEqChoice, 738, 457, kKindSquareSwitch, 0, "EQ"),
             Sw(kParamPostFaderChoice, 766, 457, kKindSquareSwitch, 0, "FDR"),
             Sw(kParamSurroundPanOn, 768, 98, kKindSquareSwitch, 3, "", kShowSurround),
             Graph(kParamSurroundPanGraph, 710, 148, kKindSurroundGraph, 79, 79, 0, kShowSurround),
             Sw(kParamMtrPanGang, 710, 276, kKindSquareSwitch, 0, "PAN", kShowSurround),
             Sw(kParamSwGang, 738, 276, kKindSquareSwitch, 0, "SW", kShowSurround),
             Knob(kParamSwLevel, 710, 323, kFaderZero, "SW LEVEL", kShowSurround),
             Knob(kParamSurroundDivergence, 710, 365, 0, "DIVERGENCE", kShowSurround)});
  // Frames last: the painter draws from the last entry to the first, so they lie underneath.
  Append(e, {Frame(3, 82, 158, 68, "INPUT", true), Frame(165, 82, 448, 68, "ASSIGN"),
             Frame(3, 152, 610, 127, "DYNAMICS"), Frame(3, 281, 610, 126, "EQUALIZER", true),
             Frame(3, 409, 610, 79, ""), OutputFrame(), Frame(705, 399, 90, 89, "LINK")});
  return e;
}

Entries MakeBus() {
  Entries e = {Graph(kParamDynamicsOn, 9, 8, kKindDynamicsGraph, 64, 64, -63),
               Graph(kParamEqOn, 284, 10, kKindEqGraph, 309, 55)};
  AppendDynamics(e, kChannelDynamics);
  AppendChannelEq(e, false);
  AppendOutput(e);
  Append(e, {Frame(3, 152, 610, 127, "DYNAMICS"), Frame(3, 281, 610, 126, "EQUALIZER", true),
             OutputFrame()});
  return e;
}

Entries MakeReturn() {
  Entries e;
  AppendAssigns(e, false);
  for (int k = 0; k < kAuxSends; ++k) {
    static constexpr const char* kAux[] = {"AUX 1", "AUX 2", "AUX 3", "AUX 4",
                                           "AUX 5", "AUX 6", "AUX 7", "AUX 8"};
    // Text buttons: "AUX n" is wider than a small switch's face.
    e.push_back(Sw(kParamAuxOn + k, 8 + 76 * k, 469, kKindTextButton, 0, kAux[k]));
  }
  AppendOutput(e);
  Append(e, {Frame(165, 82, 448, 68, "ASSIGN"), Frame(3, 409, 610, 79, "AUX SEND"), OutputFrame()});
  return e;
}

Entries MakeDynLib() {
  Entries e = {Graph(kParamDynamicsBlock, 315, 13, kKindDynamicsGraph, 200, 200, -84),
               Sw(kSwitchEdit, 700, 5, kKindTextButton, 0, "EDIT")};
  AppendDynamics(e, kLibraryDynamics);
  Append(e, {Frame(20, 220, 760, 218, "DYNAMICS")});
  return e;
}

Entries MakeEqLib() {
  Entries e = {Graph(kParamEqBlock, 40, 30, kKindEqGraph, 672, 150),
               Sw(kSwitchEdit, 700, 5, kKindTextButton, 0, "EDIT"),
               Sw(kParamEqOn, 729, 115, kKindSwitch, 2, "EQ"),
               Sw(kParamLfFilterOn, 12, 396, kKindSwitch, 2, "LF"),
               Sw(kParamLfNotch, 88, 396, kKindSwitch, 3, "NOTCH"),
               Sw(kParamEqLowOn, 148, 396, kKindSwitch, 2, "L"),
               Sw(kParamEqLowMidOn, 344, 396, kKindSwitch, 2, "LM"),
               Sw(kParamEqHighMidOn, 424, 396, kKindSwitch, 2, "HM"),
               Sw(kParamEqHighOn, 620, 396, kKindSwitch, 2, "H"),
               Sw(kParamHfFilterOn, 679, 396, kKindSwitch, 2, "HF"),
               Sw(kParamEqLowShelf, 168, 300, kKindSwitch, 3, "SHELF"),
               Sw(kParamEqHighShelf, 599, 300, kKindSwitch, 3, "SHELF"),
               Big(kParamEqLowFreq, 15, 195, 0, "L FREQ"),
               Big(kParamEqLowMidFreq, 215, 195, 0, "LM FREQ"),
               Big(kParamEqHighMidFreq, 411, 195, 0, "HM FREQ"),
               Big(kParamEqHighFreq, 611, 195, 0, "H FREQ"),
               Big(kParamLfFilterFreq, 15, 300, 0, "LF FREQ"),
               Big(kParamHfFilterFreq, 703, 300, 0, "HF FREQ"),
               Big(kParamEqLowQ, 107, 194, 0, "Q", kShowNoLowShelf),
               Big(kParamEqLowMidQ, 307, 194, 0, "Q"),
               Big(kParamEqHighMidQ, 503, 194, 0, "Q"),
               Big(kParamEqHighQ, 703, 194, 0, "Q", kShowNoHighShelf),
               Big(kParamEqLowGain, 187, 351, kGainZero, "L GAIN"),
               Big(kParamEqLowMidGain, 299, 300, kGainZero, "LM GAIN"),
               Big(kParamEqHighMidGain, 419, 300, kGainZero, "HM GAIN"),
               Big(kParamEqHighGain, 531, 351, kGainZero, "H GAIN"),
               Frame(4, 176, 792, 250, "EQUALIZER", true)};
  return e;
}

}  // namespace

KindGeometry GeometryOf(const PageEntry& entry) {
  switch (entry.kind) {
    case kKindSwitch:
      return {22, 18};
    case kKindSquare:
      return {32, 32};
    case kKindSmallSwitch:
      return {32, 14};
    case kKindSquareSwitch:
      return {24, 24};
    case kKindTextBox:
      return {146, 18};
    case kKindTextButton:
      return {44, 14};
    case kKindWideSwitch:
      return {64, 32};
    case kKindTallCustom:
    case kKindTallCustom13:
      return {entry.width, entry.height + 50};
    case kKindRouting:
      return {40, 40};
    case kKindGroupRow:
      return {290, 48};
    case kKindBigButton:
      return {104, 40};
    case kKindTiny:
      return {11, 11};
    case kKindTab:
      return {27, 12};
    case kKindMeter60:
    case kKindMeter61:
      return {30, 31};
    case kKindKnob:
      return {68, 22, 8};
    case kKindBigKnob:
      return {82, 33, 12};
    case kKindFader:
      return {68, 22, 0, 141};
    case kKindSmallFader:
      return {30, 13, 0, 92};  // as wide as the channel switch above: five characters fit
    case kKindShortFader:
      return {27, 13, 0, 75};
    case kKindBar:
      return {entry.width + 1, entry.height + 1};
    default:
      return {entry.width, entry.height};
  }
}

bool IsKnob(int kind) {
  return kind == kKindKnob || kind == kKindBigKnob;
}
bool IsFader(int kind) {
  return kind == kKindFader || kind == kKindSmallFader || kind == kKindShortFader;
}
bool IsGraph(int kind) {
  return kind == kKindEqGraph || kind == kKindDynamicsGraph || kind == kKindSurroundGraph;
}
bool IsFrame(int kind) {
  return kind == kKindFrame || kind == kKindFrame72;
}

bool Visible(int code, const VisibilityFacts& f) {
  switch (code) {
    case kShowAlways:
      return true;
    case kShowExp:
      return f.exp_gate_shown && f.exp_chosen == 1;
    case kShowComp:
      return !f.exp_gate_shown && f.comp_chosen == 1;
    case kShowGate:
      return f.exp_gate_shown && f.gate_chosen == 1;
    case kShowDuck:
      return !f.exp_gate_shown && f.duck_chosen == 1;
    case kShowNoLowShelf:
      return f.low_shelf == 0;
    case kShowNoHighShelf:
      return f.high_shelf == 0;
    case kShowCanLink:
      return f.can_link;
    case kShowSurround:
      return f.surround;
    default:
      if (code >= kShowAuxMono && code < kShowAuxMono + 4)
        return f.aux_link_mode[code - kShowAuxMono] != 1;
      if (code >= kShowAuxStereo && code < kShowAuxStereo + 4)
        return f.aux_link_mode[code - kShowAuxStereo] == 1;
      return false;
  }
}

std::span<const PageEntry> PageEntries(PageTable table, bool surround) {
  static const Entries input = MakeInput(false);
  static const Entries input_surround = MakeInput(true);
  static const Entries bus = MakeBus();
  static const Entries ret = MakeReturn();
  static const Entries dyn = MakeDynLib();
  static const Entries eq = MakeEqLib();
  switch (table) {
    case PageTable::kInput:
      return surround ? input_surround : input;
    case PageTable::kBus:
      return bus;
    case PageTable::kReturn:
      return ret;
    case PageTable::kDynLib:
      return dyn;
    case PageTable::kEqLib:
      return eq;
    case PageTable::kFader:
      break;  // made for the layout: FaderEntries
  }
  return {};
}

std::vector<PageEntry> FaderEntries(const TQ730SYSF& system) {
  Entries e;
  const auto strip = [&](int channel, int x, int y) {
    e.push_back({kSwitchChannel, channel, x, y, kKindCustom12, 30, 18, 0, 0, 0, ""});
    // The cap's column in the middle of the value box, its travel a cap's height below it.
    e.push_back(
        {kParamFaderLevel, channel, x, y + 20, kKindSmallFader, 15, 21, kFaderZero, 0, 0, ""});
  };
  for (int i = 0; i < system.GroupSize(kGroupInput); ++i)
    strip(i, 33 * (i % 24) + 8, 144 * (i / 24) + 9);
  const std::pair<int, int> groups[] = {{kGroupMTR, 8}, {kGroupAUX, 272}, {kGroupRTN, 536}};
  for (auto [group, left] : groups) {
    for (int k = 0; k < system.GroupSize(group); ++k)
      strip(system.FirstChannelOf(group) + k, left + 33 * k, 297);
  }
  return e;
}

int HeaderOffset(PageTable table) {
  return table == PageTable::kInput || table == PageTable::kBus || table == PageTable::kReturn ? 0
                                                                                               : 50;
}

std::string LabelText(int code, int value) {
  const auto pick = [value](std::initializer_list<const char*> texts) -> std::string {
    if (value < 0 || value >= static_cast<int>(texts.size())) return "";
    return texts.begin()[value];
  };
  const std::string on_off = value >= 1 ? "ON" : "OFF";
  switch (code) {
    case 2:
      return "IN";
    case 3:
    case 5:
      return "ON";
    case 4:
      return "PRE";
    case 6:
      return "CUT";
    case 8:
    case 12:
      return on_off;
    case 9:
      if (value == 0) return "HARD";
      if (value == 7) return "SOFT";
      return value > 0 ? std::to_string(value) : "";
    case 10:
      return pick({"MONO", "STEREO", "SURROUND"});
    case 11:
      return value >= 0 ? "GROUP " + std::to_string(value + 1) : "";
    case 13:
      return pick({"GANG", "VCA", "CUT"});
    case 14:
      if (value == 0) return "OFF";
      return value >= 1 && value <= 5 ? std::to_string(26 - 2 * value) + " BIT" : "";
    case 15:
      return pick({"TRIANGULAR", "RECTANGULAR"});
    case 16:
      return "OUTPUTS";
    case 17:
      return "MADI";
    case 18:
      return "PAN";
    case 19:
      return "ALL " + on_off;
    default:
      return "";
  }
}

}  // namespace orb
