// Shared by the host tests that drive the loaded library: a fresh service
// for each test, the controller back at its load values, and helpers that
// read the recorded messages.
#ifndef TOVRIK_FIXTURE_H
#define TOVRIK_FIXTURE_H

#include <gtest/gtest.h>
#include <jni.h>

#include <memory>
#include <string>
#include <vector>

#include "controller.h"
#include "fake_service.h"
#include "jni_methods.h"
#include "talk_link.h"

// The library's exports, called directly as the JVM would.
#define M(name) TOVRIK_EXPORT(name)
extern "C" {
TOVRIK_METHODS(VELQUOR_DECLARE_TOVRIK)
}

void resetController();
std::string hex(const std::vector<uint8_t> &bytes, size_t n = 15);
// The events of one message, in the order sent; key bitmaps; colour posts.
std::vector<ServiceEvent> ofMessage(const std::vector<ServiceEvent> &all,
                                    UINT msg);
std::vector<ServiceEvent> bitmaps(const std::vector<ServiceEvent> &all);
std::vector<ServiceEvent> lights(const std::vector<ServiceEvent> &all);
tovrik::KeyFrame frameOf(std::initializer_list<int> lit, uint8_t on = 1);

class ServiceTest : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;
  // Waits until the service has `n` messages and returns them.
  std::vector<ServiceEvent> expectEvents(size_t n);

  std::unique_ptr<FakeService> service;
  talk::Ids ids = talk::registerIds();
};

#endif
