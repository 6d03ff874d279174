// Duvek freed while its flash thread runs: the thread keeps the library's
// code mapped until it ends, then lets it go.  This program does not link
// Duvek; it loads it by path as the Java host would.
#include "dvglow_recorder.h"

#include <windows.h>

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

typedef int64_t (*LongMethod)(void *, void *);
typedef void (*VoidMethod)(void *, void *);

const char *const Prefix =
    "Java_eu_velquor_mod_manager_keyboard_DuvekController_";

template <typename Fn> Fn method(HMODULE m, const char *name) {
  std::string full = std::string(Prefix) + name;
  FARPROC found = GetProcAddress(m, full.c_str());
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)(void)>(found));
}

bool stillMapped() {
  void *h = dlopen(DUVEK_LIBRARY_PATH, RTLD_NOW | RTLD_NOLOAD);
  if (h)
    dlclose(h);
  return h != nullptr;
}

TEST(Unload, FlashOutlivesTheLibraryHandle) {
  HMODULE duvek = LoadLibraryA(DUVEK_LIBRARY_PATH);
  ASSERT_NE(duvek, nullptr);
  auto init0 = method<LongMethod>(duvek, "init0");
  auto onDamage = method<VoidMethod>(duvek, "onDamage");
  ASSERT_TRUE(init0 && onDamage);
  ASSERT_EQ(init0(nullptr, nullptr), 0);
  onDamage(nullptr, nullptr);
  FreeLibrary(duvek);
  EXPECT_TRUE(stillMapped()) << "the flash holds the library";
  for (int i = 0; i < 300 && stillMapped(); i++)
    Sleep(10);
  EXPECT_FALSE(stillMapped()) << "the flash lets it go when it ends";
  int effects = 0;
  for (const DvCall &c : dvrec_calls()) {
    EXPECT_FALSE(c.late);
    effects += c.entry == "CreateKeyboardEffect";
  }
  EXPECT_EQ(effects, 4) << "the whole flash ran";
  // Freeing Duvek does not stop the effect library.
  EXPECT_TRUE(dvrec_loaded());
}

} // namespace
