// velquor-doctor.exe: tells a player why a keyboard stays dark.  It changes
// nothing and runs no vendor code.  Exit status 0 when at least one
// keyboard is ready for a game of this build's bitness and none has a
// problem, 1 when one has a problem or none is ready, 2 on a bad command
// line or a java.exe it cannot check.  The command line is read as UTF-16,
// so any path reaches it whole.
#include "doctor.h"
#include "text_sink.h"

#include <cwchar>

namespace {

const char kUsage[] =
    "usage: velquor-doctor [--java PATH\\java.exe] [--keyboard NAME]... "
    "[--json]\n"
    "  --java      check for the game that runs this java.exe: the effect\n"
    "              library is looked for beside it first\n"
    "  --keyboard  tovrik, duvek or led: check only the keyboards named\n"
    "              (repeatable); for them, not found is a problem\n"
    "  --json      the same findings as JSON (UTF-8)\n";

void complain(const std::string &text) {
  doctor::writeText("velquor-doctor: " + text + "\n", true);
}

// Checks that java.exe is of this build's bitness and sets the folder it
// is in.  A JVM of the other bitness loads the other build's DLLs, which
// the other build of the doctor checks.
bool takeJava(const std::wstring &java, doctor::Options &options) {
  doctor::PeFacts pe = doctor::readPe(java, nullptr, 0);
  if (!pe.exists || !pe.error.empty() || pe.bits == 0) {
    complain(doctor::utf8(java) + ": " + doctor::describe(pe, 0));
    return false;
  }
  if (pe.bits != options.bits) {
    std::string build = pe.bits == 64 ? "x64" : "x86";
    complain(doctor::utf8(java) + " is a " + std::to_string(pe.bits) +
             "-bit JVM, which loads the " + build + " DLLs: run the " + build +
             " doctor (" + build + "\\velquor-doctor.exe) instead");
    return false;
  }
  size_t slash = java.find_last_of(L"\\/");
  options.javaDir = slash == std::wstring::npos ? L"." : java.substr(0, slash);
  return true;
}

bool takeKeyboard(const wchar_t *name, doctor::Options &options) {
  unsigned which = std::wcscmp(name, L"tovrik") == 0  ? doctor::kTovrik
                   : std::wcscmp(name, L"duvek") == 0 ? doctor::kDuvek
                   : std::wcscmp(name, L"led") == 0   ? doctor::kLed
                                                      : 0;
  if (which == 0)
    return false;
  options.keyboards = (options.named ? options.keyboards : 0) | which;
  options.named = true;
  return true;
}

} // namespace

int wmain(int argc, wchar_t **argv) {
  doctor::Options options;
  std::wstring java;
  bool json = false;
  for (int i = 1; i < argc; i++) {
    std::wstring arg = argv[i];
    bool value = i + 1 < argc;
    if (arg == L"--json") {
      json = true;
    } else if (arg == L"--java" && value) {
      java = argv[++i];
      if (!takeJava(java, options))
        return 2;
    } else if (arg == L"--keyboard" && value &&
               takeKeyboard(argv[i + 1], options)) {
      i++;
    } else {
      bool help = arg == L"--help";
      doctor::writeText(kUsage, !help);
      return help ? 0 : 2;
    }
  }
  doctor::Report report = doctor::runDoctor(options);
  report.java = doctor::utf8(java);
  doctor::writeText(json ? doctor::jsonOf(report) : doctor::textOf(report));
  return report.ready() ? 0 : 1;
}
