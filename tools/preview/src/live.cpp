#include "live.h"

#include "draw.h"

#include <cstdio>
#include <cstring>

namespace preview {

namespace {

std::string colourCell(uint32_t bg, const std::string &text) {
  char esc[64];
  uint32_t face = bg ? bg : 0x303036;
  uint32_t ink = bg ? inkFor(face) : 0x8A8A90;
  std::snprintf(esc, sizeof esc, "\x1b[48;2;%u;%u;%um\x1b[38;2;%u;%u;%um",
                face >> 16 & 0xFF, face >> 8 & 0xFF, face & 0xFF,
                ink >> 16 & 0xFF, ink >> 8 & 0xFF, ink & 0xFF);
  return esc + text + "\x1b[0m";
}

std::string fit(const char *label, int width) {
  std::string s(label ? label : "");
  if (static_cast<int>(s.size()) > width)
    s.resize(width);
  int pad = width - static_cast<int>(s.size());
  return std::string(pad / 2, ' ') + s + std::string(pad - pad / 2, ' ');
}

std::string tovrikText(const TovrikState &s) {
  std::string out;
  const TovrikKey *keys = tovrikKeys();
  for (int row = 0; row < 6; row++) {
    int col = 0;
    for (int i = 0; i < kTovrikKeys; i++) {
      const TovrikKey &k = keys[i];
      if (k.row != row)
        continue;
      out += std::string(k.x - col, ' ');
      out += colourCell(tovrikKeyColour(s, i), fit(k.label, k.width - 1));
      out += ' ';
      col = k.x + k.width;
    }
    out += '\n';
  }
  return out;
}

std::string duvekText(const DuvekState &s) {
  std::string out;
  for (int r = 0; r < kDuvekRows; r++) {
    for (int c = 0; c < kDuvekColumns; c++)
      out += colourCell(s.cells[r * kDuvekColumns + c],
                        fit(duvekCellLabel(r, c), 3)) +
             ' ';
    out += '\n';
  }
  return out;
}

std::string ulvoranText(const UlvoranState &s) {
  std::string out = colourCell(s.haveColour ? s.colour : 0, "        ");
  out += s.effect.empty() ? "" : "  " + s.effect;
  out += '\n';
  for (size_t i = 0; i < s.bitmap.size(); i++) {
    uint32_t v = s.bitmap[i];
    out += colourCell(v << 16 | v << 8 | v | (v ? 0 : 0x000001), "  ");
    if ((i + 1) % kUlvoranBitmapColumns == 0 || i + 1 == s.bitmap.size())
      out += '\n';
  }
  for (const UlvoranKey &k : s.keys)
    out += colourCell(k.colour, "  ") + " " + k.how + " " +
           std::to_string(k.key) + "\n";
  return out;
}

} // namespace

std::string terminalBoard(const Picture &p) {
  switch (p.board.library) {
  case Library::Tovrik:
    return tovrikText(p.tovrik);
  case Library::Duvek:
    return duvekText(p.duvek);
  default:
    return ulvoranText(p.ulvoran);
  }
}

} // namespace preview
