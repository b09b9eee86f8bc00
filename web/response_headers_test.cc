#include "web/response_headers.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

std::string S(const Text& text) { return std::string(text.data(), text.size()); }

struct CookieCase {
  const char* line;
  const char* cookie;
};

void PrintTo(const CookieCase& c, std::ostream* os) { *os << c.line; }

class CookieLineTable : public ::testing::TestWithParam<CookieCase> {};

TEST_P(CookieLineTable, TakesThePairBeforeTheAttributes) {
  EXPECT_EQ(S(CookieFromLine(GetParam().line)), GetParam().cookie);
}

INSTANTIATE_TEST_SUITE_P(Cases, CookieLineTable,
                         ::testing::Values(CookieCase{"Set-Cookie: a=1; path=/; HttpOnly", "a=1"},
                                           CookieCase{"Set-Cookie:a=1;path=/", "a=1"},
                                           CookieCase{"Set-Cookie: b=2", "b=2"},
                                           // Without ";" every "Set-Cookie:" goes, in any case.
                                           CookieCase{"Set-Cookie: set-cookie: c=3", "c=3"},
                                           // A line that mentions the name without its colon gives
                                           // an empty cookie.
                                           CookieCase{"X-Note: Set-Cookie off; sorry", ""},
                                           CookieCase{"Set-Cookie:", ""}));

TEST(StatusFromHeaders, IsTheStatusLineAfterItsVersion) {
  EXPECT_EQ(S(StatusFromHeaders("HTTP/1.1 200 OK\r\nA: b\r\n\r\n")), "200 OK");
  EXPECT_EQ(S(StatusFromHeaders("HTTP/1.0 500 Internal Server Error\r\n\r\n")),
            "500 Internal Server Error");
  EXPECT_EQ(S(StatusFromHeaders("HTTP/1.1 200 OK")), "");
  EXPECT_EQ(S(StatusFromHeaders("HTTP/1.1\r\nLocation: /abc\r\n")), "");
  EXPECT_EQ(S(StatusFromHeaders("")), "");
  EXPECT_EQ(S(StatusFromHeaders("\r\n")), "");
}

TEST(ReadResponseHeaders, JoinsCookiesAndNormalisesTheirName) {
  const ResponseHeaderFields fields = ReadResponseHeaders(
      "HTTP/1.1 302 Found\r\nsEt-CoOkIe: a=1; path=/\r\nLocation: /next\r\n"
      "SET-COOKIE: b=2\r\n\r\n");
  EXPECT_EQ(S(fields.status), "302 Found");
  EXPECT_EQ(S(fields.cookies), "a=1; b=2");
  ASSERT_TRUE(fields.location.has_value());
  EXPECT_EQ(S(*fields.location), "/next");
  EXPECT_EQ(S(fields.headers),
            "HTTP/1.1 302 Found\r\nSet-Cookie: a=1; path=/\r\nLocation: /next\r\n"
            "Set-Cookie: b=2\r\n\r\n");
}

TEST(ReadResponseHeaders, AnEmptyLocationIsStillALocation) {
  const ResponseHeaderFields fields = ReadResponseHeaders("HTTP/1.1 301 X\r\nLocation: \r\n");
  ASSERT_TRUE(fields.location.has_value());
  EXPECT_EQ(S(*fields.location), "");
  EXPECT_FALSE(ReadResponseHeaders("HTTP/1.1 200 OK\r\nLocation:/x\r\n").location.has_value());
}

}  // namespace
