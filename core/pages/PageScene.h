// One paint of a parameter page, built without a display: the header, the page's frames, every
// control that its visibility condition and its parameter let through, with value, state and
// texts, and the graphs. The painter draws it; the panel's hit tests will look through it.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/model/Q730classes.h"
#include "core/model/RoutingNames.h"
#include "core/model/ValueText.h"
#include "core/pages/PageGraphs.h"
#include "core/pages/PageKind.h"
#include "core/pages/PageTables.h"

namespace orb {

inline constexpr int kPanelWidth = 800;
inline constexpr int kPanelHeight = 491;
inline constexpr int kHeaderWidthLimit = 760;
inline constexpr int kHeaderPixels = 27;
// The strip on top of every page but CHANNEL; the pages' controls below it take it as offset.
inline constexpr int kHeaderStrip = 50;

// Which dynamics section the page shows: panel state, kept across repaints and tab changes.
enum class DynamicsSection { kCompDuck, kExpGate };

struct PageControl {
  int entry = 0;  // index in the page table
  int id = 0;
  int channel = 0;
  int kind = 0;
  PageRect box;
  int value = 0;
  int max = 0;
  int centre = 0;
  bool lit = false;  // switches: value >= 1
  bool pressed = false;
  bool focused = false;       // the panel's current control, which the keys act on
  bool display_only = false;  // shown but not edited here, whatever its kind
  bool unconnected = false;   // a routing button that connects nothing: printed dim
  std::string face;           // the text on a switch, button or text box
  std::string caption;        // the text above a knob, fader or labelled switch
  ValueTexts value_text;
  // Knobs: the dial; angles in degrees clockwise from straight up, -150 … 150.
  PagePoint dial;
  int radius = 0;
  double pointer_angle = 0;
  double zero_angle = 0;
  // Faders: the travel's top and length, the cap's centre.
  int travel_top = 0;
  int travel = 0;
  PagePoint cap;
  // Graphs.
  bool draggable = false;
  GraphPicture graph;
};

struct PageText {
  int x = 0;  // centre
  int y = 0;  // top
  std::string text;
};

struct PageFrame {
  PageRect box;
  std::string caption;
  bool caption_below = false;
};

enum class PagePicture {
  kNone,
  kChannel,
  kBus,
  kReturn,
  kDynLib,
  kEqLib,
  kInputAssign,
  kOutputAssign,
  kFader,
  kOverview,
  kSnapshot,
  kFaderGroup,
  kIsolate,
  kCue,
  kSetup,
};

// The list box a page offers its choices in, drawn with the items the page would fill it with.
struct PagePickList {
  PageRect box;  // width 0: the page has none
  std::vector<PickItem> items;
};

struct PageScene {
  PagePicture picture = PagePicture::kNone;
  std::string header;
  bool header_right = false;          // the CHANNEL page's channel at the top right
  int header_pixels = kHeaderPixels;  // smaller where the header must fit beside the EQ graph
  bool header_strip = false;          // the 50-pixel strip of every page but CHANNEL
  std::vector<PageFrame> frames;
  std::vector<PageControl> controls;  // in table order; painted from last to first
  std::vector<PageText> labels;       // the AUX send labels, the assign pages' row names
  PagePickList pick_list;
};

// Which outputs the OUTPUT ASSIGN page shows: panel state.
enum class RoutingView { kOutputs, kMadi };

struct PageInput {
  PageKind page = kPageChannel;
  // CHANNEL: the system data; DYN LIB and EQ LIB: their library.
  const TQ730* list = nullptr;
  int cursor = 0;
  DynamicsSection section = DynamicsSection::kCompDuck;
  // The width of a text in the header's font; without it no header is cut.
  std::function<int(std::string_view)> header_width;
  int pressed_entry = -1;  // assign pages: the index of the control in the scene
  RoutingView view = RoutingView::kOutputs;
  int bank = 0;    // OVERVIEW and SNAPSHOT: 0 channels 1~24, 1 channels 25~48, 2 the masters
  int group = 0;   // FADER GROUP: the selected fader group 0 … 7
  int scroll = 0;  // CUE: the list's first row shown
  // CUE: the width of a text in the table's font; without it no name is cut.
  std::function<int(std::string_view)> cell_width{};
  // CUE: the lists the cues recall, for the names (SNAPSHOT, EQ LIB, DYNA LIB).
  const TQ730* snapshots = nullptr;
  const TQ730* eq_lib = nullptr;
  const TQ730* dyn_lib = nullptr;
  // A numeric entry awaiting Enter: the control of this parameter and channel shows the text
  // typed so far instead of its value.
  int entry_id = 0;
  int entry_channel = -1;
  std::string entry_text{};
};

// The page table a channel of this kind (0 CH … 4 PGM) shows on the CHANNEL page.
PageTable ChannelTable(int kind);

// The header text cut to fit: characters go from the end until the rest and the "..." that
// follows it are at most the limit wide.
std::string FitHeader(std::string text, const std::function<int(std::string_view)>& width,
                      int limit = kHeaderWidthLimit);

// Whether the scenes draw a page kind: all but the automation, which the timeline shows.
constexpr bool DrawsPage(PageKind kind) {
  return kind >= kPageChannel && kind < kPageKinds && kind != kPageAutomation;
}

// An empty scene for a kind the scenes do not draw.
PageScene BuildPageScene(const PageInput& input);

}  // namespace orb
