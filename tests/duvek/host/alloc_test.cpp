// Drawing allocates nothing: every operator new of the process is counted
// while the bridge draws.
#include "duvek_host.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long> allocations{0};
}

void *operator new(std::size_t size) {
  allocations++;
  if (void *p = std::malloc(size ? size : 1))
    return p;
  throw std::bad_alloc();
}
void operator delete(void *p) noexcept { std::free(p); }
void operator delete(void *p, std::size_t) noexcept { std::free(p); }

TEST(Allocation, DrawingAllocatesNothing) {
  ASSERT_EQ(dv::init0(), 0);
  dv::updateHealthAndArmor(0.5f, 0.7f);
  dv::setIlluminatedKeys(2, 0x00123456);
  long before = allocations.load();
  for (int i = 0; i < 1000; i++) {
    ASSERT_EQ(dv::update(), 0);
    dv::displayPotionColor(i);
  }
  dv::setIlluminatedKeys(1, 0x00FF00FF);
  ASSERT_EQ(dv::update(), 0);
  EXPECT_EQ(allocations.load() - before, 0);
  dv::unInit0();
}
