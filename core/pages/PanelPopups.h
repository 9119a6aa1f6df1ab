// The parameter panel's popup menus: their items, the value each item stores and the parameter
// it is written to. "&" marks an item's accelerator letter.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/model/Q730classes.h"

namespace orb {

enum PopupMenu : int {
  Po_Knee,
  Po_Key,
  Po_Link,
  Po_TCMode,
  Po_Measure,
  Po_DelayUnit,
  Po_WordRef,
  Po_MIDICh,
  Po_PCPort,
  Po_CCMode,
  Po_DitherBit,
  Po_DitherShape,
  Po_Event,  // the CUE page's "EVENT"
  Po_CH,     // the CUE page's "CHANNEL"
};

struct PopupItem {
  std::string caption;
  int value = 0;
  std::vector<PopupItem> items;  // a submenu when not empty
  bool column_break = false;     // starts a new column of the menu
  bool enabled = true;           // false: shown greyed, as the layout lacks what it names
};

// The items of the menu opened for this channel (cue, for the CUE page's menus). Po_Key offers
// the channels of the channel's own kind; Po_Link the modes the pair can hold; Po_CH has one
// shape for every layout (CH 1-48 in submenus of eight, MTR and AUX 1-8, PGM) with what the
// layout lacks greyed.
std::vector<PopupItem> PopupItems(PopupMenu menu, const TQ730SYSF& system, int channel);

// The caption of the item that stores this value, without its accelerator mark; the caption
// of a submenu's item follows the submenu's; empty when no item stores it.
std::string PopupValueText(PopupMenu menu, const TQ730SYSF& system, int channel, int value);

// The highest link mode the channel's pair can hold: SURROUND only where the layout allows it
// and the pair's group of six channels fits into its kind; -1 without a pair.
int LinkModeMax(const TQ730SYSF& system, int channel);

// The parameter a chosen value is written to.
int PopupParam(PopupMenu menu);

// Whether the menu writes the system-wide channel 0 rather than the button's channel.
bool PopupSystemWide(PopupMenu menu);

// The menu a button of this parameter or page switch id opens; none for other buttons.
std::optional<PopupMenu> PopupOfId(int id);

}  // namespace orb
