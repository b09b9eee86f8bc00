#pragma once
// The request header lines that a request handle collects before it is sent
// (WinHttpAddRequestHeaders).

#include <string>
#include <string_view>
#include <vector>

#include "platform/winhttp/winhttp_api.h"

namespace platform::winhttp {

struct HeaderLine {
  std::string name;   // as given, without surrounding blanks
  std::string value;  // UTF-8, without surrounding blanks
};

bool HeaderNameEquals(std::string_view a, std::string_view b);

// `s` without its leading and trailing blanks (spaces and tabs).
std::string_view TrimBlanks(std::string_view s);

class HeaderBlock {
 public:
  // Adds a block of "Name: value" lines separated by "\r\n" (empty lines are
  // skipped). `modifiers`:
  //   ADD (or 0)      append every line;
  //   ADD | REPLACE   replace the value of the first line of that name, or
  //                   append when there is none, so a later line of a block
  //                   replaces an earlier one of the same name;
  //   REPLACE         replace the first line of that name, remove every line
  //                   of that name when the value is empty; fails when absent;
  //   ADD_IF_NEW      append only names not present yet; fails otherwise.
  // Fails, adding nothing, on a line without a name and colon, a name with
  // blanks, controls or non-ASCII, a value with a control other than tab
  // (a lone CR or LF included), or an unsupported modifier.
  bool Add(std::u16string_view block, DWORD modifiers);

  const std::vector<HeaderLine>& lines() const { return lines_; }

 private:
  std::vector<HeaderLine> lines_;
};

}  // namespace platform::winhttp
