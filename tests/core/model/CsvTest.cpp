// Reading and writing spreadsheet text, and names as the console keeps them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/model/ConsoleText.h"
#include "core/model/Csv.h"

namespace orb {
namespace {

// Rows joined with " / ", fields with "|".
std::string Joined(const CsvTable& table) {
  std::string out;
  for (const auto& row : table.rows) {
    if (!out.empty()) out += " / ";
    for (std::size_t i = 0; i < row.size(); ++i) out += (i ? "|" : "") + row[i];
  }
  return out;
}

TEST(CsvTest, ReadsWhatSpreadsheetsWrite) {
  struct Case {
    std::string bytes;
    std::string rows;
    char separator;
    bool latin1;
  };
  const Case cases[] = {
      {"a,b\r\nc,d\r\n", "a|b / c|d", ',', false},
      {"1\tKick\n2\tSnare", "1|Kick / 2|Snare", '\t', false},
      {"CH 1;Kick;x,y\n", "CH 1|Kick|x,y", ';', false},
      {"\"a,b\",\"say \"\"hi\"\"\"\n", "a,b|say \"hi\"", ',', false},
      {"1,\"two\nlines\"\n2,x", "1|two\nlines / 2|x", ',', false},
      {"\xEF\xBB\xBFName\nKick", "Name / Kick", ',', false},
      {"a\n\n , \nb\r", "a / b", ',', false},
      {"a\rb", "a / b", ',', false},
      {"K\xE4se,1\n", "K\xC3\xA4se|1", ',', true},
      {"x, \"quoted\" ,y", "x|quoted |y", ',', false},
  };
  for (const Case& c : cases) {
    const CsvTable table = ReadCsv(c.bytes);
    EXPECT_EQ(table.error, "") << c.bytes;
    EXPECT_EQ(Joined(table), c.rows) << c.bytes;
    EXPECT_EQ(table.separator, c.separator) << c.bytes;
    EXPECT_EQ(table.latin1, c.latin1) << c.bytes;
  }
}

TEST(CsvTest, BadFilesSayWhy) {
  const std::pair<std::string, std::string> cases[] = {
      {"", "The file holds no rows."},
      {"\n\r\n , \n", "The file holds no rows."},
      {std::string("Kick\0Snare", 10), "The file holds binary data, not text."},
      {std::string("\xFF\xFEK\0", 4), "The file is UTF-16 text: save it as UTF-8 (or plain) CSV."},
      {"a\nb,\"open\nc\n", "A quoted field that begins in row 2 never ends."},
      {std::string(kCsvMaxBytes + 1, 'a'), "The file is larger than 4 MB: it is no channel list."},
  };
  for (const auto& [bytes, error] : cases) {
    const CsvTable table = ReadCsv(bytes);
    EXPECT_EQ(table.error, error) << bytes.substr(0, 20);
    EXPECT_TRUE(table.rows.empty());
  }
}

TEST(CsvTest, LinesQuoteWhatNeedsItAndReadBack) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"CH 1", "Kick", ""}, "CH 1,Kick,\r\n"},
      {{"a,b"}, "\"a,b\"\r\n"},
      {{"say \"hi\""}, "\"say \"\"hi\"\"\"\r\n"},
      {{"two\nlines", "x"}, "\"two\nlines\",x\r\n"},
      {{"Vox  ", "tab\there"}, "\"Vox  \",\"tab\there\"\r\n"},
  };
  for (const auto& [fields, line] : cases) {
    EXPECT_EQ(CsvLine(fields), line);
    const CsvTable back = ReadCsv(line + CsvLine({"end"}));
    ASSERT_EQ(back.rows.size(), 2u) << line;
    EXPECT_EQ(back.rows[0], fields);
  }
}

TEST(CsvTest, NamesFollowTheConsolesRules) {
  struct Case {
    std::string utf8;
    std::string name;  // console text
    bool cut, replaced;
  };
  const Case cases[] = {
      {"Kick", "Kick", false, false},
      {"Lead Vocal", "Lead Vo", true, false},
      {"Bl\xC3\xA4ser", "Bl\xE4ser", false, false},
      {"Snare\xE2\x98\x85", "Snare?", false, true},
      {"Tab\there!!", "Tab?her", true, true},
      {"\xFF", "?", false, true},
      {"\xC0\x80", "??", false, true},  // an overlong form is no character
      {"", "", false, false},
  };
  for (const Case& c : cases) {
    const ConsoleName name = ConsoleNameFromUtf8(c.utf8, 7);
    EXPECT_EQ(name.text, c.name) << c.utf8;
    EXPECT_EQ(name.cut, c.cut) << c.utf8;
    EXPECT_EQ(name.replaced, c.replaced) << c.utf8;
  }
  // Console text goes out byte for byte and comes back the same.
  std::string all, back;
  for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
  EXPECT_TRUE(ConsoleFromUtf8(Utf8FromConsole(all), back));
  EXPECT_EQ(back, all);
  EXPECT_FALSE(ConsoleFromUtf8("\xE2\x98\x85", back));
  EXPECT_EQ(ConsoleNameOf("Sn\x01re", 7).text, "Sn?re");
}

}  // namespace
}  // namespace orb
