#pragma once

#include <cstddef>
#include <cstdint>

// Fuzz entry points. Each takes arbitrary bytes and must neither crash, hang,
// read out of bounds nor allocate without bound. The libFuzzer programs call
// them, and the test suite replays every input that once failed.
namespace orb {

// Reads the bytes as a sequence of chunks with every chunk loader, then writes
// what was loaded back and loads that again.
int FuzzChunkLoaders(const std::uint8_t* data, std::size_t size);

// Feeds the bytes as received serial data to ReadLine, FrameLength,
// ZdleUnescape and the ZMODEM receive procedure.
int FuzzSerialParsers(const std::uint8_t* data, std::size_t size);

// Loads the bytes as a title file; a title that loads must save and load back
// to the same bytes.
int FuzzTitleLoader(const std::uint8_t* data, std::size_t size);

// Loads the bytes as a title and runs the editing operations that have fast paths (snapshot
// copy and paste, link passes, Zero, automation selection, writing and deleting) both ways:
// the fast and the plain way must leave the same bytes.
int FuzzTitleEdits(const std::uint8_t* data, std::size_t size);

// The first byte counts the script bytes that follow (at most 63), the rest is a title file:
// the title is opened in an editor session and each script byte is one thing a user does
// (tabs, clicks, keys, every command with its dialogs answered). Nothing may break the window's
// state, and the edited title must save and load back to the same bytes.
int FuzzEditSession(const std::uint8_t* data, std::size_t size);

// Loads the bytes as a title and builds what the windows show of it: the parameter pages of
// every channel and library entry, and the automation timeline at every view and at zooms and
// scroll positions from the whole day to single frames.
int FuzzScenes(const std::uint8_t* data, std::size_t size);

// Splits the bytes into the data files of a one- or two-disk set and imports
// it into a library: the library afterwards holds either what it held before
// or, in addition, one complete title that loads.
int FuzzFolderImport(const std::uint8_t* data, std::size_t size);

// Reads the bytes as the settings file: every value must read back, and a
// value written must read back as written (line breaks become blanks).
int FuzzSettingsFile(const std::uint8_t* data, std::size_t size);

// The first four bytes choose a parameter, its highest value and the value texts' context; the
// rest is read as a typed value text. A reading is a value within range or a reason, and the
// text of what it read reads back to itself.
int FuzzValueTexts(const std::uint8_t* data, std::size_t size);

}  // namespace orb
