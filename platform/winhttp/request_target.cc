#include "platform/winhttp/request_target.h"

#include "platform/winhttp/utf16_text.h"

namespace platform::winhttp {

std::string EscapeTargetBytes(std::string_view bytes) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(bytes.size());
  for (char c : bytes) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte >= 0x7F) {
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 0x0F];
    } else {
      out += c;
    }
  }
  return out;
}

std::string WireTarget(std::u16string_view target) {
  // A fragment belongs to the client; HTTP never sends it to the server.
  target = target.substr(0, target.find(u'#'));
  if (target.empty()) return "/";
  return EscapeTargetBytes(Utf16ToUtf8(target));
}

}  // namespace platform::winhttp
