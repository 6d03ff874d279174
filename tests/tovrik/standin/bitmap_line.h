// The line the stand-in service logs for a key bitmap from the link
// (talk::describe: "keys 20 " and the 20 bytes in hex), made from the 15
// bitmap bytes spelt as the tests write them, "FF 00 ...".  Shared by the
// host, JVM and Wine tests so that each compares whole lines.
#ifndef TOVRIK_BITMAP_LINE_H
#define TOVRIK_BITMAP_LINE_H

#include <string>

inline std::string bitmapLine(const char *spaced) {
  std::string out = "keys 20 ";
  for (const char *p = spaced; *p; p++)
    if (*p != ' ')
      out += static_cast<char>(*p >= 'A' && *p <= 'F' ? *p + 32 : *p);
  return out + "0000000000"; // the five bytes past the bitmap
}

#endif
