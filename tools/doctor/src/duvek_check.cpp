// Duvek loads the effect library by bare name, so the normal search order
// decides which file a game gets: the folder of java.exe first, then the
// system folders, then the folders on PATH.  The 64-bit build tries
// "DvGlowSDK64.dll" through the whole order before "DvGlowSDK.dll".
// A file of the wrong bitness is passed over by the search (or stops it, on
// older Windows versions); it is a problem when nothing else is found.
#include "doctor.h"

#include <windows.h>

#include <cstdlib>

namespace doctor {
namespace {

const char *const kEntryPoints[] = {
    "Init",      "CreateEffect", "CreateKeyboardEffect",
    "SetEffect", "DeleteEffect", "QueryDevice",
    "UnInit"};
constexpr size_t kEntryCount = sizeof kEntryPoints / sizeof *kEntryPoints;

struct Folder {
  std::string path, why;
};

// Adds a folder not searched before: system32 is on PATH too.
void addFolder(std::vector<Folder> &folders, const std::string &path,
               const char *why) {
  for (const Folder &f : folders)
    if (lstrcmpiA(f.path.c_str(), path.c_str()) == 0)
      return;
  folders.push_back({path, why});
}

// The folders a game searches, in order.  The game's current folder comes
// between the system folders and PATH; it is unknown here and left out.
std::vector<Folder> searchOrder(const Options &options) {
  std::vector<Folder> folders;
  if (!options.javaDir.empty())
    addFolder(folders, options.javaDir, "beside java.exe");
  // A 32-bit game on 64-bit Windows gets SysWOW64 for "system32"; naming
  // it shows the player the folder that is really searched.
  char dir[MAX_PATH];
  BOOL wow64 = FALSE;
  UINT n = IsWow64Process(GetCurrentProcess(), &wow64) && wow64
               ? GetSystemWow64DirectoryA(dir, MAX_PATH)
               : GetSystemDirectoryA(dir, MAX_PATH);
  if (n > 0 && n < MAX_PATH)
    addFolder(folders, dir, "system folder");
  n = GetWindowsDirectoryA(dir, MAX_PATH);
  if (n > 0 && n < MAX_PATH) {
    addFolder(folders, std::string(dir) + "\\System", "16-bit system folder");
    addFolder(folders, dir, "Windows folder");
  }
  const char *path = std::getenv("PATH");
  std::string rest = path ? path : "";
  for (size_t at = 0; at <= rest.size();) {
    size_t end = rest.find(';', at);
    if (end == std::string::npos)
      end = rest.size();
    if (end > at)
      addFolder(folders, rest.substr(at, end - at), "on PATH");
    at = end + 1;
  }
  return folders;
}

std::string inFolder(const std::string &folder, const char *name) {
  bool slash =
      !folder.empty() && (folder.back() == '\\' || folder.back() == '/');
  return folder + (slash ? "" : "\\") + name;
}

std::string libraryName(int bits) {
  return bits == 64 ? "DvGlowSDK64.dll" : "DvGlowSDK.dll";
}

} // namespace

Keyboard checkDuvek(const Options &options) {
  Keyboard k;
  k.name = "Duvek";
  std::vector<const char *> names;
  if (options.bits == 64)
    names.push_back("DvGlowSDK64.dll");
  names.push_back("DvGlowSDK.dll");
  std::vector<Folder> folders = searchOrder(options);
  std::string searched;
  for (const Folder &f : folders)
    searched += (searched.empty() ? "" : "; ") + f.path + " (" + f.why + ")";
  k.fact("searched", searched);
  if (options.javaDir.empty())
    k.fact("note", "the game's own folder is searched first: give --java "
                   "PATH\\java.exe to check it too");

  std::string chosen;
  PeFacts chosenPe;
  bool anyFound = false;
  std::vector<Finding> passedOver;
  for (const char *name : names) {
    for (const Folder &f : folders) {
      std::string path = inFolder(f.path, name);
      PeFacts pe = readPe(path, kEntryPoints, kEntryCount);
      if (!pe.exists)
        continue;
      anyFound = true;
      k.fact(path, describe(pe, kEntryCount));
      if (!chosen.empty())
        continue;
      if (!pe.error.empty()) {
        passedOver.push_back({kUnreadable, path + " " + pe.error,
                              "reinstall the keyboard's software"});
      } else if (pe.bits != options.bits) {
        passedOver.push_back(
            {kWrongBitness, cannotLoad(path, pe, options.bits),
             "put the keyboard software's " + std::to_string(options.bits) +
                 "-bit " + libraryName(options.bits) +
                 " beside java.exe, and move this one out of the way"});
      } else {
        chosen = path;
        chosenPe = pe;
      }
    }
  }
  if (!anyFound)
    k.finding(kMissing,
              "no " + joined({names.begin(), names.end()}) +
                  " in any folder a game searches",
              "install the keyboard's software, or copy its " +
                  libraryName(options.bits) +
                  " beside the game's java.exe (or javaw.exe)");
  if (chosen.empty()) {
    k.findings.insert(k.findings.end(), passedOver.begin(), passedOver.end());
    return k;
  }
  k.fact("loads", chosen);
  if (!chosenPe.missing.empty())
    k.finding(kMissingEntryPoint,
              chosen + " lacks " + joined(chosenPe.missing) +
                  ": it is not the effect library the keyboard needs",
              "remove it and reinstall the keyboard's software");
  return k;
}

} // namespace doctor
