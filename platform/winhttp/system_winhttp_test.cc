// The call set against a real HTTP server on the loopback interface: the
// bytes on the wire, where each failure surfaces, the raw header text and
// the handle rules.

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "platform/winhttp/exchange_runner.h"
#include "testing/loopback_server.h"

namespace platform::winhttp {
namespace {

using testing_support::ChunkedBody;
using testing_support::Close;
using testing_support::HttpRequest;
using testing_support::LoopbackServer;
using testing_support::OkResponse;
using testing_support::Pause;
using testing_support::ResponseBytes;
using testing_support::ResponseScript;
using testing_support::Send;
using testing_support::SimpleResponse;

WinHttpApi& Api() { return SystemWinHttp(); }

std::string HostLine(const LoopbackServer& server) { return "Host: " + server.HostPort() + "\r\n"; }

HttpRequest OnlyRequest(const LoopbackServer& server) {
  auto requests = server.Requests();
  EXPECT_EQ(requests.size(), 1u);
  return requests.empty() ? HttpRequest{} : requests.front();
}

// ---- The request on the wire ----

TEST(RequestOnTheWire, GetCarriesOnlyHostAndOurLines) {
  LoopbackServer server([](const HttpRequest&) { return OkResponse("x"); });
  ExchangeSetup setup;
  setup.port = server.port();
  setup.target = u"/p?q=1";
  setup.headers = u"X-A: 1\r\nUser-Agent: UA-test\r\nAccept-Encoding: gzip";
  ASSERT_EQ(RunExchange(Api(), setup).failedAt, "");
  EXPECT_EQ(OnlyRequest(server).raw, "GET /p?q=1 HTTP/1.1\r\n" + HostLine(server) +
                                         "X-A: 1\r\nUser-Agent: UA-test\r\n"
                                         "Accept-Encoding: gzip\r\n\r\n");
}

TEST(RequestOnTheWire, BareGetIsRequestLineAndHost) {
  LoopbackServer server([](const HttpRequest&) { return OkResponse("x"); });
  ExchangeSetup setup;
  setup.port = server.port();
  ASSERT_EQ(RunExchange(Api(), setup).failedAt, "");
  EXPECT_EQ(OnlyRequest(server).raw, "GET / HTTP/1.1\r\n" + HostLine(server) + "\r\n");
}

TEST(RequestOnTheWire, PostCarriesOurLinesThenContentLengthAndBody) {
  LoopbackServer server([](const HttpRequest&) { return OkResponse("x"); });
  ExchangeSetup setup;
  setup.port = server.port();
  setup.verb = u"POST";
  setup.target = u"/form";
  setup.headers = u"Content-Type: application/x-www-form-urlencoded\r\nX-B: 2";
  setup.body = std::string("a=1&b=\0\xff", 8);
  ASSERT_EQ(RunExchange(Api(), setup).failedAt, "");
  EXPECT_EQ(OnlyRequest(server).raw,
            "POST /form HTTP/1.1\r\n" + HostLine(server) +
                "Content-Type: application/x-www-form-urlencoded\r\nX-B: 2\r\n"
                "Content-Length: 8\r\n\r\n" +
                setup.body);
}

TEST(RequestOnTheWire, BigPostGoesOutWholeWithoutExpect) {
  LoopbackServer server([](const HttpRequest&) { return OkResponse("x"); });
  ExchangeSetup setup;
  setup.port = server.port();
  setup.verb = u"POST";
  setup.body = std::string(3 * 1024 * 1024, 'z');
  setup.body[12345] = 'A';
  ASSERT_EQ(RunExchange(Api(), setup).failedAt, "");
  HttpRequest request = OnlyRequest(server);
  EXPECT_FALSE(request.Header("Expect").has_value());
  EXPECT_FALSE(request.Header("Content-Type").has_value());
  EXPECT_EQ(request.body, setup.body);
}

TEST(RequestOnTheWire, VerbsAndBodies) {
  struct Case {
    std::u16string verb;
    std::string body;
    std::string method;         // as the server saw it
    const char* contentLength;  // nullptr: no such line
  } cases[] = {
      {u"PUT", "data", "PUT", "4"},
      {u"PUT", "", "PUT", "0"},
      {u"POST", "", "POST", "0"},
      {u"DELETE", "", "DELETE", nullptr},
      {u"OPTIONS", "", "OPTIONS", nullptr},
      {u"TRACE", "", "TRACE", nullptr},
      {u"PATCH", "p", "PATCH", "1"},
      {u"GET", "g", "GET", "1"},
      {u"", "", "GET", nullptr},
  };
  for (const Case& c : cases) {
    LoopbackServer server([](const HttpRequest&) { return OkResponse("x"); });
    ExchangeSetup setup;
    setup.port = server.port();
    setup.verb = c.verb;
    setup.body = c.body;
    ASSERT_EQ(RunExchange(Api(), setup).failedAt, "") << c.method;
    HttpRequest request = OnlyRequest(server);
    EXPECT_EQ(request.method, c.method);
    EXPECT_EQ(request.body, c.body);
    if (c.contentLength == nullptr) {
      EXPECT_FALSE(request.Header("Content-Length").has_value()) << c.method;
    } else {
      EXPECT_EQ(request.Header("Content-Length").value_or("-"), c.contentLength) << c.method;
    }
    EXPECT_FALSE(request.Header("Content-Type").has_value()) << c.method;
  }
}

TEST(RequestOnTheWire, HeadDoesNotWaitForTheAnnouncedBody) {
  LoopbackServer server([](const HttpRequest&) {
    return ResponseScript{Send("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n"), Pause(5000)};
  });
  ExchangeSetup setup;
  setup.port = server.port();
  setup.verb = u"HEAD";
  setup.timeoutMs = 1000;
  ExchangeResult result = RunExchange(Api(), setup);
  EXPECT_EQ(result.failedAt, "");
  EXPECT_FALSE(result.readFailed);
  EXPECT_EQ(result.body, "");
  EXPECT_EQ(OnlyRequest(server).method, "HEAD");
}

TEST(RequestOnTheWire, TargetIsSentAsGivenWithUnsafeBytesEscapedAndNoFragment) {
  struct Case {
    std::u16string target;
    std::string onWire;
  } cases[] = {
      {u"/a b", "/a%20b"},
      {u"/中文?键=值&x=1", "/%E4%B8%AD%E6%96%87?%E9%94%AE=%E5%80%BC&x=1"},
      {u"/a/../b/./c", "/a/../b/./c"},
      {u"/%zz?q=%20%&", "/%zz?q=%20%&"},
      {u"//double//slash", "//double//slash"},
      {u"/p#frag", "/p"},
      {u"/p?q=1#frag?x", "/p?q=1"},
      {u"#frag", "/"},
      {u"/t\tab\x7f", "/t%09ab%7F"},
      {u"/\"<>\\^`{|}", "/\"<>\\^`{|}"},
      {u"", "/"},
      {u"*", "*"},
  };
  for (const Case& c : cases) {
    LoopbackServer server([](const HttpRequest&) { return OkResponse("x"); });
    ExchangeSetup setup;
    setup.port = server.port();
    setup.target = c.target;
    ASSERT_EQ(RunExchange(Api(), setup).failedAt, "") << c.onWire;
    EXPECT_EQ(OnlyRequest(server).target, c.onWire);
  }
}

TEST(RequestOnTheWire, LaterHeaderReplacesEarlierAndEmptyValuesAreSent) {
  LoopbackServer server([](const HttpRequest&) { return OkResponse("x"); });
  ExchangeSetup setup;
  setup.port = server.port();
  setup.headers = u"A: 1\r\nB: 2\r\na: 3\r\nX-Empty:\r\nAccept: text/html";
  ASSERT_EQ(RunExchange(Api(), setup).failedAt, "");
  EXPECT_EQ(OnlyRequest(server).raw, "GET / HTTP/1.1\r\n" + HostLine(server) +
                                         "a: 3\r\nB: 2\r\nX-Empty:\r\nAccept: text/html\r\n\r\n");
}

TEST(RequestOnTheWire, LinesGivenToTheSendCallAreAddedToo) {
  LoopbackServer server([](const HttpRequest&) { return OkResponse("x"); });
  HINTERNET session = Api().WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_NO_PROXY, u"", nullptr, 0);
  HINTERNET connection = Api().WinHttpConnect(session, u"127.0.0.1", server.port(), 0);
  HINTERNET request =
      Api().WinHttpOpenRequest(connection, u"GET", u"/", nullptr, nullptr, nullptr, 0);
  ASSERT_TRUE(Api().WinHttpAddRequestHeaders(request, u"A: 1", static_cast<DWORD>(-1),
                                             WINHTTP_ADDREQ_FLAG_ADD));
  ASSERT_TRUE(
      Api().WinHttpSendRequest(request, u"B: 2\r\n", static_cast<DWORD>(-1), nullptr, 0, 0, 0));
  ASSERT_TRUE(Api().WinHttpReceiveResponse(request, nullptr));
  // A request is sent once.
  EXPECT_FALSE(Api().WinHttpSendRequest(request, nullptr, 0, nullptr, 0, 0, 0));
  EXPECT_FALSE(Api().WinHttpReceiveResponse(request, nullptr));
  Api().WinHttpCloseHandle(request);
  Api().WinHttpCloseHandle(connection);
  Api().WinHttpCloseHandle(session);
  EXPECT_EQ(OnlyRequest(server).raw,
            "GET / HTTP/1.1\r\n" + HostLine(server) + "A: 1\r\nB: 2\r\n\r\n");
}

TEST(RequestOnTheWire, VersionReferrerAndAcceptTypesOfTheRequestCall) {
  LoopbackServer server([](const HttpRequest&) { return OkResponse("x"); });
  HINTERNET session = Api().WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_NO_PROXY, u"", nullptr, 0);
  HINTERNET connection = Api().WinHttpConnect(session, u"127.0.0.1", server.port(), 0);
  LPCWSTR types[] = {u"text/html", u"*/*", nullptr};
  HINTERNET request = Api().WinHttpOpenRequest(connection, u"GET", u"/v", u"HTTP/1.0",
                                               u"http://from.example/", types, 0);
  ASSERT_NE(request, nullptr);
  ASSERT_TRUE(Api().WinHttpSendRequest(request, nullptr, 0, nullptr, 0, 0, 0));
  ASSERT_TRUE(Api().WinHttpReceiveResponse(request, nullptr));
  Api().WinHttpCloseHandle(request);
  Api().WinHttpCloseHandle(connection);
  Api().WinHttpCloseHandle(session);
  EXPECT_EQ(OnlyRequest(server).raw, "GET /v HTTP/1.0\r\n" + HostLine(server) +
                                         "Referer: http://from.example/\r\n"
                                         "Accept: text/html, */*\r\n\r\n");
}

TEST(RequestOnTheWire, UserAgentOfTheSessionIsSentUnlessALineOverrides) {
  LoopbackServer server([](const HttpRequest&) { return OkResponse("x"); });
  for (bool overridden : {false, true}) {
    HINTERNET session =
        Api().WinHttpOpen(u"Session-UA", WINHTTP_ACCESS_TYPE_NO_PROXY, u"", nullptr, 0);
    HINTERNET connection = Api().WinHttpConnect(session, u"127.0.0.1", server.port(), 0);
    HINTERNET request =
        Api().WinHttpOpenRequest(connection, u"GET", u"/", nullptr, nullptr, nullptr, 0);
    ASSERT_NE(request, nullptr);
    if (overridden) {
      ASSERT_TRUE(Api().WinHttpAddRequestHeaders(request, u"User-Agent: Line-UA",
                                                 static_cast<DWORD>(-1), WINHTTP_ADDREQ_FLAG_ADD));
    }
    ASSERT_TRUE(Api().WinHttpSendRequest(request, nullptr, 0, nullptr, 0, 0, 0));
    ASSERT_TRUE(Api().WinHttpReceiveResponse(request, nullptr));
    Api().WinHttpCloseHandle(request);
    Api().WinHttpCloseHandle(connection);
    Api().WinHttpCloseHandle(session);
  }
  auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].Header("User-Agent").value_or(""), "Session-UA");
  EXPECT_EQ(requests[1].Header("User-Agent").value_or(""), "Line-UA");
  EXPECT_EQ(requests[1].HeaderCount("User-Agent"), 1u);
}

// ---- Where each failure surfaces ----

TEST(FailurePoints, UnresolvableNameFailsTheSend) {
  ExchangeSetup setup;
  setup.host = u"no-such-host.invalid";
  setup.port = 80;
  setup.timeoutMs = 3000;
  EXPECT_EQ(RunExchange(Api(), setup).failedAt, "WinHttpSendRequest");
}

TEST(FailurePoints, RefusedConnectionFailsTheSend) {
  RefusingPort refusing;
  ExchangeSetup setup;
  setup.port = refusing.port();
  EXPECT_EQ(RunExchange(Api(), setup).failedAt, "WinHttpSendRequest");
}

// A socket listening on a free loopback port with the given backlog (and
// receive buffer, when not 0) that never accepts; -1 on failure.
int ListenOnLoopback(int backlog, int receiveBuffer, sockaddr_in& address) {
  const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
  if (listener < 0) return -1;
  if (receiveBuffer > 0) {
    ::setsockopt(listener, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
  }
  address = sockaddr_in{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(listener, backlog) != 0 ||
      ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    ::close(listener);
    return -1;
  }
  return listener;
}

TEST(FailurePoints, ConnectTimeoutFailsTheSend) {
  // A listening socket whose accept queue is full: further connection
  // attempts get no answer at all, as from a host that is down.
  sockaddr_in address{};
  const int listener = ListenOnLoopback(0, 0, address);
  ASSERT_GE(listener, 0);
  std::vector<int> fillers;
  for (int i = 0; i < 4; ++i) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    fillers.push_back(fd);
  }
  ExchangeSetup setup;
  setup.port = ntohs(address.sin_port);
  setup.timeoutMs = 1000;
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(RunExchange(Api(), setup).failedAt, "WinHttpSendRequest");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2000));
  for (int fd : fillers) ::close(fd);
  ::close(listener);
}

TEST(FailurePoints, UploadThatStopsMovingFailsTheSend) {
  // A listener that never accepts: the connection is made by the kernel,
  // which buffers a little of the body and then takes no more.
  sockaddr_in address{};
  const int listener = ListenOnLoopback(4, 4096, address);
  ASSERT_GE(listener, 0);
  ExchangeSetup setup;
  setup.port = ntohs(address.sin_port);
  setup.verb = u"POST";
  setup.body = std::string(8 * 1024 * 1024, 'u');
  setup.timeoutMs = 1000;
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(RunExchange(Api(), setup).failedAt, "WinHttpSendRequest");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2000));
  ::close(listener);
}

TEST(FailurePoints, NoCompleteResponseHeadFailsTheReceive) {
  struct Case {
    const char* name;
    ResponseScript script;
  } cases[] = {
      {"silent server", {Pause(10000)}},
      {"head cut short then silence", {Send("HTTP/1.1 200 OK\r\nContent-"), Pause(10000)}},
      {"closed without answering", {Close()}},
      {"head cut short then closed", {Send("HTTP/1.1 200 OK\r\nA: b\r\n"), Close()}},
      {"not HTTP at all", {Send("hello\r\n\r\n"), Close()}},
  };
  for (const Case& c : cases) {
    LoopbackServer server([&](const HttpRequest&) { return c.script; });
    ExchangeSetup setup;
    setup.port = server.port();
    setup.timeoutMs = 1000;
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(RunExchange(Api(), setup).failedAt, "WinHttpReceiveResponse") << c.name;
    auto elapsed = std::chrono::steady_clock::now() - start;
    // The receive time-out ends the wait, not the server's long pause.
    EXPECT_LT(elapsed, std::chrono::milliseconds(2000)) << c.name;
    EXPECT_EQ(server.RequestCount(), 1u) << c.name;
  }
}

TEST(FailurePoints, BreakAfterTheHeadFailsTheReadAfterTheBytesThatArrived) {
  struct Case {
    const char* name;
    ResponseScript script;
    std::string delivered;
  } cases[] = {
      {"cut mid-body",
       {Send("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabcd"), Pause(50), Send("ef"), Close()},
       "abcdef"},
      {"cut right after the head",
       {Send("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n"), Close()},
       ""},
      {"chunked body cut after a chunk",
       {Send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n"), Close()},
       "hello"},
      {"stalls mid-body past the time-out",
       {Send("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabc"), Pause(10000)},
       "abc"},
  };
  for (const Case& c : cases) {
    LoopbackServer server([&](const HttpRequest&) { return c.script; });
    ExchangeSetup setup;
    setup.port = server.port();
    setup.timeoutMs = 1000;
    auto start = std::chrono::steady_clock::now();
    ExchangeResult result = RunExchange(Api(), setup);
    auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(result.failedAt, "") << c.name;  // the head is still readable
    EXPECT_TRUE(result.readFailed) << c.name;
    EXPECT_EQ(result.body, c.delivered) << c.name;
    EXPECT_NE(Narrow(result.rawHeaders).find("HTTP/1.1 200 OK\r\n"), std::string::npos);
    EXPECT_LT(elapsed, std::chrono::milliseconds(2000)) << c.name;
  }
}

TEST(FailurePoints, ReadDataKeepsFailingAfterABreak) {
  LoopbackServer server([](const HttpRequest&) {
    return ResponseScript{Send("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nab"), Close()};
  });
  HINTERNET session = Api().WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_NO_PROXY, u"", nullptr, 0);
  HINTERNET connection = Api().WinHttpConnect(session, u"127.0.0.1", server.port(), 0);
  HINTERNET request =
      Api().WinHttpOpenRequest(connection, u"GET", u"/", nullptr, nullptr, nullptr, 0);
  ASSERT_TRUE(Api().WinHttpSendRequest(request, nullptr, 0, nullptr, 0, 0, 0));
  ASSERT_TRUE(Api().WinHttpReceiveResponse(request, nullptr));
  char buffer[64];
  DWORD read = 0;
  std::string body;
  // Reading with a big buffer, not asking what is available first.
  while (Api().WinHttpReadData(request, buffer, sizeof buffer, &read) && read > 0) {
    body.append(buffer, read);
  }
  EXPECT_EQ(body, "ab");
  EXPECT_FALSE(Api().WinHttpReadData(request, buffer, sizeof buffer, &read));
  DWORD available = 0;
  ASSERT_TRUE(Api().WinHttpQueryDataAvailable(request, &available));
  EXPECT_GE(available, 1u);  // so a caller's read reports the break
  Api().WinHttpCloseHandle(request);
  Api().WinHttpCloseHandle(connection);
  Api().WinHttpCloseHandle(session);
}

// ---- The response ----

TEST(Response, BodiesArriveAsSent) {
  struct Case {
    const char* name;
    ResponseScript script;
    std::string body;
  } cases[] = {
      {"content length", {Send(ResponseBytes(200, "OK", {}, "hello"))}, "hello"},
      {"chunked, in pieces",
       {Send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"),
        Send(ChunkedBody({"hello", " ", std::string(20000, 'w')}).substr(0, 9)), Pause(20),
        Send(ChunkedBody({"hello", " ", std::string(20000, 'w')}).substr(9))},
       "hello " + std::string(20000, 'w')},
      {"chunked with trailer",
       {Send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n0\r\nT: 1\r\n\r\n")},
       "abc"},
      {"until the connection closes",
       {Send("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\nto the end"), Close()},
       "to the end"},
      {"gzip-labelled body is not decoded",
       {Send(ResponseBytes(200, "OK", {{"Content-Encoding", "gzip"}}, "\x1f\x8bnot really"))},
       "\x1f\x8bnot really"},
      {"empty 204", {Send("HTTP/1.1 204 No Content\r\n\r\n")}, ""},
      {"error status read like any other", {Send(ResponseBytes(500, "Oops", {}, "err"))}, "err"},
      {"interim 100 skipped",
       {Send("HTTP/1.1 100 Continue\r\n\r\n" + ResponseBytes(200, "OK", {}, "after"))},
       "after"},
  };
  for (const Case& c : cases) {
    LoopbackServer server([&](const HttpRequest&) { return c.script; });
    ExchangeSetup setup;
    setup.port = server.port();
    setup.timeoutMs = 2000;
    ExchangeResult result = RunExchange(Api(), setup);
    EXPECT_EQ(result.failedAt, "") << c.name;
    EXPECT_FALSE(result.readFailed) << c.name;
    EXPECT_EQ(result.body, c.body) << c.name;
  }
}

TEST(Response, LargeBodyReadInSmallPiecesArrivesIntact) {
  std::string big(3 * 1024 * 1024 + 7, '\0');
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 131 % 251);
  LoopbackServer server([&](const HttpRequest&) { return OkResponse(big); });
  HINTERNET session = Api().WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_NO_PROXY, u"", nullptr, 0);
  HINTERNET connection = Api().WinHttpConnect(session, u"127.0.0.1", server.port(), 0);
  HINTERNET request =
      Api().WinHttpOpenRequest(connection, u"GET", u"/", nullptr, nullptr, nullptr, 0);
  ASSERT_TRUE(Api().WinHttpSendRequest(request, nullptr, 0, nullptr, 0, 0, 0));
  ASSERT_TRUE(Api().WinHttpReceiveResponse(request, nullptr));
  std::string body;
  char piece[1000];
  DWORD read = 0;
  while (Api().WinHttpReadData(request, piece, sizeof piece, &read) && read > 0) {
    body.append(piece, read);
  }
  EXPECT_EQ(read, 0u);  // ended, not failed
  EXPECT_TRUE(body == big) << body.size();
  Api().WinHttpCloseHandle(request);
  Api().WinHttpCloseHandle(connection);
  Api().WinHttpCloseHandle(session);
}

TEST(Response, RawHeadersAreTheHeadLinesInCrlfForm) {
  LoopbackServer server([](const HttpRequest&) {
    return ResponseScript{
        Send("HTTP/1.1 404 Not Found Here\r\nB: 2\r\nset-cookie: a=1; Path=/\n"
             "X-Utf8: \xE4\xB8\xAD\r\nX-Gbk: \xD6\xD0\r\nContent-Length: 0\r\n\r\n")};
  });
  ExchangeSetup setup;
  setup.port = server.port();
  ExchangeResult result = RunExchange(Api(), setup);
  ASSERT_EQ(result.failedAt, "");
  std::u16string expected =
      u"HTTP/1.1 404 Not Found Here\r\nB: 2\r\nset-cookie: a=1; Path=/\r\nX-Utf8: 中\r\n"
      u"X-Gbk: \u00d6\u00d0\r\nContent-Length: 0\r\n\r\n";
  EXPECT_EQ(result.rawHeaders, expected);
  // The size probe asks for the text and its NUL, in bytes.
  EXPECT_EQ(result.probedSize, (expected.size() + 1) * 2);
}

TEST(Response, HeaderQueryRules) {
  LoopbackServer server([](const HttpRequest&) { return OkResponse("x"); });
  HINTERNET session = Api().WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_NO_PROXY, u"", nullptr, 0);
  HINTERNET connection = Api().WinHttpConnect(session, u"127.0.0.1", server.port(), 0);
  HINTERNET request =
      Api().WinHttpOpenRequest(connection, u"GET", u"/", nullptr, nullptr, nullptr, 0);
  char16_t buffer[128];
  DWORD size = sizeof buffer;
  DWORD index = 0;
  // Nothing to query before the response is in.
  EXPECT_FALSE(Api().WinHttpQueryHeaders(request, WINHTTP_QUERY_RAW_HEADERS_CRLF, nullptr, buffer,
                                         &size, &index));
  ASSERT_TRUE(Api().WinHttpSendRequest(request, nullptr, 0, nullptr, 0, 0, 0));
  ASSERT_TRUE(Api().WinHttpReceiveResponse(request, nullptr));
  const std::u16string text = u"HTTP/1.1 200 OK\r\nContent-Length: 1\r\n\r\n";
  const DWORD needed = static_cast<DWORD>((text.size() + 1) * 2);

  size = 0;
  EXPECT_FALSE(Api().WinHttpQueryHeaders(request, WINHTTP_QUERY_RAW_HEADERS_CRLF, nullptr, nullptr,
                                         &size, &index));
  EXPECT_EQ(size, needed);
  size = needed - 2;  // one code unit short: no room for the NUL
  EXPECT_FALSE(Api().WinHttpQueryHeaders(request, WINHTTP_QUERY_RAW_HEADERS_CRLF, nullptr, buffer,
                                         &size, &index));
  EXPECT_EQ(size, needed);
  size = needed;
  ASSERT_TRUE(Api().WinHttpQueryHeaders(request, WINHTTP_QUERY_RAW_HEADERS_CRLF, nullptr, buffer,
                                        &size, &index));
  EXPECT_EQ(std::u16string(buffer), text);
  EXPECT_EQ(size, needed - 2);  // the NUL not counted
  size = sizeof buffer;
  index = 0;
  EXPECT_FALSE(
      Api().WinHttpQueryHeaders(request, 21 /* another level */, nullptr, buffer, &size, &index));
  EXPECT_FALSE(Api().WinHttpQueryHeaders(request, WINHTTP_QUERY_RAW_HEADERS_CRLF, nullptr, buffer,
                                         nullptr, &index));
  Api().WinHttpCloseHandle(request);
  Api().WinHttpCloseHandle(connection);
  Api().WinHttpCloseHandle(session);
}

// ---- Handles and arguments ----

TEST(Handles, CloseInAnyOrderAndRejectStaleOrForeignHandles) {
  LoopbackServer server([](const HttpRequest&) { return OkResponse("body"); });
  HINTERNET session = Api().WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_NO_PROXY, u"", nullptr, 0);
  HINTERNET connection = Api().WinHttpConnect(session, u"127.0.0.1", server.port(), 0);
  HINTERNET request =
      Api().WinHttpOpenRequest(connection, u"GET", u"/", nullptr, nullptr, nullptr, 0);
  ASSERT_NE(request, nullptr);
  // Connecting and opening a request touch no network.
  EXPECT_EQ(server.ConnectionCount(), 0u);
  // Parents closed first; the request keeps working.
  EXPECT_TRUE(Api().WinHttpCloseHandle(session));
  EXPECT_TRUE(Api().WinHttpCloseHandle(connection));
  ASSERT_TRUE(Api().WinHttpSendRequest(request, nullptr, 0, nullptr, 0, 0, 0));
  ASSERT_TRUE(Api().WinHttpReceiveResponse(request, nullptr));
  // Closed before the body was read: everything is freed.
  EXPECT_TRUE(Api().WinHttpCloseHandle(request));
  // Closed handles, null and foreign pointers fail without harm.
  int foreign = 0;
  EXPECT_FALSE(Api().WinHttpCloseHandle(request));
  EXPECT_FALSE(Api().WinHttpCloseHandle(nullptr));
  EXPECT_FALSE(Api().WinHttpCloseHandle(&foreign));
  EXPECT_FALSE(Api().WinHttpSendRequest(request, nullptr, 0, nullptr, 0, 0, 0));
  EXPECT_EQ(Api().WinHttpConnect(session, u"127.0.0.1", 80, 0), nullptr);
  DWORD available = 0;
  EXPECT_FALSE(Api().WinHttpQueryDataAvailable(&foreign, &available));
}

TEST(Handles, EachCallWantsItsOwnKindOfHandleAndStage) {
  HINTERNET session = Api().WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_NO_PROXY, u"", nullptr, 0);
  HINTERNET connection = Api().WinHttpConnect(session, u"127.0.0.1", 9, 0);
  HINTERNET request =
      Api().WinHttpOpenRequest(connection, u"GET", u"/", nullptr, nullptr, nullptr, 0);
  ASSERT_NE(request, nullptr);
  EXPECT_EQ(Api().WinHttpConnect(request, u"h", 80, 0), nullptr);
  EXPECT_EQ(Api().WinHttpOpenRequest(session, u"GET", u"/", nullptr, nullptr, nullptr, 0), nullptr);
  EXPECT_FALSE(Api().WinHttpSendRequest(connection, nullptr, 0, nullptr, 0, 0, 0));
  DWORD value = 1;
  EXPECT_FALSE(Api().WinHttpSetOption(session, WINHTTP_OPTION_DISABLE_FEATURE, &value, 4));
  // Reading before sending, receiving before sending.
  EXPECT_FALSE(Api().WinHttpReceiveResponse(request, nullptr));
  DWORD count = 0;
  EXPECT_FALSE(Api().WinHttpQueryDataAvailable(request, &count));
  char byte;
  EXPECT_FALSE(Api().WinHttpReadData(request, &byte, 1, &count));
  // The whole body must come with the send call.
  char body[4] = {'a', 'b', 'c', 'd'};
  EXPECT_FALSE(Api().WinHttpSendRequest(request, nullptr, 0, body, 4, 8, 0));
  EXPECT_FALSE(Api().WinHttpSendRequest(request, nullptr, 0, nullptr, 4, 4, 0));
  Api().WinHttpCloseHandle(request);
  Api().WinHttpCloseHandle(connection);
  Api().WinHttpCloseHandle(session);
}

TEST(Handles, OpenConnectAndRequestValidateTheirArguments) {
  EXPECT_EQ(Api().WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_NAMED_PROXY, u"", nullptr, 0), nullptr);
  EXPECT_EQ(Api().WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_NAMED_PROXY, nullptr, nullptr, 0),
            nullptr);
  EXPECT_EQ(Api().WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_NAMED_PROXY, u"p:99999", nullptr, 0),
            nullptr);
  EXPECT_EQ(Api().WinHttpOpen(nullptr, 4, u"", nullptr, 0), nullptr);
  EXPECT_EQ(Api().WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_NO_PROXY, u"", u"<local>", 0), nullptr);
  EXPECT_EQ(Api().WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_NO_PROXY, u"", nullptr, 0x10000000),
            nullptr);

  HINTERNET session = Api().WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_NO_PROXY, u"", nullptr, 0);
  ASSERT_NE(session, nullptr);
  for (const char16_t* host : {u"", u"a/b", u"a b", u"a@b", u"a?b", u"[::1", u"h:80"}) {
    EXPECT_EQ(Api().WinHttpConnect(session, host, 80, 0), nullptr);
  }
  EXPECT_EQ(Api().WinHttpConnect(session, nullptr, 80, 0), nullptr);
  HINTERNET connection = Api().WinHttpConnect(session, u"::1", 80, 0);
  ASSERT_NE(connection, nullptr);  // a bare IPv6 literal is fine
  Api().WinHttpCloseHandle(connection);
  connection = Api().WinHttpConnect(session, u"example.com", 80, 0);
  EXPECT_EQ(Api().WinHttpOpenRequest(connection, u"GE T", u"/", nullptr, nullptr, nullptr, 0),
            nullptr);
  EXPECT_EQ(Api().WinHttpOpenRequest(connection, u"GET", u"/", u"HTTP/2", nullptr, nullptr, 0),
            nullptr);
  EXPECT_EQ(Api().WinHttpOpenRequest(connection, u"GET", u"/", nullptr, nullptr, nullptr, 0x40),
            nullptr);

  HINTERNET request =
      Api().WinHttpOpenRequest(connection, u"GET", u"/", nullptr, nullptr, nullptr, 0);
  ASSERT_NE(request, nullptr);
  EXPECT_FALSE(Api().WinHttpSetTimeouts(request, -2, 1, 1, 1));
  EXPECT_TRUE(Api().WinHttpSetTimeouts(request, -1, 0, 1, 1));
  struct OptionCase {
    DWORD option;
    DWORD value;
    DWORD length;
    bool ok;
  } options[] = {
      {WINHTTP_OPTION_DISABLE_FEATURE, WINHTTP_DISABLE_COOKIES, 4, true},
      {WINHTTP_OPTION_DISABLE_FEATURE, WINHTTP_DISABLE_REDIRECTS, 4, true},
      {WINHTTP_OPTION_DISABLE_FEATURE, 3, 4, true},
      {WINHTTP_OPTION_DISABLE_FEATURE, 0, 4, false},
      {WINHTTP_OPTION_DISABLE_FEATURE, 4, 4, false},
      {WINHTTP_OPTION_DISABLE_FEATURE, 1, 2, false},
      {WINHTTP_OPTION_ENABLE_FEATURE, WINHTTP_ENABLE_SSL_REVOCATION, 4, true},
      {WINHTTP_OPTION_ENABLE_FEATURE, 2, 4, false},
      {31, 1, 4, false},
  };
  for (const OptionCase& c : options) {
    DWORD value = c.value;
    EXPECT_EQ(Api().WinHttpSetOption(request, c.option, &value, c.length) != kFalse, c.ok)
        << c.option << "/" << c.value;
  }
  EXPECT_FALSE(Api().WinHttpSetOption(request, WINHTTP_OPTION_DISABLE_FEATURE, nullptr, 4));
  EXPECT_FALSE(
      Api().WinHttpSetCredentials(request, WINHTTP_AUTH_TARGET_SERVER, 2, u"u", u"p", nullptr));
  EXPECT_FALSE(
      Api().WinHttpSetCredentials(request, 2, WINHTTP_AUTH_SCHEME_BASIC, u"u", u"p", nullptr));
  EXPECT_FALSE(Api().WinHttpSetCredentials(request, WINHTTP_AUTH_TARGET_SERVER,
                                           WINHTTP_AUTH_SCHEME_BASIC, nullptr, u"p", nullptr));
  EXPECT_TRUE(Api().WinHttpSetCredentials(request, WINHTTP_AUTH_TARGET_PROXY,
                                          WINHTTP_AUTH_SCHEME_BASIC, u"u", u"p", nullptr));
  EXPECT_FALSE(Api().WinHttpAddRequestHeaders(request, u"Bad line", static_cast<DWORD>(-1),
                                              WINHTTP_ADDREQ_FLAG_ADD));
  EXPECT_FALSE(Api().WinHttpAddRequestHeaders(request, nullptr, 0, WINHTTP_ADDREQ_FLAG_ADD));
  const char16_t withNul[] = u"A: 1\0B: 2";
  EXPECT_FALSE(Api().WinHttpAddRequestHeaders(request, withNul, 9, WINHTTP_ADDREQ_FLAG_ADD));
  EXPECT_TRUE(Api().WinHttpAddRequestHeaders(request, u"A: 1\r\nB: 2", 4,  // "A: 1" only
                                             WINHTTP_ADDREQ_FLAG_ADD));
  Api().WinHttpCloseHandle(request);
  Api().WinHttpCloseHandle(connection);
  Api().WinHttpCloseHandle(session);
}

TEST(Handles, CheckPlatformSaysYes) { EXPECT_TRUE(Api().WinHttpCheckPlatform()); }

}  // namespace
}  // namespace platform::winhttp
