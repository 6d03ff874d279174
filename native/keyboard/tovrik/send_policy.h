// When a key bitmap goes to the lighting service.  Plain code, fed times and
// the outcomes of sends and probes, that tells the link what to do with each
// bitmap; the link does the window-system calls around it.
//
// Healthy: every bitmap is sent, waiting for the service at most the full
// send time.  A send that does not go through (the wait ran out, or the
// system deems the service hung) stalls the service:
//   - bitmaps are dropped, with no call to the window system, but a few
//     times a second one of them first asks the service whether it answers
//     (a probe);
//   - a probe that answers proves only that the service's thread handles
//     sent messages.  It ends the stall only when a probe had failed since
//     the send that stalled: the service was hung and has come back, and
//     the bitmap goes at once.  A service that answers probes but did not
//     finish the bitmap stays stalled;
//   - a retry is due one second after the stall began, then two, four and
//     eight seconds after each retry that failed: the link may look for a
//     new instance of the service then, else sends the bitmap waiting the
//     full time.  Probes never move the retry clock.
// Sends that take longer than a frame, several in a row, pace the service:
// after each send the next waits nine times as long as that send took, so
// that waiting for it costs at most a tenth of the time, and each send
// carries the current frame.  The first send that finishes within a few
// milliseconds ends the pacing.
#ifndef TOVRIK_SEND_POLICY_H
#define TOVRIK_SEND_POLICY_H

#include <cstdint>

namespace tovrik {

using Micros = int64_t; // a monotonic clock, in microseconds

enum class SendStep {
  send,  // send the bitmap, waiting up to the full send time
  drop,  // drop it
  probe, // probe the stalled service first; probed() tells whether to send
  retry, // a retry is due: look for a new instance, else send the bitmap
};

class SendPolicy {
public:
  static constexpr Micros kSlowSend = 16000; // longer than about one frame
  static constexpr int kSlowInARow = 3;      // that many slow sends: paced
  static constexpr Micros kQuickSend = 4000; // ends the pacing
  static constexpr int kPacedShare = 10;     // waiting: a tenth of the time
  static constexpr Micros kProbeEvery = 250000;
  static constexpr Micros kFirstRetry = 1000000;
  static constexpr Micros kLastRetry = 8000000;

  SendStep next(Micros now) const;
  // A probe at `now` answered or not; true when the bitmap goes now.
  bool probed(Micros now, bool answered);
  // A bitmap send from `start` to `end` went through (`done`) or not.
  void sent(Micros start, Micros end, bool done);

  bool stalled() const { return stalled_; }
  bool paced() const { return paced_; }

private:
  bool stalled_ = false;
  bool stoppedAnswering_ = false; // a probe failed since the last failed send
  Micros lastProbe_ = 0;
  Micros retryAt_ = 0;
  Micros retryAfter_ = kFirstRetry;
  int slowInARow_ = 0;
  bool paced_ = false;
  Micros nextPaced_ = 0;
};

} // namespace tovrik

#endif
