#include "web/request_composition.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <ostream>
#include <string>

#include "platform/winhttp/utf16_text.h"
#include "testing/scripted_winhttp.h"
#include "text/utf8_literal.h"

namespace {

namespace wh = platform::winhttp;

std::string S(const Text& text) { return std::string(text.data(), text.size()); }

const std::string kUserAgent =
    "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n";
const std::string kAccept = "Accept: text/html, application/xhtml+xml, */*\r\n";
const std::string kEncoding = "Accept-Encoding: gbk, GB2312\r\n";
const std::string kLanguage = "Accept-Language: zh-cn\r\n";
const std::string kContentType = "Content-Type: application/x-www-form-urlencoded\r\n";
const std::string kCache = "Cache-Control: no-cache\r\n";

struct HeaderCase {
  const char* name;
  std::string extraHeaders;
  int method;
  std::optional<std::string> cookies;
  std::string block;
};

void PrintTo(const HeaderCase& c, std::ostream* os) { *os << c.name; }

class HeaderBlockTable : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(HeaderBlockTable, ComposesTheBlock) {
  const HeaderCase& c = GetParam();
  std::optional<Text> cookies;
  if (c.cookies) cookies = Text(*c.cookies);
  EXPECT_EQ(S(ComposeHeaderBlock(Text(c.extraHeaders), c.method, cookies)), c.block);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HeaderBlockTable,
    ::testing::Values(
        HeaderCase{"PlainGetHasFiveDefaultLinesInOrder", "", 0, std::nullopt,
                   kUserAgent + kAccept + kEncoding + kLanguage + kCache},
        HeaderCase{"PostAddsContentTypeBeforeCacheControl", "", 1, std::nullopt,
                   kUserAgent + kAccept + kEncoding + kLanguage + kContentType + kCache},
        HeaderCase{"LowerCaseUserAgentSuppressesTheDefault", "user-agent: me", 0, std::nullopt,
                   "user-agent: me\r\n" + kAccept + kEncoding + kLanguage + kCache},
        HeaderCase{"LowerCaseContentTypeDoesNotSuppressTheDefault", "content-type: text/plain", 1,
                   std::nullopt,
                   "content-type: text/plain\r\n" + kUserAgent + kAccept + kEncoding + kLanguage +
                       kContentType + kCache},
        HeaderCase{
            "ExactContentTypeSuppressesTheDefault", "Content-Type:text/plain", 1, std::nullopt,
            "Content-Type:text/plain\r\n" + kUserAgent + kAccept + kEncoding + kLanguage + kCache},
        HeaderCase{"KeyFoundInsideAnotherName", "X-Accept: 1", 0, std::nullopt,
                   "X-Accept: 1\r\n" + kUserAgent + kEncoding + kLanguage + kCache},
        HeaderCase{"CookiesGoLast", "", 0, std::string("a=1; b=2"),
                   kUserAgent + kAccept + kEncoding + kLanguage + kCache + "Cookie: a=1; b=2\r\n"},
        HeaderCase{"CallersCookieLineWins", "cookie: mine=1", 0, std::string("a=1"),
                   "cookie: mine=1\r\n" + kUserAgent + kAccept + kEncoding + kLanguage + kCache},
        HeaderCase{"EmptyCookiesAddNoLine", "", 0, std::string(""),
                   kUserAgent + kAccept + kEncoding + kLanguage + kCache},
        HeaderCase{"TrailingLineEndLeavesAnEmptyLine", "X-A: 1\r\n", 0, std::nullopt,
                   "X-A: 1\r\n\r\n" + kUserAgent + kAccept + kEncoding + kLanguage + kCache},
        HeaderCase{"MethodOutOfRangeAddsNoContentType", "", 8, std::nullopt,
                   kUserAgent + kAccept + kEncoding + kLanguage + kCache},
        HeaderCase{"NegativeMethodAddsNoContentType", "", -1, std::nullopt,
                   kUserAgent + kAccept + kEncoding + kLanguage + kCache}),
    [](const ::testing::TestParamInfo<HeaderCase>& info) { return std::string(info.param.name); });

TEST(RequestVerb, FollowsTheMethodTableAndFallsBackToGet) {
  const char* expected[] = {"GET", "POST", "HEAD", "PUT", "OPTIONS", "DELETE", "TRACE", "CONNECT"};
  for (int method = 0; method < 8; ++method) EXPECT_EQ(S(RequestVerb(method)), expected[method]);
  EXPECT_EQ(S(RequestVerb(8)), "GET");
  EXPECT_EQ(S(RequestVerb(-1)), "GET");
  EXPECT_EQ(S(RequestVerb(INT_MIN)), "GET");
}

TEST(ComposeProxy, BindsAPlainUrlsProxyToHttpOnly) {
  const ProxySettings direct = ComposeProxy("", false);
  EXPECT_EQ(direct.accessType, wh::WINHTTP_ACCESS_TYPE_NO_PROXY);
  EXPECT_EQ(direct.proxyName, u"");
  const ProxySettings plain = ComposeProxy("proxy:8080", false);
  EXPECT_EQ(plain.accessType, wh::WINHTTP_ACCESS_TYPE_NAMED_PROXY);
  EXPECT_EQ(plain.proxyName, u"http=proxy:8080");
  const ProxySettings secure = ComposeProxy("proxy:8080", true);
  EXPECT_EQ(secure.accessType, wh::WINHTTP_ACCESS_TYPE_NAMED_PROXY);
  EXPECT_EQ(secure.proxyName, u"proxy:8080");
}

TEST(TimeoutMilliseconds, ScalesSecondsAndDefaultsToThirty) {
  EXPECT_EQ(TimeoutMilliseconds(5), 5000);
  EXPECT_EQ(TimeoutMilliseconds(0), 30000);
  EXPECT_EQ(TimeoutMilliseconds(-3), 30000);
  EXPECT_EQ(TimeoutMilliseconds(INT_MAX), INT_MAX);  // no overflow
}

struct TargetCase {
  const char* url;
  const char* host;
  int port;
  bool secure;
  std::u16string object;
};

void PrintTo(const TargetCase& c, std::ostream* os) { *os << c.url; }

class CrackTable : public ::testing::TestWithParam<TargetCase> {};

TEST_P(CrackTable, TakesHostPortSchemeAndObject) {
  const TargetCase& c = GetParam();
  testing_support::ScriptedWinHttp api;
  RequestTarget target;
  ASSERT_TRUE(CrackRequestUrl(api, Text(c.url), target));
  EXPECT_EQ(S(target.host), c.host);
  EXPECT_EQ(target.port, c.port);
  EXPECT_EQ(target.secure, c.secure);
  EXPECT_EQ(wh::Utf16ToUtf8(target.object), wh::Utf16ToUtf8(c.object));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CrackTable,
    ::testing::Values(
        TargetCase{"http://example.com", "example.com", 80, false, u"/"},
        TargetCase{"https://example.com/a/b?x=1&y=2", "example.com", 443, true, u"/a/b?x=1&y=2"},
        TargetCase{"http://127.0.0.1:8080/p", "127.0.0.1", 8080, false, u"/p"},
        // An empty path keeps its query behind the "/".
        TargetCase{"http://example.com?q=1", "example.com", 80, false, u"/?q=1"},
        // The extra info goes on whole, fragment included, as the cracker split it.
        TargetCase{"http://example.com/p?q=1#top", "example.com", 80, false, u"/p?q=1#top"},
        TargetCase{"http://example.com/p#top", "example.com", 80, false, u"/p#top"},
        TargetCase{"http://example.com#top", "example.com", 80, false, u"/#top"}));

TEST(CrackRequestUrl, AsksForPointersAndKeepsUserInformationUnrequested) {
  testing_support::ScriptedWinHttp api;
  RequestTarget target;
  ASSERT_TRUE(CrackRequestUrl(api, "http://h/p", target));
  const testing_support::WinHttpCall* call = api.Find("WinHttpCrackUrl");
  ASSERT_NE(call, nullptr);
  const std::string all = "4294967295";  // -1 as a DWORD
  EXPECT_EQ(call->arguments, (std::vector<std::string>{"http://h/p", "10", "0",
                                                       std::to_string(sizeof(wh::URL_COMPONENTS)),
                                                       all, all, "0", "0", all, all}));
}

TEST(CrackRequestUrl, CarriesAChineseHostThroughCodePage936AndKeepsThePathWide) {
  testing_support::ScriptedWinHttp api;
  RequestTarget target;
  ASSERT_TRUE(CrackRequestUrl(api, Utf8Literal("http://基金.cn/净值?名=1"), target));
  EXPECT_EQ(target.host, Utf8Literal("基金.cn"));
  EXPECT_EQ(target.object, u"/净值?名=1");
}

TEST(CrackRequestUrl, FailsWhenTheCrackerFailsOrPointsOutsideTheUrl) {
  testing_support::ScriptedWinHttp failing;
  RequestTarget target;
  EXPECT_FALSE(CrackRequestUrl(failing, "not a url", target));

  static char16_t elsewhere[] = u"evil.example";
  testing_support::ScriptedWinHttp lying;
  lying.SetCrackAdjustment([](wh::URL_COMPONENTS& c) {
    c.lpszHostName = elsewhere;
    c.dwHostNameLength = 12;
  });
  EXPECT_FALSE(CrackRequestUrl(lying, "http://h/p", target));

  testing_support::ScriptedWinHttp tooLong;
  tooLong.SetCrackAdjustment([](wh::URL_COMPONENTS& c) { c.dwUrlPathLength = 1000; });
  EXPECT_FALSE(CrackRequestUrl(tooLong, "http://h/p", target));
}

}  // namespace
