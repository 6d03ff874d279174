#include "report.h"

namespace doctor {
namespace {

const char *build(int bits) { return bits == 64 ? "x64" : "x86"; }

// A JSON string: quotes, backslashes and control characters escaped; other
// bytes pass as they are (paths are in the ANSI code page).
std::string quoted(const std::string &s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", c);
      out += escape;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

} // namespace

bool Report::ready() const {
  for (const Keyboard &k : keyboards)
    if (!k.findings.empty())
      return false;
  return true;
}

void printText(const Report &report, FILE *out) {
  std::fprintf(out,
               "Velquor keyboard doctor %s (%s): what a %d-bit game finds\n",
               VELQUOR_VERSION, build(report.bits), report.bits);
  if (!report.java.empty())
    std::fprintf(out, "game JVM: %s\n", report.java.c_str());
  size_t problems = 0;
  for (const Keyboard &k : report.keyboards) {
    std::fprintf(out, "\n%s: %s\n", k.name.c_str(),
                 k.findings.empty() ? "ready" : "NOT READY");
    for (const auto &fact : k.facts)
      std::fprintf(out, "  %s: %s\n", fact.first.c_str(), fact.second.c_str());
    for (const Finding &f : k.findings) {
      std::fprintf(out, "  problem (%s): %s\n", f.kind.c_str(),
                   f.problem.c_str());
      std::fprintf(out, "  fix: %s\n", f.fix.c_str());
    }
    problems += k.findings.size();
  }
  if (problems == 0)
    std::fprintf(out, "\nEverything a %d-bit game uses is ready.\n",
                 report.bits);
  else
    std::fprintf(out,
                 "\n%zu problem(s) keep a keyboard dark; see the fixes "
                 "above.\n",
                 problems);
}

void printJson(const Report &report, FILE *out) {
  std::fprintf(out, "{\"version\":%s,\"build\":\"%s\",\"bits\":%d,",
               quoted(VELQUOR_VERSION).c_str(), build(report.bits),
               report.bits);
  if (!report.java.empty())
    std::fprintf(out, "\"java\":%s,", quoted(report.java).c_str());
  std::fprintf(out, "\"ready\":%s,\"keyboards\":[",
               report.ready() ? "true" : "false");
  for (size_t i = 0; i < report.keyboards.size(); i++) {
    const Keyboard &k = report.keyboards[i];
    std::fprintf(out, "%s{\"name\":%s,\"ready\":%s,\"facts\":[", i ? "," : "",
                 quoted(k.name).c_str(), k.findings.empty() ? "true" : "false");
    for (size_t j = 0; j < k.facts.size(); j++)
      std::fprintf(out, "%s{\"what\":%s,\"value\":%s}", j ? "," : "",
                   quoted(k.facts[j].first).c_str(),
                   quoted(k.facts[j].second).c_str());
    std::fprintf(out, "],\"findings\":[");
    for (size_t j = 0; j < k.findings.size(); j++) {
      const Finding &f = k.findings[j];
      std::fprintf(out, "%s{\"kind\":%s,\"problem\":%s,\"fix\":%s}",
                   j ? "," : "", quoted(f.kind).c_str(),
                   quoted(f.problem).c_str(), quoted(f.fix).c_str());
    }
    std::fprintf(out, "]}");
  }
  std::fprintf(out, "]}\n");
}

} // namespace doctor
