#include "platform/automation/stream_object.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/automation/apartment.h"
#include "platform/automation/class_registry.h"

namespace platform::com {
namespace {

using ByteVector = std::vector<std::uint8_t>;

ByteVector BytesOf(std::string_view text) { return ByteVector(text.begin(), text.end()); }

class StreamTest : public ::testing::Test {
 protected:
  void SetUp() override {
    baseObjects_ = LiveObjectCount();
    CoInitialize();
    ASSERT_EQ(CreateStreamObject(kClsctxAll, &stream_), kOk);
  }
  void TearDown() override {
    stream_->Release();
    CoUninitialize();
    EXPECT_EQ(LiveObjectCount(), baseObjects_);
  }

  HResult Put(std::u16string_view name, Variant value) {
    const Variant arguments[] = {std::move(value)};
    return stream_->Invoke(name, InvokeKind::kPropertyPut, arguments, nullptr);
  }
  HResult Call(std::u16string_view name, std::vector<Variant> arguments = {},
               Variant* result = nullptr) {
    return stream_->Invoke(name, InvokeKind::kMethod, arguments, result);
  }
  Variant Get(std::u16string_view name) {
    Variant result;
    EXPECT_EQ(stream_->Invoke(name, InvokeKind::kPropertyGet, {}, &result), kOk);
    return result;
  }

  // The calls a page decoder makes, in its order; the text ReadText gives.
  std::u16string Decode(const ByteVector& body, std::u16string charset) {
    EXPECT_EQ(Put(u"Type", Variant::Int(kAdTypeBinary)), kOk);
    EXPECT_EQ(Put(u"Mode", Variant::Int(3)), kOk);
    EXPECT_EQ(Call(u"Open"), kOk);
    EXPECT_EQ(Call(u"Write", {Variant::ByteArray(body)}), kOk);
    EXPECT_EQ(Put(u"Position", Variant::Int(0)), kOk);
    EXPECT_EQ(Put(u"Type", Variant::Int(kAdTypeText)), kOk);
    EXPECT_EQ(Put(u"Charset", Variant::String(std::move(charset))), kOk);
    Variant text;
    EXPECT_EQ(Call(u"ReadText", {}, &text), kOk);
    EXPECT_EQ(Call(u"Close"), kOk);
    return text.bstr();
  }

  Dispatch* stream_ = nullptr;

 private:
  long baseObjects_ = 0;
};

struct CharsetCase {
  std::u16string charset;
  std::string_view bytes;
  std::u16string text;
};

TEST_F(StreamTest, DecodesTheCharsetsPagesDeclare) {
  const CharsetCase cases[] = {
      {u"utf-8", "\xEF\xBB\xBF\xE4\xB8\xAD", u"\u4E2D"},  // the mark is dropped
      {u"UTF-8", "a\xE2\x82\xAC", u"a\u20AC"},
      {u"utf8", "\xE4\xB8\xAD", u"\u4E2D"},
      {u"unicode-1-1-utf-8", "\xE4\xB8\xAD", u"\u4E2D"},
      {u"utf-8",
       "a\xFF"
       "b",
       u"a\uFFFD"
       "b"},  // invalid bytes become U+FFFD
      // Every GB2312 name is Windows code page 936: 0x80 is the euro sign.
      {u"gb2312", "\x80\xD6\xD0", u"\u20AC\u4E2D"},
      {u"GB2312", "\x81\x40", u"\u4E02"},  // a GBK-only character
      {u"gbk", "\xD6\xD0", u"\u4E2D"},
      {u"cp936", "\xD6\xD0", u"\u4E2D"},
      {u"x-gbk", "\xD6\xD0", u"\u4E2D"},
      {u"gb18030", "\x81\x30\x81\x30\xD6\xD0", u"\u0080\u4E2D"},
      {u"big5", "\xA4\xA4", u"\u4E2D"},
      {u"Shift_JIS", "\x82\xA0", u"\u3042"},
      {u"sjis", "\x82\xA0", u"\u3042"},
      {u"euc-kr", "\xB0\xA1", u"\uAC00"},
      {u"iso-8859-1", "\xE9\x93", u"\u00E9\u201C"},  // read as Windows-1252
      {u"latin1", "\xE9", u"\u00E9"},
      {u"windows-1252", "\x80", u"\u20AC"},
      {u"koi8-r", "\xC1", u"\u0430"},  // a name only ICU's table knows
      {u"unicode", std::string_view("\xFF\xFE\x2D\x4E", 4), u"\u4E2D"},
      {u"utf-16", std::string_view("\xFE\xFF\x4E\x2D", 4), u"\u4E2D"},
      {u"utf-16le", std::string_view("\x2D\x4E\x41", 3), u"\u4E2D\uFFFD"},
      {u"utf-16be", std::string_view("\x4E\x2D", 2), u"\u4E2D"},
      // A name the stream does not know reads as the system code page (936).
      {u"x-unknown-charset", "\x80\xD6\xD0", u"\u20AC\u4E2D"},
      {u"", "\xD6\xD0", u"\u4E2D"},
      {u"utf-8,x", "\xD6\xD0", u"\u4E2D"},
      {u"\u4E2D", "\xD6\xD0", u"\u4E2D"},
  };
  for (const CharsetCase& c : cases) {
    SCOPED_TRACE(std::string(c.charset.begin(), c.charset.end()));
    EXPECT_EQ(Decode(BytesOf(c.bytes), c.charset), c.text);
  }
}

TEST_F(StreamTest, EmptyBodyReadsAsEmptyText) { EXPECT_EQ(Decode({}, u"utf-8"), u""); }

TEST_F(StreamTest, WritesAppendAndReadTextStartsAtPosition) {
  ASSERT_EQ(Put(u"Type", Variant::Int(kAdTypeBinary)), kOk);
  ASSERT_EQ(Call(u"Open"), kOk);
  ASSERT_EQ(Call(u"Write", {Variant::ByteArray(BytesOf("\xEF\xBB\xBF"
                                                       "ab"))}),
            kOk);
  ASSERT_EQ(Call(u"Write", {Variant::ByteArray(BytesOf("cd"))}), kOk);
  EXPECT_EQ(Get(u"Size").i4(), 7);
  EXPECT_EQ(Get(u"Position").i4(), 7);
  EXPECT_TRUE(Get(u"EOS").boolean());
  ASSERT_EQ(Put(u"Position", Variant::Int(0)), kOk);
  ASSERT_EQ(Put(u"Type", Variant::Int(kAdTypeText)), kOk);
  ASSERT_EQ(Put(u"Charset", Variant::String(u"utf-8")), kOk);
  ASSERT_EQ(Put(u"Position", Variant::Int(4)), kOk);
  Variant text;
  ASSERT_EQ(Call(u"ReadText", {Variant::Int(kAdReadAll)}, &text), kOk);
  EXPECT_EQ(text.bstr(), u"bcd");
  EXPECT_EQ(Get(u"Position").i4(), 7);
  // From Position 0 the mark is dropped.
  ASSERT_EQ(Put(u"Position", Variant::Int(0)), kOk);
  ASSERT_EQ(Call(u"ReadText", {}, &text), kOk);
  EXPECT_EQ(text.bstr(), u"abcd");
}

TEST_F(StreamTest, RefusesWhatItsStateDoesNotAllow) {
  Variant result;
  // Closed: no reading, writing or positioning.
  EXPECT_EQ(Call(u"Write", {Variant::ByteArray({1})}), kStreamNotAllowed);
  EXPECT_EQ(Call(u"ReadText", {}, &result), kStreamNotAllowed);
  EXPECT_EQ(Put(u"Position", Variant::Int(0)), kStreamNotAllowed);
  EXPECT_EQ(Call(u"Close"), kStreamNotAllowed);
  EXPECT_EQ(Get(u"State").i4(), 0);

  ASSERT_EQ(Call(u"Open"), kOk);
  EXPECT_EQ(Get(u"State").i4(), 1);
  EXPECT_EQ(Call(u"Open"), kStreamNotAllowed);
  EXPECT_EQ(Put(u"Mode", Variant::Int(3)), kStreamNotAllowed);
  // The stream starts as text: Write needs binary, Read too.
  EXPECT_EQ(Call(u"Write", {Variant::ByteArray({1})}), kStreamNotAllowed);
  ASSERT_EQ(Put(u"Type", Variant::Int(kAdTypeBinary)), kOk);
  EXPECT_EQ(Call(u"Write", {Variant::String(u"not bytes")}), kTypeMismatch);
  ASSERT_EQ(Call(u"Write", {Variant::ByteArray({1, 2, 3})}), kOk);
  EXPECT_EQ(Call(u"ReadText", {}, &result), kStreamNotAllowed);
  // Type changes only at position 0; Position stays within the data.
  EXPECT_EQ(Put(u"Type", Variant::Int(kAdTypeText)), kStreamNotAllowed);
  EXPECT_EQ(Put(u"Position", Variant::Int(4)), kInvalidArg);
  EXPECT_EQ(Put(u"Position", Variant::Int(-1)), kInvalidArg);
  EXPECT_EQ(Put(u"Type", Variant::Int(7)), kInvalidArg);
  ASSERT_EQ(Put(u"Position", Variant::Int(1)), kOk);
  ASSERT_EQ(Call(u"Read", {}, &result), kOk);
  EXPECT_EQ(result.bytes(), (ByteVector{2, 3}));
  EXPECT_EQ(Call(u"ReadText", {Variant::Int(5)}, &result), kInvalidArg);
  EXPECT_EQ(Put(u"Singleline", Variant::Bool(true)), kUnknownName);
  EXPECT_EQ(Call(u"Close"), kOk);
  EXPECT_EQ(Get(u"State").i4(), 0);
}

TEST_F(StreamTest, DefaultCharsetIsUnicode) {
  EXPECT_EQ(Get(u"charset").bstr(), u"Unicode");
  EXPECT_EQ(Get(u"TYPE").i4(), kAdTypeText);
}

}  // namespace
}  // namespace platform::com
