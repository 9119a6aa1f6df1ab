// Names as the console keeps them: 8-bit text of a fixed length in the characters its display
// shows, and their conversion to and from the UTF-8 of files written elsewhere.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace orb {

// The console's display shows printable ASCII and the Latin-1 letters and signs.
constexpr bool ConsoleShows(unsigned char c) {
  return (c >= 0x20 && c <= 0x7E) || c >= 0xA0;
}

// What a character the display cannot show becomes in a name.
inline constexpr char kConsoleReplacement = '?';

// A name as the console will hold it: at most max_length characters, each one it can show.
struct ConsoleName {
  std::string text;       // 8-bit console text
  bool cut = false;       // characters were dropped from the end
  bool replaced = false;  // characters were replaced by kConsoleReplacement
};

// From 8-bit console text (the rename editor's text).
ConsoleName ConsoleNameOf(std::string_view text, std::size_t max_length);
// From UTF-8 text (a file); characters beyond Latin-1 count as ones the display cannot show.
ConsoleName ConsoleNameFromUtf8(std::string_view utf8, std::size_t max_length);

// 8-bit console text as UTF-8, byte for byte (each byte is its Latin-1 character).
std::string Utf8FromConsole(std::string_view text);
// UTF-8 text as 8-bit console text when every character is within Latin-1 and the text is
// valid UTF-8; false otherwise.
bool ConsoleFromUtf8(std::string_view utf8, std::string& text);

// The next character of UTF-8 text from position at, which moves past it; -1 at an invalid
// sequence (at moves one byte on) and at the end.
long NextUtf8(std::string_view utf8, std::size_t& at);

}  // namespace orb
