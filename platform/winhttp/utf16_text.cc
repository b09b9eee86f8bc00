#include "platform/winhttp/utf16_text.h"

#include <cstdint>

namespace platform::winhttp {
namespace {

void AppendUtf8(std::string& out, std::uint32_t codePoint) {
  if (codePoint < 0x80) {
    out += static_cast<char>(codePoint);
  } else if (codePoint < 0x800) {
    out += static_cast<char>(0xC0 | (codePoint >> 6));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else if (codePoint < 0x10000) {
    out += static_cast<char>(0xE0 | (codePoint >> 12));
    out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (codePoint >> 18));
    out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  }
}

void AppendUtf16(std::u16string& out, std::uint32_t codePoint) {
  if (codePoint < 0x10000) {
    out += static_cast<char16_t>(codePoint);
  } else {
    codePoint -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (codePoint >> 10));
    out += static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF));
  }
}

// Decodes one UTF-8 sequence at `pos`; returns its length, 0 when invalid
// (overlong forms, surrogates and values above U+10FFFF included).
std::size_t DecodeUtf8(std::string_view bytes, std::size_t pos, std::uint32_t& codePoint) {
  auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
  unsigned char lead = byte(pos);
  std::size_t length;
  std::uint32_t minimum;
  if (lead < 0x80) {
    codePoint = lead;
    return 1;
  } else if ((lead & 0xE0) == 0xC0) {
    length = 2;
    minimum = 0x80;
    codePoint = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3;
    minimum = 0x800;
    codePoint = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4;
    minimum = 0x10000;
    codePoint = lead & 0x07;
  } else {
    return 0;
  }
  if (bytes.size() - pos < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(pos + i) & 0xC0) != 0x80) return 0;
    codePoint = (codePoint << 6) | (byte(pos + i) & 0x3F);
  }
  if (codePoint < minimum || codePoint > 0x10FFFF) return 0;
  if (codePoint >= 0xD800 && codePoint <= 0xDFFF) return 0;
  return length;
}

}  // namespace

std::u16string_view NulTerminatedView(const char16_t* text) {
  if (text == nullptr) return {};
  return std::u16string_view(text);
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    std::uint32_t unit = text[i];
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00));
      ++i;
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      AppendUtf8(out, 0xFFFD);
    } else {
      AppendUtf8(out, unit);
    }
  }
  return out;
}

bool IsValidUtf8(std::string_view bytes) {
  std::uint32_t codePoint = 0;
  for (std::size_t pos = 0; pos < bytes.size();) {
    std::size_t length = DecodeUtf8(bytes, pos, codePoint);
    if (length == 0) return false;
    pos += length;
  }
  return true;
}

std::u16string BytesToUtf16(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  if (!IsValidUtf8(bytes)) {
    for (char c : bytes) out += static_cast<char16_t>(static_cast<unsigned char>(c));
    return out;
  }
  std::uint32_t codePoint = 0;
  for (std::size_t pos = 0; pos < bytes.size();) {
    pos += DecodeUtf8(bytes, pos, codePoint);
    AppendUtf16(out, codePoint);
  }
  return out;
}

}  // namespace platform::winhttp
