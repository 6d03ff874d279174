// A window's picture: a preview image held in a DIB section, painted into
// the window and, for tests and screenshots, written out as PNG from the
// same pixels the window shows.
#ifndef VIRTUAL_CANVAS_H
#define VIRTUAL_CANVAS_H

#include "image.h"

#include <windows.h>

#include <string>

namespace virtualkb {

struct Canvas {
  HBITMAP dib = nullptr;
  void *bits = nullptr; // 32-bit BGRX pixels, top row first
  int width = 0;
  int height = 0;
  std::string shotName; // "" when no screenshots are wanted
  int shots = 0;
};

// Copies the image into the DIB section, remaking it at a new size; false
// when no DIB section could be made.
bool canvasShow(Canvas *c, const preview::Image &img);
void canvasPaint(const Canvas &c, HDC dc);
// The DIB section's pixels as an image.
preview::Image canvasPixels(const Canvas &c);
void canvasFree(Canvas *c);

// Screenshots of every new picture go to the folder VIRTUAL_KEYBOARD_SHOTS
// names, as <name>-0001.png, <name>-0002.png, ...; nothing when it is unset.
void canvasWantShots(Canvas *c, const char *name);
void canvasShot(Canvas *c);

// The window size whose client area fits the canvas.
SIZE windowSizeFor(const Canvas &c, DWORD style, bool menu);

} // namespace virtualkb

#endif
