// Redirects, cookies, credentials, proxies and the inactivity clock of one
// exchange, against real servers on the loopback interface.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/winhttp/exchange_runner.h"
#include "testing/loopback_server.h"

namespace platform::winhttp {
namespace {

using testing_support::HttpRequest;
using testing_support::LoopbackServer;
using testing_support::OkResponse;
using testing_support::Pause;
using testing_support::ResponseScript;
using testing_support::Send;
using testing_support::SimpleResponse;

WinHttpApi& Api() { return SystemWinHttp(); }

ResponseScript Redirect(int status, const std::string& location, const std::string& extra = "") {
  return {Send("HTTP/1.1 " + std::to_string(status) + " Moved\r\nLocation: " + location + "\r\n" +
               extra + "Content-Length: 9\r\n\r\nmoved on!")};
}

// ---- Redirects ----

TEST(Redirects, FollowedWithTheFinalHeadAloneOnTheSameConnection) {
  LoopbackServer server([](const HttpRequest& request) {
    if (request.target == "/start") return Redirect(302, "/final");
    return SimpleResponse(200, "OK", {{"X-Final", "yes"}}, "done");
  });
  ExchangeSetup setup;
  setup.port = server.port();
  setup.target = u"/start";
  ExchangeResult result = RunExchange(Api(), setup);
  ASSERT_EQ(result.failedAt, "");
  EXPECT_EQ(result.body, "done");
  EXPECT_EQ(Narrow(result.rawHeaders),
            "HTTP/1.1 200 OK\r\nX-Final: yes\r\nContent-Length: 4\r\n\r\n");
  auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[1].raw, "GET /final HTTP/1.1\r\nHost: " + server.HostPort() + "\r\n\r\n");
  // The redirect's own body was drained, so the connection served the next hop.
  EXPECT_EQ(requests[1].connection, requests[0].connection);
}

TEST(Redirects, LocationsResolveAgainstTheCurrentUrl) {
  LoopbackServer other([](const HttpRequest&) { return OkResponse("other"); });
  struct Case {
    std::string location;
    std::string target;  // the follow-up's target at this server, "" when at `other`
  } cases[] = {
      {"sibling?x=1", "/dir/sibling?x=1"},
      {"../up", "/up"},
      {"?only=query", "/dir/page?only=query"},
      // libcurl escapes what the server left raw (in lower-case hex).
      {"/abs path/中", "/abs%20path/%e4%b8%ad"},
      {"/frag#dropped", "/frag"},
      {"http://" + other.HostPort() + "/there", ""},
      {"//" + other.HostPort() + "/scheme-relative", ""},
  };
  for (const Case& c : cases) {
    LoopbackServer server([&](const HttpRequest& request) {
      if (request.target == "/dir/page") return Redirect(301, c.location);
      return OkResponse("here");
    });
    std::size_t otherBefore = other.RequestCount();
    ExchangeSetup setup;
    setup.port = server.port();
    setup.target = u"/dir/page";
    ExchangeResult result = RunExchange(Api(), setup);
    ASSERT_EQ(result.failedAt, "") << c.location;
    if (c.target.empty()) {
      EXPECT_EQ(result.body, "other") << c.location;
      ASSERT_EQ(other.RequestCount(), otherBefore + 1);
      EXPECT_EQ(other.Requests().back().Header("Host").value_or(""), other.HostPort());
    } else {
      ASSERT_EQ(server.RequestCount(), 2u) << c.location;
      EXPECT_EQ(server.Requests()[1].target, c.target) << c.location;
    }
  }
}

TEST(Redirects, PostTurnsIntoGetExceptOn307And308) {
  struct Case {
    int status;
    std::u16string verb;
    std::string method;  // of the follow-up
    bool keepsBody;
    bool keepsContentType;
  } cases[] = {
      {301, u"POST", "GET", false, false}, {302, u"POST", "GET", false, false},
      {303, u"POST", "GET", false, false}, {307, u"POST", "POST", true, true},
      {308, u"POST", "POST", true, true},  {303, u"PUT", "GET", false, false},
      {302, u"PUT", "PUT", true, true},    {303, u"HEAD", "HEAD", false, true},
  };
  for (const Case& c : cases) {
    LoopbackServer server([&](const HttpRequest& request) {
      if (request.target == "/form") return Redirect(c.status, "/next");
      return OkResponse("ok");
    });
    ExchangeSetup setup;
    setup.port = server.port();
    setup.verb = c.verb;
    setup.target = u"/form";
    setup.headers = u"Content-Type: text/plain\r\nX-Keep: 1";
    setup.body = c.verb == u"HEAD" ? "" : "data";
    ASSERT_EQ(RunExchange(Api(), setup).failedAt, "") << c.status;
    auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u) << c.status;
    const HttpRequest& next = requests[1];
    EXPECT_EQ(next.method, c.method) << c.status;
    EXPECT_EQ(next.Header("X-Keep").value_or(""), "1") << c.status;
    if (c.keepsBody) {
      EXPECT_EQ(next.body, "data") << c.status;
      EXPECT_EQ(next.Header("Content-Length").value_or(""), "4") << c.status;
    } else {
      EXPECT_EQ(next.body, "") << c.status;
      EXPECT_FALSE(next.Header("Content-Length").has_value()) << c.status;
    }
    EXPECT_EQ(next.Header("Content-Type").has_value(), c.keepsContentType) << c.status;
  }
}

TEST(Redirects, AtMostTenAreFollowed) {
  for (int chain : {10, 11}) {
    // "/r/N" redirects to "/r/N+1" until N reaches `chain`.
    LoopbackServer server([&](const HttpRequest& request) {
      int n = std::atoi(request.target.c_str() + 3);
      if (n < chain) return Redirect(302, "/r/" + std::to_string(n + 1));
      return OkResponse("end");
    });
    ExchangeSetup setup;
    setup.port = server.port();
    setup.target = u"/r/0";
    ExchangeResult result = RunExchange(Api(), setup);
    if (chain == 10) {
      EXPECT_EQ(result.failedAt, "");
      EXPECT_EQ(result.body, "end");
      EXPECT_EQ(server.RequestCount(), 11u);
    } else {
      EXPECT_EQ(result.failedAt, "WinHttpReceiveResponse");
      EXPECT_EQ(server.RequestCount(), 11u);  // the eleventh redirect is not followed
    }
  }
}

TEST(Redirects, UnfollowableLocationFailsTheReceive) {
  for (std::string location : {"ftp://127.0.0.1/file", "http://", "http://h:99999/"}) {
    LoopbackServer server([&](const HttpRequest&) { return Redirect(302, location); });
    ExchangeSetup setup;
    setup.port = server.port();
    EXPECT_EQ(RunExchange(Api(), setup).failedAt, "WinHttpReceiveResponse") << location;
  }
}

TEST(Redirects, NotFollowedWhenDisabledOrWithoutLocation) {
  struct Case {
    ResponseScript script;
    std::optional<DWORD> disable;
    std::string statusLine;
  } cases[] = {
      {Redirect(302, "/elsewhere"), WINHTTP_DISABLE_REDIRECTS, "HTTP/1.1 302 Moved\r\n"},
      {Redirect(301, "/elsewhere"), WINHTTP_DISABLE_REDIRECTS | WINHTTP_DISABLE_COOKIES,
       "HTTP/1.1 301 Moved\r\n"},
      {SimpleResponse(302, "Found", {}, "moved on!"), std::nullopt, "HTTP/1.1 302 Found\r\n"},
      {SimpleResponse(304, "Not Modified", {{"Location", "/x"}}, "moved on!"), std::nullopt,
       "HTTP/1.1 304 Not Modified\r\n"},
  };
  for (const Case& c : cases) {
    LoopbackServer server([&](const HttpRequest&) { return c.script; });
    ExchangeSetup setup;
    setup.port = server.port();
    setup.disableFeature = c.disable;
    ExchangeResult result = RunExchange(Api(), setup);
    ASSERT_EQ(result.failedAt, "") << c.statusLine;
    EXPECT_EQ(Narrow(result.rawHeaders).substr(0, c.statusLine.size()), c.statusLine);
    EXPECT_EQ(server.RequestCount(), 1u);
    if (c.statusLine.find("304") == std::string::npos) {
      EXPECT_EQ(result.body, "moved on!");
    }
  }
}

// ---- Cookies ----

TEST(Cookies, SetByARedirectAreSentOnTheFollowUpOnly) {
  struct Case {
    const char* name;
    std::optional<DWORD> disable;
    std::u16string ourCookie;
    const char* firstCookie;  // nullptr: no Cookie line
    const char* secondCookie;
  } cases[] = {
      {"engine on", std::nullopt, u"", nullptr, "s=1"},
      {"engine on, caller's cookie joins the same line", std::nullopt, u"Cookie: c=2", "c=2",
       "s=1; c=2"},
      {"cookies disabled", WINHTTP_DISABLE_COOKIES, u"", nullptr, nullptr},
      {"cookies disabled, caller's line sent as is", WINHTTP_DISABLE_COOKIES, u"Cookie: c=2", "c=2",
       "c=2"},
  };
  for (const Case& c : cases) {
    LoopbackServer server([](const HttpRequest& request) {
      if (request.target == "/login") {
        return Redirect(302, "/home", "Set-Cookie: s=1; Path=/\r\n");
      }
      return OkResponse("home");
    });
    ExchangeSetup setup;
    setup.port = server.port();
    setup.target = u"/login";
    setup.disableFeature = c.disable;
    setup.headers = c.ourCookie;
    ASSERT_EQ(RunExchange(Api(), setup).failedAt, "") << c.name;
    auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    for (int i = 0; i < 2; ++i) {
      const char* expected = i == 0 ? c.firstCookie : c.secondCookie;
      if (expected == nullptr) {
        EXPECT_EQ(requests[i].HeaderCount("Cookie"), 0u) << c.name << " #" << i;
      } else {
        EXPECT_EQ(requests[i].HeaderCount("Cookie"), 1u) << c.name << " #" << i;
        EXPECT_EQ(requests[i].Header("Cookie").value_or(""), expected) << c.name << " #" << i;
      }
    }
    // The next exchange starts from nothing.
    setup.target = u"/home";
    setup.headers.clear();
    ASSERT_EQ(RunExchange(Api(), setup).failedAt, "");
    EXPECT_FALSE(server.Requests().back().Header("Cookie").has_value()) << c.name;
  }
}

// ---- Credentials ----

TEST(Credentials, BasicGoesPreemptivelyToTheFirstOriginOnly) {
  LoopbackServer other([](const HttpRequest&) { return OkResponse("other"); });
  LoopbackServer server([&](const HttpRequest& request) {
    if (request.target == "/a") return Redirect(302, "/b");
    if (request.target == "/b") return Redirect(302, other.BaseUrl() + "/c");
    return OkResponse("?");
  });
  ExchangeSetup setup;
  setup.port = server.port();
  setup.target = u"/a";
  setup.serverCredentials = {{u"me", u"a:b"}};
  ASSERT_EQ(RunExchange(Api(), setup).failedAt, "");
  auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 2u);
  for (const HttpRequest& request : requests) {
    EXPECT_EQ(request.Header("Authorization").value_or(""), "Basic bWU6YTpi");  // me:a:b
  }
  ASSERT_EQ(other.RequestCount(), 1u);
  EXPECT_FALSE(other.Requests()[0].Header("Authorization").has_value());
}

TEST(Credentials, NonAsciiCredentialsGoAsUtf8) {
  LoopbackServer server([](const HttpRequest&) { return OkResponse("x"); });
  ExchangeSetup setup;
  setup.port = server.port();
  setup.serverCredentials = {{u"用户", u"密"}};
  ASSERT_EQ(RunExchange(Api(), setup).failedAt, "");
  // base64 of the UTF-8 bytes of "用户:密"
  EXPECT_EQ(server.Requests()[0].Header("Authorization").value_or(""), "Basic 55So5oi3OuWvhg==");
}

// ---- Proxies ----

TEST(Proxy, PlainRequestGoesToTheProxyInAbsoluteForm) {
  struct Case {
    std::u16string list;
    INTERNET_PORT port;
    std::string target;
    std::string host;
  } cases[] = {
      {u"", 80, "http://example.test/p?q=1", "example.test"},
      {u"http=", 8080, "http://example.test:8080/p?q=1", "example.test:8080"},
  };
  for (const Case& c : cases) {
    LoopbackServer proxy([](const HttpRequest&) { return OkResponse("via proxy"); });
    ExchangeSetup setup;
    setup.host = u"example.test";
    setup.port = c.port;
    setup.target = u"/p?q=1";
    setup.accessType = WINHTTP_ACCESS_TYPE_NAMED_PROXY;
    setup.proxy = c.list + Widen(proxy.HostPort());
    setup.headers = u"X-Mine: 1";
    setup.proxyCredentials = {{u"pu", u"pp"}};
    ExchangeResult result = RunExchange(Api(), setup);
    ASSERT_EQ(result.failedAt, "");
    EXPECT_EQ(result.body, "via proxy");
    ASSERT_EQ(proxy.RequestCount(), 1u);
    HttpRequest request = proxy.Requests()[0];
    EXPECT_EQ(request.raw, "GET " + c.target + " HTTP/1.1\r\nHost: " + c.host +
                               "\r\nProxy-Authorization: Basic cHU6cHA=\r\nX-Mine: 1\r\n\r\n");
  }
}

TEST(Proxy, SecureRequestIsTunnelledWithoutOurHeaders) {
  LoopbackServer proxy([](const HttpRequest&) { return SimpleResponse(403, "No", {}, ""); });
  ExchangeSetup setup;
  setup.host = u"example.test";
  setup.port = 443;
  setup.secure = true;
  setup.accessType = WINHTTP_ACCESS_TYPE_NAMED_PROXY;
  setup.proxy = u"http=127.0.0.1:1 https=" + Widen(proxy.HostPort());
  setup.headers = u"X-Secret: 1\r\nCookie: c=1";
  // The proxy refuses the tunnel, so nothing can be sent.
  EXPECT_EQ(RunExchange(Api(), setup).failedAt, "WinHttpSendRequest");
  ASSERT_EQ(proxy.RequestCount(), 1u);
  HttpRequest connect = proxy.Requests()[0];
  EXPECT_EQ(connect.method, "CONNECT");
  EXPECT_EQ(connect.target, "example.test:443");
  EXPECT_FALSE(connect.Header("X-Secret").has_value());
  EXPECT_FALSE(connect.Header("Cookie").has_value());
}

TEST(Proxy, EntryForTheOtherSchemeIsNotUsed) {
  LoopbackServer proxy([](const HttpRequest&) { return OkResponse("via proxy"); });
  LoopbackServer origin([](const HttpRequest&) { return OkResponse("direct"); });
  // An http URL with only an https proxy goes direct.
  ExchangeSetup setup;
  setup.port = origin.port();
  setup.target = u"/d";
  setup.accessType = WINHTTP_ACCESS_TYPE_NAMED_PROXY;
  setup.proxy = u"https=" + Widen(proxy.HostPort());
  ExchangeResult result = RunExchange(Api(), setup);
  ASSERT_EQ(result.failedAt, "");
  EXPECT_EQ(result.body, "direct");
  EXPECT_EQ(origin.Requests().at(0).target, "/d");
  // An https URL with only an http proxy goes direct too (and meets a
  // refused connection here, so the send fails), never through the proxy.
  RefusingPort refusing;
  setup.port = refusing.port();
  setup.secure = true;
  setup.proxy = u"http=" + Widen(proxy.HostPort());
  EXPECT_EQ(RunExchange(Api(), setup).failedAt, "WinHttpSendRequest");
  EXPECT_EQ(proxy.RequestCount(), 0u);
}

// Sets environment variables for one test and restores them after.
class ScopedEnvironment {
 public:
  void Set(const char* name, const std::string& value) {
    const char* old = std::getenv(name);
    saved_.push_back({name, old != nullptr, old != nullptr ? old : ""});
    ::setenv(name, value.c_str(), 1);
  }
  ~ScopedEnvironment() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
      if (it->had) {
        ::setenv(it->name, it->value.c_str(), 1);
      } else {
        ::unsetenv(it->name);
      }
    }
  }

 private:
  struct Saved {
    const char* name;
    bool had;
    std::string value;
  };
  std::vector<Saved> saved_;
};

TEST(Proxy, EnvironmentIsIgnored) {
  LoopbackServer envProxy([](const HttpRequest&) { return OkResponse("environment proxy"); });
  LoopbackServer namedProxy([](const HttpRequest&) { return OkResponse("named proxy"); });
  LoopbackServer origin([](const HttpRequest&) { return OkResponse("direct"); });
  ScopedEnvironment environment;
  for (const char* name :
       {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"}) {
    environment.Set(name, envProxy.BaseUrl());
  }
  ExchangeSetup setup;
  setup.port = origin.port();
  ExchangeResult direct = RunExchange(Api(), setup);
  ASSERT_EQ(direct.failedAt, "");
  EXPECT_EQ(direct.body, "direct");

  // Nor does no_proxy keep a named proxy from being used.
  environment.Set("no_proxy", "*");
  environment.Set("NO_PROXY", "*");
  setup.accessType = WINHTTP_ACCESS_TYPE_NAMED_PROXY;
  setup.proxy = Widen(namedProxy.HostPort());
  ExchangeResult named = RunExchange(Api(), setup);
  ASSERT_EQ(named.failedAt, "");
  EXPECT_EQ(named.body, "named proxy");
  EXPECT_EQ(envProxy.RequestCount(), 0u);
}

// ---- The inactivity clock ----

TEST(Timeouts, ReceiveTimeoutLimitsEachWaitNotTheWholeBody) {
  // Five pieces 300 ms apart: longer than the time-out in all, never idle
  // for as long.
  LoopbackServer server([](const HttpRequest&) {
    ResponseScript script{Send("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\n")};
    for (char c : std::string("slows")) {
      script.push_back(Pause(300));
      script.push_back(Send(std::string(1, c)));
    }
    return script;
  });
  ExchangeSetup setup;
  setup.port = server.port();
  setup.timeoutMs = 1000;
  ExchangeResult result = RunExchange(Api(), setup);
  ASSERT_EQ(result.failedAt, "");
  EXPECT_FALSE(result.readFailed);
  EXPECT_EQ(result.body, "slows");
}

TEST(Timeouts, SessionTimeoutsReachItsRequests) {
  LoopbackServer server([](const HttpRequest&) { return ResponseScript{Pause(10000)}; });
  HINTERNET session = Api().WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_NO_PROXY, u"", nullptr, 0);
  ASSERT_TRUE(Api().WinHttpSetTimeouts(session, 1000, 1000, 1000, 500));
  HINTERNET connection = Api().WinHttpConnect(session, u"127.0.0.1", server.port(), 0);
  HINTERNET request =
      Api().WinHttpOpenRequest(connection, u"GET", u"/", nullptr, nullptr, nullptr, 0);
  ASSERT_TRUE(Api().WinHttpSendRequest(request, nullptr, 0, nullptr, 0, 0, 0));
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(Api().WinHttpReceiveResponse(request, nullptr));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1500));
  Api().WinHttpCloseHandle(request);
  Api().WinHttpCloseHandle(connection);
  Api().WinHttpCloseHandle(session);
}

}  // namespace
}  // namespace platform::winhttp
