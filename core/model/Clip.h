// The program's clipboard: channel settings, snapshots, library entries and automation events
// copied from one list and pasted into another, in the same title or another one.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/model/Q730classes.h"

namespace orb {

class TQ730AUTO;
class Prompter;

// One copied value. A paste of 99 snapshots walks over half a million of them, so they are
// kept small.
struct ClipItem {
  std::int32_t record = 0;    // ordinal of the copied record the item belongs to
  std::int32_t value = 0;     // the value; automation: the event word without its key bits
  std::int16_t position = 0;  // row within its channel group, or the row itself without group;
                              // -1 marks the header item of an automation row
  std::int16_t param = 0;     // parameter identity; without meaning for automation
  std::int8_t group = -1;     // channel group of the row, -1 when none was recorded
};

class TClip : public ClipboardQuery {
 public:
  // How records of one list kind paste into another (TQ730::Kind): modes 0 to 4, -1 for none.
  static int PasteMode(int source_kind, int dest_kind);

  // Empties items, names and the record count.
  void Clear();
  void AddName(std::string name) { names_.push_back(std::move(name)); }
  void NextRecord() { ++record_count_; }

  int ItemCount() const { return static_cast<int>(items_.size()); }
  const ClipItem& Item(int index) const { return items_[static_cast<std::size_t>(index)]; }
  std::span<const ClipItem> Items() const { return items_; }
  const std::vector<std::string>& Names() const { return names_; }
  int SourceKind() const { return source_kind_; }
  int RecordCount() const { return record_count_; }
  // Automation: length of the copied time range in seconds, and the parameter it shows.
  double Duration() const { return duration_; }
  int ViewParam() const { return view_; }

  // Whether the content pastes into a list of the kind.
  bool HoldsKind(int kind) const override;
  bool HoldsAutomationOf(int param) const override;

  // Copies parameters of rows of list as source kind. With first_row -1: every selected row
  // (a channel of the system data, an entry of a library), each its own record, with its name
  // when asked. Otherwise the rows first_row to last_row (-1: the last channel) as one record
  // the caller closes with NextRecord. The fader level of the system data comes with its
  // group-fader level (111) just before it.
  void CopyRecords(const TQ730& list, int kind, std::span<const int> params, bool keep_groups,
                   bool with_names, int first_row = -1, int last_row = -1);
  // The selected events of parameter view on each selected channel, one record per channel.
  void CopyAutomation(const TQ730AUTO& list, int view, double start, double end);
  // Pastes into the selected rows (snapshots) of list by the paste mode of the two kinds.
  void PasteRecords(TQ730& list) const;
  // Each selected channel takes the next record in turn (starting again with the first after
  // the last) and gets its events at time plus their offsets, replacing the channel's events
  // of the view within the pasted range.
  void PasteAutomation(TQ730AUTO& list, double time, bool select) const;

  // The Copy command (with names) and Optional Copy (without, after the group dialog) on any
  // list; cues copy nothing.
  void CopyFrom(TQ730& list, bool with_names, Prompter* prompter);
  // The Paste command on any list: records by their paste mode, automation at the list's
  // edit-range start when it shows the copied parameter. A locked title takes nothing.
  void PasteInto(TQ730& list) const;

 private:
  template <typename Read>
  void CopyRow(const TQ730& list, int row, std::span<const int> params, bool keep_groups,
               Read read);
  void CopySnapshots(TQ730& snaps, std::span<const int> params, bool with_names);
  void PasteEach(TQ730& list) const;
  // Channels: every item into each selected snapshot. Snapshots (whole records): each selected
  // snapshot takes the next copied record in turn, with its name.
  void PasteIntoSnapshots(TQ730& snaps, bool whole_records) const;
  void PasteIntoChannels(TQ730& system) const;
  void AddItem(int position, int group, int param, int value) {
    items_.push_back({record_count_, value, static_cast<std::int16_t>(position),
                      static_cast<std::int16_t>(param), static_cast<std::int8_t>(group)});
  }
  // The index after the last item of the record that starts at item first.
  std::size_t RecordEnd(std::size_t first) const;

  std::vector<ClipItem> items_;
  // Automation: for each item, its event's time minus the copied range's start, in seconds.
  std::vector<double> offsets_;
  std::vector<std::string> names_;
  int source_kind_ = -1;
  int record_count_ = 0;
  double duration_ = 0;
  int view_ = -1;
};

}  // namespace orb
