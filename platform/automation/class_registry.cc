#include "platform/automation/class_registry.h"

#include <mutex>
#include <new>
#include <utility>
#include <vector>

#include "platform/automation/apartment.h"
#include "platform/automation/regexp_object.h"
#include "platform/automation/stream_object.h"

namespace platform::com {
namespace {

std::u16string LowerAscii(std::u16string_view text) {
  std::u16string lower(text);
  for (char16_t& c : lower) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + (u'a' - u'A'));
  }
  return lower;
}

struct ClassEntry {
  std::u16string progId;  // lower case
  // The factory in force is the last; earlier ones are what overrides hide.
  std::vector<std::pair<std::uint64_t, ClassFactory>> factories;

  const ClassFactory* Current() const {
    return factories.empty() ? nullptr : &factories.back().second;
  }
};

class Registry {
 public:
  Registry() {
    Add(u"VBScript.RegExp", CreateRegExpObject);
    Add(u"Adodb.Stream", CreateStreamObject);
  }

  std::mutex mutex;
  std::vector<ClassEntry> entries;  // ClassId = index + 1
  std::uint64_t nextToken = 1;

  ClassEntry& EntryFor(std::u16string_view progId) {
    std::u16string lower = LowerAscii(progId);
    for (ClassEntry& entry : entries) {
      if (entry.progId == lower) return entry;
    }
    entries.push_back(ClassEntry{std::move(lower), {}});
    return entries.back();
  }

  std::uint64_t Add(std::u16string_view progId, ClassFactory factory) {
    const std::uint64_t token = nextToken++;
    EntryFor(progId).factories.emplace_back(token, std::move(factory));
    return token;
  }
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

}  // namespace

HResult ClassIdFromProgId(std::u16string_view progId, ClassId& classId) {
  try {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    const std::u16string lower = LowerAscii(progId);
    for (std::size_t i = 0; i < registry.entries.size(); ++i) {
      const ClassFactory* factory = registry.entries[i].Current();
      if (registry.entries[i].progId == lower && factory != nullptr && *factory) {
        classId = static_cast<ClassId>(i + 1);
        return kOk;
      }
    }
    return kInvalidClassString;
  } catch (const std::bad_alloc&) {
    return kOutOfMemory;
  }
}

HResult CoCreateInstance(ClassId classId, std::uint32_t context, Dispatch** object) {
  if (object == nullptr) return kPointer;
  *object = nullptr;
  if (ApartmentInitCount() == 0) return kNotInitialized;
  ClassFactory factory;
  try {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    if (classId == 0 || classId > registry.entries.size()) return kClassNotRegistered;
    const ClassFactory* current = registry.entries[classId - 1].Current();
    if (current == nullptr || !*current) return kClassNotRegistered;
    factory = *current;
  } catch (const std::bad_alloc&) {
    return kOutOfMemory;
  }
  // Called outside the lock: a factory may create objects itself.
  HResult hr;
  try {
    hr = factory(context, object);
  } catch (const std::bad_alloc&) {
    hr = kOutOfMemory;
  } catch (...) {
    hr = kFail;
  }
  if (Failed(hr) && *object != nullptr) {
    (*object)->Release();
    *object = nullptr;
  }
  if (Succeeded(hr) && *object == nullptr) hr = kFail;
  return hr;
}

HResult OleRun(Dispatch* object) { return object != nullptr ? kOk : kInvalidArg; }

ScopedClassOverride::ScopedClassOverride(std::u16string_view progId, ClassFactory factory)
    : progId_(progId) {
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  token_ = registry.Add(progId_, std::move(factory));
}

ScopedClassOverride::~ScopedClassOverride() {
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  auto& factories = registry.EntryFor(progId_).factories;
  for (auto it = factories.begin(); it != factories.end(); ++it) {
    if (it->first == token_) {
      factories.erase(it);
      break;
    }
  }
}

ClassFactory FailingFactory(HResult result) {
  return [result](std::uint32_t, Dispatch**) { return result; };
}

}  // namespace platform::com
