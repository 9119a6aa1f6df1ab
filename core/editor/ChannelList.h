// The channel list of a title as a table of texts: one row per channel with the texts the pages
// show, for a spreadsheet (CSV), a terminal and the show sheet.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orb {

class TQ730SYSF;

// The columns of a channel row, in order.
inline constexpr int kChannelColumns = 10;
enum ChannelColumn {
  kColumnChannel,
  kColumnName,
  kColumnSource,
  kColumnLink,
  kColumnFaderGroup,
  kColumnCutGroup,
  kColumnEq,
  kColumnDynamics,
  kColumnDynamicsMode,
  kColumnLevel
};
const char* ChannelColumnTitle(int column);

// Every channel of the layout (inputs, MTR, AUX, RTN, master) in list order; the texts are
// UTF-8, a column the channel does not have is empty.
std::vector<std::vector<std::string>> ChannelRows(const TQ730SYSF& system);

// The list with its header row as CSV.
std::string ChannelCsv(const TQ730SYSF& system);

// Rows laid out in columns as wide as their widest text, for a terminal.
std::string TextTable(const std::vector<std::string>& header,
                      const std::vector<std::vector<std::string>>& rows);

// The channel a text names: its number as the list prints it ("CH 1", "ch1", "MTR2", "PGM";
// case and spaces do not matter) or a bare number for an input channel; -1 for none.
int ChannelNamed(const TQ730SYSF& system, std::string_view text);

}  // namespace orb
