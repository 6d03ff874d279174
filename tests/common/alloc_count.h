// Counts the calling thread's operator new calls while counting is on, for
// the tests that check a path allocates nothing or only what it should.
// Linking alloc_count.cpp replaces the global new and delete with
// malloc-based ones; that works beside the sanitizers, whose malloc still
// sees every block, so these tests run in every host build.
#ifndef VELQUOR_ALLOC_COUNT_H
#define VELQUOR_ALLOC_COUNT_H

#include <cstddef>

struct AllocationCount {
  long news;          // every new and new[] but the nothrow new[]
  long nothrowArrays; // nothrow new[], the LED binding's bitmap copy
  std::size_t lastNothrowArraySize;
};

// Starts counting on this thread from zero.
void startCountingAllocations();
// What this thread allocated since counting started; counting goes on.
AllocationCount countedAllocations();
// Stops counting and returns the number of allocations of every kind.
long stopCountingAllocations();
// While set, this thread's nothrow new[] yields null, as when memory runs
// out.
void failNothrowArrays(bool fail);

#endif
