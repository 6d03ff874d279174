// What the doctor found: per keyboard, the facts it read and the problems
// that keep the keyboard dark, each with what to do about it.  Printed as
// text for a player or as JSON for tools.
#ifndef VELQUOR_DOCTOR_REPORT_H
#define VELQUOR_DOCTOR_REPORT_H

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace doctor {

// Kinds of finding, as the JSON gives them.
constexpr char kMissing[] = "missing";
constexpr char kWrongBitness[] = "wrong-bitness";
constexpr char kWrongView[] = "wrong-registry-view";
constexpr char kMissingEntryPoint[] = "missing-entry-point";
constexpr char kUnreadable[] = "unreadable";

struct Finding {
  std::string kind, problem, fix;
};

struct Keyboard {
  std::string name;
  std::vector<std::pair<std::string, std::string>> facts;
  std::vector<Finding> findings; // none: ready

  void fact(const std::string &what, const std::string &value) {
    facts.emplace_back(what, value);
  }
  void finding(const char *kind, const std::string &problem,
               const std::string &fix) {
    findings.push_back({kind, problem, fix});
  }
};

struct Report {
  int bits = 0;     // the game's: 32 or 64
  std::string java; // the java.exe checked for, if any
  std::vector<Keyboard> keyboards;

  bool ready() const;
};

void printText(const Report &report, FILE *out);
void printJson(const Report &report, FILE *out);

} // namespace doctor

#endif
