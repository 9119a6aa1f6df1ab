// SessionText: how the transfer session reads the lines of the console's shell and writes the
// times its window shows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orb {

// Whether text stands anywhere in line.
bool Contains(const std::string& line, const char* text);

// Printable ASCII only: a line with a damaged byte is not.
bool IsPrintable(const std::string& text);

// The runs of non-blanks of a line: the names a listing shows, the words of a command line.
std::vector<std::string> Fields(const std::string& line);

// The free-space field of a "df" line: the fifth run of non-blanks, empty when
// there is none or no blank follows it.
std::string FifthField(const std::string& line);

// Whole decimal numbers only; anything else, as the console's df would never
// print it, counts as no space at all.
long FreeSpace(const std::string& field);

// Seconds as MM:SS, each part its last two digits.
std::string MinutesText(std::uint64_t seconds);

}  // namespace orb
