#include "options.h"
#include "session.h"

#include <gtest/gtest.h>

#include <set>

using namespace preview;

namespace {

std::vector<std::string> errorsOf(const std::string &text) {
  Session s;
  std::vector<std::string> errors;
  EXPECT_FALSE(parseSession(text, &s, &errors));
  EXPECT_TRUE(s.calls.empty()) << "a bad session must keep nothing";
  return errors;
}

Session parsed(const std::string &text) {
  Session s;
  std::vector<std::string> errors;
  EXPECT_TRUE(parseSession(text, &s, &errors))
      << (errors.empty() ? "" : errors[0]);
  return s;
}

} // namespace

TEST(Session, DefaultSessionCallsEveryNativeMethod) {
  std::string text;
  ASSERT_TRUE(readFile(PREVIEW_SOURCE_DIR "/sessions/default.session", &text));
  Session s = parsed(text);
  std::set<const Method *> used;
  int damage[3] = {};
  for (const Call &c : s.calls) {
    used.insert(c.method);
    if (std::string(c.method->name) == "onDamage")
      damage[static_cast<int>(c.method->library)]++;
  }
  for (Library lib : {Library::Tovrik, Library::Duvek, Library::Ulvoran}) {
    int n = 0;
    const Method *m = methodsOf(lib, &n);
    for (int i = 0; i < n; i++)
      EXPECT_TRUE(used.count(&m[i])) << libraryName(lib) << " " << m[i].name;
  }
  // One flash alone and two that overlap, on both keyboards.
  EXPECT_EQ(damage[0], 3);
  EXPECT_EQ(damage[1], 3);
}

TEST(Session, ArgumentsFollowTheJavaTypes) {
  Session s = parsed("# start\n"
                     "\n"
                     "0 tovrik setIlluminatedKeys 1 0x0000FF00\n"
                     "5  tovrik\tdisplayPotionColor 0xFFFFFFFF  # all bits\n"
                     "5 duvek updateHealthAndArmor 0.5 -0.25\n"
                     "7 duvek setShowHealth false\n"
                     "7 duvek setShowArmor 1\n"
                     "9 ulvoran UlvoLedSetLightingFromBitmap ff00*2,7f\n"
                     "9 ulvoran UlvoLedSetLighting -5 2147483647 -2147483648\n"
                     "9 ulvoran UlvoLedPulseSingleKey 1 2 3 4 5 6 7 8 true\n");
  ASSERT_EQ(s.calls.size(), 8u);
  EXPECT_EQ(s.calls[0].line, 3);
  EXPECT_EQ(s.calls[0].args[1].i, 0x0000FF00);
  EXPECT_EQ(s.calls[1].args[0].i, -1);
  EXPECT_EQ(s.calls[1].text, "5 tovrik displayPotionColor 0xFFFFFFFF");
  EXPECT_FLOAT_EQ(s.calls[2].args[1].f, -0.25f);
  EXPECT_FALSE(s.calls[3].args[0].z);
  EXPECT_TRUE(s.calls[4].args[0].z);
  EXPECT_EQ(s.calls[5].args[0].bytes,
            (std::vector<uint8_t>{0xff, 0x00, 0xff, 0x00, 0x7f}));
  EXPECT_EQ(s.calls[6].args[0].i, -5);
  EXPECT_EQ(s.calls[6].args[2].i, INT32_MIN);
  EXPECT_TRUE(s.calls[7].args[8].z);
  EXPECT_EQ(parsed("0 ulvoran UlvoLedSetLightingFromBitmap -\n")
                .calls[0]
                .args[0]
                .bytes.size(),
            0u);
}

TEST(Session, MalformedLinesNameTheirLine) {
  struct Case {
    const char *text;
    const char *error;
  } cases[] = {
      {"0 quorvane init\n", "line 1: unknown library 'quorvane'"},
      {"0 tovrik init0\n", "line 1: tovrik has no native method 'init0'"},
      {"0 duvek Init\n", "line 1: duvek has no native method 'Init'"},
      {"\n\n0 tovrik update now\n", "line 3: tovrik update takes 0"},
      {"0 tovrik setIlluminatedKeys 1\n",
       "line 1: tovrik setIlluminatedKeys takes 2 argument(s), got 1"},
      {"10 tovrik init\n5 tovrik update\n",
       "line 2: time 5 goes back before 10"},
      {"0 tovrik displayPotionColor 0xGG\n",
       "line 1: argument 1 '0xGG' is not an int"},
      {"0 tovrik displayPotionColor 0x100000000\n", "is not an int"},
      {"0 tovrik displayPotionColor 2147483648\n", "is not an int"},
      {"0 tovrik displayPotionColor 1.5\n", "is not an int"},
      {"0 duvek updateHealthAndArmor 0.5 half\n",
       "line 1: argument 2 'half' is not a float"},
      {"0 duvek updateHealthAndArmor nan 0\n", "is not a float"},
      {"0 duvek setShowHealth yes\n", "'yes' is not a boolean"},
      {"0 ulvoran UlvoLedSetLightingFromBitmap abc\n", "is not a byte array"},
      {"0 ulvoran UlvoLedSetLightingFromBitmap ff*x\n", "is not a byte array"},
      {"0 ulvoran UlvoLedSetLightingFromBitmap ff,\n", "is not a byte array"},
      {"-1 tovrik init\n", "line 1: '-1' is not a time"},
      {"1.5 tovrik init\n", "is not a time"},
      {"0 tovrik\n", "line 1: expected '<ms> <library> <method>"},
  };
  for (const Case &c : cases) {
    std::vector<std::string> errors = errorsOf(c.text);
    ASSERT_EQ(errors.size(), 1u) << c.text;
    EXPECT_NE(errors[0].find(c.error), std::string::npos)
        << c.text << " gave: " << errors[0];
  }
}

// A byte array holds at most 1 MiB.  A line of long groups repeated many
// times is refused at its first group past the limit, before the bytes are
// made: built in full, this one would take about 65 GB.
TEST(Session, ByteArraysStopAtTheirLimit) {
  const std::string call = "0 ulvoran UlvoLedSetLightingFromBitmap ";
  EXPECT_EQ(parsed(call + "00112233445566778899aabbccddeeff*65536\n")
                .calls[0]
                .args[0]
                .bytes.size(),
            size_t{1} << 20);
  std::vector<std::string> errors =
      errorsOf(call + "00112233445566778899aabbccddeeff*65536,00\n");
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find("is not a byte array"), std::string::npos);
  std::string group = std::string(2000, 'a') + "*65536";
  std::string huge = group;
  for (int i = 1; i < 1000; i++)
    huge += "," + group;
  EXPECT_EQ(errorsOf(call + huge + "\n").size(), 1u);
  EXPECT_EQ(errorsOf(call + "ff*65537\n").size(), 1u) << "repeat limit";
}

TEST(Session, EveryBadLineIsReportedAndNothingIsKept) {
  std::vector<std::string> errors = errorsOf("0 tovrik init\n"
                                             "50 tovrik bogus\n"
                                             "60 tovrik update\n"
                                             "40 duvek update\n"
                                             "70 duvek update 1\n");
  ASSERT_EQ(errors.size(), 3u);
  EXPECT_EQ(errors[0].rfind("line 2:", 0), 0u);
  EXPECT_EQ(errors[1].rfind("line 4: time 40 goes back before 60", 0), 0u);
  EXPECT_EQ(errors[2].rfind("line 5:", 0), 0u);
  // A bad line's time still counts for the lines after it.
  errors = errorsOf("0 tovrik init\n10 quolvex init\n5 tovrik update\n");
  ASSERT_EQ(errors.size(), 2u);
  EXPECT_EQ(errors[1], "line 3: time 5 goes back before 10");
}

// A line of nothing but spacing (vertical tab and form feed included) is
// blank, not a call without words.
TEST(Session, EqualTimesCommentsAndBlankLinesAreFine) {
  Session s = parsed("0 tovrik init # take over\n"
                     "   0\ttovrik update\n"
                     "# 5 quolvex init: only a comment\n"
                     "\v\f\n");
  ASSERT_EQ(s.calls.size(), 2u);
  EXPECT_EQ(s.calls[1].line, 2);
}

// The programs' options: pairs and flags in any order, the last of a name
// winning; an unknown name or a name whose value is missing is refused.
TEST(Options, PairsAndFlagsAreReadAndMistakesRefused) {
  struct Parsed {
    std::string session, out;
    bool check = false;
    bool ok = false;
  };
  auto parse = [](std::vector<std::string> args) {
    Parsed p;
    const Option table[] = {{"--session", &p.session, nullptr},
                            {"--out", &p.out, nullptr},
                            {"--check", nullptr, &p.check}};
    args.insert(args.begin(), "prog");
    std::vector<char *> argv;
    argv.reserve(args.size());
    for (std::string &a : args)
      argv.push_back(&a[0]);
    p.ok = parseOptions(static_cast<int>(argv.size()), argv.data(), table);
    return p;
  };
  Parsed p = parse({"--out", "a", "--check", "--session", "s", "--out", "b"});
  EXPECT_TRUE(p.ok);
  EXPECT_EQ(p.session, "s");
  EXPECT_EQ(p.out, "b");
  EXPECT_TRUE(p.check);
  EXPECT_TRUE(parse({}).ok);
  EXPECT_FALSE(parse({"--session"}).ok) << "value missing at the end";
  EXPECT_FALSE(parse({"--session", "s", "--bogus", "x"}).ok);
  EXPECT_FALSE(parse({"s"}).ok) << "a value without its name";
  Parsed flagOnly = parse({"--check"});
  EXPECT_TRUE(flagOnly.ok && flagOnly.check && flagOnly.session.empty());
  // A value that looks like an option is still the value.
  EXPECT_EQ(parse({"--session", "--out"}).session, "--out");
}
