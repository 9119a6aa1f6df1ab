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

  // "#3 Verse · CH 5 Vocal · L Gain: +3.0 dB → +4.5 dB"
  std::string Where() const;
  std::string Line() const;
};

// Records are matched by position. What every save renews (size, save date, title name,
// record numbers, checksums) is not compared.
std::vector<Difference> CompareTitles(const Title& a, const Title& b);

}  // namespace orb
