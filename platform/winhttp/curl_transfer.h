#pragma once
// One HTTP exchange on libcurl, driven in the stages of the WinHTTP-style
// calls: send the request, receive the final response head, read the body.
// A multi handle drives the one easy handle, so each stage runs the transfer
// only as far as it needs and the next stage picks up from there. Redirects
// are followed here (not by libcurl), so every hop's request line is ours.
// Nothing is shared with any other transfer: each has its own connection
// cache, DNS cache and cookie store, all freed with it.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <curl/curl.h>

#include "platform/winhttp/header_block.h"
#include "platform/winhttp/proxy_list.h"

namespace platform::winhttp {

struct Credentials {
  std::string userName;  // UTF-8
  std::string password;  // UTF-8
};

struct TransferSettings {
  bool secure = false;
  std::string host;  // UTF-8, URL-ready (an IPv6 literal in brackets)
  std::uint16_t port = 80;
  std::string verb = "GET";
  std::string target = "/";  // wire form (request_target.h)
  bool http10 = false;
  // The proxies that may serve this request; empty for a direct connection.
  std::vector<ProxyEntry> proxies;
  std::string userAgent;  // empty: no User-Agent unless a header line has one
  // Milliseconds; 0 or less: no limit of ours.
  int connectTimeoutMs = 0;
  int sendTimeoutMs = 0;
  int receiveTimeoutMs = 0;
  std::optional<Credentials> serverCredentials;
  std::optional<Credentials> proxyCredentials;
  bool cookiesDisabled = false;
  bool redirectsDisabled = false;
  std::vector<HeaderLine> headers;
  std::string body;
};

class CurlTransfer {
 public:
  // Redirects followed at most; one more fails the response.
  static constexpr int kMaxRedirects = 10;

  explicit CurlTransfer(TransferSettings settings);
  ~CurlTransfer();
  CurlTransfer(const CurlTransfer&) = delete;
  CurlTransfer& operator=(const CurlTransfer&) = delete;

  // Connects and sends the request line, headers and body. False when the
  // name does not resolve, the connection fails or the request cannot be
  // sent within the time-outs.
  bool Send();
  // Runs until the head of the final response (after any redirects) is
  // complete. False when it does not arrive within the time-out, the
  // connection ends first, or a redirect cannot be followed.
  bool Receive();

  enum class BodyState { kData, kEnd, kError };
  // Runs until body bytes are buffered or the transfer ends. kData as long
  // as buffered bytes remain, even when the transfer broke after them.
  BodyState WaitForBody();
  std::size_t Buffered() const { return buffer_.size() - readPos_; }
  std::size_t Take(void* out, std::size_t count);

  // The final response head: the status line and header lines as received,
  // without line ends. Valid once Receive() succeeded.
  const std::vector<std::string>& ResponseHead() const { return finalHead_; }

 private:
  struct Hop {
    bool secure = false;
    std::string host;
    std::uint16_t port = 80;
    std::string verb;
    std::string target;
    bool sendBody = false;
    bool dropContentHeaders = false;  // the body was dropped on a redirect
  };

  static std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* self);
  static std::size_t OnWrite(char* data, std::size_t size, std::size_t count, void* self);
  static int OnDebug(CURL* easy, curl_infotype type, char* data, std::size_t size, void* self);

  bool StartHop(const Hop& hop);
  void OnHeadComplete();
  bool PlanRedirect(int status, const std::string& location);
  void OnHopDone(CURLcode code);
  void Finish(CURLcode code);
  template <typename Done>
  void Drive(Done done);
  int InactivityLimitMs() const;
  void Touch() { lastActivity_ = std::chrono::steady_clock::now(); }
  bool SameOrigin(const Hop& hop) const;

  TransferSettings settings_;
  CURLM* multi_ = nullptr;
  CURL* easy_ = nullptr;
  curl_slist* headerList_ = nullptr;
  bool attached_ = false;
  bool setupFailed_ = false;

  Hop first_;
  Hop hop_;
  int redirects_ = 0;
  std::optional<Hop> nextHop_;  // set once a redirect response's head is in
  bool redirectFailed_ = false;
  std::string expectedRequestLine_;
  bool tunnelling_ = false;
  std::string cookieLine_;  // the caller's Cookie value when libcurl's engine is on

  // Progress of the current hop.
  bool requestHeadOut_ = false;
  std::size_t bodyBytesOut_ = 0;
  bool responseStarted_ = false;
  bool inHead_ = false;
  bool headDone_ = false;
  std::vector<std::string> headLines_;

  bool started_ = false;
  bool sent_ = false;
  std::size_t hopBodySize_ = 0;
  bool finalHeadDone_ = false;
  std::vector<std::string> finalHead_;
  std::string buffer_;
  std::size_t readPos_ = 0;

  bool finished_ = false;
  CURLcode result_ = CURLE_OK;
  std::chrono::steady_clock::time_point lastActivity_;
};

}  // namespace platform::winhttp
