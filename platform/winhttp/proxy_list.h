#pragma once
// The proxy list of a session: entries separated by ";" or blanks, each
// "[scheme=][http://]host[:port]". An entry with "http=" or "https=" serves
// URLs of that scheme only; an entry without one serves every scheme.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::winhttp {

struct ProxyEntry {
  std::string scheme;  // "http", "https", or empty for every scheme
  std::string host;    // UTF-8; an IPv6 literal keeps its brackets
  std::uint16_t port = 80;
};

// Nothing when an entry is malformed (empty host, bad port, a proxy URL
// scheme other than http) or the list holds no entry at all. Entries for
// other schemes ("ftp=", "socks=") are accepted and never chosen.
std::optional<std::vector<ProxyEntry>> ParseProxyList(std::u16string_view list);

// The entry that serves a URL of this scheme: the first one named for it,
// else the first one without a scheme, else none (a direct connection).
const ProxyEntry* ChooseProxy(const std::vector<ProxyEntry>& entries, bool secure);

}  // namespace platform::winhttp
