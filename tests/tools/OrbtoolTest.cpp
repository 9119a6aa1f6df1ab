#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "core/model/Q730.h"
#include "core/model/Title.h"
#include "tests/PdfText.h"
#include "tests/TestFiles.h"
#include "tests/support/TempFolder.h"
#include "tools/TitleGenerator.h"

namespace {

namespace fs = std::filesystem;

struct Result {
  int code;
  std::string out;
};

// Runs orbtool with the arguments and collects what it prints on both streams.
Result RunOrbtool(const std::string& arguments) {
  const std::string command = std::string(ORBTOOL_PATH) + " " + arguments + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return {-1, ""};
  std::string out;
  std::array<char, 4096> buffer;
  while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe))
    out.append(buffer.data(), n);
  const int status = pclose(pipe);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

std::string Quoted(const fs::path& path) {
  return "'" + path.string() + "'";
}

std::vector<std::uint8_t> ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(OrbtoolTest, DemoTitlesCheckAndResave) {
  const orb::test::TempFolder temp;
  const fs::path folder = temp.path();
  const Result made = RunOrbtool("make-demo " + Quoted(folder));
  ASSERT_EQ(made.code, 0) << made.out;
  int titles = 0, without_gfed = 0;
  for (const auto& item : fs::directory_iterator(folder)) {
    ++titles;
    const Result checked = RunOrbtool("check " + Quoted(item.path()));
    EXPECT_EQ(checked.code, 0) << item.path() << "\n" << checked.out;
    EXPECT_NE(checked.out.find("status 0"), std::string::npos);
    // gfed.dat is reported as the file has it, not as the loaded title completes it.
    const auto bytes = ReadAll(item.path());
    const std::string name = "gfed.dat";
    const bool has =
        std::search(bytes.begin(), bytes.end(), name.begin(), name.end()) != bytes.end();
    without_gfed += !has;
    EXPECT_NE(checked.out.find(has ? "gfed.dat   present" : "gfed.dat   absent"), std::string::npos)
        << item.path();
  }
  EXPECT_GE(titles, 5);
  EXPECT_GE(without_gfed, 1);

  const fs::path source = folder / "Locked.orb";
  const fs::path copy = folder / "Copy of show.orb";
  ASSERT_TRUE(fs::exists(source));
  ASSERT_EQ(RunOrbtool("resave " + Quoted(source) + " " + Quoted(copy)).code, 0);
  const Result info = RunOrbtool("info " + Quoted(copy));
  EXPECT_EQ(info.code, 0);
  EXPECT_EQ(info.out.rfind("NAME: Copy of show\nSIZE: ", 0), 0u) << info.out;
  for (const char* field : {"\nDATE: ", "\nINITIAL CUE: ", "\nTC MODE: ", "\nFS: ", "\nMEMO: "})
    EXPECT_NE(info.out.find(field), std::string::npos) << field;
  EXPECT_NE(info.out.find("\nLOCK: on\n"), std::string::npos);
}

TEST(OrbtoolTest, FailuresAndUsage) {
  const Result missing = RunOrbtool("check /nonexistent/title.orb");
  EXPECT_EQ(missing.code, 1);
  EXPECT_NE(missing.out.find("Can't open source file."), std::string::npos) << missing.out;
  EXPECT_EQ(RunOrbtool("info /nonexistent/title.orb").code, 1);
  EXPECT_EQ(RunOrbtool("resave /nonexistent/a.orb /tmp/b.orb").code, 1);
  // What is not a plain file is refused at once: a device that never ends, a FIFO that would
  // block the open, a folder.
  const orb::test::TempFolder temp;
  const fs::path fifo = temp.path() / "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& path : {std::string("/dev/zero"), fifo.string(), std::string("/tmp")}) {
    for (const char* command : {"info ", "check "}) {
      const Result refused = RunOrbtool(command + Quoted(path));
      EXPECT_EQ(refused.code, 1) << command << path;
      EXPECT_NE(refused.out.find("Can't open source file."), std::string::npos) << refused.out;
    }
  }
  EXPECT_EQ(RunOrbtool("").code, 2);
  EXPECT_EQ(RunOrbtool("frobnicate").code, 2);
  EXPECT_EQ(RunOrbtool("info").code, 2);
  const Result help = RunOrbtool("--help");
  EXPECT_EQ(help.code, 0);
  EXPECT_NE(help.out.find("make-demo FOLDER"), std::string::npos);
}

TEST(OrbtoolTest, FolderExportAndImportRoundTrip) {
  const orb::test::TempFolder temp;
  const fs::path root = temp.path();
  // A small title and one that needs two disks, both named as their files.
  orb::gen::TitleSpec small, large;
  small.name = "Small";
  large.name = "Large";
  large.snapshots = 99;
  large.automation_words = 160000;
  for (const auto* spec : {&small, &large}) {
    const auto bytes = orb::gen::MakeTitle(*spec);
    std::ofstream(root / (spec->name + ".orb"), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
  }
  const std::string lib = Quoted(root / "lib");

  ASSERT_EQ(
      RunOrbtool("export-folder " + Quoted(root / "Small.orb") + " " + Quoted(root / "s1")).code,
      0);
  const Result imported =
      RunOrbtool("import-folder " + Quoted(root / "s1") + " " + lib + " --name Small");
  ASSERT_EQ(imported.code, 0) << imported.out;
  EXPECT_TRUE(ReadAll(root / "lib" / "Small.orb") == ReadAll(root / "Small.orb"));
  // An existing title stays unless --overwrite says otherwise.
  const auto before = ReadAll(root / "lib" / "Small.orb");
  const Result refused =
      RunOrbtool("import-folder " + Quoted(root / "s1") + " " + lib + " --name Small");
  EXPECT_EQ(refused.code, 1);
  EXPECT_NE(refused.out.find("already exists"), std::string::npos) << refused.out;
  EXPECT_TRUE(ReadAll(root / "lib" / "Small.orb") == before);

  // Two disks need two folders, both ways.
  const std::string large_title = Quoted(root / "Large.orb");
  const std::string l1 = Quoted(root / "l1"), l2 = Quoted(root / "l2");
  const Result one_folder = RunOrbtool("export-folder " + large_title + " " + l1);
  EXPECT_EQ(one_folder.code, 1);
  EXPECT_NE(one_folder.out.find("needs two disks"), std::string::npos) << one_folder.out;
  EXPECT_FALSE(fs::exists(root / "l1"));
  ASSERT_EQ(RunOrbtool("export-folder " + large_title + " " + l1 + " " + l2).code, 0);
  EXPECT_TRUE(fs::exists(root / "l2" / "prev.dat"));
  const Result no_second = RunOrbtool("import-folder " + l1 + " " + lib + " --name Large");
  EXPECT_EQ(no_second.code, 1);
  EXPECT_NE(no_second.out.find("DIR2"), std::string::npos) << no_second.out;
  ASSERT_EQ(RunOrbtool("import-folder " + l1 + " " + l2 + " " + lib + " --name Large").code, 0);
  EXPECT_TRUE(ReadAll(root / "lib" / "Large.orb") == ReadAll(root / "Large.orb"));
  // --single keeps the large title in one set, as the console link wants it.
  ASSERT_EQ(
      RunOrbtool("export-folder " + large_title + " " + Quoted(root / "one") + " --single").code,
      0);
  EXPECT_TRUE(fs::exists(root / "one" / "auto.dat"));
  EXPECT_FALSE(fs::exists(root / "one" / "next.dat"));

  EXPECT_EQ(RunOrbtool("import-folder " + l1 + " " + lib).code, 2);  // no --name
  EXPECT_EQ(RunOrbtool("export-folder " + large_title + " " + l1 + " --name X").code, 2);
}

TEST(OrbtoolTest, DiffExitsLikeDiff) {
  const orb::test::TempFolder temp;
  const fs::path root = temp.path();
  orb::gen::TitleSpec spec;
  orb::test::WriteFile(root / "A.orb", orb::gen::MakeTitle(spec));
  spec.memo = "changed";
  spec.snapshots = 2;
  orb::test::WriteFile(root / "B.orb", orb::gen::MakeTitle(spec));
  std::vector<std::uint8_t> cut = ReadAll(root / "A.orb");
  cut.resize(cut.size() / 2);
  orb::test::WriteFile(root / "Cut.orb", cut);
  const std::string a = Quoted(root / "A.orb"), b = Quoted(root / "B.orb");

  const struct {
    std::string arguments;
    int code;
    std::string out;  // the beginning of what is printed
  } cases[] = {
      {"diff " + a + " " + a, 0, ""},
      {"diff " + a + " " + a + " --brief", 0, ""},
      {"diff " + a + " " + b, 1, "Title information\n  MEMO:  → changed\n"},
      {"diff " + a + " " + b + " --brief", 1, "Titles "},
      {"diff --brief " + a + " " + b, 1, "Titles "},
      {"diff " + a + " --brief " + b, 1, "Titles "},
      {"diff --brief " + a + " " + b + " --single", 2, "orbtool"},
      {"check --brief " + a, 2, "orbtool"},
      {"diff " + a + " " + Quoted(root / "Cut.orb"), 2, root.string() + "/Cut.orb: Damaged: "},
      {"diff " + a + " " + Quoted(root / "None.orb"), 2, root.string() + "/None.orb: "},
      {"diff " + a, 2, "orbtool"},
      {"diff " + a + " " + b + " --fast", 2, "orbtool"},
  };
  for (const auto& c : cases) {
    const Result result = RunOrbtool(c.arguments);
    EXPECT_EQ(result.code, c.code) << c.arguments << "\n" << result.out;
    EXPECT_EQ(result.out.substr(0, c.out.size()), c.out) << c.arguments;
    if (c.out.empty()) {
      EXPECT_EQ(result.out, "");
    }
  }
  const Result listed = RunOrbtool("diff " + a + " " + b);
  EXPECT_NE(listed.out.find("\nSnapshots\n  #3 "), std::string::npos) << listed.out;
  EXPECT_NE(listed.out.find(": only in A\n"), std::string::npos) << listed.out;
  const std::string brief = RunOrbtool("diff " + a + " " + b + " --brief").out;
  EXPECT_EQ(std::count(brief.begin(), brief.end(), '\n'), 1) << brief;
}

// The show paperwork: channel list out and names in, the sheet as PDF, the automation table.
class OrbtoolPaperworkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = fs::temp_directory_path() / ("orb_paperwork_" + std::to_string(::getpid()));
    fs::remove_all(folder);
    ASSERT_EQ(RunOrbtool("make-demo " + Quoted(folder)).code, 0);
  }
  void TearDown() override { fs::remove_all(folder); }
  fs::path Names(const std::string& text) {
    const fs::path path = folder / "names.csv";
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }
  fs::path folder;
};

TEST_F(OrbtoolPaperworkTest, ChannelListRoundTripsOnEveryDemoTitle) {
  int titles = 0;
  for (const auto& item : fs::directory_iterator(folder)) {
    const fs::path title = item.path();
    if (title.extension() != ".orb") continue;
    ++titles;
    const fs::path csv = folder / (title.stem().string() + ".csv");
    ASSERT_EQ(RunOrbtool("channels --csv " + Quoted(title) + " > " + Quoted(csv)).code, 0);
    const auto before = ReadAll(title);
    const fs::path copy = folder / "copy.orbx";
    fs::copy_file(title, copy, fs::copy_options::overwrite_existing);
    const Result back = RunOrbtool("channels " + Quoted(title) + " --import-names " + Quoted(csv));
    EXPECT_EQ(back.code, 0) << back.out;
    EXPECT_NE(back.out.find("0 names change, "), std::string::npos) << back.out;
    EXPECT_NE(back.out.find(", 0 problems.\nNothing was written.\n"), std::string::npos)
        << back.out;
    EXPECT_EQ(ReadAll(title), before) << title;
    EXPECT_EQ(RunOrbtool("diff " + Quoted(title) + " " + Quoted(copy)).code, 0);
  }
  EXPECT_GE(titles, 5);
}

TEST_F(OrbtoolPaperworkTest, NamesPreviewThenSaveAtomically) {
  const fs::path title = folder / "Demo-44k1-25fps.orb";
  ASSERT_TRUE(fs::exists(title));
  const fs::path copy = folder / "before.orbx";
  fs::copy_file(title, copy);
  const auto before = ReadAll(title);
  const fs::path names = Names("Channel,Name\nCH 1,Cajon\nCH 2,Lead Vocal\nCH 99,x\n");
  const std::string import = "channels " + Quoted(title) + " --import-names " + Quoted(names);

  const Result dry = RunOrbtool(import + " --dry-run");
  EXPECT_EQ(dry.code, 0);
  for (const char* line :
       {"Row 3: CH 2 \"Lead Vocal\" is cut to \"Lead Vo\" (7 characters fit).\n",
        "Row 4: no channel \"CH 99\" in this title; left out.\n",
        "2 names change, 0 stay, 2 problems.\n", "Nothing was written (--dry-run).\n"})
    EXPECT_NE(dry.out.find(line), std::string::npos) << line << dry.out;
  EXPECT_EQ(ReadAll(title), before);

  const std::size_t files = std::distance(fs::directory_iterator(folder), {});
  const Result wrote = RunOrbtool(import);
  EXPECT_EQ(wrote.code, 0) << wrote.out;
  EXPECT_NE(wrote.out.find("Wrote 2 names into "), std::string::npos) << wrote.out;
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), files);  // no file left behind
  const Result listed = RunOrbtool("channels " + Quoted(title));
  EXPECT_EQ(listed.out.rfind("Channel  Name", 0), 0u) << listed.out;
  EXPECT_NE(listed.out.find("\nCH 1     Cajon "), std::string::npos) << listed.out;
  EXPECT_NE(listed.out.find("\nCH 2     Lead Vo "), std::string::npos) << listed.out;
  const Result diff = RunOrbtool("diff " + Quoted(copy) + " " + Quoted(title));
  EXPECT_EQ(diff.code, 1);
  EXPECT_NE(diff.out.find("CH 1 · name: Kick → Cajon"), std::string::npos) << diff.out;
}

TEST_F(OrbtoolPaperworkTest, BadNameFilesWriteNothing) {
  const fs::path title = folder / "Demo-44k1-25fps.orb";
  const auto before = ReadAll(title);
  const std::pair<std::string, std::string> cases[] = {
      {"", "The file holds no rows. Nothing was written.\n"},
      {std::string("\x7F"
                   "ELF\0\0\x01",
                   7),
       "The file holds binary data, not text. Nothing was written.\n"},
      {std::string("\xFF\xFE"
                   "C\0H\0",
                   6),
       "The file is UTF-16 text"},
      {"CH 1,\"never closed\n",
       "A quoted field that begins in row 1 never ends. Nothing was written.\n"},
  };
  for (const auto& [bytes, message] : cases) {
    const Result result =
        RunOrbtool("channels " + Quoted(title) + " --import-names " + Quoted(Names(bytes)));
    EXPECT_EQ(result.code, 1) << message;
    EXPECT_NE(result.out.find(message), std::string::npos) << result.out;
  }
  const Result missing =
      RunOrbtool("channels " + Quoted(title) + " --import-names " + Quoted(folder / "none.csv"));
  EXPECT_EQ(missing.code, 1);
  EXPECT_EQ(ReadAll(title), before);
  const Result locked = RunOrbtool("channels " + Quoted(folder / "Locked.orb") +
                                   " --import-names " + Quoted(Names("CH 1,Cajon\n")));
  EXPECT_EQ(locked.code, 1);
  EXPECT_NE(locked.out.find("is locked: nothing was written."), std::string::npos) << locked.out;
  for (const char* usage :
       {"channels", "channels A.orb --view FADER", "sheet A.orb",
        "automation A.orb --import-names x", "channels A.orb --csv --import-names x"})
    EXPECT_EQ(RunOrbtool(usage).code, 2) << usage;
}

TEST_F(OrbtoolPaperworkTest, SheetPdfHoldsNamesCueTimesAndPageNumbers) {
  const fs::path title = folder / "Demo-44k1-25fps.orb";
  ASSERT_EQ(RunOrbtool("channels " + Quoted(title) + " --import-names " +
                       Quoted(Names("Cajon\nBongo\nShaker\n")))
                .code,
            0);
  orb::Title loaded;
  ASSERT_EQ(loaded.OpenTitle(title.string()), orb::kOk);
  ASSERT_GT(loaded.Cues().Count(), 0);
  const fs::path pdf = folder / "sheet.pdf";
  // No display: the PDF is drawn on the offscreen platform whatever DISPLAY says.
  const Result made =
      RunOrbtool("sheet " + Quoted(title) + " " + Quoted(pdf) + " --picture 'CH 2' < /dev/null");
  ASSERT_EQ(made.code, 0) << made.out;
  const std::string text = orb::test::PdfText(pdf.string());
  for (const std::string& expected :
       {std::string("Cajon"), std::string("Bongo"), std::string("Shaker"),
        orb::FormatTC(orb::FromBCD(loaded.Cues().Time(0))),
        orb::FormatTC(orb::FromBCD(loaded.Cues().Time(loaded.Cues().Count() - 1))),
        std::string("Output patch"), std::string("page 1 of "),
        std::string("Channels (continued)")})
    EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
  const std::string info = orb::test::PdfInfo(pdf.string());
  EXPECT_NE(info.find("(A4)"), std::string::npos) << info;
  const auto pages = text.find("page 1 of ");
  const std::string count =
      text.substr(pages + 10, text.find_first_not_of("0123456789", pages + 10) - pages - 10);
  EXPECT_NE(text.find("page " + count + " of " + count), std::string::npos);
  EXPECT_NE(info.find("Pages:           " + count + "\n"), std::string::npos) << info;
  EXPECT_EQ(RunOrbtool("sheet " + Quoted(title) + " " + Quoted(pdf) + " --picture 'CH 999'").code,
            1);
}

TEST_F(OrbtoolPaperworkTest, AutomationTableAndCsv) {
  const fs::path title = folder / "Demo-44k1-25fps.orb";
  const Result csv = RunOrbtool("automation --csv " + Quoted(title));
  EXPECT_EQ(csv.code, 0);
  EXPECT_EQ(csv.out.rfind("Time code,Channel,Parameter,Value,Unit\r\n", 0), 0u)
      << csv.out.substr(0, 200);
  const Result table = RunOrbtool("automation " + Quoted(title) + " --channel 'CH 1'");
  EXPECT_EQ(table.code, 0);
  EXPECT_EQ(table.out.rfind("Time code", 0), 0u);
  std::size_t lines = 0;
  for (std::size_t at = table.out.find('\n'); at != std::string::npos;
       at = table.out.find('\n', at + 1))
    ++lines;
  EXPECT_GE(lines, 1u);
  EXPECT_EQ(RunOrbtool("automation " + Quoted(title) + " --view 'NO SUCH'").code, 1);
  EXPECT_EQ(RunOrbtool("automation " + Quoted(title) + " --channel 'CH 999'").code, 1);
}

// Help for orbtool and each command on standard output, the version, and the usage line of
// the command on every wrong call, with exit code 2.
TEST(OrbtoolTest, HelpVersionAndUsageErrors) {
  const struct {
    std::string arguments;
    int code;
    std::vector<std::string> shown;  // texts the output holds
  } cases[] = {
      {"--help",
       0,
       {"Usage: orbtool COMMAND", "  new NAME.orb [--rate", "  make-demo FOLDER", "--single",
        "--reboot", "Exit codes"}},
      {"--version", 0, {"orbtool " ORB_VERSION "\n"}},
      {"new --help", 0, {"Usage: orbtool new NAME.orb [--rate 48k|44.1k|96k|88.2k] [--tc MODE]"}},
      {"diff --help", 0, {"Usage: orbtool diff [--brief] A.orb B.orb", "--brief"}},
      {"console-export --help", 0, {"--reboot", "--overwrite", "--quiet"}},
      {"", 2, {"orbtool: no command given", "Try 'orbtool --help'"}},
      {"frobnicate", 2, {"unknown command 'frobnicate'", "Usage: orbtool COMMAND"}},
      {"info", 2, {"Usage: orbtool info TITLE.orb\n", "Try 'orbtool info --help'"}},
      {"info a.orb b.orb", 2, {"Usage: orbtool info TITLE.orb\n"}},
      {"new", 2, {"Usage: orbtool new NAME.orb"}},
      {"new x.orb --rate 32k", 2, {"Usage: orbtool new NAME.orb"}},
      {"new x.orb --tc 7", 2, {"Usage: orbtool new NAME.orb"}},
      {"new x.orb --rate", 2, {"Usage: orbtool new NAME.orb"}},
      {"new noextension --tc 2", 2, {"Usage: orbtool new NAME.orb"}},
      {"check a.orb --rate 48k", 2, {"Usage: orbtool check TITLE.orb"}},
      {"console-import /dev/null 11 /tmp --name X", 2, {"Usage: orbtool console-import DEVICE"}},
      {"import-folder a b", 2, {"Usage: orbtool import-folder DIR1"}},
  };
  for (const auto& c : cases) {
    const Result result = RunOrbtool(c.arguments);
    EXPECT_EQ(result.code, c.code) << c.arguments << "\n" << result.out;
    for (const std::string& text : c.shown)
      EXPECT_NE(result.out.find(text), std::string::npos) << c.arguments << ": " << text << "\n"
                                                          << result.out;
  }
}

// The man page names every command and option that --help names.
TEST(OrbtoolTest, ManPageNamesEveryCommandAndOption) {
  std::ifstream in(std::string(ORB_SOURCE_DIR) + "/app/orbtool.1");
  const std::string page{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  ASSERT_FALSE(page.empty());
  const std::string help = RunOrbtool("--help").out;
  std::istringstream lines(help);
  int commands = 0, options = 0;
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("  ", 0) == 0 && line[2] != ' ') {
      const std::string name = line.substr(2, line.find(' ', 2) - 2);
      EXPECT_NE(page.find(".BI " + name + " "), std::string::npos) << name;
      ++commands;
    }
    for (std::size_t at = line.find("--"); at != std::string::npos; at = line.find("--", at + 2)) {
      const std::size_t end = line.find_first_not_of("abcdefghijklmnopqrstuvwxyz", at + 2);
      const std::string option = line.substr(at + 2, end - at - 2);
      if (option.empty()) continue;
      EXPECT_NE(page.find("\\-\\-" + option), std::string::npos) << option;
      ++options;
    }
  }
  EXPECT_GE(commands, 10);
  EXPECT_GE(options, 10);
}

// orbtool new writes a title that loads completely, holds nothing but the fresh system data,
// and is never written over an existing file.
TEST(OrbtoolTest, NewTitleChecksAndIsNotReplaced) {
  const fs::path root = fs::temp_directory_path() / ("orb_new_" + std::to_string(::getpid()));
  fs::remove_all(root);
  fs::create_directories(root);
  const struct {
    std::string options;
    std::string fs;
    std::string tc;
  } cases[] = {
      {"", "48kHz", "30F/s NDF"},
      {"--rate 44.1k --tc 4", "44.1kHz", "25F/s"},
      {"--tc '29.97F/s DF' --rate 96k", "96kHz", "29.97F/s DF"},
      {"--rate 88.2kHz", "88.2kHz", "30F/s NDF"},
  };
  int n = 0;
  for (const auto& c : cases) {
    const fs::path path = root / ("Fresh" + std::to_string(++n) + ".orb");
    const Result made = RunOrbtool("new " + Quoted(path) + " " + c.options);
    ASSERT_EQ(made.code, 0) << c.options << "\n" << made.out;
    const Result checked = RunOrbtool("check " + Quoted(path));
    EXPECT_EQ(checked.code, 0) << checked.out;
    for (const char* line :
         {"snap.dat        0 records", "cue.dat         0 records", "dylib.dat       0 records",
          "eqlib.dat       0 records", "auto.dat        0 events", "status 0"})
      EXPECT_NE(checked.out.find(line), std::string::npos) << line << "\n" << checked.out;
    const Result info = RunOrbtool("info " + Quoted(path));
    EXPECT_NE(info.out.find("NAME: Fresh" + std::to_string(n) + "\n"), std::string::npos)
        << info.out;
    EXPECT_NE(info.out.find("FS: " + c.fs + "\n"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("TC MODE: " + c.tc + "\n"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("LOCK: off"), std::string::npos) << info.out;
  }
  const std::vector<std::uint8_t> before = ReadAll(root / "Fresh1.orb");
  const Result again = RunOrbtool("new " + Quoted(root / "Fresh1.orb") + " --rate 96k");
  EXPECT_EQ(again.code, 1);
  EXPECT_NE(again.out.find("exists already"), std::string::npos) << again.out;
  EXPECT_EQ(ReadAll(root / "Fresh1.orb"), before);
  fs::remove_all(root);
}

}  // namespace
