// The link to the vendor's lighting service ("TOVRIK TALK"): registered
// messages, a hidden message-only window the service can address, posted
// mode and colour messages, and WM_COPYDATA key bitmaps both ways.
#ifndef TOVRIK_TALK_LINK_H
#define TOVRIK_TALK_LINK_H

#include <windows.h>

#include <cstdint>

#include "key_bitmap.h"

namespace tovrik {

// A light post's wParam carries three selector bytes, high to low: what to
// colour, then two bytes the service expects as 1 and 2 for a steady colour.
constexpr uint8_t kLightTargetBoard = 0; // the whole board (potion colour)
constexpr uint8_t kLightTargetKeys = 1;  // the colour of the lit keys
constexpr uint8_t kLightSteadyMode = 1;
constexpr uint8_t kLightSteadyEffect = 2;

class TalkLink {
public:
  TalkLink();  // registers, makes the window, broadcasts discover, looks up
  ~TalkLink(); // takes the window (and class) away before the code goes

  TalkLink(const TalkLink &) = delete;
  TalkLink &operator=(const TalkLink &) = delete;

  // True when a live service window is known, after a lookup by name if
  // none is.  A remembered window that has gone counts as unknown.
  static bool findService();
  // True when no service window is known, or a post or send found the
  // known one gone (a service that exited, or an attach that named no
  // window).
  static bool serviceLost();
  // Looks a lost service up by name, at most a few times a second while
  // none is found; true when one was found and is now the known window.
  static bool findLostService();
  static void setSdkMode(int32_t mode);
  static void clearKeys();
  static void lightAllKeys();
  static void sendKeys(const KeyFrame &frame);
  // Posts a colour: three selector bytes (see above), then the colour.
  static void postLight(uint8_t first, uint8_t second, uint8_t third,
                        uint8_t red, uint8_t green, uint8_t blue);
  static void restoreLight();
  static LRESULT CALLBACK windowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);

  // For tests: the bitmap last sent or reported, and the ids in use.
  static LedBitmap heldBitmap();
  static HWND ownWindow();
  static HWND serviceWindow();
  static UINT ledControlId();
};

} // namespace tovrik

#endif
