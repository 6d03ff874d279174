// The Tovrik latency measurement: N updates through the library against N
// bare WM_COPYDATA sends of the same 20-byte payload from this process to
// the stand-in service, each timed from the call to the service's receipt
// (its log's time stamp) and to the call's return.
#ifndef PREVIEW_BENCH_H
#define PREVIEW_BENCH_H

#include <windows.h>

namespace preview {

int runBench(HMODULE tovrik, long n);

} // namespace preview

#endif
