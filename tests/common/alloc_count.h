// Counts the calling thread's operator new calls while counting is on, for
// the tests that check a path allocates nothing.  Linking alloc_count.cpp
// replaces the global new and delete with malloc-based ones; that works
// beside the sanitizers, whose malloc still sees every block.
#ifndef VELQUOR_ALLOC_COUNT_H
#define VELQUOR_ALLOC_COUNT_H

// Starts counting on this thread from zero.
void startCountingAllocations();
// Stops counting and returns the number of allocations counted.
long stopCountingAllocations();

#endif
