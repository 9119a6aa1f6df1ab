#include "core/storage/NewTitle.h"

#include <filesystem>

#include "core/model/Q730.h"

namespace orb {
namespace {

// System bytes of a freshly initialised console that no parameter default sets.
constexpr int kTcModeSetting = 139;  // the "TC MODE" setting, mirroring the title information
constexpr int kTempo = 144;
constexpr int kMeasure = 145;  // beats, then the note value
constexpr std::uint8_t kInitialTempo = 120;

constexpr std::string_view kRateTexts[] = {"48k", "44.1k", "96k", "88.2k"};

}  // namespace

int SampleRateModeOf(std::string_view text) {
  for (int mode = 0; mode < 4; ++mode) {
    const std::string_view rate = kRateTexts[mode];
    if (text == rate || text == std::string(rate) + "Hz") return mode;
  }
  return -1;
}

int TimecodeModeOf(std::string_view text) {
  for (int mode = 0; mode < 5; ++mode) {
    if (text == std::to_string(mode) || text == TCModeName(mode)) return mode;
  }
  return -1;
}

void InitialiseTitle(Title& title, const NewTitleSettings& settings) {
  TQ730SYSF& system = title.System();
  std::span<std::uint8_t, TQ730SYSF::kBlockSize> block = system.Block();
  block[TitleInfoView::kTimecodeMode.at] = static_cast<std::uint8_t>(settings.tc_mode);
  block[TitleInfoView::kSampleRateMode.at] = static_cast<std::uint8_t>(settings.rate_mode);
  block[kTcModeSetting] = static_cast<std::uint8_t>(settings.tc_mode);
  block[kTempo] = kInitialTempo;
  block[kMeasure] = 4;
  block[kMeasure + 1] = 4;
  // Every channel at the defaults of every parameter group, as Zero sets them.
  ParamGroupList groups;
  system.ListParams(groups);
  system.SelectAllChannels();
  {
    EditFlagScope edit(system);
    system.ResetParams(groups);
  }
  system.DeselectAllChannels();
  system.CompleteGroupFaders();
  title.SetModified(true);
}

Status CreateTitle(const std::string& path, const NewTitleSettings& settings, Prompter* prompter) {
  if (settings.rate_mode < 0 || settings.rate_mode > 3 || settings.tc_mode < 0 ||
      settings.tc_mode > 4 || TitleNameOf(path).empty())
    return kFailed;
  std::error_code error;
  if (std::filesystem::exists(path, error)) return kCantOpenDestination;
  Title title;
  InitialiseTitle(title, settings);
  return title.SaveTitleAs(path, prompter);
}

}  // namespace orb
