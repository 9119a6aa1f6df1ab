// What differs between two titles: every parameter, name, group fader, automation event and
// unnamed byte, in list order, with the value texts the pages show.
#pragma once

#include <cstdint>
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
  std::string record;      // "#3 Verse"; empty for the lists without records
  std::string channel;     // "CH 5 Vocal"
  std::string param;       // parameter name, "name", "bytes 120-123", …
  std::string a, b;        // the two value texts with their units
  std::string note;        // instead of a → b: "only in A", an automation summary
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

// The differences of two titles in list order. Two unrelated titles of the largest size differ
// in some 400,000 places, so they are kept as values and references, and a difference's texts
// are made when it is asked for.
class Differences {
 public:
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  // The difference with its texts.
  Difference operator[](std::size_t index) const;
  CompareList ListOf(std::size_t index) const { return At(index).list; }
  int RecordIndexOf(std::size_t index) const { return At(index).record_index; }
  int ChannelIndexOf(std::size_t index) const { return At(index).channel_index; }
  const std::string& RecordText(std::size_t index) const;
  const std::string& ChannelText(std::size_t index) const;

 private:
  friend class DifferenceCollector;
  enum class Kind : std::uint8_t { kValues, kTexts, kNote };
  struct Entry {
    CompareList list = CompareList::kSystem;
    Kind kind = Kind::kTexts;
    bool toggle = false;      // a switch: its values read ON and OFF
    std::int8_t delay_a = 0;  // the delay unit each title shows a delay in
    std::int8_t delay_b = 0;
    std::int16_t param = -1;  // kValues: the parameter
    std::int32_t record_index = -1;
    std::int32_t channel_index = -1;
    std::uint32_t record = 0;  // texts: the record, the channel, the name (but for kValues)
    std::uint32_t channel = 0;
    std::uint32_t name = 0;
    std::int32_t a = 0;  // kValues: the values; kTexts: their texts; kNote: its text
    std::int32_t b = 0;
  };
  // In chunks, so that a growing list is never copied.
  static constexpr std::size_t kChunk = 4096;
  const Entry& At(std::size_t index) const { return chunks_[index / kChunk][index % kChunk]; }
  Entry& Append();
  std::vector<std::vector<Entry>> chunks_;
  std::size_t size_ = 0;
  std::vector<std::string> texts_{std::string()};  // text 0 is empty
  int rate_a_ = 0, rate_b_ = 0, tc_a_ = 0, tc_b_ = 0;
};

// The differences whose line holds a text (in any case, the list's name included; all of them
// for none), in groups of one list and one record (or one channel of the system list).
struct DifferenceGroup {
  CompareList list = CompareList::kSystem;
  std::string caption;               // the record or channel; empty for the list's own settings
  std::vector<std::size_t> members;  // indexes into the differences
};
std::vector<DifferenceGroup> GroupDifferences(const Differences& differences,
                                              const std::string& filter);

// Records are matched by position. What every save renews (size, save date, title name,
// record numbers, checksums) is not compared.
Differences CompareTitles(const Title& a, const Title& b);

}  // namespace orb
