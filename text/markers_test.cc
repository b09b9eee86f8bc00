#include "text/markers.h"
#include "text/markers_reference.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "text/gbk_chars.h"
#include "text/pump_events.h"
#include "text/text_array_ops.h"
#include "text/text_cut.h"
#include "text/text_scan.h"
#include "text/text_test_support.h"
#include "text/utf8_literal.h"

namespace {

using test_text::Array;
using test_text::T;
using test_text::V;

const Text kQuote(gbk::kQuoteMarker);  // "#引号"
const Text kDatePrefix = Utf8Literal("日期");

struct BetweenCase {
  Text text;
  Text left;
  Text right;
  int start;
  bool ignoreCase;
  std::string_view expected;
};

TEST(TextBetweenTest, CutsTheFirstPieceBetweenTheMarkers) {
  const BetweenCase cases[] = {
      {T("[x]"), T("["), T("]"), 0, false, "x"},
      {T("x]"), T("["), T("]"), 0, false, ""},
      {T("[x"), T("["), T("]"), 0, false, ""},
      {T("[]"), T("["), T("]"), 0, false, ""},
      {T("abc["), T("["), T("]"), 0, false, ""},
      // The right marker is looked for only after the left one.
      {T("a]b[c]d[e]"), T("["), T("]"), 0, false, "c"},
      {T("[ a ]"), T("["), T("]"), 0, false, " a "},  // not trimmed
      // Start: up to 1 means the beginning.
      {T("[a][b]"), T("["), T("]"), 2, false, "b"},
      {T("[a][b]"), T("["), T("]"), 1, false, "a"},
      {T("[a][b]"), T("["), T("]"), -3, false, "a"},
      {T("[a][b]"), T("["), T("]"), 7, false, ""},
      // Case.
      {T("<TD>x</td>"), T("<td>"), T("</TD>"), 0, true, "x"},
      {T("<TD>x</td>"), T("<td>"), T("</TD>"), 0, false, ""},
      // Empty markers: an empty left is found at 1 whatever the start; an
      // empty right always gives the empty result.
      {T("abc"), T(""), T("c"), 0, false, "ab"},
      {T("abc"), T(""), T("c"), 2, false, "ab"},
      {T("abc"), T(""), T("c"), 4, false, ""},
      {T("[abc"), T("["), T(""), 0, false, ""},
      // Trail bytes are never markers, neither for the left nor the right.
      {T("\x81[x][y]"), T("["), T("]"), 0, false, "y"},
      {T("[\xB0]]"), T("["), T("]"), 0, false, "\xB0]"},
      // The callers' uses.
      {T("Set-Cookie: id=5; path=/"), T("Set-Cookie:"), T(";"), 0, false, " id=5"},
      {T("{records:9,pages:12,curpage:1}"), T("pages:"), T(","), 0, false, "12"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << test_text::Show(V(c.text)) << " " << test_text::Show(V(c.left)) << " "
                 << test_text::Show(V(c.right)) << " start " << c.start);
    EXPECT_EQ(V(TextBetween(c.text, c.left, c.right, c.start, c.ignoreCase)), c.expected);
  }
}

TEST(TextBetweenTest, TheQuoteMarkerStandsForADoubleQuote) {
  EXPECT_EQ(V(TextBetween(T("say \"hi\" now"), kQuote, kQuote)), "hi");
  EXPECT_EQ(V(TextBetween(T("value=\"abc\";"), ConcatText(T("value="), kQuote), kQuote)), "abc");
  // The characters of the marker itself in the text are not a match.
  EXPECT_EQ(V(TextBetween(ConcatText(kQuote, T("x"), kQuote), kQuote, kQuote)), "");
  // Only in the markers: the text is searched as it is.
  EXPECT_EQ(V(TextBetween(ConcatText(T("["), kQuote, T("]")), T("["), T("]"))), V(kQuote));
}

// Counts PumpEvents calls while alive.
class CountingPump {
 public:
  CountingPump() {
    previous_ = InstallEventPump([this] { ++count_; });
  }
  ~CountingPump() { InstallEventPump(previous_); }
  int count() const { return count_; }

 private:
  int count_ = 0;
  std::function<void()> previous_;
};

TEST(AllTextsBetweenTest, IgnoresCaseUnlessAskedAndTrimsPieces) {
  const Text page = T("<tr><td> a </tr>\n<TR><TD>b\xA1\xA1</TR>");
  TextArray rows;
  EXPECT_EQ(AllTextsBetween(page, T("<tr><td>"), T("</tr>"), rows), 2);
  EXPECT_EQ(rows, Array({"a", "b"}));
  EXPECT_EQ(AllTextsBetween(page, T("<tr><td>"), T("</tr>"), rows, true), 1);
  EXPECT_EQ(rows, Array({"a"}));
}

TEST(AllTextsBetweenTest, PrefixKeepsEmptyRows) {
  const Text page = T("<tr><td></tr><tr><td> \xA1\xA1 </tr><tr><td>x</tr>");
  TextArray rows;
  EXPECT_EQ(AllTextsBetween(page, T("<tr><td>"), T("</tr>"), rows, false, 0, kDatePrefix), 3);
  for (int i = 1; i <= 3; ++i) {
    EXPECT_EQ(V(TextLeft(rows.At(i), 4)), V(kDatePrefix)) << i;
  }
  EXPECT_EQ(V(rows.At(1)), V(kDatePrefix));
  EXPECT_EQ(V(rows.At(2)), V(kDatePrefix));
  EXPECT_EQ(V(rows.At(3)), V(ConcatText(kDatePrefix, T("x"))));
}

TEST(AllTextsBetweenTest, DecoratesTrimmedPiecesInOrder) {
  const Text text = T("<A> x </a><a>y</A>");
  TextArray out;
  AllTextsBetween(text, T("<a>"), T("</a>"), out, false, 0, T("("), T(")"), true, true);
  // The markers put back are the arguments, not the matched text.
  EXPECT_EQ(out, Array({"<a>(x)</a>", "<a>(y)</a>"}));
  AllTextsBetween(text, T("<a>"), T("</a>"), out, false, 0, T(" "), T(" "));
  EXPECT_EQ(out, Array({" x ", " y "}));  // trimmed before decorating
  AllTextsBetween(text, T("<a>"), T("</a>"), out, false, 0, Text(), Text(), false, true);
  EXPECT_EQ(out, Array({"x</a>", "y</a>"}));
}

TEST(AllTextsBetweenTest, MaxLengthKeepsOnlyShorterFinishedPieces) {
  const Text text = T("[abcde][abcd][ab]");
  TextArray out;
  EXPECT_EQ(AllTextsBetween(text, T("["), T("]"), out, false, 5), 2);
  EXPECT_EQ(out, Array({"abcd", "ab"}));
  // The test is made on the finished piece, markers included.
  EXPECT_EQ(AllTextsBetween(text, T("["), T("]"), out, false, 5, Text(), Text(), true, true), 1);
  EXPECT_EQ(out, Array({"[ab]"}));
  EXPECT_EQ(AllTextsBetween(text, T("["), T("]"), out, false, -1), 0);
}

TEST(AllTextsBetweenTest, StartsAtStartAndStopsAtAMissingRightMarker) {
  TextArray out;
  EXPECT_EQ(AllTextsBetween(T("[a][b][c"), T("["), T("]"), out), 2);
  EXPECT_EQ(out, Array({"a", "b"}));
  const struct {
    int start;
    int count;
  } starts[] = {{0, 2}, {-4, 2}, {1, 2}, {2, 1}, {4, 1}, {5, 0}, {100, 0}};
  for (const auto& s : starts) {
    EXPECT_EQ(AllTextsBetween(T("[a][b][c"), T("["), T("]"), out, false, 0, Text(), Text(), false,
                              false, s.start),
              s.count)
        << s.start;
    EXPECT_EQ(ArraySize(out), s.count);
  }
}

TEST(AllTextsBetweenTest, MarkersNeverStartOnTrailBytes) {
  TextArray out;
  EXPECT_EQ(AllTextsBetween(T("\x81[a][b]"), T("["), T("]"), out), 1);
  EXPECT_EQ(out, Array({"b"}));
  EXPECT_EQ(AllTextsBetween(T("[\xB0]][x]"), T("["), T("]"), out), 2);
  EXPECT_EQ(out, Array({"\xB0]", "x"}));
}

TEST(AllTextsBetweenTest, EmptiesTheOutputFirst) {
  TextArray out = Array({"old", "older"});
  EXPECT_EQ(AllTextsBetween(T("no markers"), T("<tr><td>"), T("</tr>"), out), 0);
  EXPECT_EQ(ArraySize(out), 0);
  out = Array({"old"});
  EXPECT_EQ(AllTextsBetween(T("[new]"), T("["), T("]"), out), 1);
  EXPECT_EQ(out, Array({"new"}));
}

TEST(AllTextsBetweenTest, AnEmptyMarkerEndsAtOnceWithNothing) {
  CountingPump pump;
  TextArray out = Array({"old"});
  EXPECT_EQ(AllTextsBetween(T("abc"), Text(), T("c"), out), 0);
  EXPECT_EQ(ArraySize(out), 0);
  out = Array({"old"});
  EXPECT_EQ(AllTextsBetween(T("abc"), T("a"), Text(), out, false, 0, T("p")), 0);
  EXPECT_EQ(ArraySize(out), 0);
  EXPECT_EQ(pump.count(), 0);
}

TEST(AllTextsBetweenTest, PumpsThreeTimesPerPieceAndOnceMoreWithMaxLength) {
  const Text page = T("[a][bbbbbb][c][ ]");
  const struct {
    int maxLength;
    Text prefix;
    int elements;
    int pumps;
  } cases[] = {
      {0, Text(), 3, 12},  // four pairs of markers, the blank one kept out
      {5, Text(), 2, 15},  // three non-empty pieces pump once more each
      {0, T("p"), 4, 12},  // with a prefix the blank piece is kept
      {5, T("p"), 3, 16},
  };
  for (const auto& c : cases) {
    CountingPump pump;
    TextArray out;
    EXPECT_EQ(AllTextsBetween(page, T("["), T("]"), out, false, c.maxLength, c.prefix), c.elements);
    EXPECT_EQ(pump.count(), c.pumps) << "maxLength " << c.maxLength;
  }
}

TEST(AllTextsBetweenTest, AnEmptyPieceResumesJustAfterItsLeftMarker) {
  // Blank left markers: each empty piece restarts the search one byte on, so
  // three rounds run (and pump) before the text is used up.
  CountingPump pump;
  TextArray out;
  EXPECT_EQ(AllTextsBetween(T("   x"), T(" "), T("x"), out), 0);
  EXPECT_EQ(pump.count(), 9);
  // A non-empty piece resumes at its right marker instead.
  EXPECT_EQ(AllTextsBetween(T("   x"), T(" "), T("x"), out, false, 0, T("p")), 1);
  EXPECT_EQ(out, Array({"p"}));
  EXPECT_EQ(AllTextsBetween(T("[a]b]"), T("["), T("]"), out, false, 0, Text(), Text(), true, true),
            1);
  EXPECT_EQ(out, Array({"[a]"}));
}

TEST(AllTextsBetweenTest, EachSearchStepsFromItsOwnStart) {
  // After an empty piece the next search starts just after the next left
  // marker, which may be the middle of what the previous search took as a
  // full-width space; the new character steps decide what is found there.
  struct Case {
    std::string_view text;
    std::vector<std::string_view> expected;
    int pumps;
  } const cases[] = {
      // Round two starts on the second A1 of a pair: the A1A1 that follows is
      // a blank, but the next A1 and the space form one non-blank character.
      {"\xA1 \xA1\xA1\xA1\xA1 ]", {"\xA1 "}, 6},
      // Round two's steps pair the last A1 with the "]", so there is no right
      // marker any more.
      {"\xA1 \xA1\xA1\xA1\xA1]", {}, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(test_text::Show(c.text));
    CountingPump pump;
    TextArray out;
    AllTextsBetween(T(c.text), T("\xA1"), T("]"), out);
    TextArray expected;
    for (auto item : c.expected) expected.Append(T(item));
    EXPECT_EQ(out, expected);
    EXPECT_EQ(pump.count(), c.pumps);
  }
}

TEST(AllTextsBetweenTest, CutsRealTableRows) {
  const Text row =
      T("<tr><td>2020-09-24</td><td class='tor bold'>4.8680</td><td class='tor bold'>4.8680"
        "</td><td class='tor bold grn'>-3.81%</td><td>\xBF\xAA\xB7\xC5</td></tr>");
  const Text page = ConcatText(T("<table><tbody>"), row, T("\r\n"), row, T("</tbody></table>"));
  TextArray rows;
  EXPECT_EQ(AllTextsBetween(page, T("<tr><td>"), T("</tr>"), rows, false, 0, kDatePrefix), 2);
  const Text expected = ConcatText(kDatePrefix, TextMid(row, 9, TextLength(row) - 8 - 5));
  EXPECT_EQ(V(rows.At(1)), V(expected));
  EXPECT_EQ(V(rows.At(2)), V(expected));
  EXPECT_EQ(V(TextBetween(rows.At(1), kDatePrefix, T("</td>"))), "2020-09-24");
}

std::string RandomText(std::mt19937& random, std::size_t minLength, std::size_t maxLength) {
  static constexpr char kAlphabet[] = {' ', ' ', '\xA1', '[', ']', 'a', 'A', '\x81'};
  return test_text::RandomText(random, std::string_view(kAlphabet, sizeof kAlphabet), minLength,
                               maxLength);
}

TEST(AllTextsBetweenTest, AgreesWithTheStepByStepDefinitionOnRandomTexts) {
  std::mt19937 random(44075);
  for (int round = 0; round < 20000; ++round) {
    const Text text = T(RandomText(random, 0, 20));
    const Text left = T(RandomText(random, 1, 2));
    const Text right = T(RandomText(random, 1, 2));
    const bool caseSensitive = random() % 2 == 0;
    const int maxLength = static_cast<int>(random() % 5);
    const Text prefix = random() % 4 == 0 ? T("p") : Text();
    const bool keepLeft = random() % 4 == 0;
    const int start = static_cast<int>(random() % 24) - 2;
    SCOPED_TRACE(testing::Message() << test_text::Show(V(text)) << " " << test_text::Show(V(left))
                                    << " " << test_text::Show(V(right)) << " start " << start);
    TextArray expected;
    const int expectedPumps = ReferenceAllTextsBetween(text, left, right, expected, caseSensitive,
                                                       maxLength, prefix, keepLeft, start);
    CountingPump pump;
    TextArray actual;
    ASSERT_EQ(AllTextsBetween(text, left, right, actual, caseSensitive, maxLength, prefix, Text(),
                              keepLeft, false, start),
              ArraySize(expected));
    ASSERT_EQ(actual, expected);
    ASSERT_EQ(pump.count(), expectedPumps);
  }
}

}  // namespace
