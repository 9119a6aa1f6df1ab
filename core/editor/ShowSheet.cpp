#include "core/editor/ShowSheet.h"

#include <algorithm>

#include "core/editor/ChannelList.h"
#include "core/model/ConsoleText.h"
#include "core/model/ParamIds.h"
#include "core/model/RoutingNames.h"
#include "core/model/Title.h"
#include "core/pages/CuePage.h"

namespace orb {
namespace {

SheetTable InputList(const TQ730SYSF& system) {
  static constexpr int kShown[] = {kColumnChannel, kColumnName,       kColumnSource,
                                   kColumnLink,    kColumnFaderGroup, kColumnCutGroup,
                                   kColumnEq,      kColumnDynamics,   kColumnLevel};
  SheetTable table{"Channels", {}, {}};
  for (int column : kShown) table.header.push_back(ChannelColumnTitle(column));
  for (const auto& row : ChannelRows(system)) {
    std::vector<std::string> cells;
    for (int column : kShown) cells.push_back(row[column]);
    table.rows.push_back(std::move(cells));
  }
  return table;
}

// Every output that is connected, with its source as the OUTPUT ASSIGN page's list names it.
SheetTable OutputPatch(const TQ730SYSF& system) {
  SheetTable table{"Output patch", {"Output", "Source"}, {}};
  const auto add = [&](int id, int element, const std::string& output) {
    const int value = system.GetParam(element, id);
    if (value > kNoConnection) table.rows.push_back({output, OutputLongName(value)});
  };
  for (int row = 0; row < 6; ++row)
    for (int e = 0; e < 8; ++e)
      add(row < 5 ? kParamOutputRouting + row : kParamOutputRouting6, e,
          "OUTPUTS " + std::to_string(row + 1) + "-" + std::to_string(e + 1));
  for (int i = 0; i < 48; ++i) add(kParamMadiOutput, i, "MADI " + std::to_string(i + 1));
  for (int i = 0; i < 8; ++i) add(kParamInsertion, i, "INSERTION " + std::to_string(i + 1));
  return table;
}

SheetTable Entries(const std::string& title, const TQ730& list) {
  SheetTable table{title, {"No.", "Name"}, {}};
  for (int i = 0; i < list.Count(); ++i)
    table.rows.push_back({list.NumberText(i), Utf8FromConsole(list.NameText(i))});
  return table;
}

SheetTable CueList(const Title& title) {
  SheetTable table{"Cues", {"No."}, {}};
  for (int column = 0; column < kCueColumns; ++column)
    table.header.push_back(CueColumnTitle(column));
  PageInput in;
  in.page = kPageCue;
  in.list = &title.Cues();
  in.snapshots = &title.Snapshots();
  in.eq_lib = &title.Eq();
  in.dyn_lib = &title.Dynamics();
  for (int cue = 0; cue < title.Cues().Count(); ++cue) {
    std::vector<std::string> row = {title.Cues().NumberText(cue)};
    for (int column = 0; column < kCueColumns; ++column)
      row.push_back(Utf8FromConsole(CueCellText(in, cue, column)));
    table.rows.push_back(std::move(row));
  }
  return table;
}

}  // namespace

ShowSheet BuildShowSheet(const Title& title, const std::vector<int>& pictures) {
  ShowSheet sheet;
  const TQ730SYSF& system = title.System();
  TitleInfo info{};
  const auto bytes = system.Info().Bytes({0, kTitleInfoSize});
  std::copy_n(bytes.begin(), std::min(bytes.size(), info.size()), info.begin());
  const TitleInfoTexts texts = DescribeTitle(info);
  sheet.title_name = Utf8FromConsole(texts.name);
  sheet.save_date = texts.date;
  sheet.info = {
      {"NAME", sheet.title_name},           {"DATE", texts.date},       {"SIZE", texts.size},
      {"INITIAL CUE", texts.initial_cue},   {"TC MODE", texts.tc_mode}, {"FS", texts.fs},
      {"MEMO", Utf8FromConsole(texts.memo)}};
  sheet.tables = {InputList(system), OutputPatch(system), Entries("Snapshots", title.Snapshots()),
                  CueList(title)};
  for (int channel : pictures)
    if (channel >= 0 && channel < system.Count()) sheet.pictures.push_back(channel);
  return sheet;
}

std::string SheetFooter(const ShowSheet& sheet, int page, int pages) {
  return sheet.title_name + "  saved " + sheet.save_date + "  page " + std::to_string(page) +
         " of " + std::to_string(pages);
}

std::vector<SheetPage> PaginateSheet(const ShowSheet& sheet, int lines_per_page) {
  const int lines = std::max(lines_per_page, 8);
  std::vector<SheetPage> pages(1);
  pages[0].info = true;
  int used = static_cast<int>(sheet.info.size()) + 2;
  for (int t = 0; t < static_cast<int>(sheet.tables.size()); ++t) {
    const int count = static_cast<int>(sheet.tables[t].rows.size());
    int row = 0;
    do {
      const int room = lines - used - 2;
      if (room < std::min(kSheetMinRows, std::max(count - row, 1))) {
        pages.emplace_back();
        used = 0;
        continue;
      }
      const int take = std::min(room, count - row);
      pages.back().slices.push_back({t, row, take, row > 0});
      used += take + 3;
      row += take;
    } while (row < count);
  }
  for (int channel : sheet.pictures) {
    pages.emplace_back();
    pages.back().picture = channel;
  }
  return pages;
}

}  // namespace orb
