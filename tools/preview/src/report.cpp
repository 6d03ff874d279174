#include "report.h"

#include "draw.h"
#include "keyboard.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

namespace preview {

namespace {

const Call *callAt(const Session &s, int line) {
  for (const Call &c : s.calls) {
    if (c.line == line)
      return &c;
  }
  return nullptr;
}

double usToMs(int64_t us) { return static_cast<double>(us) / 1000.0; }

std::string fmtMs(double ms) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.1f", ms);
  return buf;
}

std::string htmlEscape(const std::string &s) {
  std::string out;
  for (char c : s) {
    if (c == '<')
      out += "&lt;";
    else if (c == '>')
      out += "&gt;";
    else if (c == '&')
      out += "&amp;";
    else
      out += c;
  }
  return out;
}

int64_t startOf(const Timeline &t, Board b) { return t.startUs[boardIndex(b)]; }

std::string fileName(int seq, const Picture &p) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%03d-%s.png", seq,
                boardSlug(p.board).c_str());
  return buf;
}

// The three measured steps, "100.5/100.9/80.7 ms".
std::string flashText(const FlashTiming &f) {
  std::string s;
  for (int i = 0; i < kFlashSteps - 1; i++)
    s += (i ? "/" : "") +
         (f.stepMs(i) < 0 ? std::string("?") : fmtMs(f.stepMs(i)));
  return s + " ms";
}

// Screenshots of the virtual keyboards' windows, when the preview command
// put some from the last test run into dir/virtual.
std::string virtualSection(const std::string &dir) {
  std::string figures;
  for (Library lib : kAllLibraries) {
    const char *name = libraryName(lib);
    std::string file = std::string("virtual/") + name + ".png";
    if (std::ifstream(std::string(dir).append("/").append(file)))
      figures += std::string("<figure><figcaption>") + name +
                 "</figcaption><img src=\"" + file + "\" alt=\"" + name +
                 " window\"></figure>\n";
  }
  if (figures.empty())
    return "";
  return "<h2>What the virtual keyboards show</h2>\n<p>Their windows while "
         "the default session played in the last 64-bit Wine test run "
         "(scripts/test.sh).</p>\n" +
         figures;
}

} // namespace

std::vector<const Picture *> orderedPictures(const Timeline &t) {
  std::vector<const Picture *> v;
  for (const Picture &p : t.pictures)
    v.push_back(&p);
  std::stable_sort(v.begin(), v.end(), [](const Picture *a, const Picture *b) {
    if (a->board.build != b->board.build)
      return a->board.build < b->board.build;
    return a->us < b->us;
  });
  return v;
}

std::string captionOf(const Timeline &t, const Session &s, const Picture &p) {
  double ms = usToMs(p.us - startOf(t, p.board));
  std::string text = boardName(p.board) + "  +" + fmtMs(ms) + " ms";
  const Call *c = callAt(s, p.line);
  if (c)
    text += "  line " + std::to_string(c->line) + ": " + c->text;
  return text;
}

std::string stateText(const Picture &p) {
  return keyboardOf(p.board.library).stateText(p);
}

std::vector<std::string> summaries(const Timeline &t, const Session &s) {
  std::vector<std::string> out;
  for (int b = 0; b < kBoards; b++) {
    Board board = boardAt(b);
    const std::vector<PlayerCall> &calls = t.boardCalls[b];
    if (calls.empty())
      continue;
    int pictures = 0;
    for (const Picture &p : t.pictures)
      pictures += p.board == board;
    std::string line = boardName(board) + ": " + std::to_string(calls.size()) +
                       " calls, " + std::to_string(pictures) + " pictures";
    const Keyboard &kb = keyboardOf(board.library);
    if (kb.callLogPrefix) {
      int logged = 0;
      for (const LoggedCall &u : t.loggedCalls)
        logged += u.board == board;
      line += ", " + std::to_string(logged) + " " + kb.loggedCalls + " logged";
    }
    for (const FlashTiming &f : t.flashes) {
      if (f.board == board)
        line += ", flash " + flashText(f);
    }
    // The start-up call's result tells at once whether the library found
    // its service, effect library or engine.
    const char *start = libraryInfo(board.library).startMethod;
    for (const PlayerCall &c : calls) {
      const Call *sc = callAt(s, c.line);
      if (sc && std::strcmp(sc->method->name, start) == 0) {
        line += std::string(", ") + start + " -> " + c.result;
        break;
      }
    }
    out.push_back(line);
  }
  return out;
}

namespace {

const Build kBuilds[] = {Build::X86, Build::X64};

// The damage flashes of one build's boards as a table; nothing when that
// build flashed nothing.
void writeFlashTable(std::ostream &html, const Timeline &t, Build build) {
  std::ostringstream rows;
  for (const FlashTiming &f : t.flashes) {
    if (f.board.build != build)
      continue;
    rows << "<tr><td>" << boardName(f.board) << "</td><td>" << f.line
         << "</td><td>"
         << (f.stepUs[0] >= 0 ? fmtMs(usToMs(f.stepUs[0] - f.callUs)) + " ms"
                              : "?")
         << "</td>";
    for (int i = 0; i < kFlashSteps - 1; i++)
      rows << "<td>"
           << (f.stepMs(i) < 0 ? std::string("?") : fmtMs(f.stepMs(i)))
           << " ms (of " << (kFlashStepUs[i + 1] - kFlashStepUs[i]) / 1000
           << ")</td>";
    rows << "<td>" << (f.overlapping ? "overlapping" : "")
         << (f.complete() ? "" : " incomplete") << "</td></tr>\n";
  }
  if (rows.tellp() == 0)
    return;
  html << "<h2>Damage flashes, " << buildName(build)
       << "</h2>\n<table><tr><th>keyboard</th><th>session line</th>"
          "<th>start delay</th><th>red</th><th>dark</th><th>red</th>"
          "<th>note</th></tr>\n"
       << rows.str() << "</table>\n";
}

// The logged calls of one build's boards, readable; nothing for a board
// that logged none.
void writeCallLogs(std::ostream &html, const Timeline &t, const Session &s,
                   Build build) {
  for (Library lib : kAllLibraries) {
    const Keyboard &kb = keyboardOf(lib);
    Board b{lib, build};
    std::ostringstream pre;
    for (const LoggedCall &u : t.loggedCalls) {
      if (u.board != b)
        continue;
      const Call *c = callAt(s, u.line);
      pre << "+" << fmtMs(usToMs(u.us - startOf(t, b))) << " ms  "
          << htmlEscape(abbreviateHex(u.text));
      if (c)
        pre << "    (line " << c->line << ": " << htmlEscape(c->text) << ")";
      pre << '\n';
    }
    if (pre.tellp() > 0)
      html << "<h2>" << kb.callLogTitle << ", " << boardName(b)
           << "</h2>\n<pre>" << pre.str() << "</pre>\n";
  }
}

} // namespace

bool writeReport(const std::string &dir, const Timeline &t, const Session &s,
                 const std::string &sessionText, std::string *error) {
  std::vector<const Picture *> pics = orderedPictures(t);
  std::ofstream states(dir + "/states.txt");
  std::ostringstream html;
  html << "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">"
          "<title>Lighting preview</title><style>"
          "body{background:#111;color:#ddd;font:14px sans-serif;margin:20px}"
          "figure{margin:0 0 24px 0}figcaption{font-family:monospace;"
          "margin-bottom:4px}img{max-width:100%;display:block}"
          "table{border-collapse:collapse}td,th{border:1px solid #444;"
          "padding:3px 8px}pre{background:#1c1c20;padding:8px}"
          "</style></head><body>\n<h1>Lighting preview</h1>\n<ul>\n";
  for (const std::string &line : summaries(t, s))
    html << "<li>" << htmlEscape(line) << "</li>\n";
  html << "</ul>\n";
  for (Build build : kBuilds)
    writeFlashTable(html, t, build);
  html << "<h2>Pictures</h2>\n";
  int seq = 0;
  for (const Picture *p : pics) {
    seq++;
    std::string name = fileName(seq, *p);
    std::string caption = captionOf(t, s, *p);
    std::string path = dir + "/";
    path += name;
    if (!writePng(drawPicture(*p, caption), path)) {
      *error = "cannot write " + path;
      return false;
    }
    states << seq << ' ' << boardSlug(p->board) << " line " << p->line << ' '
           << stateText(*p) << '\n';
    html << "<figure id=\"p" << seq << "\"><figcaption>" << seq << ". "
         << htmlEscape(caption) << " &mdash; " << htmlEscape(p->note)
         << "</figcaption><img src=\"" << name << "\" alt=\""
         << boardName(p->board) << "\"></figure>\n";
  }
  for (Build build : kBuilds)
    writeCallLogs(html, t, s, build);
  html << virtualSection(dir);
  html << "<h2>Session</h2>\n<pre>" << htmlEscape(sessionText)
       << "</pre>\n</body></html>\n";
  std::ofstream out(dir + "/index.html");
  out << html.str();
  if (!out || !states) {
    *error = "cannot write into " + dir;
    return false;
  }
  return true;
}

} // namespace preview
