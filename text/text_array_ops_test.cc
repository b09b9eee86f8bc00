#include "text/text_array_ops.h"

#include <gtest/gtest.h>

#include "text/text_scan.h"
#include "text/text_test_support.h"

namespace {

using test_text::Array;
using test_text::T;

TEST(ArrayAppendTest, AppendsCopiesOfAnotherArrayInOrder) {
  TextArray array = Array({"a", "b"});
  const TextArray more = Array({"c", "", "e"});
  ArrayAppend(array, more);
  EXPECT_EQ(array, Array({"a", "b", "c", "", "e"}));
  EXPECT_EQ(ArraySize(array), 5);
  EXPECT_EQ(more, Array({"c", "", "e"}));
}

TEST(ArrayAppendTest, AppendsATextEvenWhenEmpty) {
  TextArray array = Array({"a"});
  ArrayAppend(array, Text());
  ArrayAppend(array, T("b"));
  EXPECT_EQ(array, Array({"a", "", "b"}));
}

TEST(ArrayAppendTest, AppendingAnArrayToItselfDoublesIt) {
  TextArray array = Array({"x", "y", "a long element that does not fit in place"});
  ArrayAppend(array, array);
  EXPECT_EQ(array, Array({"x", "y", "a long element that does not fit in place", "x", "y",
                          "a long element that does not fit in place"}));
}

TEST(ArrayAppendTest, AnElementOfTheSameArrayIsCopiedSafely) {
  TextArray array = Array({"an element long enough to live on the heap"});
  for (int i = 0; i < 20; ++i) ArrayAppend(array, array.At(1));  // forces regrowth
  EXPECT_EQ(ArraySize(array), 21);
  EXPECT_EQ(test_text::V(array.At(21)), "an element long enough to live on the heap");
}

TEST(ArrayClearTest, EmptiesTheArray) {
  TextArray array = Array({"a", "b"});
  ArrayClear(array);
  EXPECT_EQ(ArraySize(array), 0);
  ArrayAppend(array, T("c"));
  EXPECT_EQ(array, Array({"c"}));
}

TEST(ArraySizeTest, AssigningASplitReplacesTheArray) {
  TextArray array = Array({"old"});
  array = SplitText(T("a;b"), T(";"));
  EXPECT_EQ(array, Array({"a", "b"}));
  EXPECT_EQ(ArraySize(TextArray()), 0);
}

}  // namespace
