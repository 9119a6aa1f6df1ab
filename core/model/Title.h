// One title: its six data objects, loaded from and saved to one title file.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "core/model/DataFile.h"
#include "core/model/Prompter.h"
#include "core/model/Q730auto.h"
#include "core/model/Q730classes.h"
#include "core/model/Q730lib.h"
#include "core/model/Q730snap.h"
#include "core/model/Q730sysf.h"
#include "core/model/Status.h"
#include "core/model/TitleInfoView.h"

namespace orb {

// The six data objects of a title, as the title and each step of the undo
// ring hold them.
struct TitleLists {
  static constexpr int kCount = 6;

  std::unique_ptr<TQ730SYSF> system;
  std::unique_ptr<TQ730SNAP> snapshots;
  std::unique_ptr<TQ730CUE> cues;
  std::unique_ptr<TQ730DYLIB> dynamics;
  std::unique_ptr<TQ730EQLIB> eq;
  std::unique_ptr<TQ730AUTO> automation;

  bool Complete() const { return system && snapshots && cues && dynamics && eq && automation; }
  // List n in title order; null while empty.
  TQ730* List(int n) const;
  // Every list's system pointer set to this set's own system object.
  void PointAtOwnSystem();
};

class Title {
 public:
  // The automation stream that still fits auto.dat (1048574 bytes).
  static constexpr std::uint32_t kMaxAutomationWords = TQ730AUTO::kMaxStreamWords;
  static constexpr int kListCount = TitleLists::kCount;

  Title();
  Title(const Title&) = delete;
  Title& operator=(const Title&) = delete;

  // Creates the six objects anew and loads them from the file; what loaded
  // before a failing chunk stays loaded.
  Status OpenTitle(const std::string& path);
  // Loads the chunks from the current position of any file.
  Status LoadChunks(DataFile& file);

  // Writes every object back to the title's file. The new file is complete
  // and flushed before it replaces the old one.
  Status SaveTitle(Prompter* prompter);
  // Saves under another path, which becomes the title's path; the title name
  // inside follows the new file name.
  Status SaveTitleAs(const std::string& path, Prompter* prompter);
  // The six chunks and gfed.dat in title-file order.
  Status WriteChunks(DataFile& file);

  // List n in the fixed order: 0 system, 1 snapshots, 2 cues, 3 dynamics
  // library, 4 EQ library, 5 automation.
  TQ730* List(int n) { return lists_.List(n); }
  TQ730SYSF& System() { return *lists_.system; }
  TQ730SNAP& Snapshots() { return *lists_.snapshots; }
  TQ730CUE& Cues() { return *lists_.cues; }
  TQ730DYLIB& Dynamics() { return *lists_.dynamics; }
  TQ730EQLIB& Eq() { return *lists_.eq; }
  TQ730AUTO& Automation() { return *lists_.automation; }
  const TQ730SYSF& System() const { return *lists_.system; }
  const TQ730SNAP& Snapshots() const { return *lists_.snapshots; }
  const TQ730CUE& Cues() const { return *lists_.cues; }
  const TQ730DYLIB& Dynamics() const { return *lists_.dynamics; }
  const TQ730EQLIB& Eq() const { return *lists_.eq; }
  const TQ730AUTO& Automation() const { return *lists_.automation; }

  const std::string& Path() const { return path_; }
  bool Modified() const { return modified_; }
  void SetModified(bool on) { modified_ = on; }

  // The size in KB the title information records: all data sizes, without
  // chunk headers and gfed.dat.
  std::uint16_t SizeInKB() const;
  // The same for an automation stream of the given word count.
  std::uint16_t SizeInKB(std::uint32_t automation_words) const;

  // Swaps the six objects with those of a complete set (an incomplete one changes nothing);
  // each side's lists then point at their own system object. Pointers to the lists taken
  // before now address the other set.
  void ExchangeLists(TitleLists& lists);

 private:
  void CreateObjects();

  std::string path_;
  bool modified_ = false;
  TitleLists lists_;
};

// The file name without folder and without the ".orb" extension (found
// case-insensitively); empty when the name holds no ".orb".
std::string TitleNameOf(const std::string& path);

// Reads the 128 bytes of title information without loading the title.
Status ReadTitleInfo(const std::string& path, TitleInfo& info);

// Why the chunks of a title file do not make a title: one missing, out of its place, or
// running past the end of the file. Empty when they all fit.
std::string TitleDamage(const std::string& path);

// Writes the title name (from the file name) and, when lock >= 0, the lock
// flag into the file's title information and renews the system checksum.
Status StampTitle(const std::string& path, int lock, Prompter* prompter = nullptr);

// Local date and time as seconds since 1970-01-01 00:00 counted in local time.
std::uint32_t LocalSecondsNow();

// What the title manager shows of a title.
struct TitleInfoTexts {
  std::string name;
  std::string size;         // "123KB"
  std::string date;         // the locale's short date
  std::string initial_cue;  // hh:mm:ss:ff
  std::string tc_mode;
  std::string fs;
  std::string memo;
  bool locked = false;
};
TitleInfoTexts DescribeTitle(const TitleInfo& info);

}  // namespace orb
