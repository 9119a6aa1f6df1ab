#include "tools/GuideWriter.h"

#include <sstream>
#include <vector>

namespace orb::guide {
namespace {

constexpr std::string_view kPictureFolder = "docs/guide/";

std::string Escaped(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string Target(std::string_view link) {
  if (link.substr(0, kPictureFolder.size()) == kPictureFolder)
    link.remove_prefix(kPictureFolder.size());
  return Escaped(link);
}

// `code`, **bold**, [text](link) and ![text](picture) inside one line of text.
std::string Inline(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    if (text[i] == '`') {
      const std::size_t end = text.find('`', i + 1);
      if (end != std::string_view::npos) {
        out += "<code>" + Escaped(text.substr(i + 1, end - i - 1)) + "</code>";
        i = end + 1;
        continue;
      }
    }
    if (text.substr(i, 2) == "**") {
      const std::size_t end = text.find("**", i + 2);
      if (end != std::string_view::npos) {
        out += "<b>" + Inline(text.substr(i + 2, end - i - 2)) + "</b>";
        i = end + 2;
        continue;
      }
    }
    const bool picture = text.substr(i, 2) == "![";
    if (picture || text[i] == '[') {
      const std::size_t open = i + (picture ? 2 : 1);
      const std::size_t close = text.find("](", open);
      const std::size_t end = close == std::string_view::npos ? close : text.find(')', close);
      if (end != std::string_view::npos) {
        const std::string_view label = text.substr(open, close - open);
        const std::string link = Target(text.substr(close + 2, end - close - 2));
        out += picture ? "<img src=\"" + link + "\" alt=\"" + Escaped(label) + "\">"
                       : "<a href=\"" + link + "\">" + Inline(label) + "</a>";
        i = end + 1;
        continue;
      }
    }
    out += Escaped(text.substr(i, 1));
    ++i;
  }
  return out;
}

std::vector<std::string> Cells(std::string_view row) {
  std::vector<std::string> cells;
  std::string cell;
  for (std::size_t i = row.find('|') + 1; i < row.size(); ++i) {
    if (row[i] == '\\' && i + 1 < row.size() && row[i + 1] == '|') {
      cell += row[++i];  // an escaped bar belongs to the cell
    } else if (row[i] == '|') {
      cells.push_back(cell);
      cell.clear();
    } else {
      cell += row[i];
    }
  }
  for (std::string& c : cells) {
    const std::size_t first = c.find_first_not_of(' '), last = c.find_last_not_of(' ');
    c = first == std::string::npos ? "" : c.substr(first, last - first + 1);
  }
  return cells;
}

}  // namespace

std::string UserParts(std::string_view readme) {
  const std::size_t intro = readme.find("\n\n");
  const std::size_t intro_end =
      intro == std::string_view::npos ? intro : readme.find("\n\n", intro + 2);
  const std::size_t from = readme.find("\n## ");
  const std::size_t to = readme.find("\n## More");
  if (intro_end == std::string_view::npos || from == std::string_view::npos) return {};
  std::string parts(readme.substr(intro + 2, intro_end - intro - 2));
  parts += "\n";
  parts += readme.substr(from, to == std::string_view::npos ? to : to - from);
  return parts;
}

std::string Html(std::string_view markdown, std::string_view title) {
  std::ostringstream out;
  out << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>"
      << Escaped(title) << "</title>\n<style>\nbody { font-family: sans-serif; max-width: 60em; "
      << "margin: 1em auto; padding: 0 1em; line-height: 1.4 }\nimg { max-width: 100%; border: "
      << "1px solid #888 }\ncode, pre { background: #eee }\ntable { border-collapse: collapse }\n"
      << "td, th { border: 1px solid #aaa; padding: 0.2em 0.5em }\n</style>\n</head>\n<body>\n"
      << "<h1>" << Escaped(title) << "</h1>\n";
  std::istringstream lines{std::string(markdown)};
  std::string line, paragraph;
  bool in_list = false, in_code = false, in_table = false;
  std::string item;
  const auto flush = [&] {
    if (!item.empty()) out << "<li>" << Inline(item) << "</li>\n";
    item.clear();
    if (!paragraph.empty()) out << "<p>" << Inline(paragraph) << "</p>\n";
    paragraph.clear();
  };
  const auto close_blocks = [&] {
    flush();
    if (in_list) out << "</ul>\n";
    if (in_table) out << "</table>\n";
    in_list = in_table = false;
  };
  while (std::getline(lines, line)) {
    if (line.rfind("```", 0) == 0) {
      if (!in_code) close_blocks();
      out << (in_code ? "</pre>\n" : "<pre>");
      in_code = !in_code;
      continue;
    }
    if (in_code) {
      out << Escaped(line) << "\n";
      continue;
    }
    if (line.empty()) {
      close_blocks();
    } else if (line[0] == '#') {
      close_blocks();
      const std::size_t level = line.find_first_not_of('#');
      const std::string text = line.substr(std::min(line.size(), level + 1));
      // The page's own title is the h1; the README's levels follow it.
      const std::size_t h = std::min<std::size_t>(level, 6);
      out << "<h" << h << ">" << Inline(text) << "</h" << h << ">\n";
    } else if (line[0] == '|') {
      if (!in_table) {
        close_blocks();
        out << "<table>\n";
        in_table = true;
        out << "<tr>";
        for (const std::string& cell : Cells(line)) out << "<th>" << Inline(cell) << "</th>";
        out << "</tr>\n";
      } else if (line.find_first_not_of("|-: ") != std::string::npos) {
        out << "<tr>";
        for (const std::string& cell : Cells(line)) out << "<td>" << Inline(cell) << "</td>";
        out << "</tr>\n";
      }
    } else if (line.rfind("- ", 0) == 0) {
      flush();
      if (!in_list) out << "<ul>\n";
      in_list = true;
      item = line.substr(2);
    } else if (in_list && line.rfind("  ", 0) == 0) {
      item += " " + line.substr(line.find_first_not_of(' '));
    } else {
      if (in_list) close_blocks();
      paragraph += paragraph.empty() ? line : " " + line;
    }
  }
  close_blocks();
  if (in_code) out << "</pre>\n";
  out << "</body>\n</html>\n";
  return out.str();
}

}  // namespace orb::guide
