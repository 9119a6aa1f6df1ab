// Channel names from a spreadsheet: reads a CSV or tab-separated file, finds (or is told) the
// columns of channel and name, and plans every change with every problem before anything is
// written.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/model/Csv.h"

namespace orb {

class TQ730SYSF;

struct NameColumns {
  bool header = false;      // the first row names the columns
  int channel_column = -1;  // -1: the rows give the channels in list order
  int name_column = 0;
  bool operator==(const NameColumns&) const = default;
};

struct NameChange {
  int channel = 0;
  int row = 0;                     // the row of the file, from 1
  std::string number;              // "CH 1"
  std::string old_name, new_name;  // UTF-8, as the console shows them
  std::string console_name;        // what is written: 8-bit console text
};

// The problems listed before anything is written are capped here; the rest are counted.
inline constexpr std::size_t kShownProblems = 200;

class NameImport {
 public:
  // Reads the file's bytes against the channels of system, with the columns guessed.
  NameImport(const TQ730SYSF& system, std::string_view bytes);

  const NameColumns& Columns() const { return columns_; }
  // Plans the import again with other columns.
  void SetColumns(const NameColumns& columns);
  // The most fields a row has, and a column's label for a choice ("B: Name", "Column 2").
  int ColumnCount() const { return column_count_; }
  std::string ColumnLabel(int column) const;

  // Why nothing can be imported (unreadable file, no such column); empty when the plan stands.
  const std::string& Error() const { return error_; }
  const std::vector<NameChange>& Changes() const { return changes_; }
  // Each a line of its own ("Row 4: ..."); every name cut, character replaced, unknown channel
  // and duplicate row.
  const std::vector<std::string>& Problems() const { return problems_; }
  int Unchanged() const { return unchanged_; }
  // What the preview shows: every change ("CH 4: \"Kick\" -> \"Bass\""), then every problem
  // (at most kShownProblems, then how many more), then a count.
  std::vector<std::string> PreviewLines() const;

  // Writes the planned names into the system data; false when there was nothing to write.
  bool Apply(TQ730SYSF& system) const;

 private:
  void Plan();
  void Problem(int row, const std::string& text);

  const TQ730SYSF& system_;
  CsvTable table_;
  NameColumns columns_;
  int column_count_ = 0;
  std::string error_;
  std::vector<NameChange> changes_;
  std::vector<std::string> problems_;
  int unchanged_ = 0;
};

}  // namespace orb
