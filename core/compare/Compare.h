// What differs between two titles: every parameter, name, group fader, automation event and
// unnamed byte, in list order, with the value texts the pages show.
#pragma once

#include <string>
#include <vector>

#include "core/model/Title.h"

namespace orb {

// The lists in the order differences are reported.
enum class CompareList {
  kTitleInfo,
  kSystem,
  kGroupFaders,
  kSnapshots,
  kCues,
  kDynamics,
  kEq,
  kAutomation,
};
const char* CompareListName(CompareList list);

struct Difference {
  CompareList list = CompareList::kSystem;
  std::string record;   // "#3 Verse"; empty for the lists without records
  std::string channel;  // "CH 5 Vocal"
  std::string param;    // parameter name, "name", "bytes 120-123", …
  std::string a, b;     // the two value texts with their units
  std::string note;     // instead of a → b: "only in A", an automation summary
  int record_index = -1;   // the record's position in its list
  int channel_index = -1;  // the channel the parameter belongs to

  // "#3 Verse · CH 5 Vocal · L Gain: +3.0 dB → +4.5 dB"
  std::string Where() const;
  std::string Line() const;
};

// Where the editor window shows a difference: the tab and the list cursor (a record, or the
// channel on the system pages); -1 leaves the cursor where it is.
struct DifferencePlace {
  int tab = 0;
  int cursor = -1;
};
DifferencePlace PlaceOf(const Difference& difference);

// The differences whose line or place holds a text (in any case; all of them for none), in
// groups of one list and one record (or one channel of the system list) in their order.
struct DifferenceGroup {
  CompareList list = CompareList::kSystem;
  std::string caption;               // the record or channel; empty for the list's own settings
  std::vector<std::size_t> members;  // indexes into the differences
};
std::vector<DifferenceGroup> GroupDifferences(const std::vector<Difference>& differences,
                                              const std::string& filter);

// Records are matched by position. What every save renews (size, save date, title name,
// record numbers, checksums) is not compared.
std::vector<Difference> CompareTitles(const Title& a, const Title& b);

}  // namespace orb
