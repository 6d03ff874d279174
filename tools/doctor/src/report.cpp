#include "report.h"

#include <nlohmann/json.hpp>

namespace doctor {
namespace {

const char *build(int bits) { return bits == 64 ? "x64" : "x86"; }

const char *verdictName(Verdict v) {
  switch (v) {
  case Verdict::kReady:
    return "ready";
  case Verdict::kNotFound:
    return "not found";
  default:
    return "problem";
  }
}

std::string names(const Report &report, Verdict v) {
  std::string out;
  for (const Keyboard &k : report.keyboards)
    if (k.verdict() == v)
      out += (out.empty() ? "" : ", ") + k.name;
  return out;
}

size_t problemCount(const Report &report) {
  size_t n = 0;
  for (const Keyboard &k : report.keyboards)
    n += k.findings.size();
  return n;
}

// The last line speaks only of the keyboards the player has.
std::string conclusion(const Report &report) {
  if (size_t problems = problemCount(report))
    return std::to_string(problems) +
           " problem(s) keep a keyboard dark; see the fixes above.";
  std::string ready = names(report, Verdict::kReady);
  if (ready.empty())
    return "No keyboard's software was found: if you have one of these "
           "keyboards, see above what to do.";
  std::string out = "Ready for a " + std::to_string(report.bits) +
                    "-bit game: " + ready + ".";
  std::string absent = names(report, Verdict::kNotFound);
  if (!absent.empty())
    out += " Not found: " + absent + " (no problem if you do not have them).";
  return out;
}

std::string overall(const Report &report) {
  if (report.ready())
    return "ready";
  return problemCount(report) ? "problem" : "none found";
}

} // namespace

Verdict Keyboard::verdict() const {
  if (!findings.empty())
    return Verdict::kProblem;
  return found ? Verdict::kReady : Verdict::kNotFound;
}

bool Report::ready() const {
  bool any = false;
  for (const Keyboard &k : keyboards) {
    if (k.verdict() == Verdict::kProblem)
      return false;
    any = any || k.verdict() == Verdict::kReady;
  }
  return any;
}

std::string textOf(const Report &report) {
  std::string out = std::string("Velquor keyboard doctor ") + VELQUOR_VERSION +
                    " (" + build(report.bits) + "): what a " +
                    std::to_string(report.bits) + "-bit game finds\n";
  if (!report.java.empty())
    out += "game JVM: " + report.java + "\n";
  for (const Keyboard &k : report.keyboards) {
    Verdict v = k.verdict();
    out += "\n" + k.name + ": " +
           (v == Verdict::kProblem ? "NOT READY" : verdictName(v)) + "\n";
    for (const auto &fact : k.facts)
      out += "  " + fact.first + ": " + fact.second + "\n";
    if (v == Verdict::kNotFound)
      out += "  if you have this keyboard: " + k.absence.fix + "\n";
    for (const Finding &f : k.findings)
      out += "  problem (" + f.kind + "): " + f.problem + "\n  fix: " + f.fix +
             "\n";
  }
  return out + "\n" + conclusion(report) + "\n";
}

std::string jsonOf(const Report &report) {
  using Json = nlohmann::ordered_json;
  Json keyboards = Json::array();
  for (const Keyboard &k : report.keyboards) {
    Json facts = Json::array(), findings = Json::array();
    for (const auto &fact : k.facts)
      facts.push_back({{"what", fact.first}, {"value", fact.second}});
    for (const Finding &f : k.findings)
      findings.push_back(
          {{"kind", f.kind}, {"problem", f.problem}, {"fix", f.fix}});
    Json entry = {{"keyboard", k.id},
                  {"name", k.name},
                  {"verdict", verdictName(k.verdict())},
                  {"ready", k.verdict() == Verdict::kReady},
                  {"facts", facts},
                  {"findings", findings}};
    if (k.verdict() == Verdict::kNotFound)
      entry["ifYouHaveIt"] = k.absence.fix;
    keyboards.push_back(entry);
  }
  Json json = {{"version", VELQUOR_VERSION},
               {"build", build(report.bits)},
               {"bits", report.bits}};
  if (!report.java.empty())
    json["java"] = report.java;
  json["verdict"] = overall(report);
  json["ready"] = report.ready();
  json["keyboards"] = keyboards;
  // A string that is no valid UTF-8 (it never should be) is printed with
  // U+FFFD in its place rather than ending the doctor.
  return json.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
}

} // namespace doctor
