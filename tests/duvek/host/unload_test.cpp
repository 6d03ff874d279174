// Duvek freed while its flash thread runs: the thread keeps the library's
// code mapped until it ends, then lets it go.  This program does not link
// Duvek; it loads it by path as the Java host would.
#include "dvglow_recorder.h"
#include "host_library.h"
#include "jni_export.h"

#include <gtest/gtest.h>

namespace {

VELQUOR_JNI_API(DuvekApi, DUVEK_EXPORT_PREFIX, DUVEK_METHODS);

bool stillMapped() { return libraryMapped(DUVEK_LIBRARY_PATH); }

TEST(Unload, FlashOutlivesTheLibraryHandle) {
  DuvekApi duvek;
  ASSERT_TRUE(duvek.load(DUVEK_LIBRARY_PATH));
  ASSERT_EQ(duvek.init0(nullptr, nullptr), 0);
  duvek.onDamage(nullptr, nullptr);
  duvek.unload();
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
