#pragma once
// The base of every automation object: a reference count (the object deletes
// itself when the last reference goes) and invocation by member name. Names
// are bound at every call, ignoring ASCII case as automation does; a name the
// object does not have fails the call.

#include <cstdint>
#include <span>
#include <string_view>

#include "platform/automation/hresult.h"
#include "platform/automation/variant.h"

namespace platform::com {

enum class InvokeKind { kPropertyGet, kPropertyPut, kMethod };

class Dispatch {
 public:
  Dispatch(const Dispatch&) = delete;
  Dispatch& operator=(const Dispatch&) = delete;

  // Both return the count after the change; Release deletes at zero.
  std::uint32_t AddRef() noexcept;
  std::uint32_t Release() noexcept;

  // Calls member `name` as `kind` with `arguments` in their natural order.
  // A property write takes the new value as its last argument. `result` may
  // be null when the caller wants none; on failure it is left empty. The
  // empty name is the object's default member. Nothing is thrown.
  HResult Invoke(std::u16string_view name, InvokeKind kind, std::span<const Variant> arguments,
                 Variant* result) noexcept;

 protected:
  Dispatch() noexcept;
  virtual ~Dispatch();

  // Implemented by each object. `result` starts empty. Returns kUnknownName
  // for a name the object lacks and kMemberNotFound for a known name called
  // in a way it does not support. May throw std::bad_alloc; Invoke catches.
  virtual HResult InvokeMember(std::u16string_view name, InvokeKind kind,
                               std::span<const Variant> arguments, Variant& result) = 0;

 private:
  std::uint32_t references_ = 1;
};

// True when `name` equals `member` ignoring the case of ASCII letters.
bool MemberIs(std::u16string_view name, std::u16string_view member);

// How many automation objects exist right now, across all threads.
long LiveObjectCount();

// Helpers for objects reading their arguments: the argument at `index`
// converted to a type, or a failure code (kBadParamCount when missing).
HResult ArgumentAsInt(std::span<const Variant> arguments, std::size_t index, std::int32_t& value);
HResult ArgumentAsDouble(std::span<const Variant> arguments, std::size_t index, double& value);
HResult ArgumentAsBool(std::span<const Variant> arguments, std::size_t index, bool& value);
HResult ArgumentAsString(std::span<const Variant> arguments, std::size_t index,
                         std::u16string& value);

// Answers a property read: `value` when `kind` is a get without arguments,
// otherwise the failure code for the call.
HResult PropertyGet(InvokeKind kind, std::span<const Variant> arguments, Variant& result,
                    Variant value);

}  // namespace platform::com
