#include "text/regex_object.h"

#include <cmath>
#include <cstdint>

#include "text/gbk_chars.h"
#include "text/text_scan.h"

namespace {

const Text& QuoteMarker() {
  static const Text marker(gbk::kQuoteMarker);
  return marker;
}

// A count read as a double, truncated toward zero; a value no count can be
// (not a number, negative, beyond int) is 0 or the nearest int.
int CountFrom(double value) {
  if (!(value > 0.0)) return 0;
  if (value >= 2147483647.0) return 2147483647;
  return static_cast<int>(std::trunc(value));
}

}  // namespace

RegexObject::RegexObject() {
  SetVariant(subject, std::int32_t{0});
  CoInitialize();
}

RegexObject::~RegexObject() {
  ReleaseAutomationObject(regExp);
  ReleaseAutomationObject(matches);
  ClearVariant(subject);
  CoUninitialize();
}

bool RegexObject::Search(const Text& pattern, const Text& subjectText, bool caseSensitive,
                         bool multiline, bool global, bool expandQuoteMarker) {
  ReleaseAutomationObject(regExp);
  ReleaseAutomationObject(matches);
  // When creation fails regExp stays empty, every call on it fails and the
  // search reports failure below.
  CreateAutomationObject(regExp, "VBScript.RegExp");
  WriteProperty(regExp, "IgnoreCase", !caseSensitive);
  WriteProperty(regExp, "Multiline", multiline);
  // The regexp has no such member; the write fails and no single-line mode
  // (where "." would match a line break) can ever come into effect.
  WriteProperty(regExp, "Singleline", true);
  WriteProperty(regExp, "Global", global);
  WriteProperty(regExp, "Pattern",
                expandQuoteMarker ? ReplaceText(pattern, QuoteMarker(), "\"", true) : pattern);
  SetVariant(subject, subjectText);
  matches = CallObjectMethod(regExp, "Execute", {subject});
  return !IsEmptyObject(matches);
}

Text RegexObject::GetPattern() const {
  if (IsEmptyObject(regExp)) return Text();
  return ReadTextProperty(regExp, "Pattern");
}

Text RegexObject::ReplaceMatches(const Text& replacement) const {
  AutomationVariant temporary;
  SetVariant(temporary, replacement);
  Text result = CallTextMethod(regExp, "Replace", {subject, temporary});
  ClearVariant(temporary);
  return result;
}

int RegexObject::MatchCount() const { return CountFrom(ReadNumberProperty(matches, "Count")); }

Text RegexObject::MatchText(int index) const {
  // The index goes as a double: index - 1 cannot overflow that way, and an
  // index outside the collection makes Item fail.
  AutomationObject match = ReadObjectProperty(matches, "Item", {static_cast<double>(index) - 1});
  AutomationVariant value = ReadVariantProperty(match, "Value");
  Text text = VariantToText(value);
  ClearVariant(value);
  ReleaseAutomationObject(match);
  return text;
}

Text RegexObject::SubMatchText(int matchIndex, int groupIndex) const {
  AutomationObject match =
      ReadObjectProperty(matches, "Item", {static_cast<double>(matchIndex) - 1});
  AutomationObject groups = ReadObjectProperty(match, "SubMatches");
  AutomationVariant value =
      ReadVariantProperty(groups, "Item", {static_cast<double>(groupIndex) - 1});
  Text text = VariantToText(value);
  ClearVariant(value);
  ReleaseAutomationObject(match);
  ReleaseAutomationObject(groups);
  return text;
}

int RegexObject::SubMatchCount() const {
  AutomationObject match = ReadObjectProperty(matches, "Item", {0.0});
  AutomationObject groups = ReadObjectProperty(match, "SubMatches");
  ReleaseAutomationObject(match);
  const double count = ReadNumberProperty(groups, "Count");
  ReleaseAutomationObject(groups);
  return CountFrom(count);
}
