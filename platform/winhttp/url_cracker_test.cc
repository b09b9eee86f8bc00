#include "platform/winhttp/url_cracker.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace platform::winhttp {
namespace {

URL_COMPONENTS PointerRequest() {
  URL_COMPONENTS c;
  c.dwStructSize = sizeof c;
  c.dwSchemeLength = static_cast<DWORD>(-1);
  c.dwHostNameLength = static_cast<DWORD>(-1);
  c.dwUrlPathLength = static_cast<DWORD>(-1);
  c.dwExtraInfoLength = static_cast<DWORD>(-1);
  return c;
}

std::u16string Part(LPWSTR pointer, DWORD length) {
  return pointer == nullptr ? u"<null>" : std::u16string(pointer, length);
}

struct CrackCase {
  std::u16string url;
  bool ok;
  int scheme;
  std::u16string host;
  INTERNET_PORT port;
  std::u16string path;
  std::u16string extra;
};

void PrintTo(const CrackCase& c, std::ostream* out) {
  for (char16_t unit : c.url) *out << (unit < 0x80 ? static_cast<char>(unit) : '?');
}

CrackCase Reject(std::u16string url) { return {std::move(url), false, 0, u"", 0, u"", u""}; }

class CrackTable : public ::testing::TestWithParam<CrackCase> {};

TEST_P(CrackTable, SplitsOrRejects) {
  const CrackCase& c = GetParam();
  URL_COMPONENTS parts = PointerRequest();
  BOOL ok = CrackUrl(c.url.c_str(), static_cast<DWORD>(c.url.size()), 0, &parts);
  ASSERT_EQ(ok != kFalse, c.ok);
  if (!c.ok) return;
  EXPECT_EQ(parts.nScheme, c.scheme);
  EXPECT_EQ(Part(parts.lpszHostName, parts.dwHostNameLength), c.host);
  EXPECT_EQ(parts.nPort, c.port);
  EXPECT_EQ(Part(parts.lpszUrlPath, parts.dwUrlPathLength), c.path);
  EXPECT_EQ(Part(parts.lpszExtraInfo, parts.dwExtraInfoLength), c.extra);
  // Every pointer points into the caller's own string.
  const char16_t* begin = c.url.c_str();
  const char16_t* end = begin + c.url.size();
  for (LPWSTR p : {parts.lpszScheme, parts.lpszHostName, parts.lpszUrlPath, parts.lpszExtraInfo}) {
    EXPECT_GE(p, begin);
    EXPECT_LE(p, end);
  }
  EXPECT_EQ(parts.lpszUrlPath + parts.dwUrlPathLength, parts.lpszExtraInfo);
  EXPECT_EQ(parts.lpszExtraInfo + parts.dwExtraInfoLength, end);
  EXPECT_EQ(parts.dwUserNameLength, 0u);  // not asked for, not touched
  EXPECT_EQ(parts.lpszUserName, nullptr);
}

constexpr int H = INTERNET_SCHEME_HTTP;
constexpr int S = INTERNET_SCHEME_HTTPS;

INSTANTIATE_TEST_SUITE_P(
    Urls, CrackTable,
    ::testing::Values(CrackCase{u"http://example.com", true, H, u"example.com", 80, u"", u""},
                      CrackCase{u"HTTPS://Example.COM/a/b?x=1#f", true, S, u"Example.COM", 443,
                                u"/a/b", u"?x=1#f"},
                      CrackCase{u"hTtP://h:8080/p", true, H, u"h", 8080, u"/p", u""},
                      CrackCase{u"http://h:/p", true, H, u"h", 80, u"/p", u""},
                      CrackCase{u"https://h:/p", true, S, u"h", 443, u"/p", u""},
                      CrackCase{u"http://h:65535/", true, H, u"h", 65535, u"/", u""},
                      Reject(u"http://h:65536/"), Reject(u"http://h:99999999999999999999/"),
                      Reject(u"http://h:8a/"), Reject(u"http://h:-1/"), Reject(u"http://h:0/"),
                      CrackCase{u"http://user:pa:ss@h:81/p", true, H, u"h", 81, u"/p", u""},
                      CrackCase{u"http://us@er@h/p", true, H, u"h", 80, u"/p", u""},
                      CrackCase{u"http://h?q=1", true, H, u"h", 80, u"", u"?q=1"},
                      CrackCase{u"http://h#f?q", true, H, u"h", 80, u"#f", u"?q"},
                      CrackCase{u"http://h/p#frag", true, H, u"h", 80, u"/p", u"#frag"},
                      CrackCase{u"http://h/p#frag?x", true, H, u"h", 80, u"/p#frag", u"?x"},
                      CrackCase{u"http://h/a?b?c#d", true, H, u"h", 80, u"/a", u"?b?c#d"},
                      CrackCase{u"http://[::1]:8080/x", true, H, u"[::1]", 8080, u"/x", u""},
                      CrackCase{u"http://[::1]/x", true, H, u"[::1]", 80, u"/x", u""},
                      CrackCase{u"http://h/中文?键=值", true, H, u"h", 80, u"/中文", u"?键=值"},
                      CrackCase{u"http://h/😀", true, H, u"h", 80, u"/😀", u""}, Reject(u"ftp://h/"),
                      Reject(u"h/p"), Reject(u"//h/p"), Reject(u"http:/h/p"), Reject(u"http://"),
                      Reject(u"http:///p"), Reject(u"http://:80/p"), Reject(u"http://user@/p"),
                      Reject(u""), Reject(u"mailto:x@y"), Reject(u"http://[::1/x"),
                      Reject(u"http://[::1]x/"), Reject(u"http://a b/"), Reject(u"httpx://h/"),
                      Reject(u" http://h/")));

TEST(CrackUrl, LengthLimitsTheUrlAndZeroMeansNulTerminated) {
  const std::u16string url = u"http://h/abcdef";
  URL_COMPONENTS parts = PointerRequest();
  ASSERT_TRUE(CrackUrl(url.c_str(), 10, 0, &parts));
  EXPECT_EQ(Part(parts.lpszUrlPath, parts.dwUrlPathLength), u"/a");
  parts = PointerRequest();
  ASSERT_TRUE(CrackUrl(url.c_str(), 0, 0, &parts));
  EXPECT_EQ(Part(parts.lpszUrlPath, parts.dwUrlPathLength), u"/abcdef");
  // A NUL inside the given length is no URL.
  const char16_t withNul[] = u"http://h/a\0b";
  parts = PointerRequest();
  EXPECT_FALSE(CrackUrl(withNul, 12, 0, &parts));
}

TEST(CrackUrl, RejectsBadCallsWithoutTouchingMemory) {
  URL_COMPONENTS parts = PointerRequest();
  EXPECT_FALSE(CrackUrl(nullptr, 0, 0, &parts));
  EXPECT_FALSE(CrackUrl(u"http://h/", 0, 0, nullptr));
  EXPECT_FALSE(CrackUrl(u"http://h/", 0, 0x80000000, &parts));
  parts.dwStructSize = sizeof parts - 1;
  EXPECT_FALSE(CrackUrl(u"http://h/", 0, 0, &parts));
}

TEST(CrackUrl, UserInfoOnlyWhenAskedFor) {
  const std::u16string url = u"http://me:secret@h/p";
  URL_COMPONENTS parts = PointerRequest();
  parts.dwUserNameLength = static_cast<DWORD>(-1);
  parts.dwPasswordLength = static_cast<DWORD>(-1);
  ASSERT_TRUE(CrackUrl(url.c_str(), 0, 0, &parts));
  EXPECT_EQ(Part(parts.lpszUserName, parts.dwUserNameLength), u"me");
  EXPECT_EQ(Part(parts.lpszPassword, parts.dwPasswordLength), u"secret");
  EXPECT_EQ(Part(parts.lpszHostName, parts.dwHostNameLength), u"h");
}

TEST(CrackUrl, CopiesIntoCallerBuffersAndReportsTooSmallOnes) {
  const std::u16string url = u"http://host.example/path?q";
  char16_t host[32];
  char16_t path[3];  // "/path" needs 6 with its NUL
  URL_COMPONENTS parts;
  parts.dwStructSize = sizeof parts;
  parts.lpszHostName = host;
  parts.dwHostNameLength = 32;
  parts.lpszUrlPath = path;
  parts.dwUrlPathLength = 3;
  EXPECT_FALSE(CrackUrl(url.c_str(), 0, 0, &parts));
  EXPECT_EQ(parts.dwUrlPathLength, 6u);
  EXPECT_EQ(std::u16string(host), u"host.example");
  EXPECT_EQ(parts.dwHostNameLength, 12u);
  char16_t bigPath[6];
  parts.lpszUrlPath = bigPath;
  parts.dwUrlPathLength = 6;
  parts.dwHostNameLength = 32;
  ASSERT_TRUE(CrackUrl(url.c_str(), 0, 0, &parts));
  EXPECT_EQ(std::u16string(bigPath), u"/path");
  EXPECT_EQ(parts.dwUrlPathLength, 5u);
}

}  // namespace
}  // namespace platform::winhttp
