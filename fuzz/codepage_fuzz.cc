// The code-page pair on arbitrary input: the first byte picks the code page,
// the rest is the input, once as bytes and once as UTF-16 units. Input and
// output buffers are exactly as large as stated, so AddressSanitizer catches
// any access outside them. Checks that measuring and converting agree, that
// a buffer one short fails without being written, and that the conversions
// above the platform never crash.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/codepage/codepage.h"
#include "text/encoding.h"

namespace {

constexpr unsigned kPages[] = {platform::kCpGbk, platform::kCpUtf8, platform::kCpAcp};

void CheckDecode(unsigned page, const std::vector<char>& bytes) {
  const int length = static_cast<int>(bytes.size());
  const int needed = platform::MultiByteToWideChar(page, 0, bytes.data(), length, nullptr, 0);
  // Every character takes at least one byte; only a four-byte UTF-8
  // character gives two units.
  if (needed <= 0 || needed > length) std::abort();
  std::vector<char16_t> wide(static_cast<std::size_t>(needed));
  if (platform::MultiByteToWideChar(page, 0, bytes.data(), length, wide.data(), needed) != needed) {
    std::abort();
  }
  std::vector<char16_t> small(static_cast<std::size_t>(needed - 1), u'x');
  if (!small.empty()) {
    if (platform::MultiByteToWideChar(page, 0, bytes.data(), length, small.data(), needed - 1) !=
        0) {
      std::abort();
    }
    for (char16_t unit : small) {
      if (unit != u'x') std::abort();
    }
  }
}

void CheckEncode(unsigned page, const std::vector<char16_t>& wide) {
  const int length = static_cast<int>(wide.size());
  const int needed =
      platform::WideCharToMultiByte(page, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
  if (needed <= 0 || needed > 3 * length) std::abort();
  std::vector<char> bytes(static_cast<std::size_t>(needed));
  if (platform::WideCharToMultiByte(page, 0, wide.data(), length, bytes.data(), needed, nullptr,
                                    nullptr) != needed) {
    std::abort();
  }
  std::vector<char> small(static_cast<std::size_t>(needed - 1), 'x');
  if (!small.empty()) {
    if (platform::WideCharToMultiByte(page, 0, wide.data(), length, small.data(), needed - 1,
                                      nullptr, nullptr) != 0) {
      std::abort();
    }
    for (char byte : small) {
      if (byte != 'x') std::abort();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const unsigned page = kPages[data[0] % 3];
  const std::vector<char> bytes(data + 1, data + size);
  CheckDecode(page, bytes);

  std::vector<char16_t> wide((size - 1) / 2);
  for (std::size_t i = 0; i < wide.size(); ++i) {
    wide[i] = static_cast<char16_t>(data[1 + 2 * i] | data[2 + 2 * i] << 8);
  }
  if (!wide.empty()) CheckEncode(page, wide);

  const Bytes wideBytes(data + 1, data + size);
  Text text;
  for (char byte : bytes) {
    if (byte != '\0') text.push_back(byte);
  }
  Utf16ToAnsi(wideBytes);
  Utf16ToCodePage(wideBytes, static_cast<int>(page));
  AnsiToUtf16(text, data[0] & 1);
  CodePageToUtf16(text, static_cast<int>(page));
  return 0;
}
