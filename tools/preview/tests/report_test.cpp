#include "draw.h"
#include "duvek.h"
#include "report.h"
#include "runs.h"
#include "tovrik.h"

#include <gtest/gtest.h>
#include <stb/stb_easy_font.h>

#include <cstdio>
#include <cstdlib>
#include <string>

using namespace preview;

namespace {

uint32_t be32(const std::string &s, size_t at) {
  return static_cast<uint8_t>(s[at]) << 24 |
         static_cast<uint8_t>(s[at + 1]) << 16 |
         static_cast<uint8_t>(s[at + 2]) << 8 | static_cast<uint8_t>(s[at + 3]);
}

size_t count(const std::string &hay, const std::string &needle) {
  size_t n = 0;
  for (size_t p = hay.find(needle); p != std::string::npos;
       p = hay.find(needle, p + 1))
    n++;
  return n;
}

RunLogs logs(const PlayerLog &player, const std::string &lib) {
  return RunLogs{player, parseLogText(lib)};
}

std::string tempDir() {
  char tmpl[] = "/tmp/preview-report-XXXXXX";
  return mkdtemp(tmpl) ? tmpl : "";
}

std::string fileText(const std::string &path) {
  std::string text;
  EXPECT_TRUE(readFile(path, &text)) << path;
  return text;
}

// The quads the font gives the text from a buffer that cannot run out.
int fontQuads(const std::string &text) {
  std::vector<float> ample(text.size() * 64 * 16 + 16);
  std::string copy = text;
  return stb_easy_font_print(0, 0, &copy[0], nullptr, ample.data(),
                             static_cast<int>(ample.size() * sizeof(float)));
}

} // namespace

// The labels and the pages (session lines, notes) draw printable ASCII
// only, the font's whole range.  Every character keeps all its quads, alone
// as a one-character label and in a long line ("8" and "X" once lost their
// last strokes).
TEST(Report, EveryCharacterDrawsAllItsQuads) {
  std::string labels;
  for (int i = 0; i < kTovrikKeys; i++)
    labels += tovrikKeys()[i].label;
  for (int r = 0; r < kDuvekRows; r++)
    for (int c = 0; c < kDuvekColumns; c++)
      labels += duvekCellLabel(r, c) ? duvekCellLabel(r, c) : "";
  for (char c : labels)
    EXPECT_TRUE(c >= ' ' && c <= '~')
        << "label character " << static_cast<int>(c);
  std::vector<float> vertices;
  for (char c = ' '; c <= '~'; c++) {
    for (const std::string &text : {std::string(1, c), std::string(200, c)})
      EXPECT_EQ(textQuads(text, &vertices), fontQuads(text))
          << '"' << c << "\" x " << text.size();
  }
  // Bytes without a glyph draw as '?', never from outside the font's tables.
  EXPECT_EQ(textQuads("\x01\xC3\xA9\x7F", &vertices), fontQuads("????"));
  EXPECT_EQ(textWidth("\x01\xC3\xA9\x7F", 1), textWidth("????", 1));
}

// Both builds played the same session: each build's boards keep their own
// state, and the page, the PNG names and states.txt name the build.
TEST(Report, WritesOnePngPerPictureAndAnIndexPerBuild) {
  const char *text = "0 tovrik init\n10 tovrik update\n"
                     "10 duvek displayPotionColor 0x00FF0000\n"
                     "20 ulvoran UlvoLedSetLighting 0 0 100\n";
  Session s;
  std::vector<std::string> errors;
  ASSERT_TRUE(parseSession(text, &s, &errors));
  PlayerLog player = readPlayerLog(parseLogText(
      "0 start\n1 call 1\n10000 call 2\n10005 call 3\n20000 call 4\n"));
  const char *frame = "10100 keys 20 000000000000026000020000000001"
                      "0000000000\n";
  Timeline t;
  addBoard(&t, {Library::Tovrik, Build::X86}, s,
           logs(player, std::string("5 led-control 15 1\n") + frame));
  addBoard(&t, {Library::Duvek, Build::X86}, s,
           logs(player, "10200 CreateKeyboardEffect 4 ff000000 null -> 0\n"));
  addBoard(&t, {Library::Ulvoran, Build::X86}, s,
           logs(player, "20010 UlvoLedSetLighting 0 0 100 -> 1\n"));
  // The 64-bit run's Tovrik board got a blue colour post, its engine red.
  addBoard(&t, {Library::Tovrik, Build::X64}, s,
           logs(player, std::string("5 led-control 15 1\n"
                                    "10050 light-control 0x00010102 0xFF\n") +
                            frame));
  addBoard(&t, {Library::Ulvoran, Build::X64}, s,
           logs(player, "20010 UlvoLedSetLighting 100 0 0 -> 1\n"));
  ASSERT_EQ(t.pictures.size(), 7u);

  std::string dir = tempDir(), error;
  ASSERT_FALSE(dir.empty());
  ASSERT_TRUE(writeReport(dir, t, s, text, &error)) << error;

  std::string html = fileText(dir + "/index.html");
  EXPECT_EQ(count(html, "<img src="), 7u);
  EXPECT_NE(html.find("tovrik x86  +10.1 ms  line 2: 10 tovrik update"),
            std::string::npos);
  EXPECT_NE(html.find("tovrik x64  +10.1 ms  line 2: 10 tovrik update"),
            std::string::npos);
  EXPECT_NE(html.find("LED engine log, ulvoran x86</h2>\n<pre>+20.0 ms  "
                      "UlvoLedSetLighting 0 0 100 -&gt; 1"),
            std::string::npos);
  EXPECT_NE(html.find("LED engine log, ulvoran x64</h2>\n<pre>+20.0 ms  "
                      "UlvoLedSetLighting 100 0 0 -&gt; 1"),
            std::string::npos);
  std::string png = fileText(dir + "/002-tovrik-x86.png");
  ASSERT_GT(png.size(), 24u);
  EXPECT_EQ(png.substr(1, 3), "PNG");
  EXPECT_GT(be32(png, 16), 900u) << "width";
  EXPECT_GT(be32(png, 20), 200u) << "height";
  EXPECT_EQ(fileText(dir + "/006-tovrik-x64.png").substr(1, 3), "PNG");
  // The 32-bit run's pictures first, each build's in time order.
  std::string states = fileText(dir + "/states.txt");
  EXPECT_NE(states.find("2 tovrik-x86 line 2 colour ffffff control on lit 41:W "
                        "62:A 63:S 64:D 100:Space\n"),
            std::string::npos)
      << states;
  EXPECT_NE(states.find("3 duvek-x86 line 3 effect 4 cells 0000=ff0000"),
            std::string::npos);
  EXPECT_NE(states.find("6 tovrik-x64 line 2 colour 0000ff control on lit 41:W "
                        "62:A 63:S 64:D 100:Space\n"),
            std::string::npos);
  EXPECT_NE(states.find("7 ulvoran-x64 line 4 colour ff0000"),
            std::string::npos);
  std::vector<std::string> lines = summaries(t, s);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[3].rfind("tovrik x64: 2 calls, 2 pictures", 0), 0u);
  if (!::testing::Test::HasFailure())
    std::system(("rm -rf " + dir).c_str());

  std::string term = terminalBoard(t.pictures[2]);
  EXPECT_NE(term.find("\x1b[48;2;255;0;0m"), std::string::npos);
  EXPECT_EQ(count(term, "\n"), 6u);
}

// The recorded 64-bit run of the default session: all three libraries, each
// Tovrik and Duvek flash timed in full, a page that names only that build
// when no 32-bit run is given, and every picture's key states exactly as
// recorded in the fixture's states.txt.
TEST(Report, RecordedRunOfOneBuildDrawsOnlyItsBoards) {
  std::string text;
  ASSERT_TRUE(readFile(PREVIEW_SOURCE_DIR "/sessions/default.session", &text));
  Session s;
  std::vector<std::string> errors;
  ASSERT_TRUE(parseSession(text, &s, &errors));
  Timeline t;
  addRun(&t, Build::X64, s, PREVIEW_SOURCE_DIR "/tests/fixture/x64");
  int pictures[kLibraries] = {}, flashes[kLibraries] = {};
  for (const Picture &p : t.pictures) {
    EXPECT_EQ(p.board.build, Build::X64);
    pictures[static_cast<int>(p.board.library)]++;
  }
  for (const FlashTiming &f : t.flashes) {
    EXPECT_TRUE(f.complete()) << boardName(f.board) << " line " << f.line;
    flashes[static_cast<int>(f.board.library)]++;
  }
  for (int i = 0; i < kLibraries; i++)
    EXPECT_GT(pictures[i], 0) << libraryName(static_cast<Library>(i));
  EXPECT_EQ(flashes[0], 3);
  EXPECT_EQ(flashes[1], 3);

  std::string dir = tempDir(), error;
  ASSERT_FALSE(dir.empty());
  ASSERT_TRUE(writeReport(dir, t, s, text, &error)) << error;
  std::string html = fileText(dir + "/index.html");
  EXPECT_EQ(html.find("x86"), std::string::npos);
  for (const char *heading :
       {"Damage flashes, x64", "alt=\"tovrik x64\"", "alt=\"duvek x64\"",
        "LED engine log, ulvoran x64"})
    EXPECT_NE(html.find(heading), std::string::npos) << heading;
  // GoogleTest shows a line diff of the two texts when they differ.
  EXPECT_EQ(fileText(dir + "/states.txt"),
            fileText(PREVIEW_SOURCE_DIR "/tests/fixture/x64/states.txt"));
  if (!::testing::Test::HasFailure())
    std::system(("rm -rf " + dir).c_str());
}
