#include "live.h"
#include "report.h"

#include <gtest/gtest.h>

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

} // namespace

TEST(Report, WritesOnePngPerPictureAndAnIndex) {
  const char *text = "0 tovrik init\n10 tovrik update\n"
                     "10 duvek displayPotionColor 0x00FF0000\n"
                     "20 ulvoran UlvoLedSetLighting 0 0 100\n";
  Session s;
  std::vector<std::string> errors;
  ASSERT_TRUE(parseSession(text, &s, &errors));
  Timeline t;
  RunLogs tv{readPlayerLog(parseLogText("0 start\n1 call 1\n10000 call 2\n"
                                        "10005 call 3\n20000 call 4\n")),
             parseLogText("5 led-control 15 1\n"
                          "10100 keys 20 "
                          "000000000000026000020000000001 0000000000\n")};
  tv.lines[1].words[2] += tv.lines[1].words[3];
  tv.lines[1].words.pop_back();
  addBoard(&t, Board::Tovrik, s, tv);
  RunLogs dv{tv.player,
             parseLogText("10200 CreateKeyboardEffect 4 ff000000 null -> 0\n")};
  addBoard(&t, Board::Duvek, s, dv);
  RunLogs uv{tv.player,
             parseLogText("20010 UlvoLedSetLighting 0 0 100 -> 1\n")};
  addBoard(&t, Board::UlvoranX86, s, uv);
  ASSERT_EQ(t.pictures.size(), 4u);

  char tmpl[] = "/tmp/preview-report-XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  std::string dir = tmpl, error;
  ASSERT_TRUE(writeReport(dir, t, s, text, &error)) << error;

  std::string html, png, states;
  ASSERT_TRUE(readFile(dir + "/index.html", &html));
  EXPECT_EQ(count(html, "<img src="), 4u);
  EXPECT_NE(html.find("line 2: 10 tovrik update"), std::string::npos);
  EXPECT_NE(html.find("UlvoLedSetLighting 0 0 100 -&gt; 1"), std::string::npos);
  ASSERT_TRUE(readFile(dir + "/002-tovrik.png", &png));
  ASSERT_GT(png.size(), 24u);
  EXPECT_EQ(png.substr(1, 3), "PNG");
  EXPECT_GT(be32(png, 16), 900u) << "width";
  EXPECT_GT(be32(png, 20), 200u) << "height";
  ASSERT_TRUE(readFile(dir + "/states.txt", &states));
  EXPECT_NE(states.find("2 tovrik line 2 colour ffffff control on lit 41:W "
                        "62:A 63:S 64:D 100:Space\n"),
            std::string::npos)
      << states;
  EXPECT_NE(states.find("3 duvek line 3 effect 4 cells 0000=ff0000"),
            std::string::npos);
  if (!::testing::Test::HasFailure())
    std::system(("rm -rf " + dir).c_str());

  std::string term = terminalBoard(t.pictures[2]);
  EXPECT_NE(term.find("\x1b[48;2;255;0;0m"), std::string::npos);
  EXPECT_EQ(count(term, "\n"), 6u);
}
