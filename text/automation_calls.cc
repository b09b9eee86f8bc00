#include "text/automation_calls.h"

#include <climits>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "platform/automation/apartment.h"
#include "platform/automation/class_registry.h"
#include "platform/automation/dispatch.h"
#include "platform/automation/variant.h"
#include "platform/codepage/codepage.h"

namespace {

namespace com = platform::com;

// Running out of memory stops the program, as it does for every Text.
template <typename Function>
auto StopOnBadAlloc(Function&& function) noexcept -> decltype(function()) {
  try {
    return function();
  } catch (const std::bad_alloc&) {
    StopOnMemoryExhaustion(0);
  }
}

// Text in: through the system ANSI code page, up to the terminating NUL.
std::u16string ToWide(const Text& text) {
  if (text.empty() || text.size() >= static_cast<std::size_t>(INT_MAX)) return {};
  const int units =
      platform::MultiByteToWideChar(platform::kCpAcp, 0, text.c_str(), -1, nullptr, 0);
  if (units <= 1) return {};
  std::u16string wide(static_cast<std::size_t>(units), u'\0');
  const int written =
      platform::MultiByteToWideChar(platform::kCpAcp, 0, text.c_str(), -1, wide.data(), units);
  if (written <= 0) return {};
  wide.resize(static_cast<std::size_t>(written));
  wide.resize(wide.find(u'\0'));
  return wide;
}

// Text out of an automation string: through the system ANSI code page, no
// default character, up to the first NUL (a Text holds none).
Text FromWide(const std::u16string& wide) {
  if (wide.empty() || wide.size() >= static_cast<std::size_t>(INT_MAX)) return Text();
  const int size = platform::WideCharToMultiByte(platform::kCpAcp, 0, wide.c_str(), -1, nullptr, 0,
                                                 nullptr, nullptr);
  if (size <= 1) return Text();
  Text text(static_cast<std::size_t>(size), '\0');
  const int written = platform::WideCharToMultiByte(platform::kCpAcp, 0, wide.c_str(), -1,
                                                    text.data(), size, nullptr, nullptr);
  if (written <= 0) return Text();
  text.resize(static_cast<std::size_t>(written));
  text.resize(text.find('\0'));
  return text;
}

com::Variant ToVariant(const AutomationArgument& argument) {
  switch (argument.kind()) {
    case AutomationArgument::Kind::kText:
      return com::Variant::String(ToWide(argument.text()));
    case AutomationArgument::Kind::kBool:
      return com::Variant::Bool(argument.boolValue());
    case AutomationArgument::Kind::kInt:
      return com::Variant::Int(argument.intValue());
    case AutomationArgument::Kind::kDouble:
      return com::Variant::Real(argument.doubleValue());
    case AutomationArgument::Kind::kVariant:
      return argument.variant().Value();
  }
  return com::Variant();
}

// Rule 2: changed to a string, then to Text; anything that does not change
// gives the empty Text.
Text ToText(const com::Variant& value) {
  if (value.IsEmpty()) return Text();
  com::Variant text;
  if (com::Failed(com::VariantChangeType(text, value, com::VT_BSTR))) return Text();
  return FromWide(text.bstr());
}

double ToNumber(const com::Variant& value) {
  com::Variant number;
  if (com::Failed(com::VariantChangeType(number, value, com::VT_R8))) return 0.0;
  return number.r8();
}

AutomationObject ToObject(const com::Variant& value) {
  AutomationObject object;
  if (value.type() == com::VT_DISPATCH && value.object() != nullptr) {
    value.object()->AddRef();
    object.Reset(value.object());
  }
  return object;
}

// Binds `member` by name on `object` and invokes it. False (and `result`
// empty) when the object is empty or the call fails.
bool Invoke(const AutomationObject& object, const Text& member, com::InvokeKind kind,
            AutomationArguments arguments, com::Variant* result) {
  if (object.Get() == nullptr) return false;
  const std::u16string name = ToWide(member);
  std::vector<com::Variant> values;
  values.reserve(arguments.size());
  for (const AutomationArgument& argument : arguments) values.push_back(ToVariant(argument));
  return com::Succeeded(object.Get()->Invoke(name, kind, values, result));
}

// Invoke, with the result as Text (empty when the call fails).
Text InvokeForText(const AutomationObject& object, const Text& member, com::InvokeKind kind,
                   AutomationArguments arguments) {
  return StopOnBadAlloc([&] {
    com::Variant result;
    if (!Invoke(object, member, kind, arguments, &result)) return Text();
    return ToText(result);
  });
}

// Invoke, with the result as an object (empty when the call fails).
AutomationObject InvokeForObject(const AutomationObject& object, const Text& member,
                                 com::InvokeKind kind, AutomationArguments arguments) {
  return StopOnBadAlloc([&] {
    com::Variant result;
    if (!Invoke(object, member, kind, arguments, &result)) return AutomationObject();
    return ToObject(result);
  });
}

com::Variant* NewVariant() noexcept {
  com::Variant* value = new (std::nothrow) com::Variant;
  if (value == nullptr) StopOnMemoryExhaustion(sizeof(com::Variant));
  return value;
}

}  // namespace

AutomationObject::~AutomationObject() { Reset(); }

AutomationObject::AutomationObject(AutomationObject&& other) noexcept
    : dispatch_(std::exchange(other.dispatch_, nullptr)) {}

AutomationObject& AutomationObject::operator=(AutomationObject&& other) noexcept {
  if (this != &other) Reset(std::exchange(other.dispatch_, nullptr));
  return *this;
}

void AutomationObject::Reset(platform::com::Dispatch* adopted) noexcept {
  platform::com::Dispatch* old = std::exchange(dispatch_, adopted);
  // Released after the holder is updated: the release may run any code.
  if (old != nullptr) old->Release();
}

AutomationVariant::AutomationVariant() : value_(NewVariant()) {}

AutomationVariant::~AutomationVariant() { delete value_; }

AutomationVariant::AutomationVariant(AutomationVariant&& other) noexcept
    : value_(std::exchange(other.value_, NewVariant())) {}

AutomationVariant& AutomationVariant::operator=(AutomationVariant&& other) noexcept {
  if (this != &other) {
    // Our old contents go now, not whenever `other` dies.
    value_->Clear();
    std::swap(value_, other.value_);
  }
  return *this;
}

bool CreateAutomationObject(AutomationObject& holder, const Text& progId) {
  return StopOnBadAlloc([&] {
    com::ClassId classId = 0;
    if (com::Failed(com::ClassIdFromProgId(ToWide(progId), classId))) return false;
    com::Dispatch* object = nullptr;
    com::HResult hr = com::CoCreateInstance(classId, com::kClsctxAll, &object);
    if (hr == com::kInvalidArg) {
      hr = com::CoCreateInstance(
          classId, com::kClsctxInprocServer | com::kClsctxInprocHandler | com::kClsctxLocalServer,
          &object);
    }
    if (com::Failed(hr) || object == nullptr) return false;
    if (com::Failed(com::OleRun(object))) {
      object->Release();
      return false;
    }
    holder.Reset(object);
    return true;
  });
}

Text ReadTextProperty(const AutomationObject& object, const Text& member,
                      AutomationArguments arguments) {
  return InvokeForText(object, member, com::InvokeKind::kPropertyGet, arguments);
}

double ReadNumberProperty(const AutomationObject& object, const Text& member,
                          AutomationArguments arguments) {
  return StopOnBadAlloc([&] {
    com::Variant result;
    if (!Invoke(object, member, com::InvokeKind::kPropertyGet, arguments, &result)) return 0.0;
    return ToNumber(result);
  });
}

AutomationObject ReadObjectProperty(const AutomationObject& object, const Text& member,
                                    AutomationArguments arguments) {
  return InvokeForObject(object, member, com::InvokeKind::kPropertyGet, arguments);
}

AutomationVariant ReadVariantProperty(const AutomationObject& object, const Text& member,
                                      AutomationArguments arguments) {
  return StopOnBadAlloc([&] {
    AutomationVariant value;
    com::Variant result;
    if (Invoke(object, member, com::InvokeKind::kPropertyGet, arguments, &result)) {
      value.Value() = std::move(result);
    }
    return value;
  });
}

bool WriteProperty(const AutomationObject& object, const Text& member,
                   const AutomationArgument& value) {
  return StopOnBadAlloc(
      [&] { return Invoke(object, member, com::InvokeKind::kPropertyPut, {value}, nullptr); });
}

void CallMethod(const AutomationObject& object, const Text& member, AutomationArguments arguments) {
  StopOnBadAlloc([&] {
    com::Variant result;
    Invoke(object, member, com::InvokeKind::kMethod, arguments, &result);
  });
}

Text CallTextMethod(const AutomationObject& object, const Text& member,
                    AutomationArguments arguments) {
  return InvokeForText(object, member, com::InvokeKind::kMethod, arguments);
}

AutomationObject CallObjectMethod(const AutomationObject& object, const Text& member,
                                  AutomationArguments arguments) {
  return InvokeForObject(object, member, com::InvokeKind::kMethod, arguments);
}

void ReleaseAutomationObject(AutomationObject& holder) { holder.Reset(); }

bool IsEmptyObject(const AutomationObject& holder) { return holder.Get() == nullptr; }

void SetVariant(AutomationVariant& variant, const AutomationArgument& value) {
  StopOnBadAlloc([&] { variant.Value() = ToVariant(value); });
}

void SetVariant(AutomationVariant& variant, const Bytes& value) {
  StopOnBadAlloc([&] {
    variant.Value() =
        com::Variant::ByteArray(std::vector<std::uint8_t>(value.begin(), value.end()));
  });
}

Text VariantToText(const AutomationVariant& variant) {
  return StopOnBadAlloc([&] { return ToText(variant.Value()); });
}

void ClearVariant(AutomationVariant& variant) { variant.Value().Clear(); }

void CoInitialize() { platform::com::CoInitialize(nullptr); }

void CoUninitialize() { platform::com::CoUninitialize(); }
