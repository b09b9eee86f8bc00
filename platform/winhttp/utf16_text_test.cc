#include "platform/winhttp/utf16_text.h"

#include <gtest/gtest.h>

namespace platform::winhttp {
namespace {

TEST(Utf16Text, ToUtf8) {
  EXPECT_EQ(Utf16ToUtf8(u"a\u00e9\u4e2d\U0001F600"), "a\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80");
  // Unpaired surrogates, either half, become U+FFFD.
  EXPECT_EQ(Utf16ToUtf8(std::u16string{u'a', 0xD800, u'b'}),
            "a\xEF\xBF\xBD"
            "b");
  EXPECT_EQ(Utf16ToUtf8(std::u16string{0xDC00}), "\xEF\xBF\xBD");
  EXPECT_EQ(Utf16ToUtf8(std::u16string{0xD83D}), "\xEF\xBF\xBD");
}

TEST(Utf16Text, BytesAsUtf8ElseLatin1) {
  struct Case {
    std::string bytes;
    std::u16string expected;
  } cases[] = {
      {"plain", u"plain"},
      {"\xE4\xB8\xAD\xE6\x96\x87", u"中文"},
      {"\xF0\x9F\x98\x80", u"\U0001F600"},
      // Not UTF-8 (GBK bytes, a lone high byte, an overlong form, an encoded
      // surrogate, a cut sequence): every byte stands for itself.
      {"\xD6\xD0", u"\u00d6\u00d0"},
      {"caf\xE9", u"caf\u00e9"},
      {"\xC0\xAF", u"\u00c0\u00af"},
      {"\xED\xA0\x80", u"\u00ed\u00a0\u0080"},
      {"\xE4\xB8", u"\u00e4\u00b8"},
  };
  for (const Case& c : cases) EXPECT_EQ(BytesToUtf16(c.bytes), c.expected) << c.bytes;
}

}  // namespace
}  // namespace platform::winhttp
