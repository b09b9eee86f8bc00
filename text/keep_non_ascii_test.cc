#include "text/keep_non_ascii.h"

#include <gtest/gtest.h>

#include "platform/automation/apartment.h"
#include "platform/automation/class_registry.h"
#include "platform/automation/dispatch.h"
#include "text/automation_balance_test.h"
#include "text/encoding.h"
#include "text/text_test_support.h"
#include "text/utf8_literal.h"

namespace {

using test_text::Show;

std::string S(const Text& text) { return Show(std::string_view(text.data(), text.size())); }

using KeepNonAsciiTest = AutomationBalanceTest;

struct FilterCase {
  const char* what;
  Text text;
  bool removeWhitespace;
  Text expected;
};

TEST_F(KeepNonAsciiTest, KeepsExactlyTheCharactersOutsideBlankToDel) {
  const FilterCase cases[] = {
      {"printable ASCII only", "HXCZ-123, abc", false, ""},
      {"empty", "", false, ""},
      {"mixed", "\x22\x2C\xD6\xD0\x41\xB9\xFA\x22", false, "\xD6\xD0\xB9\xFA"},
      {"control characters stay", "a\tb\nc\rd", false, "\t\n\r"},
      {"whitespace removed on request", "a\tb\nc\rd", true, ""},
      {"blank and DEL go, 0x1F stays", "\x1F \x7F", false, "\x1F"},
      {"0x1F is not whitespace", "\x1F \x7F", true, "\x1F"},
      {"trail byte in the ASCII range", "x\x81\x41y", false, "\x81\x41"},
      {"Chinese with whitespace", Utf8Literal("中\t文\n"), true, Utf8Literal("中文")},
      // The full-width space is not whitespace to the regexp (\s is ASCII).
      {"full-width space stays", Utf8Literal("中　文"), true, Utf8Literal("中　文")},
  };
  for (const FilterCase& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(S(KeepNonAscii(c.text, c.removeWhitespace)), S(c.expected));
  }
}

TEST_F(KeepNonAsciiTest, FundListEntryGivesTheFundName) {
  // The entry after a fund's code in the fund list script, as fetched (UTF-8)
  // and also percent-encoded, decoded the way the query decodes it.
  const Text plain = "\",\"HXCZHH\",\"华夏成长混合\",\"混合型-灵活\",\"HUAXIACHENGZHANGHUNHE\"";
  const Text encoded =
      "%22%2C%22HXCZHH%22%2C%22%E5%8D%8E%E5%A4%8F%E6%88%90%E9%95%BF%E6%B7%B7%E5%90%88%22%2C%22"
      "%E6%B7%B7%E5%90%88%E5%9E%8B-%E7%81%B5%E6%B4%BB%22%2C%22HUAXIACHENGZHANGHUNHE%22";
  const Text expected = Utf8Literal("华夏成长混合混合型灵活");
  ASSERT_FALSE(expected.empty());
  for (const Text& entry : {plain, encoded}) {
    EXPECT_EQ(S(KeepNonAscii(UrlDecode(entry, true))), S(expected));
  }
}

TEST_F(KeepNonAsciiTest, NoRegexpGivesEmptyText) {
  platform::com::ScopedClassOverride missing(u"VBScript.RegExp", platform::com::FailingFactory());
  EXPECT_EQ(S(KeepNonAscii(Utf8Literal("华夏"))), S(""));
  EXPECT_EQ(S(KeepNonAscii(Utf8Literal("华 夏"), true)), S(""));
}

TEST_F(KeepNonAsciiTest, LongTextKeepsEveryCharacterInOrder) {
  Text text;
  Text expected;
  const Text hua = Utf8Literal("华");
  const Text xia = Utf8Literal("夏");
  for (int i = 0; i < 5000; ++i) {
    const Text& c = i % 3 == 0 ? hua : xia;
    text += c;
    text += "a ";
    expected += c;
  }
  EXPECT_EQ(KeepNonAscii(text), expected);
}

}  // namespace
