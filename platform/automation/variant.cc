#include "platform/automation/variant.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <new>

#include "platform/automation/dispatch.h"

namespace platform::com {
namespace {

// An object converts through its default member; a default member that
// returns an object again is followed only this far.
constexpr int kMaxDefaultMemberDepth = 4;

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

bool EqualsIgnoringAsciiCase(std::u16string_view text, std::u16string_view word) {
  return MemberIs(text, word);
}

std::u16string_view TrimBlanks(std::u16string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

HResult RealToInt(double value, std::int32_t& out) {
  // Rounds to nearest with ties to even, as automation's conversion does.
  const double rounded = std::nearbyint(value);
  if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0)) return kOverflow;
  out = static_cast<std::int32_t>(rounded);
  return kOk;
}

HResult ChangeType(Variant& destination, const Variant& source, VarType type, int depth);

// The value of an object's default member, itself converted to `type`.
HResult ChangeObject(Variant& destination, const Variant& source, VarType type, int depth) {
  if (source.object() == nullptr || depth >= kMaxDefaultMemberDepth) return kTypeMismatch;
  Variant value;
  const HResult hr = source.object()->Invoke(u"", InvokeKind::kPropertyGet, {}, &value);
  if (Failed(hr)) return kTypeMismatch;
  return ChangeType(destination, value, type, depth + 1);
}

HResult ToReal(const Variant& source, double& out) {
  switch (source.type()) {
    case VT_EMPTY:
      out = 0.0;
      return kOk;
    case VT_I4:
      out = source.i4();
      return kOk;
    case VT_R8:
      out = source.r8();
      return kOk;
    case VT_BOOL:
      out = source.boolean() ? -1.0 : 0.0;
      return kOk;
    case VT_BSTR:
      return ParseDouble(source.bstr(), out) ? kOk : kTypeMismatch;
    default:
      return kTypeMismatch;
  }
}

HResult ChangeType(Variant& destination, const Variant& source, VarType type, int depth) {
  if (source.type() == VT_DISPATCH && type != VT_DISPATCH) {
    return ChangeObject(destination, source, type, depth);
  }
  if (source.type() == type) {
    destination = source;
    return kOk;
  }
  switch (type) {
    case VT_EMPTY:
      destination.Clear();
      return kOk;
    case VT_R8: {
      double value = 0.0;
      const HResult hr = ToReal(source, value);
      if (Failed(hr)) return hr;
      destination = Variant::Real(value);
      return kOk;
    }
    case VT_I4: {
      double value = 0.0;
      HResult hr = ToReal(source, value);
      if (Failed(hr)) return hr;
      std::int32_t whole = 0;
      hr = RealToInt(value, whole);
      if (Failed(hr)) return hr;
      destination = Variant::Int(whole);
      return kOk;
    }
    case VT_BOOL: {
      if (source.type() == VT_BSTR) {
        const std::u16string_view text = TrimBlanks(source.bstr());
        if (EqualsIgnoringAsciiCase(text, u"True")) {
          destination = Variant::Bool(true);
          return kOk;
        }
        if (EqualsIgnoringAsciiCase(text, u"False")) {
          destination = Variant::Bool(false);
          return kOk;
        }
      }
      double value = 0.0;
      const HResult hr = ToReal(source, value);
      if (Failed(hr)) return hr;
      destination = Variant::Bool(value != 0.0);
      return kOk;
    }
    case VT_BSTR:
      switch (source.type()) {
        case VT_EMPTY:
          destination = Variant::String(u"");
          return kOk;
        case VT_I4:
          destination = Variant::String(FormatDouble(source.i4()));
          return kOk;
        case VT_R8:
          destination = Variant::String(FormatDouble(source.r8()));
          return kOk;
        case VT_BOOL:
          destination = Variant::String(source.boolean() ? u"True" : u"False");
          return kOk;
        default:
          return kTypeMismatch;
      }
    default:
      return kTypeMismatch;
  }
}

}  // namespace

Variant::Variant(const Variant& other)
    : vt_(other.vt_),
      i4_(other.i4_),
      r8_(other.r8_),
      bool_(other.bool_),
      bstr_(other.bstr_),
      bytes_(other.bytes_),
      object_(other.object_) {
  if (object_ != nullptr) object_->AddRef();
}

Variant::Variant(Variant&& other) noexcept
    : vt_(other.vt_),
      i4_(other.i4_),
      r8_(other.r8_),
      bool_(other.bool_),
      bstr_(std::move(other.bstr_)),
      bytes_(std::move(other.bytes_)),
      object_(other.object_) {
  other.object_ = nullptr;
  other.Clear();
}

Variant& Variant::operator=(const Variant& other) {
  if (this != &other) {
    Variant copy(other);
    *this = std::move(copy);
  }
  return *this;
}

Variant& Variant::operator=(Variant&& other) noexcept {
  if (this != &other) {
    Dispatch* old = object_;
    vt_ = other.vt_;
    i4_ = other.i4_;
    r8_ = other.r8_;
    bool_ = other.bool_;
    bstr_ = std::move(other.bstr_);
    bytes_ = std::move(other.bytes_);
    object_ = other.object_;
    other.object_ = nullptr;
    other.Clear();
    // Released last: the old object's destruction may run arbitrary code.
    if (old != nullptr) old->Release();
  }
  return *this;
}

Variant::~Variant() { Clear(); }

void Variant::Clear() noexcept {
  Dispatch* old = object_;
  object_ = nullptr;
  vt_ = VT_EMPTY;
  i4_ = 0;
  r8_ = 0.0;
  bool_ = false;
  bstr_.clear();
  bstr_.shrink_to_fit();
  bytes_.clear();
  bytes_.shrink_to_fit();
  if (old != nullptr) old->Release();
}

Variant Variant::Int(std::int32_t value) {
  Variant v;
  v.vt_ = VT_I4;
  v.i4_ = value;
  return v;
}

Variant Variant::Real(double value) {
  Variant v;
  v.vt_ = VT_R8;
  v.r8_ = value;
  return v;
}

Variant Variant::Bool(bool value) {
  Variant v;
  v.vt_ = VT_BOOL;
  v.bool_ = value;
  return v;
}

Variant Variant::String(std::u16string value) {
  Variant v;
  v.vt_ = VT_BSTR;
  v.bstr_ = std::move(value);
  return v;
}

Variant Variant::ByteArray(std::vector<std::uint8_t> bytes) {
  Variant v;
  v.vt_ = VT_ARRAY | VT_UI1;
  v.bytes_ = std::move(bytes);
  return v;
}

Variant Variant::Object(Dispatch* object) {
  if (object != nullptr) object->AddRef();
  return AdoptObject(object);
}

Variant Variant::AdoptObject(Dispatch* object) noexcept {
  Variant v;
  v.vt_ = VT_DISPATCH;
  v.object_ = object;
  return v;
}

HResult VariantClear(Variant& variant) noexcept {
  variant.Clear();
  return kOk;
}

HResult VariantCopy(Variant& destination, const Variant& source) noexcept {
  try {
    destination = source;
    return kOk;
  } catch (const std::bad_alloc&) {
    return kOutOfMemory;
  }
}

HResult VariantChangeType(Variant& destination, const Variant& source, VarType type) noexcept {
  try {
    Variant converted;
    const HResult hr = ChangeType(converted, source, type, 0);
    if (Succeeded(hr)) destination = std::move(converted);
    return hr;
  } catch (const std::bad_alloc&) {
    return kOutOfMemory;
  }
}

std::u16string FormatDouble(double value) {
  if (std::isnan(value)) return u"NaN";
  if (std::isinf(value)) return value > 0 ? u"Infinity" : u"-Infinity";
  if (value == 0.0) return u"0";  // also for -0, as Visual Basic prints it
  char buffer[64];
  const auto [end, error] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
  if (error != std::errc()) return u"0";
  std::u16string text;
  for (const char* p = buffer; p != end; ++p) {
    // Visual Basic writes the exponent with a capital E and drops its
    // leading zeros: 1E+20, 1E-7.
    if (*p == 'e') {
      text += u'E';
      ++p;
      if (p != end && (*p == '+' || *p == '-')) text += static_cast<char16_t>(*p++);
      while (p + 1 < end && *p == '0') ++p;
      --p;
      continue;
    }
    text += static_cast<char16_t>(*p);
  }
  return text;
}

bool ParseDouble(std::u16string_view text, double& value) {
  text = TrimBlanks(text);
  if (text.empty() || text.size() > 400) return false;
  std::string narrow;
  narrow.reserve(text.size());
  bool digit = false;
  for (char16_t c : text) {
    if (c >= u'0' && c <= u'9') {
      digit = true;
    } else if (c != u'+' && c != u'-' && c != u'.' && c != u'e' && c != u'E') {
      return false;
    }
    narrow += static_cast<char>(c);
  }
  if (!digit) return false;
  std::size_t start = narrow[0] == '+' ? 1 : 0;
  if (start == narrow.size() || narrow[start] == '+') return false;
  double parsed = 0.0;
  const char* first = narrow.data() + start;
  const char* last = narrow.data() + narrow.size();
  const auto [end, error] = std::from_chars(first, last, parsed, std::chars_format::general);
  if (error != std::errc() || end != last) return false;
  value = parsed;
  return true;
}

}  // namespace platform::com
