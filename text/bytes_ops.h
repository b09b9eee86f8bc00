#pragma once
// Counted byte buffers and their crossings to and from Text.

#include <cstddef>

#include "text/text_types.h"

int BytesLength(const Bytes& bytes);

template <typename... Parts>
Bytes ConcatBytes(const Parts&... parts) {
  Bytes result;
  result.reserve((parts.size() + ... + 0));
  (result.insert(result.end(), parts.begin(), parts.end()), ...);
  return result;
}

Bytes BlankBytes(int count);
// The first `count` bytes, all when there are fewer; empty when negative.
Bytes BytesLeft(const Bytes& bytes, int count);
// The bytes before the first NUL byte, or all of them.
Text BytesToText(const Bytes& bytes);
// A copy of `length` bytes at `address`; the caller guarantees they are readable.
Bytes PointerToBytes(const void* address, int length);
Bytes ToBytes(const Text& text);
