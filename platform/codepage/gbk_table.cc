#include "platform/codepage/gbk_table.h"

#include <unicode/ucnv.h>

#include <memory>

namespace platform::gbk {
namespace {

struct ConverterCloser {
  void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

Converter OpenStrict() {
  UErrorCode status = U_ZERO_ERROR;
  Converter converter(ucnv_open("windows-936-2000", &status));
  if (U_FAILURE(status)) return nullptr;
  // Report unmapped input as an error instead of substituting, so the tables
  // record "no mapping" and the conversion code decides what to emit.
  ucnv_setToUCallBack(converter.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
  ucnv_setFromUCallBack(converter.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr,
                        &status);
  if (U_FAILURE(status)) return nullptr;
  return converter;
}

// The single code unit that `bytes` decode to, or 0 when they do not decode
// to exactly one unit.
char16_t DecodeOne(UConverter* converter, const char* bytes, int length) {
  UErrorCode status = U_ZERO_ERROR;
  UChar units[4];
  ucnv_resetToUnicode(converter);
  int count = ucnv_toUChars(converter, units, 4, bytes, length, &status);
  if (U_FAILURE(status) || count != 1) return 0;
  return units[0];
}

std::uint16_t EncodeOne(UConverter* converter, char16_t unit) {
  UErrorCode status = U_ZERO_ERROR;
  const UChar source[1] = {unit};
  char bytes[4];
  ucnv_resetFromUnicode(converter);
  int count = ucnv_fromUChars(converter, bytes, 4, source, 1, &status);
  if (U_FAILURE(status)) return 0;
  const auto first = static_cast<std::uint8_t>(bytes[0]);
  const auto second = static_cast<std::uint8_t>(bytes[1]);
  if (count == 1) return IsLeadByte(first) ? 0 : first;
  if (count == 2 && IsLeadByte(first) && IsTrailByte(second)) {
    return static_cast<std::uint16_t>(first << 8 | second);
  }
  return 0;
}

std::unique_ptr<const Table> Build() {
  Converter converter = OpenStrict();
  if (!converter) return nullptr;
  auto table = std::make_unique<Table>();
  for (int byte = 0; byte < 256; ++byte) {
    table->single[byte] = 0;
    if (IsLeadByte(static_cast<std::uint8_t>(byte))) continue;
    const char source[1] = {static_cast<char>(byte)};
    table->single[byte] = byte == 0 ? u'\0' : DecodeOne(converter.get(), source, 1);
  }
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      char16_t& unit = table->pair[lead - 0x81][trail - 0x40];
      unit = 0;
      if (!IsTrailByte(static_cast<std::uint8_t>(trail))) continue;
      const char source[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      unit = DecodeOne(converter.get(), source, 2);
    }
  }
  // Best-fit mappings (a character the page lacks written as a close one)
  // are what Windows uses by default when encoding.
  ucnv_setFallback(converter.get(), true);
  table->fromUnicode[0] = 0;
  for (int unit = 1; unit < 0x10000; ++unit) {
    const bool surrogate = unit >= 0xD800 && unit <= 0xDFFF;
    table->fromUnicode[unit] =
        surrogate ? 0 : EncodeOne(converter.get(), static_cast<char16_t>(unit));
  }
  return table;
}

}  // namespace

const Table* GbkTable() {
  static const std::unique_ptr<const Table> table = Build();
  return table.get();
}

}  // namespace platform::gbk
