#pragma once
// An automation variant: one value of a small set of types, owning what it
// holds. Unlike a raw VARIANT it releases its contents by itself when it is
// destroyed or overwritten, and copying it adds a reference to a held object,
// so no path through the code can leak or double-release.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/automation/hresult.h"

namespace platform::com {

class Dispatch;

using VarType = std::uint16_t;
inline constexpr VarType VT_EMPTY = 0;
inline constexpr VarType VT_I4 = 3;
inline constexpr VarType VT_R8 = 5;
inline constexpr VarType VT_BSTR = 8;
inline constexpr VarType VT_DISPATCH = 9;
inline constexpr VarType VT_BOOL = 11;
inline constexpr VarType VT_UI1 = 17;
inline constexpr VarType VT_ARRAY = 0x2000;

struct Variant {
  Variant() noexcept = default;
  Variant(const Variant& other);
  Variant(Variant&& other) noexcept;
  Variant& operator=(const Variant& other);
  Variant& operator=(Variant&& other) noexcept;
  ~Variant();

  static Variant Int(std::int32_t value);
  static Variant Real(double value);
  static Variant Bool(bool value);
  static Variant String(std::u16string value);
  static Variant ByteArray(std::vector<std::uint8_t> bytes);
  // Holds a new reference to `object` (added here); a null object gives an
  // object variant holding nothing.
  static Variant Object(Dispatch* object);
  // Takes over a reference the caller already owns.
  static Variant AdoptObject(Dispatch* object) noexcept;

  VarType type() const { return vt_; }
  bool IsEmpty() const { return vt_ == VT_EMPTY; }
  // The value of the held type; meaningless for another type.
  std::int32_t i4() const { return i4_; }
  double r8() const { return r8_; }
  bool boolean() const { return bool_; }
  const std::u16string& bstr() const { return bstr_; }
  const std::vector<std::uint8_t>& bytes() const { return bytes_; }
  Dispatch* object() const { return object_; }

  // Releases the contents and leaves the variant empty.
  void Clear() noexcept;

 private:
  VarType vt_ = VT_EMPTY;
  std::int32_t i4_ = 0;
  double r8_ = 0.0;
  bool bool_ = false;
  std::u16string bstr_;
  std::vector<std::uint8_t> bytes_;
  Dispatch* object_ = nullptr;
};

// VariantClear: releases the contents and leaves `variant` empty.
HResult VariantClear(Variant& variant) noexcept;
// VariantCopy: `destination` releases its old contents and becomes a copy of
// `source` (an object gains a reference).
HResult VariantCopy(Variant& destination, const Variant& source) noexcept;

// VariantChangeType to VT_EMPTY, VT_I4, VT_R8, VT_BOOL or VT_BSTR, with the
// rules Visual Basic shows: empty is "" or 0; a bool is "True" / "False" or
// -1 / 0; numbers print with up to 15 significant digits ("1.5", "1E+20");
// text converts to a number only when it is one; a double rounds to the
// nearest integer (ties to even) and fails when it does not fit; an object
// converts through its default member. On failure `destination` is left
// unchanged. `destination` and `source` may be the same variant.
HResult VariantChangeType(Variant& destination, const Variant& source, VarType type) noexcept;

// Visual Basic's text for a double (CStr).
std::u16string FormatDouble(double value);
// The double a text spells, or false when it is not a plain decimal number.
bool ParseDouble(std::u16string_view text, double& value);

}  // namespace platform::com
