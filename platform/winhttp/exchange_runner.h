#pragma once
// For tests: runs one whole exchange through a WinHttpApi the way a
// synchronous caller does (open, connect, open request, time-outs,
// credentials, options, headers, send, receive, read loop, raw headers,
// close) and records where it stopped and what came back.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/winhttp/winhttp_api.h"

namespace platform::winhttp {

struct ExchangeSetup {
  std::u16string host = u"127.0.0.1";
  INTERNET_PORT port = 0;
  std::u16string verb = u"GET";
  std::u16string target = u"/";
  bool secure = false;
  DWORD accessType = WINHTTP_ACCESS_TYPE_NO_PROXY;
  std::u16string proxy;
  int timeoutMs = 5000;
  std::u16string headers;  // added with ADD | REPLACE when non-empty
  std::string body;
  std::optional<DWORD> disableFeature;  // option 63 value
  std::optional<std::pair<std::u16string, std::u16string>> serverCredentials;
  std::optional<std::pair<std::u16string, std::u16string>> proxyCredentials;
};

struct ExchangeResult {
  std::string failedAt;       // the first call that failed; "" when none did
  std::string body;           // every byte read
  bool readFailed = false;    // WinHttpReadData failed after `body`
  std::u16string rawHeaders;  // WINHTTP_QUERY_RAW_HEADERS_CRLF
  DWORD probedSize = 0;       // bytes the size probe asked for
};

inline ExchangeResult RunExchange(WinHttpApi& api, const ExchangeSetup& setup) {
  ExchangeResult result;
  HINTERNET session = nullptr, connection = nullptr, request = nullptr;
  auto run = [&]() -> std::string {
    session = api.WinHttpOpen(nullptr, setup.accessType, setup.proxy.c_str(), nullptr, 0);
    if (session == nullptr) return "WinHttpOpen";
    connection = api.WinHttpConnect(session, setup.host.c_str(), setup.port, 0);
    if (connection == nullptr) return "WinHttpConnect";
    request = api.WinHttpOpenRequest(connection, setup.verb.c_str(), setup.target.c_str(), nullptr,
                                     nullptr, nullptr, setup.secure ? WINHTTP_FLAG_SECURE : 0);
    if (request == nullptr) return "WinHttpOpenRequest";
    int t = setup.timeoutMs;
    if (!api.WinHttpSetTimeouts(request, t, t, t, t)) return "WinHttpSetTimeouts";
    if (setup.serverCredentials &&
        !api.WinHttpSetCredentials(request, WINHTTP_AUTH_TARGET_SERVER, WINHTTP_AUTH_SCHEME_BASIC,
                                   setup.serverCredentials->first.c_str(),
                                   setup.serverCredentials->second.c_str(), nullptr)) {
      return "WinHttpSetCredentials";
    }
    if (setup.proxyCredentials &&
        !api.WinHttpSetCredentials(request, WINHTTP_AUTH_TARGET_PROXY, WINHTTP_AUTH_SCHEME_BASIC,
                                   setup.proxyCredentials->first.c_str(),
                                   setup.proxyCredentials->second.c_str(), nullptr)) {
      return "WinHttpSetCredentials";
    }
    if (setup.disableFeature) {
      DWORD value = *setup.disableFeature;
      if (!api.WinHttpSetOption(request, WINHTTP_OPTION_DISABLE_FEATURE, &value, sizeof value)) {
        return "WinHttpSetOption";
      }
    }
    if (!setup.headers.empty() &&
        !api.WinHttpAddRequestHeaders(request, setup.headers.c_str(),
                                      static_cast<DWORD>(setup.headers.size()),
                                      WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_REPLACE)) {
      return "WinHttpAddRequestHeaders";
    }
    std::string body = setup.body;
    if (!api.WinHttpSendRequest(request, nullptr, 0, body.empty() ? nullptr : body.data(),
                                static_cast<DWORD>(body.size()), static_cast<DWORD>(body.size()),
                                0)) {
      return "WinHttpSendRequest";
    }
    if (!api.WinHttpReceiveResponse(request, nullptr)) return "WinHttpReceiveResponse";
    for (;;) {
      DWORD available = 0;
      if (!api.WinHttpQueryDataAvailable(request, &available)) return "WinHttpQueryDataAvailable";
      if (available == 0) break;
      std::vector<char> chunk(available);
      DWORD read = 0;
      if (!api.WinHttpReadData(request, chunk.data(), available, &read)) {
        result.readFailed = true;
        break;
      }
      result.body.append(chunk.data(), read);
    }
    DWORD size = 0, index = 0;
    api.WinHttpQueryHeaders(request, WINHTTP_QUERY_RAW_HEADERS_CRLF, nullptr, nullptr, &size,
                            &index);
    result.probedSize = size;
    std::vector<char16_t> buffer(size / 2 + 1);
    index = 0;
    if (!api.WinHttpQueryHeaders(request, WINHTTP_QUERY_RAW_HEADERS_CRLF, nullptr, buffer.data(),
                                 &size, &index)) {
      return "WinHttpQueryHeaders";
    }
    result.rawHeaders.assign(buffer.data(), size / 2);
    return "";
  };
  result.failedAt = run();
  api.WinHttpCloseHandle(request);
  api.WinHttpCloseHandle(connection);
  api.WinHttpCloseHandle(session);
  return result;
}

// A port on which nothing listens: bound, never listening, so a connection
// attempt is refused.
class RefusingPort {
 public:
  RefusingPort() {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
  }
  ~RefusingPort() { ::close(fd_); }
  INTERNET_PORT port() const { return port_; }

 private:
  int fd_ = -1;
  INTERNET_PORT port_ = 0;
};

// ASCII text between the test's byte strings and UTF-16.
inline std::u16string Widen(const std::string& ascii) {
  return std::u16string(ascii.begin(), ascii.end());
}
inline std::string Narrow(const std::u16string& text) {
  std::string out;
  for (char16_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
  return out;
}

}  // namespace platform::winhttp
