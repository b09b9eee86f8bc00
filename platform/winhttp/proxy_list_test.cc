#include "platform/winhttp/proxy_list.h"

#include <gtest/gtest.h>

#include <string>

namespace platform::winhttp {
namespace {

// "scheme|host|port" per entry, joined by ","; "<none>" when rejected.
std::string Describe(const std::u16string& list) {
  auto entries = ParseProxyList(list);
  if (!entries) return "<none>";
  std::string out;
  for (const ProxyEntry& e : *entries) {
    if (!out.empty()) out += ",";
    out += e.scheme + "|" + e.host + "|" + std::to_string(e.port);
  }
  return out;
}

TEST(ProxyList, ParsesEntries) {
  struct Case {
    std::u16string list;
    std::string expected;
  } cases[] = {
      {u"proxy:8080", "|proxy|8080"},
      {u"proxy", "|proxy|80"},
      {u"http=p1:81;https=p2:82", "http|p1|81,https|p2|82"},
      {u"HTTP=p1:81  p2 ;; ", "http|p1|81,|p2|80"},
      {u"http=http://p1:81/", "http|p1|81"},
      {u"HTTP://p1", "|p1|80"},
      {u"[::1]:3128", "|[::1]|3128"},
      {u"ftp=f:21 http=p:1", "ftp|f|21,http|p|1"},
      {u"", "<none>"},
      {u" ; ", "<none>"},
      {u"p:0", "<none>"},
      {u"p:65536", "<none>"},
      {u"p:8x", "<none>"},
      {u"=p:80", "<none>"},
      {u"http=", "<none>"},
      {u"socks://p:1080", "<none>"},
      {u"https://p:443", "<none>"},
      {u"user@p:80", "<none>"},
      {u"[::1", "<none>"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Describe(c.list), c.expected) << std::string(c.list.begin(), c.list.end());
  }
}

TEST(ProxyList, ChoosesPerScheme) {
  struct Case {
    std::u16string list;
    const char* forHttp;  // host chosen, "" for a direct connection
    const char* forHttps;
  } cases[] = {
      {u"http=a:1", "a", ""},
      {u"https=b:2", "", "b"},
      {u"c:3", "c", "c"},
      {u"c:3 http=a:1", "a", "c"},
      {u"https=b:2;http=a:1;c", "a", "b"},
      {u"ftp=f:21", "", ""},
  };
  for (const Case& c : cases) {
    auto entries = ParseProxyList(c.list);
    ASSERT_TRUE(entries.has_value());
    const ProxyEntry* http = ChooseProxy(*entries, false);
    const ProxyEntry* https = ChooseProxy(*entries, true);
    EXPECT_EQ(http ? http->host : "", c.forHttp);
    EXPECT_EQ(https ? https->host : "", c.forHttps);
  }
}

}  // namespace
}  // namespace platform::winhttp
