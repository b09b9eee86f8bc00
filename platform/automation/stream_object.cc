#include "platform/automation/stream_object.h"

#include <algorithm>
#include <string>
#include <vector>

#include "platform/automation/stream_charset.h"

namespace platform::com {
namespace {

class StreamObject final : public Dispatch {
 protected:
  HResult InvokeMember(std::u16string_view name, InvokeKind kind,
                       std::span<const Variant> arguments, Variant& result) override {
    if (MemberIs(name, u"Type")) return TypeProperty(kind, arguments, result);
    if (MemberIs(name, u"Mode")) return ModeProperty(kind, arguments, result);
    if (MemberIs(name, u"Charset")) return CharsetProperty(kind, arguments, result);
    if (MemberIs(name, u"Position")) return PositionProperty(kind, arguments, result);
    if (MemberIs(name, u"State")) return PropertyGet(kind, arguments, result, Variant::Int(open_));
    if (MemberIs(name, u"Size")) {
      if (!open_ && kind == InvokeKind::kPropertyGet) return kStreamNotAllowed;
      return PropertyGet(kind, arguments, result, Count(buffer_.size()));
    }
    if (MemberIs(name, u"EOS")) {
      if (!open_ && kind == InvokeKind::kPropertyGet) return kStreamNotAllowed;
      return PropertyGet(kind, arguments, result, Variant::Bool(position_ >= buffer_.size()));
    }
    if (MemberIs(name, u"Open")) return Open(kind);
    if (MemberIs(name, u"Close")) return Close(kind);
    if (MemberIs(name, u"Write")) return Write(kind, arguments);
    if (MemberIs(name, u"Read")) return Read(kind, arguments, result);
    if (MemberIs(name, u"ReadText")) return ReadText(kind, arguments, result);
    return kUnknownName;
  }

 private:
  static Variant Count(std::size_t value) {
    if (value <= 0x7FFFFFFF) return Variant::Int(static_cast<std::int32_t>(value));
    return Variant::Real(static_cast<double>(value));
  }

  // Optional "how many" argument of Read / ReadText: only "everything".
  static HResult ReadAllArgument(std::span<const Variant> arguments) {
    if (arguments.size() > 1) return kBadParamCount;
    if (arguments.empty() || arguments[0].IsEmpty()) return kOk;
    std::int32_t count = 0;
    const HResult hr = ArgumentAsInt(arguments, 0, count);
    if (Failed(hr)) return hr;
    return count == kAdReadAll ? kOk : kInvalidArg;
  }

  HResult TypeProperty(InvokeKind kind, std::span<const Variant> arguments, Variant& result) {
    if (kind == InvokeKind::kPropertyGet)
      return PropertyGet(kind, arguments, result, Variant::Int(type_));
    if (kind != InvokeKind::kPropertyPut) return kMemberNotFound;
    if (arguments.size() != 1) return kBadParamCount;
    std::int32_t type = 0;
    const HResult hr = ArgumentAsInt(arguments, 0, type);
    if (Failed(hr)) return hr;
    if (type != kAdTypeBinary && type != kAdTypeText) return kInvalidArg;
    if (open_ && position_ != 0) return kStreamNotAllowed;
    type_ = type;
    return kOk;
  }

  HResult ModeProperty(InvokeKind kind, std::span<const Variant> arguments, Variant& result) {
    if (kind == InvokeKind::kPropertyGet)
      return PropertyGet(kind, arguments, result, Variant::Int(mode_));
    if (kind != InvokeKind::kPropertyPut) return kMemberNotFound;
    if (arguments.size() != 1) return kBadParamCount;
    std::int32_t mode = 0;
    const HResult hr = ArgumentAsInt(arguments, 0, mode);
    if (Failed(hr)) return hr;
    if (open_) return kStreamNotAllowed;
    mode_ = mode;
    return kOk;
  }

  HResult CharsetProperty(InvokeKind kind, std::span<const Variant> arguments, Variant& result) {
    if (kind == InvokeKind::kPropertyGet) {
      return PropertyGet(kind, arguments, result, Variant::String(charset_));
    }
    if (kind != InvokeKind::kPropertyPut) return kMemberNotFound;
    if (arguments.size() != 1) return kBadParamCount;
    return ArgumentAsString(arguments, 0, charset_);
  }

  HResult PositionProperty(InvokeKind kind, std::span<const Variant> arguments, Variant& result) {
    if (!open_ && (kind == InvokeKind::kPropertyGet || kind == InvokeKind::kPropertyPut)) {
      return kStreamNotAllowed;
    }
    if (kind == InvokeKind::kPropertyGet)
      return PropertyGet(kind, arguments, result, Count(position_));
    if (kind != InvokeKind::kPropertyPut) return kMemberNotFound;
    if (arguments.size() != 1) return kBadParamCount;
    double position = 0.0;
    const HResult hr = ArgumentAsDouble(arguments, 0, position);
    if (Failed(hr)) return hr;
    if (!(position >= 0.0 && position <= static_cast<double>(buffer_.size()))) return kInvalidArg;
    position_ = static_cast<std::size_t>(position);
    return kOk;
  }

  HResult Open(InvokeKind kind) {
    if (kind != InvokeKind::kMethod) return kMemberNotFound;
    if (open_) return kStreamNotAllowed;
    open_ = true;
    buffer_.clear();
    position_ = 0;
    return kOk;
  }

  HResult Close(InvokeKind kind) {
    if (kind != InvokeKind::kMethod) return kMemberNotFound;
    if (!open_) return kStreamNotAllowed;
    open_ = false;
    buffer_.clear();
    buffer_.shrink_to_fit();
    position_ = 0;
    return kOk;
  }

  HResult Write(InvokeKind kind, std::span<const Variant> arguments) {
    if (kind != InvokeKind::kMethod) return kMemberNotFound;
    if (arguments.size() != 1) return kBadParamCount;
    if (!open_ || type_ != kAdTypeBinary) return kStreamNotAllowed;
    if (arguments[0].type() != (VT_ARRAY | VT_UI1)) return kTypeMismatch;
    // Writes at Position, over what is there and beyond the end.
    const std::vector<std::uint8_t>& bytes = arguments[0].bytes();
    const std::size_t end = position_ + bytes.size();
    if (end > buffer_.size()) buffer_.resize(end);
    std::copy(bytes.begin(), bytes.end(), buffer_.begin() + static_cast<std::ptrdiff_t>(position_));
    position_ = end;
    return kOk;
  }

  HResult Read(InvokeKind kind, std::span<const Variant> arguments, Variant& result) {
    if (kind != InvokeKind::kMethod) return kMemberNotFound;
    const HResult hr = ReadAllArgument(arguments);
    if (Failed(hr)) return hr;
    if (!open_ || type_ != kAdTypeBinary) return kStreamNotAllowed;
    result = Variant::ByteArray(std::vector<std::uint8_t>(
        buffer_.begin() + static_cast<std::ptrdiff_t>(position_), buffer_.end()));
    position_ = buffer_.size();
    return kOk;
  }

  HResult ReadText(InvokeKind kind, std::span<const Variant> arguments, Variant& result) {
    if (kind != InvokeKind::kMethod) return kMemberNotFound;
    const HResult hr = ReadAllArgument(arguments);
    if (Failed(hr)) return hr;
    if (!open_ || type_ != kAdTypeText) return kStreamNotAllowed;
    const std::span<const std::uint8_t> rest(buffer_.data() + position_,
                                             buffer_.size() - position_);
    result = Variant::String(DecodeBytes(ResolveCharset(charset_), rest, position_ == 0));
    position_ = buffer_.size();
    return kOk;
  }

  bool open_ = false;
  std::int32_t type_ = kAdTypeText;
  std::int32_t mode_ = 0;
  std::u16string charset_ = u"Unicode";
  std::vector<std::uint8_t> buffer_;
  std::size_t position_ = 0;
};

}  // namespace

HResult CreateStreamObject(std::uint32_t /*context*/, Dispatch** object) {
  if (object == nullptr) return kPointer;
  *object = new StreamObject;
  return kOk;
}

}  // namespace platform::com
