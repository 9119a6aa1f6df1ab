#include "core/editor/Sessions.h"

#include <algorithm>

namespace orb {

EditSession* EditSessions::Find(const std::string& path) const {
  // A session's path changes with Save As, so it is asked each time.
  for (const auto& session : sessions_) {
    if (SameTitleFile(session->GetTitle().Path(), path)) return session.get();
  }
  return nullptr;
}

bool EditSessions::HasUnsavedChanges(const std::string& path) const {
  const EditSession* open = Find(path);
  return open && open->Modified();
}

Status EditSessions::SaveOpenTitle(const std::string& path) {
  EditSession* open = Find(path);
  return open ? open->Save() : kOk;
}

EditSession& EditSessions::Open(const std::string& path, bool* created) {
  if (EditSession* open = Find(path)) {
    if (created) *created = false;
    return *open;
  }
  if (created) *created = true;
  auto session = std::make_unique<EditSession>(clip_, prompter_);
  session->SetOpenTitles(this);
  session->Open(path);
  sessions_.push_back(std::move(session));
  return *sessions_.back();
}

void EditSessions::Close(const EditSession& session) {
  std::erase_if(sessions_, [&](const auto& held) { return held.get() == &session; });
}

}  // namespace orb
