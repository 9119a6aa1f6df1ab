#include "core/editor/ChannelList.h"

#include <algorithm>
#include <cctype>

#include "core/model/ConsoleText.h"
#include "core/model/Csv.h"
#include "core/model/ParamIds.h"
#include "core/model/Q730sysf.h"
#include "core/model/ValueText.h"
#include "core/pages/PageTables.h"

namespace orb {
namespace {

constexpr const char* kTitles[kChannelColumns] = {
    "Channel",   "Name", "Source",   "Link",          "Fader group",
    "Cut group", "EQ",   "Dynamics", "Dynamics mode", "Level"};

// The page labels: code 8 is ON/OFF, code 10 the link mode.
constexpr int kOnOffLabel = 8;
constexpr int kLinkLabel = 10;

std::string GroupText(int value) {
  return value > 0 ? std::to_string(value) : "";
}

std::string OnOffText(int value) {
  return value < 0 ? "" : LabelText(kOnOffLabel, value);
}

// "EXP/COMP", "GATE/DUCK": the two sections as their switches choose them.
std::string DynamicsModeText(const TQ730SYSF& system, int channel) {
  const int gate = system.GetParam(channel, kParamExpGateSelect);
  const int duck = system.GetParam(channel, kParamCompDuckSelect);
  if (gate < 0 || duck < 0) return "";
  return std::string(gate ? "GATE" : "EXP") + "/" + (duck ? "DUCK" : "COMP");
}

std::string Squeezed(std::string_view text) {
  std::string out;
  for (char c : text)
    if (c != ' ' && c != '\t')
      out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

// Width in characters, not bytes.
std::size_t Width(std::string_view utf8) {
  std::size_t width = 0;
  for (std::size_t at = 0; at < utf8.size(); ++width) NextUtf8(utf8, at);
  return width;
}

}  // namespace

const char* ChannelColumnTitle(int column) {
  return column >= 0 && column < kChannelColumns ? kTitles[column] : "";
}

std::vector<std::vector<std::string>> ChannelRows(const TQ730SYSF& system) {
  std::vector<std::vector<std::string>> rows;
  for (int channel = 0; channel < system.Count(); ++channel) {
    const int link = system.GetParam(channel, kParamLinkMode);
    rows.push_back({
        system.NumberText(channel),
        Utf8FromConsole(system.NameText(channel)),
        ValueText(system, channel, kParamInputSource).value,
        link < 0 ? "" : LabelText(kLinkLabel, link),
        GroupText(system.GetParam(channel, kParamFaderGroup)),
        GroupText(system.GetParam(channel, kParamCutGroup)),
        OnOffText(system.GetParam(channel, kParamEqOn)),
        OnOffText(system.GetParam(channel, kParamDynamicsOn)),
        DynamicsModeText(system, channel),
        ValueAndUnit(ValueText(system, channel, kParamFaderLevel)),
    });
  }
  return rows;
}

std::string ChannelCsv(const TQ730SYSF& system) {
  std::string csv = CsvLine(std::vector<std::string>(kTitles, kTitles + kChannelColumns));
  for (const auto& row : ChannelRows(system)) csv += CsvLine(row);
  return csv;
}

std::string TextTable(const std::vector<std::string>& header,
                      const std::vector<std::vector<std::string>>& rows) {
  std::vector<std::size_t> widths(header.size());
  for (std::size_t c = 0; c < header.size(); ++c) widths[c] = Width(header[c]);
  for (const auto& row : rows)
    for (std::size_t c = 0; c < row.size() && c < widths.size(); ++c)
      widths[c] = std::max(widths[c], Width(row[c]));
  std::string out;
  const auto line = [&](const std::vector<std::string>& cells) {
    std::string text;
    for (std::size_t c = 0; c < cells.size() && c < widths.size(); ++c) {
      text += cells[c];
      if (c + 1 < cells.size()) text += std::string(widths[c] - Width(cells[c]) + 2, ' ');
    }
    while (!text.empty() && text.back() == ' ') text.pop_back();
    out += text + "\n";
  };
  line(header);
  for (const auto& row : rows) line(row);
  return out;
}

int ChannelNamed(const TQ730SYSF& system, std::string_view text) {
  const std::string wanted = Squeezed(text);
  if (wanted.empty()) return -1;
  if (wanted.find_first_not_of("0123456789") == std::string::npos) {
    if (wanted.size() > 3) return -1;
    const int n = std::stoi(wanted);
    return n >= 1 && n <= system.GroupSize(kGroupInput) ? system.FirstChannelOf(kGroupInput) + n - 1
                                                        : -1;
  }
  for (int channel = 0; channel < system.Count(); ++channel)
    if (Squeezed(system.NumberText(channel)) == wanted) return channel;
  return -1;
}

}  // namespace orb
