// The stand-in lighting service (tovrik_service.h) for host tests: a
// thread that owns the "TOVRIK TALK" window, records every message it gets,
// and on request sends attach messages and key-bitmap reports to the link's
// window.  The record is one list of every kind of message in the order
// they were posted or sent, each with its send time, so tests assert
// sequences across kinds and time steps by when they were sent rather than
// when a poll noticed them.
#ifndef TOVRIK_FAKE_SERVICE_H
#define TOVRIK_FAKE_SERVICE_H

#include <windows.h>

#include "hostwin_test.h"
#include "tovrik_service.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

struct ServiceEvent {
  UINT msg;
  WPARAM wp;
  LPARAM lp;
  DWORD cbData;     // WM_COPYDATA only
  ULONG_PTR dwData; // WM_COPYDATA only
  std::vector<uint8_t> data;
  hostwin_stamp sent; // order and time of the post or send
};

// Milliseconds from the sending of `a` to that of `b`.
double msBetween(const ServiceEvent &a, const ServiceEvent &b);
// The event as the Windows stand-in logs it (talk::describe), so that host,
// JVM and Wine tests compare the same lines.
std::string describe(const ServiceEvent &e);

class FakeService {
public:
  FakeService();
  ~FakeService(); // destroys the window and ends the thread

  HWND window() const { return service_.window; }
  std::vector<ServiceEvent> events();
  void clear();
  // Waits, pumping the calling thread's messages, until `n` events are in.
  bool waitForEvents(size_t n, int timeoutMs = 5000);

  // Done on the service thread; `send` blocks it until the link has the
  // message (the link's thread must pump or be inside a send of its own).
  void attach(HWND link, UINT msg, LPARAM lp, bool send);
  void report(HWND link, UINT wp, const void *data, DWORD size);
  // From now on, answer every key bitmap the link sends with this report,
  // sent back before the link's send returns.
  void reportWhileHandling(HWND link, std::vector<uint8_t> bytes);
  // From now on, take `ms` over each key bitmap before answering it.
  void slowBitmaps(DWORD ms);

private:
  static DWORD WINAPI threadMain(LPVOID self);
  void runOnServiceThread(std::function<void()> job);
  friend void standin::serviceHeard(standin::Service &, UINT, WPARAM, LPARAM);

  HANDLE thread_ = nullptr;
  standin::Service service_; // its own fields belong to the service thread
  std::atomic<bool> ready_{false};
  std::mutex lock_;
  std::condition_variable changed_;
  std::vector<ServiceEvent> events_;
};

// Handles posted and sent messages of the calling thread until `done`.
bool pumpUntil(const std::function<bool()> &done, int timeoutMs = 5000);

#endif
