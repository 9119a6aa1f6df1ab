#include "core/pages/CuePage.h"

#include <algorithm>

#include "core/model/ParamIds.h"
#include "core/model/Q730.h"
#include "core/model/Q730snap.h"
#include "core/model/Q730sysf.h"
#include "core/pages/SceneMaker.h"

namespace orb {
namespace {

struct Column {
  int id;
  int width;
  const char* title;
};
constexpr Column kColumns[kCueColumns] = {
    {kParamCueTime, 80, "TIME CODE"},  {kParamCueTcLink, 60, "TC LINK"},
    {kParamCueEvent, 80, "EVENT"},     {kParamCueEventNumber, 64, "NUMBER"},
    {kParamCueChannel, 80, "CHANNEL"}, {kParamCueEventName, 200, "EVENT NAME"}};
constexpr int kNameMargin = 15;
constexpr int kAllChannels = 255;

std::string EventText(int event) {
  static constexpr const char* kEvents[] = {"NA", "SNAPSHOT", "EQ LIB", "DYNA LIB", "MIDI"};
  return event >= 0 && event < 5 ? kEvents[event] : "";
}

const TQ730* RecalledList(const PageInput& in, int event) {
  return event == TQ730CUE::kRecallSnapshot   ? in.snapshots
         : event == TQ730CUE::kRecallEq       ? in.eq_lib
         : event == TQ730CUE::kRecallDynamics ? in.dyn_lib
                                              : nullptr;
}

// The name of the record a cue recalls: its position from 1 in the list of its event.
std::string RecalledName(const PageInput& in, int event, int number) {
  const TQ730* list = RecalledList(in, event);
  if (event == TQ730CUE::kRecallSnapshot && number == 0) return "INITIAL SNAPSHOT";
  if (!list || number < 1 || number > list->Count()) return "";
  return list->NameText(number - 1);
}

}  // namespace

const char* CueColumnTitle(int column) {
  return column >= 0 && column < kCueColumns ? kColumns[column].title : "";
}

std::string CueCellText(const PageInput& in, int cue, int column) {
  if (!in.list || cue < 0 || cue >= in.list->Count() || column < 0 || column >= kCueColumns)
    return "";
  const TQ730& cues = *in.list;
  if (column == 0) {
    const auto* cue_list = dynamic_cast<const TQ730CUE*>(&cues);
    return cue_list ? FormatTC(FromBCD(cue_list->Time(cue))) : "";
  }
  const int value = cues.GetParam(cue, kColumns[column].id);
  if (value < 0) return "";
  const int event = cues.GetParam(cue, kParamCueEvent);
  switch (column) {
    case 1:
      return value >= 1 ? "ON" : "OFF";
    case 2:
      return EventText(value);
    case 3:
      return event > 0 ? ZeroPad(value, 2) : "";
    case 4:
      if (event <= 0) return "";
      if (value == kAllChannels) return event == TQ730CUE::kRecallSnapshot ? "ALL" : "NA";
      return cues.System() ? cues.System()->NumberText(value) : "";
    default:
      return RecalledName(in, event, cues.GetParam(cue, kParamCueEventNumber));
  }
}

std::string FitCell(std::string text, const std::function<int(std::string_view)>& width,
                    int limit) {
  if (!width || width(text) <= limit) return text;
  while (!text.empty() && width(text + "...") > limit) text.pop_back();
  return text + "...";
}

PageScene BuildCueScene(const PageInput& in) {
  pages::SceneMaker m(in, PagePicture::kCue, "CUE");
  if (!in.list || in.list->Kind() != TQ730::kCue) return std::move(m.scene);
  const int rows = (kPanelHeight - kCueRowsTop) / kCueRowHeight;
  const int first = std::max(in.scroll, 0);
  int x = 1;
  for (const Column& column : kColumns) {
    m.Add(0, 0, kKindTableHeader, {x, kCueHeaderTop, column.width, kCueRowsTop - kCueHeaderTop}, 0)
        .face = column.title;
    x += column.width;
  }
  for (int row = 0; row < rows && first + row < in.list->Count(); ++row) {
    const int cue = first + row;
    x = 1;
    for (int column = 0; column < kCueColumns; ++column) {
      const Column& col = kColumns[column];
      const int value = in.list->GetParam(cue, col.id);
      PageControl& c =
          m.Add(col.id, cue, kKindTableCell,
                {x, kCueRowsTop + kCueRowHeight * row, col.width, kCueRowHeight}, value);
      c.lit = false;
      c.face = CueCellText(in, cue, column);
      // What a cue that recalls nothing would pick a number or channel for, it does not show.
      const int event = in.list->GetParam(cue, kParamCueEvent);
      c.display_only = col.id == kParamCueEventName ||
                       (col.id == kParamCueEventNumber && !CueRecallsRecord(event)) ||
                       (col.id == kParamCueChannel && event <= 0);
      if (column == kCueColumns - 1)
        c.face = FitCell(c.face, in.cell_width, col.width - kNameMargin);
      x += col.width;
    }
  }
  return std::move(m.scene);
}

bool CueRecallsRecord(int event) {
  return event == TQ730CUE::kRecallSnapshot || event == TQ730CUE::kRecallEq ||
         event == TQ730CUE::kRecallDynamics;
}

CueNumberList CueNumberListOf(const PageInput& in, int cue, const PageRect& cell) {
  CueNumberList out;
  if (!in.list || cue < 0 || cue >= in.list->Count()) return out;
  const int event = in.list->GetParam(cue, kParamCueEvent);
  const TQ730* list = RecalledList(in, event);
  if (!CueRecallsRecord(event) || !list) return out;
  constexpr int kListHeight = 221;
  // As wide as the rest of the table, so that the names show.
  int width = 0;
  for (int column = 3; column < kCueColumns; ++column) width += kColumns[column].width;
  out.box = {cell.left, cell.top, width, std::min(kListHeight, kPanelHeight - cell.top)};
  out.items.push_back({0, event == TQ730CUE::kRecallSnapshot ? "00 : INITIAL SNAPSHOT" : "00 :"});
  for (int i = 0; i < list->Count(); ++i)
    out.items.push_back({i + 1, ZeroPad(i + 1, 2) + " : " + list->NameText(i)});
  // A number the list does not have stays unchosen, so that closing the list keeps it.
  const int number = in.list->GetParam(cue, kParamCueEventNumber);
  out.chosen = number >= 0 && number < static_cast<int>(out.items.size()) ? number : -1;
  return out;
}

}  // namespace orb
