// The page tables of the parameter panel: one entry per control with its place, kind and
// visibility condition; the control kinds with their sizes; the switch label texts.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "core/model/Q730classes.h"

namespace orb {

// One control of a page. The top field carries the visibility condition in bits 16 to 23;
// for knobs and faders width and height place the dial centre or the fader cap inside the box.
// The text is the switch face or the knob caption where no label code gives one.
struct PageEntry {
  int id;       // parameter; negative: a page switch (-1 with a frame kind: a captioned frame)
  int channel;  // -1: the cursor's channel
  int left;
  int top;
  int kind;
  int width;
  int height;
  int centre;  // zero mark of knobs and bars
  int scale;   // the dynamics graph's floor in dB
  int label;   // label code 2 … 19, 0 none
  const char* text = "";
};

// Page switches: which dynamics section is shown, and the library pages' "EDIT".
inline constexpr int kSwitchExpGateSection = -1;
inline constexpr int kSwitchCompDuckSection = -2;
inline constexpr int kSwitchEdit = -3;
// The OUTPUT ASSIGN page's dither boxes (showing 146 and 147) and its view switch.
inline constexpr int kSwitchDitherLength = -9;
inline constexpr int kSwitchDitherShape = -10;
inline constexpr int kSwitchRoutingView = -11;
// A channel's number, which opens the channel on the CHANNEL tab.
inline constexpr int kSwitchChannel = -12;
// OVERVIEW and SNAPSHOT: the bank step; FADER GROUP: a group row (the channel is the group);
// ISOLATE: every channel's isolate on or off.
inline constexpr int kSwitchPage = -13;
inline constexpr int kSwitchGroupRow = -14;
inline constexpr int kSwitchAllOn = -15;
inline constexpr int kSwitchAllOff = -16;

// Control kinds.
enum ControlKind : int {
  kKindSwitch = 0,
  kKindSquare = 1,
  kKindSmallSwitch = 2,
  kKindSquareSwitch = 3,
  kKindTextBox = 4,
  kKindTextButton = 5,
  kKindWideSwitch = 6,
  kKindTallCustom = 7,
  kKindRouting = 8,
  kKindGroupRow = 9,
  kKindBigButton = 10,
  kKindTableCell = 14,    // a cell of the CUE table
  kKindTableHeader = 15,  // a cell of its header row
  kKindCustom11 = 11,
  kKindCustom12 = 12,
  kKindTallCustom13 = 13,
  kKindTiny = 50,
  kKindTab = 51,
  kKindMeter60 = 60,
  kKindMeter61 = 61,
  kKindCustom70 = 70,
  kKindFrame = 71,
  kKindFrame72 = 72,
  kKindCustom80 = 80,
  kKindKnob = 100,
  kKindBigKnob = 101,
  kKindFader = 102,
  kKindSmallFader = 103,
  kKindShortFader = 104,
  kKindBar = 105,
  kKindCustom106 = 106,
  kKindEqGraph = 200,
  kKindDynamicsGraph = 201,
  kKindSurroundGraph = 202,
};

struct KindGeometry {
  int width = 0;
  int height = 0;
  int radius = 0;  // knobs
  int travel = 0;  // faders
};
// The box of a control of this kind; the table's own size for kinds that take it.
KindGeometry GeometryOf(const PageEntry& entry);
bool IsKnob(int kind);
bool IsFader(int kind);
bool IsGraph(int kind);
bool IsFrame(int kind);

// Visibility codes (bits 16 to 23 of the top field).
enum Visibility : int {
  kShowAlways = 0,
  kShowExp = 0x01,
  kShowComp = 0x02,
  kShowGate = 0x03,
  kShowDuck = 0x04,
  kShowNoLowShelf = 0x05,
  kShowNoHighShelf = 0x06,
  kShowCanLink = 0x08,
  kShowSurround = 0x09,
  kShowAuxMono = 0x40,    // + pair
  kShowAuxStereo = 0x80,  // + pair
};
constexpr int EntryTop(const PageEntry& e) {
  return e.top & 0xFFFF;
}
constexpr int EntryVisibility(const PageEntry& e) {
  return (e.top >> 16) & 0xFF;
}

// What the visibility conditions ask of the page's record.
struct VisibilityFacts {
  bool exp_gate_shown = false;  // else COMP/DUCK
  int exp_chosen = -1;          // parameters 21 … 24, 53, 54 as read (-1 missing)
  int gate_chosen = -1;
  int comp_chosen = -1;
  int duck_chosen = -1;
  int low_shelf = -1;
  int high_shelf = -1;
  bool can_link = false;
  bool surround = false;
  int aux_link_mode[4] = {-1, -1, -1, -1};
};
bool Visible(int code, const VisibilityFacts& facts);

enum class PageTable { kInput, kBus, kReturn, kDynLib, kEqLib, kFader };

// The entries of a page. The input page is filled for the layout: with MTR BUS MODE on, the
// first six bus assigns move beside the surround pan graph.
std::span<const PageEntry> PageEntries(PageTable table, bool surround = false);

// The FADER page's entries for the channels the layout has: per channel its number and its fader.
std::vector<PageEntry> FaderEntries(const TQ730SYSF& system);

// The header offset of a page's controls: all pages but CHANNEL keep 50 pixels for the header.
int HeaderOffset(PageTable table);

// The text a label code gives a switch with this value. Codes 7 and 8 depend on the channel
// and are made by the scene builder.
std::string LabelText(int code, int value);

}  // namespace orb
