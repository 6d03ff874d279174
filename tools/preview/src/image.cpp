#include "image.h"

#include <algorithm>
#include <cstddef>

// Both are single-header libraries: their code is compiled here only.  They
// come in as system headers (see CMakeLists.txt), so their warnings are not
// ours.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO_FLOATS
#include <stb/stb_easy_font.h>
#include <stb/stb_image_write.h>

namespace preview {

Image makeImage(int width, int height, uint32_t background) {
  Image img;
  img.width = width;
  img.height = height;
  img.rgb.resize(static_cast<size_t>(width) * height * 3);
  fillRect(&img, 0, 0, width, height, background);
  return img;
}

void fillRect(Image *img, int x, int y, int w, int h, uint32_t rgb) {
  int x0 = std::max(x, 0), y0 = std::max(y, 0);
  int x1 = std::min(x + w, img->width), y1 = std::min(y + h, img->height);
  for (int py = y0; py < y1; py++) {
    uint8_t *p = &img->rgb[(static_cast<size_t>(py) * img->width + x0) * 3];
    for (int px = x0; px < x1; px++) {
      *p++ = static_cast<uint8_t>(rgb >> 16);
      *p++ = static_cast<uint8_t>(rgb >> 8);
      *p++ = static_cast<uint8_t>(rgb);
    }
  }
}

namespace {

// Four 16-byte vertices (x, y, z, colour) to a quad.
constexpr size_t kQuadFloats = 16;

// The most quads the font draws for any one character, read from the font
// once.  Its own 270 bytes a character is an average: "X" needs 704, and
// the font silently stops at the end of a buffer that is too short.
size_t mostQuadsOfACharacter() {
  static const size_t most = [] {
    float ample[64 * kQuadFloats]; // several times any glyph of the font
    int quads = 0;
    for (char c = ' '; c <= '~'; c++) {
      char one[] = {c, '\0'};
      quads = std::max(
          quads, stb_easy_font_print(0, 0, one, nullptr, ample, sizeof ample));
    }
    return static_cast<size_t>(quads);
  }();
  return most;
}

// The text as the font can draw it: it has glyphs for printable ASCII and
// a line break only, and indexes its tables by the byte, so any other byte
// (a control character, UTF-8 of a path) becomes '?'.
std::string fontText(const std::string &text) {
  std::string copy = text;
  for (char &c : copy)
    if ((c < ' ' || c > '~') && c != '\n')
      c = '?';
  return copy;
}

} // namespace

int textQuads(const std::string &text, std::vector<float> *vertices) {
  vertices->assign(text.size() * mostQuadsOfACharacter() * kQuadFloats, 0.0F);
  std::string copy = fontText(text);
  return stb_easy_font_print(
      0, 0, &copy[0], nullptr, vertices->data(),
      static_cast<int>(vertices->size() * sizeof(float)));
}

void drawText(Image *img, int x, int y, const std::string &text, uint32_t rgb,
              int scale) {
  std::vector<float> buf;
  int quads = textQuads(text, &buf);
  for (int q = 0; q < quads; q++) {
    const float *v = &buf[static_cast<size_t>(q) * kQuadFloats];
    float minX = v[0], minY = v[1], maxX = v[0], maxY = v[1];
    for (int k = 1; k < 4; k++) {
      const float *corner =
          v + static_cast<std::ptrdiff_t>(k) * 4; // x, y, z, rgba
      minX = std::min(minX, corner[0]);
      maxX = std::max(maxX, corner[0]);
      minY = std::min(minY, corner[1]);
      maxY = std::max(maxY, corner[1]);
    }
    fillRect(img, x + static_cast<int>(minX) * scale,
             y + static_cast<int>(minY) * scale,
             static_cast<int>(maxX - minX) * scale,
             static_cast<int>(maxY - minY) * scale, rgb);
  }
}

int textWidth(const std::string &text, int scale) {
  std::string copy = fontText(text);
  return stb_easy_font_width(&copy[0]) * scale;
}

bool writePng(const Image &img, const std::string &path) {
  return stbi_write_png(path.c_str(), img.width, img.height, 3, img.rgb.data(),
                        img.width * 3) != 0;
}

uint32_t inkFor(uint32_t bg) {
  uint32_t r = bg >> 16 & 0xFF, g = bg >> 8 & 0xFF, b = bg & 0xFF;
  return r * 299 + g * 587 + b * 114 > 128000 ? 0x000000 : 0xFFFFFF;
}

} // namespace preview
