#include "doctor.h"

namespace doctor {

Report runDoctor(const Options &options) {
  Report report;
  report.bits = options.bits;
  report.keyboards.push_back(checkTovrik());
  report.keyboards.push_back(checkDuvek(options));
  report.keyboards.push_back(checkLedEngine(options));
  return report;
}

} // namespace doctor
