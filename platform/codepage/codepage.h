#pragma once
// Stand-in for the platform's code-page conversion pair, in the style of
// MultiByteToWideChar / WideCharToMultiByte, for code pages 936, 65001 and
// the system ANSI code page (CP_ACP, which is 936 on this build).
//
// Contract (as the Windows functions have it):
// - a source length of -1 means NUL-terminated, and the terminator is
//   converted and counted too;
// - an output size of 0 only measures: the return is the number of units
//   (wide) or bytes (multi-byte) needed;
// - otherwise the return is the number written, or 0 when the output buffer
//   is too small (the call then fails cleanly) or the code page is unknown;
// - invalid input never fails a call: in UTF-8 each invalid byte becomes one
//   U+FFFD, in 936 a lead byte without a valid trail becomes U+FFFD, and a
//   character that 936 lacks becomes "?" when encoding;
// - nothing is read or written outside the buffers given.

#include <cstdint>

namespace platform {

inline constexpr unsigned kCpAcp = 0;
inline constexpr unsigned kCpGbk = 936;
inline constexpr unsigned kCpUtf8 = 65001;
inline constexpr std::uint32_t kWcCompositeCheck = 0x200;

// The code page CP_ACP stands for.
unsigned SystemAnsiCodePage();

int MultiByteToWideChar(unsigned codePage, std::uint32_t flags, const char* multiByte,
                        int multiByteLength, char16_t* wide, int wideCount);

int WideCharToMultiByte(unsigned codePage, std::uint32_t flags, const char16_t* wide,
                        int wideLength, char* multiByte, int multiByteCount,
                        const char* defaultChar, int* usedDefaultChar);

}  // namespace platform
