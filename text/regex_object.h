#pragma once
// Regular-expression matching over Text through the "VBScript.RegExp"
// automation object. Each Search builds a new regexp; the reading operations
// then look at that search's matches. Creating the object initialises COM on
// the thread and destroying it uninitialises it.

#include "text/automation_calls.h"
#include "text/text_types.h"

class RegexObject {
 public:
  RegexObject();
  ~RegexObject();
  RegexObject(const RegexObject&) = delete;
  RegexObject& operator=(const RegexObject&) = delete;

  // True when Execute returned a match collection (possibly empty).
  bool Search(const Text& pattern, const Text& subjectText, bool caseSensitive = false,
              bool multiline = true, bool global = true, bool expandQuoteMarker = false);
  Text GetPattern() const;
  Text ReplaceMatches(const Text& replacement) const;
  int MatchCount() const;
  Text MatchText(int index) const;
  Text SubMatchText(int matchIndex, int groupIndex) const;
  int SubMatchCount() const;

 private:
  AutomationObject regExp;
  AutomationObject matches;
  AutomationVariant subject;
};
