#include "search_folders.h"

#include <algorithm>

namespace doctor {
namespace {

bool isSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// The form two spellings of one folder share: Windows compares file names
// without case, and "C:\Windows\" is "c:/windows".  Only ASCII letters are
// folded; folders that differ in the case of other letters are rare on a
// PATH, and at worst listed twice.
std::wstring folded(const std::wstring &path) {
  std::wstring out = path;
  for (wchar_t &c : out) {
    if (c == L'/')
      c = L'\\';
    else if (c >= L'a' && c <= L'z')
      c = static_cast<wchar_t>(c - L'a' + L'A');
  }
  while (out.size() > 3 && out.back() == L'\\')
    out.pop_back();
  return out;
}

void add(std::vector<Folder> &folders, const std::wstring &path,
         const char *why) {
  if (path.empty())
    return;
  std::wstring key = folded(path);
  for (const Folder &f : folders)
    if (folded(f.path) == key)
      return;
  folders.push_back({path, why});
}

} // namespace

std::wstring asSeen(const std::wstring &path, const SystemFolders &system) {
  if (!system.wow64 || system.sysWow64.empty())
    return path;
  std::wstring base = folded(system.system);
  std::wstring key = folded(path);
  if (key.compare(0, base.size(), base) != 0 ||
      (key.size() > base.size() && key[base.size()] != L'\\'))
    return path;
  return system.sysWow64 + path.substr(std::min(path.size(), base.size()));
}

std::vector<Folder> searchFolders(const std::wstring &javaDir,
                                  const SystemFolders &system,
                                  const std::wstring &pathVariable) {
  std::vector<Folder> folders;
  add(folders, javaDir, "beside java.exe");
  // A 32-bit game on 64-bit Windows gets SysWOW64 for "system32"; naming
  // it shows the player the folder that is really searched.
  add(folders, asSeen(system.system, system), "system folder");
  if (!system.windows.empty())
    add(folders, inFolder(system.windows, L"System"), "16-bit system folder");
  add(folders, system.windows, "Windows folder");
  for (size_t at = 0; at <= pathVariable.size();) {
    size_t end = pathVariable.find(L';', at);
    if (end == std::wstring::npos)
      end = pathVariable.size();
    std::wstring entry = pathVariable.substr(at, end - at);
    std::wstring seen = asSeen(entry, system);
    add(folders, seen,
        seen == entry
            ? "on PATH"
            : "on PATH as System32, which a 32-bit game reads as SysWOW64");
    at = end + 1;
  }
  return folders;
}

bool isRelative(const std::wstring &path) {
  if (!path.empty() && isSeparator(path[0]))
    return false;
  return !(path.size() >= 3 && path[1] == L':' && isSeparator(path[2]));
}

std::wstring inFolder(const std::wstring &folder, const std::wstring &name) {
  bool slash = !folder.empty() && isSeparator(folder.back());
  return folder + (slash ? L"" : L"\\") + name;
}

} // namespace doctor
