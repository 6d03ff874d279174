#include "send_policy.h"

namespace tovrik {

SendStep SendPolicy::next(Micros now) const {
  if (stalled_) {
    if (now >= retryAt_)
      return SendStep::retry;
    return now - lastProbe_ >= kProbeEvery ? SendStep::probe : SendStep::drop;
  }
  return paced_ && now < nextPaced_ ? SendStep::drop : SendStep::send;
}

bool SendPolicy::probed(Micros now, bool answered) {
  lastProbe_ = now;
  if (!answered) {
    stoppedAnswering_ = true;
    return false;
  }
  return stoppedAnswering_;
}

void SendPolicy::sent(Micros start, Micros end, bool done) {
  if (!done) {
    // A service that stalls again, after a probe or a retry let a bitmap
    // through to it, waits longer for its next retry.
    if (stalled_) {
      Micros longer = retryAfter_ * 2;
      retryAfter_ = longer < kLastRetry ? longer : kLastRetry;
      retryAt_ = end + retryAfter_;
    } else {
      stalled_ = true;
      retryAfter_ = kFirstRetry;
      retryAt_ = end + kFirstRetry;
    }
    stoppedAnswering_ = false;
    lastProbe_ = end;
    slowInARow_ = 0;
    paced_ = false;
    return;
  }
  stalled_ = false;
  stoppedAnswering_ = false;
  retryAfter_ = kFirstRetry;
  Micros took = end - start;
  slowInARow_ = took > kSlowSend ? slowInARow_ + 1 : 0;
  if (slowInARow_ >= kSlowInARow)
    paced_ = true;
  if (took <= kQuickSend)
    paced_ = false;
  if (paced_)
    nextPaced_ = end + took * (kPacedShare - 1);
}

} // namespace tovrik
