#pragma once
// The objects an Execute returns: the match collection (Count, Item(i)), a
// match (Value, FirstIndex, Length, SubMatches) and its group collection
// (Count, Item(i), the empty variant for a group that took no part). Indexes
// are 0-based. All of them share one read-only record of the search, so a
// collection of many matches costs one allocation, not one per match.

#include <memory>
#include <string>

#include "platform/automation/dispatch.h"
#include "platform/automation/regexp_engine.h"

namespace platform::com {

struct SearchRecord {
  std::u16string subject;
  regexp::MatchList matches;
};

// A new match collection over `record`, holding one reference.
Dispatch* NewMatchCollection(std::shared_ptr<const SearchRecord> record);

}  // namespace platform::com
