#include "platform/codepage/codepage.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace platform {
namespace {

using ByteVector = std::vector<std::uint8_t>;
using UnitVector = std::u16string;

// Measures, then converts into a buffer of exactly the measured size. Both
// calls must agree on the count.
UnitVector ToWide(unsigned codePage, const ByteVector& bytes) {
  // The input sits in a buffer of its own exact size, so reading past it is
  // caught under AddressSanitizer.
  const auto* source = reinterpret_cast<const char*>(bytes.data());
  const int length = static_cast<int>(bytes.size());
  const int needed = MultiByteToWideChar(codePage, 0, source, length, nullptr, 0);
  UnitVector wide(static_cast<std::size_t>(needed), u'\0');
  const int written = MultiByteToWideChar(codePage, 0, source, length, wide.data(), needed);
  EXPECT_EQ(written, needed);
  return wide;
}

ByteVector ToBytes(unsigned codePage, const UnitVector& wide) {
  const int length = static_cast<int>(wide.size());
  const int needed =
      WideCharToMultiByte(codePage, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
  ByteVector bytes(static_cast<std::size_t>(needed));
  const int written =
      WideCharToMultiByte(codePage, 0, wide.data(), length, reinterpret_cast<char*>(bytes.data()),
                          needed, nullptr, nullptr);
  EXPECT_EQ(written, needed);
  return bytes;
}

struct DecodeCase {
  const char* name;
  unsigned codePage;
  ByteVector bytes;
  UnitVector units;
};

class DecodeTest : public testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeTest, GivesTheUnits) {
  const DecodeCase& c = GetParam();
  EXPECT_EQ(ToWide(c.codePage, c.bytes), c.units);
}

INSTANTIATE_TEST_SUITE_P(
    Gbk, DecodeTest,
    testing::Values(
        DecodeCase{"Ascii", kCpGbk, {0x41, 0x7E}, u"A~"},
        DecodeCase{"Zhong", kCpGbk, {0xD6, 0xD0}, u"\u4E2D"},
        DecodeCase{"Date", kCpGbk, {0xC8, 0xD5, 0xC6, 0xDA}, u"\u65E5\u671F"},
        DecodeCase{"EuroAt80", kCpGbk, {0x80}, u"\u20AC"},
        DecodeCase{"FfIsPrivateUse", kCpGbk, {0xFF}, u"\uF8F5"},
        DecodeCase{"UserAreaOneStart", kCpGbk, {0xAA, 0xA1}, u"\uE000"},
        DecodeCase{"UserAreaTwoStart", kCpGbk, {0xF8, 0xA1}, u"\uE234"},
        DecodeCase{"UserAreaThreeStart", kCpGbk, {0xA1, 0x40}, u"\uE4C6"},
        DecodeCase{"UserAreaThreeEnd", kCpGbk, {0xA7, 0xA0}, u"\uE765"},
        DecodeCase{"TrailInAsciiRange", kCpGbk, {0x81, 0x41}, u"\u4E04"},
        DecodeCase{"LeadAtEnd", kCpGbk, {0x41, 0x81}, u"A\uFFFD"},
        DecodeCase{"LeadBeforeBlankKeepsBlank", kCpGbk, {0x81, 0x20, 0x41}, u"\uFFFD A"},
        DecodeCase{"LeadBefore7F", kCpGbk, {0x81, 0x7F}, u"\uFFFD\u007F"},
        DecodeCase{"LeadBeforeFf", kCpGbk, {0x81, 0xFF}, u"\uFFFD\uF8F5"},
        DecodeCase{"LeadBeforeNul", kCpGbk, {0xD6, 0x00, 0x41}, UnitVector(u"\uFFFD\0A", 3)}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Utf8, DecodeTest,
    testing::Values(
        DecodeCase{"Ascii", kCpUtf8, {0x41, 0x00, 0x42}, UnitVector(u"A\0B", 3)},
        DecodeCase{"TwoBytes", kCpUtf8, {0xC2, 0x80}, u"\u0080"},
        DecodeCase{"Zhong", kCpUtf8, {0xE4, 0xB8, 0xAD}, u"\u4E2D"},
        DecodeCase{"Replacement", kCpUtf8, {0xEF, 0xBF, 0xBD}, u"\uFFFD"},
        DecodeCase{"Emoji", kCpUtf8, {0xF0, 0x9F, 0x98, 0x80}, u"\U0001F600"},
        DecodeCase{"Highest", kCpUtf8, {0xF4, 0x8F, 0xBF, 0xBF}, u"\U0010FFFF"},
        DecodeCase{"OverlongEachByte", kCpUtf8, {0xC0, 0xC0, 0x80}, u"\uFFFD\uFFFD\uFFFD"},
        DecodeCase{"OverlongThree", kCpUtf8, {0xE0, 0x80, 0x80}, u"\uFFFD\uFFFD\uFFFD"},
        DecodeCase{"EncodedSurrogate", kCpUtf8, {0xED, 0xA0, 0x80}, u"\uFFFD\uFFFD\uFFFD"},
        DecodeCase{"AboveUnicode", kCpUtf8, {0xF4, 0x90, 0x80, 0x80}, u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        DecodeCase{"TruncatedKeepsNext", kCpUtf8, {0xE4, 0xB8, 0x41}, u"\uFFFD\uFFFDA"},
        DecodeCase{"TruncatedAtEnd", kCpUtf8, {0x41, 0xE4, 0xB8}, u"A\uFFFD\uFFFD"},
        DecodeCase{"LoneContinuation", kCpUtf8, {0x80, 0x41}, u"\uFFFDA"},
        DecodeCase{"NeverValid", kCpUtf8, {0xFE, 0xFF, 0xF5}, u"\uFFFD\uFFFD\uFFFD"},
        DecodeCase{"Gbk", kCpUtf8, {0xD6, 0xD0}, u"\uFFFD\uFFFD"}),
    [](const auto& info) { return std::string(info.param.name); });

struct EncodeCase {
  const char* name;
  unsigned codePage;
  UnitVector units;
  ByteVector bytes;
};

class EncodeTest : public testing::TestWithParam<EncodeCase> {};

TEST_P(EncodeTest, GivesTheBytes) {
  const EncodeCase& c = GetParam();
  EXPECT_EQ(ToBytes(c.codePage, c.units), c.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Gbk, EncodeTest,
    testing::Values(EncodeCase{"Ascii", kCpGbk, UnitVector(u"A\0~", 3), {0x41, 0x00, 0x7E}},
                    EncodeCase{"Zhong", kCpGbk, u"\u4E2D", {0xD6, 0xD0}},
                    EncodeCase{"Date", kCpGbk, u"\u65E5\u671F", {0xC8, 0xD5, 0xC6, 0xDA}},
                    EncodeCase{"Euro", kCpGbk, u"\u20AC", {0x80}},
                    EncodeCase{"F8F5", kCpGbk, u"\uF8F5", {0xFF}},
                    EncodeCase{"PrivateUse", kCpGbk, u"\uE000\uE765", {0xAA, 0xA1, 0xA7, 0xA0}},
                    EncodeCase{
                        "EmojiIsOneQuestionMark", kCpGbk, u"a\U0001F600b", {0x61, 0x3F, 0x62}},
                    EncodeCase{"LoneHigh",
                               kCpGbk,
                               u"\xD800"
                               u"A",
                               {0x3F, 0x41}},
                    EncodeCase{"LoneLow", kCpGbk, u"\xDC00", {0x3F}},
                    EncodeCase{"LowThenHigh", kCpGbk, u"\xDC00\xD800", {0x3F, 0x3F}},
                    EncodeCase{"Missing", kCpGbk, u"\u0E01", {0x3F}},
                    // Best fit, as Windows does by default: a capital A with grave
                    // accent is written as the small one that code page 936 has.
                    EncodeCase{"BestFit", kCpGbk, u"\u00C0", {0xA8, 0xA4}}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Utf8, EncodeTest,
    testing::Values(
        EncodeCase{"Ascii", kCpUtf8, UnitVector(u"A\0", 2), {0x41, 0x00}},
        EncodeCase{"TwoBytes", kCpUtf8, u"\u00E9", {0xC3, 0xA9}},
        EncodeCase{"Zhong", kCpUtf8, u"\u4E2D", {0xE4, 0xB8, 0xAD}},
        EncodeCase{"Emoji", kCpUtf8, u"\U0001F600", {0xF0, 0x9F, 0x98, 0x80}},
        EncodeCase{"LoneHigh", kCpUtf8, u"\xD800", {0xEF, 0xBF, 0xBD}},
        EncodeCase{"HighAtEndAfterText", kCpUtf8, u"A\xD83D", {0x41, 0xEF, 0xBF, 0xBD}},
        EncodeCase{"LowThenHigh", kCpUtf8, u"\xDC00\xD800", {0xEF, 0xBF, 0xBD, 0xEF, 0xBF, 0xBD}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CodePageTest, EveryGbkPairRoundTrips) {
  int checked = 0;
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      if (trail == 0x7F) continue;
      const ByteVector pair = {static_cast<std::uint8_t>(lead), static_cast<std::uint8_t>(trail)};
      const UnitVector wide = ToWide(kCpGbk, pair);
      ASSERT_EQ(wide.size(), 1u) << std::hex << lead << " " << trail;
      ASSERT_NE(wide[0], u'\uFFFD') << std::hex << lead << " " << trail;
      ASSERT_EQ(ToBytes(kCpGbk, wide), pair) << std::hex << lead << " " << trail;
      ++checked;
    }
  }
  EXPECT_EQ(checked, 126 * 190);
}

TEST(CodePageTest, SystemAnsiPageIsGbk) {
  EXPECT_EQ(SystemAnsiCodePage(), kCpGbk);
  EXPECT_EQ(ToWide(kCpAcp, {0xC8, 0xD5, 0x80}), u"\u65E5\u20AC");
  EXPECT_EQ(ToBytes(kCpAcp, u"\u65E5\u20AC"), (ByteVector{0xC8, 0xD5, 0x80}));
}

TEST(CodePageTest, MinusOneCountsAndWritesTheTerminator) {
  EXPECT_EQ(MultiByteToWideChar(kCpGbk, 0, "A\xD6\xD0", -1, nullptr, 0), 3);
  char16_t wide[4] = {u'x', u'x', u'x', u'x'};
  EXPECT_EQ(MultiByteToWideChar(kCpGbk, 0, "A\xD6\xD0", -1, wide, 4), 3);
  EXPECT_EQ(UnitVector(wide, 4), UnitVector(u"A\u4E2D\0x", 4));
  // The text ends at the first NUL even when more follows.
  EXPECT_EQ(MultiByteToWideChar(kCpUtf8, 0, "ab\0cd", -1, nullptr, 0), 3);

  EXPECT_EQ(WideCharToMultiByte(kCpGbk, 0, u"A\u4E2D", -1, nullptr, 0, nullptr, nullptr), 4);
  char bytes[5] = {'x', 'x', 'x', 'x', 'x'};
  EXPECT_EQ(WideCharToMultiByte(kCpUtf8, 0, u"A\u4E2D", -1, bytes, 5, nullptr, nullptr), 5);
  EXPECT_EQ(std::string(bytes, 5), std::string("A\xE4\xB8\xAD\0", 5));
}

TEST(CodePageTest, TooSmallBufferFailsAndWritesNothing) {
  char16_t wide[3] = {u'x', u'x', u'x'};
  EXPECT_EQ(MultiByteToWideChar(kCpUtf8, 0, "abc", 3, wide, 2), 0);
  EXPECT_EQ(UnitVector(wide, 3), u"xxx");
  EXPECT_EQ(MultiByteToWideChar(kCpUtf8, 0, "abc", 3, wide, 3), 3);
  EXPECT_EQ(UnitVector(wide, 3), u"abc");

  char bytes[4] = {'x', 'x', 'x', 'x'};
  // One character short of room, and one byte short (a two-byte character).
  EXPECT_EQ(WideCharToMultiByte(kCpGbk, 0, u"AB\u4E2D", 3, bytes, 3, nullptr, nullptr), 0);
  EXPECT_EQ(WideCharToMultiByte(kCpUtf8, 0, u"\u4E2D", 1, bytes, 2, nullptr, nullptr), 0);
  EXPECT_EQ(std::string(bytes, 4), "xxxx");
}

TEST(CodePageTest, BadArgumentsFail) {
  char16_t wide[4];
  char bytes[4];
  struct Case {
    const char* name;
    int result;
  };
  const Case cases[] = {
      {"unknown page", MultiByteToWideChar(1252, 0, "a", 1, wide, 4)},
      {"zero length", MultiByteToWideChar(kCpGbk, 0, "a", 0, wide, 4)},
      {"length below -1", MultiByteToWideChar(kCpGbk, 0, "a", -2, wide, 4)},
      {"no input", MultiByteToWideChar(kCpGbk, 0, nullptr, 1, wide, 4)},
      {"negative room", MultiByteToWideChar(kCpGbk, 0, "a", 1, wide, -1)},
      {"no output", MultiByteToWideChar(kCpGbk, 0, "a", 1, nullptr, 4)},
      {"decode flags", MultiByteToWideChar(kCpGbk, 8, "a", 1, wide, 4)},
      {"encode unknown page", WideCharToMultiByte(1252, 0, u"a", 1, bytes, 4, nullptr, nullptr)},
      {"encode zero length", WideCharToMultiByte(kCpGbk, 0, u"a", 0, bytes, 4, nullptr, nullptr)},
      {"encode no output", WideCharToMultiByte(kCpGbk, 0, u"a", 1, nullptr, 4, nullptr, nullptr)},
      {"encode other flags",
       WideCharToMultiByte(kCpGbk, 0x400, u"a", 1, bytes, 4, nullptr, nullptr)},
      {"utf-8 with flags",
       WideCharToMultiByte(kCpUtf8, kWcCompositeCheck, u"a", 1, bytes, 4, nullptr, nullptr)},
      {"utf-8 with default", WideCharToMultiByte(kCpUtf8, 0, u"a", 1, bytes, 4, "*", nullptr)},
  };
  for (const Case& c : cases) EXPECT_EQ(c.result, 0) << c.name;
}

TEST(CodePageTest, CompositeCheckIsAccepted) {
  char bytes[2] = {};
  EXPECT_EQ(
      WideCharToMultiByte(kCpGbk, kWcCompositeCheck, u"\u4E2D", 1, bytes, 2, nullptr, nullptr), 2);
  EXPECT_EQ(std::string(bytes, 2), "\xD6\xD0");
}

TEST(CodePageTest, DefaultCharacterReplacesMissingOnesAndIsReported) {
  char bytes[8] = {};
  int used = -1;
  EXPECT_EQ(WideCharToMultiByte(kCpGbk, 0, u"a\U0001F600\u0E01", 4, bytes, 8, "*", &used), 3);
  EXPECT_EQ(std::string(bytes, 3), "a**");
  EXPECT_EQ(used, 1);
  EXPECT_EQ(WideCharToMultiByte(kCpGbk, 0, u"ab", 2, nullptr, 0, "*", &used), 2);
  EXPECT_EQ(used, 0);
  // A lead byte cannot stand alone in a text, so "?" is used instead.
  EXPECT_EQ(WideCharToMultiByte(kCpGbk, 0, u"\u0E01", 1, bytes, 8, "\xD6\xD0", &used), 1);
  EXPECT_EQ(bytes[0], '?');
}

}  // namespace
}  // namespace platform
