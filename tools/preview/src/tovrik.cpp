#include "tovrik.h"

#include "keyboard.h"
#include "lighting.h"

#include <cstdlib>
#include <cstring>
#include <sstream>
#include <vector>

namespace preview {

namespace {

// usage, bit, label, row, x, width.  Rows run from the top, keys from the
// left; the five unnamed keys at the left edge and the one between AltGr and
// Menu carry no standard usage and get labels of our own (G1 to G5, Fn).
const TovrikKey kKeys[kTovrikKeys] = {
    {0x29, 1, "Esc", 0, 6, 4},       {0x3A, 2, "F1", 0, 14, 4},
    {0x3B, 14, "F2", 0, 18, 4},      {0x3C, 3, "F3", 0, 22, 4},
    {0x3D, 15, "F4", 0, 26, 4},      {0x3E, 4, "F5", 0, 32, 4},
    {0x3F, 16, "F6", 0, 36, 4},      {0x40, 5, "F7", 0, 40, 4},
    {0x41, 17, "F8", 0, 44, 4},      {0x42, 6, "F9", 0, 50, 4},
    {0x43, 7, "F10", 0, 54, 4},      {0x44, 8, "F11", 0, 58, 4},
    {0x45, 20, "F12", 0, 62, 4},     {0x46, 9, "PrtSc", 0, 68, 4},
    {0x47, 21, "ScrLk", 0, 72, 4},   {0x48, 33, "Pause", 0, 76, 4},
    {0xAA, 0, "G1", 1, 0, 4},        {0x35, 12, "`", 1, 6, 4},
    {0x1E, 13, "1", 1, 10, 4},       {0x1F, 25, "2", 1, 14, 4},
    {0x20, 26, "3", 1, 18, 4},       {0x21, 27, "4", 1, 22, 4},
    {0x22, 39, "5", 1, 26, 4},       {0x23, 28, "6", 1, 30, 4},
    {0x24, 40, "7", 1, 34, 4},       {0x25, 29, "8", 1, 38, 4},
    {0x26, 41, "9", 1, 42, 4},       {0x27, 18, "0", 1, 46, 4},
    {0x2D, 30, "-", 1, 50, 4},       {0x2E, 19, "=", 1, 54, 4},
    {0x2A, 44, "Bksp", 1, 58, 8},    {0x49, 45, "Ins", 1, 68, 4},
    {0x4A, 57, "Home", 1, 72, 4},    {0x4B, 69, "PgUp", 1, 76, 4},
    {0x53, 10, "Num", 1, 82, 4},     {0x54, 22, "/", 1, 86, 4},
    {0x55, 11, "*", 1, 90, 4},       {0x56, 23, "-", 1, 94, 4},
    {0xAB, 24, "G2", 2, 0, 4},       {0x2B, 36, "Tab", 2, 6, 6},
    {0x14, 37, "Q", 2, 12, 4},       {0x1A, 49, "W", 2, 16, 4},
    {0x08, 38, "E", 2, 20, 4},       {0x15, 50, "R", 2, 24, 4},
    {0x17, 51, "T", 2, 28, 4},       {0x1C, 52, "Y", 2, 32, 4},
    {0x18, 64, "U", 2, 36, 4},       {0x0C, 53, "I", 2, 40, 4},
    {0x12, 42, "O", 2, 44, 4},       {0x13, 54, "P", 2, 48, 4},
    {0x2F, 31, "[", 2, 52, 4},       {0x30, 43, "]", 2, 56, 4},
    {0x28, 68, "Enter", 2, 60, 6},   {0x4C, 81, "Del", 2, 68, 4},
    {0x4D, 93, "End", 2, 72, 4},     {0x4E, 105, "PgDn", 2, 76, 4},
    {0x5F, 34, "7", 2, 82, 4},       {0x60, 46, "8", 2, 86, 4},
    {0x61, 35, "9", 2, 90, 4},       {0x57, 47, "+", 2, 94, 4},
    {0xAC, 48, "G3", 3, 0, 4},       {0x39, 60, "Caps", 3, 6, 7},
    {0x04, 61, "A", 3, 13, 4},       {0x16, 73, "S", 3, 17, 4},
    {0x07, 62, "D", 3, 21, 4},       {0x09, 74, "F", 3, 25, 4},
    {0x0A, 63, "G", 3, 29, 4},       {0x0B, 75, "H", 3, 33, 4},
    {0x0D, 76, "J", 3, 37, 4},       {0x0E, 65, "K", 3, 41, 4},
    {0x0F, 66, "L", 3, 45, 4},       {0x33, 78, ";", 3, 49, 4},
    {0x34, 55, "'", 3, 53, 4},       {0x32, 67, "#", 3, 57, 4},
    {0x5C, 58, "4", 3, 82, 4},       {0x5D, 70, "5", 3, 86, 4},
    {0x5E, 59, "6", 3, 90, 4},       {0xAD, 72, "G4", 4, 0, 4},
    {0xE1, 84, "Shift", 4, 6, 5},    {0x64, 85, "\\", 4, 11, 4},
    {0x1D, 97, "Z", 4, 15, 4},       {0x1B, 86, "X", 4, 19, 4},
    {0x06, 98, "C", 4, 23, 4},       {0x19, 87, "V", 4, 27, 4},
    {0x05, 99, "B", 4, 31, 4},       {0x11, 88, "N", 4, 35, 4},
    {0x10, 77, "M", 4, 39, 4},       {0x36, 89, ",", 4, 43, 4},
    {0x37, 90, ".", 4, 47, 4},       {0x38, 79, "/", 4, 51, 4},
    {0xE5, 80, "Shift", 4, 55, 11},  {0x52, 117, "Up", 4, 72, 4},
    {0x59, 82, "1", 4, 82, 4},       {0x5A, 94, "2", 4, 86, 4},
    {0x5B, 83, "3", 4, 90, 4},       {0x58, 95, "Ent", 4, 94, 4},
    {0xAE, 96, "G5", 5, 0, 4},       {0xE0, 108, "Ctrl", 5, 6, 5},
    {0xE3, 109, "Win", 5, 11, 5},    {0xE2, 110, "Alt", 5, 16, 5},
    {0x2C, 112, "Space", 5, 21, 25}, {0xE6, 114, "AltGr", 5, 46, 5},
    {0xF1, 115, "Fn", 5, 51, 5},     {0x65, 103, "Menu", 5, 56, 5},
    {0xE4, 92, "Ctrl", 5, 61, 5},    {0x50, 104, "Left", 5, 68, 4},
    {0x51, 116, "Down", 5, 72, 4},   {0x4F, 118, "Right", 5, 76, 4},
    {0x62, 106, "0", 5, 82, 8},      {0x63, 107, ".", 5, 90, 4},
};

// The ten bitmap positions no key stands for, drawn apart.
constexpr int kUnnamedBits[] = {32, 56, 71, 91, 100, 101, 102, 111, 113, 119};

// The selectors the service's log shows: 15 on the LED control message
// switches per-key control, all ones on the light control message hands the
// light back.
constexpr long kPerKeyControlSelector = 15;
constexpr uint32_t kRestoreSelector = 0xFFFFFFFFu;
constexpr uint32_t kRgbMask = 0xFFFFFF; // the colour word's top byte is not

// A lit key that is pure black would vanish; it is drawn this nearly-black.
constexpr uint32_t kLitBlack = 0x010101;

// The picture: keys in quarter key widths, six rows, then a line with the
// bits without a key and the service's mode.
constexpr int kQuarter = 10;
constexpr int kKeyHeight = 40;
constexpr int kFooter = 40;
constexpr int kBitSquare = 14, kBitPitch = 18, kBitsLeft = 130;
constexpr int kModeLeft = 330;

bool parseU32(const std::string &word, uint32_t *out) {
  char *end = nullptr;
  unsigned long long v = std::strtoull(word.c_str(), &end, 0);
  if (word.empty() || *end || v > 0xFFFFFFFFull)
    return false;
  *out = static_cast<uint32_t>(v);
  return true;
}

bool bitSet(const uint8_t *bitmap, int bit) {
  return (bitmap[bit / 8] >> (bit % 8)) & 1;
}

} // namespace

const TovrikKey *tovrikKeys() { return kKeys; }

int tovrikBoardWidth() {
  int w = 0;
  for (const TovrikKey &k : kKeys)
    w = k.x + k.width > w ? k.x + k.width : w;
  return w;
}

bool tovrikKeyLit(const uint8_t *bitmap, int key) {
  return bitSet(bitmap, kKeys[key].bit);
}

int tovrikKeyByLabel(const char *label) {
  for (int i = 0; i < kTovrikKeys; i++) {
    if (std::strcmp(kKeys[i].label, label) == 0)
      return i;
  }
  return -1;
}

bool applyTovrikLine(const LogLine &l, TovrikState *s, std::string *note) {
  const std::vector<std::string> &w = l.words;
  if (w.empty())
    return false;
  TovrikState before = *s;
  if (w[0] == "led-control" && w.size() >= 3) {
    if (std::atol(w[1].c_str()) == kPerKeyControlSelector) {
      s->sdkMode = std::atol(w[2].c_str()) != 0;
      *note = s->sdkMode ? "per-key control on" : "per-key control off";
    }
  } else if (w[0] == "light-control" && w.size() >= 3) {
    uint32_t wp = 0, lp = 0;
    if (!parseU32(w[1], &wp) || !parseU32(w[2], &lp))
      return false;
    if (wp == kRestoreSelector) {
      s->restored = true;
      *note = "light handed back";
    } else {
      s->restored = false;
      s->colour = lp & kRgbMask;
      *note = "colour " + rgbHex(s->colour);
    }
  } else if (w[0] == "keys" && w.size() >= 3) {
    std::vector<uint8_t> data;
    if (!parseHex(w[2], &data) || data.size() < kTovrikBitmapBytes)
      return false;
    std::memcpy(s->bitmap, data.data(), kTovrikBitmapBytes);
    *note = "keys";
  } else {
    return false;
  }
  return std::memcmp(&before.bitmap, s->bitmap, kTovrikBitmapBytes) != 0 ||
         before.colour != s->colour || before.sdkMode != s->sdkMode ||
         before.restored != s->restored;
}

uint32_t tovrikKeyColour(const TovrikState &s, int key) {
  if (!tovrikKeyLit(s.bitmap, key))
    return 0;
  return s.colour ? s.colour : kLitBlack;
}

KeyBox tovrikKeyBox(int key) {
  const TovrikKey &k = kKeys[key];
  return {kMargin + k.x * kQuarter, kHeader + k.row * (kKeyHeight + kKeyGap),
          k.width * kQuarter - kKeyGap, kKeyHeight};
}

Image drawTovrikBoard(const TovrikState &s, const std::string &note,
                      const std::string &caption) {
  int width = tovrikBoardWidth() * kQuarter + 2 * kMargin;
  int rowsEnd = kHeader + kTovrikRows * (kKeyHeight + kKeyGap);
  Image img = makeImage(width, rowsEnd + kFooter, kBackground);
  drawHeader(&img, caption, note);
  for (int i = 0; i < kTovrikKeys; i++) {
    KeyBox b = tovrikKeyBox(i);
    drawKey(&img, b.x, b.y, b.w, b.h, tovrikKeyColour(s, i), kKeys[i].label);
  }
  int y = rowsEnd + 12;
  drawText(&img, kMargin, y + 2, "bits without a key:", kNote, 1);
  int i = 0;
  for (int bit : kUnnamedBits) {
    fillRect(&img, kMargin + kBitsLeft + i++ * kBitPitch, y, kBitSquare,
             kBitSquare, bitSet(s.bitmap, bit) ? s.colour : kDarkKey);
  }
  std::string mode = s.sdkMode ? "per-key control" : "service lighting";
  if (s.restored)
    mode += ", light handed back";
  drawText(&img, kMargin + kModeLeft, y + 2, mode, kNote, 1);
  return img;
}

namespace {

bool applyLine(const LogLine &line, Picture *shown, std::string *note) {
  return applyTovrikLine(line, &shown->tovrik, note);
}

// Every key lit is red, none dark; any other bitmap is the redraw.
FlashStep flashStep(const LogLine &l) {
  if (l.words.size() < 3 || l.words[0] != "keys")
    return FlashStep::None;
  std::vector<uint8_t> data;
  if (!parseHex(l.words[2], &data) || data.size() < kTovrikBitmapBytes)
    return FlashStep::None;
  bool all = true, none = true;
  for (int i = 0; i < kTovrikBitmapBytes; i++) {
    all = all && data[i] == 0xFF;
    none = none && data[i] == 0;
  }
  return all ? FlashStep::Red : none ? FlashStep::Dark : FlashStep::Other;
}

Image draw(const Picture &p, const std::string &caption) {
  return drawTovrikBoard(p.tovrik, p.note, caption);
}

std::string terminalText(const Picture &p) {
  std::string out;
  for (int row = 0; row < kTovrikRows; row++) {
    int col = 0;
    for (int i = 0; i < kTovrikKeys; i++) {
      const TovrikKey &k = kKeys[i];
      if (k.row != row)
        continue;
      out += std::string(k.x - col, ' ');
      out += terminalCell(tovrikKeyColour(p.tovrik, i),
                          fitLabel(k.label, k.width - 1));
      out += ' ';
      col = k.x + k.width;
    }
    out += '\n';
  }
  return out;
}

std::string stateText(const Picture &p) {
  std::ostringstream o;
  o << "colour " << rgbHex(p.tovrik.colour) << " control "
    << (p.tovrik.sdkMode ? "on" : "off") << " lit";
  for (int i = 0; i < kTovrikKeys; i++) {
    if (tovrikKeyLit(p.tovrik.bitmap, i))
      o << ' ' << i << ':' << kKeys[i].label;
  }
  return o.str();
}

} // namespace

const Keyboard kTovrikKeyboard = {
    applyLine, flashStep, nullptr,      nullptr,
    nullptr,   draw,      terminalText, stateText,
};

} // namespace preview
