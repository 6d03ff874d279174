/*
 * Test-side controls of the hostwin stand-in: what a test needs to play the
 * parts that on Windows belong to the machine (the registry's contents) or
 * to another program (a vendor service's windows, see windows.h).
 */
#ifndef HOSTWIN_TEST_H
#define HOSTWIN_TEST_H

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Registry.  A null value name is the key's default value.  Setting a value
 * creates its key; a key may also exist with no values at all. */
HOSTWIN_API void hostwin_reg_create_key(HKEY root, const char *subKey);
HOSTWIN_API void hostwin_reg_set_value(HKEY root, const char *subKey,
                                       const char *name, DWORD type,
                                       const void *data, DWORD size);
HOSTWIN_API void hostwin_reg_delete_key(HKEY root, const char *subKey);
HOSTWIN_API void hostwin_reg_clear(void);
/* Keys opened by RegOpenKeyExA and not yet closed. */
HOSTWIN_API int hostwin_reg_open_handles(void);
/* The access masks of the RegOpenKeyExA calls since the last
 * hostwin_reg_clear, oldest first: fills up to `max` and returns how many
 * calls there were. */
HOSTWIN_API int hostwin_reg_open_masks(REGSAM *masks, int max);
/* The path handed to the most recent LoadLibraryA, and the number of calls. */
HOSTWIN_API const char *hostwin_last_load_path(void);
HOSTWIN_API int hostwin_load_calls(void);
/* When set, LoadLibraryA loads only names for which it returns nonzero and
 * fails the others as a missing file would; null loads everything.  Lets a
 * fuzzer hand any registry contents to a loader without loading whatever
 * library a random name happens to find. */
typedef int (*hostwin_load_filter)(const char *name);
HOSTWIN_API void hostwin_set_load_filter(hostwin_load_filter filter);
/* Windows that exist now, of every thread. */
HOSTWIN_API int hostwin_live_windows(void);
/* The stamp of the message that the calling thread's window procedure is
 * handling now (zero outside one): messages of every kind, posted or sent,
 * from any thread, sort by it in the order they were posted or sent. */
HOSTWIN_API hostwin_stamp hostwin_message_stamp(void);
/* Called by PostMessageW before the message is queued, on the posting
 * thread, outside every stand-in lock; null removes it.  Lets a test hold a
 * poster at the point where another thread could overtake it. */
typedef void (*hostwin_message_hook)(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
typedef hostwin_message_hook hostwin_post_hook;
HOSTWIN_API void hostwin_set_post_hook(hostwin_post_hook hook);
/* Called by DefWindowProcW first, on the calling thread, outside every
 * stand-in lock; null removes it.  Lets a test hold a thread inside a
 * window procedure that hands a message on to DefWindowProcW. */
HOSTWIN_API void hostwin_set_defproc_hook(hostwin_message_hook hook);
/* Called by the dispatch of every message, posted or sent, after the window
 * procedure has been looked up and before it is called, on the calling
 * thread, outside every stand-in lock; null removes it.  Lets a test hold a
 * thread at the point where it is committed to a procedure it has not yet
 * entered. */
HOSTWIN_API void hostwin_set_dispatch_hook(hostwin_message_hook hook);
/* What RtlDllShutdownInProgress answers: nonzero plays a process that is
 * exiting, whose libraries are detached with every other thread gone. */
HOSTWIN_API void hostwin_set_shutdown(int exiting);

#ifdef __cplusplus
}
#endif

#endif
