#include "platform/automation/stream_charset.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/codepage/codepage.h"

namespace platform::com {
namespace {

struct ResolveCase {
  std::u16string name;
  CharsetKind kind;
  unsigned codePage;
  std::string icuName;
};

TEST(ResolveCharsetTest, NamesMapIgnoringCase) {
  const ResolveCase cases[] = {
      {u"UTF-8", CharsetKind::kCodePage, kCpUtf8, ""},
      {u"GB2312", CharsetKind::kCodePage, kCpGbk, ""},
      {u"X-GBK", CharsetKind::kCodePage, kCpGbk, ""},
      {u"Unicode", CharsetKind::kUtf16Detect, 0, ""},
      {u"UTF-16LE", CharsetKind::kUtf16Le, 0, ""},
      {u"unicodeFFFE", CharsetKind::kUtf16Be, 0, ""},
      {u"Big5", CharsetKind::kIcu, 0, "windows-950-2000"},
      {u"KOI8-R", CharsetKind::kIcu, 0, "koi8-r"},
      // Unknown, empty, or not a plain name: the system ANSI code page.
      {u"x-no-such-charset", CharsetKind::kCodePage, kCpGbk, ""},
      {u"", CharsetKind::kCodePage, kCpGbk, ""},
      {u"ISO_2022,locale=ja", CharsetKind::kCodePage, kCpGbk, ""},
      {u"utf-8 ", CharsetKind::kCodePage, kCpGbk, ""},
  };
  for (const ResolveCase& c : cases) {
    SCOPED_TRACE(std::string(c.name.begin(), c.name.end()));
    const Charset charset = ResolveCharset(c.name);
    EXPECT_EQ(charset.kind, c.kind);
    if (c.kind == CharsetKind::kCodePage) {
      EXPECT_EQ(charset.codePage, c.codePage);
    }
    if (c.kind == CharsetKind::kIcu) {
      EXPECT_EQ(charset.icuName, c.icuName);
    }
  }
}

// Large bodies go to the platform conversion in pieces; a piece must never
// end inside a character.
TEST(DecodeCodePageInPiecesTest, PiecesEndBetweenCharacters) {
  const std::string utf8 = "\xE4\xB8\xAD, \xE6\x96\x87, \xE5\x8D\x8E\x41\x42, ";
  const std::string gbk = "\xD6\xD0, \xCE\xC4, \x81\x41\x81\x61, ";
  const std::pair<unsigned, std::string> inputs[] = {{kCpUtf8, utf8}, {kCpGbk, gbk}};
  for (const auto& [codePage, unit] : inputs) {
    std::string text;
    for (int i = 0; i < 20; ++i) text += unit;
    const std::vector<std::uint8_t> bytes(text.begin(), text.end());
    const std::u16string whole = DecodeCodePageInPieces(codePage, bytes, bytes.size());
    ASSERT_EQ(whole.find(u'\uFFFD'), std::u16string::npos);
    for (std::size_t piece = 8; piece <= 70; ++piece) {
      EXPECT_EQ(DecodeCodePageInPieces(codePage, bytes, piece), whole)
          << "code page " << codePage << ", pieces of " << piece;
    }
  }
}

}  // namespace
}  // namespace platform::com
