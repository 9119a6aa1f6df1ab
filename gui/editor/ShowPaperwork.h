// The editor's show paperwork commands of the File menu: the channel list out to a CSV file,
// channel names in from one (through the preview), and the show sheet to a printer or PDF.
#pragma once

class QWidget;

namespace orb {

class EditSession;

void ExportChannelList(QWidget* parent, EditSession& session);
// True when names were written (one undo step).
bool ImportChannelNames(QWidget* parent, EditSession& session);
// The channels selected in the channel list each get a page picture.
void PrintShowSheet(QWidget* parent, EditSession& session);

}  // namespace orb
