#include "core/model/Status.h"

namespace orb {

const char* StatusMessage(Status status) {
  switch (status) {
    case kFailed:
      return "Failed.";
    case kCantOpenSource:
      return "Can't open source file.";
    case kReadError:
      return "Source file read error.";
    case kCantOpenDestination:
      return "Can't open destination file.";
    case kWriteError:
      return "Destination file write error.";
    case kRenameFailed:
      return "Rename failed.";
    default:
      return "";
  }
}

bool IsReportedStatus(Status status) {
  return status != kOk && status != kCancelled && status != kNothingFound;
}

}  // namespace orb
