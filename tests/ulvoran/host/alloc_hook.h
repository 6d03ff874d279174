// The binding's only allocation is the bitmap copy, a nothrow new[].  The
// host tests replace the global new and delete to count it, to make it
// fail, and to see that nothing else allocates.
#ifndef ULVO_ALLOC_HOOK_H
#define ULVO_ALLOC_HOOK_H

#include <atomic>
#include <cstddef>

extern std::atomic<int> nothrowArrays;    // nothrow new[] calls
extern std::atomic<int> plainNews;        // every other new and new[]
extern std::atomic<size_t> lastArraySize; // of the last nothrow new[]
extern std::atomic<bool> failArrays;      // nothrow new[] yields null
#endif
