#include "platform/automation/regexp_object.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/automation/apartment.h"
#include "platform/automation/class_registry.h"

namespace platform::com {
namespace {

struct Options {
  bool ignoreCase = false;
  bool multiline = false;
  bool global = true;
};

struct FoundMatch {
  std::u16string value;
  std::int32_t firstIndex;
  bool operator==(const FoundMatch&) const = default;
};

void PrintTo(const FoundMatch& m, std::ostream* os) {
  *os << "{" << m.firstIndex << ", " << m.value.size() << " units}";
}

class RegExpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    baseObjects_ = LiveObjectCount();
    CoInitialize();
    ASSERT_EQ(CreateRegExpObject(kClsctxAll, &regexp_), kOk);
  }
  void TearDown() override {
    regexp_->Release();
    CoUninitialize();
    EXPECT_EQ(LiveObjectCount(), baseObjects_) << "an object was not released";
  }

  HResult Put(std::u16string_view name, Variant value) {
    const Variant arguments[] = {std::move(value)};
    return regexp_->Invoke(name, InvokeKind::kPropertyPut, arguments, nullptr);
  }

  void Configure(std::u16string pattern, const Options& options) {
    ASSERT_EQ(Put(u"Pattern", Variant::String(std::move(pattern))), kOk);
    ASSERT_EQ(Put(u"IgnoreCase", Variant::Bool(options.ignoreCase)), kOk);
    ASSERT_EQ(Put(u"Multiline", Variant::Bool(options.multiline)), kOk);
    ASSERT_EQ(Put(u"Global", Variant::Bool(options.global)), kOk);
  }

  static Variant Get(Dispatch* object, std::u16string_view name, std::vector<Variant> args = {}) {
    Variant result;
    EXPECT_EQ(object->Invoke(name, InvokeKind::kPropertyGet, args, &result), kOk) << "get";
    return result;
  }

  HResult Execute(std::u16string subject, Variant& collection) {
    const Variant arguments[] = {Variant::String(std::move(subject))};
    return regexp_->Invoke(u"Execute", InvokeKind::kMethod, arguments, &collection);
  }

  std::vector<FoundMatch> Matches(std::u16string subject) {
    Variant collection;
    EXPECT_EQ(Execute(std::move(subject), collection), kOk);
    std::vector<FoundMatch> found;
    if (collection.type() != VT_DISPATCH) return found;
    const std::int32_t count = Get(collection.object(), u"Count").i4();
    for (std::int32_t i = 0; i < count; ++i) {
      Variant match = Get(collection.object(), u"Item", {Variant::Int(i)});
      found.push_back(
          {Get(match.object(), u"Value").bstr(), Get(match.object(), u"FirstIndex").i4()});
      EXPECT_EQ(Get(match.object(), u"Length").i4(),
                static_cast<std::int32_t>(found.back().value.size()));
    }
    return found;
  }

  HResult Replace(std::u16string subject, std::u16string replacement, std::u16string& out) {
    const Variant arguments[] = {Variant::String(std::move(subject)),
                                 Variant::String(std::move(replacement))};
    Variant result;
    const HResult hr = regexp_->Invoke(u"Replace", InvokeKind::kMethod, arguments, &result);
    out = result.bstr();
    return hr;
  }

  bool Test(std::u16string subject) {
    const Variant arguments[] = {Variant::String(std::move(subject))};
    Variant result;
    EXPECT_EQ(regexp_->Invoke(u"Test", InvokeKind::kMethod, arguments, &result), kOk);
    return result.boolean();
  }

  Dispatch* regexp_ = nullptr;

 private:
  long baseObjects_ = 0;
};

struct SearchCase {
  const char* what;
  std::u16string pattern;
  std::u16string subject;
  Options options;
  std::vector<FoundMatch> expected;
};

TEST_F(RegExpTest, SearchesFollowVBScriptRules) {
  const SearchCase cases[] = {
      {"dot excludes line feed only", u".", u"a\nb\r", {}, {{u"a", 0}, {u"b", 2}, {u"\r", 3}}},
      {"dot takes other line breaks", u"a.c", u"a\u2028c", {}, {{u"a\u2028c", 0}}},
      {"$ only at the very end", u"a$", u"a\n", {}, {}},
      {"$ before line feed in multiline", u"a$", u"a\nb", {.multiline = true}, {{u"a", 0}}},
      {"^ only at the start", u"^b", u"a\nb", {}, {}},
      {"^ after line feed in multiline", u"^b", u"a\nb", {.multiline = true}, {{u"b", 2}}},
      {"case kept", u"a", u"AbA", {}, {}},
      {"case ignored", u"a", u"AbA", {.ignoreCase = true}, {{u"A", 0}, {u"A", 2}}},
      {"first match only", u"a", u"aba", {.global = false}, {{u"a", 0}}},
      {"\\u escape", u"\\u4E2D", u"\u6587\u4E2D", {}, {{u"\u4E2D", 1}}},
      {"\\x range", u"[\\x41-\\x43]+", u"xABCD", {}, {{u"ABC", 1}}},
      {"negated hex range",
       u"[^\\x20-\\x7f]",
       u"a\u4E2D\x1F\x7F\t",
       {},
       {{u"\u4E2D", 1}, {u"\x1F", 2}, {u"\t", 4}}},
      {"empty matches advance", u"x*", u"axb", {}, {{u"", 0}, {u"x", 1}, {u"", 2}, {u"", 3}}},
      {"empty pattern", u"", u"ab", {}, {{u"", 0}, {u"", 1}, {u"", 2}}},
      {"lazy repetition", u"<.+?>", u"<a><b>", {}, {{u"<a>", 0}, {u"<b>", 3}}},
      {"unset back reference matches empty", u"(a)?\\1b", u"b", {}, {{u"b", 0}}},
      {"[^] matches anything", u"[^]", u"\n", {}, {{u"\n", 0}}},
      {"inline UTF switch refused", u"(*UTF)a", u"a", {}, {}},
  };
  for (const SearchCase& c : cases) {
    SCOPED_TRACE(c.what);
    Configure(c.pattern, c.options);
    if (c.pattern == u"(*UTF)a") {
      Variant collection;
      EXPECT_EQ(Execute(c.subject, collection), kRegExpSyntax);
      continue;
    }
    EXPECT_EQ(Matches(c.subject), c.expected);
  }
}

TEST_F(RegExpTest, WhitespaceAndWordClassesAreAsciiOnly) {
  // Every Latin-1 unit, then the units Unicode counts as spaces or letters
  // that a Unicode-aware engine would take.
  std::u16string units;
  for (char16_t unit = 0; unit <= 0xFF; ++unit) units += unit;
  units +=
      u"\u0100\u0391\u0430\u1680\u2000\u2007\u200A\u2028\u2029\u202F\u205F\u3000"
      u"\u4E2D\uFEFF\uFF10\uFF21";
  std::u16string spaces;
  std::u16string words;
  Configure(u"\\s", {});
  for (char16_t unit : units) {
    if (Test(std::u16string(1, unit))) spaces += unit;
  }
  Configure(u"[\\w]", {.ignoreCase = true});
  for (char16_t unit : units) {
    if (Test(std::u16string(1, unit))) words += unit;
  }
  EXPECT_EQ(spaces, u"\t\n\v\f\r ");
  EXPECT_EQ(words, u"0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ_abcdefghijklmnopqrstuvwxyz");
}

struct ReplaceCase {
  std::u16string pattern;
  std::u16string subject;
  std::u16string replacement;
  bool global;
  std::u16string expected;
};

TEST_F(RegExpTest, ReplaceExpandsDollarForms) {
  const ReplaceCase cases[] = {
      {u"(\\w+)\\s(\\w+)", u"John Smith", u"$2, $1", true, u"Smith, John"},
      {u"o", u"foo", u"[$&]", true, u"f[o][o]"},
      {u"o", u"foo", u"0", false, u"f0o"},
      {u"b", u"abc", u"$`|$'", true, u"aa|cc"},
      {u"b", u"abc", u"$$", true, u"a$c"},
      {u"(b)", u"abc", u"$10", true, u"ab0c"},
      {u"(b)", u"abc", u"$0$2$x$", true, u"a$0$2$x$c"},
      {u"(a)|(b)", u"b", u"[$1]", true, u"[]"},
      {u"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)(l)", u"abcdefghijkl", u"$12$11$1", true, u"lka"},
      {u"x*", u"ab", u"-", true, u"-a-b-"},
      {u"\\s", u"a b\tc\r\n", u"", true, u"abc"},
      {u"z", u"abc", u"-", true, u"abc"},
  };
  for (const ReplaceCase& c : cases) {
    Configure(c.pattern, {.global = c.global});
    std::u16string out;
    EXPECT_EQ(Replace(c.subject, c.replacement, out), kOk);
    EXPECT_EQ(out, c.expected);
  }
}

TEST_F(RegExpTest, PatternThatDoesNotCompileFailsEveryUse) {
  Configure(u"(", {});
  Variant collection = Variant::Int(1);
  EXPECT_EQ(Execute(u"(", collection), kRegExpSyntax);
  EXPECT_TRUE(collection.IsEmpty());
  std::u16string out = u"unchanged";
  EXPECT_EQ(Replace(u"(", u"x", out), kRegExpSyntax);
  // The object stays usable with a good pattern.
  Configure(u"\\(", {});
  EXPECT_EQ(Matches(u"a("), (std::vector<FoundMatch>{{u"(", 1}}));
}

TEST_F(RegExpTest, MembersBindIgnoringCaseAndSinglelineDoesNotExist) {
  EXPECT_EQ(Put(u"PATTERN", Variant::String(u"b")), kOk);
  EXPECT_EQ(Put(u"gLoBaL", Variant::Bool(true)), kOk);
  EXPECT_EQ(Get(regexp_, u"pattern").bstr(), u"b");
  EXPECT_TRUE(Get(regexp_, u"Global").boolean());
  EXPECT_EQ(Put(u"Singleline", Variant::Bool(true)), kUnknownName);
  // A property is not a method and a method is not a property.
  Variant result;
  EXPECT_EQ(regexp_->Invoke(u"Pattern", InvokeKind::kMethod, {}, &result), kMemberNotFound);
  EXPECT_EQ(regexp_->Invoke(u"Execute", InvokeKind::kPropertyGet, {}, &result), kMemberNotFound);
  // Option values are coerced as automation does.
  EXPECT_EQ(Put(u"IgnoreCase", Variant::String(u"True")), kOk);
  EXPECT_TRUE(Get(regexp_, u"IgnoreCase").boolean());
  EXPECT_EQ(Put(u"IgnoreCase", Variant::String(u"perhaps")), kTypeMismatch);
}

TEST_F(RegExpTest, SubMatchesGiveEmptyForGroupsThatTookNoPart) {
  Configure(u"(a)|(b)", {});
  Variant collection;
  ASSERT_EQ(Execute(u"a", collection), kOk);
  Variant match = Get(collection.object(), u"Item", {Variant::Real(0.0)});
  Variant groups = Get(match.object(), u"SubMatches");
  EXPECT_EQ(Get(groups.object(), u"Count").i4(), 2);
  EXPECT_EQ(Get(groups.object(), u"Item", {Variant::Int(0)}).bstr(), u"a");
  EXPECT_TRUE(Get(groups.object(), u"Item", {Variant::Int(1)}).IsEmpty());
  Variant missing;
  for (std::int32_t index : {-1, 2}) {
    const Variant args[] = {Variant::Int(index)};
    EXPECT_TRUE(Failed(groups.object()->Invoke(u"Item", InvokeKind::kPropertyGet, args, &missing)));
  }
  for (double index : {-1.0, 1.0, 1e12}) {
    const Variant args[] = {Variant::Real(index)};
    EXPECT_TRUE(
        Failed(collection.object()->Invoke(u"Item", InvokeKind::kPropertyGet, args, &missing)));
  }
  // A match's default member is its value.
  Variant text;
  ASSERT_EQ(VariantChangeType(text, match, VT_BSTR), kOk);
  EXPECT_EQ(text.bstr(), u"a");
}

TEST_F(RegExpTest, CollectionOutlivesTheRegexpAndKeepsItsSubject) {
  Dispatch* other = nullptr;
  ASSERT_EQ(CreateRegExpObject(kClsctxAll, &other), kOk);
  std::swap(other, regexp_);
  Configure(u"\\d+", {});
  Variant collection;
  ASSERT_EQ(Execute(u"a12b345", collection), kOk);
  std::swap(other, regexp_);
  other->Release();
  Variant match = Get(collection.object(), u"Item", {Variant::Int(1)});
  EXPECT_EQ(Get(match.object(), u"Value").bstr(), u"345");
  EXPECT_EQ(Get(match.object(), u"FirstIndex").i4(), 4);
}

}  // namespace
}  // namespace platform::com
