#include "duvek_host.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace dv {

void waitForFlashes() {
  for (int i = 0; i < 500 && duvek::runningFlashThreads() > 0; i++)
    Sleep(10);
  ASSERT_EQ(duvek::runningFlashThreads(), 0) << "a flash never ended";
}

void expectNothingDrawn() {
  EXPECT_EQ(update(), -1);
  displayPotionColor(0x00FF0000);
  onDamage();
  waitForFlashes();
  EXPECT_FALSE(duvek::controllerState.flashing.load());
  EXPECT_TRUE(effects(dvrec_calls()).empty());
}

void resetBridge() {
  waitForFlashes();
  unInit0();
  setIlluminatedKeys(1, 0x00FFFFFF);
  setShowHealth(true);
  setShowArmor(true);
  updateHealthAndArmor(0.0f, 0.0f);
  dvrec_set_effect_result(0);
  dvrec_clear();
}

std::vector<DvCall> callsNamed(const std::vector<DvCall> &calls,
                               const char *entry) {
  std::vector<DvCall> out;
  for (const DvCall &c : calls)
    if (c.entry == entry)
      out.push_back(c);
  return out;
}

std::vector<DvCall> effects(const std::vector<DvCall> &calls) {
  return callsNamed(calls, "CreateKeyboardEffect");
}

bool anyLate(const std::vector<DvCall> &calls) {
  for (const DvCall &c : calls)
    if (c.late)
      return true;
  return false;
}

duvek::KeyGridEffect decodeKeyGrid(const DvCall &call) {
  duvek::KeyGridEffect e{};
  EXPECT_EQ(call.type, 8);
  EXPECT_EQ(call.block.size(), sizeof e);
  if (call.block.size() == sizeof e)
    std::memcpy(&e, call.block.data(), sizeof e);
  return e;
}

std::vector<std::pair<int, uint32_t>> setKeys(const duvek::KeyGridEffect &e) {
  std::vector<std::pair<int, uint32_t>> out;
  for (int i = 0; i < duvek::kGridSize; i++)
    if (e.keys.color[i] != 0)
      out.emplace_back(i, e.keys.color[i]);
  return out;
}

} // namespace dv
