// Window messaging: registered message names, window classes, windows owned
// by the thread that made them, a queue per thread, posted and sent messages
// and the pump.  One lock guards every table; each thread waits on its own
// condition variable for work addressed to it.
#include <windows.h>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "handles.h"
#include "hostwin_test.h"

namespace {

struct Queue;

// A message sent from another thread, waiting for its receiver.
struct Sent {
  HWND wnd = nullptr;
  UINT msg = 0;
  WPARAM wp = 0;
  LPARAM lp = 0;
  Queue *sender = nullptr;
  bool done = false;
  bool abandoned = false; // its sender timed out: the receiver deletes it
  LRESULT result = 0;
  COPYDATASTRUCT copy{};
  std::vector<unsigned char> data;
  hostwin_stamp stamp{};
};

struct Queue {
  DWORD threadId = 0;
  std::deque<MSG> posted;
  std::deque<Sent *> sent;
  std::condition_variable cv;
};

struct Window {
  std::wstring cls;
  std::wstring title;
  WNDPROC proc;
  Queue *owner;
  bool messageOnly;
  bool topLevel;
};

struct Class {
  WNDPROC proc;
  int windows = 0;
};

// An event, and the queues of the threads waiting for it.
struct Event : HandleObject {
  Event() : HandleObject(HandleKind::event) {}
  bool manual = false;
  bool signaled = false;
  std::vector<Queue *> waiters;
};

// Never destroyed: a library's static destructors may still use them as the
// process exits.
std::mutex &lock = *new std::mutex;
std::map<std::string, UINT> &names = *new std::map<std::string, UINT>;
UINT nextName = 0xC000;
std::map<std::wstring, Class> &classes = *new std::map<std::wstring, Class>;
std::map<uintptr_t, Window> &windows = *new std::map<uintptr_t, Window>;
uintptr_t nextWindow = 0x1000;
thread_local Queue *ownQueue = nullptr;
uint64_t nextSeq = 1; // under `lock`, so sequence order is queueing order
thread_local hostwin_stamp handling{};
std::atomic<hostwin_post_hook> postHook{nullptr};
std::atomic<hostwin_message_hook> defProcHook{nullptr};
std::atomic<hostwin_message_hook> dispatchHook{nullptr};

hostwin_stamp stampNow() {
  auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
      std::chrono::steady_clock::now().time_since_epoch());
  return hostwin_stamp{nextSeq++, static_cast<int64_t>(ns.count())};
}

// The stamp that hostwin_message_stamp reports while a procedure runs.
struct Handling {
  hostwin_stamp saved;
  explicit Handling(hostwin_stamp now) : saved(handling) { handling = now; }
  ~Handling() { handling = saved; }
  Handling(const Handling &) = delete;
  Handling &operator=(const Handling &) = delete;
};

void dropPending(Queue *q, HWND wnd);

// A thread's windows and queue go with the thread, as on Windows.
void reapQueue() {
  std::lock_guard<std::mutex> g(lock);
  if (!ownQueue)
    return;
  for (auto it = windows.begin(); it != windows.end();) {
    if (it->second.owner != ownQueue) {
      ++it;
      continue;
    }
    auto cls = classes.find(it->second.cls);
    if (cls != classes.end())
      cls->second.windows--;
    dropPending(ownQueue, reinterpret_cast<HWND>(it->first));
    it = windows.erase(it);
  }
  delete ownQueue;
  ownQueue = nullptr;
}

struct QueueReaper {
  ~QueueReaper() { reapQueue(); }
};
thread_local QueueReaper reaper;

Queue *currentQueue() {
  if (!ownQueue) {
    ownQueue = new Queue;
    ownQueue->threadId = GetCurrentThreadId();
    (void)&reaper; // construct it, so that it runs at thread exit
  }
  return ownQueue;
}

uintptr_t key(HWND wnd) { return reinterpret_cast<uintptr_t>(wnd); }

Window *findWindow(HWND wnd) {
  auto it = windows.find(key(wnd));
  return it == windows.end() ? nullptr : &it->second;
}

WNDPROC procOf(HWND wnd) {
  std::lock_guard<std::mutex> g(lock);
  Window *w = findWindow(wnd);
  return w ? w->proc : nullptr;
}

LRESULT callProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  WNDPROC proc = procOf(wnd);
  if (!proc)
    return 0;
  if (hostwin_message_hook hook = dispatchHook.load())
    hook(wnd, msg, wp, lp);
  return proc(wnd, msg, wp, lp);
}

void finishSent(Sent *s, LRESULT result) {
  if (s->abandoned) {
    delete s;
    return;
  }
  s->result = result;
  s->done = true;
  s->sender->cv.notify_all();
}

// Handles every message sent to this thread's windows.  Called with the
// lock held; the lock is released around each window procedure.
void handleSent(std::unique_lock<std::mutex> &g, Queue *q) {
  while (!q->sent.empty()) {
    Sent *s = q->sent.front();
    q->sent.pop_front();
    g.unlock();
    LRESULT r;
    {
      Handling h(s->stamp);
      r = callProc(s->wnd, s->msg, s->wp, s->lp);
    }
    g.lock();
    finishSent(s, r);
  }
}

void post(Queue *q, HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  MSG m{};
  m.hwnd = wnd;
  m.message = msg;
  m.wParam = wp;
  m.lParam = lp;
  m.stamp = stampNow();
  q->posted.push_back(m);
  q->cv.notify_all();
}

// The receiver sees its own copy of the data block, as across processes.
void copyData(Sent *s) {
  const auto *cds = reinterpret_cast<const COPYDATASTRUCT *>(s->lp);
  if (!cds)
    return;
  s->copy = *cds;
  if (cds->lpData && cds->cbData) {
    const auto *p = static_cast<const unsigned char *>(cds->lpData);
    s->data.assign(p, p + cds->cbData);
    s->copy.lpData = s->data.data();
  } else {
    s->copy.lpData = nullptr;
  }
  s->lp = reinterpret_cast<LPARAM>(&s->copy);
}

bool matches(const std::wstring &have, LPCWSTR want) {
  return !want || have == want;
}

// Sends `s` and waits for its result, handling the messages sent to this
// thread meanwhile unless `block`; false when `deadline` passed first.  A
// heap-allocated `s` left waiting at the deadline is taken back from the
// receiver's queue, or, once taken, handed to the receiver to delete.
bool sendAndWait(std::unique_lock<std::mutex> &g, Window *w, Sent *s,
                 bool block,
                 const std::chrono::steady_clock::time_point *deadline) {
  Queue *self = currentQueue();
  s->sender = self;
  s->stamp = stampNow();
  if (s->msg == WM_COPYDATA)
    copyData(s);
  Queue *receiver = w->owner;
  receiver->sent.push_back(s);
  receiver->cv.notify_all();
  while (!s->done) {
    if (!block)
      handleSent(g, self);
    if (s->done)
      break;
    if (!deadline) {
      self->cv.wait(g);
    } else if (self->cv.wait_until(g, *deadline) == std::cv_status::timeout &&
               !s->done) {
      for (auto it = receiver->sent.begin(); it != receiver->sent.end(); ++it)
        if (*it == s) {
          receiver->sent.erase(it);
          delete s;
          return false;
        }
      s->abandoned = true;
      return false;
    }
  }
  return true;
}

// Fails every message still waiting for a destroyed window.
void dropPending(Queue *q, HWND wnd) {
  for (auto it = q->posted.begin(); it != q->posted.end();)
    it = it->hwnd == wnd ? q->posted.erase(it) : it + 1;
  for (auto it = q->sent.begin(); it != q->sent.end();) {
    if ((*it)->wnd == wnd) {
      finishSent(*it, 0);
      it = q->sent.erase(it);
    } else {
      ++it;
    }
  }
}

} // namespace

extern "C" {

UINT WINAPI RegisterWindowMessageA(LPCSTR name) {
  if (!name || !*name)
    return 0;
  std::lock_guard<std::mutex> g(lock);
  auto it = names.find(name);
  if (it != names.end())
    return it->second;
  if (nextName > 0xFFFF)
    return 0;
  names[name] = nextName;
  return nextName++;
}

ATOM WINAPI RegisterClassExW(const WNDCLASSEXW *wc) {
  if (!wc || wc->cbSize != sizeof(WNDCLASSEXW) || !wc->lpszClassName ||
      !wc->lpfnWndProc)
    return 0;
  std::lock_guard<std::mutex> g(lock);
  if (classes.count(wc->lpszClassName)) {
    SetLastError(1410); // ERROR_CLASS_ALREADY_EXISTS
    return 0;
  }
  classes[wc->lpszClassName] = Class{wc->lpfnWndProc};
  return static_cast<ATOM>(0xC000 + classes.size());
}

BOOL WINAPI UnregisterClassW(LPCWSTR name, HINSTANCE) {
  std::lock_guard<std::mutex> g(lock);
  auto it = name ? classes.find(name) : classes.end();
  if (it == classes.end() || it->second.windows > 0)
    return FALSE;
  classes.erase(it);
  return TRUE;
}

BOOL WINAPI GetClassInfoExW(HINSTANCE, LPCWSTR name, WNDCLASSEXW *wc) {
  std::lock_guard<std::mutex> g(lock);
  auto it = name ? classes.find(name) : classes.end();
  if (it == classes.end())
    return FALSE;
  *wc = WNDCLASSEXW{};
  wc->cbSize = sizeof *wc;
  wc->lpfnWndProc = it->second.proc;
  wc->lpszClassName = name;
  return TRUE;
}

HWND WINAPI CreateWindowExW(DWORD, LPCWSTR className, LPCWSTR windowName, DWORD,
                            int, int, int, int, HWND parent, HMENU, HINSTANCE,
                            LPVOID) {
  HWND wnd;
  {
    std::lock_guard<std::mutex> g(lock);
    auto it = className ? classes.find(className) : classes.end();
    if (it == classes.end()) {
      SetLastError(1407); // ERROR_CANNOT_FIND_WND_CLASS
      return nullptr;
    }
    it->second.windows++;
    wnd = reinterpret_cast<HWND>(nextWindow);
    nextWindow += 4;
    bool messageOnly = parent == HWND_MESSAGE;
    windows[key(wnd)] = Window{className,       windowName ? windowName : L"",
                               it->second.proc, currentQueue(),
                               messageOnly,     !messageOnly && !parent};
  }
  callProc(wnd, 0x0081 /* WM_NCCREATE */, 0, 0);
  callProc(wnd, 0x0001 /* WM_CREATE */, 0, 0);
  return wnd;
}

BOOL WINAPI DestroyWindow(HWND wnd) {
  {
    std::lock_guard<std::mutex> g(lock);
    Window *w = findWindow(wnd);
    if (!w || w->owner != ownQueue) {
      SetLastError(w ? 5 : 1400); // ERROR_ACCESS_DENIED, INVALID_WINDOW_HANDLE
      return FALSE;
    }
  }
  callProc(wnd, WM_DESTROY, 0, 0);
  callProc(wnd, 0x0082 /* WM_NCDESTROY */, 0, 0);
  std::lock_guard<std::mutex> g(lock);
  Window *w = findWindow(wnd);
  if (!w)
    return TRUE;
  auto cls = classes.find(w->cls);
  if (cls != classes.end())
    cls->second.windows--;
  dropPending(w->owner, wnd);
  windows.erase(key(wnd));
  return TRUE;
}

BOOL WINAPI IsWindow(HWND wnd) {
  std::lock_guard<std::mutex> g(lock);
  return findWindow(wnd) != nullptr;
}

LONG_PTR WINAPI SetWindowLongPtrW(HWND wnd, int index, LONG_PTR value) {
  std::lock_guard<std::mutex> g(lock);
  Window *w = findWindow(wnd);
  if (!w || index != GWLP_WNDPROC)
    return 0;
  auto old = reinterpret_cast<LONG_PTR>(w->proc);
  w->proc = reinterpret_cast<WNDPROC>(value);
  return old;
}

ULONG_PTR WINAPI SetClassLongPtrW(HWND wnd, int index, LONG_PTR value) {
  std::lock_guard<std::mutex> g(lock);
  Window *w = findWindow(wnd);
  auto cls = w ? classes.find(w->cls) : classes.end();
  if (cls == classes.end() || index != GCLP_WNDPROC)
    return 0;
  auto old = reinterpret_cast<ULONG_PTR>(cls->second.proc);
  cls->second.proc = reinterpret_cast<WNDPROC>(value);
  return old;
}

LRESULT WINAPI DefWindowProcW(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (hostwin_message_hook hook = defProcHook.load())
    hook(wnd, msg, wp, lp);
  if (msg == WM_CLOSE)
    DestroyWindow(wnd);
  return 0;
}

HWND WINAPI FindWindowW(LPCWSTR className, LPCWSTR windowName) {
  std::lock_guard<std::mutex> g(lock);
  for (auto &[id, w] : windows)
    if (w.topLevel && matches(w.cls, className) && matches(w.title, windowName))
      return reinterpret_cast<HWND>(id);
  return nullptr;
}

HWND WINAPI FindWindowExW(HWND parent, HWND after, LPCWSTR className,
                          LPCWSTR windowName) {
  std::lock_guard<std::mutex> g(lock);
  bool messageOnly = parent == HWND_MESSAGE;
  auto it = after ? windows.upper_bound(key(after)) : windows.begin();
  for (; it != windows.end(); ++it) {
    const Window &w = it->second;
    bool level = messageOnly ? w.messageOnly : (!parent && w.topLevel);
    if (level && matches(w.cls, className) && matches(w.title, windowName))
      return reinterpret_cast<HWND>(it->first);
  }
  return nullptr;
}

BOOL WINAPI PostMessageW(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (hostwin_post_hook hook = postHook.load())
    hook(wnd, msg, wp, lp);
  std::lock_guard<std::mutex> g(lock);
  if (!wnd) {
    post(currentQueue(), nullptr, msg, wp, lp);
    return TRUE;
  }
  if (wnd == HWND_BROADCAST) {
    for (auto &[id, w] : windows)
      if (w.topLevel)
        post(w.owner, reinterpret_cast<HWND>(id), msg, wp, lp);
    return TRUE;
  }
  Window *w = findWindow(wnd);
  if (!w) {
    SetLastError(1400); // ERROR_INVALID_WINDOW_HANDLE
    return FALSE;
  }
  post(w->owner, wnd, msg, wp, lp);
  return TRUE;
}

LRESULT WINAPI SendMessageW(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(wnd, msg, wp, lp, SMTO_NORMAL, INFINITE, &result);
  return static_cast<LRESULT>(result);
}

LRESULT WINAPI SendMessageTimeoutW(HWND wnd, UINT msg, WPARAM wp, LPARAM lp,
                                   UINT flags, UINT ms, PDWORD_PTR result) {
  std::unique_lock<std::mutex> g(lock);
  Window *w = findWindow(wnd);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  LRESULT r;
  if (w->owner == currentQueue()) {
    WNDPROC proc = w->proc;
    Handling h(stampNow());
    g.unlock();
    r = proc(wnd, msg, wp, lp);
  } else {
    auto *s = new Sent;
    s->wnd = wnd;
    s->msg = msg;
    s->wp = wp;
    s->lp = lp;
    auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    if (!sendAndWait(g, w, s, (flags & SMTO_BLOCK) != 0,
                     ms == INFINITE ? nullptr : &deadline)) {
      SetLastError(ERROR_TIMEOUT);
      return 0;
    }
    r = s->result;
    delete s;
  }
  if (result)
    *result = static_cast<DWORD_PTR>(r);
  return 1;
}

HANDLE WINAPI CreateEventW(SECURITY_ATTRIBUTES *, BOOL manual, BOOL initial,
                           LPCWSTR) {
  auto *e = new Event;
  e->manual = manual != 0;
  e->signaled = initial != 0;
  return e;
}

BOOL WINAPI SetEvent(HANDLE event) {
  if (!event)
    return FALSE;
  std::lock_guard<std::mutex> g(lock);
  auto *e = static_cast<Event *>(event);
  e->signaled = true;
  for (Queue *q : e->waiters)
    q->cv.notify_all();
  return TRUE;
}

// Waits on the thread's own condition variable, which SetEvent and every
// message sent to the thread notify.
DWORD WINAPI MsgWaitForMultipleObjectsEx(DWORD count, const HANDLE *handles,
                                         DWORD ms, DWORD wakeMask, DWORD) {
  std::unique_lock<std::mutex> g(lock);
  Queue *q = currentQueue();
  auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  for (;;) {
    for (DWORD i = 0; i < count; i++) {
      auto *e = static_cast<Event *>(handles[i]);
      if (e->signaled) {
        e->signaled = e->manual;
        return WAIT_OBJECT_0 + i;
      }
    }
    if ((wakeMask & QS_SENDMESSAGE) && !q->sent.empty())
      return WAIT_OBJECT_0 + count;
    for (DWORD i = 0; i < count; i++)
      static_cast<Event *>(handles[i])->waiters.push_back(q);
    bool timedOut = ms != INFINITE &&
                    q->cv.wait_until(g, deadline) == std::cv_status::timeout;
    if (ms == INFINITE)
      q->cv.wait(g);
    for (DWORD i = 0; i < count; i++) {
      auto &w = static_cast<Event *>(handles[i])->waiters;
      w.erase(std::find(w.begin(), w.end(), q));
    }
    if (timedOut)
      return WAIT_TIMEOUT;
  }
}

BOOL WINAPI PeekMessageW(MSG *msg, HWND, UINT, UINT, UINT remove) {
  std::unique_lock<std::mutex> g(lock);
  Queue *q = currentQueue();
  handleSent(g, q);
  if ((remove & PM_QS_SENDMESSAGE) == PM_QS_SENDMESSAGE || q->posted.empty())
    return FALSE;
  *msg = q->posted.front();
  if (remove & PM_REMOVE)
    q->posted.pop_front();
  return TRUE;
}

BOOL WINAPI GetMessageW(MSG *msg, HWND, UINT, UINT) {
  std::unique_lock<std::mutex> g(lock);
  Queue *q = currentQueue();
  for (;;) {
    handleSent(g, q);
    if (!q->posted.empty())
      break;
    q->cv.wait(g);
  }
  *msg = q->posted.front();
  q->posted.pop_front();
  return msg->message != WM_QUIT;
}

BOOL WINAPI TranslateMessage(const MSG *) { return FALSE; }

LRESULT WINAPI DispatchMessageW(const MSG *msg) {
  if (!msg || !msg->hwnd)
    return 0;
  Handling h(msg->stamp);
  return callProc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

void WINAPI PostQuitMessage(int code) {
  std::lock_guard<std::mutex> g(lock);
  post(currentQueue(), nullptr, WM_QUIT, static_cast<WPARAM>(code), 0);
}

DWORD WINAPI GetWindowThreadProcessId(HWND wnd, LPDWORD pid) {
  std::lock_guard<std::mutex> g(lock);
  Window *w = findWindow(wnd);
  if (!w)
    return 0;
  if (pid)
    *pid = static_cast<DWORD>(getpid());
  return w->owner->threadId;
}

hostwin_stamp hostwin_message_stamp(void) { return handling; }

void hostwin_set_post_hook(hostwin_post_hook hook) { postHook.store(hook); }

void hostwin_set_defproc_hook(hostwin_message_hook hook) {
  defProcHook.store(hook);
}

void hostwin_set_dispatch_hook(hostwin_message_hook hook) {
  dispatchHook.store(hook);
}

int hostwin_live_windows(void) {
  std::lock_guard<std::mutex> g(lock);
  return static_cast<int>(windows.size());
}

} // extern "C"

void endThreadMessaging() { reapQueue(); }

void closeEvent(HANDLE event) {
  std::lock_guard<std::mutex> g(lock);
  delete static_cast<Event *>(event);
}
