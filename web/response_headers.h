#pragma once
// Reading the raw response header text: the status, the cookies the server
// set and the redirect target.

#include <optional>

#include "text/text_types.h"

struct ResponseHeaderFields {
  // The header text with every "Set-Cookie" name spelled in that case.
  Text headers;
  // Status code, a blank and the reason phrase; empty without a status line.
  Text status;
  // The name=value pair of every Set-Cookie line, joined by "; ".
  Text cookies;
  // The value of the last "Location: " line, when there is one.
  std::optional<Text> location;
};

// Window events are pumped after each header line.
ResponseHeaderFields ReadResponseHeaders(const Text& rawHeaders);

// The status line (the text before the first "\r\n") without the protocol
// version and the blank after it; empty when no "\r\n" ends it.
Text StatusFromHeaders(const Text& rawHeaders);

// The cookie a Set-Cookie line carries: the pair before the first ";" with
// its attributes dropped, trimmed of blanks.
Text CookieFromLine(const Text& line);
