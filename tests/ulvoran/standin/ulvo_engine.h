// Test controls of the stand-in LED engine.  They are exported beside the
// nineteen engine entries so that a test that loads the same engine file
// (and so gets the same module) can steer and read it.
#ifndef ULVO_ENGINE_H
#define ULVO_ENGINE_H

#ifdef _WIN32
#define ULVO_STUB_API extern "C" __declspec(dllexport)
#define ULVO_STUB_CALL __cdecl
#else
#define ULVO_STUB_API extern "C" __attribute__((visibility("default")))
#define ULVO_STUB_CALL
#endif

// Every entry returns this byte (default 1); UlvoLedInit its own one.
ULVO_STUB_API void ULVO_STUB_CALL UlvoStubSetResult(unsigned char result);
ULVO_STUB_API void ULVO_STUB_CALL UlvoStubSetInitResult(unsigned char result);
// How many bitmap bytes UlvoLedSetLightingFromBitmap reads (default from
// ULVO_LED_BITMAP_BYTES, else 144: 6 rows of 24 keys, one byte each).
ULVO_STUB_API void ULVO_STUB_CALL UlvoStubSetBitmapBytes(int bytes);
// Quiet entries record nothing and only return their result.
ULVO_STUB_API void ULVO_STUB_CALL UlvoStubSetQuiet(int quiet);
// Forgets the recorded calls.
ULVO_STUB_API void ULVO_STUB_CALL UlvoStubReset(void);
ULVO_STUB_API int ULVO_STUB_CALL UlvoStubCallCount(void);
// Recorded call i as "<EntryName> <args> -> <result>", as in the log but
// without the time stamp.  Copies at most size-1 bytes; false when i is out
// of range.
ULVO_STUB_API bool ULVO_STUB_CALL UlvoStubCall(int i, char *buf, int size);

typedef void(ULVO_STUB_CALL *UlvoStubSetResultFn)(unsigned char);
typedef void(ULVO_STUB_CALL *UlvoStubSetBitmapBytesFn)(int);
typedef void(ULVO_STUB_CALL *UlvoStubSetQuietFn)(int);
typedef void(ULVO_STUB_CALL *UlvoStubResetFn)(void);
typedef int(ULVO_STUB_CALL *UlvoStubCallCountFn)(void);
typedef bool(ULVO_STUB_CALL *UlvoStubCallFn)(int, char *, int);

#endif
