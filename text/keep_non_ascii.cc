#include "text/keep_non_ascii.h"

#include "text/regex_object.h"

Text KeepNonAscii(const Text& text, bool removeWhitespace) {
  RegexObject regex;
  // Every character outside blank..DEL, one match each: control characters
  // and every two-byte character.
  regex.Search("[^\\x20-\\x7f]", text);
  Text kept;
  const int count = regex.MatchCount();
  for (int i = 1; i <= count; ++i) kept += regex.MatchText(i);
  if (removeWhitespace) {
    regex.Search("\\s", kept);
    kept = regex.ReplaceMatches(Text());
  }
  return kept;
}
