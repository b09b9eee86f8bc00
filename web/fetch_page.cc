#include "web/fetch_page.h"

#include "platform/winhttp/winhttp_api.h"
#include "text/regex_object.h"
#include "web/fetch_transfer.h"

Text FetchPageVia(platform::winhttp::WinHttpApi& api, const Text& url, FetchOptions& options) {
  try {
    // One regular-expression object per fetch, for the charset search; it
    // holds COM initialised on this thread until the fetch returns.
    RegexObject regex;
    return TransferPage(api, url, options, regex);
  } catch (...) {
    // Nothing escapes: a failure no path foresaw is an empty page.
    return Text();
  }
}

Text FetchPage(const Text& url, FetchOptions& options) {
  return FetchPageVia(platform::winhttp::SystemWinHttp(), url, options);
}

Text FetchPage(const Text& url) {
  FetchOptions options;
  return FetchPage(url, options);
}
