#include "web/cookie_merge.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "text/utf8_literal.h"

namespace {

std::string S(const Text& text) { return std::string(text.data(), text.size()); }

struct MergeCase {
  const char* held;
  const char* received;
  const char* merged;
};

void PrintTo(const MergeCase& c, std::ostream* os) {
  *os << "held \"" << c.held << "\" received \"" << c.received << "\"";
}

class MergeCookiesTable : public ::testing::TestWithParam<MergeCase> {};

TEST_P(MergeCookiesTable, GivesTheMergedTextAndLeavesItInHeld) {
  const MergeCase& c = GetParam();
  Text held = c.held;
  Text received = c.received;
  const Text result = MergeCookies(held, received);
  EXPECT_EQ(S(result), c.merged);
  EXPECT_EQ(S(held), c.merged);
}

INSTANTIATE_TEST_SUITE_P(Cases, MergeCookiesTable,
                         ::testing::Values(
                             // The worked example: lang takes its new value, theme is deleted, ad
                             // is added and sid stays.
                             MergeCase{"sid=1; lang=zh; theme=dark", "lang=en; theme=deleted; ad=4",
                                       "lang=en; ad=4; sid=1"},
                             MergeCase{"", "", ""}, MergeCase{"sid=1", "", "sid=1"},
                             MergeCase{"", "x=deleted", ""},
                             // The received deletion hides the held piece and is dropped itself.
                             MergeCase{"x=1", "x=deleted", ""},
                             // Of held pieces sharing a name only the first gets in ...
                             MergeCase{"a=1;a=2", "", "a=1"},
                             // ... while received pieces sharing a name all stay.
                             MergeCase{"", "a=1; a=2", "a=1; a=2"},
                             MergeCase{"", "a=1; a=1", "a=1"},
                             // Names compare with case.
                             MergeCase{"A=1", "a=2", "a=2; A=1"},
                             // Blanks go everywhere, inside values too.
                             MergeCase{"k=two words", "", "k=twowords"},
                             // An empty piece between two ";" survives as an empty piece.
                             MergeCase{"a=1;;b=2", "", "a=1; ; b=2"},
                             // A piece without "=" is its own name.
                             MergeCase{"flag; a=1", "flag", "flag; a=1"},
                             // A trailing ";" adds no piece; a value that merely ends in "deleted"
                             // without "=" before it is kept.
                             MergeCase{"a=1;", "b=undeleted;", "b=undeleted; a=1"}));

TEST(MergeCookies, LeavesReceivedWithoutBlanks) {
  Text held = "a=1";
  Text received = " b = 2 ;  c=3 ";
  MergeCookies(held, received);
  EXPECT_EQ(S(received), "b=2;c=3");
}

TEST(MergeCookies, RemovesFullWidthSpacesButKeepsTabs) {
  Text held = Utf8Literal("k=a　b;\tt=1");
  Text received;
  EXPECT_EQ(S(MergeCookies(held, received)), "k=ab; \tt=1");
}

TEST(CookieName, IsTheTrimmedTextBeforeTheFirstEquals) {
  EXPECT_EQ(S(CookieName(" sid =1=2")), "sid");
  EXPECT_EQ(S(CookieName("flag")), "flag");
  // Without "=" the whole piece is the name, blanks and all.
  EXPECT_EQ(S(CookieName(" flag ")), " flag ");
  EXPECT_EQ(S(CookieName("=v")), "");
  EXPECT_EQ(S(CookieName("")), "");
}

TEST(NameInList, LooksAtEveryElementsName) {
  TextArray list;
  list.Append("a=1");
  list.Append("b=2");
  EXPECT_TRUE(NameInList(list, "b"));
  EXPECT_FALSE(NameInList(list, "B"));
  EXPECT_FALSE(NameInList(list, "a=1"));
  EXPECT_FALSE(NameInList(TextArray(), ""));
}

TEST(RemoveDuplicates, KeepsFirstOccurrencesInOrder) {
  EXPECT_EQ(S(RemoveDuplicates("b; a; b; c; a", "; ")), "b; a; c");
  EXPECT_EQ(S(RemoveDuplicates("x", "; ")), "x");
  EXPECT_EQ(S(RemoveDuplicates("", "; ")), "");
}

TEST(IndexOfText, FindsTheFirstEqualElement) {
  TextArray array;
  array.Append("x");
  array.Append("y");
  array.Append("y");
  EXPECT_EQ(IndexOfText(array, "y"), 2);
  EXPECT_EQ(IndexOfText(array, "Y"), -1);
  EXPECT_EQ(IndexOfText(TextArray(), ""), -1);
}

}  // namespace
