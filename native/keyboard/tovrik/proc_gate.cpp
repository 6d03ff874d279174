// The gate is two pages: machine code, then its data (the call count and
// the target).  The code page is made executable and read-only once
// written; the data page stays writable.  Nothing is ever freed.  Windows
// reserves address space in whole units of its allocation granularity, so
// each load of the library leaves 64 KB of address space reserved, of which
// the two pages (8 KB) are memory.
#include "proc_gate.h"

#include <cstring>

namespace tovrik {

namespace {

constexpr size_t kPage = 4096;

// The data page: the count of calls inside, then the target.
struct GateData {
  intptr_t calls;
  WNDPROC target;
};

GateData *dataOf(WNDPROC gate) {
  return reinterpret_cast<GateData *>(reinterpret_cast<uint8_t *>(gate) +
                                      kPage);
}

void put32(uint8_t *at, uint32_t v) { std::memcpy(at, &v, sizeof v); }

#if defined(__x86_64__) || defined(_M_X64)

// lock inc [calls]; sub rsp, F; call [target]; lock dec [calls];
// add rsp, F; ret.  Addresses are relative to the next instruction; the
// arguments stay in their registers.  F keeps the stack aligned and, on
// Windows, gives the target its 32 bytes of home space.
#ifdef _WIN32
constexpr uint8_t kFrame = 40;
#else
constexpr uint8_t kFrame = 8;
#endif
constexpr size_t kCodeSize = 31;

void writeCode(uint8_t *code) {
  const uint8_t bytes[kCodeSize] = {
      0xF0, 0x48, 0xFF, 0x05,   0, 0, 0, 0, // lock inc qword [rip+calls]
      0x48, 0x83, 0xEC, kFrame,             // sub rsp, kFrame
      0xFF, 0x15, 0,    0,      0, 0,       // call qword [rip+target]
      0xF0, 0x48, 0xFF, 0x0D,   0, 0, 0, 0, // lock dec qword [rip+calls]
      0x48, 0x83, 0xC4, kFrame,             // add rsp, kFrame
      0xC3};                                // ret
  std::memcpy(code, bytes, sizeof bytes);
  const auto calls = static_cast<uint32_t>(kPage + offsetof(GateData, calls));
  const auto target = static_cast<uint32_t>(kPage + offsetof(GateData, target));
  put32(code + 4, calls - 8);
  put32(code + 14, target - 18);
  put32(code + 22, calls - 26);
}

#ifdef _WIN32
// Unwind data, so that a stack walk through the gate finds its caller: a
// prologue of 12 bytes whose one operation allocates kFrame bytes.
void describeUnwind(uint8_t *code) {
  const size_t infoAt = 32, tableAt = 48;
  const uint8_t info[8] = {0x01, 12, 1, 0, 12, 0x02 | ((kFrame / 8 - 1) << 4),
                           0,    0};
  std::memcpy(code + infoAt, info, sizeof info);
  auto *table = reinterpret_cast<RUNTIME_FUNCTION *>(code + tableAt);
  table->BeginAddress = 0;
  table->EndAddress = kCodeSize;
  table->UnwindData = infoAt;
  RtlAddFunctionTable(table, 1, reinterpret_cast<DWORD64>(code));
}
#else
void describeUnwind(uint8_t *) {}
#endif

#elif defined(__i386__) || defined(_M_IX86)

// lock inc [calls]; push the four arguments again; call [target] (which
// pops them); lock dec [calls]; ret 16.
void writeCode(uint8_t *code) {
  const uint8_t bytes[] = {
      0xF0, 0xFF, 0x05, 0,    0, 0, 0, // lock inc dword [calls]
      0xFF, 0x74, 0x24, 0x10,          // push dword [esp+16], lParam
      0xFF, 0x74, 0x24, 0x10,          // wParam
      0xFF, 0x74, 0x24, 0x10,          // message
      0xFF, 0x74, 0x24, 0x10,          // window
      0xFF, 0x15, 0,    0,    0, 0,    // call dword [target]
      0xF0, 0xFF, 0x0D, 0,    0, 0, 0, // lock dec dword [calls]
      0xC2, 0x10, 0x00};               // ret 16
  std::memcpy(code, bytes, sizeof bytes);
  GateData *data = dataOf(reinterpret_cast<WNDPROC>(code));
  const auto calls =
      static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&data->calls));
  const auto target =
      static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&data->target));
  put32(code + 3, calls);
  put32(code + 25, target);
  put32(code + 32, calls);
}

void describeUnwind(uint8_t *) {}

#else
#define TOVRIK_NO_PROC_GATE
#endif

} // namespace

#ifdef TOVRIK_NO_PROC_GATE

WNDPROC openProcGate(WNDPROC) { return nullptr; }
void turnProcGate(WNDPROC, WNDPROC) {}
intptr_t callsInProcGate(WNDPROC) { return 0; }

#else

WNDPROC openProcGate(WNDPROC target) {
  auto *code = static_cast<uint8_t *>(VirtualAlloc(
      nullptr, 2 * kPage, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  if (!code)
    return nullptr;
  auto gate = reinterpret_cast<WNDPROC>(code);
  dataOf(gate)->target = target;
  writeCode(code);
  describeUnwind(code);
  DWORD old = 0;
  if (!VirtualProtect(code, kPage, PAGE_EXECUTE_READ, &old))
    return nullptr; // left as it is: a page that can never run
  FlushInstructionCache(GetCurrentProcess(), code, kPage);
  return gate;
}

// An exchange, so that the new target is seen by every call that enters
// after a caller of callsInProcGate has read the count.
void turnProcGate(WNDPROC gate, WNDPROC target) {
  (void)__atomic_exchange_n(&dataOf(gate)->target, target, __ATOMIC_SEQ_CST);
}

intptr_t callsInProcGate(WNDPROC gate) {
  return __atomic_load_n(&dataOf(gate)->calls, __ATOMIC_SEQ_CST);
}

#endif

} // namespace tovrik
