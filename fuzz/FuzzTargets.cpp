#include "fuzz/FuzzTargets.h"

#include <algorithm>
#include <cstdlib>

#include "core/compare/Compare.h"
#include "core/model/DebugLog.h"
#include "core/model/Q730classes.h"
#include "core/model/Q730sysf.h"
#include "core/model/Title.h"

namespace orb {
namespace {

// A plain record list, as snap.dat, cue.dat and the libraries are framed.
class PlainRecords : public TQ730 {
 public:
  PlainRecords(const char* name, int record_size) : TQ730(kSnapshot, name, record_size, 99) {}
  Status Load(DataFile& file) override { return LoadRecordChunk(file); }
};

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

int FuzzChunkLoaders(const std::uint8_t* data, std::size_t size) {
  MemoryFile file(data, size);
  TQ730SYSF system;
  PlainRecords snapshots("snap.dat", 8192);
  PlainRecords cues("cue.dat", 36);
  PlainRecords dynamics("dylib.dat", 64);
  PlainRecords eq("eqlib.dat", 66);
  for (TQ730* list : {static_cast<TQ730*>(&snapshots), static_cast<TQ730*>(&cues),
                      static_cast<TQ730*>(&dynamics), static_cast<TQ730*>(&eq)}) {
    list->SetSystem(&system);
  }

  // A foreign chunk is left in place, so every loader may try the same bytes.
  system.Load(file);
  system.LoadGroupFaders(file);
  system.CompleteGroupFaders();
  for (TQ730* list : {static_cast<TQ730*>(&snapshots), static_cast<TQ730*>(&cues),
                      static_cast<TQ730*>(&dynamics), static_cast<TQ730*>(&eq)}) {
    list->Load(file);
    system.LoadGroupFaders(file);
  }

  // Whatever loaded must save and read back to the same bytes.
  MemoryFile out;
  Check(system.Save(out) == kOk);
  Check(system.SaveGroupFaders(out) == kOk);
  Check(eq.Save(out) == kOk);
  MemoryFile again(out.Bytes());
  TQ730SYSF system2;
  PlainRecords eq2("eqlib.dat", 66);
  Check(system2.Load(again) == kOk);
  Check(system2.LoadGroupFaders(again) == kOk);
  Check(eq2.Load(again) == kOk);
  Check(eq2.Count() == eq.Count());
  MemoryFile out2;
  system2.Save(out2);
  system2.SaveGroupFaders(out2);
  eq2.Save(out2);
  Check(out2.Bytes() == out.Bytes());

  for (int c = -1; c <= system.ChannelCount(); ++c) {
    system.NumberText(c);
    system.NameText(c);
    system.StoredFaderIndex(c);
  }
  while (!NextLogLine().empty()) {
  }
  return 0;
}

int FuzzTitleLoader(const std::uint8_t* data, std::size_t size) {
  MemoryFile file(data, size);
  Title title;
  const Status status = title.LoadChunks(file);
  MemoryFile out;
  Check(title.WriteChunks(out) == kOk);
  if (status == kOk) {
    MemoryFile again(out.Bytes());
    Title reloaded;
    Check(reloaded.LoadChunks(again) == kOk);
    MemoryFile out2;
    Check(reloaded.WriteChunks(out2) == kOk);
    Check(out2.Bytes() == out.Bytes());
  }
  // What the editor reads of every list must stay in bounds.
  for (int n = 0; n < Title::kListCount; ++n) {
    TQ730* list = title.List(n);
    for (int i = -1; i <= list->Count(); ++i) {
      list->NameText(i);
      list->NumberText(i);
      list->IsSelected(i);
      list->RecordNumber(i);
    }
  }
  TitleInfo info;
  std::copy_n(title.System().Block().begin(), info.size(), info.begin());
  DescribeTitle(info);
  // Compared with itself it shows no difference; with an empty title every line can be made.
  Check(CompareTitles(title, title).empty());
  Title empty;
  for (const Differences& differences :
       {CompareTitles(title, empty), CompareTitles(empty, title)}) {
    for (std::size_t i = 0; i < differences.size(); ++i) differences[i].Line();
    GroupDifferences(differences, "on");
  }
  while (!NextLogLine().empty()) {
  }
  return 0;
}

}  // namespace orb
