#pragma once
// The few code-page-936 characters the text core itself has to recognise,
// written once as byte constants so that the core does not depend on the
// code-page conversion being available.

#include <string_view>

namespace gbk {

// A full-width space, U+3000 "　": a blank for trimming and space removal.
inline constexpr unsigned char kFullWidthSpaceLead = 0xA1;
inline constexpr unsigned char kFullWidthSpaceTrail = 0xA1;
inline constexpr std::string_view kFullWidthSpace = "\xA1\xA1";

// Date separators read by TextToDate.
inline constexpr std::string_view kYear = "\xC4\xEA";    // 年
inline constexpr std::string_view kMonth = "\xD4\xC2";   // 月
inline constexpr std::string_view kDay = "\xC8\xD5";     // 日
inline constexpr std::string_view kHour = "\xCA\xB1";    // 时
inline constexpr std::string_view kMinute = "\xB7\xD6";  // 分
inline constexpr std::string_view kSecond = "\xC3\xEB";  // 秒

// "#引号": in a TextBetween marker it stands for one double quote.
inline constexpr std::string_view kQuoteMarker = "#\xD2\xFD\xBA\xC5";

}  // namespace gbk
