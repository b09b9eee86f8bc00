// Response header text from a server and the cookies it sets: status, cookie
// and Location extraction, then the merge with held cookies.
#include <cstddef>
#include <cstdint>

#include "text/text_types.h"
#include "web/cookie_merge.h"
#include "web/response_headers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Text never holds a NUL byte: the header text is cut at the first one, as
  // the conversion from the service's wide text does.
  Text headers;
  for (std::size_t i = 0; i < size && data[i] != 0; ++i)
    headers.push_back(static_cast<char>(data[i]));

  ResponseHeaderFields fields = ReadResponseHeaders(headers);
  if (fields.status.size() > headers.size() || fields.headers.size() != headers.size())
    __builtin_trap();

  // The second half of the input plays the cookies the caller held.
  Text held(headers.begin() + static_cast<std::ptrdiff_t>(headers.size() / 2), headers.end());
  const Text merged = MergeCookies(held, fields.cookies);
  if (merged != held) __builtin_trap();
  return 0;
}
