#include "core/edit/StepName.h"

#include <vector>

#include "core/model/ParamNames.h"
#include "core/model/Q730sysf.h"

namespace orb {
namespace {

constexpr const char* kGroupNames[] = {"CH", "MTR", "AUX", "RTN", "PGM"};

// Singular and plural of an entry of each kind of list.
struct EntryNoun {
  const char* one;
  const char* many;
};
constexpr EntryNoun kNouns[] = {{"channel", "channels"},
                                {"snapshot", "snapshots"},
                                {"cue", "cues"},
                                {"dynamics entry", "dynamics entries"},
                                {"EQ entry", "EQ entries"},
                                {"channel", "channels"}};

const EntryNoun& NounOf(const TQ730& list) {
  const int kind = list.Kind();
  return kNouns[kind >= 0 && kind < 6 ? kind : 0];
}

bool ChannelList(const TQ730& list) {
  return list.Kind() == TQ730::kSystem || list.Kind() == TQ730::kAutomation;
}

// The layout's channel numbering: the title's system data, or the list itself without one.
const TQ730& Layout(const TQ730& list) {
  return list.System() ? static_cast<const TQ730&>(*list.System()) : list;
}

}  // namespace

std::string ChannelText(const TQ730& list, int channel) {
  const TQ730& layout = Layout(list);
  const int group = layout.ChannelKind(channel);
  if (group < kGroupInput || group > kGroupPGM) return {};
  if (group == kGroupPGM) return "PGM";
  return std::string(kGroupNames[group]) + " " +
         std::to_string(channel - layout.FirstChannelOf(group) + 1);
}

std::string EntryText(const TQ730& list, int index) {
  if (ChannelList(list)) return ChannelText(list, index);
  return std::string(NounOf(list).one) + " " + std::to_string(index + 1);
}

std::string SelectionText(const TQ730& list) {
  std::vector<int> chosen;
  if (ChannelList(list)) {
    for (int c = 0, n = Layout(list).ChannelCount(); c < n; ++c) {
      if (list.IsChannelSelected(c)) chosen.push_back(c);
    }
  } else {
    for (int i = 0, n = list.Count(); i < n; ++i) {
      if (list.IsSelected(i)) chosen.push_back(i);
    }
  }
  const EntryNoun& noun = NounOf(list);
  if (chosen.empty()) return std::string("no ") + noun.many;
  if (chosen.size() == 1) return EntryText(list, chosen.front());
  if (!ChannelList(list)) return std::to_string(chosen.size()) + " " + noun.many;
  // Runs of neighbours in one channel group: "CH 1–4"; more than two runs are only counted.
  const TQ730& layout = Layout(list);
  std::vector<std::string> runs;
  for (std::size_t i = 0; i < chosen.size();) {
    std::size_t j = i;
    while (j + 1 < chosen.size() && chosen[j + 1] == chosen[j] + 1 &&
           layout.ChannelKind(chosen[j + 1]) == layout.ChannelKind(chosen[i]))
      ++j;
    std::string run = ChannelText(list, chosen[i]);
    if (j > i) {
      const std::string last = ChannelText(list, chosen[j]);
      run += "\u2013" + last.substr(last.find(' ') + 1);
    }
    runs.push_back(run);
    i = j + 1;
  }
  if (runs.size() > 2) return std::to_string(chosen.size()) + " " + noun.many;
  return runs.size() == 1 ? runs[0] : runs[0] + ", " + runs[1];
}

std::string StepName(std::string_view verb, const TQ730& list) {
  return std::string(verb) + " " + SelectionText(list);
}

std::string ParamStepName(const TQ730& list, int channel, int id) {
  std::string name = ParamName(id);
  if (name.empty()) name = "Change";
  switch (list.Kind()) {
    case TQ730::kSystem:
    case TQ730::kAutomation:
      return name + " " + ChannelText(list, channel);
    case TQ730::kSnapshot:
      return name + " " + ChannelText(list, channel) + " in " +
             EntryText(list, list.CurrentRecord());
    default:
      return name + " " + EntryText(list, channel);
  }
}

}  // namespace orb
