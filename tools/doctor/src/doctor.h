// The doctor's checks: each reads files, the registry or the window list,
// never loads or runs vendor code, and reports what a game of the given
// bitness would find.  Paths are UTF-16, as Windows keeps them; what the
// report says is UTF-8.
#ifndef VELQUOR_DOCTOR_H
#define VELQUOR_DOCTOR_H

#include <string>
#include <vector>

#include "report.h"
#include "search_folders.h"

namespace doctor {

// The keyboards, as --keyboard names them.
constexpr unsigned kTovrik = 1, kDuvek = 2, kLed = 4, kEveryKeyboard = 7;

struct Options {
  int bits = sizeof(void *) * 8; // the game's; only this build's is checked
  std::wstring javaDir;          // folder of the game's java.exe, if known
  unsigned keyboards = kEveryKeyboard;
  bool named = false; // --keyboard given: a keyboard not found is a problem
};

// What a PE file on disk is, read without loading it.
struct PeFacts {
  bool exists = false;
  std::string error; // set when it exists but cannot be read as PE
  int bits = 0;      // 32 or 64; 0 for another machine type
  std::vector<std::string> missing; // of the names asked for
};

PeFacts readPe(const std::wstring &path, const char *const *names,
               size_t count);
// "32-bit, exports all 7 entry points"-style summary of readPe's facts.
std::string describe(const PeFacts &pe, size_t count);
// "PATH is 32-bit; a 64-bit game cannot load it", for a file of another
// bitness than the game's.
std::string cannotLoad(const std::wstring &path, const PeFacts &pe, int bits);
std::string joined(const std::vector<std::string> &items);

std::string utf8(const std::wstring &text);
std::wstring wide(const std::string &utf8Text);

// The folders a game of this process's kind searches (Win32 side of
// searchFolders).
std::vector<Folder> gameSearchFolders(const Options &options);

// The first loadable file of `names`, each name looked for through every
// folder in turn, as the loader does; every file found is a fact, and the
// files passed over are the findings when none loads.
struct Search {
  const char *const *entryPoints = nullptr;
  size_t entryCount = 0;
  std::string reinstall;    // the fix for a file that is no library
  std::string wrongBitness; // the fix for one of the other bitness
  bool anyFound = false;
  std::wstring chosen; // empty when nothing loads
  PeFacts chosenPe;
  std::vector<Finding> passedOver;
};
void searchLibrary(Keyboard &k, const std::vector<Folder> &folders,
                   const std::vector<std::wstring> &names, int bits,
                   Search &search);

Keyboard checkTovrik();
Keyboard checkDuvek(const Options &options);
Keyboard checkLedEngine(const Options &options);
Report runDoctor(const Options &options);

} // namespace doctor

#endif
