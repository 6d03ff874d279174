// The verdict for the player from each keyboard's, the last line that says
// it, the JSON that carries it, and where the text goes in which encoding.
#include "report.h"
#include "text_sink.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

namespace doctor {
namespace {

Keyboard keyboard(const char *name, Verdict v) {
  Keyboard k;
  k.id = name;
  k.name = name;
  if (v == Verdict::kNotFound)
    k.notFound("no trace", "install it");
  if (v == Verdict::kProblem)
    k.finding(kHung, "hung", "restart it");
  return k;
}

Report report(std::vector<Verdict> verdicts) {
  Report r;
  r.bits = 64;
  const char *names[] = {"Tovrik", "Duvek", "LED engine"};
  for (size_t i = 0; i < verdicts.size(); i++)
    r.keyboards.push_back(keyboard(names[i], verdicts[i]));
  return r;
}

std::string lastLine(const Report &r) {
  std::string text = textOf(r);
  text.pop_back();
  return text.substr(text.rfind('\n') + 1);
}

TEST(Report, ReadyWhenOneIsAndNoneHasAProblem) {
  using V = Verdict;
  Report one = report({V::kReady, V::kNotFound, V::kNotFound});
  EXPECT_TRUE(one.ready());
  EXPECT_EQ(lastLine(one), "Ready for a 64-bit game: Tovrik. Not found: "
                           "Duvek, LED engine (no problem if you do not "
                           "have them).");
  EXPECT_FALSE(report({V::kReady, V::kProblem, V::kNotFound}).ready());
  EXPECT_FALSE(report({V::kProblem, V::kReady, V::kReady}).ready());
  Report none = report({V::kNotFound, V::kNotFound, V::kNotFound});
  EXPECT_FALSE(none.ready());
  EXPECT_EQ(lastLine(none).rfind("No keyboard's software was found", 0), 0u);
}

TEST(Report, ANamedKeyboardNotFoundIsAProblem) {
  Report r = report({Verdict::kReady, Verdict::kNotFound});
  r.keyboards[1].expected();
  EXPECT_EQ(r.keyboards[1].verdict(), Verdict::kProblem);
  EXPECT_FALSE(r.ready());
  auto json = nlohmann::json::parse(jsonOf(r));
  EXPECT_EQ(json["verdict"], "problem");
  EXPECT_EQ(json["keyboards"][1]["findings"][0]["kind"], "missing");
  EXPECT_EQ(json["keyboards"][0]["verdict"], "ready");
}

TEST(TextSink, OnlyAConsoleGetsUtf16) {
  EXPECT_EQ(sinkFor(true, true), Sink::kConsole);
  EXPECT_EQ(sinkFor(true, false), Sink::kUtf8);  // NUL, a serial port
  EXPECT_EQ(sinkFor(false, false), Sink::kUtf8); // a file or a pipe
}

} // namespace
} // namespace doctor
