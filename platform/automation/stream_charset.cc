#include "platform/automation/stream_charset.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>

#include <algorithm>
#include <climits>
#include <new>

#include "platform/codepage/codepage.h"

namespace platform::com {
namespace {

struct Alias {
  const char* name;
  CharsetKind kind;
  unsigned codePage;
  const char* icuName;
};

// The names a page may declare, lower case. Names not listed here go to ICU's
// own alias table, and a name ICU does not know either is unknown.
constexpr Alias kAliases[] = {
    {"utf-8", CharsetKind::kCodePage, kCpUtf8, ""},
    {"utf8", CharsetKind::kCodePage, kCpUtf8, ""},
    {"unicode-1-1-utf-8", CharsetKind::kCodePage, kCpUtf8, ""},
    {"unicode-2-0-utf-8", CharsetKind::kCodePage, kCpUtf8, ""},
    {"x-unicode20utf8", CharsetKind::kCodePage, kCpUtf8, ""},
    // Windows reads every GB2312 name as its code page 936 (GBK), which is
    // what pages labelled gb2312 really contain; ICU's gb2312 is EUC-CN.
    {"gbk", CharsetKind::kCodePage, kCpGbk, ""},
    {"gb2312", CharsetKind::kCodePage, kCpGbk, ""},
    {"gb_2312", CharsetKind::kCodePage, kCpGbk, ""},
    {"gb_2312-80", CharsetKind::kCodePage, kCpGbk, ""},
    {"csgb2312", CharsetKind::kCodePage, kCpGbk, ""},
    {"csiso58gb231280", CharsetKind::kCodePage, kCpGbk, ""},
    {"iso-ir-58", CharsetKind::kCodePage, kCpGbk, ""},
    {"chinese", CharsetKind::kCodePage, kCpGbk, ""},
    {"cp936", CharsetKind::kCodePage, kCpGbk, ""},
    {"ms936", CharsetKind::kCodePage, kCpGbk, ""},
    {"windows-936", CharsetKind::kCodePage, kCpGbk, ""},
    {"x-gbk", CharsetKind::kCodePage, kCpGbk, ""},
    {"euc-cn", CharsetKind::kCodePage, kCpGbk, ""},
    {"x-euc-cn", CharsetKind::kCodePage, kCpGbk, ""},
    {"gb18030", CharsetKind::kIcu, 0, "gb18030"},
    {"big5", CharsetKind::kIcu, 0, "windows-950-2000"},
    {"cn-big5", CharsetKind::kIcu, 0, "windows-950-2000"},
    {"x-x-big5", CharsetKind::kIcu, 0, "windows-950-2000"},
    {"csbig5", CharsetKind::kIcu, 0, "windows-950-2000"},
    {"cp950", CharsetKind::kIcu, 0, "windows-950-2000"},
    {"windows-950", CharsetKind::kIcu, 0, "windows-950-2000"},
    // Pages labelled Latin-1 or ASCII are written in Windows-1252, as
    // browsers read them.
    {"iso-8859-1", CharsetKind::kIcu, 0, "windows-1252"},
    {"iso8859-1", CharsetKind::kIcu, 0, "windows-1252"},
    {"iso_8859-1", CharsetKind::kIcu, 0, "windows-1252"},
    {"latin1", CharsetKind::kIcu, 0, "windows-1252"},
    {"l1", CharsetKind::kIcu, 0, "windows-1252"},
    {"cp819", CharsetKind::kIcu, 0, "windows-1252"},
    {"ibm819", CharsetKind::kIcu, 0, "windows-1252"},
    {"csisolatin1", CharsetKind::kIcu, 0, "windows-1252"},
    {"iso-ir-100", CharsetKind::kIcu, 0, "windows-1252"},
    {"us-ascii", CharsetKind::kIcu, 0, "windows-1252"},
    {"ascii", CharsetKind::kIcu, 0, "windows-1252"},
    {"windows-1252", CharsetKind::kIcu, 0, "windows-1252"},
    {"cp1252", CharsetKind::kIcu, 0, "windows-1252"},
    {"x-cp1252", CharsetKind::kIcu, 0, "windows-1252"},
    {"shift_jis", CharsetKind::kIcu, 0, "windows-932"},
    {"shift-jis", CharsetKind::kIcu, 0, "windows-932"},
    {"sjis", CharsetKind::kIcu, 0, "windows-932"},
    {"x-sjis", CharsetKind::kIcu, 0, "windows-932"},
    {"ms_kanji", CharsetKind::kIcu, 0, "windows-932"},
    {"csshiftjis", CharsetKind::kIcu, 0, "windows-932"},
    {"windows-31j", CharsetKind::kIcu, 0, "windows-932"},
    {"cp932", CharsetKind::kIcu, 0, "windows-932"},
    {"x-ms-cp932", CharsetKind::kIcu, 0, "windows-932"},
    {"euc-kr", CharsetKind::kIcu, 0, "windows-949-2000"},
    {"cseuckr", CharsetKind::kIcu, 0, "windows-949-2000"},
    {"ks_c_5601-1987", CharsetKind::kIcu, 0, "windows-949-2000"},
    {"ks_c_5601-1989", CharsetKind::kIcu, 0, "windows-949-2000"},
    {"ks_c_5601", CharsetKind::kIcu, 0, "windows-949-2000"},
    {"ksc_5601", CharsetKind::kIcu, 0, "windows-949-2000"},
    {"ksc5601", CharsetKind::kIcu, 0, "windows-949-2000"},
    {"csksc56011987", CharsetKind::kIcu, 0, "windows-949-2000"},
    {"iso-ir-149", CharsetKind::kIcu, 0, "windows-949-2000"},
    {"korean", CharsetKind::kIcu, 0, "windows-949-2000"},
    {"cp949", CharsetKind::kIcu, 0, "windows-949-2000"},
    {"windows-949", CharsetKind::kIcu, 0, "windows-949-2000"},
    {"unicode", CharsetKind::kUtf16Detect, 0, ""},
    {"utf-16", CharsetKind::kUtf16Detect, 0, ""},
    {"utf16", CharsetKind::kUtf16Detect, 0, ""},
    {"ucs-2", CharsetKind::kUtf16Detect, 0, ""},
    {"iso-10646-ucs-2", CharsetKind::kUtf16Detect, 0, ""},
    {"csunicode", CharsetKind::kUtf16Detect, 0, ""},
    {"utf-16le", CharsetKind::kUtf16Le, 0, ""},
    {"utf16le", CharsetKind::kUtf16Le, 0, ""},
    {"unicodefeff", CharsetKind::kUtf16Le, 0, ""},
    {"utf-16be", CharsetKind::kUtf16Be, 0, ""},
    {"utf16be", CharsetKind::kUtf16Be, 0, ""},
    {"unicodefffe", CharsetKind::kUtf16Be, 0, ""},
};

// The most bytes handed to the platform conversion at once.
constexpr std::size_t kCodePagePiece = std::size_t{1} << 26;

bool IsPlainNameCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.' ||
         c == ':';
}

// Writes U+FFFD for every byte sequence the charset cannot read, whatever
// the converter's own substitution would be.
void SubstituteReplacementCharacter(const void*, UConverterToUnicodeArgs* args, const char*,
                                    int32_t, UConverterCallbackReason reason, UErrorCode* error) {
  if (reason > UCNV_IRREGULAR) return;
  *error = U_ZERO_ERROR;
  static const UChar kReplacement = 0xFFFD;
  ucnv_cbToUWriteUChars(args, &kReplacement, 1, 0, error);
}

void AppendCodePage(unsigned codePage, const std::uint8_t* bytes, std::size_t size,
                    std::u16string& out) {
  if (size == 0) return;
  const auto* text = reinterpret_cast<const char*>(bytes);
  const int length = static_cast<int>(size);
  const int needed = MultiByteToWideChar(codePage, 0, text, length, nullptr, 0);
  if (needed <= 0) return;
  const std::size_t old = out.size();
  out.resize(old + static_cast<std::size_t>(needed));
  const int written = MultiByteToWideChar(codePage, 0, text, length, out.data() + old, needed);
  out.resize(old + static_cast<std::size_t>(std::max(written, 0)));
}

void DecodeUtf16(std::span<const std::uint8_t> bytes, bool bigEndian, std::u16string& out) {
  out.reserve(out.size() + bytes.size() / 2 + 1);
  std::size_t i = 0;
  for (; i + 1 < bytes.size(); i += 2) {
    const unsigned first = bytes[i];
    const unsigned second = bytes[i + 1];
    out += static_cast<char16_t>(bigEndian ? (first << 8 | second) : (second << 8 | first));
  }
  if (i < bytes.size()) out += u'\xFFFD';  // an odd byte at the end
}

void DecodeIcu(const std::string& name, std::span<const std::uint8_t> bytes, std::u16string& out) {
  UErrorCode error = U_ZERO_ERROR;
  UConverter* converter = ucnv_open(name.c_str(), &error);
  if (U_FAILURE(error) || converter == nullptr) {
    if (converter != nullptr) ucnv_close(converter);
    out = DecodeCodePageInPieces(SystemAnsiCodePage(), bytes, kCodePagePiece);
    return;
  }
  ucnv_setToUCallBack(converter, SubstituteReplacementCharacter, nullptr, nullptr, nullptr, &error);
  const char* source = reinterpret_cast<const char*>(bytes.data());
  const char* sourceEnd = source + bytes.size();
  UChar buffer[8192];
  do {
    error = U_ZERO_ERROR;
    UChar* target = buffer;
    ucnv_toUnicode(converter, &target, buffer + std::size(buffer), &source, sourceEnd, nullptr,
                   true, &error);
    out.append(buffer, static_cast<std::size_t>(target - buffer));
  } while (error == U_BUFFER_OVERFLOW_ERROR);
  ucnv_close(converter);
}

}  // namespace

std::u16string DecodeCodePageInPieces(unsigned codePage, std::span<const std::uint8_t> bytes,
                                      std::size_t pieceSize) {
  std::u16string out;
  pieceSize = std::max<std::size_t>(pieceSize, 1);
  std::size_t done = 0;
  while (done < bytes.size()) {
    std::size_t take = std::min(pieceSize, bytes.size() - done);
    if (done + take < bytes.size()) {
      // End the piece after a byte below 0x40: in UTF-8 and in 936 such a
      // byte is a whole character, never part of one. Without one near the
      // end the piece is cut where it is.
      const std::size_t lowest = take > 64 ? take - 64 : 1;
      std::size_t cut = take;
      while (cut > lowest && bytes[done + cut - 1] >= 0x40) --cut;
      if (bytes[done + cut - 1] < 0x40) take = cut;
    }
    AppendCodePage(codePage, bytes.data() + done, take, out);
    done += take;
  }
  return out;
}

Charset ResolveCharset(std::u16string_view name) {
  std::string lower;
  for (char16_t c : name) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + (u'a' - u'A'));
    if (c > 0x7F || !IsPlainNameCharacter(static_cast<char>(c)) || lower.size() >= 64) {
      return Charset{CharsetKind::kCodePage, SystemAnsiCodePage(), {}};
    }
    lower += static_cast<char>(c);
  }
  for (const Alias& alias : kAliases) {
    if (lower == alias.name) return Charset{alias.kind, alias.codePage, alias.icuName};
  }
  if (!lower.empty()) {
    UErrorCode error = U_ZERO_ERROR;
    UConverter* converter = ucnv_open(lower.c_str(), &error);
    if (converter != nullptr) ucnv_close(converter);
    if (U_SUCCESS(error) && converter != nullptr) {
      return Charset{CharsetKind::kIcu, 0, lower};
    }
  }
  // A name nobody knows: the bytes are read as the system's own code page.
  return Charset{CharsetKind::kCodePage, SystemAnsiCodePage(), {}};
}

std::u16string DecodeBytes(const Charset& charset, std::span<const std::uint8_t> bytes,
                           bool atStart) {
  std::u16string out;
  auto startsWith = [&](std::initializer_list<std::uint8_t> mark) {
    return atStart && bytes.size() >= mark.size() &&
           std::equal(mark.begin(), mark.end(), bytes.begin());
  };
  switch (charset.kind) {
    case CharsetKind::kCodePage:
      if (charset.codePage == kCpUtf8 && startsWith({0xEF, 0xBB, 0xBF})) {
        bytes = bytes.subspan(3);
      }
      out = DecodeCodePageInPieces(charset.codePage, bytes, kCodePagePiece);
      break;
    case CharsetKind::kUtf16Le:
      if (startsWith({0xFF, 0xFE})) bytes = bytes.subspan(2);
      DecodeUtf16(bytes, false, out);
      break;
    case CharsetKind::kUtf16Be:
      if (startsWith({0xFE, 0xFF})) bytes = bytes.subspan(2);
      DecodeUtf16(bytes, true, out);
      break;
    case CharsetKind::kUtf16Detect: {
      const bool bigEndian = startsWith({0xFE, 0xFF});
      if (bigEndian || startsWith({0xFF, 0xFE})) bytes = bytes.subspan(2);
      DecodeUtf16(bytes, bigEndian, out);
      break;
    }
    case CharsetKind::kIcu:
      DecodeIcu(charset.icuName, bytes, out);
      break;
  }
  return out;
}

}  // namespace platform::com
