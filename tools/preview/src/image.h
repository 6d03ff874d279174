// A small RGB raster with filled rectangles and stb_easy_font text, written
// out as PNG by stb_image_write.
#ifndef PREVIEW_IMAGE_H
#define PREVIEW_IMAGE_H

#include <cstdint>
#include <string>
#include <vector>

namespace preview {

struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;
};

Image makeImage(int width, int height, uint32_t background);
void fillRect(Image *img, int x, int y, int w, int h, uint32_t rgb);
// Text in stb_easy_font's 7-pixel-high glyphs, scaled by a whole factor.
void drawText(Image *img, int x, int y, const std::string &text, uint32_t rgb,
              int scale);
int textWidth(const std::string &text, int scale);
// The quads the font draws for the text, four vertices of x, y, z and a
// colour (16 floats) each; returns how many.
int textQuads(const std::string &text, std::vector<float> *vertices);
bool writePng(const Image &img, const std::string &path);
// A PNG file as RGB; false when it is none.
bool readPng(const std::string &path, Image *img);

// Black or white, whichever reads on that background.
uint32_t inkFor(uint32_t background);

} // namespace preview

#endif
