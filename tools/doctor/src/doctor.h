// The doctor's checks: each reads files, the registry or the window list,
// never loads or runs vendor code, and reports what a game of the given
// bitness would find.
#ifndef VELQUOR_DOCTOR_H
#define VELQUOR_DOCTOR_H

#include <string>
#include <vector>

#include "report.h"

namespace doctor {

struct Options {
  int bits = sizeof(void *) * 8; // the game's; only this build's is checked
  std::string javaDir;           // folder of the game's java.exe, if known
};

// What a PE file on disk is, read without loading it.
struct PeFacts {
  bool exists = false;
  std::string error; // set when it exists but cannot be read as PE
  int bits = 0;      // 32 or 64; 0 for another machine type
  std::vector<std::string> missing; // of the names asked for
};

PeFacts readPe(const std::string &path, const char *const *names, size_t count);
// "32-bit, exports all 7 entry points"-style summary of readPe's facts.
std::string describe(const PeFacts &pe, size_t count);
// "PATH is 32-bit; a 64-bit game cannot load it", for a file of another
// bitness than the game's.
std::string cannotLoad(const std::string &path, const PeFacts &pe, int bits);
std::string joined(const std::vector<std::string> &items);

Keyboard checkTovrik();
Keyboard checkDuvek(const Options &options);
Keyboard checkLedEngine(const Options &options);
Report runDoctor(const Options &options);

} // namespace doctor

#endif
