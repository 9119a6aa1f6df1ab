// TimelineEdits: the timeline's typed edits on the session's title, one undo step each: an
// event's time and value, an offset or scale of the selected values, thinning the selected
// events; and what the title and the selection cost in stream words.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/editor/EditSession.h"

namespace orb {

// An event of the view as its entry opens: where it is and what it shows.
struct EventEntry {
  int index = 0;
  int row = 0;
  std::string time;   // as a timecode of the title's mode
  std::string value;  // as the pages show it
};

// An amount typed for the selection: a number, then the view's unit (an offset) or "%" (a
// scale of the stored values).
struct ValueAmount {
  double number = 0;
  bool percent = false;
  std::string unit;
};
std::optional<ValueAmount> ReadAmount(std::string_view text, std::string& error);

struct StreamCost {
  std::int64_t title_words = 0;
  int title_events = 0;
  // What deleting the selected events would give back: each one's word, and the marker of
  // every time whose events are all selected.
  std::int64_t selection_words = 0;
};

class TimelineEdits {
 public:
  explicit TimelineEdits(EditSession& session) : session_(session) {}

  // The entry of an event of the view; empty for an index out of range or another view's event.
  std::optional<EventEntry> Entry(int index) const;
  // Sets the event's time and value from typed texts: empty on success, else why not (the event
  // stays as it was). The event keeps its place in time order and ends selected.
  std::string SetEvent(const EventEntry& entry, std::string_view time, std::string_view value);
  // Offsets ("+2 dB", "-3") or scales ("-10 %") the selected values of the view, each kept
  // within its parameter's range: empty on success, else why not.
  std::string OffsetSelection(std::string_view amount);
  // Removes the selected events that the held value of the last kept event of their row already
  // gives within one step, so the curve stays within one step of what it was at every moment;
  // each row's first and last selected events stay. Returns how many went.
  int Thin();
  StreamCost Cost() const;

 private:
  TQ730AUTO& Automation() const { return session_.GetTitle().Automation(); }
  // The value a typed text names for the view on a row (now, the value it has, when the text
  // names it too); empty with the reason in error.
  std::optional<int> TypedValue(int row, int now, std::string_view text, std::string& error) const;

  EditSession& session_;
};

}  // namespace orb
