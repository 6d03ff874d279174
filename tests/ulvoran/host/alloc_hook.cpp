// Replacements of the global new and delete for the host tests.
#include "alloc_hook.h"

#include <cstdlib>
#include <new>

// Counters of alloc_hook.h.
std::atomic<int> nothrowArrays{0};
std::atomic<int> plainNews{0};
std::atomic<size_t> lastArraySize{0};
std::atomic<bool> failArrays{false};

// GCC takes the free() inside these replacements for a mismatch with the
// new they pair with; both sides are the replacements below.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

void *operator new[](size_t size, const std::nothrow_t &) noexcept {
  nothrowArrays++;
  lastArraySize = size;
  return failArrays ? nullptr : std::malloc(size ? size : 1);
}
void *operator new[](size_t size) {
  plainNews++;
  void *p = std::malloc(size ? size : 1);
  if (!p)
    throw std::bad_alloc();
  return p;
}
void *operator new(size_t size) {
  plainNews++;
  void *p = std::malloc(size ? size : 1);
  if (!p)
    throw std::bad_alloc();
  return p;
}
void operator delete(void *p) noexcept { std::free(p); }
void operator delete(void *p, size_t) noexcept { std::free(p); }
void operator delete[](void *p) noexcept { std::free(p); }
void operator delete[](void *p, size_t) noexcept { std::free(p); }
void operator delete[](void *p, const std::nothrow_t &) noexcept {
  std::free(p);
}
