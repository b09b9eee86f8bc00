#include "platform/codepage/codepage.h"

#include <climits>
#include <cstddef>
#include <cstring>
#include <string>

#include "platform/codepage/gbk_table.h"
#include "platform/codepage/utf8_codec.h"

namespace platform {
namespace {

constexpr char16_t kReplacement = 0xFFFD;
constexpr std::uint8_t kQuestionMark = '?';

enum class Page { kGbk, kUtf8, kUnknown };

Page Resolve(unsigned codePage) {
  if (codePage == kCpAcp) codePage = SystemAnsiCodePage();
  if (codePage == kCpGbk) return gbk::GbkTable() != nullptr ? Page::kGbk : Page::kUnknown;
  if (codePage == kCpUtf8) return Page::kUtf8;
  return Page::kUnknown;
}

// Every conversion runs twice over its input with the same code: once into a
// counter to learn the size, then into the caller's buffer. That way a buffer
// that is too small is found out before anything is written to it.
template <typename Unit>
struct Counter {
  long long count = 0;
  void operator()(Unit) { ++count; }
};

template <typename Unit>
struct Writer {
  Unit* out;
  std::size_t capacity;
  std::size_t written = 0;
  void operator()(Unit unit) {
    if (written < capacity) out[written] = unit;
    ++written;
  }
};

// Code page 936: a lead byte takes the next byte with it only when that byte
// is a trail byte; otherwise the lead byte alone becomes U+FFFD and the next
// byte is read again on its own, so an ASCII byte after a broken lead byte
// survives.
template <typename Sink>
void DecodeGbk(const std::uint8_t* bytes, std::size_t length, Sink& sink) {
  const gbk::Table& table = *gbk::GbkTable();
  std::size_t i = 0;
  while (i < length) {
    const std::uint8_t byte = bytes[i];
    if (!gbk::IsLeadByte(byte)) {
      sink(table.single[byte]);
      ++i;
    } else if (i + 1 < length && gbk::IsTrailByte(bytes[i + 1])) {
      const char16_t unit = table.pair[byte - 0x81][bytes[i + 1] - 0x40];
      sink(unit != 0 ? unit : kReplacement);
      i += 2;
    } else {
      sink(kReplacement);
      ++i;
    }
  }
}

template <typename Sink>
void DecodeUtf8(const std::uint8_t* bytes, std::size_t length, Sink& sink) {
  std::size_t i = 0;
  while (i < length) {
    if (bytes[i] < 0x80) {
      sink(static_cast<char16_t>(bytes[i]));
      ++i;
      continue;
    }
    const utf8::DecodeStep step = utf8::Decode(bytes + i, length - i);
    for (int k = 0; k < step.unitCount; ++k) sink(step.units[k]);
    i += static_cast<std::size_t>(step.consumed);
  }
}

template <typename Sink>
void Decode(Page page, const std::uint8_t* bytes, std::size_t length, Sink& sink) {
  if (page == Page::kGbk) {
    DecodeGbk(bytes, length, sink);
  } else {
    DecodeUtf8(bytes, length, sink);
  }
}

// A character outside the page, a surrogate pair included, becomes one
// default byte; so does a surrogate without its partner.
template <typename Sink>
void EncodeGbk(const char16_t* units, std::size_t length, std::uint8_t defaultByte,
               bool& usedDefault, Sink& sink) {
  const gbk::Table& table = *gbk::GbkTable();
  for (std::size_t i = 0; i < length; ++i) {
    const char16_t unit = units[i];
    if (unit < 0x80) {
      sink(static_cast<std::uint8_t>(unit));
      continue;
    }
    if (utf8::IsHighSurrogate(unit) && i + 1 < length && utf8::IsLowSurrogate(units[i + 1])) ++i;
    const std::uint16_t mapped = table.fromUnicode[unit];
    if (mapped == 0) {
      sink(defaultByte);
      usedDefault = true;
    } else if (mapped < 0x100) {
      sink(static_cast<std::uint8_t>(mapped));
    } else {
      sink(static_cast<std::uint8_t>(mapped >> 8));
      sink(static_cast<std::uint8_t>(mapped & 0xFF));
    }
  }
}

// A surrogate without its partner is written as U+FFFD.
template <typename Sink>
void EncodeUtf8(const char16_t* units, std::size_t length, Sink& sink) {
  for (std::size_t i = 0; i < length;) {
    if (units[i] < 0x80) {
      sink(static_cast<std::uint8_t>(units[i]));
      ++i;
      continue;
    }
    std::uint8_t bytes[4];
    const int count = utf8::Encode(utf8::NextCodePoint(units, length, i), bytes);
    for (int k = 0; k < count; ++k) sink(bytes[k]);
  }
}

}  // namespace

unsigned SystemAnsiCodePage() { return kCpGbk; }

int MultiByteToWideChar(unsigned codePage, std::uint32_t flags, const char* multiByte,
                        int multiByteLength, char16_t* wide, int wideCount) {
  const Page page = Resolve(codePage);
  if (page == Page::kUnknown || flags != 0) return 0;
  if (multiByte == nullptr || multiByteLength == 0 || multiByteLength < -1 || wideCount < 0 ||
      (wideCount > 0 && wide == nullptr)) {
    return 0;
  }
  const std::size_t length = multiByteLength == -1 ? std::strlen(multiByte) + 1
                                                   : static_cast<std::size_t>(multiByteLength);
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(multiByte);

  Counter<char16_t> counter;
  Decode(page, bytes, length, counter);
  if (counter.count > INT_MAX) return 0;
  const int needed = static_cast<int>(counter.count);
  if (wideCount == 0) return needed;
  if (needed > wideCount) return 0;

  Writer<char16_t> writer{wide, static_cast<std::size_t>(wideCount)};
  Decode(page, bytes, length, writer);
  return needed;
}

int WideCharToMultiByte(unsigned codePage, std::uint32_t flags, const char16_t* wide,
                        int wideLength, char* multiByte, int multiByteCount,
                        const char* defaultChar, int* usedDefaultChar) {
  const Page page = Resolve(codePage);
  if (page == Page::kUnknown) return 0;
  if (page == Page::kUtf8) {
    // As on Windows: UTF-8 takes no flags and no default character, since
    // every character has a UTF-8 form.
    if (flags != 0 || defaultChar != nullptr || usedDefaultChar != nullptr) return 0;
  } else if ((flags & ~kWcCompositeCheck) != 0) {
    return 0;
  }
  if (wide == nullptr || wideLength == 0 || wideLength < -1 || multiByteCount < 0 ||
      (multiByteCount > 0 && multiByte == nullptr)) {
    return 0;
  }
  const std::size_t length = wideLength == -1 ? std::char_traits<char16_t>::length(wide) + 1
                                              : static_cast<std::size_t>(wideLength);
  // Only a one-byte default can stand in for a character; anything else (a
  // lead byte that would need a partner) is replaced by "?".
  std::uint8_t defaultByte = kQuestionMark;
  if (defaultChar != nullptr && static_cast<std::uint8_t>(defaultChar[0]) < 0x80) {
    defaultByte = static_cast<std::uint8_t>(defaultChar[0]);
  }

  bool usedDefault = false;
  Counter<std::uint8_t> counter;
  if (page == Page::kGbk) {
    EncodeGbk(wide, length, defaultByte, usedDefault, counter);
  } else {
    EncodeUtf8(wide, length, counter);
  }
  if (counter.count > INT_MAX) return 0;
  const int needed = static_cast<int>(counter.count);
  if (multiByteCount != 0) {
    if (needed > multiByteCount) return 0;
    Writer<std::uint8_t> writer{reinterpret_cast<std::uint8_t*>(multiByte),
                                static_cast<std::size_t>(multiByteCount)};
    if (page == Page::kGbk) {
      EncodeGbk(wide, length, defaultByte, usedDefault, writer);
    } else {
      EncodeUtf8(wide, length, writer);
    }
  }
  if (usedDefaultChar != nullptr) *usedDefaultChar = usedDefault ? 1 : 0;
  return needed;
}

}  // namespace platform
