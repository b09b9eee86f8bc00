#include "text/fatal_allocator.h"

#include <cstdio>
#include <cstdlib>

void StopOnMemoryExhaustion(std::size_t bytes) noexcept {
  std::fprintf(stderr, "Dalvex: out of memory (requested %zu bytes)\n", bytes);
  std::fflush(stderr);
  std::abort();
}
