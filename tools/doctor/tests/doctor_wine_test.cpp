// The doctor of this build under Wine, against the stand-ins: the lighting
// service, the effect library and the LED engine, each set up ready,
// missing, of the other bitness (a program of the other bitness stands in
// for such a file), registered in the other view, or lacking an entry point.
//
//   doctor_wine_test DOCTOR.exe SERVICE.exe OTHER-BITNESS.exe GLOW.dll
//       GLOW-WITHOUT-QUERYDEVICE.dll ENGINE.dll ENGINE-WITHOUT-FLASH.dll
//       [case...]
#include "../../../tests/common/check.h"
#include "doctor.h"
#include "service_process.h"
#include "wine_registry.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string doctorExe, service, otherBitness, glow, glowNoQuery, engine,
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
  options.javaDir = game;
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

// Runs the doctor program and returns its exit status; its output, which
// the test log shows, goes to `out`.
DWORD runDoctorProgram(const std::string &args, std::string &out) {
  std::string file = game + "\\doctor.out";
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE output = CreateFileA(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                              &inherit, CREATE_ALWAYS, 0, nullptr);
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = si.hStdError = output;
  PROCESS_INFORMATION pi{};
  std::string cmd = "\"" + doctorExe + "\" " + args;
  DWORD status = 99;
  if (CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, TRUE, 0, nullptr,
                     nullptr, &si, &pi)) {
    if (WaitForSingleObject(pi.hProcess, 300000) == WAIT_OBJECT_0)
      GetExitCodeProcess(pi.hProcess, &status);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
  }
  CloseHandle(output);
  out.clear();
  if (FILE *f = std::fopen(file.c_str(), "rb")) {
    char buf[4096];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;)
      out.append(buf, n);
    std::fclose(f);
  }
  return status;
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
  CHECK_EQ(runDoctorProgram("--java \"" + game + "\\java.exe\"", out), 0u);
  std::printf("%s", out.c_str());
  CHECK(has(out, "Everything a " + std::to_string(kBits) +
                     "-bit game uses is ready."));
  CHECK(has(out, "exports all 7 entry points"));
  CHECK(has(out, "exports all 19 entry points"));
  svc.stop();
}

TEST_CASE(nothing_installed_is_missing) {
  doctor::Report report = doctor::runDoctor(setUp(""));
  expectKinds(report, {"Tovrik:missing", "Duvek:missing", "LED engine:missing"},
              __LINE__);
  std::FILE *json = std::fopen((game + "\\report.json").c_str(), "w+");
  REQUIRE(json != nullptr);
  doctor::printJson(report, json);
  std::rewind(json);
  char buf[8192] = {};
  std::fread(buf, 1, sizeof buf - 1, json);
  std::fclose(json);
  CHECK(has(buf, "\"ready\":false,\"keyboards\":[{\"name\":\"Tovrik\","
                 "\"ready\":false,"));
  CHECK(has(buf, "{\"kind\":\"missing\",\"problem\":\"no \\\"TOVRIK TALK\\\""
                 " window"));
}

TEST_CASE(files_of_the_other_bitness) {
  doctor::Options options = setUp(otherBitness);
  CHECK(wine_registry::registerEngine(wine_registry::kOwnView, otherBitness));
  doctor::Report report = doctor::runDoctor(options);
  expectKinds(
      report,
      {"Tovrik:missing", "Duvek:wrong-bitness", "LED engine:wrong-bitness"},
      __LINE__);
  std::string other = std::to_string(kOtherBits) + "-bit; a " +
                      std::to_string(kBits) + "-bit game cannot load it";
  CHECK(has(problems(report), game + "\\" + kGlowName + " is " + other));
  CHECK(has(problems(report), otherBitness + " is " + other));
}

TEST_CASE(engine_registered_in_the_other_view) {
  doctor::Options options = setUp(glow);
  CHECK(wine_registry::registerEngine(wine_registry::kOtherView, engine));
  doctor::Report report = doctor::runDoctor(options);
  expectKinds(report, {"Tovrik:missing", "LED engine:wrong-registry-view"},
              __LINE__);
  CHECK(has(problems(report), "registered only in the " +
                                  std::to_string(kOtherBits) +
                                  "-bit registry view"));
}

TEST_CASE(missing_entry_points_are_named) {
  doctor::Options options = setUp(glowNoQuery);
  CHECK(wine_registry::registerEngine(wine_registry::kOwnView, engineNoFlash));
  doctor::Report report = doctor::runDoctor(options);
  expectKinds(report,
              {"Tovrik:missing", "Duvek:missing-entry-point",
               "LED engine:missing-entry-point"},
              __LINE__);
  CHECK(has(problems(report), kGlowName + std::string(" lacks QueryDevice:")));
  CHECK(has(problems(report), " lacks UlvoLedFlashSingleKey:"));
  unregisterEngineBothViews();
}

} // namespace

int main(int argc, char **argv) {
  std::vector<std::string> paths = takePathArguments(
      argc, argv, 7,
      "DOCTOR SERVICE OTHER-BITNESS GLOW GLOW-WITHOUT-QUERYDEVICE ENGINE "
      "ENGINE-WITHOUT-FLASH [case...]");
  if (paths.empty())
    return 2;
  doctorExe = paths[0];
  service = paths[1];
  otherBitness = paths[2];
  glow = paths[3];
  glowNoQuery = paths[4];
  engine = paths[5];
  engineNoFlash = paths[6];
  return check::run(argc, argv);
}
