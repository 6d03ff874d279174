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
/* The path handed to the most recent LoadLibraryA, and the number of calls. */
HOSTWIN_API const char *hostwin_last_load_path(void);
HOSTWIN_API int hostwin_load_calls(void);
/* Windows that exist now, of every thread. */
HOSTWIN_API int hostwin_live_windows(void);

#ifdef __cplusplus
}
#endif

#endif
