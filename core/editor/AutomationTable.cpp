#include "core/editor/AutomationTable.h"

#include <cctype>
#include <map>
#include <unordered_map>

#include "core/editor/AutomationViews.h"
#include "core/editor/ChannelList.h"
#include "core/model/ParamIds.h"
#include "core/model/ParamNames.h"
#include "core/model/Q730.h"
#include "core/model/Q730auto.h"
#include "core/model/Q730sysf.h"
#include "core/model/ValueText.h"
#include "core/pages/PageTables.h"

namespace orb {
namespace {

std::string Upper(std::string_view text) {
  std::string out;
  for (char c : text) out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

constexpr int kOnOffLabel = 8;  // the pages' ON/OFF label

struct Owner {
  int param;
  int channel;
  int shift;
};

}  // namespace

std::vector<std::string> AutomationHeader() {
  return {"Time code", "Channel", "Parameter", "Value", "Unit"};
}

std::vector<std::vector<std::string>> AutomationRows(const TQ730AUTO& automation, int channel,
                                                     int param) {
  std::vector<std::vector<std::string>> rows;
  const TQ730SYSF* system = automation.System();
  if (!system) return rows;
  // Each key leaves the value bits open; keys with the same mask are found by their pattern.
  std::map<std::uint32_t, std::unordered_map<std::uint32_t, Owner>> owners;
  for (int view : kAutomationViews) {
    if (param != 0 && view != param) continue;
    for (int c = 0; c < system->Count(); ++c) {
      if (channel >= 0 && c != channel) continue;
      const EventKey key = automation.KeyOf(view, c);
      if (key.valid) owners[key.mask].emplace(key.pattern, Owner{view, c, key.shift});
    }
  }
  ValueContext context;
  context.rate_mode = system->SampleRateMode();
  context.tc_mode = system->TimecodeMode();
  for (int i = 0; i < automation.Count(); ++i) {
    const std::uint32_t word = automation.EventWord(i);
    for (const auto& [mask, patterns] : owners) {
      const auto found = patterns.find(word & mask);
      if (found == patterns.end()) continue;
      const Owner& owner = found->second;
      EventKey key;
      key.mask = mask;
      key.shift = owner.shift;
      const int value = key.Value(word);
      context.delay_unit = system->GetParam(owner.channel, kParamDelayUnit);
      const ValueTexts texts = FormatValue(owner.param, value, context);
      std::string shown = Unpadded(texts.value);
      if (shown.empty()) {
        // Switches have no value text of their own: the pages label them ON and OFF.
        const ParamDescriptor* about = system->FindParam(owner.channel, owner.param);
        shown = about && about->max == 1 ? LabelText(kOnOffLabel, value) : std::to_string(value);
      }
      rows.push_back({FormatTC(automation.EventTime(i)), system->NumberText(owner.channel),
                      ParamName(owner.param), shown, Unpadded(texts.unit)});
      break;
    }
  }
  return rows;
}

int ViewNamed(std::string_view name) {
  const std::string wanted = Upper(name);
  for (int view : kAutomationViews)
    if (Upper(ParamName(view)) == wanted) return view;
  return 0;
}

}  // namespace orb
