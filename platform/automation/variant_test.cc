#include "platform/automation/variant.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "platform/automation/dispatch.h"

namespace platform::com {
namespace {

// An object whose default member is a fixed text.
class Labelled final : public Dispatch {
 public:
  explicit Labelled(std::u16string label) : label_(std::move(label)) {}

 protected:
  HResult InvokeMember(std::u16string_view name, InvokeKind kind, std::span<const Variant>,
                       Variant& result) override {
    if (!name.empty() || kind != InvokeKind::kPropertyGet) return kUnknownName;
    result = Variant::String(label_);
    return kOk;
  }

 private:
  std::u16string label_;
};

struct ToTextCase {
  Variant value;
  std::u16string text;
};

TEST(VariantChangeTypeTest, ToStringFollowsVisualBasic) {
  const ToTextCase cases[] = {
      {Variant(), u""},
      {Variant::Int(42), u"42"},
      {Variant::Int(-2147483647 - 1), u"-2147483648"},
      {Variant::Real(1.5), u"1.5"},
      {Variant::Real(0.1), u"0.1"},
      {Variant::Real(1.0 / 3.0), u"0.333333333333333"},
      {Variant::Real(-0.0), u"0"},
      {Variant::Real(1e20), u"1E+20"},
      {Variant::Real(1.5e-7), u"1.5E-7"},
      {Variant::Real(123456789012345678.0), u"1.23456789012346E+17"},
      {Variant::Bool(true), u"True"},
      {Variant::Bool(false), u"False"},
      {Variant::String(u"\u4E2D"), u"\u4E2D"},
  };
  for (const ToTextCase& c : cases) {
    Variant out;
    ASSERT_EQ(VariantChangeType(out, c.value, VT_BSTR), kOk);
    EXPECT_EQ(out.type(), VT_BSTR);
    EXPECT_EQ(out.bstr(), c.text);
  }
}

struct ToRealCase {
  Variant value;
  bool ok;
  double number;
};

TEST(VariantChangeTypeTest, ToDoubleAcceptsOnlyNumbers) {
  const ToRealCase cases[] = {
      {Variant(), true, 0.0},
      {Variant::Bool(true), true, -1.0},
      {Variant::Bool(false), true, 0.0},
      {Variant::Int(-7), true, -7.0},
      {Variant::String(u" 12.5 "), true, 12.5},
      {Variant::String(u"-1e3"), true, -1000.0},
      {Variant::String(u"+.5"), true, 0.5},
      {Variant::String(u""), false, 0.0},
      {Variant::String(u"abc"), false, 0.0},
      {Variant::String(u"12abc"), false, 0.0},
      {Variant::String(u"True"), false, 0.0},
      {Variant::String(u"inf"), false, 0.0},
      {Variant::String(u"--1"), false, 0.0},
      {Variant::ByteArray({1, 2}), false, 0.0},
  };
  for (const ToRealCase& c : cases) {
    Variant out = Variant::Int(99);
    const HResult hr = VariantChangeType(out, c.value, VT_R8);
    EXPECT_EQ(Succeeded(hr), c.ok);
    if (c.ok) {
      EXPECT_EQ(out.type(), VT_R8);
      EXPECT_EQ(out.r8(), c.number);
    } else {
      // A failed change leaves the destination as it was.
      EXPECT_EQ(out.type(), VT_I4);
      EXPECT_EQ(out.i4(), 99);
    }
  }
}

TEST(VariantChangeTypeTest, ToIntRoundsHalfToEvenAndRejectsWhatDoesNotFit) {
  const std::pair<double, std::int32_t> rounded[] = {
      {2.5, 2}, {3.5, 4}, {-2.5, -2}, {2.4999, 2}, {-0.6, -1}, {2147483647.0, 2147483647}};
  for (const auto& [value, expected] : rounded) {
    Variant out;
    ASSERT_EQ(VariantChangeType(out, Variant::Real(value), VT_I4), kOk) << value;
    EXPECT_EQ(out.i4(), expected) << value;
  }
  for (double value : {3e9, -3e9, std::numeric_limits<double>::quiet_NaN(),
                       std::numeric_limits<double>::infinity()}) {
    Variant out;
    EXPECT_EQ(VariantChangeType(out, Variant::Real(value), VT_I4), kOverflow) << value;
  }
}

TEST(VariantChangeTypeTest, ToBoolReadsWordsAndNumbers) {
  const std::pair<std::u16string, bool> words[] = {
      {u"true", true}, {u"FALSE", false}, {u" True ", true}, {u"0", false}, {u"2", true}};
  for (const auto& [text, expected] : words) {
    Variant out;
    ASSERT_EQ(VariantChangeType(out, Variant::String(text), VT_BOOL), kOk);
    EXPECT_EQ(out.boolean(), expected);
  }
  Variant out;
  EXPECT_EQ(VariantChangeType(out, Variant::String(u"yes"), VT_BOOL), kTypeMismatch);
}

TEST(VariantChangeTypeTest, ConvertsInPlace) {
  Variant value = Variant::Real(2.5);
  ASSERT_EQ(VariantChangeType(value, value, VT_BSTR), kOk);
  EXPECT_EQ(value.bstr(), u"2.5");
}

TEST(VariantObjectTest, CopiesHoldReferencesAndClearReleasesThem) {
  const long before = LiveObjectCount();
  {
    Variant held = Variant::AdoptObject(new Labelled(u"label"));
    EXPECT_EQ(LiveObjectCount(), before + 1);
    Variant copy;
    ASSERT_EQ(VariantCopy(copy, held), kOk);
    EXPECT_EQ(copy.object(), held.object());
    ASSERT_EQ(VariantClear(held), kOk);
    EXPECT_TRUE(held.IsEmpty());
    EXPECT_EQ(LiveObjectCount(), before + 1);  // the copy still holds it

    // An object converts through its default member.
    Variant text;
    ASSERT_EQ(VariantChangeType(text, copy, VT_BSTR), kOk);
    EXPECT_EQ(text.bstr(), u"label");

    Variant moved = std::move(copy);
    EXPECT_TRUE(copy.IsEmpty());  // NOLINT(bugprone-use-after-move): moved-from is empty
    moved = Variant::Int(1);      // overwriting releases the last reference
    EXPECT_EQ(LiveObjectCount(), before);
  }
  EXPECT_EQ(LiveObjectCount(), before);
}

TEST(VariantObjectTest, NullObjectDoesNotConvert) {
  Variant out;
  EXPECT_EQ(VariantChangeType(out, Variant::Object(nullptr), VT_BSTR), kTypeMismatch);
}

}  // namespace
}  // namespace platform::com
