#include "text/automation_calls.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "platform/automation/apartment.h"
#include "platform/automation/class_registry.h"
#include "platform/automation/dispatch.h"
#include "platform/automation/variant.h"
#include "text/text_test_support.h"
#include "text/utf8_literal.h"

namespace {

namespace com = platform::com;
using test_text::Show;

std::string S(const Text& text) { return Show(std::string_view(text.data(), text.size())); }

// A test object: any property can be written and read back (names ignoring
// case); "Echo" returns its first argument and records all of them; "Fail"
// fails; "Child" is a property holding another bag.
class Bag final : public com::Dispatch {
 public:
  std::map<std::u16string, com::Variant> properties;
  std::vector<com::Variant> lastArguments;

 protected:
  com::HResult InvokeMember(std::u16string_view name, com::InvokeKind kind,
                            std::span<const com::Variant> arguments,
                            com::Variant& result) override {
    std::u16string key(name);
    for (char16_t& c : key) {
      if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
    }
    if (kind == com::InvokeKind::kMethod) {
      if (key == u"echo") {
        lastArguments.assign(arguments.begin(), arguments.end());
        if (!arguments.empty()) result = arguments[0];
        return com::kOk;
      }
      if (key == u"child") {
        result = com::Variant::AdoptObject(new Bag);
        return com::kOk;
      }
      return key == u"fail" ? com::kException : com::kUnknownName;
    }
    if (kind == com::InvokeKind::kPropertyPut) {
      if (arguments.size() != 1) return com::kBadParamCount;
      properties[key] = arguments[0];
      return com::kOk;
    }
    const auto found = properties.find(key);
    if (found == properties.end()) return com::kUnknownName;
    result = found->second;
    return com::kOk;
  }
};

constexpr std::u16string_view kBagProgId = u"Test.Bag";

class AutomationCallsTest : public ::testing::Test {
 protected:
  AutomationCallsTest()
      : bagClass_(kBagProgId, [this](std::uint32_t context, com::Dispatch** object) {
          contexts_.push_back(context);
          if (refuseAllContexts_ && context == com::kClsctxAll) return com::kInvalidArg;
          *object = lastBag_ = new Bag;
          return com::kOk;
        }) {}

  void SetUp() override {
    objects_ = com::LiveObjectCount();
    CoInitialize();
  }
  void TearDown() override {
    CoUninitialize();
    EXPECT_EQ(com::LiveObjectCount(), objects_) << "an automation object leaked";
  }

  AutomationObject NewBag() {
    AutomationObject bag;
    EXPECT_TRUE(CreateAutomationObject(bag, "test.BAG"));
    return bag;
  }
  static Bag& BagOf(const AutomationObject& object) { return *static_cast<Bag*>(object.Get()); }

  std::vector<std::uint32_t> contexts_;
  bool refuseAllContexts_ = false;
  Bag* lastBag_ = nullptr;

 private:
  com::ScopedClassOverride bagClass_;
  long objects_ = 0;
};

TEST_F(AutomationCallsTest, TextCrossesThroughTheAnsiCodePage) {
  AutomationObject bag = NewBag();
  const Text chinese = Utf8Literal("华夏成长");
  ASSERT_TRUE(WriteProperty(bag, "Name", chinese));
  const com::Variant& stored = BagOf(bag).properties[u"name"];
  EXPECT_EQ(stored.type(), com::VT_BSTR);
  EXPECT_EQ(stored.bstr(), u"华夏成长");
  EXPECT_EQ(S(ReadTextProperty(bag, "NAME")), S(chinese));
  // An empty Text is an empty string, not a missing value.
  ASSERT_TRUE(WriteProperty(bag, "Name", Text()));
  EXPECT_EQ(BagOf(bag).properties[u"name"].type(), com::VT_BSTR);
}

struct OutCase {
  const char* what;
  com::Variant value;
  Text text;
  double number;
};

TEST_F(AutomationCallsTest, ValuesComeOutAsTextAndAsNumbers) {
  const OutCase cases[] = {
      {"empty", com::Variant(), "", 0.0},
      {"true", com::Variant::Bool(true), "True", -1.0},
      {"false", com::Variant::Bool(false), "False", 0.0},
      {"integer", com::Variant::Int(-42), "-42", -42.0},
      {"double", com::Variant::Real(2.5), "2.5", 2.5},
      {"numeric text", com::Variant::String(u" 17 "), " 17 ", 17.0},
      {"other text", com::Variant::String(u"abc"), "abc", 0.0},
      {"text with NUL ends there", com::Variant::String(std::u16string(u"ab\0cd", 5)), "ab", 0.0},
      {"character outside 936", com::Variant::String(u"a\u0E01"), "a?", 0.0},
      {"bytes are no text", com::Variant::ByteArray({0x41, 0x42}), "", 0.0},
  };
  AutomationObject bag = NewBag();
  for (const OutCase& c : cases) {
    SCOPED_TRACE(c.what);
    BagOf(bag).properties[u"value"] = c.value;
    EXPECT_EQ(S(ReadTextProperty(bag, "Value")), S(c.text));
    EXPECT_EQ(ReadNumberProperty(bag, "Value"), c.number);
    AutomationVariant variant;
    variant.Value() = c.value;
    EXPECT_EQ(S(VariantToText(variant)), S(c.text));
    EXPECT_EQ(S(CallTextMethod(bag, "Echo", {variant})), S(c.text));
  }
}

TEST_F(AutomationCallsTest, ArgumentsKeepTheirTypes) {
  AutomationObject bag = NewBag();
  AutomationVariant bytes;
  SetVariant(bytes, Bytes{0x00, 0xFF, 0x41});
  CallMethod(bag, "Echo", {Text("t"), true, std::int32_t{7}, 2.5, bytes});
  const std::vector<com::Variant>& got = BagOf(bag).lastArguments;
  ASSERT_EQ(got.size(), 5u);
  EXPECT_EQ(got[0].type(), com::VT_BSTR);
  EXPECT_EQ(got[1].type(), com::VT_BOOL);
  EXPECT_TRUE(got[1].boolean());
  EXPECT_EQ(got[2].type(), com::VT_I4);
  EXPECT_EQ(got[2].i4(), 7);
  EXPECT_EQ(got[3].type(), com::VT_R8);
  EXPECT_EQ(got[4].type(), com::VT_ARRAY | com::VT_UI1);
  EXPECT_EQ(got[4].bytes(), (std::vector<std::uint8_t>{0x00, 0xFF, 0x41}));
  // The caller's variant is untouched by the call.
  EXPECT_EQ(bytes.Value().bytes().size(), 3u);
}

TEST_F(AutomationCallsTest, FailuresYieldEmptyValues) {
  AutomationObject empty;
  AutomationObject bag = NewBag();
  BagOf(bag).properties[u"number"] = com::Variant::Int(3);
  for (const AutomationObject* object : {&empty, &bag}) {
    EXPECT_EQ(S(ReadTextProperty(*object, "Missing")), S(""));
    EXPECT_EQ(ReadNumberProperty(*object, "Missing"), 0.0);
    EXPECT_TRUE(IsEmptyObject(ReadObjectProperty(*object, "Missing")));
    EXPECT_TRUE(ReadVariantProperty(*object, "Missing").Value().IsEmpty());
    EXPECT_EQ(S(CallTextMethod(*object, "Fail")), S(""));
    EXPECT_TRUE(IsEmptyObject(CallObjectMethod(*object, "Fail")));
    CallMethod(*object, "Fail");
  }
  EXPECT_FALSE(WriteProperty(empty, "Anything", true));
  // A value that is not an object gives no object.
  EXPECT_TRUE(IsEmptyObject(ReadObjectProperty(bag, "Number")));
}

TEST_F(AutomationCallsTest, ReturnedObjectsAreOwnedByTheCaller) {
  const long before = com::LiveObjectCount();
  AutomationObject child;
  {
    AutomationObject bag = NewBag();
    BagOf(bag).properties[u"held"] = com::Variant::AdoptObject(new Bag);
    child = ReadObjectProperty(bag, "Held");
    ASSERT_FALSE(IsEmptyObject(child));
    AutomationObject made = CallObjectMethod(bag, "Child");
    ASSERT_FALSE(IsEmptyObject(made));
    EXPECT_EQ(com::LiveObjectCount(), before + 3);
  }
  // The bag and the made child are gone; the held one lives on in `child`.
  EXPECT_EQ(com::LiveObjectCount(), before + 1);
  AutomationObject moved = std::move(child);
  EXPECT_TRUE(IsEmptyObject(child));  // NOLINT(bugprone-use-after-move)
  ReleaseAutomationObject(moved);
  ReleaseAutomationObject(moved);  // a second release of an empty holder does nothing
  EXPECT_EQ(com::LiveObjectCount(), before);
}

TEST_F(AutomationCallsTest, VariantsOwnWhatTheyHold) {
  const long before = com::LiveObjectCount();
  AutomationObject bag = NewBag();
  BagOf(bag).properties[u"held"] = com::Variant::AdoptObject(new Bag);
  AutomationVariant value = ReadVariantProperty(bag, "Held");
  ReleaseAutomationObject(bag);
  EXPECT_EQ(com::LiveObjectCount(), before + 1);  // the variant keeps the held bag
  AutomationVariant other = std::move(value);
  EXPECT_TRUE(value.Value().IsEmpty());  // NOLINT(bugprone-use-after-move): usable and empty
  SetVariant(value, Text("still usable"));
  EXPECT_EQ(S(VariantToText(value)), S("still usable"));
  SetVariant(other, std::int32_t{5});  // replacing the object releases it
  EXPECT_EQ(com::LiveObjectCount(), before);
  SetVariant(other, other);  // storing a variant into itself keeps the value
  EXPECT_EQ(S(VariantToText(other)), S("5"));
  ClearVariant(other);
  EXPECT_TRUE(other.Value().IsEmpty());
  EXPECT_EQ(S(VariantToText(other)), S(""));
}

TEST_F(AutomationCallsTest, CreationReplacesTheHolderOnlyOnSuccess) {
  const long before = com::LiveObjectCount();
  AutomationObject holder = NewBag();
  com::Dispatch* first = holder.Get();
  EXPECT_FALSE(CreateAutomationObject(holder, "No.Such.Object"));
  EXPECT_EQ(holder.Get(), first);
  {
    com::ScopedClassOverride failing(kBagProgId, com::FailingFactory());
    EXPECT_FALSE(CreateAutomationObject(holder, "Test.Bag"));
    EXPECT_EQ(holder.Get(), first);
  }
  ASSERT_TRUE(CreateAutomationObject(holder, "Test.Bag"));
  EXPECT_NE(holder.Get(), first);
  EXPECT_EQ(com::LiveObjectCount(), before + 1);  // the first one was released
}

TEST_F(AutomationCallsTest, CreationRetriesWithNarrowerContexts) {
  refuseAllContexts_ = true;
  AutomationObject holder;
  ASSERT_TRUE(CreateAutomationObject(holder, "Test.Bag"));
  EXPECT_EQ(contexts_, (std::vector<std::uint32_t>{com::kClsctxAll, com::kClsctxInprocServer |
                                                                        com::kClsctxInprocHandler |
                                                                        com::kClsctxLocalServer}));
}

TEST_F(AutomationCallsTest, CreationNeedsComOnTheThread) {
  CoUninitialize();
  AutomationObject holder;
  EXPECT_FALSE(CreateAutomationObject(holder, "Test.Bag"));
  EXPECT_TRUE(IsEmptyObject(holder));
  CoInitialize();
}

TEST_F(AutomationCallsTest, RealObjectsAnswerByName) {
  AutomationObject regexp;
  ASSERT_TRUE(CreateAutomationObject(regexp, "VBScript.RegExp"));
  EXPECT_TRUE(WriteProperty(regexp, "pattern", "b+"));
  EXPECT_TRUE(WriteProperty(regexp, "GLOBAL", true));
  EXPECT_FALSE(WriteProperty(regexp, "Singleline", true));
  AutomationObject matches = CallObjectMethod(regexp, "Execute", {"abbcb"});
  EXPECT_EQ(ReadNumberProperty(matches, "Count"), 2.0);
  AutomationObject match = ReadObjectProperty(matches, "Item", {std::int32_t{1}});
  EXPECT_EQ(S(ReadTextProperty(match, "Value")), S("b"));
  EXPECT_EQ(ReadNumberProperty(match, "FirstIndex"), 4.0);
  EXPECT_EQ(S(CallTextMethod(regexp, "Replace", {"abbcb", "-"})), S("a-c-"));
}

}  // namespace
