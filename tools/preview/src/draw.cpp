#include "draw.h"

#include "keyboard.h"
#include "lighting.h"

#include <cstdio>

namespace preview {

namespace {

// A note longer than this is cut, to stay within the narrowest picture.
constexpr size_t kNoteChars = 150;
// The caption in double-size text, the note below it in plain.
constexpr int kCaptionY = 10, kCaptionScale = 2;
constexpr int kNoteY = 34;

} // namespace

Image drawPicture(const Picture &p, const std::string &caption) {
  return keyboardOf(p.board.library).draw(p, caption);
}

std::string terminalBoard(const Picture &p) {
  return keyboardOf(p.board.library).terminalText(p);
}

void drawHeader(Image *img, const std::string &caption,
                const std::string &note) {
  drawText(img, kMargin, kCaptionY, caption, kCaption, kCaptionScale);
  std::string shown =
      note.size() > kNoteChars ? note.substr(0, kNoteChars - 3) + "..." : note;
  drawText(img, kMargin, kNoteY, shown, kNote, 1);
}

void drawKey(Image *img, int x, int y, int w, int h, uint32_t colour,
             const char *label) {
  uint32_t face = colour ? colour : kDarkKey;
  fillRect(img, x, y, w, h, face);
  if (label) {
    int tw = textWidth(label, 1);
    drawText(img, x + (w - tw) / 2, y + h / 2 - 4, label,
             colour ? inkFor(face) : kDarkLabel, 1);
  }
}

std::string rgbHex(uint32_t rgb, bool upper) {
  char buf[16];
  std::snprintf(buf, sizeof buf, upper ? "%06X" : "%06x", rgb & 0xFFFFFF);
  return buf;
}

std::string terminalCell(uint32_t colour, const std::string &text) {
  char esc[64];
  uint32_t face = colour ? colour : kDarkKey;
  uint32_t ink = colour ? inkFor(face) : kDarkLabel;
  std::snprintf(esc, sizeof esc, "\x1b[48;2;%u;%u;%um\x1b[38;2;%u;%u;%um",
                face >> 16 & 0xFF, face >> 8 & 0xFF, face & 0xFF,
                ink >> 16 & 0xFF, ink >> 8 & 0xFF, ink & 0xFF);
  return esc + text + "\x1b[0m";
}

std::string fitLabel(const char *label, int width) {
  std::string s(label ? label : "");
  if (static_cast<int>(s.size()) > width)
    s.resize(width);
  int pad = width - static_cast<int>(s.size());
  return std::string(pad / 2, ' ') + s + std::string(pad - pad / 2, ' ');
}

} // namespace preview
