#include "alloc_count.h"

#include <cstdlib>
#include <new>

namespace {
thread_local bool counting = false;
thread_local bool failing = false;
thread_local AllocationCount counted = {0, 0, 0};

void *allocate(std::size_t n) {
  if (counting)
    counted.news++;
  if (void *p = std::malloc(n ? n : 1))
    return p;
  throw std::bad_alloc();
}
} // namespace

void startCountingAllocations() {
  counted = AllocationCount{0, 0, 0};
  counting = true;
}

AllocationCount countedAllocations() { return counted; }

long stopCountingAllocations() {
  counting = false;
  return counted.news + counted.nothrowArrays;
}

void failNothrowArrays(bool fail) { failing = fail; }

// GCC takes the free() inside these replacements for a mismatch with the
// new they pair with; both sides are the replacements below.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

void *operator new(std::size_t n) { return allocate(n); }
void *operator new[](std::size_t n) { return allocate(n); }
void *operator new[](std::size_t n, const std::nothrow_t &) noexcept {
  if (counting) {
    counted.nothrowArrays++;
    counted.lastNothrowArraySize = n;
  }
  return failing ? nullptr : std::malloc(n ? n : 1);
}
void operator delete(void *p) noexcept { std::free(p); }
void operator delete(void *p, std::size_t) noexcept { std::free(p); }
void operator delete[](void *p) noexcept { std::free(p); }
void operator delete[](void *p, std::size_t) noexcept { std::free(p); }
void operator delete[](void *p, const std::nothrow_t &) noexcept {
  std::free(p);
}
