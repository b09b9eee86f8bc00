#include "platform/automation/regexp_object.h"

#include <memory>
#include <string>
#include <utility>

#include "platform/automation/match_collection.h"
#include "platform/automation/regexp_engine.h"

namespace platform::com {
namespace {

class RegExpObject final : public Dispatch {
 protected:
  HResult InvokeMember(std::u16string_view name, InvokeKind kind,
                       std::span<const Variant> arguments, Variant& result) override {
    if (MemberIs(name, u"Pattern")) return StringProperty(pattern_, kind, arguments, result);
    if (MemberIs(name, u"IgnoreCase")) return BoolProperty(ignoreCase_, kind, arguments, result);
    if (MemberIs(name, u"Global")) return BoolProperty(global_, kind, arguments, result);
    if (MemberIs(name, u"Multiline")) return BoolProperty(multiline_, kind, arguments, result);
    if (MemberIs(name, u"Execute")) return Execute(kind, arguments, result);
    if (MemberIs(name, u"Test")) return Test(kind, arguments, result);
    if (MemberIs(name, u"Replace")) return Replace(kind, arguments, result);
    return kUnknownName;
  }

 private:
  static HResult BoolProperty(bool& field, InvokeKind kind, std::span<const Variant> arguments,
                              Variant& result) {
    if (kind == InvokeKind::kPropertyGet) {
      return PropertyGet(kind, arguments, result, Variant::Bool(field));
    }
    if (kind != InvokeKind::kPropertyPut) return kMemberNotFound;
    if (arguments.size() != 1) return kBadParamCount;
    return ArgumentAsBool(arguments, 0, field);
  }

  static HResult StringProperty(std::u16string& field, InvokeKind kind,
                                std::span<const Variant> arguments, Variant& result) {
    if (kind == InvokeKind::kPropertyGet) {
      return PropertyGet(kind, arguments, result, Variant::String(field));
    }
    if (kind != InvokeKind::kPropertyPut) return kMemberNotFound;
    if (arguments.size() != 1) return kBadParamCount;
    return ArgumentAsString(arguments, 0, field);
  }

  // The compiled form of the current pattern and options, kept while they
  // stay the same. Null when the pattern does not compile.
  std::shared_ptr<const regexp::CompiledPattern> Compiled() {
    const regexp::Options options{ignoreCase_, multiline_};
    if (!compiled_ || compiledPattern_ != pattern_ || !(compiledOptions_ == options)) {
      compiled_ = regexp::CompiledPattern::Compile(pattern_, options);
      compiledPattern_ = pattern_;
      compiledOptions_ = options;
    }
    return compiled_;
  }

  HResult Execute(InvokeKind kind, std::span<const Variant> arguments, Variant& result) {
    if (kind != InvokeKind::kMethod) return kMemberNotFound;
    if (arguments.size() != 1) return kBadParamCount;
    auto record = std::make_shared<SearchRecord>();
    HResult hr = ArgumentAsString(arguments, 0, record->subject);
    if (Failed(hr)) return hr;
    const auto compiled = Compiled();
    if (!compiled) return kRegExpSyntax;
    if (!compiled->Find(record->subject, global_, record->matches)) return kFail;
    result = Variant::AdoptObject(NewMatchCollection(std::move(record)));
    return kOk;
  }

  HResult Test(InvokeKind kind, std::span<const Variant> arguments, Variant& result) {
    if (kind != InvokeKind::kMethod) return kMemberNotFound;
    if (arguments.size() != 1) return kBadParamCount;
    std::u16string subject;
    HResult hr = ArgumentAsString(arguments, 0, subject);
    if (Failed(hr)) return hr;
    const auto compiled = Compiled();
    if (!compiled) return kRegExpSyntax;
    regexp::MatchList matches;
    if (!compiled->Find(subject, false, matches)) return kFail;
    result = Variant::Bool(matches.Count() > 0);
    return kOk;
  }

  HResult Replace(InvokeKind kind, std::span<const Variant> arguments, Variant& result) {
    if (kind != InvokeKind::kMethod) return kMemberNotFound;
    if (arguments.size() != 2) return kBadParamCount;
    std::u16string subject;
    std::u16string replacement;
    HResult hr = ArgumentAsString(arguments, 0, subject);
    if (Succeeded(hr)) hr = ArgumentAsString(arguments, 1, replacement);
    if (Failed(hr)) return hr;
    const auto compiled = Compiled();
    if (!compiled) return kRegExpSyntax;
    std::u16string replaced;
    if (!compiled->Replace(subject, replacement, global_, replaced)) return kFail;
    result = Variant::String(std::move(replaced));
    return kOk;
  }

  std::u16string pattern_;
  bool ignoreCase_ = false;
  bool global_ = false;
  bool multiline_ = false;

  std::shared_ptr<const regexp::CompiledPattern> compiled_;
  std::u16string compiledPattern_;
  regexp::Options compiledOptions_;
};

}  // namespace

HResult CreateRegExpObject(std::uint32_t /*context*/, Dispatch** object) {
  if (object == nullptr) return kPointer;
  *object = new RegExpObject;
  return kOk;
}

}  // namespace platform::com
