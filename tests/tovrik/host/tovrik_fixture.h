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

#include "bitmap_line.h"
#include "controller.h"
#include "fake_service.h"
#include "jni_methods.h"
#include "talk_link.h"

// The library's exports, called directly as the JVM would.
#define M(name) TOVRIK_EXPORT(name)
extern "C" {
TOVRIK_METHODS(VELQUOR_DECLARE_TOVRIK)
}

using Lines = std::vector<std::string>;

const std::string kAllOff =
    bitmapLine("00 00 00 00 00 00 00 00 00 00 00 00 00 00 00");
const std::string kAllOn =
    bitmapLine("FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF");
const std::string kWasd =
    bitmapLine("00 00 00 00 00 00 02 60 00 02 00 00 00 00 01");
// The movement keys after a flash or a potion: the ten positions no key
// names keep the light that every-key-on gave them.
const std::string kWasdAfterAllOn =
    bitmapLine("00 00 00 00 01 00 02 61 80 02 00 08 70 80 83");

void resetController();
// Each event as the line the Windows stand-in logs for it.
Lines lines(const std::vector<ServiceEvent> &all);
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
  // Waits for `n` messages, all of them key bitmaps as the link sends
  // them, and returns their lines.
  Lines expectBitmaps(size_t n);

  std::unique_ptr<FakeService> service;
  talk::Ids ids = talk::registerIds();
};

#endif
