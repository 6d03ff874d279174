// velquor-doctor.exe: tells a player why a keyboard stays dark.  It changes
// nothing and runs no vendor code.  Exit status 0 when everything a game of
// this build's bitness would use is ready, 1 when not, 2 on a bad command
// line or a java.exe it cannot check.
#include "doctor.h"

#include <cstdio>
#include <cstring>

namespace {

const char kUsage[] =
    "usage: velquor-doctor [--java PATH\\java.exe] [--json]\n"
    "  --java  check for the game that runs this java.exe: the effect\n"
    "          library is looked for beside it first\n"
    "  --json  the same findings as JSON\n";

// Checks that java.exe is of this build's bitness and sets the folder it
// is in.  A JVM of the other bitness loads the other build's DLLs, which
// the other build of the doctor checks.
bool takeJava(const char *java, doctor::Options &options) {
  doctor::PeFacts pe = doctor::readPe(java, nullptr, 0);
  if (!pe.exists || !pe.error.empty() || pe.bits == 0) {
    std::fprintf(stderr, "velquor-doctor: %s: %s\n", java,
                 doctor::describe(pe, 0).c_str());
    return false;
  }
  if (pe.bits != options.bits) {
    const char *build = pe.bits == 64 ? "x64" : "x86";
    std::fprintf(stderr,
                 "velquor-doctor: %s is a %d-bit JVM, which loads the %s "
                 "DLLs: run the %s doctor (%s\\velquor-doctor.exe) instead\n",
                 java, pe.bits, build, build, build);
    return false;
  }
  std::string dir = java;
  size_t slash = dir.find_last_of("\\/");
  options.javaDir = slash == std::string::npos ? "." : dir.substr(0, slash);
  return true;
}

} // namespace

int main(int argc, char **argv) {
  doctor::Options options;
  std::string java;
  bool json = false;
  for (int i = 1; i < argc; i++) {
    if (std::strcmp(argv[i], "--json") == 0) {
      json = true;
    } else if (std::strcmp(argv[i], "--java") == 0 && i + 1 < argc) {
      java = argv[++i];
      if (!takeJava(java.c_str(), options))
        return 2;
    } else {
      bool help = std::strcmp(argv[i], "--help") == 0;
      std::fputs(kUsage, help ? stdout : stderr);
      return help ? 0 : 2;
    }
  }
  doctor::Report report = doctor::runDoctor(options);
  report.java = java;
  if (json)
    doctor::printJson(report, stdout);
  else
    doctor::printText(report, stdout);
  return report.ready() ? 0 : 1;
}
