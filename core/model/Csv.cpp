#include "core/model/Csv.h"

#include <algorithm>
#include <array>

#include "core/model/ConsoleText.h"

namespace orb {
namespace {

char FindSeparator(std::string_view text) {
  std::array<int, 3> counts{};
  static constexpr std::array<char, 3> kSeparators = {',', ';', '\t'};
  bool quoted = false;
  for (char c : text) {
    if (c == '"') quoted = !quoted;
    if (!quoted && (c == '\n' || c == '\r')) break;
    for (std::size_t i = 0; i < kSeparators.size(); ++i)
      counts[i] += !quoted && c == kSeparators[i];
  }
  const auto most = std::max_element(counts.begin(), counts.end());
  return *most > 0 ? kSeparators[most - counts.begin()] : ',';
}

bool ValidUtf8(std::string_view text) {
  for (std::size_t at = 0; at < text.size();)
    if (NextUtf8(text, at) < 0) return false;
  return true;
}

bool Blank(const std::vector<std::string>& row) {
  return std::all_of(row.begin(), row.end(), [](const std::string& field) {
    return field.find_first_not_of(" \t") == std::string::npos;
  });
}

}  // namespace

CsvTable ReadCsv(std::string_view bytes) {
  CsvTable table;
  if (bytes.size() > kCsvMaxBytes) {
    table.error = "The file is larger than 4 MB: it is no channel list.";
    return table;
  }
  if (bytes.size() >= 2 &&
      ((bytes[0] == '\xFF' && bytes[1] == '\xFE') || (bytes[0] == '\xFE' && bytes[1] == '\xFF'))) {
    table.error = "The file is UTF-16 text: save it as UTF-8 (or plain) CSV.";
    return table;
  }
  if (bytes.find('\0') != std::string_view::npos) {
    table.error = "The file holds binary data, not text.";
    return table;
  }
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  std::string converted;
  if (!ValidUtf8(bytes)) {
    // Spreadsheets of older desktops write their 8-bit code page.
    table.latin1 = true;
    for (char c : bytes) converted += Utf8FromConsole(std::string_view(&c, 1));
    bytes = converted;
  }
  table.separator = FindSeparator(bytes);

  std::vector<std::string> row;
  std::string field;
  bool quoted = false, was_quoted = false;
  std::size_t quote_row = 0, line = 1;
  const auto end_field = [&] {
    row.push_back(std::move(field));
    field.clear();
    was_quoted = false;
  };
  const auto end_row = [&] {
    end_field();
    if (!Blank(row)) table.rows.push_back(std::move(row));
    row.clear();
  };
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    line += c == '\n';
    if (quoted) {
      if (c != '"') {
        field += c;
      } else if (i + 1 < bytes.size() && bytes[i + 1] == '"') {
        field += '"';
        ++i;
      } else {
        quoted = false;
      }
    } else if (c == '"' && !was_quoted && field.find_first_not_of(" \t") == std::string::npos) {
      // A quote opens a field only at its start; spaces before it are dropped.
      field.clear();
      quoted = was_quoted = true;
      quote_row = line;
    } else if (c == table.separator) {
      end_field();
    } else if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i, ++line;
      end_row();
    } else {
      field += c;
    }
  }
  if (quoted) {
    table.rows.clear();
    table.error = "A quoted field that begins in row " + std::to_string(quote_row) + " never ends.";
    return table;
  }
  end_row();
  if (table.rows.empty()) table.error = "The file holds no rows.";
  return table;
}

std::string CsvLine(const std::vector<std::string>& fields) {
  std::string line;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) line += ',';
    const std::string& field = fields[i];
    if (field.find_first_of(",;\t\"\r\n") == std::string::npos &&
        (field.empty() || (field.front() != ' ' && field.back() != ' '))) {
      line += field;
      continue;
    }
    line += '"';
    for (char c : field) {
      if (c == '"') line += '"';
      line += c;
    }
    line += '"';
  }
  return line + "\r\n";
}

}  // namespace orb
