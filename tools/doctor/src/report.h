// What the doctor found: per keyboard, the facts it read and either that
// it is ready, that no trace of its software is there (a player may not own
// that keyboard), or the problems that keep it dark, each with what to do
// about it.  Printed as text for a player or as JSON for tools; every
// string is UTF-8.  Plain code: nothing here needs Windows.
#ifndef VELQUOR_DOCTOR_REPORT_H
#define VELQUOR_DOCTOR_REPORT_H

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
constexpr char kHung[] = "hung";

struct Finding {
  std::string kind, problem, fix;
};

enum class Verdict { kReady, kNotFound, kProblem };

struct Keyboard {
  std::string id;   // as --keyboard names it: "tovrik", "duvek", "led"
  std::string name; // as the player reads it
  std::vector<std::pair<std::string, std::string>> facts;
  std::vector<Finding> findings;
  // Set when no trace of the keyboard's software was found: what is
  // missing, and what to do if the player has this keyboard.
  bool found = true;
  Finding absence;

  void fact(const std::string &what, const std::string &value) {
    facts.emplace_back(what, value);
  }
  void finding(const char *kind, const std::string &problem,
               const std::string &fix) {
    findings.push_back({kind, problem, fix});
  }
  void notFound(const std::string &problem, const std::string &fix) {
    found = false;
    absence = {kMissing, problem, fix};
  }
  // A keyboard the player named on the command line: its absence is a
  // problem like any other.
  void expected() {
    if (!found && findings.empty())
      findings.push_back(absence);
  }
  Verdict verdict() const;
};

struct Report {
  int bits = 0;     // the game's: 32 or 64
  std::string java; // the java.exe checked for, if any
  std::vector<Keyboard> keyboards;

  // At least one keyboard ready and none with a problem: exit status 0.
  bool ready() const;
};

std::string textOf(const Report &report);
std::string jsonOf(const Report &report);

} // namespace doctor

#endif
