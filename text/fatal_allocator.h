#pragma once
// Allocator for every Text, Bytes and TextArray: running out of memory stops
// the program with a message naming the bytes requested. Nothing in the text
// core has any other way to fail, so callers never see an allocation error.

#include <cstddef>
#include <limits>
#include <new>

// Prints the message for a failed request of `bytes` and ends the program.
[[noreturn]] void StopOnMemoryExhaustion(std::size_t bytes) noexcept;

template <typename T>
struct FatalAllocator {
  using value_type = T;

  FatalAllocator() noexcept = default;
  template <typename U>
  FatalAllocator(const FatalAllocator<U>&) noexcept {}

  T* allocate(std::size_t n) {
    if (n > std::numeric_limits<std::size_t>::max() / sizeof(T)) {
      StopOnMemoryExhaustion(std::numeric_limits<std::size_t>::max());
    }
    void* p = ::operator new(n * sizeof(T), std::nothrow);
    if (p == nullptr) StopOnMemoryExhaustion(n * sizeof(T));
    return static_cast<T*>(p);
  }
  void deallocate(T* p, std::size_t) noexcept { ::operator delete(p); }

  template <typename U>
  bool operator==(const FatalAllocator<U>&) const noexcept {
    return true;
  }
};
