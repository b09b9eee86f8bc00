#include "web/response_headers.h"

#include "text/text.h"

Text StatusFromHeaders(const Text& rawHeaders) {
  const int lineEnd = FindText(rawHeaders, "\r\n");
  if (lineEnd == -1) return Text();
  const Text statusLine = TextLeft(rawHeaders, lineEnd - 1);
  // "HTTP/1.1 200 OK" gives "200 OK"; the version is cut at its blank rather
  // than at a fixed width, so "HTTP/2 200" gives "200" and a status line too
  // short to hold a version never reaches into the next header line.
  const int blank = FindText(statusLine, " ");
  if (blank == -1) return Text();
  return TextMid(statusLine, blank + 1, TextLength(statusLine));
}

Text CookieFromLine(const Text& line) {
  if (FindText(line, ";") != -1) return TrimText(TextBetween(line, "Set-Cookie:", ";"));
  return TrimText(ReplaceText(line, "Set-Cookie:", Text(), /*caseSensitive=*/false));
}

ResponseHeaderFields ReadResponseHeaders(const Text& rawHeaders) {
  ResponseHeaderFields fields;
  fields.status = StatusFromHeaders(rawHeaders);
  // Servers spell the cookie header in any case; one spelling makes every
  // later test a plain byte search.
  fields.headers = ReplaceText(rawHeaders, "Set-Cookie", "Set-Cookie", /*caseSensitive=*/false);

  const TextArray lines = SplitText(fields.headers, "\r\n");
  for (const Text& line : lines) {
    if (FindText(line, "Set-Cookie") != -1) {
      fields.cookies = ConcatText(fields.cookies, CookieFromLine(line), "; ");
    }
    if (CompareText(TextLeft(line, 10), "Location: ") == 0) {
      fields.location = TextMid(line, 11, TextLength(line));
    }
    PumpEvents();
  }
  fields.cookies = TextLeft(fields.cookies, TextLength(fields.cookies) - 2);
  return fields;
}
