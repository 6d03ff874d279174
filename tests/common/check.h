// A tiny test harness for the Windows-side test programs run under Wine,
// where GoogleTest is not available.  Each program prints one line per case
// and a closing "N passed, N failed".
#ifndef VELQUOR_CHECK_H
#define VELQUOR_CHECK_H

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace check {

struct Case {
  const char *name;
  void (*fn)();
  Case *next;
};

inline Case *&cases() {
  static Case *head = nullptr;
  return head;
}

inline int &failures() {
  static int n = 0;
  return n;
}

struct Register {
  Case c;
  Register(const char *name, void (*fn)()) : c{name, fn, nullptr} {
    Case **p = &cases();
    while (*p)
      p = &(*p)->next;
    *p = &c;
  }
};

// Under emulated 32-bit Wine time is not the program's own and many
// threads in one process are not reliable: timing checks and the cases
// named *_stress are left out there.
inline bool emulated() {
  static const bool on = std::getenv("VELQUOR_WINE_EMULATED") != nullptr;
  return on;
}

inline bool isStress(const char *name) {
  size_t n = std::strlen(name);
  return n > 7 && std::strcmp(name + n - 7, "_stress") == 0;
}

inline void fail(const char *file, int line, const char *what) {
  std::printf("  %s:%d: %s\n", file, line, what);
  std::fflush(stdout);
  failures()++;
}

// Runs every case, or only those whose names are given on the command line.
inline int run(int argc, char **argv) {
  int passed = 0, failed = 0, skipped = 0;
  for (Case *c = cases(); c; c = c->next) {
    bool wanted = argc < 2;
    for (int i = 1; i < argc; i++)
      wanted = wanted || std::strcmp(argv[i], c->name) == 0;
    if (!wanted)
      continue;
    if (emulated() && isStress(c->name)) {
      std::printf("[SKIP] %s (emulated)\n", c->name);
      skipped++;
      continue;
    }
    int before = failures();
    c->fn();
    bool ok = failures() == before;
    std::printf("%s %s\n", ok ? "[ OK ]" : "[FAIL]", c->name);
    std::fflush(stdout);
    (ok ? passed : failed)++;
  }
  if (skipped)
    std::printf("%d passed, %d failed, %d skipped\n", passed, failed, skipped);
  else
    std::printf("%d passed, %d failed\n", passed, failed);
  return failed ? 1 : 0;
}

} // namespace check

#define TEST_CASE(name)                                                        \
  static void name();                                                          \
  static check::Register name##_reg(#name, name);                              \
  static void name()

#define CHECK(cond)                                                            \
  do {                                                                         \
    if (!(cond))                                                               \
      check::fail(__FILE__, __LINE__, #cond);                                  \
  } while (0)

#define CHECK_EQ(a, b)                                                         \
  do {                                                                         \
    auto va_ = (a);                                                            \
    auto vb_ = (b);                                                            \
    if (!(va_ == vb_)) {                                                       \
      char buf_[256];                                                          \
      std::snprintf(buf_, sizeof buf_, "%s == %s (%lld vs %lld)", #a, #b,      \
                    (long long)va_, (long long)vb_);                           \
      check::fail(__FILE__, __LINE__, buf_);                                   \
    }                                                                          \
  } while (0)

// A check the rest of the case depends on: on failure the case ends.
#define REQUIRE(cond)                                                          \
  do {                                                                         \
    if (!(cond)) {                                                             \
      check::fail(__FILE__, __LINE__, #cond);                                  \
      return;                                                                  \
    }                                                                          \
  } while (0)

// A check of elapsed time: left out under emulation.
#define CHECK_TIME(cond)                                                       \
  do {                                                                         \
    if (!check::emulated())                                                    \
      CHECK(cond);                                                             \
  } while (0)

#define CHECK_MAIN                                                             \
  int main(int argc, char **argv) { return check::run(argc, argv); }

#endif
