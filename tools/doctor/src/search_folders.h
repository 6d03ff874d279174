// The folders a game's loader searches for a library named without a full
// path, in order, each once, as this process's kind of game sees them.
// Plain code over strings that the Win32 side reads: the host tests check
// it, including what Wine cannot show (a 32-bit process on 64-bit Windows).
#ifndef VELQUOR_DOCTOR_SEARCH_FOLDERS_H
#define VELQUOR_DOCTOR_SEARCH_FOLDERS_H

#include <string>
#include <vector>

namespace doctor {

struct Folder {
  std::wstring path;
  std::string why; // "beside java.exe", "on PATH", ...
};

struct SystemFolders {
  std::wstring system;   // GetSystemDirectory: "C:\Windows\system32"
  std::wstring sysWow64; // GetSystemWow64Directory, when there is one
  std::wstring windows;  // GetWindowsDirectory
  bool wow64 = false;    // a 32-bit process on 64-bit Windows
};

// The folder of java.exe (when known), the system folder, the 16-bit system
// folder, the Windows folder, then each folder of PATH.  The game's current
// folder comes between the Windows folder and PATH; it is not known here.
std::vector<Folder> searchFolders(const std::wstring &javaDir,
                                  const SystemFolders &system,
                                  const std::wstring &pathVariable);

// Under WOW64 the file system shows a 32-bit process SysWOW64 wherever a
// path names System32 or a folder in it; elsewhere a path is what it says.
std::wstring asSeen(const std::wstring &path, const SystemFolders &system);

// A path that the loader looks for through the search order rather than
// opening as it is: neither "X:\..." nor "\..." (nor "\\server\...").
bool isRelative(const std::wstring &path);

std::wstring inFolder(const std::wstring &folder, const std::wstring &name);

} // namespace doctor

#endif
