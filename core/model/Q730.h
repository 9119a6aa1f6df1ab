// Timecode, sample-rate and value formatting helpers for ORB-Q730 titles.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace orb {

// Packed timecode: byte 0 frames, byte 1 seconds, byte 2 minutes, byte 3 hours.
// In memory each byte holds the plain value; files store the bytes as BCD.
using TimeCode = std::uint32_t;

// Low byte: frames per second; kDropFrame marks drop-frame counting.
using FrameRate = std::uint16_t;
inline constexpr FrameRate kDropFrame = 0x100;

// Fields are truncated to 8 bits.
// Inline, like the BCD conversions below: the automation loops run them per event.
inline TimeCode MakeTC(int hours, int minutes, int seconds, int frames) {
  return (static_cast<TimeCode>(hours & 0xFF) << 24) |
         (static_cast<TimeCode>(minutes & 0xFF) << 16) |
         (static_cast<TimeCode>(seconds & 0xFF) << 8) | static_cast<TimeCode>(frames & 0xFF);
}
inline int TCHours(TimeCode tc) {
  return static_cast<int>((tc >> 24) & 0xFF);
}
inline int TCMinutes(TimeCode tc) {
  return static_cast<int>((tc >> 16) & 0xFF);
}
inline int TCSeconds(TimeCode tc) {
  return static_cast<int>((tc >> 8) & 0xFF);
}
inline int TCFrames(TimeCode tc) {
  return static_cast<int>(tc & 0xFF);
}

// Rate for a title's timecode mode; unknown modes run at 30 without drop-frame.
FrameRate FrameRateOfMode(int tcMode);

namespace detail {
// Each timecode byte and its value, one to one, so that whatever the console wrote is written
// back as it was. A byte of two decimal digits is their number, 0 to 99; the 156 bytes with a
// digit above 9 take the values 100 to 255 in their order.
struct BcdTables {
  std::array<std::uint8_t, 256> to_value{};
  std::array<std::uint8_t, 256> to_byte{};
};
constexpr BcdTables MakeBcdTables() {
  BcdTables tables;
  unsigned next = 100;
  for (unsigned b = 0; b < 256; ++b) {
    const unsigned high = b >> 4, low = b & 0x0F;
    const unsigned value = high <= 9 && low <= 9 ? high * 10 + low : next++;
    tables.to_value[b] = static_cast<std::uint8_t>(value);
    tables.to_byte[value] = static_cast<std::uint8_t>(b);
  }
  return tables;
}
inline constexpr BcdTables kBcdTables = MakeBcdTables();

inline std::uint32_t MapBytes(std::uint32_t word, const std::array<std::uint8_t, 256>& table) {
  return static_cast<std::uint32_t>(table[word & 0xFF]) | table[(word >> 8) & 0xFF] << 8 |
         table[(word >> 16) & 0xFF] << 16 | static_cast<std::uint32_t>(table[word >> 24]) << 24;
}
}  // namespace detail

// Inline and by table: loading and saving an automation stream convert every marker.
inline std::uint32_t ToBCD(std::uint32_t tc) {
  return detail::MapBytes(tc, detail::kBcdTables.to_byte);
}
inline std::uint32_t FromBCD(std::uint32_t tc) {
  return detail::MapBytes(tc, detail::kBcdTables.to_value);
}

// Carries overflowing fields upwards and moves labels skipped by drop-frame
// counting to the nearest valid one in the direction of travel.
TimeCode NormalizeTC(TimeCode tc, FrameRate rate, bool backward);
TimeCode NextFrame(TimeCode tc, FrameRate rate);
TimeCode PrevFrame(TimeCode tc, FrameRate rate);

// Nominal seconds (drop-frame is ignored); -1 when the minutes byte is 255.
double TCToSeconds(TimeCode tc, FrameRate rate);
// Clamps to one day and rounds to the nearest frame.
TimeCode SecondsToTC(double seconds, FrameRate rate);

std::string FormatTC(TimeCode tc);        // "hh:mm:ss:ff"
std::string FormatTCDigits(TimeCode tc);  // "hhmmssff"
// Reads "hhmmssff"; a missing or non-numeric pair counts as 0.
TimeCode ParseTCDigits(std::string_view text, FrameRate rate);
// "hh:mm:ss:00"; negative durations show as zero.
std::string FormatSeconds(long seconds);

std::string TCModeName(int mode);
std::string SampleRateName(int mode);
int SampleRateHz(int mode);

// The last `width` characters of "0000000" followed by n, so wider numbers
// keep only their low digits.
std::string ZeroPad(long n, int width);
// Every '@' in text replaced by replacement.
std::string ReplaceAt(std::string_view text, std::string_view replacement);
// Two upper-case hex digits per byte, no separators.
std::string HexBytes(const std::uint8_t* bytes, std::size_t n);

// A value that is not >= low (NaN included) becomes low.
int ClampInt(int value, int low, int high);
double ClampDouble(double value, double low, double high);
// Swaps when b < a.
void OrderPair(int& a, int& b);
void OrderPair(double& a, double& b);

bool IsLevelParam(int id);

}  // namespace orb
