// An in-memory registry: keys by root and case-insensitive path, each with
// typed values.  There are no views; KEY_WOW64_* flags are ignored, but
// every open's access mask is kept for the tests.
#include <windows.h>

#include <strings.h>

#include <cstring>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "hostwin_test.h"

namespace {

struct Value {
  DWORD type;
  std::vector<BYTE> data;
};

struct Key {
  std::map<std::string, Value> values; // "" is the default value
};

struct NoCase {
  bool operator()(const std::string &a, const std::string &b) const {
    return strcasecmp(a.c_str(), b.c_str()) < 0;
  }
};

std::mutex lock;
std::map<std::string, Key, NoCase> keys;
std::set<uintptr_t> open_handles;
uintptr_t next_handle = 0x1000;

std::string key_path(HKEY root, const char *sub) {
  return std::to_string(reinterpret_cast<uintptr_t>(root)) + "\\" +
         (sub ? sub : "");
}

std::map<uintptr_t, std::string> handle_paths;
std::vector<REGSAM> open_masks;

} // namespace

extern "C" {

void hostwin_reg_create_key(HKEY root, const char *subKey) {
  std::lock_guard<std::mutex> g(lock);
  keys[key_path(root, subKey)];
}

void hostwin_reg_set_value(HKEY root, const char *subKey, const char *name,
                           DWORD type, const void *data, DWORD size) {
  std::lock_guard<std::mutex> g(lock);
  auto *bytes = static_cast<const BYTE *>(data);
  keys[key_path(root, subKey)].values[name ? name : ""] =
      Value{type, std::vector<BYTE>(bytes, bytes + size)};
}

void hostwin_reg_delete_key(HKEY root, const char *subKey) {
  std::lock_guard<std::mutex> g(lock);
  keys.erase(key_path(root, subKey));
}

void hostwin_reg_clear(void) {
  std::lock_guard<std::mutex> g(lock);
  keys.clear();
  open_masks.clear();
}

int hostwin_reg_open_handles(void) {
  std::lock_guard<std::mutex> g(lock);
  return static_cast<int>(open_handles.size());
}

int hostwin_reg_open_masks(REGSAM *masks, int max) {
  std::lock_guard<std::mutex> g(lock);
  int n = static_cast<int>(open_masks.size());
  for (int i = 0; i < n && i < max; i++)
    masks[i] = open_masks[i];
  return n;
}

LSTATUS WINAPI RegOpenKeyExA(HKEY root, LPCSTR subKey, DWORD, REGSAM sam,
                             HKEY *result) {
  std::lock_guard<std::mutex> g(lock);
  open_masks.push_back(sam);
  std::string path = key_path(root, subKey);
  if (!keys.count(path))
    return ERROR_FILE_NOT_FOUND;
  uintptr_t h = next_handle++;
  open_handles.insert(h);
  handle_paths[h] = path;
  *result = reinterpret_cast<HKEY>(h);
  return ERROR_SUCCESS;
}

// As on Windows: the data is copied as stored, no terminator is added, and a
// buffer too small gives ERROR_MORE_DATA with the needed size.
LSTATUS WINAPI RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD, LPDWORD type,
                                LPBYTE data, LPDWORD size) {
  std::lock_guard<std::mutex> g(lock);
  auto h = handle_paths.find(reinterpret_cast<uintptr_t>(key));
  if (h == handle_paths.end())
    return ERROR_INVALID_HANDLE;
  auto k = keys.find(h->second);
  if (k == keys.end())
    return ERROR_FILE_NOT_FOUND;
  auto v = k->second.values.find(name ? name : "");
  if (v == k->second.values.end())
    return ERROR_FILE_NOT_FOUND;
  if (type)
    *type = v->second.type;
  DWORD need = static_cast<DWORD>(v->second.data.size());
  if (!size)
    return data ? 998L /* ERROR_NOACCESS */ : ERROR_SUCCESS;
  if (data && *size < need) {
    *size = need;
    return ERROR_MORE_DATA;
  }
  if (data && need)
    memcpy(data, v->second.data.data(), need);
  *size = need;
  return ERROR_SUCCESS;
}

LSTATUS WINAPI RegCloseKey(HKEY key) {
  std::lock_guard<std::mutex> g(lock);
  auto h = reinterpret_cast<uintptr_t>(key);
  if (!open_handles.erase(h))
    return ERROR_INVALID_HANDLE;
  handle_paths.erase(h);
  return ERROR_SUCCESS;
}

} // extern "C"
