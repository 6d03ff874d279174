// How the loader finds a library named without a full path: each name in
// turn through every folder of the search order.  A file of the wrong
// bitness is passed over by the search (or stops it, on older Windows
// versions); it is a problem when nothing else is found.
#include "doctor.h"

#include <windows.h>

namespace doctor {
namespace {

std::wstring folder(UINT(WINAPI *get)(LPWSTR, UINT)) {
  wchar_t dir[MAX_PATH];
  UINT n = get(dir, MAX_PATH);
  return n > 0 && n < MAX_PATH ? std::wstring(dir, n) : std::wstring();
}

std::wstring environment(const wchar_t *name) {
  DWORD n = GetEnvironmentVariableW(name, nullptr, 0);
  std::wstring value(n, L'\0');
  n = n ? GetEnvironmentVariableW(name, &value[0], n) : 0;
  value.resize(n < value.size() ? n : 0);
  return value;
}

} // namespace

std::vector<Folder> gameSearchFolders(const Options &options) {
  SystemFolders system;
  BOOL wow64 = FALSE;
  system.wow64 = IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
  system.system = folder(GetSystemDirectoryW);
  if (system.wow64)
    system.sysWow64 = folder(GetSystemWow64DirectoryW);
  system.windows = folder(GetWindowsDirectoryW);
  return searchFolders(options.javaDir, system, environment(L"PATH"));
}

void searchLibrary(Keyboard &k, const std::vector<Folder> &folders,
                   const std::vector<std::wstring> &names, int bits,
                   Search &search) {
  for (const std::wstring &name : names) {
    for (const Folder &f : folders) {
      std::wstring path = inFolder(f.path, name);
      PeFacts pe = readPe(path, search.entryPoints, search.entryCount);
      if (!pe.exists)
        continue;
      search.anyFound = true;
      k.fact(utf8(path), describe(pe, search.entryCount));
      if (!search.chosen.empty())
        continue;
      if (!pe.error.empty()) {
        search.passedOver.push_back(
            {kUnreadable, utf8(path) + " " + pe.error, search.reinstall});
      } else if (pe.bits != bits) {
        search.passedOver.push_back(
            {kWrongBitness, cannotLoad(path, pe, bits), search.wrongBitness});
      } else {
        search.chosen = path;
        search.chosenPe = pe;
      }
    }
  }
}

} // namespace doctor
