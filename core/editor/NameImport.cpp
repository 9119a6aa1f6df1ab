#include "core/editor/NameImport.h"

#include <algorithm>
#include <cctype>
#include <map>

#include "core/editor/ChannelList.h"
#include "core/model/ConsoleText.h"
#include "core/model/Q730sysf.h"

namespace orb {
namespace {

std::string Upper(std::string_view text) {
  std::string out;
  for (char c : text) out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const auto first = out.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return out.substr(first, out.find_last_not_of(' ') - first + 1);
}

bool ChannelHeading(const std::string& cell) {
  static const char* const kWords[] = {"CHANNEL", "CH", "CH.", "NO", "NO.", "NUMBER", "#", "INPUT"};
  const std::string upper = Upper(cell);
  return std::any_of(std::begin(kWords), std::end(kWords),
                     [&](const char* word) { return upper == word; });
}

bool NameHeading(const std::string& cell) {
  const std::string upper = Upper(cell);
  return upper == "NAME" || upper == "CHANNEL NAME" || upper == "LABEL";
}

// "CH 99", "mtr2", "17": a channel in the list's form, whether the title has it or not.
bool LooksLikeChannel(std::string_view text) {
  std::string squeezed;
  for (char c : Upper(text))
    if (c != ' ') squeezed += c;
  if (squeezed == "PGM") return true;
  for (const char* prefix : {"CH", "MTR", "AUX", "RTN"}) {
    if (squeezed.rfind(prefix, 0) == 0) {
      squeezed.erase(0, std::string_view(prefix).size());
      break;
    }
  }
  return !squeezed.empty() && squeezed.size() <= 3 &&
         squeezed.find_first_not_of("0123456789") == std::string::npos;
}

std::string Quoted(const std::string& text) {
  return "\"" + text + "\"";
}

}  // namespace

NameImport::NameImport(const TQ730SYSF& system, std::string_view bytes)
    : system_(system), table_(ReadCsv(bytes)) {
  for (const auto& row : table_.rows)
    column_count_ = std::max(column_count_, static_cast<int>(row.size()));
  if (!table_.rows.empty()) {
    const auto& first = table_.rows.front();
    const auto name = std::find_if(first.begin(), first.end(), NameHeading);
    const auto channel = std::find_if(first.begin(), first.end(), ChannelHeading);
    if (name != first.end()) {
      columns_.header = true;
      columns_.name_column = static_cast<int>(name - first.begin());
      if (channel != first.end())
        columns_.channel_column = static_cast<int>(channel - first.begin());
    } else if (column_count_ >= 2) {
      // Without a header, a first column that mostly holds channel numbers gives the channels.
      int channels = 0, rows = 0;
      for (const auto& row : table_.rows) {
        if (++rows > 50) break;
        channels += LooksLikeChannel(row[0]);
      }
      if (2 * channels >= std::min(rows, 50)) {
        columns_.channel_column = 0;
        columns_.name_column = 1;
      }
    }
  }
  Plan();
}

void NameImport::SetColumns(const NameColumns& columns) {
  columns_ = columns;
  Plan();
}

std::string NameImport::ColumnLabel(int column) const {
  if (column < 0 || column >= column_count_) return "";
  const std::string letter(1, static_cast<char>('A' + column % 26));
  const std::string prefix = column < 26 ? letter : "Column " + std::to_string(column + 1);
  if (columns_.header && !table_.rows.empty() &&
      column < static_cast<int>(table_.rows.front().size()) && !table_.rows.front()[column].empty())
    return prefix + ": " + table_.rows.front()[column];
  return column < 26 ? "Column " + letter : prefix;
}

void NameImport::Problem(int row, const std::string& text) {
  problems_.push_back((row > 0 ? "Row " + std::to_string(row) + ": " : "") + text);
}

void NameImport::Plan() {
  error_.clear();
  changes_.clear();
  problems_.clear();
  unchanged_ = 0;
  if (!table_.error.empty()) {
    error_ = table_.error;
    return;
  }
  if (columns_.name_column < 0 || columns_.name_column >= column_count_ ||
      columns_.channel_column >= column_count_ || columns_.channel_column == columns_.name_column) {
    error_ = "Choose the column of the names (and of the channels, or the row order).";
    return;
  }
  if (table_.latin1) Problem(0, "The file is not UTF-8: it was read as Latin-1.");
  const std::size_t max_length = static_cast<std::size_t>(std::max(0, system_.NameLength() - 1));
  std::map<int, int> named_in;  // channel -> the row that names it
  const std::size_t first = columns_.header ? 1 : 0;
  for (std::size_t r = first; r < table_.rows.size(); ++r) {
    const auto& cells = table_.rows[r];
    const int row = static_cast<int>(r) + 1;
    int channel = static_cast<int>(r - first);
    if (columns_.channel_column >= 0) {
      const std::string given = columns_.channel_column < static_cast<int>(cells.size())
                                    ? cells[columns_.channel_column]
                                    : "";
      channel = ChannelNamed(system_, given);
      if (channel < 0) {
        Problem(row, "no channel " + Quoted(given) + " in this title; left out.");
        continue;
      }
    } else if (channel >= system_.Count()) {
      Problem(row, "the title has " + std::to_string(system_.Count()) + " channels; left out.");
      continue;
    }
    const std::string number = system_.NumberText(channel);
    if (columns_.name_column >= static_cast<int>(cells.size())) {
      Problem(row, number + " has no name cell; left out.");
      continue;
    }
    const auto [earlier, first_time] = named_in.emplace(channel, row);
    if (!first_time) {
      Problem(row, number + " is named again; row " + std::to_string(earlier->second) + " counts.");
      continue;
    }
    const std::string& cell = cells[columns_.name_column];
    const std::string current = system_.NameText(channel);
    std::string exact;
    // A name given as it stands is left alone, byte for byte.
    if (ConsoleFromUtf8(cell, exact) && exact == current) {
      ++unchanged_;
      continue;
    }
    const ConsoleName name = ConsoleNameFromUtf8(cell, max_length);
    const std::string shown = Utf8FromConsole(name.text);
    if (name.cut)
      Problem(row, number + " " + Quoted(cell) + " is cut to " + Quoted(shown) + " (" +
                       std::to_string(max_length) + " characters fit).");
    if (name.replaced)
      Problem(row, number + " " + Quoted(cell) + " becomes " + Quoted(shown) +
                       ": the console cannot show every character.");
    if (name.text == current) {
      ++unchanged_;
      continue;
    }
    changes_.push_back({channel, row, number, Utf8FromConsole(current), shown, name.text});
  }
}

std::vector<std::string> NameImport::PreviewLines() const {
  std::vector<std::string> lines;
  if (!error_.empty()) return {error_};
  for (const NameChange& change : changes_)
    lines.push_back(change.number + ": " + Quoted(change.old_name) + " -> " +
                    Quoted(change.new_name));
  for (std::size_t i = 0; i < problems_.size() && i < kShownProblems; ++i)
    lines.push_back(problems_[i]);
  if (problems_.size() > kShownProblems)
    lines.push_back("... and " + std::to_string(problems_.size() - kShownProblems) +
                    " more problems.");
  lines.push_back(std::to_string(changes_.size()) + (changes_.size() == 1 ? " name" : " names") +
                  " change, " + std::to_string(unchanged_) + " stay, " +
                  std::to_string(problems_.size()) +
                  (problems_.size() == 1 ? " problem." : " problems."));
  return lines;
}

bool NameImport::Apply(TQ730SYSF& system) const {
  if (!error_.empty() || changes_.empty()) return false;
  for (const NameChange& change : changes_) system.SetName(change.channel, change.console_name);
  return true;
}

}  // namespace orb
