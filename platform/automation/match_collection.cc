#include "platform/automation/match_collection.h"

#include <utility>

namespace platform::com {
namespace {

using Record = std::shared_ptr<const SearchRecord>;

// Reads a 0-based index argument and checks it against `count`.
HResult IndexArgument(std::span<const Variant> arguments, std::size_t count, std::size_t& index) {
  if (arguments.size() != 1) return kBadParamCount;
  std::int32_t value = 0;
  const HResult hr = ArgumentAsInt(arguments, 0, value);
  if (Failed(hr)) return hr;
  if (value < 0 || static_cast<std::size_t>(value) >= count) return kInvalidArg;
  index = static_cast<std::size_t>(value);
  return kOk;
}

bool IsGet(InvokeKind kind) { return kind == InvokeKind::kPropertyGet; }

class SubMatches final : public Dispatch {
 public:
  SubMatches(Record record, std::size_t match) : record_(std::move(record)), match_(match) {}

 protected:
  HResult InvokeMember(std::u16string_view name, InvokeKind kind,
                       std::span<const Variant> arguments, Variant& result) override {
    const int groups = record_->matches.GroupCount();
    if (MemberIs(name, u"Count")) return PropertyGet(kind, arguments, result, Variant::Int(groups));
    if (MemberIs(name, u"Item") || name.empty()) {
      if (!IsGet(kind)) return kMemberNotFound;
      std::size_t index = 0;
      const HResult hr = IndexArgument(arguments, static_cast<std::size_t>(groups), index);
      if (Failed(hr)) return hr;
      const int group = static_cast<int>(index) + 1;
      if (record_->matches.IsSet(match_, group)) {
        const std::size_t start = record_->matches.Start(match_, group);
        result = Variant::String(
            record_->subject.substr(start, record_->matches.End(match_, group) - start));
      }
      return kOk;
    }
    return kUnknownName;
  }

 private:
  Record record_;
  std::size_t match_;
};

class Match final : public Dispatch {
 public:
  Match(Record record, std::size_t match) : record_(std::move(record)), match_(match) {}

 protected:
  HResult InvokeMember(std::u16string_view name, InvokeKind kind,
                       std::span<const Variant> arguments, Variant& result) override {
    const std::size_t start = record_->matches.Start(match_, 0);
    const std::size_t length = record_->matches.End(match_, 0) - start;
    const bool isValue = MemberIs(name, u"Value") || name.empty();
    if (!isValue && !MemberIs(name, u"FirstIndex") && !MemberIs(name, u"Length") &&
        !MemberIs(name, u"SubMatches")) {
      return kUnknownName;
    }
    if (!IsGet(kind)) return kMemberNotFound;
    if (!arguments.empty()) return kBadParamCount;
    if (isValue) {
      result = Variant::String(record_->subject.substr(start, length));
    } else if (MemberIs(name, u"FirstIndex")) {
      result = Variant::Int(static_cast<std::int32_t>(start));
    } else if (MemberIs(name, u"Length")) {
      result = Variant::Int(static_cast<std::int32_t>(length));
    } else {
      result = Variant::AdoptObject(new SubMatches(record_, match_));
    }
    return kOk;
  }

 private:
  Record record_;
  std::size_t match_;
};

class MatchCollection final : public Dispatch {
 public:
  explicit MatchCollection(Record record) : record_(std::move(record)) {}

 protected:
  HResult InvokeMember(std::u16string_view name, InvokeKind kind,
                       std::span<const Variant> arguments, Variant& result) override {
    const std::size_t count = record_->matches.Count();
    if (MemberIs(name, u"Count"))
      return PropertyGet(kind, arguments, result, Variant::Int(static_cast<std::int32_t>(count)));
    if (MemberIs(name, u"Item") || name.empty()) {
      if (!IsGet(kind)) return kMemberNotFound;
      std::size_t index = 0;
      const HResult hr = IndexArgument(arguments, count, index);
      if (Failed(hr)) return hr;
      result = Variant::AdoptObject(new Match(record_, index));
      return kOk;
    }
    return kUnknownName;
  }

 private:
  Record record_;
};

}  // namespace

Dispatch* NewMatchCollection(std::shared_ptr<const SearchRecord> record) {
  return new MatchCollection(std::move(record));
}

}  // namespace platform::com
