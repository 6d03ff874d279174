/*
 * hostwin: a small Linux stand-in for the few Win32 operations the keyboard
 * libraries use, so that the same sources build and run natively for unit
 * tests, sanitizers, fuzzers and a real JVM.  It is never part of a shipped
 * DLL.  Only what the libraries and their tests call is here.
 *
 * Where it differs from Windows:
 * - Everything lives in one process.  "Another process" is another thread
 *   that owns a window; WM_COPYDATA still copies cbData bytes so that the
 *   receiver never sees the sender's buffer.
 * - WCHAR is wchar_t, 4 bytes on Linux; L"" literals work unchanged.
 * - WPARAM, LPARAM and LRESULT are pointer-sized, as on 64-bit Windows.
 * - HWND values are small integers (never 0 or 0xFFFF) and are not reused
 *   while the process lives, so IsWindow on a destroyed window is false.
 * - Only sent messages are handled while a thread waits in SendMessageW, as
 *   on Windows; there is no QS_* filtering, no WM_QUIT special casing beyond
 *   GetMessageW returning 0, no timers and no painting.
 * - Messaging: registered names are process-wide (ids from 0xC000); a window
 *   belongs to the thread that made it and each thread has one queue.
 *   GetMessageW and PeekMessageW ignore their window and range filters; of
 *   PeekMessageW's flags only PM_REMOVE and PM_QS_SENDMESSAGE count.
 *   Creation calls the procedure with WM_NCCREATE and WM_CREATE (lParam 0,
 *   no CREATESTRUCT); destruction with WM_DESTROY and WM_NCDESTROY.  A
 *   window whose parent is neither null nor HWND_MESSAGE is a child and no
 *   broadcast or FindWindowW reaches it.  Classes are process-wide whatever
 *   the instance handle.  Set{Window,Class}LongPtrW know only the window
 *   procedure.  Messages waiting for a window that is destroyed are dropped
 *   (a blocked sender gets 0).  A thread that ends takes its windows with it,
 *   as on Windows, but without calling their procedures.
 * - SendMessageTimeoutW ignores SMTO_ABORTIFHUNG and SMTO_ERRORONEXIT, and a
 *   message it gave up on before the receiver took it is never delivered
 *   (Windows still delivers it later).  MsgWaitForMultipleObjectsEx wakes
 *   only for its handles and for messages sent to the thread, waiting or
 *   not, as with MWMO_INPUTAVAILABLE.
 * - Handles are threads and events only.  VirtualAlloc and VirtualProtect
 *   know read-write and execute-read pages.  GetModuleHandleW knows only
 *   "ntdll.dll", which is this stand-in: RtlDllShutdownInProgress is false
 *   until a test says otherwise (hostwin_test.h).
 * - LoadLibraryA is dlopen (RTLD_NOW | RTLD_LOCAL); a bare name is searched
 *   along LD_LIBRARY_PATH, a name with a slash is taken as a path.
 *   GetProcAddress is dlsym.  DllMain does not exist: static constructors and
 *   destructors of a shared object play DLL_PROCESS_ATTACH and DETACH.
 *   LoadLibraryA and FreeLibrary take one recursive lock, as the loader lock
 *   orders loads and unloads on Windows.  FreeLibraryAndExitThread ends a
 *   CreateThread thread by jumping back into the stand-in's own thread
 *   routine, without unwinding the frames of the library it just freed
 *   (C++ destructors in those frames do not run, as with ExitThread).
 * - The registry is an in-memory table that tests fill through
 *   hostwin_test.h.  There are no views: KEY_WOW64_* flags are ignored, but
 *   the access mask of every open is recorded for the tests to check.
 * - CRITICAL_SECTION is a recursive pthread mutex.  SRWLOCK is a pthread
 *   rwlock that prefers writers (on Windows neither side is preferred, but
 *   no exclusive waiter is starved either); it is not recursive.
 * - MSG carries `stamp`, which Windows does not have: when and in which
 *   order the message was posted or sent (see hostwin_test.h).
 */
#ifndef HOSTWIN_WINDOWS_H
#define HOSTWIN_WINDOWS_H

#include <pthread.h>
#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define WINAPI
#define CALLBACK
#define APIENTRY
#define HOSTWIN_API __attribute__((visibility("default")))

typedef int BOOL;
typedef unsigned char BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef unsigned int UINT;
typedef int32_t LONG;
typedef LONG LSTATUS;
typedef char CHAR;
typedef wchar_t WCHAR;
typedef void *LPVOID;
typedef const void *LPCVOID;
typedef const char *LPCSTR;
typedef char *LPSTR;
typedef const WCHAR *LPCWSTR;
typedef BYTE *LPBYTE;
typedef DWORD *LPDWORD;
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;
typedef uintptr_t ULONG_PTR;
typedef intptr_t LONG_PTR;
typedef ULONG_PTR DWORD_PTR;
typedef DWORD_PTR *PDWORD_PTR;
typedef size_t SIZE_T;
typedef DWORD *PDWORD;
typedef unsigned char BOOLEAN;
typedef uint16_t ATOM;
typedef DWORD ACCESS_MASK;
typedef ACCESS_MASK REGSAM;

typedef void *HANDLE;
typedef struct HWND__ *HWND;
typedef struct HINSTANCE__ *HINSTANCE;
typedef HINSTANCE HMODULE;
typedef struct HKEY__ *HKEY;
typedef struct HICON__ *HICON;
typedef HICON HCURSOR;
typedef struct HBRUSH__ *HBRUSH;
typedef struct HMENU__ *HMENU;
typedef intptr_t (*FARPROC)(void);

#define TRUE 1
#define FALSE 0
#define INFINITE 0xFFFFFFFFu
#define WAIT_OBJECT_0 0u
#define WAIT_TIMEOUT 258u
#define WAIT_FAILED 0xFFFFFFFFu

/* ---- windows and messages (user32) ---- */

typedef LRESULT(CALLBACK *WNDPROC)(HWND, UINT, WPARAM, LPARAM);

typedef struct tagWNDCLASSEXW {
  UINT cbSize;
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  LPCWSTR lpszMenuName;
  LPCWSTR lpszClassName;
  HICON hIconSm;
} WNDCLASSEXW;

typedef struct tagCOPYDATASTRUCT {
  ULONG_PTR dwData;
  DWORD cbData;
  LPVOID lpData;
} COPYDATASTRUCT, *PCOPYDATASTRUCT;

typedef struct tagPOINT {
  LONG x;
  LONG y;
} POINT;

/* When a message was posted or sent: a process-wide sequence number and
 * the monotonic clock in nanoseconds.  Stand-in only. */
typedef struct hostwin_stamp {
  uint64_t seq;
  int64_t ns;
} hostwin_stamp;

typedef struct tagMSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
  hostwin_stamp stamp;
} MSG;

#define WM_NULL 0x0000
#define WM_DESTROY 0x0002
#define WM_CLOSE 0x0010
#define WM_QUIT 0x0012
#define WM_COPYDATA 0x004A
#define WM_USER 0x0400

#define CS_VREDRAW 0x0001
#define CS_HREDRAW 0x0002
#define WS_DISABLED 0x08000000L
#define WS_OVERLAPPEDWINDOW 0x00CF0000L
#define CW_USEDEFAULT ((int)0x80000000)
#define HWND_BROADCAST ((HWND)0xFFFF)
#define HWND_MESSAGE ((HWND)(intptr_t)-3)
#define PM_NOREMOVE 0x0000
#define PM_REMOVE 0x0001
#define PM_QS_SENDMESSAGE 0x00400000
#define GWLP_WNDPROC (-4)
#define SMTO_NORMAL 0x0000
#define SMTO_BLOCK 0x0001
#define SMTO_ABORTIFHUNG 0x0002
#define SMTO_ERRORONEXIT 0x0020
#define QS_SENDMESSAGE 0x0040
#define MWMO_INPUTAVAILABLE 0x0004
#define ERROR_INVALID_WINDOW_HANDLE 1400L
#define ERROR_TIMEOUT 1460L
#define GCLP_WNDPROC (-24)

HOSTWIN_API UINT WINAPI RegisterWindowMessageA(LPCSTR name);
HOSTWIN_API ATOM WINAPI RegisterClassExW(const WNDCLASSEXW *wc);
HOSTWIN_API BOOL WINAPI UnregisterClassW(LPCWSTR name, HINSTANCE inst);
HOSTWIN_API HWND WINAPI CreateWindowExW(DWORD exStyle, LPCWSTR className,
                                        LPCWSTR windowName, DWORD style, int x,
                                        int y, int width, int height,
                                        HWND parent, HMENU menu, HINSTANCE inst,
                                        LPVOID param);
HOSTWIN_API BOOL WINAPI DestroyWindow(HWND wnd);
HOSTWIN_API BOOL WINAPI IsWindow(HWND wnd);
HOSTWIN_API BOOL WINAPI GetClassInfoExW(HINSTANCE inst, LPCWSTR name,
                                        WNDCLASSEXW *wc);
HOSTWIN_API LONG_PTR WINAPI SetWindowLongPtrW(HWND wnd, int index,
                                              LONG_PTR value);
HOSTWIN_API ULONG_PTR WINAPI SetClassLongPtrW(HWND wnd, int index,
                                              LONG_PTR value);
HOSTWIN_API HWND WINAPI FindWindowExW(HWND parent, HWND after,
                                      LPCWSTR className, LPCWSTR windowName);
HOSTWIN_API LRESULT WINAPI DefWindowProcW(HWND wnd, UINT msg, WPARAM wp,
                                          LPARAM lp);
HOSTWIN_API HWND WINAPI FindWindowW(LPCWSTR className, LPCWSTR windowName);
HOSTWIN_API BOOL WINAPI PostMessageW(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
HOSTWIN_API LRESULT WINAPI SendMessageW(HWND wnd, UINT msg, WPARAM wp,
                                        LPARAM lp);
HOSTWIN_API LRESULT WINAPI SendMessageTimeoutW(HWND wnd, UINT msg, WPARAM wp,
                                               LPARAM lp, UINT flags, UINT ms,
                                               PDWORD_PTR result);
HOSTWIN_API DWORD WINAPI MsgWaitForMultipleObjectsEx(DWORD count,
                                                     const HANDLE *handles,
                                                     DWORD ms, DWORD wakeMask,
                                                     DWORD flags);
HOSTWIN_API BOOL WINAPI GetMessageW(MSG *msg, HWND wnd, UINT first, UINT last);
HOSTWIN_API BOOL WINAPI PeekMessageW(MSG *msg, HWND wnd, UINT first, UINT last,
                                     UINT remove);
HOSTWIN_API BOOL WINAPI TranslateMessage(const MSG *msg);
HOSTWIN_API LRESULT WINAPI DispatchMessageW(const MSG *msg);
HOSTWIN_API void WINAPI PostQuitMessage(int code);
HOSTWIN_API DWORD WINAPI GetWindowThreadProcessId(HWND wnd, LPDWORD pid);

/* ---- dynamic loading (kernel32) ---- */

#define GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT 0x00000002
#define GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS 0x00000004

HOSTWIN_API HMODULE WINAPI LoadLibraryA(LPCSTR name);
HOSTWIN_API FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name);
HOSTWIN_API BOOL WINAPI FreeLibrary(HMODULE module);
HOSTWIN_API BOOL WINAPI GetModuleHandleExW(DWORD flags, LPCWSTR name,
                                           HMODULE *module);
HOSTWIN_API void WINAPI FreeLibraryAndExitThread(HMODULE module, DWORD code);
HOSTWIN_API HMODULE WINAPI GetModuleHandleW(LPCWSTR name);
HOSTWIN_API BOOLEAN WINAPI RtlDllShutdownInProgress(void);

/* ---- memory (kernel32) ---- */

#define MEM_COMMIT 0x00001000
#define MEM_RESERVE 0x00002000
#define PAGE_READWRITE 0x04
#define PAGE_EXECUTE_READ 0x20

HOSTWIN_API LPVOID WINAPI VirtualAlloc(LPVOID address, SIZE_T size, DWORD type,
                                       DWORD protect);
HOSTWIN_API BOOL WINAPI VirtualProtect(LPVOID address, SIZE_T size,
                                       DWORD protect, PDWORD old);
HOSTWIN_API BOOL WINAPI FlushInstructionCache(HANDLE process, LPCVOID address,
                                              SIZE_T size);
HOSTWIN_API HANDLE WINAPI GetCurrentProcess(void);

/* ---- threads, timing and locks (kernel32) ---- */

typedef DWORD(WINAPI *LPTHREAD_START_ROUTINE)(LPVOID);
typedef struct _SECURITY_ATTRIBUTES SECURITY_ATTRIBUTES;

typedef union _LARGE_INTEGER {
  struct {
    DWORD LowPart;
    LONG HighPart;
  } u;
  int64_t QuadPart;
} LARGE_INTEGER;

typedef struct _CRITICAL_SECTION {
  void *impl;
} CRITICAL_SECTION;

HOSTWIN_API HANDLE WINAPI CreateThread(SECURITY_ATTRIBUTES *sa, size_t stack,
                                       LPTHREAD_START_ROUTINE start,
                                       LPVOID param, DWORD flags, LPDWORD id);
HOSTWIN_API BOOL WINAPI CloseHandle(HANDLE h);
HOSTWIN_API HANDLE WINAPI CreateEventW(SECURITY_ATTRIBUTES *sa, BOOL manual,
                                       BOOL initial, LPCWSTR name);
HOSTWIN_API BOOL WINAPI SetEvent(HANDLE event);
HOSTWIN_API DWORD WINAPI GetTickCount(void);
/* The monotonic clock in nanoseconds: the frequency is 1e9. */
HOSTWIN_API BOOL WINAPI QueryPerformanceCounter(LARGE_INTEGER *count);
HOSTWIN_API BOOL WINAPI QueryPerformanceFrequency(LARGE_INTEGER *frequency);
HOSTWIN_API DWORD WINAPI WaitForSingleObject(HANDLE h, DWORD ms);
HOSTWIN_API void WINAPI Sleep(DWORD ms);
HOSTWIN_API DWORD WINAPI GetCurrentThreadId(void);
HOSTWIN_API DWORD WINAPI GetLastError(void);
HOSTWIN_API void WINAPI SetLastError(DWORD code);
HOSTWIN_API void WINAPI InitializeCriticalSection(CRITICAL_SECTION *cs);
HOSTWIN_API void WINAPI DeleteCriticalSection(CRITICAL_SECTION *cs);
HOSTWIN_API void WINAPI EnterCriticalSection(CRITICAL_SECTION *cs);
HOSTWIN_API BOOL WINAPI TryEnterCriticalSection(CRITICAL_SECTION *cs);
HOSTWIN_API void WINAPI LeaveCriticalSection(CRITICAL_SECTION *cs);

typedef struct _SRWLOCK {
  pthread_rwlock_t impl;
} SRWLOCK, *PSRWLOCK;
#define SRWLOCK_INIT                                                           \
  { PTHREAD_RWLOCK_WRITER_NONRECURSIVE_INITIALIZER_NP }

HOSTWIN_API void WINAPI AcquireSRWLockShared(SRWLOCK *lock);
HOSTWIN_API void WINAPI ReleaseSRWLockShared(SRWLOCK *lock);
HOSTWIN_API void WINAPI AcquireSRWLockExclusive(SRWLOCK *lock);
HOSTWIN_API BOOL WINAPI TryAcquireSRWLockExclusive(SRWLOCK *lock);
HOSTWIN_API void WINAPI ReleaseSRWLockExclusive(SRWLOCK *lock);

/* ---- registry (advapi32) ---- */

#define HKEY_CLASSES_ROOT ((HKEY)(uintptr_t)0x80000000)
#define HKEY_CURRENT_USER ((HKEY)(uintptr_t)0x80000001)
#define HKEY_LOCAL_MACHINE ((HKEY)(uintptr_t)0x80000002)
#define KEY_QUERY_VALUE 0x0001
#define KEY_READ 0x20019
#define KEY_WOW64_64KEY 0x0100
#define KEY_WOW64_32KEY 0x0200
#define REG_NONE 0
#define REG_SZ 1
#define REG_EXPAND_SZ 2
#define REG_BINARY 3
#define ERROR_SUCCESS 0L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_MORE_DATA 234L

HOSTWIN_API LSTATUS WINAPI RegOpenKeyExA(HKEY root, LPCSTR subKey,
                                         DWORD options, REGSAM sam,
                                         HKEY *result);
HOSTWIN_API LSTATUS WINAPI RegQueryValueExA(HKEY key, LPCSTR name,
                                            LPDWORD reserved, LPDWORD type,
                                            LPBYTE data, LPDWORD size);
HOSTWIN_API LSTATUS WINAPI RegCloseKey(HKEY key);

#ifdef __cplusplus
}
#endif

#endif
