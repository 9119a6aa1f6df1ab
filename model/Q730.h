// Timecode, sample-rate and value formatting helpers for ORB-Q730 titles.
#pragma once

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
TimeCode MakeTC(int hours, int minutes, int seconds, int frames);
int TCHours(TimeCode tc);
int TCMinutes(TimeCode tc);
int TCSeconds(TimeCode tc);
int TCFrames(TimeCode tc);

// Rate for a title's timecode mode; unknown modes run at 30 without drop-frame.
FrameRate FrameRateOfMode(int tcMode);

std::uint32_t ToBCD(std::uint32_t tc);
std::uint32_t FromBCD(std::uint32_t tc);

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
