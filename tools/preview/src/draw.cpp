#include "draw.h"

#include <algorithm>
#include <cstdio>

namespace preview {

namespace {

constexpr uint32_t kBackground = 0x1A1A1E;
constexpr uint32_t kDarkKey = 0x303036;
constexpr uint32_t kCaption = 0xE0E0E0;
constexpr uint32_t kNote = 0x9A9AA8;
constexpr int kMargin = 16;
constexpr int kHeader = 52;
constexpr int kQuarter = 10, kKeyH = 40, kGap = 3; // Tovrik board
constexpr int kCell = 44;                          // Duvek grid

void drawHeader(Image *img, const std::string &caption,
                const std::string &note) {
  drawText(img, kMargin, 10, caption, kCaption, 2);
  std::string shown = note.size() > 150 ? note.substr(0, 147) + "..." : note;
  drawText(img, kMargin, 34, shown, kNote, 1);
}

void drawKey(Image *img, int x, int y, int w, int h, uint32_t colour,
             const char *label) {
  uint32_t face = colour ? colour : kDarkKey;
  fillRect(img, x, y, w, h, face);
  if (label) {
    int tw = textWidth(label, 1);
    drawText(img, x + (w - tw) / 2, y + h / 2 - 4, label,
             colour ? inkFor(face) : 0x8A8A90, 1);
  }
}

Image drawTovrik(const Picture &p, const std::string &caption) {
  int width = tovrikBoardWidth() * kQuarter + 2 * kMargin;
  int height = kHeader + 6 * (kKeyH + kGap) + 40;
  Image img = makeImage(width, height, kBackground);
  drawHeader(&img, caption, p.note);
  const TovrikKey *keys = tovrikKeys();
  for (int i = 0; i < kTovrikKeys; i++) {
    KeyBox b = tovrikKeyBox(i);
    drawKey(&img, b.x, b.y, b.w, b.h, tovrikKeyColour(p.tovrik, i),
            keys[i].label);
  }
  // The ten bitmap positions no key stands for, drawn apart.
  static const int kUnnamed[] = {32, 56, 71, 91, 100, 101, 102, 111, 113, 119};
  int y = kHeader + 6 * (kKeyH + kGap) + 12;
  drawText(&img, kMargin, y + 2, "bits without a key:", kNote, 1);
  for (int i = 0; i < 10; i++) {
    int bit = kUnnamed[i];
    bool on = (p.tovrik.bitmap[bit / 8] >> (bit % 8)) & 1;
    fillRect(&img, kMargin + 130 + i * 18, y, 14, 14,
             on ? p.tovrik.colour : kDarkKey);
  }
  std::string mode = p.tovrik.sdkMode ? "per-key control" : "service lighting";
  if (p.tovrik.restored)
    mode += ", light handed back";
  drawText(&img, kMargin + 330, y + 2, mode, kNote, 1);
  return img;
}

Image drawDuvek(const Picture &p, const std::string &caption) {
  int width = kDuvekColumns * kCell + 2 * kMargin;
  int height = kHeader + kDuvekRows * kCell + kMargin;
  Image img = makeImage(width, height, kBackground);
  drawHeader(&img, caption, p.note);
  for (int r = 0; r < kDuvekRows; r++) {
    for (int c = 0; c < kDuvekColumns; c++) {
      KeyBox b = duvekCellBox(r, c);
      drawKey(&img, b.x, b.y, b.w, b.h, p.duvek.cells[r * kDuvekColumns + c],
              duvekCellLabel(r, c));
    }
  }
  return img;
}

std::string rgbHex(uint32_t rgb) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%06X", rgb & 0xFFFFFF);
  return buf;
}

Image drawUlvoran(const Picture &p, const std::string &caption) {
  const UlvoranState &s = p.ulvoran;
  const int cell = 22;
  int rows = (static_cast<int>(s.bitmap.size()) + kUlvoranBitmapColumns - 1) /
             kUlvoranBitmapColumns;
  int keyRows = static_cast<int>(s.keys.size());
  int width = std::max(kUlvoranBitmapColumns * cell, 960) + 2 * kMargin;
  int height = kHeader + 70 + rows * cell + keyRows * 18 + 40;
  Image img = makeImage(width, height, kBackground);
  drawHeader(&img, caption, p.note);
  int y = kHeader;
  KeyBox swatch = ulvoranColourBox();
  fillRect(&img, swatch.x, swatch.y, swatch.w, swatch.h,
           s.haveColour ? s.colour : kDarkKey);
  drawText(&img, kMargin + 136, y + 8,
           s.haveColour ? "whole board " + rgbHex(s.colour)
                        : "whole board: no colour set",
           kCaption, 1);
  drawText(&img, kMargin + 136, y + 26,
           s.effect.empty() ? "no effect running" : "effect: " + s.effect,
           kNote, 1);
  y += 70;
  if (!s.bitmap.empty()) {
    drawText(&img, kMargin, y, "bitmap (bytes as grey levels):", kNote, 1);
    y += 14;
    for (size_t i = 0; i < s.bitmap.size(); i++) {
      uint32_t v = s.bitmap[i];
      int cx = static_cast<int>(i % kUlvoranBitmapColumns);
      int cy = static_cast<int>(i / kUlvoranBitmapColumns);
      fillRect(&img, kMargin + cx * cell, y + cy * cell, cell - 2, cell - 2,
               v << 16 | v << 8 | v);
    }
    y += rows * cell + 6;
  }
  for (const UlvoranKey &k : s.keys) {
    fillRect(&img, kMargin, y, 14, 14, k.colour);
    drawText(&img, kMargin + 22, y + 3,
             k.how + " key " + std::to_string(k.key) + ": " + rgbHex(k.colour),
             kCaption, 1);
    y += 18;
  }
  return img;
}

} // namespace

KeyBox tovrikKeyBox(int key) {
  const TovrikKey &k = tovrikKeys()[key];
  return {kMargin + k.x * kQuarter, kHeader + k.row * (kKeyH + kGap),
          k.width * kQuarter - kGap, kKeyH};
}

KeyBox duvekCellBox(int row, int column) {
  return {kMargin + column * kCell, kHeader + row * kCell, kCell - kGap,
          kCell - kGap};
}

KeyBox ulvoranColourBox() { return {kMargin, kHeader, 120, 60}; }

uint32_t tovrikKeyColour(const TovrikState &s, int key) {
  if (!tovrikKeyLit(s.bitmap, key))
    return 0;
  // A lit key that is pure black would vanish; keep it visibly lit.
  return s.colour ? s.colour : 0x010101;
}

Image drawPicture(const Picture &p, const std::string &caption) {
  switch (p.board.library) {
  case Library::Tovrik:
    return drawTovrik(p, caption);
  case Library::Duvek:
    return drawDuvek(p, caption);
  default:
    return drawUlvoran(p, caption);
  }
}

} // namespace preview
