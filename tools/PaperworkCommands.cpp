#include "tools/PaperworkCommands.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>

#include "core/editor/AutomationTable.h"
#include "core/editor/ChannelList.h"
#include "core/editor/NameImport.h"
#include "core/model/Csv.h"
#include "core/model/Status.h"
#include "core/model/Title.h"

namespace orb::tool {

namespace {

struct Options {
  std::vector<std::string> places;
  bool csv = false, dry_run = false, letter = false, valid = true;
  std::optional<std::string> import_names, channel, view;
  std::vector<std::string> pictures;
};

Options ParseOptions(const std::vector<std::string>& args) {
  Options options;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool more = i + 1 < args.size();
    if (arg == "--csv") {
      options.csv = true;
    } else if (arg == "--dry-run") {
      options.dry_run = true;
    } else if (arg == "--letter") {
      options.letter = true;
    } else if (arg == "--import-names" && more) {
      options.import_names = args[++i];
    } else if (arg == "--channel" && more) {
      options.channel = args[++i];
    } else if (arg == "--view" && more) {
      options.view = args[++i];
    } else if (arg == "--picture" && more) {
      options.pictures.push_back(args[++i]);
    } else if (arg.rfind("--", 0) == 0) {
      options.valid = false;
    } else {
      options.places.push_back(arg);
    }
  }
  return options;
}

bool OpenTitle(Title& title, const std::string& path) {
  const Status status = title.OpenTitle(path);
  if (status == kOk) return true;
  const std::string damage = TitleDamage(path);
  const char* message = StatusMessage(status);
  std::fprintf(stderr, "%s: %s\n", path.c_str(),
               !damage.empty() ? damage.c_str()
               : *message      ? message
                               : ("Error " + std::to_string(status)).c_str());
  return false;
}

void PrintRows(const std::vector<std::string>& header,
               const std::vector<std::vector<std::string>>& rows, bool csv) {
  std::string text;
  if (csv) {
    text = CsvLine(header);
    for (const auto& row : rows) text += CsvLine(row);
  } else {
    text = TextTable(header, rows);
  }
  std::fwrite(text.data(), 1, text.size(), stdout);
}

// At most one byte past the limit is read: more makes no channel list.
bool ReadLimited(const std::string& path, std::string& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(kCsvMaxBytes + 1, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  return !in.bad();
}

int ImportNames(const std::string& title_path, const std::string& names_path, bool dry_run) {
  Title title;
  if (!OpenTitle(title, title_path)) return 1;
  std::string bytes;
  if (!ReadLimited(names_path, bytes)) {
    std::fprintf(stderr, "%s: cannot be read.\n", names_path.c_str());
    return 1;
  }
  const NameImport names(title.System(), bytes);
  if (!names.Error().empty()) {
    std::fprintf(stderr, "%s: %s Nothing was written.\n", names_path.c_str(),
                 names.Error().c_str());
    return 1;
  }
  for (const std::string& line : names.PreviewLines()) std::printf("%s\n", line.c_str());
  if (dry_run || names.Changes().empty()) {
    std::printf("Nothing was written%s.\n", dry_run ? " (--dry-run)" : "");
    return 0;
  }
  if (title.System().Locked()) {
    std::fprintf(stderr, "%s is locked: nothing was written.\n", title_path.c_str());
    return 1;
  }
  names.Apply(title.System());
  title.SetModified(true);
  struct Quiet : Prompter {
    Answer Message(const std::string& text, const std::string& caption, Buttons) override {
      std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
      return Answer::kCancel;
    }
  } prompter;
  const Status status = title.SaveTitle(&prompter);
  if (status != kOk) {
    const char* message = StatusMessage(status);
    std::fprintf(stderr, "%s: %s\n", title_path.c_str(),
                 *message ? message : ("Error " + std::to_string(status)).c_str());
    return 1;
  }
  std::printf("Wrote %zu names into %s.\n", names.Changes().size(), title_path.c_str());
  return 0;
}

int Channels(const Options& options) {
  if (options.import_names)
    return options.csv ? 2 : ImportNames(options.places[0], *options.import_names, options.dry_run);
  if (options.dry_run) return 2;
  Title title;
  if (!OpenTitle(title, options.places[0])) return 1;
  std::vector<std::string> header;
  for (int column = 0; column < kChannelColumns; ++column)
    header.push_back(ChannelColumnTitle(column));
  PrintRows(header, ChannelRows(title.System()), options.csv);
  return 0;
}

int Automation(const Options& options) {
  Title title;
  if (!OpenTitle(title, options.places[0])) return 1;
  int channel = -1, view = 0;
  if (options.channel) {
    channel = ChannelNamed(title.System(), *options.channel);
    if (channel < 0) {
      std::fprintf(stderr, "No channel \"%s\" in this title.\n", options.channel->c_str());
      return 1;
    }
  }
  if (options.view) {
    view = ViewNamed(*options.view);
    if (view == 0) {
      std::fprintf(stderr, "No automation view \"%s\".\n", options.view->c_str());
      return 1;
    }
  }
  PrintRows(AutomationHeader(), AutomationRows(title.Automation(), channel, view), options.csv);
  return 0;
}

int Sheet(const Options& options) {
  Title title;
  if (!OpenTitle(title, options.places[0])) return 1;
  std::vector<int> pictures;
  for (const std::string& text : options.pictures) {
    const int channel = ChannelNamed(title.System(), text);
    if (channel < 0) {
      std::fprintf(stderr, "No channel \"%s\" in this title.\n", text.c_str());
      return 1;
    }
    pictures.push_back(channel);
  }
  return WriteSheetPdfFile(title, pictures, options.places[1], options.letter);
}

}  // namespace

int RunPaperworkCommand(const std::vector<std::string>& args) {
  const std::string& command = args.empty() ? "" : args[0];
  if (command != "channels" && command != "sheet" && command != "automation") return -1;
  const Options options = ParseOptions(args);
  if (!options.valid) return 2;
  const bool table_options = !options.letter && options.pictures.empty();
  if (command == "channels" && options.places.size() == 1 && table_options && !options.channel &&
      !options.view)
    return Channels(options);
  if (command == "automation" && options.places.size() == 1 && table_options &&
      !options.import_names && !options.dry_run)
    return Automation(options);
  if (command == "sheet" && options.places.size() == 2 && !options.csv && !options.dry_run &&
      !options.import_names && !options.channel && !options.view)
    return Sheet(options);
  return 2;
}

#ifndef ORB_SHEET_PDF
int WriteSheetPdfFile(const Title&, const std::vector<int>&, const std::string&, bool) {
  std::fprintf(stderr, "This orbtool was built without Qt: it cannot write PDF files.\n");
  return 1;
}
#endif

}  // namespace orb::tool
