#include "text/encoding.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

Bytes B(std::initializer_list<std::uint8_t> bytes) { return Bytes(bytes); }

// Bytes as a plain vector, so that failure messages print them.
std::vector<int> Show(const Bytes& bytes) { return std::vector<int>(bytes.begin(), bytes.end()); }
std::vector<int> Show(const Text& text) {
  std::vector<int> bytes;
  for (char c : text) bytes.push_back(static_cast<unsigned char>(c));
  return bytes;
}

// Each parameterised case is named by its `name` field.
constexpr auto CaseName = [](const auto& info) { return std::string(info.param.name); };

struct ToUtf16Case {
  const char* name;
  Text text;
  bool dropTerminator;
  Bytes wide;
};

class AnsiToUtf16Test : public testing::TestWithParam<ToUtf16Case> {};

TEST_P(AnsiToUtf16Test, GivesUtf16Le) {
  const ToUtf16Case& c = GetParam();
  EXPECT_EQ(Show(AnsiToUtf16(c.text, c.dropTerminator)), Show(c.wide));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AnsiToUtf16Test,
    testing::Values(ToUtf16Case{"Empty", "", false, {}}, ToUtf16Case{"EmptyDropped", "", true, {}},
                    ToUtf16Case{"A", "A", false, B({0x41, 0, 0, 0})},
                    ToUtf16Case{"ADropped", "A", true, B({0x41, 0})},
                    ToUtf16Case{"Zhong", "\xD6\xD0", false, B({0x2D, 0x4E, 0, 0})},
                    ToUtf16Case{"Euro", "\x80", true, B({0xAC, 0x20})},
                    ToUtf16Case{"BrokenLeadKeepsBlank", "\x81 ", true, B({0xFD, 0xFF, 0x20, 0})},
                    ToUtf16Case{"LeadAtEnd", "a\xD6", false, B({0x61, 0, 0xFD, 0xFF, 0, 0})}),
    CaseName);

struct FromUtf16Case {
  const char* name;
  Bytes wide;
  Text text;
};

class Utf16ToAnsiTest : public testing::TestWithParam<FromUtf16Case> {};

TEST_P(Utf16ToAnsiTest, GivesText) {
  const FromUtf16Case& c = GetParam();
  EXPECT_EQ(Show(Utf16ToAnsi(c.wide)), Show(c.text));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Utf16ToAnsiTest,
    testing::Values(FromUtf16Case{"Plain", B({0x41, 0, 0x42, 0}), "AB"},
                    FromUtf16Case{"Terminated", B({0x41, 0, 0x42, 0, 0, 0}), "AB"},
                    FromUtf16Case{"StopsAtNulUnit", B({0x41, 0, 0, 0, 0x42, 0}), "A"},
                    FromUtf16Case{"NulFirst", B({0, 0, 0x42, 0}), ""},
                    FromUtf16Case{"OddLength", B({0x41, 0, 0x42}), "A"},
                    FromUtf16Case{"OneByte", B({0x41}), ""}, FromUtf16Case{"Empty", {}, ""},
                    FromUtf16Case{"Zhong", B({0x2D, 0x4E}), "\xD6\xD0"},
                    FromUtf16Case{"Euro", B({0xAC, 0x20}), "\x80"},
                    FromUtf16Case{"Emoji", B({0x3D, 0xD8, 0x00, 0xDE, 0x41, 0}), "?A"},
                    FromUtf16Case{"LoneSurrogate", B({0x00, 0xDC}), "?"}),
    CaseName);

struct CodePageToUtf16Case {
  const char* name;
  Text text;
  int codePage;
  Bytes wide;
};

class CodePageToUtf16Test : public testing::TestWithParam<CodePageToUtf16Case> {};

TEST_P(CodePageToUtf16Test, GivesTheWholeBuffer) {
  const CodePageToUtf16Case& c = GetParam();
  EXPECT_EQ(Show(CodePageToUtf16(c.text, c.codePage)), Show(c.wide));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CodePageToUtf16Test,
    testing::Values(
        // Measured in code page 936 as three units (E4 B8, then AD alone, then
        // the terminator), so one spare zero unit follows the terminator.
        CodePageToUtf16Case{"Utf8Zhong", "\xE4\xB8\xAD", 65001, B({0x2D, 0x4E, 0, 0, 0, 0})},
        CodePageToUtf16Case{"Utf8Ascii", "Ab", 65001, B({0x41, 0, 0x62, 0, 0, 0})},
        CodePageToUtf16Case{"EmptyIsTheTerminator", "", 65001, B({0, 0})},
        CodePageToUtf16Case{"Gbk", "\xD6\xD0", 936, B({0x2D, 0x4E, 0, 0})},
        CodePageToUtf16Case{"SystemPage", "\xD6\xD0", 0, B({0x2D, 0x4E, 0, 0})},
        // Three invalid UTF-8 bytes are three U+FFFD, more than the two
        // characters code page 936 sees in them: measured again, not lost.
        CodePageToUtf16Case{"InvalidUtf8NeedsMoreRoom", "\xC0\xC0\x80", 65001,
                            B({0xFD, 0xFF, 0xFD, 0xFF, 0xFD, 0xFF, 0, 0})},
        CodePageToUtf16Case{"UnknownPageLeavesZeros", "AB", 1252, B({0, 0, 0, 0, 0, 0})}),
    CaseName);

TEST(CodePageToUtf16DefaultTest, DefaultPageIsUtf8) {
  EXPECT_EQ(Show(CodePageToUtf16("\xE4\xB8\xAD")), Show(B({0x2D, 0x4E, 0, 0, 0, 0})));
}

struct Utf16ToCodePageCase {
  const char* name;
  Bytes wide;
  int codePage;
  Text text;
};

class Utf16ToCodePageTest : public testing::TestWithParam<Utf16ToCodePageCase> {};

TEST_P(Utf16ToCodePageTest, GivesText) {
  const Utf16ToCodePageCase& c = GetParam();
  EXPECT_EQ(Show(Utf16ToCodePage(c.wide, c.codePage)), Show(c.text));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Utf16ToCodePageTest,
    testing::Values(
        Utf16ToCodePageCase{"Gbk", B({0x2D, 0x4E, 0, 0}), 936, "\xD6\xD0"},
        Utf16ToCodePageCase{"SystemPage", B({0x2D, 0x4E}), 0, "\xD6\xD0"},
        Utf16ToCodePageCase{"Utf8", B({0x2D, 0x4E}), 65001, "\xE4\xB8\xAD"},
        Utf16ToCodePageCase{"StopsAtNulUnit", B({0x41, 0, 0, 0, 0x42, 0}), 936, "A"},
        Utf16ToCodePageCase{"OddLength", B({0x41, 0, 0x42}), 936, "A"},
        Utf16ToCodePageCase{"Empty", {}, 936, ""},
        Utf16ToCodePageCase{"EmojiInUtf8", B({0x3D, 0xD8, 0x00, 0xDE}), 65001, "\xF0\x9F\x98\x80"},
        Utf16ToCodePageCase{"EmojiInGbk", B({0x3D, 0xD8, 0x00, 0xDE}), 936, "?"},
        // Euro signs take one byte each in the system page, so twice that
        // measure (8 bytes) is too small for UTF-8 (10): measured again.
        Utf16ToCodePageCase{"EurosInUtf8NeedMoreRoom", B({0xAC, 0x20, 0xAC, 0x20, 0xAC, 0x20}),
                            65001, "\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC"},
        Utf16ToCodePageCase{"UnknownPage", B({0x41, 0}), 1252, ""}),
    CaseName);

TEST(Utf16ToCodePageDefaultTest, DefaultPageIsTheSystemPage) {
  EXPECT_EQ(Show(Utf16ToCodePage(B({0xE5, 0x65, 0x1F, 0x67}))), Show(Text("\xC8\xD5\xC6\xDA")));
}

struct Utf8ToAnsiCase {
  const char* name;
  Text utf8;
  Text text;
};

class Utf8ToAnsiTest : public testing::TestWithParam<Utf8ToAnsiCase> {};

TEST_P(Utf8ToAnsiTest, GivesText) {
  const Utf8ToAnsiCase& c = GetParam();
  EXPECT_EQ(Show(Utf8ToAnsi(c.utf8)), Show(c.text));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Utf8ToAnsiTest,
    testing::Values(Utf8ToAnsiCase{"Zhong", "\xE4\xB8\xAD", "\xD6\xD0"},
                    Utf8ToAnsiCase{"Empty", "", ""},
                    Utf8ToAnsiCase{"Date", "\xE6\x97\xA5\xE6\x9C\x9F", "\xC8\xD5\xC6\xDA"},
                    Utf8ToAnsiCase{"Euro", "A\xE2\x82\xAC", "A\x80"},
                    Utf8ToAnsiCase{"Emoji", "\xF0\x9F\x98\x80", "?"},
                    Utf8ToAnsiCase{"EachInvalidByteIsOneMark", "a\xC0\xC0\x80z", "a???z"},
                    Utf8ToAnsiCase{"TruncatedKeepsNextByte",
                                   "\xE4\xB8"
                                   "A",
                                   "??A"},
                    Utf8ToAnsiCase{"GbkIsNotUtf8", "\xD6\xD0", "??"}),
    CaseName);

TEST(Utf8ToAnsiTest, LongMixedTextSurvives) {
  Text utf8;
  Text expected;
  for (int i = 0; i < 5000; ++i) {
    utf8 += "x\xE4\xB8\xAD\xE2\x82\xAC";
    expected += "x\xD6\xD0\x80";
  }
  EXPECT_EQ(Utf8ToAnsi(utf8), expected);
}

struct UrlDecodeCase {
  const char* name;
  Text text;
  bool decodeUtf8;
  Text decoded;
};

class UrlDecodeTest : public testing::TestWithParam<UrlDecodeCase> {};

TEST_P(UrlDecodeTest, DecodesBytewise) {
  const UrlDecodeCase& c = GetParam();
  EXPECT_EQ(Show(UrlDecode(c.text, c.decodeUtf8)), Show(c.decoded));
}

INSTANTIATE_TEST_SUITE_P(Cases, UrlDecodeTest,
                         testing::Values(UrlDecodeCase{"Letter", "a%41b", false, "aAb"},
                                         UrlDecodeCase{"LowerCaseDigits", "%e4%b8%ad", false,
                                                       "\xE4\xB8\xAD"},
                                         UrlDecodeCase{"ThenUtf8", "%e4%b8%ad", true, "\xD6\xD0"},
                                         UrlDecodeCase{"PlusKept", "a+b", false, "a+b"},
                                         UrlDecodeCase{"PercentAtEnd", "100%", false, "100"},
                                         UrlDecodeCase{"OneDigit", "%4", false, "\x40"},
                                         UrlDecodeCase{"ZeroDropped", "%00x", false, "x"},
                                         UrlDecodeCase{"NoDigits", "%zz", false, "\xDE"},
                                         UrlDecodeCase{"OneBadDigit", "%g1", false, "\xE1"},
                                         UrlDecodeCase{"BadLowDigit", "%4g", false, "\x3E"},
                                         UrlDecodeCase{"PercentTakesPercent", "%%41", false,
                                                       "\xE4"
                                                       "1"},
                                         UrlDecodeCase{"DoubleByteCopied", "\xD6\xD0%41", false,
                                                       "\xD6\xD0"
                                                       "A"},
                                         UrlDecodeCase{"Empty", "", true, ""},
                                         UrlDecodeCase{"FundName", "%E5%9F%BA%E9%87%91ABC", true,
                                                       "\xBB\xF9\xBD\xF0"
                                                       "ABC"},
                                         UrlDecodeCase{"InvalidUtf8", "%D6%D0", true, "??"}),
                         CaseName);

}  // namespace
