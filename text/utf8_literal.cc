#include "text/utf8_literal.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>

#include "platform/codepage/codepage.h"

namespace {

// UTF-8 to UTF-16 to code page 936. A NUL in the literal ends it, since Text
// holds none.
Text Convert(std::string_view utf8) {
  utf8 = utf8.substr(0, utf8.find('\0'));
  if (utf8.empty() || utf8.size() > static_cast<std::size_t>(INT32_MAX / 2)) return Text();
  const int byteCount = static_cast<int>(utf8.size());
  const int unitCount =
      platform::MultiByteToWideChar(platform::kCpUtf8, 0, utf8.data(), byteCount, nullptr, 0);
  if (unitCount <= 0) return Text();
  std::u16string wide(static_cast<std::size_t>(unitCount), u'\0');
  if (platform::MultiByteToWideChar(platform::kCpUtf8, 0, utf8.data(), byteCount, wide.data(),
                                    unitCount) != unitCount) {
    return Text();
  }
  const int size = platform::WideCharToMultiByte(platform::kCpGbk, 0, wide.data(), unitCount,
                                                 nullptr, 0, nullptr, nullptr);
  if (size <= 0) return Text();
  Text text(static_cast<std::size_t>(size), '\0');
  if (platform::WideCharToMultiByte(platform::kCpGbk, 0, wide.data(), unitCount, text.data(), size,
                                    nullptr, nullptr) != size) {
    return Text();
  }
  return text;
}

// Labels and markers are converted again and again from the same few
// literals, so each thread keeps the results it has made. The cache is keyed
// by content (a pointer could be reused for another string) and is emptied
// when it grows past a bound, so text built at run time cannot make it grow
// without limit.
constexpr std::size_t kCacheLimit = 512;
constexpr std::size_t kLongestCached = 256;

struct ContentHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view text) const {
    return std::hash<std::string_view>{}(text);
  }
};

}  // namespace

Text Utf8Literal(std::string_view utf8) {
  if (utf8.size() > kLongestCached) return Convert(utf8);
  thread_local std::unordered_map<std::string, Text, ContentHash, std::equal_to<>> cache;
  const auto found = cache.find(utf8);
  if (found != cache.end()) return found->second;
  if (cache.size() >= kCacheLimit) cache.clear();
  Text text = Convert(utf8);
  cache.emplace(std::string(utf8), text);
  return text;
}
