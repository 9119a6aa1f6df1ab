// Comma- or tab-separated text as spreadsheets write and read it (RFC 4180 quoting).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace orb {

// A channel list is a few kilobytes; a file far beyond this is no such list.
inline constexpr std::size_t kCsvMaxBytes = 4 << 20;

struct CsvTable {
  std::vector<std::vector<std::string>> rows;  // UTF-8 fields; blank lines are left out
  char separator = ',';
  bool latin1 = false;  // the bytes were no UTF-8 and were read as Latin-1
  std::string error;    // why the bytes make no table; empty when they do
};

// Reads the bytes of a file; the separator is the one of ',', ';' and tab that the first line
// holds most of (outside quotes). A UTF-8 byte-order mark is skipped.
CsvTable ReadCsv(std::string_view bytes);

// One line of fields, each quoted where it holds the separator, a quote or a line break;
// ended by CR LF.
std::string CsvLine(const std::vector<std::string>& fields);

}  // namespace orb
