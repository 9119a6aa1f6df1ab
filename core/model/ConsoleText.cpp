#include "core/model/ConsoleText.h"

namespace orb {

ConsoleName ConsoleNameOf(std::string_view text, std::size_t max_length) {
  ConsoleName name;
  name.cut = text.size() > max_length;
  for (char c : text.substr(0, max_length)) {
    const bool shows = ConsoleShows(static_cast<unsigned char>(c));
    name.replaced |= !shows;
    name.text += shows ? c : kConsoleReplacement;
  }
  return name;
}

ConsoleName ConsoleNameFromUtf8(std::string_view utf8, std::size_t max_length) {
  std::string text;
  for (std::size_t at = 0; at < utf8.size();) {
    const long c = NextUtf8(utf8, at);
    // 0x01 shows nowhere, so it is replaced like any other such character.
    text += c >= 0 && c <= 0xFF ? static_cast<char>(c) : '\x01';
  }
  return ConsoleNameOf(text, max_length);
}

std::string Utf8FromConsole(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      out += c;
    } else {
      out += static_cast<char>(0xC0 | (byte >> 6));
      out += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  return out;
}

bool ConsoleFromUtf8(std::string_view utf8, std::string& text) {
  text.clear();
  for (std::size_t at = 0; at < utf8.size();) {
    const long c = NextUtf8(utf8, at);
    if (c < 0 || c > 0xFF) return false;
    text += static_cast<char>(c);
  }
  return true;
}

long NextUtf8(std::string_view utf8, std::size_t& at) {
  if (at >= utf8.size()) return -1;
  const auto lead = static_cast<unsigned char>(utf8[at++]);
  if (lead < 0x80) return lead;
  int more = 0;
  long c = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    more = 1, c = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    more = 2, c = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    more = 3, c = lead & 0x07;
  } else {
    return -1;
  }
  if (utf8.size() - at < static_cast<std::size_t>(more)) return -1;
  for (int i = 0; i < more; ++i) {
    const auto next = static_cast<unsigned char>(utf8[at + i]);
    if ((next & 0xC0) != 0x80) return -1;
    c = (c << 6) | (next & 0x3F);
  }
  // Overlong forms, surrogates and values past U+10FFFF are no characters.
  static constexpr long kSmallest[] = {0, 0x80, 0x800, 0x10000};
  if (c < kSmallest[more] || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) return -1;
  at += more;
  return c;
}

}  // namespace orb
