// Windows sink: one line per call appended to the file named by DVGLOW_LOG,
// opened and closed per line so that a reader in another process (or after
// a crash) sees every line.  Time stamps are QueryPerformanceCounter in
// microseconds, which compare across processes.
#include "dvglow_sink.h"

#include <windows.h>

#include "../../common/win_support.h"

#include <cstdio>
#include <cstdlib>

namespace {

long long nowMicros() { return qpcMicros(); }

FILE *openLog() {
  char path[MAX_PATH];
  DWORD n = GetEnvironmentVariableA("DVGLOW_LOG", path, sizeof path);
  if (n == 0 || n >= sizeof path)
    return nullptr;
  return std::fopen(path, "a");
}

void writeHex(FILE *f, const void *data, unsigned size) {
  const unsigned char *p = static_cast<const unsigned char *>(data);
  for (unsigned i = 0; i < size; i++)
    std::fprintf(f, "%02x", p[i]);
}

} // namespace

void dvglow_sink_call(const char *entry, bool late, int rc) {
  FILE *f = openLog();
  if (!f)
    return;
  if (late)
    std::fprintf(f, "%lld LATE %s\n", nowMicros(), entry);
  else
    std::fprintf(f, "%lld %s -> %d\n", nowMicros(), entry, rc);
  std::fclose(f);
}

void dvglow_sink_effect(int type, const void *param, unsigned size,
                        bool thirdNonNull, bool late, int rc) {
  FILE *f = openLog();
  if (!f)
    return;
  if (late) {
    std::fprintf(f, "%lld LATE CreateKeyboardEffect\n", nowMicros());
  } else {
    std::fprintf(f, "%lld CreateKeyboardEffect %d ", nowMicros(), type);
    if (param && size)
      writeHex(f, param, size);
    else if (param)
      std::fputs("unknown", f); // a type whose block size is not known
    else
      std::fputs("null", f);
    std::fprintf(f, " %s -> %d\n", thirdNonNull ? "nonnull" : "null", rc);
  }
  std::fclose(f);
}

int dvglow_sink_effect_result() {
  char value[32];
  DWORD n =
      GetEnvironmentVariableA("DVGLOW_EFFECT_RESULT", value, sizeof value);
  return n > 0 && n < sizeof value ? std::atoi(value) : 0;
}
