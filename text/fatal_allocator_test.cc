#include "text/fatal_allocator.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#if defined(__SANITIZE_ADDRESS__)
#define DALVEX_TEST_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define DALVEX_TEST_ASAN 1
#endif
#endif

#if defined(DALVEX_TEST_ASAN)
// AddressSanitizer stops on an impossible allocation by itself; let it
// return null instead, as the plain allocator does, so the program's own
// message is what is tested.
extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1"; }
#endif

namespace {

class FatalAllocatorDeathTest : public testing::Test {
 protected:
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(FatalAllocatorDeathTest, StopNamesTheRequestedBytes) {
  EXPECT_DEATH(StopOnMemoryExhaustion(12345), "out of memory \\(requested 12345 bytes\\)");
}

TEST_F(FatalAllocatorDeathTest, ARequestTooLargeToCountStopsTheProgram) {
  // More elements than size_t bytes can count: no allocation is attempted.
  EXPECT_DEATH(
      FatalAllocator<std::uint64_t>().allocate(std::numeric_limits<std::size_t>::max() / 4),
      "out of memory \\(requested 18446744073709551615 bytes\\)");
}

TEST_F(FatalAllocatorDeathTest, AFailedAllocationStopsTheProgram) {
  constexpr std::size_t kHuge = std::size_t{1} << 62;
  EXPECT_DEATH(FatalAllocator<char>().allocate(kHuge),
               "out of memory \\(requested 4611686018427387904 bytes\\)");
}

TEST(FatalAllocatorTest, AllocatesAndReleases) {
  FatalAllocator<int> allocator;
  int* p = allocator.allocate(16);
  ASSERT_NE(p, nullptr);
  for (int i = 0; i < 16; ++i) p[i] = i;
  EXPECT_EQ(p[15], 15);
  allocator.deallocate(p, 16);
}

}  // namespace
