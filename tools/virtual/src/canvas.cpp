#include "canvas.h"

#include <cstdio>

namespace virtualkb {

bool canvasShow(Canvas *c, const preview::Image &img) {
  if (!c->dib || c->width != img.width || c->height != img.height) {
    canvasFree(c);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = img.width;
    bi.bmiHeader.biHeight = -img.height; // top-down rows, as the image
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    c->dib =
        CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &c->bits, nullptr, 0);
    if (!c->dib)
      return false;
    c->width = img.width;
    c->height = img.height;
  }
  auto *px = static_cast<uint8_t *>(c->bits);
  size_t n = static_cast<size_t>(img.width) * img.height;
  for (size_t i = 0; i < n; i++) {
    px[i * 4 + 0] = img.rgb[i * 3 + 2];
    px[i * 4 + 1] = img.rgb[i * 3 + 1];
    px[i * 4 + 2] = img.rgb[i * 3 + 0];
    px[i * 4 + 3] = 0;
  }
  GdiFlush(); // the bits are read by GDI from here on
  return true;
}

void canvasPaint(const Canvas &c, HDC dc) {
  if (!c.dib)
    return;
  HDC mem = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(mem, c.dib);
  BitBlt(dc, 0, 0, c.width, c.height, mem, 0, 0, SRCCOPY);
  SelectObject(mem, old);
  DeleteDC(mem);
}

preview::Image canvasPixels(const Canvas &c) {
  preview::Image img = preview::makeImage(c.width, c.height, 0);
  const auto *px = static_cast<const uint8_t *>(c.bits);
  size_t n = static_cast<size_t>(c.width) * c.height;
  for (size_t i = 0; px && i < n; i++) {
    img.rgb[i * 3 + 0] = px[i * 4 + 2];
    img.rgb[i * 3 + 1] = px[i * 4 + 1];
    img.rgb[i * 3 + 2] = px[i * 4 + 0];
  }
  return img;
}

void canvasFree(Canvas *c) {
  if (c->dib)
    DeleteObject(c->dib);
  c->dib = nullptr;
  c->bits = nullptr;
  c->width = c->height = 0;
}

void canvasWantShots(Canvas *c, const char *name) {
  char dir[MAX_PATH];
  DWORD n = GetEnvironmentVariableA("VIRTUAL_KEYBOARD_SHOTS", dir, sizeof dir);
  if (n > 0 && n < sizeof dir)
    c->shotName = std::string(dir) + "\\" + name;
}

void canvasShot(Canvas *c) {
  if (c->shotName.empty() || !c->dib)
    return;
  char path[MAX_PATH + 16];
  std::snprintf(path, sizeof path, "%s-%04d.png", c->shotName.c_str(),
                ++c->shots);
  preview::writePng(canvasPixels(*c), path);
}

SIZE windowSizeFor(const Canvas &c, DWORD style, bool menu) {
  RECT r{0, 0, c.width, c.height};
  AdjustWindowRectEx(&r, style, menu ? TRUE : FALSE, 0);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

} // namespace virtualkb
