#include "platform/automation/dispatch.h"

#include <atomic>
#include <new>
#include <utility>

namespace platform::com {
namespace {

std::atomic<long> gLiveObjects{0};

char16_t AsciiLower(char16_t c) { return (c >= u'A' && c <= u'Z') ? c + (u'a' - u'A') : c; }

template <typename T>
HResult ConvertArgument(std::span<const Variant> arguments, std::size_t index, VarType type,
                        T&& read) {
  if (index >= arguments.size()) return kBadParamCount;
  Variant converted;
  const HResult hr = VariantChangeType(converted, arguments[index], type);
  if (Failed(hr)) return hr;
  read(converted);
  return kOk;
}

}  // namespace

Dispatch::Dispatch() noexcept { gLiveObjects.fetch_add(1, std::memory_order_relaxed); }

Dispatch::~Dispatch() { gLiveObjects.fetch_sub(1, std::memory_order_relaxed); }

std::uint32_t Dispatch::AddRef() noexcept { return ++references_; }

std::uint32_t Dispatch::Release() noexcept {
  const std::uint32_t left = --references_;
  if (left == 0) delete this;
  return left;
}

HResult Dispatch::Invoke(std::u16string_view name, InvokeKind kind,
                         std::span<const Variant> arguments, Variant* result) noexcept {
  Variant local;
  HResult hr;
  try {
    hr = InvokeMember(name, kind, arguments, local);
  } catch (const std::bad_alloc&) {
    hr = kOutOfMemory;
  } catch (...) {
    hr = kException;
  }
  if (result != nullptr) {
    if (Succeeded(hr)) {
      *result = std::move(local);
    } else {
      result->Clear();
    }
  }
  return hr;
}

bool MemberIs(std::u16string_view name, std::u16string_view member) {
  if (name.size() != member.size()) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (AsciiLower(name[i]) != AsciiLower(member[i])) return false;
  }
  return true;
}

long LiveObjectCount() { return gLiveObjects.load(std::memory_order_relaxed); }

HResult ArgumentAsInt(std::span<const Variant> arguments, std::size_t index, std::int32_t& value) {
  return ConvertArgument(arguments, index, VT_I4, [&](const Variant& v) { value = v.i4(); });
}

HResult ArgumentAsDouble(std::span<const Variant> arguments, std::size_t index, double& value) {
  return ConvertArgument(arguments, index, VT_R8, [&](const Variant& v) { value = v.r8(); });
}

HResult ArgumentAsBool(std::span<const Variant> arguments, std::size_t index, bool& value) {
  return ConvertArgument(arguments, index, VT_BOOL, [&](const Variant& v) { value = v.boolean(); });
}

HResult ArgumentAsString(std::span<const Variant> arguments, std::size_t index,
                         std::u16string& value) {
  return ConvertArgument(arguments, index, VT_BSTR, [&](const Variant& v) { value = v.bstr(); });
}

HResult PropertyGet(InvokeKind kind, std::span<const Variant> arguments, Variant& result,
                    Variant value) {
  if (kind != InvokeKind::kPropertyGet) return kMemberNotFound;
  if (!arguments.empty()) return kBadParamCount;
  result = std::move(value);
  return kOk;
}

}  // namespace platform::com
