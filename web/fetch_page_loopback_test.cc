// FetchPage over the real call set against a loopback HTTP server: the bytes
// that go out, and what comes back from real responses, redirects, proxies,
// stalls and cut connections.
#include <gtest/gtest.h>

#include <chrono>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "testing/loopback_server.h"
#include "text/utf8_literal.h"
#include "web/fetch_page.h"

namespace {

using testing_support::ChunkedBody;
using testing_support::HttpRequest;
using testing_support::LoopbackServer;
using testing_support::OkResponse;
using testing_support::ResponseScript;
using testing_support::SimpleResponse;

std::string S(const Text& text) { return std::string(text.data(), text.size()); }
std::string S(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

const std::vector<std::pair<std::string, std::string>> kDefaultLines = {
    {"User-Agent", "Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)"},
    {"Accept", "text/html, application/xhtml+xml, */*"},
    {"Accept-Encoding", "gbk, GB2312"},
    {"Accept-Language", "zh-cn"},
    {"Cache-Control", "no-cache"},
};

std::string Lines(const std::vector<std::pair<std::string, std::string>>& lines) {
  std::string out;
  for (const auto& [name, value] : lines) out += name + ": " + value + "\r\n";
  return out;
}

Text Get(const std::string& url, FetchOptions& options) { return FetchPage(Text(url), options); }

TEST(FetchPageLoopback, ADefaultGetSendsTheFiveDefaultLinesInOrder) {
  LoopbackServer server([](const HttpRequest&) { return OkResponse("hello"); });
  ASSERT_TRUE(server.ok());
  FetchOptions options;
  EXPECT_EQ(S(Get(server.BaseUrl() + "/f10/F10DataApi.aspx?type=lsjz&code=000001", options)),
            "hello");
  ASSERT_EQ(server.RequestCount(), 1u);
  const HttpRequest request = server.Requests()[0];
  EXPECT_EQ(request.raw, "GET /f10/F10DataApi.aspx?type=lsjz&code=000001 HTTP/1.1\r\nHost: " +
                             server.HostPort() + "\r\n" + Lines(kDefaultLines) + "\r\n");
  EXPECT_EQ(S(options.status), "200 OK");
  EXPECT_EQ(S(options.responseBytes), "hello");
}

TEST(FetchPageLoopback, TheOneArgumentFormIsAPlainGet) {
  LoopbackServer server([](const HttpRequest& r) { return OkResponse("got " + r.method); });
  ASSERT_TRUE(server.ok());
  EXPECT_EQ(S(FetchPage(Text(server.BaseUrl() + "/"))), "got GET");
}

TEST(FetchPageLoopback, APostSendsItsBodyWithTheFormContentType) {
  LoopbackServer server([](const HttpRequest& r) { return OkResponse("echo:" + r.body); });
  ASSERT_TRUE(server.ok());
  FetchOptions options;
  options.method = 1;
  options.body = Utf8Literal("code=000001&名称=基金");
  const std::string body = S(options.body);
  EXPECT_EQ(S(Get(server.BaseUrl() + "/post", options)), "echo:" + body);
  const HttpRequest request = server.Requests().at(0);
  EXPECT_EQ(request.method, "POST");
  EXPECT_EQ(request.body, body);  // code-page-936 bytes as they are
  EXPECT_EQ(request.Header("Content-Type").value_or(""), "application/x-www-form-urlencoded");
  EXPECT_EQ(request.Header("Content-Length").value_or(""), std::to_string(body.size()));
  EXPECT_EQ(request.HeaderCount("User-Agent"), 1u);
}

TEST(FetchPageLoopback, ExtraHeadersGoFirstAndSuppressTheirDefaults) {
  LoopbackServer server([](const HttpRequest&) { return OkResponse(""); });
  ASSERT_TRUE(server.ok());
  FetchOptions options;
  options.extraHeaders = "X-Test: 1\r\nuser-agent: mine\r\nX-Accept: y";
  options.cookies = Text("sid=1");
  Get(server.BaseUrl() + "/", options);
  const HttpRequest request = server.Requests().at(0);
  EXPECT_EQ(request.HeaderCount("User-Agent"), 1u);
  EXPECT_EQ(request.Header("User-Agent").value_or(""), "mine");
  // X-Accept holds the key "Accept: ", so no default Accept line goes out.
  EXPECT_EQ(request.HeaderCount("Accept"), 0u);
  EXPECT_EQ(request.Header("X-Test").value_or(""), "1");
  EXPECT_EQ(request.Header("Cookie").value_or(""), "sid=1");
  EXPECT_EQ(request.HeaderCount("Cookie"), 1u);
}

TEST(FetchPageLoopback, ErrorStatusesAreReadLikeOk) {
  struct Case {
    int code;
    const char* reason;
  };
  for (const Case& c : {Case{404, "Not Found"}, Case{500, "Internal Server Error"}}) {
    LoopbackServer server([&](const HttpRequest&) {
      return SimpleResponse(c.code, c.reason, {}, "<p>error page</p>");
    });
    ASSERT_TRUE(server.ok());
    FetchOptions options;
    EXPECT_EQ(S(Get(server.BaseUrl() + "/missing", options)), "<p>error page</p>");
    EXPECT_EQ(S(options.status), std::to_string(c.code) + " " + c.reason);
  }
}

TEST(FetchPageLoopback, AChunkedBodyArrivesWhole) {
  LoopbackServer server([](const HttpRequest&) {
    return ResponseScript{
        testing_support::Send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n" +
                              ChunkedBody({"first ", "second ", std::string(20000, 'x')}))};
  });
  ASSERT_TRUE(server.ok());
  FetchOptions options;
  EXPECT_EQ(S(Get(server.BaseUrl() + "/", options)), "first second " + std::string(20000, 'x'));
}

TEST(FetchPageLoopback, RedirectsAreFollowedUnlessSwitchedOff) {
  LoopbackServer server([](const HttpRequest& r) {
    if (r.target == "/old") return SimpleResponse(302, "Found", {{"Location", "/new"}}, "moved");
    return OkResponse("new page");
  });
  ASSERT_TRUE(server.ok());

  FetchOptions follow;
  follow.location = "untouched";
  EXPECT_EQ(S(Get(server.BaseUrl() + "/old", follow)), "new page");
  EXPECT_EQ(S(follow.status), "200 OK");
  EXPECT_EQ(S(follow.location), "untouched");  // the final response has no Location
  EXPECT_EQ(server.RequestCount(), 2u);

  FetchOptions stay;
  stay.noRedirects = true;
  EXPECT_EQ(S(Get(server.BaseUrl() + "/old", stay)), "moved");
  EXPECT_EQ(S(stay.status), "302 Found");
  EXPECT_EQ(S(stay.location), "/new");
  EXPECT_EQ(server.RequestCount(), 3u);
}

TEST(FetchPageLoopback, CookieLinesInMixedCaseAreJoinedAndMergedWithHeldOnes) {
  LoopbackServer server([](const HttpRequest&) {
    return SimpleResponse(200, "OK",
                          {{"set-cookie", "a=1; path=/"},
                           {"SET-COOKIE", "b=2"},
                           {"Set-Cookie", "sid=deleted; expires=Thu, 01 Jan 1970 00:00:00 GMT"}},
                          "body");
  });
  ASSERT_TRUE(server.ok());

  FetchOptions fresh;
  Get(server.BaseUrl() + "/", fresh);
  EXPECT_EQ(S(fresh.newCookies), "a=1; b=2; sid=deleted");
  EXPECT_NE(S(fresh.responseHeaders).find("Set-Cookie: a=1; path=/\r\nSet-Cookie: b=2\r\n"),
            std::string::npos);

  FetchOptions held;
  held.cookies = Text("sid=9; lang=zh");
  Get(server.BaseUrl() + "/", held);
  EXPECT_EQ(server.Requests().back().Header("Cookie").value_or(""), "sid=9; lang=zh");
  EXPECT_EQ(S(held.newCookies), "a=1; b=2; lang=zh");
  EXPECT_EQ(S(*held.cookies), "a=1; b=2; lang=zh");
}

TEST(FetchPageLoopback, BasicCredentialsOpenAProtectedPage) {
  LoopbackServer server([](const HttpRequest& r) {
    // "dXNlcjpwYXNz" is "user:pass".
    if (r.Header("Authorization").value_or("") == "Basic dXNlcjpwYXNz") return OkResponse("secret");
    return SimpleResponse(401, "Unauthorized", {{"WWW-Authenticate", "Basic realm=\"x\""}}, "no");
  });
  ASSERT_TRUE(server.ok());
  FetchOptions options;
  options.userName = "user";
  options.password = "pass";
  EXPECT_EQ(S(Get(server.BaseUrl() + "/private", options)), "secret");
  EXPECT_EQ(S(options.status), "200 OK");

  FetchOptions halfOnly;
  halfOnly.userName = "user";  // no password: no credentials at all
  EXPECT_EQ(S(Get(server.BaseUrl() + "/private", halfOnly)), "no");
  EXPECT_EQ(S(halfOnly.status), "401 Unauthorized");
}

TEST(FetchPageLoopback, APlainUrlGoesThroughTheNamedProxy) {
  LoopbackServer proxy([](const HttpRequest& r) {
    if (r.Header("Proxy-Authorization").value_or("") != "Basic cHU6cHA=") {  // "pu:pp"
      return SimpleResponse(407, "Proxy Authentication Required",
                            {{"Proxy-Authenticate", "Basic realm=\"p\""}}, "");
    }
    return OkResponse("via proxy: " + r.target);
  });
  ASSERT_TRUE(proxy.ok());
  FetchOptions options;
  options.proxy = Text(proxy.HostPort());
  options.proxyUserName = "pu";
  options.proxyPassword = "pp";
  // The host does not exist; only the proxy can answer.
  EXPECT_EQ(S(Get("http://fund.invalid/js/fundcode_search.js", options)),
            "via proxy: http://fund.invalid/js/fundcode_search.js");
  EXPECT_EQ(S(options.status), "200 OK");
}

TEST(FetchPageLoopback, AStalledServerEndsInTheTimeOut) {
  LoopbackServer server([](const HttpRequest&) {
    return ResponseScript{testing_support::Pause(10000), testing_support::Send("late")};
  });
  ASSERT_TRUE(server.ok());
  FetchOptions options;
  options.timeoutSeconds = 1;
  options.responseBytes = Bytes{'o', 'l', 'd'};
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(S(Get(server.BaseUrl() + "/slow", options)), "");
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(options.status, Utf8Literal("712 服务器未响应!"));
  EXPECT_EQ(S(options.responseBytes), "old");
  EXPECT_LT(elapsed, std::chrono::seconds(2));
}

TEST(FetchPageLoopback, ACutConnectionKeepsThePartialBody) {
  LoopbackServer server([](const HttpRequest&) {
    return ResponseScript{
        testing_support::Send("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\npartial body"),
        testing_support::Pause(100), testing_support::Close()};
  });
  ASSERT_TRUE(server.ok());
  FetchOptions options;
  EXPECT_EQ(S(Get(server.BaseUrl() + "/cut", options)), "partial body");
  EXPECT_EQ(S(options.responseBytes), "partial body");
  // The status text replaced the read error.
  EXPECT_EQ(S(options.status), "200 OK");
}

TEST(FetchPageLoopback, AConnectionRefusedIsNotAnswered) {
  std::string url;
  {
    LoopbackServer gone([](const HttpRequest&) { return OkResponse(""); });
    url = gone.BaseUrl() + "/";
  }
  FetchOptions options;
  EXPECT_EQ(S(Get(url, options)), "");
  const std::string status = S(options.status);
  // Connecting happens when the request is sent.
  EXPECT_TRUE(status.rfind("711 ", 0) == 0 || status.rfind("712 ", 0) == 0) << status;
}

struct CharsetCase {
  const char* name;
  std::string header;  // the page up to its text, UTF-8
  bool bodyInUtf8;     // otherwise the page is sent in code page 936
};

void PrintTo(const CharsetCase& c, std::ostream* os) { *os << c.name; }

class CharsetTable : public ::testing::TestWithParam<CharsetCase> {};

TEST_P(CharsetTable, ThePageArrivesInCodePage936) {
  const CharsetCase& c = GetParam();
  const std::string page = c.header + "<td>单位净值</td><td class='tor bold red'>1.23%</td>";
  const Text expected = Utf8Literal(page);
  const std::string sent = c.bodyInUtf8 ? page : S(expected);
  LoopbackServer server([&](const HttpRequest&) { return OkResponse(sent); });
  ASSERT_TRUE(server.ok());
  FetchOptions options;
  EXPECT_EQ(Get(server.BaseUrl() + "/page", options), expected);
  EXPECT_EQ(S(options.responseBytes), sent);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CharsetTable,
    ::testing::Values(CharsetCase{"Utf8Quoted",
                                  "<meta http-equiv=\"Content-Type\" content=\"text/html; "
                                  "charset=\"utf-8\">",
                                  true},
                      CharsetCase{"Gb2312InCapitalsGoesThroughTheStream", "<meta charset=GB2312>",
                                  false},
                      CharsetCase{"Gb2312StaysAsItIs", "<meta charset=gb2312>", false},
                      CharsetCase{"NoDeclaration", "<html>", false}),
    [](const ::testing::TestParamInfo<CharsetCase>& info) { return std::string(info.param.name); });

}  // namespace
