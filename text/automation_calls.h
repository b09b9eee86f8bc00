#pragma once
// Late-bound automation calls: objects created by ProgID and called by member
// name, with the rules by which Text crosses in (through the system ANSI code
// page) and out (changed to a string, then back through that code page).
// No call raises or reports an error: a failed call yields the empty value
// of its result type (empty Text, 0, an empty object or variant, false).

#include <cstdint>
#include <initializer_list>

#include "text/text_types.h"

namespace platform::com {
class Dispatch;
struct Variant;
}  // namespace platform::com

// Holds at most one reference to an automation object and owns it.
class AutomationObject {
 public:
  AutomationObject() = default;
  ~AutomationObject();
  AutomationObject(AutomationObject&& other) noexcept;
  AutomationObject& operator=(AutomationObject&& other) noexcept;
  AutomationObject(const AutomationObject&) = delete;
  AutomationObject& operator=(const AutomationObject&) = delete;

  // The held reference (not add-ref'd); null when empty.
  platform::com::Dispatch* Get() const { return dispatch_; }
  // Takes over one reference, releasing any previous one.
  void Reset(platform::com::Dispatch* adopted = nullptr) noexcept;

 private:
  platform::com::Dispatch* dispatch_ = nullptr;
};

// An automation variant value that owns its contents.
class AutomationVariant {
 public:
  AutomationVariant();
  ~AutomationVariant();
  AutomationVariant(AutomationVariant&& other) noexcept;
  AutomationVariant& operator=(AutomationVariant&& other) noexcept;
  AutomationVariant(const AutomationVariant&) = delete;
  AutomationVariant& operator=(const AutomationVariant&) = delete;

  platform::com::Variant& Value() { return *value_; }
  const platform::com::Variant& Value() const { return *value_; }

 private:
  platform::com::Variant* value_;
};

// One argument of an automation call: Text as a string, bool, 32-bit integer,
// double, or an AutomationVariant passed as its value.
class AutomationArgument {
 public:
  AutomationArgument(const Text& text) : kind_(Kind::kText), text_(text) {}
  AutomationArgument(const char* text) : kind_(Kind::kText), text_(text) {}
  AutomationArgument(bool value) : kind_(Kind::kBool), bool_(value) {}
  AutomationArgument(std::int32_t value) : kind_(Kind::kInt), int_(value) {}
  AutomationArgument(double value) : kind_(Kind::kDouble), double_(value) {}
  AutomationArgument(const AutomationVariant& variant)
      : kind_(Kind::kVariant), variant_(&variant) {}

  enum class Kind { kText, kBool, kInt, kDouble, kVariant };
  Kind kind() const { return kind_; }
  const Text& text() const { return text_; }
  bool boolValue() const { return bool_; }
  std::int32_t intValue() const { return int_; }
  double doubleValue() const { return double_; }
  const AutomationVariant& variant() const { return *variant_; }

 private:
  Kind kind_;
  Text text_;
  bool bool_ = false;
  std::int32_t int_ = 0;
  double double_ = 0.0;
  const AutomationVariant* variant_ = nullptr;
};

using AutomationArguments = std::initializer_list<AutomationArgument>;

bool CreateAutomationObject(AutomationObject& holder, const Text& progId);
Text ReadTextProperty(const AutomationObject& object, const Text& member,
                      AutomationArguments arguments = {});
double ReadNumberProperty(const AutomationObject& object, const Text& member,
                          AutomationArguments arguments = {});
AutomationObject ReadObjectProperty(const AutomationObject& object, const Text& member,
                                    AutomationArguments arguments = {});
AutomationVariant ReadVariantProperty(const AutomationObject& object, const Text& member,
                                      AutomationArguments arguments = {});
bool WriteProperty(const AutomationObject& object, const Text& member,
                   const AutomationArgument& value);
void CallMethod(const AutomationObject& object, const Text& member,
                AutomationArguments arguments = {});
Text CallTextMethod(const AutomationObject& object, const Text& member,
                    AutomationArguments arguments = {});
AutomationObject CallObjectMethod(const AutomationObject& object, const Text& member,
                                  AutomationArguments arguments = {});
void ReleaseAutomationObject(AutomationObject& holder);
bool IsEmptyObject(const AutomationObject& holder);
void SetVariant(AutomationVariant& variant, const AutomationArgument& value);
// A byte array (VT_ARRAY | VT_UI1) holding exactly these bytes.
void SetVariant(AutomationVariant& variant, const Bytes& value);
Text VariantToText(const AutomationVariant& variant);
void ClearVariant(AutomationVariant& variant);

// COM apartment initialisation on the calling thread (the platform's
// CoInitialize / CoUninitialize with a null reserved argument).
void CoInitialize();
void CoUninitialize();
