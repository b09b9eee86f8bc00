#include "web/response_decoding.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/automation/apartment.h"
#include "platform/automation/class_registry.h"
#include "text/pump_events.h"
#include "text/utf8_literal.h"

namespace {

std::string S(const Text& text) { return std::string(text.data(), text.size()); }
Bytes B(const std::string& text) { return Bytes(text.begin(), text.end()); }
Bytes B(const Text& text) { return Bytes(text.begin(), text.end()); }

// Decodes inside a regular-expression object's lifetime, as a fetch does,
// counting pumped events and the COM initialisations held while they run.
class DecodingFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = InstallEventPump([this] {
      ++pumps_;
      comDuringPump_ = platform::com::ApartmentInitCount();
    });
  }
  void TearDown() override {
    InstallEventPump(previous_);
    EXPECT_EQ(platform::com::ApartmentInitCount(), 0);
  }
  Text Decode(const Bytes& body) {
    RegexObject regex;
    return DecodeResponseBody(body, regex);
  }

  int pumps_ = 0;
  int comDuringPump_ = 0;

 private:
  std::function<void()> previous_;
};

// Counts attempts to create the stream object and lets every one fail, so a
// test can see whether a page went to the stream.
class StreamAttempts {
 public:
  StreamAttempts()
      : override_(u"Adodb.Stream", [this](std::uint32_t, platform::com::Dispatch**) {
          ++count;
          return platform::com::kClassNotRegistered;
        }) {}
  int count = 0;

 private:
  platform::com::ScopedClassOverride override_;
};

TEST_F(DecodingFixture, AUtf8PageIsConvertedToCodePage936) {
  const std::string page =
      "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=\"utf-8\">"
      "</head><body>基金净值 2020-09-01</body></html>";
  EXPECT_EQ(Decode(B(page)), Utf8Literal(page));
  EXPECT_EQ(pumps_, 1);
  // The charset step runs inside its own nested initialisation.
  EXPECT_EQ(comDuringPump_, 2);
}

TEST_F(DecodingFixture, AGb2312PageInCapitalsGoesThroughTheStreamAndComesBackTheSame) {
  const Text page = Utf8Literal("<meta charset=GB2312><p>单位净值</p>");
  EXPECT_EQ(Decode(B(page)), page);
}

TEST_F(DecodingFixture, WhichDeclarationsGoToTheStream) {
  struct Case {
    std::string page;
    int attempts;
  };
  const std::string far(1100, ' ');
  const Case cases[] = {
      {"<meta charset=gb2312>", 0},
      {"<meta charset=gbk>", 0},
      {"<meta charset=GB2312>", 1},  // names compare with case
      {"<meta charset=GBK>", 1},
      {"<META CHARSET='UTF-8'>", 1},  // the tag is found in any case
      {"<meta charset=>", 0},         // nothing to name
      {"<meta\ncharset=utf-8>", 0},   // "." never crosses a line break
      {"<html>no declaration</html>", 0},
      {far + "<meta charset=utf-8>", 0},                     // only the first 1024 bytes count
      {std::string(1009, ' ') + "<meta charset=utf-8>", 1},  // cut to "u": still a name
  };
  for (const Case& c : cases) {
    StreamAttempts attempts;
    // When the stream cannot be made the page stays as it was.
    EXPECT_EQ(S(Decode(B(c.page))), c.page);
    EXPECT_EQ(attempts.count, c.attempts) << c.page;
  }
}

TEST_F(DecodingFixture, WithoutARegularExpressionThePageIsTakenAsItIs) {
  platform::com::ScopedClassOverride noRegExp(u"VBScript.RegExp", platform::com::FailingFactory());
  StreamAttempts attempts;
  EXPECT_EQ(S(Decode(B(std::string("<meta charset=utf-8>")))), "<meta charset=utf-8>");
  EXPECT_EQ(attempts.count, 0);
  EXPECT_EQ(pumps_, 0);  // no search, no charset step
}

TEST_F(DecodingFixture, ANulByteEndsTheUnconvertedText) {
  EXPECT_EQ(S(Decode(B(std::string("ab\0cd", 5)))), "ab");
  EXPECT_EQ(S(Decode(Bytes())), "");
}

}  // namespace
