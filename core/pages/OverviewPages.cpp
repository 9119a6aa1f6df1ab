#include "core/pages/OverviewPages.h"

#include <algorithm>
#include <cstdint>
#include <optional>

#include "core/model/ParamIds.h"
#include "core/model/ParamModel.h"
#include "core/model/Q730sysf.h"
#include "core/pages/SceneMaker.h"

namespace orb {
namespace {

using pages::Place;
using pages::SceneMaker;

constexpr int kStripWidth = 33;
// A strip's controls span x + 6 to x + 36 of its column; its plate lies under them.
constexpr int kPlateLeft = 5;
constexpr int kPanCentre = 63;
constexpr int kFaderTravel = 75;
constexpr int kFaderTop = 353;
constexpr const char* kBusDigits[kBusAssigns] = {"1", "2", "3", "4", "5", "6", "7", "8"};

// The snapshot list reads the parameters of its current record: the page shows the snapshot at
// the cursor and leaves the current record as it found it.
class RecordScope {
 public:
  RecordScope(const TQ730& list, int record)
      : list_(const_cast<TQ730&>(list)), was_(list.CurrentRecord()) {
    list_.SetCurrentRecord(record);
  }
  ~RecordScope() { list_.SetCurrentRecord(was_); }
  RecordScope(const RecordScope&) = delete;
  RecordScope& operator=(const RecordScope&) = delete;

 private:
  TQ730& list_;
  int was_;
};

struct StripMaker : SceneMaker {
  using SceneMaker::SceneMaker;

  // A level or pan bar, green while its on switch is on.
  void Bar(int id, int on_id, int channel, const PageRect& box, int centre) {
    const int value = values->GetParam(channel, id);
    if (value < 0) return;
    PageControl& c = Add(id, channel, kKindBar, box, value);
    c.centre = centre;
    c.lit = values->GetParam(channel, on_id) >= 1;
  }

  void Fader(int channel, int x) {
    const int value = values->GetParam(channel, kParamFaderLevel);
    if (value < 0) return;
    // The value display sits over the travel, centred on the cap's column, as wide as the
    // channel's switches so that five characters fit.
    PageControl& c = Add(kParamFaderLevel, channel, kKindShortFader,
                         Place(x + 7, kFaderTop - 14, 30, 13), value);
    c.value_text = ValueText(*values, channel, kParamFaderLevel);
    c.travel = kFaderTravel;
    c.travel_top = kFaderTop + 1 + kHeaderStrip;
    const std::int64_t up =
        c.max > 0 ? std::int64_t{std::clamp(value, 0, c.max)} * kFaderTravel / c.max : 0;
    c.cap = {x + 22 + 1, c.travel_top + kFaderTravel - static_cast<int>(up)};
  }

  void Strip(int channel, int x) {
    Add(kSwitchChannel, channel, kKindCustom12, Place(x + 6, 9, 30, 18), 0).face =
        system->NumberText(channel);
    Switch(kParamDelayOn, channel, Place(x + 8, 64, 27, 12), "DLY", kKindTab);
    Switch(kParamPgmAssignL, channel, Place(x + 10, 90, 11, 11), "L", kKindTiny);
    Switch(kParamPgmAssignR, channel, Place(x + 22, 90, 11, 11), "R", kKindTiny);
    for (int n = 0; n < kBusAssigns; ++n) {
      Switch(kParamBusAssign + n, channel, Place(x + 10 + 12 * (n % 2), 106 + 13 * (n / 2), 11, 11),
             kBusDigits[n], kKindTiny);
    }
    Switch(kParamEqOn, channel, Place(x + 6, 169, 30, 31), "EQ", kKindMeter60);
    Switch(kParamDynamicsOn, channel, Place(x + 6, 201, 30, 31), "DYN", kKindMeter61);
    const int first_aux = system->FirstChannelOf(kGroupAUX);
    for (int j = 0; j < kAuxSends; ++j) {
      const PageRect box = Place(x + 14, 247 + 8 * j, 19, 6);
      const int pair = j / 2;
      const bool stereo = 2 * pair < system->GroupSize(kGroupAUX) &&
                          values->GetParam(first_aux + 2 * pair, kParamLinkMode) == kStereo;
      if (stereo && j % 2 == 1) {
        Bar(kParamAuxPan + pair, kParamAuxPanOn + pair, channel, box, kPanCentre);
      } else {
        Bar(kParamAuxLevel + j, kParamAuxOn + j, channel, box, 0);
      }
    }
    Bar(kParamPan, kParamPanOn, channel, Place(x + 9, 331, 25, 6), kPanCentre);
    Fader(channel, x);
  }
};

}  // namespace

int ShownBank(const TQ730SYSF& system, int bank) {
  if (bank < 0 || bank >= kOverviewBanks) return 0;
  if (bank == 1 && system.GroupSize(kGroupInput) <= kStripsPerBank) return 2;
  return bank;
}

int NextBank(const TQ730SYSF& system, int bank) {
  return ShownBank(system, (ShownBank(system, bank) + 1) % kOverviewBanks);
}

std::string BankText(int shown_bank) {
  return shown_bank == 0 ? "1~24" : shown_bank == 1 ? "25~48" : "MASTERS";
}

int StripChannel(const TQ730SYSF& system, int shown_bank, int column) {
  if (column < 0 || column >= kStripsPerBank) return -1;
  int group = kGroupInput, k = column + (shown_bank == 1 ? kStripsPerBank : 0);
  if (shown_bank == 2) {
    static constexpr int kMasters[] = {kGroupMTR, kGroupAUX, kGroupRTN};
    group = kMasters[column / 8];
    k = column % 8;
  }
  return k < system.GroupSize(group) ? system.FirstChannelOf(group) + k : -1;
}

PageScene BuildOverviewScene(const PageInput& in) {
  const bool snapshot = in.page == kPageSnapshot;
  StripMaker m(in, snapshot ? PagePicture::kSnapshot : PagePicture::kOverview, "");
  if (!snapshot) m.RequireSystemList();
  if (!m.system) return std::move(m.scene);
  const TQ730SYSF& s = *m.system;
  const int bank = ShownBank(s, in.bank);
  std::string header = (snapshot ? "SNAPSHOT : " : "AUDIO OVERVIEW : ") + BankText(bank);
  const bool has_record = in.cursor >= 0 && in.cursor < in.list->Count();
  if (snapshot && has_record) {
    header += " - " + std::to_string(in.cursor + 1) + " : " + in.list->NameText(in.cursor) + "   ";
  }
  // The header ends before the page switches.
  const int page_x = snapshot ? 600 : 700;
  m.scene.header = FitHeader(header, in.header_width, page_x - 20);
  for (int c = 0; c < kStripsPerBank; ++c)
    m.Frame(
        {kStripWidth * c + kPlateLeft, 0, kStripWidth - 1, kPanelHeight - kHeaderStrip - 3, ""});
  if (snapshot && !has_record) return std::move(m.scene);
  m.Add(kSwitchPage, 0, kKindTallCustom, Place(page_x, 5, 95, 40, true), 0).face = "PAGE";
  if (snapshot) {
    m.Add(kSwitchEdit, 0, kKindTallCustom, Place(700, 5, 95, 40, true), in.list->EditEnabled())
        .face = "EDIT";
  }
  std::optional<RecordScope> record;
  if (snapshot) record.emplace(*in.list, in.cursor);
  for (int c = 0; c < kStripsPerBank; ++c) {
    const int channel = StripChannel(s, bank, c);
    if (channel >= 0) m.Strip(channel, kStripWidth * c);
  }
  return std::move(m.scene);
}

}  // namespace orb
