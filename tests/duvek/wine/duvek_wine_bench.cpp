// The 32-bit renderFrame under Wine, into a "CreateKeyboardEffect" that only
// returns, beside a floor in this program that does the least any drawing
// must: zero the 1056-byte block, write the movement and bar entries, and
// make one indirect call to the same entry.
#include "duvek_api.h"
#include "jni_export.h"
#include "win_support.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

typedef int(__cdecl *EffectFn)(int, const void *, void *);

EffectFn volatile entry = nullptr;

__attribute__((noinline)) int floorFrame() {
  static const int movement[] = {47, 68, 69, 70, 117, 20};
  uint32_t block[264];
  std::memset(block, 0, sizeof block);
  for (int i : movement)
    block[132 + i] = 0x01FFFFFFu;
  for (int j = 0; j < 6; j++)
    block[132 + 3 + j] = 0x01007F7Fu;
  for (int j = 0; j < 7; j++)
    block[132 + 24 + j] = 0x0100FFFFu;
  return entry(8, block, nullptr);
}

} // namespace

int main(int argc, char **argv) {
  std::vector<std::string> paths =
      takePathArguments(argc, argv, 2, "Duvek.dll VARIANT-ROOT");
  if (paths.empty())
    return 2;
  DuvekApi duvek;
  SetDllDirectoryA((paths[1] + "\\dvglow_silent").c_str());
  if (!duvek.load(paths[0].c_str()) || duvek.init0(nullptr, nullptr) != 0) {
    std::printf("cannot start Duvek against the silent stand-in\n");
    return 1;
  }
  entry = reinterpret_cast<EffectFn>(
      reinterpret_cast<void (*)(void)>(GetProcAddress(
          GetModuleHandleA(kEffectLibraryName), "CreateKeyboardEffect")));
  duvek.updateHealthAndArmor(nullptr, nullptr, 0.5f, 0.7f);
  const int n = 100000;
  double floorUs = 1e30, renderUs = 1e30;
  for (int round = 0; round < 15; round++) {
    floorUs = std::min(floorUs, perCall(n, floorFrame));
    renderUs =
        std::min(renderUs, perCall(n, [&] { duvek.update(nullptr, nullptr); }));
  }
  std::printf("floor        %8.1f ns\nrenderFrame  %8.1f ns\nratio        "
              "%8.2f\n",
              floorUs * 1e3, renderUs * 1e3, renderUs / floorUs);
  duvek.unInit0(nullptr, nullptr);
  return 0;
}
