// Duvek loads the effect library by bare name, so the normal search order
// decides which file a game gets: the folder of java.exe first, then the
// system folders, then the folders on PATH.  The 64-bit build tries
// "DvGlowSDK64.dll" through the whole order before "DvGlowSDK.dll".
#include "doctor.h"

namespace doctor {
namespace {

const char *const kEntryPoints[] = {
    "Init",      "CreateEffect", "CreateKeyboardEffect",
    "SetEffect", "DeleteEffect", "QueryDevice",
    "UnInit"};
constexpr size_t kEntryCount = sizeof kEntryPoints / sizeof *kEntryPoints;

std::string libraryName(int bits) {
  return bits == 64 ? "DvGlowSDK64.dll" : "DvGlowSDK.dll";
}

} // namespace

Keyboard checkDuvek(const Options &options) {
  Keyboard k;
  k.id = "duvek";
  k.name = "Duvek";
  std::vector<std::wstring> names;
  if (options.bits == 64)
    names.emplace_back(L"DvGlowSDK64.dll");
  names.emplace_back(L"DvGlowSDK.dll");
  std::vector<Folder> folders = gameSearchFolders(options);
  std::string searched;
  for (const Folder &f : folders)
    searched +=
        (searched.empty() ? "" : "; ") + utf8(f.path) + " (" + f.why + ")";
  k.fact("searched", searched);
  if (options.javaDir.empty())
    k.fact("note", "the game's own folder is searched first: give --java "
                   "PATH\\java.exe to check it too");

  Search search;
  search.entryPoints = kEntryPoints;
  search.entryCount = kEntryCount;
  search.reinstall = "reinstall the keyboard's software";
  search.wrongBitness = "put the keyboard software's " +
                        std::to_string(options.bits) + "-bit " +
                        libraryName(options.bits) +
                        " beside java.exe, and move this one out of the way";
  searchLibrary(k, folders, names, options.bits, search);
  std::string copy = "copy its " + libraryName(options.bits) +
                     " beside the game's java.exe (or javaw.exe)";
  if (!search.anyFound) {
    std::string all;
    for (const std::wstring &name : names)
      all += (all.empty() ? "" : ", ") + utf8(name);
    k.notFound("no " + all + " in any folder a game searches",
               "install the keyboard's software, or " + copy);
    return k;
  }
  if (search.chosen.empty()) {
    k.findings = search.passedOver;
    return k;
  }
  k.fact("loads", utf8(search.chosen));
  if (!search.chosenPe.missing.empty())
    k.finding(kMissingEntryPoint,
              utf8(search.chosen) + " lacks " +
                  joined(search.chosenPe.missing) +
                  ": it is not the effect library the keyboard needs",
              "remove it and reinstall the keyboard's software");
  return k;
}

} // namespace doctor
