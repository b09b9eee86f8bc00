// FetchPage over scripted calls: the order and the arguments of the calls,
// the error texts and what each failure leaves behind, the body and header
// reading, and the cookie handling.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "platform/automation/apartment.h"
#include "platform/winhttp/winhttp_api.h"
#include "testing/scripted_winhttp.h"
#include "text/pump_events.h"
#include "text/utf8_literal.h"
#include "web/fetch_page.h"
#include "web/fetch_transfer.h"

namespace {

namespace wh = platform::winhttp;
using testing_support::ScriptedWinHttp;
using Args = std::vector<std::string>;

std::string S(const Text& text) { return std::string(text.data(), text.size()); }
std::string S(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }
Bytes B(const std::string& text) { return Bytes(text.begin(), text.end()); }
std::string N(std::uint64_t value) { return std::to_string(value); }

const std::string kDefaultBlock =
    "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n"
    "Accept: text/html, application/xhtml+xml, */*\r\n"
    "Accept-Encoding: gbk, GB2312\r\n"
    "Accept-Language: zh-cn\r\n"
    "Cache-Control: no-cache\r\n";
const std::string kAddFlags = N(wh::WINHTTP_ADDREQ_FLAG_ADD | wh::WINHTTP_ADDREQ_FLAG_REPLACE);

// Counts pumped window events, and checks that the fetch's own COM
// initialisation is held whenever the window gets control.
class FetchFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    comBefore_ = platform::com::ApartmentInitCount();
    unbalancedBefore_ = platform::com::UnbalancedUninitializeCount();
    previous_ = InstallEventPump([this] {
      ++pumps_;
      comDuringPumps_.push_back(platform::com::ApartmentInitCount() - comBefore_);
      if (onPump_) onPump_();
    });
  }
  void TearDown() override {
    InstallEventPump(previous_);
    EXPECT_EQ(platform::com::ApartmentInitCount(), comBefore_) << "COM left initialised";
    EXPECT_EQ(platform::com::UnbalancedUninitializeCount(), unbalancedBefore_);
  }

  Text Fetch(const std::string& url = "http://example.com/list?page=1") {
    return FetchPageVia(api_, Text(url), options_);
  }

  // Sets every output to a value no path would write.
  void MarkOutputs() {
    options_.newCookies = "old-new-cookies";
    options_.responseHeaders = "old-headers";
    options_.location = "old-location";
    options_.status = "old-status";
    options_.responseBytes = B("old-bytes");
  }

  ScriptedWinHttp api_;
  FetchOptions options_;
  int pumps_ = 0;
  std::vector<int> comDuringPumps_;
  std::function<void()> onPump_;

 private:
  std::function<void()> previous_;
  int comBefore_ = 0;
  int unbalancedBefore_ = 0;
};

TEST_F(FetchFixture, DefaultGetMakesTheCallsInOrderWithTheirArguments) {
  api_.SetRawHeaders("HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\n");
  api_.SetBodyChunks({"ab", "cd"});
  EXPECT_EQ(S(Fetch("http://example.com:8080/list?page=1")), "abcd");

  const std::vector<std::string> order = {"WinHttpCheckPlatform",
                                          "WinHttpCrackUrl",
                                          "WinHttpOpen",
                                          "WinHttpConnect",
                                          "WinHttpOpenRequest",
                                          "WinHttpSetTimeouts",
                                          "WinHttpSetOption",
                                          "WinHttpAddRequestHeaders",
                                          "WinHttpSendRequest",
                                          "WinHttpReceiveResponse",
                                          "WinHttpQueryDataAvailable",
                                          "WinHttpReadData",
                                          "WinHttpQueryDataAvailable",
                                          "WinHttpReadData",
                                          "WinHttpQueryDataAvailable",
                                          "WinHttpQueryHeaders",
                                          "WinHttpQueryHeaders",
                                          "WinHttpCloseHandle",
                                          "WinHttpCloseHandle",
                                          "WinHttpCloseHandle"};
  EXPECT_EQ(api_.CallNames(), order);

  EXPECT_EQ(api_.Find("WinHttpOpen")->arguments, (Args{"<null>", "1", "", "<null>", "0"}));
  EXPECT_EQ(api_.Find("WinHttpConnect")->arguments, (Args{"session", "example.com", "8080", "0"}));
  EXPECT_EQ(api_.Find("WinHttpOpenRequest")->arguments,
            (Args{"connection", "GET", "/list?page=1", "<null>", "<null>", "<null>", "0"}));
  EXPECT_EQ(api_.Find("WinHttpSetTimeouts")->arguments,
            (Args{"request", "30000", "30000", "30000", "30000"}));
  EXPECT_EQ(api_.Find("WinHttpSetOption")->arguments, (Args{"request", "63", "1", "4"}));
  // The length is in code units without the terminator.
  EXPECT_EQ(api_.Find("WinHttpAddRequestHeaders")->arguments,
            (Args{"request", kDefaultBlock, N(kDefaultBlock.size()), kAddFlags}));
  EXPECT_EQ(api_.Find("WinHttpSendRequest")->arguments,
            (Args{"request", "<null>", "0", "<null>", "0", "0", "0"}));
  EXPECT_EQ(api_.Find("WinHttpReceiveResponse")->arguments, (Args{"request", "<null>"}));
  const std::string headerBytes =
      N((std::string("HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\n").size() + 1) * 2);
  EXPECT_EQ(api_.Find("WinHttpQueryHeaders", 1)->arguments,
            (Args{"request", "22", "<null>", "<null>", "0", "0"}));
  EXPECT_EQ(api_.Find("WinHttpQueryHeaders", 2)->arguments,
            (Args{"request", "22", "<null>", "<set>", headerBytes, "0"}));
  EXPECT_EQ(api_.Find("WinHttpCloseHandle", 1)->arguments, Args{"request"});
  EXPECT_EQ(api_.Find("WinHttpCloseHandle", 2)->arguments, Args{"connection"});
  EXPECT_EQ(api_.Find("WinHttpCloseHandle", 3)->arguments, Args{"session"});
  EXPECT_EQ(api_.OpenHandles(), 0);

  EXPECT_EQ(S(options_.status), "200 OK");
  EXPECT_EQ(S(options_.responseHeaders), "HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\n");
  EXPECT_EQ(S(options_.responseBytes), "abcd");
  EXPECT_EQ(S(options_.newCookies), "");
  EXPECT_FALSE(options_.cookies.has_value());
}

TEST_F(FetchFixture, TimeoutsScaleToMillisecondsForEveryPhase) {
  struct Case {
    int seconds;
    const char* milliseconds;
  };
  for (const Case& c : {Case{5, "5000"}, Case{0, "30000"}, Case{-1, "30000"}, Case{1, "1000"}}) {
    ScriptedWinHttp api;
    FetchOptions options;
    options.timeoutSeconds = c.seconds;
    FetchPageVia(api, "http://h/", options);
    EXPECT_EQ(api.Find("WinHttpSetTimeouts")->arguments,
              (Args{"request", c.milliseconds, c.milliseconds, c.milliseconds, c.milliseconds}))
        << c.seconds;
  }
}

TEST_F(FetchFixture, CredentialsAreSetOnlyWhenBothHalvesAreGiven) {
  struct Case {
    const char* user;
    const char* password;
    const char* proxyUser;
    const char* proxyPassword;
    std::vector<Args> expected;
  };
  const std::vector<Case> cases = {
      {"", "", "", "", {}},
      {"u", "", "", "pp", {}},
      {"", "p", "pu", "", {}},
      {"u", "p", "", "", {{"request", "0", "1", "u", "p", "<null>"}}},
      // Proxy credentials go in even without a proxy.
      {"", "", "pu", "pp", {{"request", "1", "1", "pu", "pp", "<null>"}}},
      {"u",
       "p",
       "pu",
       "pp",
       {{"request", "0", "1", "u", "p", "<null>"}, {"request", "1", "1", "pu", "pp", "<null>"}}},
  };
  for (const Case& c : cases) {
    ScriptedWinHttp api;
    FetchOptions options;
    options.userName = c.user;
    options.password = c.password;
    options.proxyUserName = c.proxyUser;
    options.proxyPassword = c.proxyPassword;
    FetchPageVia(api, "http://h/", options);
    const std::vector<Args> calls = api.ArgumentsOf("WinHttpSetCredentials");
    EXPECT_EQ(calls, c.expected) << c.user << "/" << c.password << " " << c.proxyUser << "/"
                                 << c.proxyPassword;
    // Credentials come after the time-outs and before the cookie option.
    if (!c.expected.empty()) {
      const auto names = api.CallNames();
      EXPECT_EQ(names[5], "WinHttpSetTimeouts");
      EXPECT_EQ(names[6], "WinHttpSetCredentials");
      EXPECT_EQ(names[6 + c.expected.size()], "WinHttpSetOption");
    }
  }
}

TEST_F(FetchFixture, CookieAndRedirectOptions) {
  struct Case {
    bool cookiesPresent;
    bool noRedirects;
    std::vector<Args> expected;
  };
  const std::vector<Case> cases = {
      {false, false, {{"request", "63", "1", "4"}}},
      {true, false, {{"request", "79", "1", "4"}}},
      {false, true, {{"request", "63", "1", "4"}, {"request", "63", "2", "4"}}},
      {true, true, {{"request", "79", "1", "4"}, {"request", "63", "2", "4"}}},
  };
  for (const Case& c : cases) {
    ScriptedWinHttp api;
    FetchOptions options;
    if (c.cookiesPresent) options.cookies = Text();  // present even though empty
    options.noRedirects = c.noRedirects;
    FetchPageVia(api, "http://h/", options);
    const std::vector<Args> calls = api.ArgumentsOf("WinHttpSetOption");
    EXPECT_EQ(calls, c.expected) << c.cookiesPresent << c.noRedirects;
    // Empty cookies add no Cookie line.
    EXPECT_EQ(api.Find("WinHttpAddRequestHeaders")->arguments[1], kDefaultBlock);
  }
}

TEST_F(FetchFixture, SecureUrlsAskForASecureRequestAndUseTheProxyForEveryScheme) {
  options_.proxy = "proxy.local:3128";
  Fetch("https://example.com/x");
  EXPECT_EQ(api_.Find("WinHttpOpen")->arguments,
            (Args{"<null>", "3", "proxy.local:3128", "<null>", "0"}));
  EXPECT_EQ(api_.Find("WinHttpConnect")->arguments, (Args{"session", "example.com", "443", "0"}));
  EXPECT_EQ(api_.Find("WinHttpOpenRequest")->arguments.back(), N(wh::WINHTTP_FLAG_SECURE));

  ScriptedWinHttp plain;
  FetchPageVia(plain, "http://example.com/x", options_);
  EXPECT_EQ(plain.Find("WinHttpOpen")->arguments,
            (Args{"<null>", "3", "http=proxy.local:3128", "<null>", "0"}));
  EXPECT_EQ(plain.Find("WinHttpOpenRequest")->arguments.back(), "0");
}

TEST_F(FetchFixture, PostSendsTheBodyBytesWithTheirLengthTwice) {
  options_.method = 1;
  options_.body = Utf8Literal("a=1&名=值");
  Fetch();
  const std::string body = S(options_.body);
  EXPECT_EQ(api_.Find("WinHttpOpenRequest")->arguments[1], "POST");
  EXPECT_EQ(api_.Find("WinHttpSendRequest")->arguments,
            (Args{"request", "<null>", "0", body, N(body.size()), N(body.size()), "0"}));
  EXPECT_NE(api_.Find("WinHttpAddRequestHeaders")
                ->arguments[1]
                .find("Content-Type: application/x-www-form-urlencoded\r\n"),
            std::string::npos);
}

TEST_F(FetchFixture, HeaderLengthCountsCodeUnitsNotBytes) {
  options_.extraHeaders = Utf8Literal("X-Name: 基金");
  Fetch();
  const Args& args = api_.Find("WinHttpAddRequestHeaders")->arguments;
  const std::string expected = "X-Name: 基金\r\n" + kDefaultBlock;
  EXPECT_EQ(args[1], expected);
  EXPECT_EQ(args[2], N(kDefaultBlock.size() + 12));  // "X-Name: " + 2 characters + CRLF
}

// Each failing call, the text it leaves, and the handles opened before it.
struct FailureCase {
  const char* function;
  int occurrence;
  int code;
  const char* text;
  std::vector<std::string> closed;  // handles closed, in order
  bool pumps;                       // whether window events are pumped on the way out
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.function << " #" << c.occurrence; }

class FailureTable : public FetchFixture, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(FailureTable, LeavesOnlyTheErrorTextAndClosesWhatWasOpened) {
  const FailureCase& c = GetParam();
  api_.FailCall(c.function, c.occurrence);
  api_.SetRawHeaders("HTTP/1.1 200 OK\r\nSet-Cookie: a=1\r\nLocation: /x\r\n\r\n");
  api_.SetBodyChunks({"body"});
  options_.userName = "u";
  options_.password = "p";
  options_.proxyUserName = "pu";
  options_.proxyPassword = "pp";
  options_.noRedirects = true;
  options_.cookies = Text("held=1");
  MarkOutputs();

  EXPECT_EQ(S(Fetch()), "");
  EXPECT_EQ(options_.status, Utf8Literal(c.text));
  EXPECT_EQ(S(options_.status).substr(0, 4), std::to_string(c.code) + " ");
  EXPECT_EQ(S(options_.newCookies), "old-new-cookies");
  EXPECT_EQ(S(options_.responseHeaders), "old-headers");
  EXPECT_EQ(S(options_.location), "old-location");
  EXPECT_EQ(S(options_.responseBytes), "old-bytes");
  EXPECT_EQ(S(*options_.cookies), "held=1");

  // Nothing but closing follows the failed call.
  const std::vector<std::string> names = api_.CallNames();
  const testing_support::WinHttpCall* failed = api_.Find(c.function, c.occurrence);
  ASSERT_NE(failed, nullptr);
  const auto failedAt = static_cast<std::size_t>(failed - api_.Calls().data());
  std::vector<std::string> closed;
  for (std::size_t i = failedAt + 1; i < names.size(); ++i) {
    ASSERT_EQ(names[i], "WinHttpCloseHandle");
    closed.push_back(api_.Calls()[i].arguments[0]);
  }
  EXPECT_EQ(closed, c.closed);
  EXPECT_EQ(api_.OpenHandles(), 0);
  EXPECT_EQ(pumps_ > 0, c.pumps);
}

const std::vector<std::string> kAll = {"request", "connection", "session"};

INSTANTIATE_TEST_SUITE_P(
    Codes, FailureTable,
    ::testing::Values(
        FailureCase{"WinHttpCheckPlatform", 1, 700, "700 当前系统不支持WinHttp服务!", {}, false},
        FailureCase{"WinHttpCrackUrl", 1, 701, "701 解析URL地址失败!", {}, true},
        FailureCase{"WinHttpOpen", 1, 702, "702 创建WinHttp会话失败!", {}, true},
        FailureCase{"WinHttpConnect", 1, 703, "703 创建WinHttp连接失败!", {"session"}, true},
        FailureCase{"WinHttpOpenRequest",
                    1,
                    704,
                    "704 创建WinHttp请求失败!",
                    {"connection", "session"},
                    true},
        FailureCase{"WinHttpSetTimeouts", 1, 705, "705 设置超时时间失败!", kAll, true},
        FailureCase{"WinHttpSetCredentials", 1, 707, "707 设置代理凭证失败!", kAll, false},
        FailureCase{"WinHttpSetCredentials", 2, 707, "707 设置代理凭证失败!", kAll, false},
        FailureCase{"WinHttpSetOption", 1, 708, "708 禁止自动设置Cookies失败!", kAll, false},
        FailureCase{"WinHttpSetOption", 2, 709, "709 重定向设置失败!", kAll, false},
        FailureCase{"WinHttpAddRequestHeaders", 1, 710, "710 设置协议头失败!", kAll, true},
        FailureCase{"WinHttpSendRequest", 1, 711, "711 发送请求失败!", kAll, true},
        FailureCase{"WinHttpReceiveResponse", 1, 712, "712 服务器未响应!", kAll, true}),
    [](const ::testing::TestParamInfo<FailureCase>& info) {
      return std::to_string(info.param.code) + "_" + std::to_string(info.param.occurrence);
    });

TEST_F(FetchFixture, AFailedReadKeepsTheBytesBeforeItAndTheStatusReplacesTheErrorText) {
  api_.SetRawHeaders("HTTP/1.1 200 OK\r\nSet-Cookie: a=1; path=/\r\n\r\n");
  api_.SetBodyChunks({"ab", "cd", "ef"});
  api_.FailReadAfterChunks(2);
  EXPECT_EQ(S(Fetch()), "abcd");
  EXPECT_EQ(S(options_.status), "200 OK");
  EXPECT_EQ(S(options_.responseBytes), "abcd");
  EXPECT_EQ(S(options_.newCookies), "a=1");
  EXPECT_EQ(api_.CountOf("WinHttpReadData"), 3);
  EXPECT_EQ(api_.OpenHandles(), 0);
}

TEST_F(FetchFixture, AFailedReadFollowedByUnreadableHeadersLeavesTheReadErrorText) {
  api_.SetBodyChunks({"ab", "cd"});
  api_.FailReadAfterChunks(1);
  api_.FailCall("WinHttpQueryHeaders", 2);
  MarkOutputs();
  EXPECT_EQ(S(Fetch()), "");
  EXPECT_EQ(options_.status, Utf8Literal("713 读取数据失败!"));
  EXPECT_EQ(S(options_.responseBytes), "old-bytes");
  EXPECT_EQ(S(options_.responseHeaders), "old-headers");
  EXPECT_EQ(S(options_.newCookies), "old-new-cookies");
  EXPECT_EQ(api_.OpenHandles(), 0);
  EXPECT_GT(pumps_, 0);
}

TEST_F(FetchFixture, UnreadableHeadersGiveAnEmptyPageAndNoErrorText) {
  api_.SetBodyChunks({"body"});
  api_.FailCall("WinHttpQueryHeaders", 2);
  MarkOutputs();
  EXPECT_EQ(S(Fetch()), "");
  EXPECT_EQ(S(options_.status), "old-status");
  EXPECT_EQ(S(options_.responseBytes), "old-bytes");
  EXPECT_EQ(S(options_.location), "old-location");
  EXPECT_EQ(api_.OpenHandles(), 0);
}

TEST_F(FetchFixture, AnAbsurdHeaderSizeIsNotTrusted) {
  api_.SetBodyChunks({"body"});
  api_.SetHeaderProbeSize(0xFFFFFFF0u);
  MarkOutputs();
  EXPECT_EQ(S(Fetch()), "");
  EXPECT_EQ(S(options_.status), "old-status");
  // No second query: a buffer that size is never made.
  EXPECT_EQ(api_.CountOf("WinHttpQueryHeaders"), 1);
  EXPECT_EQ(api_.OpenHandles(), 0);
}

TEST_F(FetchFixture, AnAbsurdAvailabilityIsReadInBoundedChunks) {
  api_.SetBodyChunks({"abc", "def"});
  api_.SetReportedAvailable(0xFFFFFFFFu);
  EXPECT_EQ(S(Fetch()), "abcdef");
  for (wh::DWORD requested : api_.ReadRequests()) EXPECT_LE(requested, kMaxReadChunkBytes);
}

TEST_F(FetchFixture, AFailedAvailabilityQueryEndsTheBodyQuietly) {
  api_.SetBodyChunks({"ab", "cd"});
  api_.FailCall("WinHttpQueryDataAvailable", 2);
  EXPECT_EQ(S(Fetch()), "ab");
  EXPECT_EQ(S(options_.status), "200 OK");
}

TEST_F(FetchFixture, AnEmptyReadEndsTheBody) {
  // The service said data was there, then delivered none: the body is over.
  api_.SetBodyChunks({"ab", "", "cd"});
  api_.SetReportedAvailable(2);
  EXPECT_EQ(S(Fetch()), "ab");
}

TEST_F(FetchFixture, ABodyWithANulByteIsCutInTheTextButKeptInTheBytes) {
  api_.SetBodyChunks({std::string("ab\0cd", 5)});
  EXPECT_EQ(S(Fetch()), "ab");
  EXPECT_EQ(S(options_.responseBytes), std::string("ab\0cd", 5));
}

struct HeaderCase {
  const char* name;
  std::string raw;
  std::string status;
  std::string newCookies;
  std::string location;  // "old-location" when no line sets it
  std::string headers;   // the normalised header text
};

void PrintTo(const HeaderCase& c, std::ostream* os) { *os << c.name; }

class HeaderTable : public FetchFixture, public ::testing::WithParamInterface<HeaderCase> {};

TEST_P(HeaderTable, ReadsStatusCookiesAndLocation) {
  const HeaderCase& c = GetParam();
  api_.SetRawHeaders(c.raw);
  MarkOutputs();
  options_.newCookies = Text();
  Fetch();
  EXPECT_EQ(S(options_.status), c.status);
  EXPECT_EQ(S(options_.newCookies), c.newCookies);
  EXPECT_EQ(S(options_.location), c.location);
  EXPECT_EQ(S(options_.responseHeaders), c.headers);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HeaderTable,
    ::testing::Values(
        HeaderCase{"TwoCookieLinesInMixedCase",
                   "HTTP/1.1 200 OK\r\nset-cookie: a=1; path=/\r\nSET-COOKIE: b=2\r\n\r\n",
                   "200 OK", "a=1; b=2", "old-location",
                   "HTTP/1.1 200 OK\r\nSet-Cookie: a=1; path=/\r\nSet-Cookie: b=2\r\n\r\n"},
        HeaderCase{"LocationInLowerCase", "HTTP/1.1 302 Found\r\nlocation: http://h/next\r\n\r\n",
                   "302 Found", "", "http://h/next",
                   "HTTP/1.1 302 Found\r\nlocation: http://h/next\r\n\r\n"},
        HeaderCase{"LaterLocationWins",
                   "HTTP/1.1 301 Moved\r\nLocation: /a\r\nLOCATION: /b\r\n\r\n", "301 Moved", "",
                   "/b", "HTTP/1.1 301 Moved\r\nLocation: /a\r\nLOCATION: /b\r\n\r\n"},
        HeaderCase{"EmbeddedSetCookieNameCountsAsACookieLine",
                   "HTTP/1.1 200 OK\r\nX-Set-Cookie: c=3; path=/\r\n\r\n", "200 OK", "c=3",
                   "old-location", "HTTP/1.1 200 OK\r\nX-Set-Cookie: c=3; path=/\r\n\r\n"},
        HeaderCase{"NotFoundIsReadLikeOk", "HTTP/1.1 404 Not Found\r\n\r\n", "404 Not Found", "",
                   "old-location", "HTTP/1.1 404 Not Found\r\n\r\n"},
        HeaderCase{"StatusLineWithoutLineEnd", "HTTP/1.1 200 OK", "", "", "old-location",
                   "HTTP/1.1 200 OK"},
        // A status line too short for a version never borrows the next line.
        HeaderCase{"ShortStatusLine", "HTTP/1.1\r\nX: abcdefgh\r\n\r\n", "", "", "old-location",
                   "HTTP/1.1\r\nX: abcdefgh\r\n\r\n"},
        HeaderCase{"ShorterVersion", "HTTP/2 204\r\n\r\n", "204", "", "old-location",
                   "HTTP/2 204\r\n\r\n"},
        HeaderCase{"EmptyHeaderText", "", "", "", "old-location", ""}),
    [](const ::testing::TestParamInfo<HeaderCase>& info) { return std::string(info.param.name); });

TEST_F(FetchFixture, NewCookiesHoldOnlyThisResponsesCookies) {
  api_.SetRawHeaders("HTTP/1.1 200 OK\r\nSet-Cookie: b=2\r\n\r\n");
  options_.newCookies = "left=over";
  Fetch();
  EXPECT_EQ(S(options_.newCookies), "b=2");
}

TEST_F(FetchFixture, HeldCookiesAreMergedAndBothFieldsHoldTheResult) {
  api_.SetRawHeaders(
      "HTTP/1.1 200 OK\r\nSet-Cookie: lang=en; path=/\r\nSet-Cookie: theme=deleted\r\n"
      "Set-Cookie: ad=4\r\n\r\n");
  options_.cookies = Text("sid=1; lang=zh; theme=dark");
  Fetch();
  EXPECT_EQ(S(options_.newCookies), "lang=en; ad=4; sid=1");
  EXPECT_EQ(S(*options_.cookies), "lang=en; ad=4; sid=1");
  // The held cookies were sent with the request.
  EXPECT_NE(api_.Find("WinHttpAddRequestHeaders")
                ->arguments[1]
                .find("Cookie: sid=1; lang=zh; theme=dark\r\n"),
            std::string::npos);
}

TEST_F(FetchFixture, MergeRunsEvenWithoutNewCookiesAndNotWhenSwitchedOff) {
  options_.cookies = Text("a=1 ; b=2");
  Fetch();
  EXPECT_EQ(S(*options_.cookies), "a=1; b=2");  // the merge rewrote it
  EXPECT_EQ(S(options_.newCookies), "a=1; b=2");

  ScriptedWinHttp api;
  FetchOptions options;
  api.SetRawHeaders("HTTP/1.1 200 OK\r\nSet-Cookie: c=3\r\n\r\n");
  options.cookies = Text("a=1 ; b=2");
  options.mergeCookies = false;
  FetchPageVia(api, "http://h/", options);
  EXPECT_EQ(S(*options.cookies), "a=1 ; b=2");
  EXPECT_EQ(S(options.newCookies), "c=3");
}

// Whether cookies are present is looked at again when the merge is due: a
// window handler that runs while the header lines are read may have given or
// taken the caller's cookie text in the meantime.
TEST_F(FetchFixture, TheCookieSwitchIsReadAgainWhenTheMergeIsDue) {
  struct Case {
    bool presentAtStart;
    bool presentAfterPump;
    const char* option;      // the cookie option value set before sending
    const char* newCookies;  // after the fetch
  };
  const Case cases[] = {
      {true, false, "79", "c=3"},
      {false, true, "63", "c=3; h=1"},
  };
  for (const Case& c : cases) {
    ScriptedWinHttp api;
    api.SetRawHeaders("HTTP/1.1 200 OK\r\nSet-Cookie: c=3\r\n\r\n");
    FetchOptions options;
    if (c.presentAtStart) options.cookies = Text("h=1");
    onPump_ = [&] {
      if (c.presentAfterPump) {
        options.cookies = Text("h=1");
      } else {
        options.cookies.reset();
      }
    };
    FetchPageVia(api, "http://h/", options);
    EXPECT_EQ(api.Find("WinHttpSetOption")->arguments[1], c.option);
    EXPECT_EQ(S(options.newCookies), c.newCookies) << c.presentAtStart;
    EXPECT_EQ(options.cookies.has_value(), c.presentAfterPump);
  }
}

TEST_F(FetchFixture, PumpsAfterEveryHeaderLineAndOnceOnTheWayOut) {
  api_.SetRawHeaders("HTTP/1.1 200 OK\r\nA: 1\r\nB: 2\r\n\r\n");
  Fetch();
  // Four lines (the last one empty), the charset step (the search ran, and
  // found no declaration) and the way out. COM is held by the fetch's own
  // regular-expression object every time, and once more in the charset step.
  EXPECT_EQ(comDuringPumps_, (std::vector<int>{1, 1, 1, 1, 2, 1}));
}

TEST_F(FetchFixture, ANestedFetchDuringAPumpCompletesAndTheOuterOneCarriesOn) {
  api_.SetRawHeaders("HTTP/1.1 200 OK\r\nSet-Cookie: outer=1\r\n\r\n");
  api_.SetBodyChunks({"outer body"});
  ScriptedWinHttp innerApi;
  innerApi.SetRawHeaders("HTTP/1.1 201 Created\r\nSet-Cookie: inner=1\r\n\r\n");
  innerApi.SetBodyChunks({"inner body"});
  FetchOptions innerOptions;
  Text innerResult;
  bool nested = false;
  onPump_ = [&] {
    if (nested) return;
    nested = true;
    innerResult = FetchPageVia(innerApi, "http://inner/", innerOptions);
  };
  EXPECT_EQ(S(Fetch()), "outer body");
  EXPECT_EQ(S(innerResult), "inner body");
  EXPECT_EQ(S(innerOptions.status), "201 Created");
  EXPECT_EQ(S(options_.status), "200 OK");
  EXPECT_EQ(S(options_.newCookies), "outer=1");
  EXPECT_EQ(S(innerOptions.newCookies), "inner=1");
}

TEST_F(FetchFixture, ACrackedUrlWithAnEmptyPathAsksForTheRootWithItsQuery) {
  Fetch("http://example.com?x=1");
  EXPECT_EQ(api_.Find("WinHttpOpenRequest")->arguments[2], "/?x=1");
  ScriptedWinHttp bare;
  FetchPageVia(bare, "http://example.com", options_);
  EXPECT_EQ(bare.Find("WinHttpOpenRequest")->arguments[2], "/");
}

TEST_F(FetchFixture, MethodsChooseTheirVerb) {
  const char* verbs[] = {"GET", "POST", "HEAD", "PUT", "OPTIONS", "DELETE", "TRACE", "CONNECT"};
  for (int method = -1; method <= 8; ++method) {
    ScriptedWinHttp api;
    FetchOptions options;
    options.method = method;
    FetchPageVia(api, "http://h/", options);
    const std::string expected = method >= 0 && method <= 7 ? verbs[method] : "GET";
    EXPECT_EQ(api.Find("WinHttpOpenRequest")->arguments[1], expected) << method;
  }
}

}  // namespace
