#include "text/bytes_ops.h"

#include <algorithm>
#include <climits>
#include <cstring>

int BytesLength(const Bytes& bytes) {
  return bytes.size() > static_cast<std::size_t>(INT_MAX) ? INT_MAX
                                                          : static_cast<int>(bytes.size());
}

Bytes BlankBytes(int count) {
  if (count <= 0) return Bytes();
  return Bytes(static_cast<std::size_t>(count), 0);
}

Bytes BytesLeft(const Bytes& bytes, int count) {
  if (count <= 0) return Bytes();
  const std::size_t n = std::min(bytes.size(), static_cast<std::size_t>(count));
  return Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
}

Text BytesToText(const Bytes& bytes) {
  const auto end = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
  return Text(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::size_t>(end - bytes.begin()));
}

Bytes PointerToBytes(const void* address, int length) {
  if (address == nullptr || length <= 0) return Bytes();
  Bytes bytes(static_cast<std::size_t>(length));
  std::memcpy(bytes.data(), address, bytes.size());
  return bytes;
}

Bytes ToBytes(const Text& text) {
  Bytes bytes(text.size());
  if (!text.empty()) std::memcpy(bytes.data(), text.data(), text.size());
  return bytes;
}
