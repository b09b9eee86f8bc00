#include "platform/automation/dispatch.h"

#include <gtest/gtest.h>

#include <new>
#include <thread>
#include <vector>

#include "platform/automation/apartment.h"
#include "platform/automation/class_registry.h"

namespace platform::com {
namespace {

class Thrower final : public Dispatch {
 protected:
  HResult InvokeMember(std::u16string_view, InvokeKind, std::span<const Variant>,
                       Variant& result) override {
    result = Variant::Int(1);
    throw std::bad_alloc();
  }
};

// Keeps the thread's apartment initialised for one test.
class ApartmentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    baseObjects_ = LiveObjectCount();
    CoInitialize();
  }
  void TearDown() override {
    CoUninitialize();
    EXPECT_EQ(LiveObjectCount(), baseObjects_) << "an object was not released";
  }

  static Dispatch* Create(std::u16string_view progId, HResult* result = nullptr) {
    ClassId id = 0;
    Dispatch* object = nullptr;
    HResult hr = ClassIdFromProgId(progId, id);
    if (Succeeded(hr)) hr = CoCreateInstance(id, kClsctxAll, &object);
    if (result != nullptr) *result = hr;
    return object;
  }

 private:
  long baseObjects_ = 0;
};

TEST(ApartmentCountTest, CountsNestedInitialisationsPerThread) {
  const int before = ApartmentInitCount();
  ASSERT_EQ(before, 0);
  EXPECT_EQ(CoInitialize(), kOk);
  EXPECT_EQ(CoInitialize(), kFalse);
  EXPECT_EQ(ApartmentInitCount(), 2);
  int otherThread = -1;
  std::thread([&] { otherThread = ApartmentInitCount(); }).join();
  EXPECT_EQ(otherThread, 0);
  CoUninitialize();
  CoUninitialize();
  EXPECT_EQ(ApartmentInitCount(), 0);
  const int unbalanced = UnbalancedUninitializeCount();
  CoUninitialize();  // one too many: ignored, but noted
  EXPECT_EQ(ApartmentInitCount(), 0);
  EXPECT_EQ(UnbalancedUninitializeCount(), unbalanced + 1);
}

TEST(ApartmentCountTest, CreationNeedsAnInitialisedThread) {
  ClassId id = 0;
  ASSERT_EQ(ClassIdFromProgId(u"VBScript.RegExp", id), kOk);
  Dispatch* object = nullptr;
  EXPECT_EQ(CoCreateInstance(id, kClsctxAll, &object), kNotInitialized);
  EXPECT_EQ(object, nullptr);
}

TEST_F(ApartmentTest, ProgIdsIgnoreCase) {
  for (std::u16string_view progId :
       {u"VBScript.RegExp", u"vbscript.regexp", u"Adodb.Stream", u"ADODB.STREAM"}) {
    HResult hr = kFail;
    Dispatch* object = Create(progId, &hr);
    EXPECT_EQ(hr, kOk);
    ASSERT_NE(object, nullptr);
    object->Release();
  }
  HResult hr = kOk;
  EXPECT_EQ(Create(u"No.Such.Object", &hr), nullptr);
  EXPECT_EQ(hr, kInvalidClassString);
}

TEST_F(ApartmentTest, OverridesReplaceAndRestoreFactories) {
  {
    ScopedClassOverride failing(u"vbscript.REGEXP", FailingFactory(kClassNotRegistered));
    HResult hr = kOk;
    EXPECT_EQ(Create(u"VBScript.RegExp", &hr), nullptr);
    EXPECT_EQ(hr, kClassNotRegistered);
    {
      ScopedClassOverride working(u"VBScript.RegExp", [](std::uint32_t, Dispatch** object) {
        *object = new Thrower;
        return kOk;
      });
      Dispatch* object = Create(u"VBScript.RegExp");
      ASSERT_NE(object, nullptr);
      object->Release();
    }
    EXPECT_EQ(Create(u"VBScript.RegExp"), nullptr);
    {
      ScopedClassOverride removed(u"VBScript.RegExp", nullptr);
      EXPECT_EQ(Create(u"VBScript.RegExp", &hr), nullptr);
      EXPECT_EQ(hr, kInvalidClassString);
    }
  }
  Dispatch* object = Create(u"VBScript.RegExp");
  ASSERT_NE(object, nullptr);
  object->Release();
}

TEST_F(ApartmentTest, OverridesEndingOutOfOrderLeaveTheLastOneInForce) {
  auto* first = new ScopedClassOverride(u"Test.Object", FailingFactory(kFail));
  auto* second = new ScopedClassOverride(u"Test.Object", [](std::uint32_t, Dispatch** object) {
    *object = new Thrower;
    return kOk;
  });
  delete first;
  Dispatch* object = Create(u"Test.Object");
  ASSERT_NE(object, nullptr);
  object->Release();
  delete second;
  EXPECT_EQ(Create(u"Test.Object"), nullptr);
}

TEST_F(ApartmentTest, AFactoryThatFailsAfterMakingAnObjectDoesNotLeakIt) {
  ScopedClassOverride leaky(u"Test.Leaky", [](std::uint32_t, Dispatch** object) {
    *object = new Thrower;
    return kFail;
  });
  HResult hr = kOk;
  EXPECT_EQ(Create(u"Test.Leaky", &hr), nullptr);
  EXPECT_EQ(hr, kFail);
  // TearDown checks that the object was released.
}

TEST_F(ApartmentTest, ObjectsDeleteThemselvesAtTheLastRelease) {
  const long before = LiveObjectCount();
  Dispatch* object = Create(u"Adodb.Stream");
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(LiveObjectCount(), before + 1);
  EXPECT_EQ(object->AddRef(), 2u);
  EXPECT_EQ(object->Release(), 1u);
  EXPECT_EQ(LiveObjectCount(), before + 1);
  EXPECT_EQ(object->Release(), 0u);
  EXPECT_EQ(LiveObjectCount(), before);
}

TEST_F(ApartmentTest, InvokeTurnsExceptionsIntoFailures) {
  Dispatch* object = new Thrower;
  Variant result = Variant::Int(5);
  EXPECT_EQ(object->Invoke(u"Anything", InvokeKind::kMethod, {}, &result), kOutOfMemory);
  EXPECT_TRUE(result.IsEmpty());
  object->Release();
}

TEST(MemberIsTest, IgnoresAsciiCaseOnly) {
  EXPECT_TRUE(MemberIs(u"ignorecase", u"IgnoreCase"));
  EXPECT_TRUE(MemberIs(u"IGNORECASE", u"IgnoreCase"));
  EXPECT_FALSE(MemberIs(u"IgnoreCas", u"IgnoreCase"));
  EXPECT_FALSE(MemberIs(u"Singleline", u"Multiline"));
  // Only A-Z fold: the full-width letter is another name.
  EXPECT_FALSE(MemberIs(u"\uFF29gnoreCase", u"IgnoreCase"));
}

}  // namespace
}  // namespace platform::com
