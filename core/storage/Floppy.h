// Floppy disk sets: a title as the console's separate data files in a folder,
// on one disk, or on two with next.dat and prev.dat, which hold the title's
// save date as the set identity.
#pragma once

#include <cstdint>
#include <string>

#include "core/model/DataFile.h"
#include "core/model/Prompter.h"
#include "core/model/Status.h"

namespace orb {

// A title file larger than this (1400 KB) needs two disks.
inline constexpr std::uint64_t kSingleDiskLimit = 1433600;

// Writes the body of the chunk at the title file's position to destination
// when the chunk carries the destination's file name. A chunk of another name
// is left in place and nothing is written (kOk; copied, when given, is false).
Status ExtractChunk(DataFile& title, const std::string& destination, Prompter* prompter = nullptr,
                    bool* copied = nullptr);

// Appends the source file as a chunk named chunk_name, or after its file name.
Status AppendFile(DataFile& title, const std::string& source, const std::string& chunk_name = "");

// Writes the title as a disk set into folder: two disks when the file is
// larger than kSingleDiskLimit and single is false. The second disk's files go
// into second_folder, or, when that is empty, into folder again after the user
// changed the disk.
Status ExportTitle(const std::string& title_path, const std::string& folder, bool single,
                   Prompter* prompter, const std::string& second_folder = "");

// Builds a new title file in library_folder from the disk set in
// source_folder, asking for its name. With open_dialog the user may point at
// the second disk's files through the prompter's file dialog. Only a complete
// title that loads reaches the library: a failed or cancelled import leaves it
// as it was. new_path receives the title's path on success; detail, when a data file could not
// be opened, which one, in which folder and why.
Status ImportTitle(const std::string& source_folder, const std::string& library_folder,
                   Prompter* prompter, bool open_dialog, std::string* new_path,
                   std::string* detail = nullptr);

}  // namespace orb
