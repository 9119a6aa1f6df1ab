#include <cstdlib>
#include <string_view>

#include "core/editor/NameImport.h"
#include "core/model/ConsoleText.h"
#include "core/model/Csv.h"
#include "core/model/Q730sysf.h"
#include "fuzz/FuzzTargets.h"

namespace orb {

int FuzzChannelCsv(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const CsvTable table = ReadCsv(bytes);
  if (table.error.empty() == table.rows.empty()) std::abort();
  // What was read writes out and reads back the same.
  if (table.error.empty()) {
    std::string text;
    for (const auto& row : table.rows) text += CsvLine(row);
    const CsvTable again = ReadCsv(text);
    if (!again.error.empty() || again.rows != table.rows || again.latin1) std::abort();
  }

  TQ730SYSF system;
  NameImport names(system, bytes);
  const int columns = names.ColumnCount();
  const NameColumns chosen[] = {names.Columns(),
                                {true, -1, 0},
                                {false, 0, columns > 1 ? 1 : 0},
                                {false, columns, columns + 1}};
  for (const NameColumns& choice : chosen) {
    names.SetColumns(choice);
    names.PreviewLines();
    TQ730SYSF written;
    names.Apply(written);
    // Whatever the file holds, a changed name keeps the console's rules.
    for (const NameChange& change : names.Changes()) {
      const std::string name = written.NameText(change.channel);
      if (name != change.console_name || name.size() >= TQ730SYSF::kNameSlot) std::abort();
      for (char c : name)
        if (!ConsoleShows(static_cast<unsigned char>(c))) std::abort();
    }
  }
  return 0;
}

}  // namespace orb
