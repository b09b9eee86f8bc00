#include "text/text_types.h"

#include <gtest/gtest.h>

#include "text/text_test_support.h"

namespace {

using test_text::Array;
using test_text::V;

TEST(TextArrayTest, IndexesFromOne) {
  const TextArray array = Array({"a", "b"});
  EXPECT_EQ(V(array.At(1)), "a");
  EXPECT_EQ(V(array.At(2)), "b");
}

TEST(TextArrayTest, AnIndexOutsideTheArrayGivesTheEmptyText) {
  TextArray array = Array({"a", "b"});
  const TextArray& constArray = array;
  for (int index : {0, -1, 3, 1 << 30}) {
    EXPECT_EQ(V(constArray.At(index)), "") << index;
    EXPECT_EQ(V(array.At(index)), "") << index;
  }
  // Writing through an outside index changes nothing that can be read back.
  array.At(5) = "written";
  EXPECT_EQ(V(array.At(5)), "");
  EXPECT_EQ(array, Array({"a", "b"}));
}

TEST(TextArrayTest, ElementsAreCopies) {
  Text item = "x";
  TextArray array;
  array.Append(item);
  item = "changed";
  EXPECT_EQ(V(array.At(1)), "x");
}

TEST(TextTest, AnUnassignedTextEqualsTheEmptyText) {
  Text unassigned;
  EXPECT_EQ(unassigned, Text(""));
  EXPECT_TRUE(DateTime{} == DateTime{0.0});
}

}  // namespace
