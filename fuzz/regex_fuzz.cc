// Feeds arbitrary patterns, subjects and charset names through RegexObject,
// KeepNonAscii and the "Adodb.Stream" decoder. Input: one flag byte, then the
// pattern, a NUL byte, and the subject (the charset name is the pattern).

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "text/automation_calls.h"
#include "text/keep_non_ascii.h"
#include "text/regex_object.h"

namespace {

Text TextOf(const std::uint8_t* data, std::size_t size) {
  Text text(reinterpret_cast<const char*>(data), size);
  text.erase(std::remove(text.begin(), text.end(), '\0'), text.end());
  return text;
}

void DecodeThroughStream(const std::uint8_t* data, std::size_t size, const Text& charset) {
  AutomationObject stream;
  if (!CreateAutomationObject(stream, "Adodb.Stream")) return;
  AutomationVariant body;
  SetVariant(body, Bytes(data, data + size));
  WriteProperty(stream, "Type", std::int32_t{1});
  CallMethod(stream, "Open");
  CallMethod(stream, "Write", {body});
  WriteProperty(stream, "Position", std::int32_t{0});
  WriteProperty(stream, "Type", std::int32_t{2});
  WriteProperty(stream, "Charset", charset);
  const Text decoded = CallTextMethod(stream, "ReadText");
  if (decoded.find('\0') != Text::npos) __builtin_trap();
  CallMethod(stream, "Close");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t flags = data[0];
  ++data;
  --size;
  const auto* separator = static_cast<const std::uint8_t*>(std::memchr(data, 0, size));
  const std::size_t patternSize =
      separator != nullptr ? static_cast<std::size_t>(separator - data) : size;
  const Text pattern = TextOf(data, std::min<std::size_t>(patternSize, 256));
  const std::uint8_t* subjectData = data + std::min(patternSize + 1, size);
  const std::size_t subjectSize = size - std::min(patternSize + 1, size);
  const Text subject = TextOf(subjectData, subjectSize);

  {
    RegexObject regex;
    regex.Search(pattern, subject, flags & 1, flags & 2, flags & 4, flags & 8);
    const int count = std::min(regex.MatchCount(), 32);
    for (int i = 0; i <= count + 1; ++i) {
      regex.MatchText(i);
      regex.SubMatchText(i, 1);
      regex.SubMatchText(i, 2);
    }
    regex.SubMatchCount();
    regex.GetPattern();
    regex.ReplaceMatches("<$1$2$&$`$'$$$99>");
  }
  KeepNonAscii(subject, flags & 16);

  CoInitialize();
  DecodeThroughStream(subjectData, subjectSize, pattern);
  CoUninitialize();
  return 0;
}
