#include "app/toolkit_text.h"

#include "text/encoding.h"

Text FromToolkitText(const char* utf8) {
  if (utf8 == nullptr || *utf8 == '\0') return Text();
  return Utf8ToAnsi(Text(utf8));
}

std::string ToToolkitText(const Text& text) {
  if (text.empty()) return std::string();
  constexpr int kUtf8CodePage = 65001;
  const Text utf8 = Utf16ToCodePage(AnsiToUtf16(text), kUtf8CodePage);
  return std::string(utf8.data(), utf8.size());
}
