#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <optional>

#include "core/model/Title.h"
#include "core/storage/Floppy.h"
#include "tests/TestFiles.h"
#include "tests/core/model/TestRecords.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TempFolder.h"
#include "tools/TitleGenerator.h"

namespace orb {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

using test::ReadFile;
using test::WriteFile;

// Every file of a folder with its content.
std::map<std::string, Bytes> Contents(const fs::path& folder) {
  std::map<std::string, Bytes> files;
  if (!fs::exists(folder)) return files;
  for (const auto& item : fs::directory_iterator(folder))
    files[item.path().filename().string()] = ReadFile(item.path());
  return files;
}

std::vector<std::string> Names(const std::map<std::string, Bytes>& files) {
  std::vector<std::string> names;
  for (const auto& [name, bytes] : files) names.push_back(name);
  return names;
}

Bytes Identity(std::uint32_t date) {
  return {static_cast<std::uint8_t>(date), static_cast<std::uint8_t>(date >> 8),
          static_cast<std::uint8_t>(date >> 16), static_cast<std::uint8_t>(date >> 24)};
}

// A title large enough for two disks.
gen::TitleSpec LargeSpec(const std::string& name) {
  gen::TitleSpec spec;
  spec.name = name;
  spec.snapshots = 99;
  spec.automation_words = 160000;
  return spec;
}

class FloppyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const fs::path& f : {Src(), Disk(1), Disk(2), Disk(3), Lib()}) fs::create_directories(f);
    test::DrainLog();
  }
  void TearDown() override { test::DrainLog(); }
  fs::path Src() const { return root / "src"; }
  fs::path Disk(int n) const { return root / ("disk" + std::to_string(n)); }
  fs::path Lib() const { return root / "lib"; }

  std::string WriteTitle(const gen::TitleSpec& spec) {
    const fs::path path = Src() / (spec.name + ".orb");
    WriteFile(path, gen::MakeTitle(spec));
    return path.string();
  }
  // Exports the generated title to disk 1 (and disk 2).
  void Export(const gen::TitleSpec& spec) {
    ScriptedPrompter prompter;
    prompter.Queue(Answer::kOk);
    ASSERT_EQ(ExportTitle(WriteTitle(spec), Disk(1).string(), false, &prompter, Disk(2).string()),
              kOk);
  }
  Status Import(ScriptedPrompter& prompter, std::string* path = nullptr, bool dialog = true) {
    return ImportTitle(Disk(1).string(), Lib().string(), &prompter, dialog, path);
  }

  test::TempFolder temp_;
  fs::path root = temp_.path();
};

TEST_F(FloppyTest, RoundTripsOneAndTwoDisksWithAndWithoutGroupFaders) {
  // The first disk is used again and again, as floppies are: what an earlier set left there
  // (gfed.dat, auto.dat before a set of two, next.dat before a set of one) must not join the
  // new one.
  const std::pair<bool, bool> cases[] = {
      {false, true}, {false, false}, {true, true}, {true, false}, {false, true}};
  for (const auto& [two, gfed] : cases) {
    SCOPED_TRACE(std::string(two ? "two disks" : "one disk") + (gfed ? ", gfed" : ", no gfed"));
    for (const fs::path& f : {Disk(2), Lib()}) {
      fs::remove_all(f);
      fs::create_directories(f);
    }
    gen::TitleSpec spec = two ? LargeSpec("Big Show") : gen::TitleSpec();
    spec.with_gfed = gfed;
    const std::string title = WriteTitle(spec);
    const Bytes original = ReadFile(title);
    ASSERT_EQ(original.size() > kSingleDiskLimit, two);

    ScriptedPrompter exporter;
    exporter.Queue(Answer::kOk);
    test::DrainLog();
    ASSERT_EQ(ExportTitle(title, Disk(1).string(), false, &exporter, Disk(2).string()), kOk);
    // The whole title is loaded as a check first, then the set is written.
    const std::vector<std::string> exported = test::DrainLog();
    ASSERT_FALSE(exported.empty());
    EXPECT_EQ(exported.front().rfind("Loading sysf.dat", 0), 0u);
    EXPECT_EQ(exported.back(), "A");
    EXPECT_EQ(exporter.busy_depth(), 0);
    ASSERT_EQ(exporter.shown().size(), two ? 1u : 0u);
    if (two) {
      EXPECT_EQ(exporter.shown()[0].text, "Please insert second disk.");
      EXPECT_EQ(exporter.shown()[0].caption, "Export");
      EXPECT_EQ(exporter.shown()[0].buttons, Buttons::kOkCancel);
    }

    // Each file is the chunk body; the disks split as the console expects.
    auto data = gen::MakeDataFiles(spec);
    std::map<std::string, Bytes> first(data.begin(), data.end()), second;
    if (two) {
      second = {{"prev.dat", Identity(spec.save_date)},
                {"auto.dat", first["auto.dat"]},
                {"sysf.dat", first["sysf.dat"]}};
      first.erase("auto.dat");
      first["next.dat"] = Identity(spec.save_date);
    }
    EXPECT_EQ(Names(Contents(Disk(1))), Names(first));
    EXPECT_TRUE(Contents(Disk(1)) == first);
    EXPECT_TRUE(Contents(Disk(2)) == second);

    ScriptedPrompter importer;
    importer.QueueTitleName(spec.name);
    if (two) {
      importer.Queue(Answer::kOk);  // disk 1 is still in the drive
      importer.QueueFile((Disk(2) / "SYSF.DAT").string());
    }
    std::string path;
    ASSERT_EQ(Import(importer, &path), kOk);
    EXPECT_EQ(path, (Lib() / (spec.name + ".orb")).string());
    EXPECT_TRUE(ReadFile(path) == original);
    EXPECT_EQ(Names(Contents(Lib())), std::vector<std::string>{spec.name + ".orb"});

    // The import's own log lines, in order, between the loader's lines.
    std::vector<std::string> expected = {"Import started...",
                                         "Source path is \"" + Disk(1).string() + "\".",
                                         "Destination path is \"" + Lib().string() + "\".",
                                         "Default TITLE name is \"" + spec.name + "\".",
                                         "Checking first disk.",
                                         "Destination file name is \"" + path + "\".",
                                         "Importing..."};
    if (two) expected.insert(expected.end(), 3, "Checking second disk.");
    expected.push_back("Importing automation data...");
    expected.push_back("Import finished...");
    const auto log = test::DrainLog();
    auto at = log.begin();
    for (const std::string& line : expected) {
      at = std::find(at, log.end(), line);
      ASSERT_TRUE(at != log.end()) << "missing or out of order: " << line;
    }
    EXPECT_EQ(log.back(), "Import finished...");
  }
}

// A DOS floppy mounted on Linux may show the console's short names in upper case.
TEST_F(FloppyTest, UpperCaseNamesOfADosFloppyImport) {
  for (const bool two : {false, true}) {
    SCOPED_TRACE(two ? "two disks" : "one disk");
    for (const fs::path& f : {Disk(1), Disk(2), Lib()}) {
      fs::remove_all(f);
      fs::create_directories(f);
    }
    const gen::TitleSpec spec = two ? LargeSpec("Dos Show") : gen::TitleSpec();
    const std::string title = WriteTitle(spec);
    const Bytes original = ReadFile(title);
    ScriptedPrompter exporter;
    exporter.Queue(Answer::kOk);
    ASSERT_EQ(ExportTitle(title, Disk(1).string(), false, &exporter, Disk(2).string()), kOk);
    for (const fs::path& disk : {Disk(1), Disk(2)}) {
      for (const auto& entry : fs::directory_iterator(disk)) {
        std::string upper = entry.path().filename().string();
        for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        fs::rename(entry.path(), disk / upper);
      }
    }
    ScriptedPrompter importer;
    importer.QueueTitleName(spec.name);
    if (two) {
      importer.Queue(Answer::kOk);
      importer.QueueFile((Disk(2) / "SYSF.DAT").string());
    }
    std::string path;
    ASSERT_EQ(Import(importer, &path), kOk);
    EXPECT_TRUE(ReadFile(path) == original);  // chunk names too are the console's own
  }
}

TEST_F(FloppyTest, SecondDiskFromTheSplitAt1433600Bytes) {
  // Adds automation words until the title file has exactly the limit's size.
  gen::TitleSpec spec = LargeSpec("Edge");
  spec.automation_words = 1;
  std::size_t base = gen::MakeTitle(spec).size();
  if ((kSingleDiskLimit - base) % 4 != 0) {
    ++spec.eq;
    base = gen::MakeTitle(spec).size();
  }
  ASSERT_EQ((kSingleDiskLimit - base) % 4, 0u);
  spec.automation_words = 1 + static_cast<std::uint32_t>((kSingleDiskLimit - base) / 4);
  const std::string title = WriteTitle(spec);
  ASSERT_EQ(fs::file_size(title), kSingleDiskLimit);

  ScriptedPrompter prompter;
  prompter.Queue(Answer::kOk);
  ASSERT_EQ(ExportTitle(title, Disk(1).string(), false, &prompter, Disk(2).string()), kOk);
  EXPECT_TRUE(fs::exists(Disk(1) / "auto.dat"));
  EXPECT_TRUE(Contents(Disk(2)).empty());
  EXPECT_TRUE(prompter.shown().empty());

  // One byte more (after the last chunk, which nothing reads) needs two disks,
  // unless the caller forces a single set.
  std::ofstream(title, std::ios::binary | std::ios::app).put('\0');
  ASSERT_EQ(ExportTitle(title, Disk(3).string(), true, &prompter), kOk);
  EXPECT_FALSE(fs::exists(Disk(3) / "next.dat"));
  ASSERT_EQ(ExportTitle(title, Disk(1).string(), false, &prompter, Disk(2).string()), kOk);
  EXPECT_EQ(Names(Contents(Disk(2))),
            (std::vector<std::string>{"auto.dat", "prev.dat", "sysf.dat"}));
  EXPECT_TRUE(fs::exists(Disk(1) / "next.dat"));
}

TEST_F(FloppyTest, FirstDiskChecksAndTheProposedName) {
  Export(gen::TitleSpec());
  // auto.dat wins over next.dat: one disk, no question about a second one.
  WriteFile(Disk(1) / "next.dat", Identity(1));
  Bytes sysf = ReadFile(Disk(1) / "sysf.dat");
  SetSlotText(sysf.data() + 6, 24, "A/B");
  WriteFile(Disk(1) / "sysf.dat", sysf);
  ScriptedPrompter prompter;
  prompter.QueueTitleName("One");
  ASSERT_EQ(Import(prompter), kOk);
  ASSERT_EQ(prompter.shown().size(), 1u);
  EXPECT_EQ(prompter.shown()[0].text, "A_B");

  // A name of 23 characters fills the field to offset 28; offset 29 is never read.
  std::fill_n(sysf.begin() + 6, 24, 'N');
  WriteFile(Disk(1) / "sysf.dat", sysf);
  prompter = ScriptedPrompter();
  EXPECT_EQ(Import(prompter), kCancelled);
  EXPECT_EQ(prompter.shown().at(0).text, std::string(23, 'N'));

  // A disk without cue.dat is no first disk. A folder does not change as a drive does, so OK
  // opens the file dialog to choose another; the import goes on from there.
  for (const auto& [name, bytes] : Contents(Disk(1))) WriteFile(Disk(3) / name, bytes);
  fs::remove(Disk(1) / "cue.dat");
  for (const char* choice : {"", "SYSF.DAT"}) {
    prompter = ScriptedPrompter();
    prompter.QueueTitleName("Two");
    prompter.Queue(Answer::kOk);
    if (*choice) prompter.QueueFile((Disk(3) / choice).string());
    EXPECT_EQ(Import(prompter), *choice ? kOk : kCancelled);
    ASSERT_EQ(prompter.shown().size(), 3u);
    EXPECT_EQ(prompter.shown()[1].text, "Please insert first disk.");
    EXPECT_EQ(prompter.shown()[1].caption, "Import");
    EXPECT_EQ(prompter.shown()[1].buttons, Buttons::kOkCancel);
    EXPECT_EQ(prompter.shown()[2].caption, "Import");
    EXPECT_EQ(prompter.shown()[2].text, "SYSF.DAT");  // the file dialog
  }
  // Without the dialog (a console session's folder) OK looks once more, then gives up.
  prompter = ScriptedPrompter();
  prompter.QueueTitleName("Three");
  prompter.Queue(Answer::kOk);
  EXPECT_EQ(Import(prompter, nullptr, false), kCancelled);
  EXPECT_EQ(prompter.shown().size(), 2u);

  // Without sysf.dat there is not even a name to propose.
  fs::remove(Disk(1) / "sysf.dat");
  prompter = ScriptedPrompter();
  EXPECT_EQ(Import(prompter), kCantOpenSource);
  EXPECT_TRUE(prompter.shown().empty());
  EXPECT_EQ(Names(Contents(Lib())), (std::vector<std::string>{"One.orb", "Two.orb"}));
}

TEST_F(FloppyTest, ASourceThatCannotBeOpenedIsNamedWithItsFolderAndWhy) {
  Export(gen::TitleSpec());
  fs::create_directories(Disk(3) / "sysf.dat");
  const Bytes sysf = ReadFile(Disk(1) / "sysf.dat");
  WriteFile(Disk(2) / "SYSF.DAT", Bytes(sysf.begin(), sysf.begin() + 40));
  const struct {
    fs::path folder;
    std::string detail;
  } cases[] = {
      {Src(), "There is no sysf.dat in the folder " + Src().string() + "."},
      {Disk(3), "sysf.dat in the folder " + Disk(3).string() + " is not a plain file."},
      {Disk(2), "SYSF.DAT in the folder " + Disk(2).string() + " could not be read whole."},
  };
  for (const auto& c : cases) {
    ScriptedPrompter prompter;
    std::string detail;
    EXPECT_EQ(ImportTitle(c.folder.string(), Lib().string(), &prompter, true, nullptr, &detail),
              kCantOpenSource);
    EXPECT_EQ(detail, c.detail);
  }
}

TEST_F(FloppyTest, SecondDiskIsKnownBySaveDateOnly) {
  const gen::TitleSpec spec = LargeSpec("Pair");
  Export(spec);
  // Disk 3 looks like a second disk, prev.dat and all, but its sysf.dat has
  // another save date.
  for (const auto& [name, bytes] : Contents(Disk(2))) WriteFile(Disk(3) / name, bytes);
  Bytes other = ReadFile(Disk(3) / "sysf.dat");
  other[32] ^= 1;
  WriteFile(Disk(3) / "sysf.dat", other);
  // Disk 2's copy differs from disk 1 in its memo; the title keeps disk 1's.
  Bytes second = ReadFile(Disk(2) / "sysf.dat");
  second[60] ^= 0xFF;
  WriteFile(Disk(2) / "sysf.dat", second);

  ScriptedPrompter prompter;
  prompter.QueueTitleName("Pair");
  prompter.Queue(Answer::kOk);
  prompter.QueueFile((Disk(3) / "sysf.dat").string());
  prompter.Queue(Answer::kOk);
  prompter.QueueFile((Disk(2) / "auto.dat").string());
  std::string path;
  ASSERT_EQ(Import(prompter, &path), kOk);
  std::vector<std::string> asked;
  for (const auto& shown : prompter.shown()) asked.push_back(shown.text);
  EXPECT_EQ(asked, (std::vector<std::string>{"Pair", "Please insert second disk.", "SYSF.DAT",
                                             "Please insert second disk.", "SYSF.DAT"}));
  EXPECT_TRUE(ReadFile(path) == gen::MakeTitle(spec));

  // Without a file dialog the import ends where the dialog would be shown.
  prompter = ScriptedPrompter();
  prompter.QueueTitleName("Pair 2");
  prompter.Queue(Answer::kOk);
  EXPECT_EQ(Import(prompter, nullptr, false), kCancelled);
  EXPECT_EQ(prompter.shown().size(), 2u);
  EXPECT_EQ(Names(Contents(Lib())), std::vector<std::string>{"Pair.orb"});
}

// An existing title that the user agreed to overwrite survives every import
// that does not complete.
TEST_F(FloppyTest, FailedOrCancelledImportLeavesTheLibraryAsItWas) {
  const gen::TitleSpec spec = LargeSpec("Show");
  Export(spec);
  gen::TitleSpec old_spec;
  old_spec.name = "Show";
  old_spec.seed = 7;
  WriteFile(Lib() / "Show.orb", gen::MakeTitle(old_spec));
  const auto library = Contents(Lib());

  struct Script {
    const char* what;
    std::vector<std::optional<std::string>> names;
    std::vector<Answer> answers;
    bool file;
    std::function<void()> damage;
    Status status;
  };
  const fs::path disk2 = Disk(2);
  const Script scripts[] = {
      {"title name cancelled", {std::nullopt}, {}, false, nullptr, kCancelled},
      {"overwrite cancelled", {"Show"}, {Answer::kCancel}, false, nullptr, kCancelled},
      {"overwrite declined, then cancelled",
       {"Show", std::nullopt},
       {Answer::kNo},
       false,
       nullptr,
       kCancelled},
      {"first disk cancelled",
       {"Show"},
       {Answer::kYes, Answer::kCancel},
       false,
       [this] { fs::rename(Disk(1) / "snap.dat", Disk(3) / "snap.dat"); },
       kCancelled},
      {"second disk cancelled",
       {"Show"},
       {Answer::kYes, Answer::kCancel},
       false,
       nullptr,
       kCancelled},
      {"file dialog cancelled", {"Show"}, {Answer::kYes, Answer::kOk}, false, nullptr, kCancelled},
      {"truncated auto.dat",
       {"Show"},
       {Answer::kYes, Answer::kOk},
       true,
       [disk2] { fs::resize_file(disk2 / "auto.dat", 1000); },
       kReadError},
      {"gfed.dat of a wrong size",
       {"Show"},
       {Answer::kYes, Answer::kOk},
       true,
       [this] { WriteFile(Disk(1) / "gfed.dat", Bytes(10)); },
       kReadError},
      {"second disk vanished while reading",
       {"Show"},
       {Answer::kYes, Answer::kOk},
       true,
       [disk2] { fs::resize_file(disk2 / "sysf.dat", 20); },
       kCantOpenSource},
  };
  const auto disk1 = Contents(Disk(1)), disk2_files = Contents(Disk(2));
  for (const Script& script : scripts) {
    SCOPED_TRACE(script.what);
    if (script.damage) script.damage();
    ScriptedPrompter prompter;
    for (const auto& name : script.names) prompter.QueueTitleName(name);
    for (Answer answer : script.answers) prompter.Queue(answer);
    if (script.file) prompter.QueueFile((Disk(2) / "sysf.dat").string());
    EXPECT_EQ(Import(prompter), script.status);
    EXPECT_TRUE(Contents(Lib()) == library);
    EXPECT_EQ(prompter.busy_depth(), 0);
    // Restore both disks for the next script.
    for (const fs::path& f : {Disk(1), Disk(2), Disk(3)}) fs::remove_all(f);
    for (const auto& [folder, files] :
         {std::pair{Disk(1), disk1}, std::pair{Disk(2), disk2_files}}) {
      fs::create_directories(folder);
      for (const auto& [name, bytes] : files) WriteFile(folder / name, bytes);
    }
    fs::create_directories(Disk(3));
  }

  // Completed, the import replaces the old title.
  ScriptedPrompter prompter;
  prompter.QueueTitleName("Show");
  prompter.Queue(Answer::kYes);
  prompter.Queue(Answer::kOk);
  prompter.QueueFile((Disk(2) / "sysf.dat").string());
  ASSERT_EQ(Import(prompter), kOk);
  EXPECT_EQ(Names(Contents(Lib())), std::vector<std::string>{"Show.orb"});
  EXPECT_TRUE(ReadFile(Lib() / "Show.orb") == gen::MakeTitle(spec));
}

TEST_F(FloppyTest, ExportFailures) {
  ScriptedPrompter prompter;
  EXPECT_EQ(ExportTitle((Src() / "missing.orb").string(), Disk(1).string(), false, &prompter),
            kCantOpenSource);
  const std::string small = WriteTitle(gen::TitleSpec());
  EXPECT_EQ(ExportTitle(small, (root / "no folder").string(), false, &prompter),
            kCantOpenDestination);

  // Cancel at the second disk: the first disk is written, the second not.
  const std::string large = WriteTitle(LargeSpec("Large"));
  prompter.Queue(Answer::kCancel);
  EXPECT_EQ(ExportTitle(large, Disk(1).string(), false, &prompter, Disk(2).string()), kCancelled);
  EXPECT_TRUE(fs::exists(Disk(1) / "next.dat"));
  EXPECT_TRUE(Contents(Disk(2)).empty());

  // A title file that lacks a data file is a read error, not an empty set.
  Bytes bytes = ReadFile(small);
  const std::size_t snap = 16 + 12288;
  const std::size_t snap_end = snap + 16 + GetU32(bytes.data() + snap + 12);
  bytes.erase(bytes.begin() + snap, bytes.begin() + snap_end);
  WriteFile(small, bytes);
  EXPECT_EQ(ExportTitle(small, Disk(3).string(), false, &prompter), kReadError);
  // Found before anything is written: no half set on the disk, and the damaged file is not
  // stamped either.
  EXPECT_TRUE(Contents(Disk(3)).empty());
  EXPECT_EQ(ReadFile(small), bytes);
  // Cut short anywhere, the same.
  for (const std::size_t size : {bytes.size() / 2, bytes.size() - 1}) {
    Bytes cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size));
    WriteFile(small, cut);
    EXPECT_NE(ExportTitle(small, Disk(3).string(), false, &prompter), kOk) << size;
    EXPECT_TRUE(Contents(Disk(3)).empty()) << size;
    EXPECT_EQ(ReadFile(small), cut) << size;
  }
}

TEST(FloppyChunkTest, ExtractAndAppendSingleChunks) {
  const test::TempFolder temp;
  const fs::path folder = temp.path();

  // A chunk of another name stays where it is.
  MemoryFile title(test::Chunk("snap.dat", Bytes(20, 7)));
  bool copied = true;
  EXPECT_EQ(ExtractChunk(title, (folder / "cue.dat").string(), nullptr, &copied), kOk);
  EXPECT_FALSE(copied);
  EXPECT_EQ(title.Position(), 0u);
  EXPECT_TRUE(fs::is_empty(folder));

  // A size field beyond the end writes nothing; nor does a short header.
  MemoryFile bad(test::Chunk("SNAP.DAT", Bytes(20, 7), 0x7FFFFFFF));
  EXPECT_EQ(ExtractChunk(bad, (folder / "snap.dat").string()), kReadError);
  MemoryFile short_header(Bytes(10));
  EXPECT_EQ(ExtractChunk(short_header, (folder / "snap.dat").string()), kReadError);
  EXPECT_TRUE(fs::is_empty(folder));

  EXPECT_EQ(ExtractChunk(title, (folder / "snap.dat").string(), nullptr, &copied), kOk);
  EXPECT_TRUE(copied);
  EXPECT_EQ(ReadFile(folder / "snap.dat"), Bytes(20, 7));

  MemoryFile out;
  EXPECT_EQ(AppendFile(out, (folder / "missing.dat").string()), kCantOpenSource);
  EXPECT_EQ(AppendFile(out, (folder / "snap.dat").string()), kOk);
  EXPECT_EQ(out.Bytes(), test::Chunk("snap.dat", Bytes(20, 7)));
  out.SetWriteLimit(out.Bytes().size() + 20);
  EXPECT_EQ(AppendFile(out, (folder / "snap.dat").string()), kWriteError);
}

}  // namespace
}  // namespace orb
