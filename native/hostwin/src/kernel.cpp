// Threads, timing, locks and dynamic loading on top of pthreads and dlopen.
#include <windows.h>

#include <dlfcn.h>
#include <errno.h>
#include <pthread.h>
#include <setjmp.h>
#include <sys/mman.h>
#include <time.h>

#include <atomic>
#include <cstring>
#include <cwchar>
#include <mutex>
#include <string>

#include "handles.h"
#include "hostwin_test.h"

namespace {

// A thread handle.  The handle and the thread each hold a reference, so
// CloseHandle may come before or after the thread ends.
struct Thread : HandleObject {
  Thread() : HandleObject(HandleKind::thread) {}
  pthread_t tid{};
  LPTHREAD_START_ROUTINE start{};
  LPVOID param{};
  std::mutex lock;
  pthread_cond_t done_cond = PTHREAD_COND_INITIALIZER;
  bool done = false;
  std::atomic<int> refs{2};
  jmp_buf exit_point;
};

void release(Thread *t) {
  if (t->refs.fetch_sub(1) == 1) {
    pthread_cond_destroy(&t->done_cond);
    delete t;
  }
}

thread_local Thread *current_thread = nullptr;
thread_local DWORD last_error = 0;

void finish_thread(Thread *t) {
  {
    std::lock_guard<std::mutex> g(t->lock);
    t->done = true;
  }
  pthread_cond_broadcast(&t->done_cond);
  release(t);
}

void *thread_main(void *arg) {
  auto *t = static_cast<Thread *>(arg);
  current_thread = t;
  // FreeLibraryAndExitThread comes back here.  Like ExitThread it must not
  // unwind: the frames above may belong to the library it just freed, and
  // the unwinder would read their tables from unmapped memory.
  if (setjmp(t->exit_point) == 0)
    t->start(t->param);
  endThreadMessaging();
  finish_thread(t);
  return nullptr;
}

std::mutex load_lock;
// Plays the loader lock: loads and unloads (with the static constructors and
// destructors they run) happen one at a time, and each is ordered after the
// last, as on Windows.
std::recursive_mutex loader_lock;
std::string last_path;
int load_calls = 0;
std::atomic<hostwin_load_filter> load_filter{nullptr};
std::atomic<bool> shutting_down{false};

int protection(DWORD protect) {
  return protect == PAGE_EXECUTE_READ ? PROT_READ | PROT_EXEC
                                      : PROT_READ | PROT_WRITE;
}

} // namespace

extern "C" {

HANDLE WINAPI CreateThread(SECURITY_ATTRIBUTES *, size_t,
                           LPTHREAD_START_ROUTINE start, LPVOID param, DWORD,
                           LPDWORD id) {
  auto *t = new Thread;
  t->start = start;
  t->param = param;
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setdetachstate(&attr, PTHREAD_CREATE_DETACHED);
  int rc = pthread_create(&t->tid, &attr, thread_main, t);
  pthread_attr_destroy(&attr);
  if (rc != 0) {
    delete t;
    last_error = 8; // ERROR_NOT_ENOUGH_MEMORY
    return nullptr;
  }
  if (id)
    *id = static_cast<DWORD>(reinterpret_cast<uintptr_t>(t));
  return t;
}

BOOL WINAPI CloseHandle(HANDLE h) {
  if (!h) {
    last_error = ERROR_INVALID_HANDLE;
    return FALSE;
  }
  if (kindOf(h) == HandleKind::event)
    closeEvent(h);
  else
    release(static_cast<Thread *>(h));
  return TRUE;
}

DWORD WINAPI WaitForSingleObject(HANDLE h, DWORD ms) {
  if (!h)
    return WAIT_FAILED;
  if (kindOf(h) == HandleKind::event)
    return MsgWaitForMultipleObjectsEx(1, &h, ms, 0, 0);
  auto *t = static_cast<Thread *>(h);
  std::unique_lock<std::mutex> g(t->lock);
  timespec deadline{};
  clock_gettime(CLOCK_REALTIME, &deadline);
  deadline.tv_sec += ms / 1000;
  deadline.tv_nsec += static_cast<long>(ms % 1000) * 1000000L;
  if (deadline.tv_nsec >= 1000000000L) {
    deadline.tv_sec++;
    deadline.tv_nsec -= 1000000000L;
  }
  while (!t->done) {
    pthread_mutex_t *m = g.mutex()->native_handle();
    int rc = ms == INFINITE
                 ? pthread_cond_wait(&t->done_cond, m)
                 : pthread_cond_timedwait(&t->done_cond, m, &deadline);
    if (rc == ETIMEDOUT)
      return WAIT_TIMEOUT;
  }
  return WAIT_OBJECT_0;
}

void WINAPI Sleep(DWORD ms) {
  timespec ts{static_cast<time_t>(ms / 1000),
              static_cast<long>(ms % 1000) * 1000000L};
  while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
  }
}

DWORD WINAPI GetCurrentThreadId(void) {
  static std::atomic<DWORD> next{1};
  thread_local DWORD id = next.fetch_add(1);
  return id;
}

DWORD WINAPI GetTickCount(void) {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<DWORD>(now.tv_sec * 1000 + now.tv_nsec / 1000000);
}

BOOL WINAPI QueryPerformanceCounter(LARGE_INTEGER *count) {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  count->QuadPart = static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
  return TRUE;
}

BOOL WINAPI QueryPerformanceFrequency(LARGE_INTEGER *frequency) {
  frequency->QuadPart = 1000000000;
  return TRUE;
}

DWORD WINAPI GetLastError(void) { return last_error; }
void WINAPI SetLastError(DWORD code) { last_error = code; }

void WINAPI InitializeCriticalSection(CRITICAL_SECTION *cs) {
  auto *m = new pthread_mutex_t;
  pthread_mutexattr_t attr;
  pthread_mutexattr_init(&attr);
  pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE);
  pthread_mutex_init(m, &attr);
  pthread_mutexattr_destroy(&attr);
  cs->impl = m;
}

void WINAPI DeleteCriticalSection(CRITICAL_SECTION *cs) {
  auto *m = static_cast<pthread_mutex_t *>(cs->impl);
  pthread_mutex_destroy(m);
  delete m;
  cs->impl = nullptr;
}

void WINAPI EnterCriticalSection(CRITICAL_SECTION *cs) {
  pthread_mutex_lock(static_cast<pthread_mutex_t *>(cs->impl));
}

BOOL WINAPI TryEnterCriticalSection(CRITICAL_SECTION *cs) {
  return pthread_mutex_trylock(static_cast<pthread_mutex_t *>(cs->impl)) == 0;
}

void WINAPI LeaveCriticalSection(CRITICAL_SECTION *cs) {
  pthread_mutex_unlock(static_cast<pthread_mutex_t *>(cs->impl));
}

void WINAPI AcquireSRWLockShared(SRWLOCK *lock) {
  pthread_rwlock_rdlock(&lock->impl);
}

void WINAPI ReleaseSRWLockShared(SRWLOCK *lock) {
  pthread_rwlock_unlock(&lock->impl);
}

void WINAPI AcquireSRWLockExclusive(SRWLOCK *lock) {
  pthread_rwlock_wrlock(&lock->impl);
}

BOOL WINAPI TryAcquireSRWLockExclusive(SRWLOCK *lock) {
  return pthread_rwlock_trywrlock(&lock->impl) == 0;
}

void WINAPI ReleaseSRWLockExclusive(SRWLOCK *lock) {
  pthread_rwlock_unlock(&lock->impl);
}

HMODULE WINAPI LoadLibraryA(LPCSTR name) {
  {
    std::lock_guard<std::mutex> g(load_lock);
    last_path = name ? name : "";
    load_calls++;
  }
  void *h = nullptr;
  hostwin_load_filter filter = load_filter.load();
  if (name && (!filter || filter(name))) {
    std::lock_guard<std::recursive_mutex> loader(loader_lock);
    h = dlopen(name, RTLD_NOW | RTLD_LOCAL);
  }
  if (!h)
    last_error = 126; // ERROR_MOD_NOT_FOUND
  return static_cast<HMODULE>(h);
}

FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name) {
  if (!module || !name)
    return nullptr;
  return reinterpret_cast<FARPROC>(dlsym(module, name));
}

BOOL WINAPI FreeLibrary(HMODULE module) {
  if (!module)
    return FALSE;
  std::lock_guard<std::recursive_mutex> loader(loader_lock);
  return dlclose(module) == 0;
}

// Only the FROM_ADDRESS form is supported: it is how a library pins itself.
BOOL WINAPI GetModuleHandleExW(DWORD flags, LPCWSTR name, HMODULE *module) {
  *module = nullptr;
  Dl_info info{};
  if (!(flags & GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS) ||
      !dladdr(reinterpret_cast<const void *>(name), &info) || !info.dli_fname)
    return FALSE;
  void *h = dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD);
  if (!h)
    return FALSE;
  if (flags & GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT)
    dlclose(h);
  *module = static_cast<HMODULE>(h);
  return TRUE;
}

// Runs from this stand-in, never from the library being released, so the
// library's code may be unmapped by the dlclose.
void WINAPI FreeLibraryAndExitThread(HMODULE module, DWORD) {
  FreeLibrary(module);
  Thread *t = current_thread;
  if (t)
    longjmp(t->exit_point, 1);
  pthread_exit(nullptr);
}

// Only "ntdll.dll" is known; it is this stand-in, so GetProcAddress finds
// RtlDllShutdownInProgress in it.
HMODULE WINAPI GetModuleHandleW(LPCWSTR name) {
  Dl_info info{};
  if (!name || std::wcscmp(name, L"ntdll.dll") != 0 ||
      !dladdr(reinterpret_cast<const void *>(&RtlDllShutdownInProgress), &info))
    return nullptr;
  void *h = dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD);
  if (h)
    dlclose(h); // a module handle from here holds no reference
  return static_cast<HMODULE>(h);
}

BOOLEAN WINAPI RtlDllShutdownInProgress(void) {
  return shutting_down.load() ? 1 : 0;
}

LPVOID WINAPI VirtualAlloc(LPVOID, SIZE_T size, DWORD, DWORD protect) {
  void *p = mmap(nullptr, size, protection(protect),
                 MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  return p == MAP_FAILED ? nullptr : p;
}

BOOL WINAPI VirtualProtect(LPVOID address, SIZE_T size, DWORD protect,
                           PDWORD old) {
  if (old)
    *old = PAGE_READWRITE;
  return mprotect(address, size, protection(protect)) == 0;
}

BOOL WINAPI FlushInstructionCache(HANDLE, LPCVOID, SIZE_T) { return TRUE; }

HANDLE WINAPI GetCurrentProcess(void) {
  return reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1));
}

void hostwin_set_shutdown(int exiting) { shutting_down.store(exiting != 0); }

const char *hostwin_last_load_path(void) {
  std::lock_guard<std::mutex> g(load_lock);
  static thread_local std::string copy;
  copy = last_path;
  return copy.c_str();
}

void hostwin_set_load_filter(hostwin_load_filter filter) {
  load_filter.store(filter);
}

int hostwin_load_calls(void) {
  std::lock_guard<std::mutex> g(load_lock);
  return load_calls;
}

} // extern "C"
