// orbtool's show paperwork: the channel list (out as CSV or a table, names in from a file), the
// show sheet as PDF and the automation events as a table.
#pragma once

#include <string>
#include <vector>

namespace orb {
class Title;
}

namespace orb::tool {

// Runs "channels", "sheet" or "automation" with the arguments after orbtool's name; -1 when the
// command is none of them, 2 for a usage error, else the command's exit code.
int RunPaperworkCommand(const std::vector<std::string>& args);

// Writes the sheet of the title as PDF (A4, or Letter); 0, or 1 with the reason printed.
int WriteSheetPdfFile(const Title& title, const std::vector<int>& pictures,
                      const std::string& pdf_path, bool letter);

}  // namespace orb::tool
