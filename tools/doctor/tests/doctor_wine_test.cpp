// The doctor of this build under Wine, against the stand-ins: the lighting
// service, the effect library and the LED engine, each set up ready,
// missing, of the other bitness (a program of the other bitness stands in
// for such a file), registered in the other view, or lacking an entry point;
// one keyboard ready and the others absent; folders outside plain ASCII; a
// hung service; odd registry values.  The doctor program's reports go to
// OUT as NAME.txt and NAME.json, each JSON report with NAME.expect beside
// it ("PATH<TAB>VALUE" lines, UTF-8) for check-json.py, which parses it.
//
//   doctor_wine_test OUT DOCTOR.exe SERVICE.exe OTHER-BITNESS.exe GLOW.dll
//       GLOW-WITHOUT-QUERYDEVICE.dll ENGINE.dll ENGINE-WITHOUT-FLASH.dll
//       [case...]
#include "../../../tests/common/check.h"
#include "doctor.h"
#include "service_process.h"
#include "wine_registry.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace {

std::string outDir, doctorExe, service, otherBitness, glow, glowNoQuery, engine,
    engineNoFlash, game;
const int kBits = sizeof(void *) * 8;
const int kOtherBits = kBits == 64 ? 32 : 64;
const char *const kGlowName = kBits == 64 ? "DvGlowSDK64.dll" : "DvGlowSDK.dll";

void unregisterEngineBothViews() {
  wine_registry::unregisterEngine(wine_registry::kOwnView);
  wine_registry::unregisterEngine(wine_registry::kOtherView);
}

// A fresh game folder holding java.exe (this program, of this build's
// bitness) and, when given, `glowFile` under the effect library's name.
// Both registry views of the engine are cleared.
doctor::Options setUp(const std::string &glowFile) {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  game = std::string(temp) + "velquor-doctor-game-" + std::to_string(kBits);
  DeleteFileA((game + "\\" + kGlowName).c_str());
  CreateDirectoryA(game.c_str(), nullptr);
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  CopyFileA(self, (game + "\\java.exe").c_str(), FALSE);
  if (!glowFile.empty())
    CHECK(
        CopyFileA(glowFile.c_str(), (game + "\\" + kGlowName).c_str(), FALSE));
  unregisterEngineBothViews();
  doctor::Options options;
  options.javaDir = doctor::wide(game);
  return options;
}

// "Tovrik:missing"-style: each keyboard's findings in order.
std::vector<std::string> kinds(const doctor::Report &report) {
  std::vector<std::string> out;
  for (const doctor::Keyboard &k : report.keyboards)
    for (const doctor::Finding &f : k.findings)
      out.push_back(k.name + ":" + f.kind);
  return out;
}

void expectKinds(const doctor::Report &report,
                 const std::vector<std::string> &want, int line) {
  std::vector<std::string> got = kinds(report);
  if (got != want)
    check::fail(__FILE__, line,
                ("findings " + doctor::joined(got) + ", expected " +
                 doctor::joined(want))
                    .c_str());
}

std::string problems(const doctor::Report &report) {
  std::string out;
  for (const doctor::Keyboard &k : report.keyboards)
    for (const doctor::Finding &f : k.findings)
      out += f.problem + "\n";
  return out;
}

bool has(const std::string &text, const std::string &part) {
  return text.find(part) != std::string::npos;
}

using Expected = std::vector<std::pair<std::string, std::string>>;

// Runs the doctor program with `args` for OUT\NAME.txt and, with --json,
// for OUT\NAME.json, beside which NAME.expect lists what check-json.py is
// to find in it.  Returns the exit status (both runs give the same) and
// the text, which the test log shows.
DWORD runDoctorProgram(const std::wstring &args, const std::string &name,
                       const Expected &expected, std::string &text) {
  DWORD status[2] = {99, 99};
  for (int json = 0; json < 2; json++) {
    std::string file = outDir + "\\" + name + (json ? ".json" : ".txt");
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE output = CreateFileA(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                &inherit, CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = output;
    PROCESS_INFORMATION pi{};
    std::wstring cmd = L"\"" + doctor::wide(doctorExe) + L"\" " + args +
                       (json ? L" --json" : L"");
    if (CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, TRUE, 0, nullptr,
                       nullptr, &si, &pi)) {
      if (WaitForSingleObject(pi.hProcess, 300000) == WAIT_OBJECT_0)
        GetExitCodeProcess(pi.hProcess, &status[json]);
      CloseHandle(pi.hProcess);
      CloseHandle(pi.hThread);
    }
    CloseHandle(output);
  }
  text.clear();
  if (FILE *f = std::fopen((outDir + "\\" + name + ".txt").c_str(), "rb")) {
    char buf[4096];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;)
      text.append(buf, n);
    std::fclose(f);
  }
  std::printf("%s", text.c_str());
  if (FILE *f = std::fopen((outDir + "\\" + name + ".expect").c_str(), "wb")) {
    for (const auto &e : expected)
      std::fprintf(f, "%s\t%s\n", e.first.c_str(), e.second.c_str());
    std::fclose(f);
  }
  CHECK_EQ(status[0], status[1]);
  return status[0];
}

std::wstring javaArg(const std::wstring &folder) {
  return L"--java \"" + folder + L"\\java.exe\"";
}

TEST_CASE(ready_setup_has_no_findings) {
  doctor::Options options = setUp(glow);
  CHECK(wine_registry::registerEngine(wine_registry::kOwnView, engine));
  ServiceProcess svc;
  REQUIRE(svc.start(service));
  doctor::Report report = doctor::runDoctor(options);
  expectKinds(report, {}, __LINE__);
  CHECK(report.ready());
  const doctor::Keyboard &tovrik = report.keyboards.at(0);
  CHECK(has(tovrik.facts.at(0).second, "found, process "));
  CHECK(has(tovrik.facts.at(0).second, ", 64-bit, "));
  CHECK(has(tovrik.facts.at(0).second, "tovrik_service"));
  const doctor::Keyboard &duvek = report.keyboards.at(1);
  CHECK(duvek.facts.back().first == "loads");
  CHECK(duvek.facts.back().second == game + "\\" + kGlowName);

  std::string out;
  CHECK_EQ(runDoctorProgram(javaArg(options.javaDir), "ready",
                            {{"verdict", "ready"}}, out),
           0u);
  CHECK(has(out, "Ready for a " + std::to_string(kBits) +
                     "-bit game: Tovrik, Duvek, LED engine.\n"));
  CHECK(has(out, "exports all 7 entry points"));
  CHECK(has(out, "exports all 19 entry points"));
  svc.stop();
}

// The player with one keyboard: it is ready and the others are no
// problem; named on the command line, an absent one is.  With none found,
// none is ready.
TEST_CASE(one_keyboard_ready_the_others_not_found) {
  std::wstring java = javaArg(setUp("").javaDir);
  std::string out;
  CHECK_EQ(runDoctorProgram(
               java, "nothing",
               {{"verdict", "none found"}, {"keyboards/2/findings", "[]"}},
               out),
           1u);
  ServiceProcess svc;
  REQUIRE(svc.start(service));
  CHECK_EQ(runDoctorProgram(java, "one-keyboard",
                            {{"keyboards/0/verdict", "ready"},
                             {"keyboards/1/verdict", "not found"},
                             {"keyboards/2/verdict", "not found"}},
                            out),
           0u);
  CHECK(has(out, "  if you have this keyboard: install the keyboard's LED "
                 "software\n"));
  CHECK_EQ(runDoctorProgram(java + L" --keyboard tovrik --keyboard led",
                            "one-keyboard-named",
                            {{"keyboards/1/keyboard", "led"},
                             {"keyboards/1/findings/0/kind", "missing"},
                             {"keyboards/2", "<none>"}},
                            out),
           1u);
  svc.stop();
}

TEST_CASE(files_of_the_other_bitness) {
  doctor::Options options = setUp(otherBitness);
  CHECK(wine_registry::registerEngine(wine_registry::kOwnView, otherBitness));
  doctor::Report report = doctor::runDoctor(options);
  expectKinds(report, {"Duvek:wrong-bitness", "LED engine:wrong-bitness"},
              __LINE__);
  std::string other = std::to_string(kOtherBits) + "-bit; a " +
                      std::to_string(kBits) + "-bit game cannot load it";
  CHECK(has(problems(report), game + "\\" + kGlowName + " is " + other));
  CHECK(has(problems(report), otherBitness + " is " + other));
}

// Duvek is ready, the LED engine is not: the player is not.
TEST_CASE(engine_registered_in_the_other_view) {
  doctor::Options options = setUp(glow);
  CHECK(wine_registry::registerEngine(wine_registry::kOtherView, engine));
  doctor::Report report = doctor::runDoctor(options);
  expectKinds(report, {"LED engine:wrong-registry-view"}, __LINE__);
  CHECK(report.keyboards.at(1).verdict() == doctor::Verdict::kReady);
  CHECK(!report.ready());
  CHECK(has(problems(report), "registered only in the " +
                                  std::to_string(kOtherBits) +
                                  "-bit registry view"));
}

TEST_CASE(missing_entry_points_are_named) {
  doctor::Options options = setUp(glowNoQuery);
  CHECK(wine_registry::registerEngine(wine_registry::kOwnView, engineNoFlash));
  doctor::Report report = doctor::runDoctor(options);
  expectKinds(report,
              {"Duvek:missing-entry-point", "LED engine:missing-entry-point"},
              __LINE__);
  CHECK(has(problems(report), kGlowName + std::string(" lacks QueryDevice:")));
  CHECK(has(problems(report), " lacks UlvoLedFlashSingleKey:"));
  unregisterEngineBothViews();
}

// A user name and a game folder outside plain ASCII, on PATH and in
// --java: the JSON is UTF-8 that names each folder exactly.  In the 64-bit
// build a DvGlowSDK.dll beside java.exe is passed over for DvGlowSDK64.dll
// on PATH: each name goes through every folder before the next.
TEST_CASE(folders_outside_ascii) {
  std::wstring name = L"Jos\u00e9 \u0412\u043b\u0430\u0434-" +
                      doctor::wide(std::to_string(kBits));
  std::string nameUtf8 =
      "Jos\xc3\xa9 \xd0\x92\xd0\xbb\xd0\xb0\xd0\xb4-" + std::to_string(kBits);
  wchar_t temp[MAX_PATH], self[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring gameDir = temp + (L"velquor-doctor-" + name),
               onPath = temp + name;
  CreateDirectoryW(gameDir.c_str(), nullptr);
  CreateDirectoryW(onPath.c_str(), nullptr);
  CHECK(CopyFileW(self, (gameDir + L"\\java.exe").c_str(), FALSE));
  std::wstring glowFile = doctor::wide(glow);
  CHECK(CopyFileW(glowFile.c_str(),
                  (onPath + L"\\" + doctor::wide(kGlowName)).c_str(), FALSE));
  if (kBits == 64)
    CHECK(CopyFileW(glowFile.c_str(), (gameDir + L"\\DvGlowSDK.dll").c_str(),
                    FALSE));
  unregisterEngineBothViews();
  std::vector<wchar_t> path(32768);
  GetEnvironmentVariableW(L"PATH", path.data(), 32768);
  SetEnvironmentVariableW(L"PATH", (onPath + L";" + path.data()).c_str());

  std::string tempUtf8 = doctor::utf8(temp); // ASCII under Wine
  std::string java = tempUtf8 + "velquor-doctor-" + nameUtf8 + "\\java.exe";
  std::string loads = tempUtf8 + nameUtf8 + "\\" + kGlowName;
  std::string out;
  CHECK_EQ(runDoctorProgram(
               javaArg(gameDir), "non-ascii",
               {{"java", java},
                {"keyboards/keyboard=duvek/facts/what=loads/value", loads}},
               out),
           0u);
  CHECK(has(out, "game JVM: " + java + "\n"));
  CHECK(has(out, "  loads: " + loads + "\n"));
  SetEnvironmentVariableW(L"PATH", path.data());
}

// A service window that takes no message: the doctor waits about a second
// for it and calls it hung, rather than ready or waiting on.
TEST_CASE(hung_service_is_a_problem) {
  std::wstring java = javaArg(setUp("").javaDir);
  ServiceProcess svc;
  REQUIRE(svc.start(service));
  svc.hang(6000);
  std::string out;
  CHECK_EQ(runDoctorProgram(java, "hung",
                            {{"keyboards/0/findings/0/kind", "hung"}}, out),
           1u);
  CHECK(has(out, "  fix: restart the keyboard's lighting software\n"));
  svc.stop();
}

// 260 bytes with no end are unreadable; a relative name is looked for
// where the game's loader looks, not in the doctor's current folder.
TEST_CASE(cut_and_relative_engine_values) {
  doctor::Options options = setUp("");
  std::string cut = "C:\\" + std::string(257, 'a');
  CHECK(wine_registry::setEngineValue(wine_registry::kOwnView, REG_BINARY,
                                      cut.data(), 260));
  doctor::Report report = doctor::runDoctor(options);
  expectKinds(report, {"LED engine:unreadable"}, __LINE__);
  CHECK(has(problems(report), "fills all 260 bytes"));

  CHECK(CopyFileA(engine.c_str(), (game + "\\ulvo-engine.dll").c_str(), FALSE));
  CHECK(wine_registry::registerEngine(wine_registry::kOwnView,
                                      "ulvo-engine.dll"));
  report = doctor::runDoctor(options);
  expectKinds(report, {}, __LINE__);
  CHECK(report.keyboards.at(2).facts.back().second ==
        game + "\\ulvo-engine.dll");
  unregisterEngineBothViews();
}

// The 32-bit doctor on 64-bit Windows: System32 on PATH is SysWOW64 to a
// 32-bit game, so a 64-bit library there is one file, named once, under
// the folder it is really in.
TEST_CASE(library_in_syswow64_is_named_once) {
  wchar_t dir[MAX_PATH];
  if (kBits == 64 || GetSystemWow64DirectoryW(dir, MAX_PATH) == 0)
    return; // a case for the 32-bit doctor on 64-bit Windows
  std::wstring placed = std::wstring(dir) + L"\\DvGlowSDK.dll";
  std::wstring java = javaArg(setUp("").javaDir);
  REQUIRE(CopyFileW(doctor::wide(otherBitness).c_str(), placed.c_str(), FALSE));
  std::string out;
  CHECK_EQ(runDoctorProgram(java, "syswow64",
                            {{"keyboards/1/facts/1/what", doctor::utf8(placed)},
                             {"keyboards/1/facts/2", "<none>"},
                             {"keyboards/1/findings/0/kind", "wrong-bitness"},
                             {"keyboards/1/findings/1", "<none>"}},
                            out),
           1u);
  DeleteFileW(placed.c_str());
}

} // namespace

int main(int argc, char **argv) {
  std::vector<std::string> paths = takePathArguments(
      argc, argv, 8,
      "OUT DOCTOR SERVICE OTHER-BITNESS GLOW GLOW-WITHOUT-QUERYDEVICE ENGINE "
      "ENGINE-WITHOUT-FLASH [case...]");
  if (paths.empty())
    return 2;
  outDir = paths[0];
  doctorExe = paths[1];
  service = paths[2];
  otherBitness = paths[3];
  glow = paths[4];
  glowNoQuery = paths[5];
  engine = paths[6];
  engineNoFlash = paths[7];
  return check::run(argc, argv);
}
