// The program's open editor sessions, one per title file: opening a title that is open gives
// the session that has it, and the title manager asks here before it deletes, renames or locks.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/editor/EditSession.h"
#include "core/storage/Library.h"

namespace orb {

class EditSessions : public OpenTitles {
 public:
  EditSessions(TClip& clip, Prompter* prompter) : clip_(clip), prompter_(prompter) {}

  // The session of the title file, opened now unless one has it already; created tells which.
  EditSession& Open(const std::string& path, bool* created = nullptr);
  EditSession* Find(const std::string& path) const;
  // Forgets a session whose window closed.
  void Close(const EditSession& session);
  int Count() const { return static_cast<int>(sessions_.size()); }

  bool IsOpen(const std::string& path) const override { return Find(path) != nullptr; }
  bool HasUnsavedChanges(const std::string& path) const override;
  Status SaveOpenTitle(const std::string& path) override;

 private:
  TClip& clip_;
  Prompter* prompter_;
  std::vector<std::unique_ptr<EditSession>> sessions_;
};

}  // namespace orb
