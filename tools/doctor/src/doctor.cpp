#include "doctor.h"

namespace doctor {

Report runDoctor(const Options &options) {
  Report report;
  report.bits = options.bits;
  if (options.keyboards & kTovrik)
    report.keyboards.push_back(checkTovrik());
  if (options.keyboards & kDuvek)
    report.keyboards.push_back(checkDuvek(options));
  if (options.keyboards & kLed)
    report.keyboards.push_back(checkLedEngine(options));
  if (options.named)
    for (Keyboard &k : report.keyboards)
      k.expected();
  return report;
}

} // namespace doctor
