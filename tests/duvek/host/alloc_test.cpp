// Drawing allocates nothing: every operator new of the drawing thread is
// counted while the bridge draws.
#include "duvek_host.h"

#include <gtest/gtest.h>

#include "alloc_count.h"

TEST(Allocation, DrawingAllocatesNothing) {
  ASSERT_EQ(dv::init0(), 0);
  dv::updateHealthAndArmor(0.5f, 0.7f);
  dv::setIlluminatedKeys(2, 0x00123456);
  startCountingAllocations();
  for (int i = 0; i < 1000; i++) {
    ASSERT_EQ(dv::update(), 0);
    dv::displayPotionColor(i);
  }
  dv::setIlluminatedKeys(1, 0x00FF00FF);
  ASSERT_EQ(dv::update(), 0);
  EXPECT_EQ(stopCountingAllocations(), 0);
  dv::unInit0();
}
