#include "web/response_decoding.h"

#include <cstdint>

#include "text/automation_calls.h"
#include "text/text.h"

namespace {

// The charset named in a meta tag: after "charset=" and at most one
// character that cannot be part of a name (a quotation mark in practice).
constexpr const char* kCharsetPattern = "<meta.+?charset=[^\\w]?([-\\w]+)";
// Only the start of a page is searched for the declaration.
constexpr int kSearchedBytes = 1024;

constexpr std::int32_t kAdTypeBinary = 1;
constexpr std::int32_t kAdTypeText = 2;
constexpr std::int32_t kAdModeReadWrite = 3;

// The two names of code page 936 need no conversion; they are compared with
// exact case, so "GB2312" goes through the stream.
bool IsCodePage936Name(const Text& charset) { return charset == "gbk" || charset == "gb2312"; }

}  // namespace

Text DecodeThroughStream(const Bytes& body, const Text& charset, const Text& fallback) {
  AutomationObject stream;
  if (!CreateAutomationObject(stream, "Adodb.Stream")) return fallback;
  AutomationVariant bodyVariant;
  SetVariant(bodyVariant, body);
  WriteProperty(stream, "Type", kAdTypeBinary);
  WriteProperty(stream, "Mode", kAdModeReadWrite);
  CallMethod(stream, "Open");
  CallMethod(stream, "Write", {bodyVariant});
  WriteProperty(stream, "Position", std::int32_t{0});
  WriteProperty(stream, "Type", kAdTypeText);
  WriteProperty(stream, "Charset", charset);
  Text decoded = CallTextMethod(stream, "ReadText");
  CallMethod(stream, "Close");
  ReleaseAutomationObject(stream);
  ClearVariant(bodyVariant);
  return decoded;
}

Text DecodeResponseBody(const Bytes& body, RegexObject& regex) {
  Text result = BytesToText(body);
  CoInitialize();
  if (regex.Search(kCharsetPattern, TextLeft(result, kSearchedBytes))) {
    const Text charset = regex.SubMatchText(1, 1);
    if (TextLength(charset) > 0 && !IsCodePage936Name(charset)) {
      result = DecodeThroughStream(body, charset, result);
    }
    PumpEvents();
  }
  CoUninitialize();
  return result;
}
