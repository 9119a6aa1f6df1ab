// The show sheet: what a printed page or PDF tells about a title (its information, channel
// list, output patch, snapshots, cues), as tables of texts, and how they fall onto pages.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace orb {

class Title;

struct SheetTable {
  std::string title;
  std::vector<std::string> header;
  std::vector<std::vector<std::string>> rows;  // UTF-8
};

struct ShowSheet {
  std::string title_name;
  std::string save_date;
  std::vector<std::pair<std::string, std::string>> info;  // label, text
  std::vector<SheetTable> tables;
  std::vector<int> pictures;  // channels whose CHANNEL page is drawn, each on a page of its own
};

// The sheet of the title as it is now; pictures names the channels to draw (others are left out).
ShowSheet BuildShowSheet(const Title& title, const std::vector<int>& pictures = {});

// The line at the foot of every page: "NAME  saved DATE  page 2 of 5".
std::string SheetFooter(const ShowSheet& sheet, int page, int pages);

// A run of one table's rows on a page; its heading and header row come first.
struct SheetSlice {
  int table = 0;
  int first_row = 0;
  int rows = 0;
  bool continued = false;  // the table began on an earlier page
};
struct SheetPage {
  bool info = false;  // the title information at the top (the first page)
  int picture = -1;   // a page picture: the channel, instead of tables
  std::vector<SheetSlice> slices;
};
// A table needs two lines (heading and header row) besides its rows, and a blank line after it;
// the title information needs info.size() + 2 lines. A table is not begun with fewer than
// kSheetMinRows of its rows on a page. lines_per_page is at least 8.
inline constexpr int kSheetMinRows = 3;
std::vector<SheetPage> PaginateSheet(const ShowSheet& sheet, int lines_per_page);

}  // namespace orb
