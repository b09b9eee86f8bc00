#include "platform/winhttp/utf16_text.h"

#include <cstdint>

#include "platform/codepage/utf8_codec.h"

namespace platform::winhttp {
namespace {

const std::uint8_t* AsBytes(std::string_view bytes) {
  return reinterpret_cast<const std::uint8_t*>(bytes.data());
}

// The codec turns a byte that starts no well-formed sequence into a one-byte
// U+FFFD; a real U+FFFD in the input takes three bytes.
bool IsInvalidStep(const utf8::DecodeStep& step, std::uint8_t first) {
  return first >= 0x80 && step.consumed == 1;
}

bool IsValidUtf8(std::string_view bytes) {
  for (std::size_t pos = 0; pos < bytes.size();) {
    const utf8::DecodeStep step = utf8::Decode(AsBytes(bytes) + pos, bytes.size() - pos);
    if (IsInvalidStep(step, AsBytes(bytes)[pos])) return false;
    pos += static_cast<std::size_t>(step.consumed);
  }
  return true;
}

}  // namespace

std::u16string_view NulTerminatedView(const char16_t* text) {
  if (text == nullptr) return {};
  return std::u16string_view(text);
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    std::uint8_t encoded[4];
    const int length = utf8::Encode(utf8::NextCodePoint(text.data(), text.size(), i), encoded);
    out.append(reinterpret_cast<const char*>(encoded), static_cast<std::size_t>(length));
  }
  return out;
}

std::u16string BytesToUtf16(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  if (!IsValidUtf8(bytes)) {
    for (char c : bytes) out += static_cast<char16_t>(static_cast<unsigned char>(c));
    return out;
  }
  for (std::size_t pos = 0; pos < bytes.size();) {
    const utf8::DecodeStep step = utf8::Decode(AsBytes(bytes) + pos, bytes.size() - pos);
    out.append(step.units, static_cast<std::size_t>(step.unitCount));
    pos += static_cast<std::size_t>(step.consumed);
  }
  return out;
}

}  // namespace platform::winhttp
