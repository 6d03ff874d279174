// Reading PNG files back, for the checks that count pixels.  Apart from the
// writer, so that what only draws does not carry the decoder.
#include "image.h"

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb/stb_image.h>

namespace preview {

bool readPng(const std::string &path, Image *img) {
  int n = 0;
  unsigned char *px = stbi_load(path.c_str(), &img->width, &img->height, &n, 3);
  if (!px)
    return false;
  img->rgb.assign(px, px + static_cast<size_t>(img->width) * img->height * 3);
  stbi_image_free(px);
  return true;
}

} // namespace preview
