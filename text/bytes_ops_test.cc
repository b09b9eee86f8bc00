#include "text/bytes_ops.h"

#include <gtest/gtest.h>

#include <vector>

#include "text/text_test_support.h"

namespace {

using test_text::T;
using test_text::V;

Bytes B(std::vector<std::uint8_t> bytes) { return Bytes(bytes.begin(), bytes.end()); }

TEST(BytesToTextTest, StopsAtTheFirstNul) {
  EXPECT_EQ(V(BytesToText(B({0x41, 0x42, 0x00, 0x43}))), "AB");
  EXPECT_EQ(V(BytesToText(B({0x41, 0xD6, 0xD0}))), "A\xD6\xD0");
  EXPECT_EQ(V(BytesToText(B({0x00, 0x41}))), "");
  EXPECT_EQ(V(BytesToText(Bytes())), "");
}

TEST(ToBytesTest, CopiesTheBytesWithoutATerminator) {
  EXPECT_TRUE(ToBytes(Text()).empty());
  EXPECT_EQ(ToBytes(T("a\xD6\xD0")), B({0x61, 0xD6, 0xD0}));
}

TEST(ConcatBytesTest, JoinsInOrder) {
  EXPECT_TRUE(ConcatBytes(Bytes(), Bytes()).empty());
  EXPECT_EQ(ConcatBytes(B({1, 0}), Bytes(), B({0, 2})), B({1, 0, 0, 2}));
  EXPECT_EQ(BytesLength(ConcatBytes(B({1}), B({2, 3}))), 3);
  EXPECT_EQ(BytesLength(Bytes()), 0);
}

TEST(BytesLeftTest, CutsByCount) {
  const Bytes bytes = B({1, 0, 3});
  EXPECT_EQ(BytesLeft(bytes, 2), B({1, 0}));
  EXPECT_EQ(BytesLeft(bytes, 10), bytes);
  EXPECT_TRUE(BytesLeft(bytes, 0).empty());
  EXPECT_TRUE(BytesLeft(bytes, -1).empty());
}

TEST(BlankBytesTest, MakesZeroBytes) {
  EXPECT_EQ(BlankBytes(3), B({0, 0, 0}));
  EXPECT_TRUE(BlankBytes(0).empty());
  EXPECT_TRUE(BlankBytes(-2).empty());
}

TEST(PointerToBytesTest, CopiesTheBytesAtTheAddress) {
  std::uint8_t buffer[] = {7, 0, 9, 4};
  Bytes copy = PointerToBytes(buffer, 3);
  EXPECT_EQ(copy, B({7, 0, 9}));
  buffer[0] = 1;  // the copy owns its bytes
  EXPECT_EQ(copy[0], 7);
  EXPECT_TRUE(PointerToBytes(buffer, 0).empty());
  EXPECT_TRUE(PointerToBytes(buffer, -5).empty());
  EXPECT_TRUE(PointerToBytes(nullptr, 5).empty());
}

}  // namespace
