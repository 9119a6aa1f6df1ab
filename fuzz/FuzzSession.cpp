#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/editor/AutomationViews.h"
#include "core/editor/EditSession.h"
#include "core/editor/TimelineEdits.h"
#include "core/model/DebugLog.h"
#include "fuzz/FuzzTargets.h"
#include "tests/support/ScriptedPrompter.h"

namespace orb {
namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

std::string TitlePath() {
  static const std::string path = (std::filesystem::temp_directory_path() /
                                   ("orb_fuzz_session_" + std::to_string(::getpid()) + ".orb"))
                                      .string();
  return path;
}

std::vector<std::string> AllGroups(EditSession& s) {
  ParamGroupList groups;
  s.CurrentList().ListParams(groups);
  std::vector<std::string> names;
  for (const ParamGroup& group : groups) names.push_back(group.name);
  return names;
}

// One step of the script: the high nibble picks what the user does, the low one how.
void Step(EditSession& s, ScriptedPrompter& prompter, std::uint8_t op) {
  const int arg = op & 0x0F;
  const KeyMods mods{(arg & 4) != 0, (arg & 8) != 0};
  switch (op >> 4) {
    case 0:
      s.ChangeTab(arg % kTabCount);
      break;
    case 1:
      s.SetCursor(arg * 7);
      break;
    case 2:
      s.Pane().MouseDown(20 + 20 * (arg & 3) + 40 * (arg >> 2), mods);
      break;
    case 3:
      s.Pane().MouseMove(arg * 40 - 40);
      break;
    case 4:
      s.Pane().MouseUp();
      if (s.Pane().Rename().visible) s.Pane().CommitRename(arg & 1 ? "Renamed" : "");
      break;
    case 5:
      s.Pane().Key(static_cast<ListKey>(arg % 11), mods);
      break;
    case 6:
      s.Pane().TypeChar(static_cast<char>('0' + arg * 5));
      break;
    case 7:
      if (arg & 1) {
        prompter.QueueGroups(AllGroups(s));
        s.OptionalCopy();
      } else {
        s.Copy();
      }
      break;
    case 8:
      s.Paste();
      break;
    case 9:
      if (arg & 1) {
        s.Cut();
      } else {
        s.Delete();
      }
      break;
    case 10:
      if (arg & 1) {
        s.SelectAll();
      } else {
        s.ClearSelect();
      }
      break;
    case 11:
      if (arg & 1) {
        s.RedoCommand();
      } else {
        s.UndoCommand();
      }
      break;
    case 12:
      if (arg & 1) {
        prompter.QueueGroups(AllGroups(s));
        s.Zero();
      } else {
        prompter.QueueFaderCopy(std::pair{arg >> 2, arg & 3});
        s.FaderCopy();
      }
      break;
    case 13:
      s.SetFaderGroup(arg & 7);
      if (arg & 8) {
        prompter.QueueTrim(ScriptedPrompter::TrimAnswer{arg & 3, {"x", "-" + std::to_string(arg)}});
        s.TrimFader();
      } else if (arg & 1) {
        s.SetGroup();
      } else {
        s.ResetGroup();
      }
      break;
    case 14:
      s.SetLibraryTag(arg % 3);
      prompter.QueueEntry(arg >> 2);
      if ((arg & 3) == 0) {
        s.New();
      } else if ((arg & 3) == 1) {
        s.Store();
      } else {
        s.Recall();
      }
      break;
    default:
      if (arg == 15) {  // the timeline's next view
        const int next = ViewIndexOf(s.ViewParam()) + 1;
        s.ChangeView(kAutomationViews[static_cast<std::size_t>(next) % kAutomationViews.size()]);
        break;
      }
      if (arg >= 12) {  // the timeline's commands on what is selected
        TimelineEdits edits(s);
        if (arg == 13) {
          edits.Thin();
        } else {
          edits.OffsetSelection(arg == 14 ? "-10 %" : "+2 dB");
        }
        break;
      }
      s.SetSelection(arg * 100, arg * 100 + (arg & 3) * 30);
      if (arg & 1) {
        s.InsertTime();
      } else {
        s.DeleteTime();
      }
      break;
  }
}

}  // namespace

int FuzzEditSession(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t steps = std::min<std::size_t>(data[0] & 0x3F, size - 1);
  const std::uint8_t* script = data + 1;
  {
    std::ofstream out(TitlePath(), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data + 1 + steps),
              static_cast<std::streamsize>(size - 1 - steps));
  }
  TClip clip;
  ScriptedPrompter prompter;
  EditSession session(clip, &prompter);
  session.Open(TitlePath());
  session.Pane().SetGeometry(491, 440);
  for (std::size_t i = 0; i < steps; ++i) {
    Step(session, prompter, script[i]);
    // Whatever happened, the window can be refreshed and painted.
    Check(session.Cursor() >= 0);
    Check(session.Pane().ScrollPosition() >= 0 &&
          session.Pane().ScrollPosition() <= session.Pane().ScrollMax());
    (void)session.Enabled();
    for (const ListRow& row : session.Pane().Rows()) Check(!row.entry || row.slot);
  }
  // What the edits left must save and load back to the same bytes.
  MemoryFile first;
  if (session.GetTitle().WriteChunks(first) == kOk) {
    Title again;
    MemoryFile in(first.Bytes());
    if (again.LoadChunks(in) == kOk) {
      MemoryFile second;
      Check(again.WriteChunks(second) == kOk);
      Check(second.Bytes() == first.Bytes());
    }
  }
  std::filesystem::remove(TitlePath());
  ClearLog();
  return 0;
}

}  // namespace orb
