#include "text/regex_object.h"

#include <gtest/gtest.h>

#include <climits>

#include "platform/automation/apartment.h"
#include "platform/automation/class_registry.h"
#include "platform/automation/dispatch.h"
#include "text/automation_balance_test.h"
#include "text/text_test_support.h"
#include "text/utf8_literal.h"

namespace {

using test_text::Show;
using test_text::T;

std::string S(const Text& text) { return Show(std::string_view(text.data(), text.size())); }

using RegexObjectTest = AutomationBalanceTest;

TEST_F(RegexObjectTest, CreationInitialisesComAndDestructionTakesItBack) {
  const int before = platform::com::ApartmentInitCount();
  {
    RegexObject outer;
    EXPECT_EQ(platform::com::ApartmentInitCount(), before + 1);
    {
      RegexObject inner;
      EXPECT_EQ(platform::com::ApartmentInitCount(), before + 2);
      EXPECT_TRUE(inner.Search("a", "a"));
    }
    EXPECT_EQ(platform::com::ApartmentInitCount(), before + 1);
  }
  EXPECT_EQ(platform::com::ApartmentInitCount(), before);
}

TEST_F(RegexObjectTest, InvalidPatternFailsAndEveryReadIsEmpty) {
  RegexObject regex;
  EXPECT_FALSE(regex.Search("(", "(abc"));
  EXPECT_EQ(regex.MatchCount(), 0);
  EXPECT_EQ(S(regex.MatchText(1)), S(""));
  EXPECT_EQ(S(regex.SubMatchText(1, 1)), S(""));
  EXPECT_EQ(regex.SubMatchCount(), 0);
  EXPECT_EQ(S(regex.ReplaceMatches("x")), S(""));
  EXPECT_EQ(S(regex.GetPattern()), S("("));  // the regexp exists, only Execute failed
}

TEST_F(RegexObjectTest, ValidPatternWithoutMatchSucceedsWithNoMatches) {
  RegexObject regex;
  EXPECT_TRUE(regex.Search("xyz", "abc"));
  EXPECT_EQ(regex.MatchCount(), 0);
  EXPECT_EQ(regex.SubMatchCount(), 0);
  EXPECT_EQ(S(regex.ReplaceMatches("-")), S("abc"));
}

struct OptionCase {
  const char* what;
  const char* pattern;
  const char* subject;
  bool caseSensitive;
  bool multiline;
  bool global;
  int count;
  const char* first;
};

TEST_F(RegexObjectTest, OptionsDecideTheMatches) {
  const OptionCase cases[] = {
      {"defaults ignore case, global", "a", "AbA", false, true, true, 2, "A"},
      {"case sensitive", "a", "AbA", true, true, true, 0, ""},
      {"not global", "a", "AbA", false, true, false, 1, "A"},
      {"multiline by default", "^b", "a\nb", false, true, true, 1, "b"},
      {"not multiline", "^b", "a\nb", false, false, true, 0, ""},
      {"dot never crosses a line feed", "a.b", "a\nb", false, true, true, 0, ""},
      {"dot takes a carriage return", "a.b", "a\rb", false, true, true, 1, "a\rb"},
  };
  for (const OptionCase& c : cases) {
    SCOPED_TRACE(c.what);
    RegexObject regex;
    EXPECT_TRUE(regex.Search(c.pattern, c.subject, c.caseSensitive, c.multiline, c.global));
    EXPECT_EQ(regex.MatchCount(), c.count);
    EXPECT_EQ(S(regex.MatchText(1)), S(c.first));
  }
}

TEST_F(RegexObjectTest, MatchIndexesOutsideTheCollectionGiveEmptyText) {
  RegexObject regex;
  ASSERT_TRUE(regex.Search("\\d", "a1b2"));
  ASSERT_EQ(regex.MatchCount(), 2);
  EXPECT_EQ(S(regex.MatchText(2)), S("2"));
  for (int index : {0, 3, -1, INT_MIN, INT_MAX}) {
    EXPECT_EQ(S(regex.MatchText(index)), S("")) << index;
    EXPECT_EQ(S(regex.SubMatchText(index, 1)), S("")) << index;
  }
  EXPECT_EQ(S(regex.SubMatchText(1, 1)), S(""));  // the pattern has no group
}

TEST_F(RegexObjectTest, QuoteMarkerExpandsOnlyWhenAsked) {
  const Text pattern = Utf8Literal("a#引号b");
  const Text literal = Utf8Literal("x a#引号b a\"b");
  RegexObject regex;
  ASSERT_TRUE(regex.Search(pattern, literal, false, true, true, true));
  EXPECT_EQ(S(regex.GetPattern()), S("a\"b"));
  ASSERT_EQ(regex.MatchCount(), 1);
  EXPECT_EQ(S(regex.MatchText(1)), S("a\"b"));

  ASSERT_TRUE(regex.Search(pattern, literal));
  EXPECT_EQ(S(regex.GetPattern()), S(pattern));
  ASSERT_EQ(regex.MatchCount(), 1);
  EXPECT_EQ(S(regex.MatchText(1)), S(Utf8Literal("a#引号b")));
}

TEST_F(RegexObjectTest, SecondSearchReplacesTheFirst) {
  RegexObject regex;
  ASSERT_TRUE(regex.Search("o", "foo boo"));
  ASSERT_EQ(regex.MatchCount(), 4);
  ASSERT_TRUE(regex.Search("x", "axbx"));
  EXPECT_EQ(regex.MatchCount(), 2);
  EXPECT_EQ(S(regex.ReplaceMatches("")), S("ab"));
  EXPECT_EQ(S(regex.GetPattern()), S("x"));
  // A failing search leaves nothing of the one before.
  EXPECT_FALSE(regex.Search("[", "axbx"));
  EXPECT_EQ(regex.MatchCount(), 0);
  EXPECT_EQ(S(regex.MatchText(1)), S(""));
}

TEST_F(RegexObjectTest, ReplaceMatchesBeforeAnySearchIsEmpty) {
  RegexObject regex;
  EXPECT_EQ(S(regex.ReplaceMatches("x")), S(""));
  EXPECT_EQ(S(regex.GetPattern()), S(""));
  EXPECT_EQ(regex.MatchCount(), 0);
  EXPECT_EQ(S(regex.MatchText(1)), S(""));
  EXPECT_EQ(regex.SubMatchCount(), 0);
}

TEST_F(RegexObjectTest, ReplaceMatchesUsesTheSearchOptions) {
  RegexObject regex;
  ASSERT_TRUE(regex.Search("\\s", "a b\tc\r\nd"));
  EXPECT_EQ(S(regex.ReplaceMatches("")), S("abcd"));
  ASSERT_TRUE(regex.Search("(\\w+)-(\\w+)", "ab-cd ef-gh", false, true, false));
  EXPECT_EQ(S(regex.ReplaceMatches("$2-$1")), S("cd-ab ef-gh"));
  const Text chinese = Utf8Literal("中文");
  ASSERT_TRUE(regex.Search(chinese, Utf8Literal("说中文"), false));
  EXPECT_EQ(S(regex.ReplaceMatches(Utf8Literal("英语"))), S(Utf8Literal("说英语")));
}

TEST_F(RegexObjectTest, GroupThatTookNoPartIsEmpty) {
  RegexObject regex;
  ASSERT_TRUE(regex.Search("(a)|(b)", "a"));
  EXPECT_EQ(regex.SubMatchCount(), 2);
  EXPECT_EQ(S(regex.SubMatchText(1, 1)), S("a"));
  EXPECT_EQ(S(regex.SubMatchText(1, 2)), S(""));
  EXPECT_EQ(S(regex.SubMatchText(1, 3)), S(""));
  EXPECT_EQ(S(regex.SubMatchText(1, 0)), S(""));
  ASSERT_TRUE(regex.Search("(a)|(b)", "c"));
  EXPECT_EQ(regex.SubMatchCount(), 0);
}

TEST_F(RegexObjectTest, ChineseTextComesBackUnchanged) {
  RegexObject regex;
  const Text text = Utf8Literal("基金A华夏成长B");
  ASSERT_TRUE(regex.Search("[^\\x20-\\x7f]+", text));
  ASSERT_EQ(regex.MatchCount(), 2);
  EXPECT_EQ(S(regex.MatchText(1)), S(Utf8Literal("基金")));
  EXPECT_EQ(S(regex.MatchText(2)), S(Utf8Literal("华夏成长")));
}

struct MetaCase {
  const char* what;
  const char* page;
  const char* charset;
};

TEST_F(RegexObjectTest, CharsetPatternFindsTheDeclaredName) {
  const MetaCase cases[] = {
      {"http-equiv, quoted content",
       "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\" />",
       "utf-8"},
      {"html5, quoted name", "<!DOCTYPE html><html><head><meta charset=\"UTF-8\">", "UTF-8"},
      {"single quotes", "<meta charset='big5'>", "big5"},
      {"unquoted", "<meta http-equiv=Content-Type content=text/html;charset=gb2312>", "gb2312"},
      {"upper-case tag", "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; CHARSET=GBK\">",
       "GBK"},
      {"first tag without charset",
       "<meta name=\"viewport\" content=\"width=device-width\">\n<meta charset=\"windows-1252\">",
       "windows-1252"},
      {"blank before the name is not taken", "<meta charset= \"utf-8\">", ""},
      {"tag broken across lines",
       "<meta http-equiv=\"Content-Type\"\n content=\"text/html; charset=utf-8\">", ""},
      {"tag broken across CRLF lines",
       "<meta http-equiv=\"Content-Type\"\r\n content=\"text/html; charset=utf-8\">", ""},
      {"no meta tag", "<html><body>charset=utf-8</body></html>", ""},
  };
  for (const MetaCase& c : cases) {
    SCOPED_TRACE(c.what);
    RegexObject regex;
    EXPECT_TRUE(regex.Search("<meta.+?charset=[^\\w]?([-\\w]+)", c.page));
    EXPECT_EQ(S(regex.SubMatchText(1, 1)), S(c.charset));
  }
}

TEST_F(RegexObjectTest, FailedCreationMakesEverySearchFailAndKeepsComBalanced) {
  platform::com::ScopedClassOverride missing(u"VBScript.RegExp", platform::com::FailingFactory());
  const int before = platform::com::ApartmentInitCount();
  {
    RegexObject regex;
    EXPECT_FALSE(regex.Search("a", "a"));
    EXPECT_EQ(regex.MatchCount(), 0);
    EXPECT_EQ(S(regex.MatchText(1)), S(""));
    EXPECT_EQ(S(regex.SubMatchText(1, 1)), S(""));
    EXPECT_EQ(S(regex.ReplaceMatches("x")), S(""));
    EXPECT_EQ(S(regex.GetPattern()), S(""));
  }
  EXPECT_EQ(platform::com::ApartmentInitCount(), before);
}

TEST_F(RegexObjectTest, ObjectsReadDuringUseAreReleasedBeforeReturning) {
  RegexObject regex;
  ASSERT_TRUE(regex.Search("(\\d)(\\d)?", "12 3"));
  // The regexp and its match collection stay; nothing else does.
  const long held = platform::com::LiveObjectCount();
  EXPECT_EQ(S(regex.MatchText(2)), S("3"));
  EXPECT_EQ(S(regex.SubMatchText(1, 2)), S("2"));
  EXPECT_EQ(S(regex.SubMatchText(2, 2)), S(""));
  EXPECT_EQ(regex.SubMatchCount(), 2);
  EXPECT_EQ(S(regex.ReplaceMatches("<$2$1>")), S("<21> <3>"));
  EXPECT_EQ(platform::com::LiveObjectCount(), held);
}

}  // namespace
