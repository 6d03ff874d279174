// The service side of the Tovrik talk protocol, shared by the test
// stand-in (tovrik_service.cpp, built for the host tests and for Windows)
// and the virtual lighting service (tools/virtual): the six registered
// messages, the service's window, the answer to a discover broadcast,
// key-bitmap reports, and what a message from the link says as one line of
// text.
//
// The text is the stand-in's log format, which the preview's renderer reads
// back (tools/preview/src/lighting.cpp): the virtual service feeds the same
// lines to the same reader, so both show a message the same way.
//   discover 0x<wParam>
//   led-control <wParam> <lParam>          (decimal)
//   light-control 0x<wParam> 0x<lParam>
//   keys <cbData> <hex of up to 256 bytes of the data>
//   msg 0x<msg> 0x<wParam> 0x<lParam>      (any other message from WM_USER)
// Parameters are written at their full width, so a 64-bit sender's stray
// upper bits show.  Header-only, so that each program that speaks the
// protocol, whatever its compiler and bitness, builds it with its own
// sources.
#ifndef TOVRIK_TALK_SERVICE_H
#define TOVRIK_TALK_SERVICE_H

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace talk {

const wchar_t kServiceName[] = L"TOVRIK TALK";
const wchar_t kLinkClass[] = L"Vesk MK Pro SDK Class";
constexpr DWORD kBitmapBytes = 15;

struct Ids {
  UINT ledDiscover, ledAttach, ledControl;
  UINT lightDiscover, lightAttach, lightControl;
};

// The six names, in the order the link registers them.
inline Ids registerIds() {
  Ids ids{};
  ids.ledDiscover =
      RegisterWindowMessageA("WM_TOVRIK_TALK_LED_CONTROL_API_DISCOVER");
  ids.ledAttach =
      RegisterWindowMessageA("WM_TOVRIK_TALK_LED_CONTROL_API_ATTACH");
  ids.ledControl = RegisterWindowMessageA("WM_TOVRIK_TALK_LED_CONTROL_API");
  ids.lightDiscover =
      RegisterWindowMessageA("WM_TOVRIK_TALK_LIGHT_CONTROL_API_DISCOVER");
  ids.lightAttach =
      RegisterWindowMessageA("WM_TOVRIK_TALK_LIGHT_CONTROL_API_ATTACH");
  ids.lightControl = RegisterWindowMessageA("WM_TOVRIK_TALK_LIGHT_CONTROL_API");
  return ids;
}

// A top-level window whose class and title are both "TOVRIK TALK", the
// names the link looks the service up by.
inline HWND createServiceWindow(WNDPROC proc, DWORD style, int width,
                                int height, HMENU menu = nullptr) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = proc;
#ifdef _WIN32 // the host's stand-in has neither modules nor cursors
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // IDC_ARROW
#endif
  wc.lpszClassName = kServiceName;
  RegisterClassExW(&wc);
  return CreateWindowExW(0, kServiceName, kServiceName, style, CW_USEDEFAULT,
                         CW_USEDEFAULT, width, height, nullptr, menu,
                         wc.hInstance, nullptr);
}

// The link's window to answer: the one that sent the last discover, or the
// first message-only window of the link's class.
inline HWND linkWindow(HWND fromDiscover) {
  if (fromDiscover && IsWindow(fromDiscover))
    return fromDiscover;
  return FindWindowExW(HWND_MESSAGE, nullptr, kLinkClass, nullptr);
}

// What a service does on a discover: posts the LED attach message to the
// discovering window, with its own window and lParam 1.
inline void answerDiscover(const Ids &ids, HWND self, HWND link) {
  PostMessageW(link, ids.ledAttach, reinterpret_cast<WPARAM>(self), 1);
}

// A WM_COPYDATA of cbData bytes of data (null: no data) with wParam wp.
inline LRESULT sendData(HWND link, WPARAM wp, const void *data, DWORD cbData) {
  COPYDATASTRUCT cds{};
  cds.cbData = cbData;
  cds.lpData = const_cast<void *>(data);
  return SendMessageW(link, WM_COPYDATA, wp, reinterpret_cast<LPARAM>(&cds));
}

// A key-bitmap report to the link: cbData bytes of data (null: no data).
inline LRESULT sendReport(const Ids &ids, HWND link, const void *data,
                          DWORD cbData) {
  return sendData(link, ids.ledControl, data, cbData);
}

inline std::string hexOf(const COPYDATASTRUCT *cds) {
  static const char digits[] = "0123456789abcdef";
  std::string hex;
  const auto *p = static_cast<const unsigned char *>(cds->lpData);
  DWORD n = cds->cbData < 256 ? cds->cbData : 256;
  for (DWORD i = 0; p && i < n; i++) {
    hex += digits[p[i] >> 4];
    hex += digits[p[i] & 15];
  }
  return hex;
}

// The line that describes a message to the service; "" for messages that
// are none of the protocol's (window management and the like).
inline std::string describe(const Ids &ids, UINT msg, WPARAM wp, LPARAM lp) {
  char buf[96];
  auto uw = static_cast<unsigned long long>(wp);
  auto ul = static_cast<unsigned long long>(lp);
  if (msg == ids.ledDiscover) {
    std::snprintf(buf, sizeof buf, "discover 0x%08llX", uw);
  } else if (msg == ids.ledControl) {
    std::snprintf(buf, sizeof buf, "led-control %llu %lld", uw,
                  static_cast<long long>(lp));
  } else if (msg == ids.lightControl) {
    std::snprintf(buf, sizeof buf, "light-control 0x%08llX 0x%08llX", uw, ul);
  } else if (msg == WM_COPYDATA) {
    const auto *cds = reinterpret_cast<const COPYDATASTRUCT *>(lp);
    if (!cds)
      return "keys 0 "; // nothing carried: a line that changes no key
    std::snprintf(buf, sizeof buf, "keys %lu ",
                  static_cast<unsigned long>(cds->cbData));
    return buf + hexOf(cds);
  } else if (msg >= WM_USER) {
    std::snprintf(buf, sizeof buf, "msg 0x%04X 0x%08llX 0x%08llX", msg, uw, ul);
  } else {
    return "";
  }
  return buf;
}

} // namespace talk

#endif
