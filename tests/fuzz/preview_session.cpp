// The preview's session parser with any text: it either keeps every call,
// in time order, with the arguments its method declares, or keeps nothing
// and names at least one bad line.
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "session.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::string text(reinterpret_cast<const char *>(data), size);
  preview::Session session;
  std::vector<std::string> errors;
  bool ok = preview::parseSession(text, &session, &errors);
  FUZZ_REQUIRE(ok == errors.empty());
  if (!ok) {
    FUZZ_REQUIRE(session.calls.empty());
    return 0;
  }
  int64_t last = 0;
  for (const preview::Call &c : session.calls) {
    FUZZ_REQUIRE(c.method && c.timeMs >= last && c.line >= 1);
    FUZZ_REQUIRE(static_cast<int>(c.args.size()) == c.method->argCount);
    for (size_t i = 0; i < c.args.size(); i++)
      FUZZ_REQUIRE(c.args[i].kind == c.method->args[i]);
    last = c.timeMs;
  }
  return 0;
}
