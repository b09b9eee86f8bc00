#pragma once
// Creation of automation objects by ProgID: a registry of class factories,
// looked up ignoring case. Built in are "VBScript.RegExp" and "Adodb.Stream".
// Tests can replace a factory (or remove a ProgID) for a scope.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/automation/dispatch.h"
#include "platform/automation/hresult.h"

namespace platform::com {

using ClassId = std::uint32_t;

// Where the object may run (CLSCTX_*); the stand-ins all run in process.
inline constexpr std::uint32_t kClsctxInprocServer = 0x1;
inline constexpr std::uint32_t kClsctxInprocHandler = 0x2;
inline constexpr std::uint32_t kClsctxLocalServer = 0x4;
inline constexpr std::uint32_t kClsctxRemoteServer = 0x10;
inline constexpr std::uint32_t kClsctxAll =
    kClsctxInprocServer | kClsctxInprocHandler | kClsctxLocalServer | kClsctxRemoteServer;

// Makes one object for `context`: on success stores one reference in
// `*object` and returns a success code; on failure leaves it null.
using ClassFactory = std::function<HResult(std::uint32_t context, Dispatch** object)>;

// CLSIDFromProgID: kInvalidClassString for a ProgID nobody registered.
HResult ClassIdFromProgId(std::u16string_view progId, ClassId& classId);
// CoCreateInstance: kNotInitialized on a thread without CoInitialize,
// kClassNotRegistered for an unknown class, otherwise the factory's result.
HResult CoCreateInstance(ClassId classId, std::uint32_t context, Dispatch** object);
// OleRun: puts a created object into its running state (in-process objects
// already are).
HResult OleRun(Dispatch* object);

// Replaces the factory of `progId` while it lives (an empty factory makes the
// ProgID unknown), then restores what was there. Overrides may nest.
class ScopedClassOverride {
 public:
  ScopedClassOverride(std::u16string_view progId, ClassFactory factory);
  ~ScopedClassOverride();
  ScopedClassOverride(const ScopedClassOverride&) = delete;
  ScopedClassOverride& operator=(const ScopedClassOverride&) = delete;

 private:
  std::u16string progId_;
  std::uint64_t token_;
};

// A factory that always fails with `result`, for tests of failing creation.
ClassFactory FailingFactory(HResult result = kClassNotRegistered);

}  // namespace platform::com
