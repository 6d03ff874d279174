// UlvoLedVirtualSetup under Wine: register writes the engine's path in this
// bitness's registry view only, refuses to replace another engine's value
// unless forced, and unregister puts back what was there.
//   virtual_setup_test.exe SETUP-EXE
#include "check.h"
#include "wine_registry.h"

#include <windows.h>

#include <string>

using namespace wine_registry;

namespace {

std::string gSetup;
const char kVendor[] = "C:\\Vendor\\Engine\\LedEngine.dll";
const char kOtherEngine[] = "C:\\Other\\View\\LedEngine.dll";

// Runs the setup command and returns its exit status (-1: did not run).
int setup(const char *args) {
  std::string cmd = "\"" + gSetup + "\" " + args;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &si, &pi))
    return -1;
  WaitForSingleObject(pi.hProcess, 60000);
  DWORD code = static_cast<DWORD>(-1);
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return static_cast<int>(code);
}

// The engine value in a view; "<none>" when absent.
std::string engineValue(REGSAM view, const char *name = nullptr) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kLedEngineKey, 0, KEY_READ | view,
                    &key) != 0)
    return "<none>";
  char buf[MAX_PATH] = "";
  DWORD size = sizeof buf - 1;
  LONG rc = RegQueryValueExA(key, name, nullptr, nullptr,
                             reinterpret_cast<BYTE *>(buf), &size);
  RegCloseKey(key);
  return rc == 0 ? buf : "<none>";
}

std::string ourEngine() {
  return gSetup.substr(0, gSetup.find_last_of("\\/") + 1) +
         "UlvoLedVirtual.dll";
}

bool isOurs(const std::string &value) {
  return lstrcmpiA(value.c_str(), ourEngine().c_str()) == 0;
}

void clean() {
  unregisterEngine(kOwnView);
  unregisterEngine(kOtherView);
}

} // namespace

TEST_CASE(register_writes_own_view_and_unregister_removes) {
  clean();
  registerEngine(kOtherView, kOtherEngine);
  CHECK_EQ(setup("register"), 0);
  CHECK(isOurs(engineValue(kOwnView)));
  CHECK(engineValue(kOtherView) == kOtherEngine);
  CHECK_EQ(setup("register"), 0); // again: nothing changes
  CHECK(isOurs(engineValue(kOwnView)));
  CHECK_EQ(setup("unregister"), 0);
  CHECK(engineValue(kOwnView) == "<none>");
  CHECK(engineValue(kOtherView) == kOtherEngine);
  CHECK_EQ(setup("unregister"), 0); // nothing registered: nothing to do
  CHECK_EQ(setup("bogus"), 2);
  clean();
}

// Another engine's value is neither replaced nor removed unless forced.
TEST_CASE(foreign_value_is_refused_then_forced_and_restored) {
  clean();
  registerEngine(kOwnView, kVendor);
  CHECK_EQ(setup("register"), 1);
  CHECK(engineValue(kOwnView) == kVendor);
  CHECK_EQ(setup("unregister"), 1);
  CHECK(engineValue(kOwnView) == kVendor);
  CHECK_EQ(setup("register --force"), 0);
  CHECK(isOurs(engineValue(kOwnView)));
  CHECK_EQ(setup("register"), 0); // ours already: the earlier value stays
  CHECK_EQ(setup("unregister"), 0);
  CHECK(engineValue(kOwnView) == kVendor);
  CHECK(engineValue(kOwnView, "VirtualEngineEarlier") == "<none>");
  clean();
}

int main(int argc, char **argv) {
  std::vector<std::string> paths =
      takePathArguments(argc, argv, 1, "UlvoLedVirtualSetup.exe");
  if (paths.empty())
    return 2;
  gSetup = paths[0];
  char *none[] = {argv[0]};
  return check::run(1, none);
}
