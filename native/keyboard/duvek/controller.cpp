// Drawing on the host's threads: the steady-state picture and the potion
// colour.  The blocks live on this thread's stack for the length of the call.
#include "duvek.h"

namespace duvek {

int32_t renderFrame() {
  if (controllerState.flashing.load(std::memory_order_acquire))
    return -1;
  DrawTicket ticket;
  if (!beginDraw(&ticket))
    return -1;
  KeyGridEffect effect;
  composeSteadyState(readSteadyInputs(), &effect);
  int32_t rc = ticket.draw(EffectKeyGrid, &effect, nullptr);
  endDraw();
  return rc;
}

void displayPotionColor(int32_t javaColor) {
  DrawTicket ticket;
  if (!beginDraw(&ticket))
    return;
  uint32_t color = toEffectColor(javaColor);
  ticket.draw(EffectSingleColor, &color, nullptr);
  endDraw();
}

} // namespace duvek
