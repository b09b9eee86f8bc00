#include "text/text_types.h"

namespace {

// What At gives for an index outside 1..Size(). The writable one is emptied
// on every such access so that nothing written through it is ever read back.
const Text kNoElement;
Text outsideScratch;

}  // namespace

const Text& TextArray::At(int index) const {
  if (index < 1 || index > Size()) return kNoElement;
  return items_[static_cast<std::size_t>(index - 1)];
}

Text& TextArray::At(int index) {
  if (index < 1 || index > Size()) {
    outsideScratch.clear();
    return outsideScratch;
  }
  return items_[static_cast<std::size_t>(index - 1)];
}
