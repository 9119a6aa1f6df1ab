#include "core/model/RoutingNames.h"

#include <array>

#include "core/model/Q730sysf.h"

namespace orb {
namespace {

struct RoutingName {
  std::string short_label;
  std::string long_name;
};

template <std::size_t N>
struct NameTable {
  std::array<RoutingName, N> names;
  int next = 0;
  void Add(std::string short_label, std::string long_name) {
    names[next++] = {std::move(short_label), std::move(long_name)};
  }
  // count entries: short first line over the number, long prefix, number, suffix
  void AddNumbered(int count, const std::string& line, const std::string& prefix,
                   const std::string& suffix = "") {
    for (int n = 1; n <= count; ++n)
      Add(line + "\n" + std::to_string(n), prefix + std::to_string(n) + suffix);
  }
};

// The console shows its MADI port as "@" in the stored names.
std::string ShownMadi(std::string text) {
  for (std::size_t at = text.find('@'); at != std::string::npos; at = text.find('@', at + 4))
    text.replace(at, 1, "MADI");
  return text;
}

NameTable<kInputSourceNames> MakeInputNames() {
  NameTable<kInputSourceNames> t;
  t.Add("NC", "No Connection");
  t.AddNumbered(24, "AD", "AD ", "CH");
  for (int slot = 1; slot <= 4; ++slot) {
    const std::string s = std::to_string(slot);
    t.AddNumbered(8, "SL" + s, "SLOT" + s + " @ ", "CH");
  }
  t.AddNumbered(8, "AUX", "AUX RET ", "CH");
  for (const char* side : {"1-L", "1-R", "2-L", "2-R"})
    t.Add(std::string("2TR\n") + side, std::string("2TR") + side);
  t.Add("TB\nMIC", "TALKBACK MIC");
  t.AddNumbered(48, "@", "@ ", "CH");
  t.Add("", "");
  for (int n = 1; n <= 24; ++n)
    t.Add("MADI\nS-" + std::to_string(n), "MADI SUB " + std::to_string(n) + "CH");
  return t;
}

NameTable<kOutputSourceNames> MakeOutputNames() {
  NameTable<kOutputSourceNames> t;
  t.Add("NC", "No Connection");
  t.Add("PGM\nL", "PGM L");
  t.Add("PGM\nR", "PGM R");
  for (int n = 1; n <= 8; ++n) t.Add("AUX" + std::to_string(n), "AUX " + std::to_string(n));
  for (int n = 1; n <= 8; ++n) t.Add("MTR" + std::to_string(n), "MTR " + std::to_string(n));
  for (int n = 1; n <= 8; ++n)
    t.Add("INS\nSND" + std::to_string(n), "INS SND " + std::to_string(n));
  t.AddNumbered(48, "DIRO", "DIRECT OUT ");
  t.AddNumbered(6, "CRM", "CR MONI ");
  for (const char* pair : {"STM", "PFL", "OSC"}) {
    const std::string name = pair == std::string("STM") ? "STUDIO MONI" : pair;
    t.Add(std::string(pair) + "\nL", name + " L");
    t.Add(std::string(pair) + "\nR", name + " R");
  }
  return t;
}

const NameTable<kInputSourceNames>& InputNames() {
  static const auto* names = new NameTable<kInputSourceNames>(MakeInputNames());
  return *names;
}
const NameTable<kOutputSourceNames>& OutputNames() {
  static const auto* names = new NameTable<kOutputSourceNames>(MakeOutputNames());
  return *names;
}

template <std::size_t N>
const RoutingName* Lookup(const NameTable<N>& table, int value) {
  return value >= 0 && value < static_cast<int>(N) ? &table.names[value] : nullptr;
}

}  // namespace

std::string InputShortLabel(int value) {
  const RoutingName* n = Lookup(InputNames(), value);
  return n ? ShownMadi(n->short_label) : "";
}
std::string InputLongName(int value) {
  const RoutingName* n = Lookup(InputNames(), value);
  return n ? ShownMadi(n->long_name) : "";
}
std::string OutputShortLabel(int value) {
  const RoutingName* n = Lookup(OutputNames(), value);
  return n ? n->short_label : "";
}
std::string OutputLongName(int value) {
  const RoutingName* n = Lookup(OutputNames(), value);
  return n ? n->long_name : "";
}

std::vector<PickItem> InputPickList(const TQ730SYSF& system) {
  std::vector<PickItem> items;
  const auto add = [&](int first, int last) {
    for (int v = first; v <= last; ++v) items.push_back({v, InputLongName(v)});
  };
  add(0, 56);
  add(70, system.HighRate() ? 93 : 117);
  add(57, 69);
  return items;
}

std::vector<PickItem> OutputPickList(const TQ730SYSF& system) {
  const bool pgm = system.GroupSize(kGroupPGM) > 0;
  // The first value of each numbered family and how many of it the layout has.
  struct Family {
    int first, last, count;
  };
  const Family families[] = {
      {1, 2, pgm ? 2 : 0},
      {3, 10, system.GroupSize(kGroupAUX)},
      {11, 18, system.GroupSize(kGroupMTR)},
      {19, 26, system.GroupSize(5)},
      {27, 74, system.GroupSize(6)},
      {81, 82, pgm ? 2 : 0},
      {86, 86, system.HighRate() ? 0 : 1},
  };
  std::vector<PickItem> items;
  for (int v = 0; v < kOutputSourceNames; ++v) {
    bool shown = true;
    for (const Family& f : families) {
      if (v >= f.first && v <= f.last) shown = v - f.first < f.count;
    }
    if (shown) items.push_back({v, OutputLongName(v)});
  }
  return items;
}

}  // namespace orb
