#include "duvek.h"

#include "keyboard.h"
#include "lighting.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace preview {

namespace {

// A grid entry is one little-endian 32-bit colour.
constexpr size_t kColourBytes = 4;
constexpr size_t kGridBytes = kDuvekCells * kColourBytes;

constexpr int kCell = 44; // a grid cell in the picture, gap included
// Columns of a cell's label in the terminal.
constexpr int kTerminalCellWidth = 3;

uint32_t readLe32(const std::vector<uint8_t> &b, size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) |
         (static_cast<uint32_t>(b[at + 3]) << 24);
}

// "-> rc" at the end of a stand-in line.
std::string resultOf(const LogLine &l) {
  size_t n = l.words.size();
  if (n >= 2 && l.words[n - 2] == "->")
    return l.words[n - 1];
  return "";
}

const char *effectName(int type) {
  switch (type) {
  case kEffectOff:
    return "off";
  case kEffectColorGrid:
    return "colour grid";
  case kEffectSingleColor:
    return "single colour";
  case kEffectKeyGrid:
    return "key grid";
  default:
    return "?";
  }
}

} // namespace

const char *duvekCellLabel(int row, int column) {
  static const char *const kNumbers[] = {"1", "2", "3", "4", "5",
                                         "6", "7", "8", "9", "0"};
  static const char *const kFunctions[] = {"F1", "F2",  "F3",  "F4",
                                           "F5", "F6",  "F7",  "F8",
                                           "F9", "F10", "F11", "F12"};
  if (row == 0 && column >= 3 && column <= 14)
    return kFunctions[column - 3];
  if (row == 1 && column >= 2 && column <= 11)
    return kNumbers[column - 2];
  if (row == 2 && column == 3)
    return "W";
  if (row == 3 && column >= 2 && column <= 4)
    return column == 2 ? "A" : column == 3 ? "S" : "D";
  if (row == 5 && column == 7)
    return "Spc";
  if (row == 0 && column == 20)
    return "*";
  return nullptr;
}

uint32_t effectToRgb(uint32_t bgr) {
  return ((bgr & 0xFF) << 16) | (bgr & 0xFF00) | ((bgr >> 16) & 0xFF);
}

bool composeDuvekEffect(int type, const std::vector<uint8_t> &block,
                        uint32_t *cells) {
  switch (type) {
  case kEffectOff:
    std::fill(cells, cells + kDuvekCells, 0u);
    return true;
  case kEffectColorGrid:
    if (block.size() < kGridBytes)
      return false;
    for (int i = 0; i < kDuvekCells; i++)
      cells[i] = effectToRgb(readLe32(block, i * kColourBytes));
    return true;
  case kEffectSingleColor:
    if (block.size() < kColourBytes)
      return false;
    std::fill(cells, cells + kDuvekCells, effectToRgb(readLe32(block, 0)));
    return true;
  case kEffectKeyGrid:
    if (block.size() < 2 * kGridBytes)
      return false;
    for (int i = 0; i < kDuvekCells; i++) {
      uint32_t key = readLe32(block, kGridBytes + i * kColourBytes);
      uint32_t base = readLe32(block, i * kColourBytes);
      cells[i] = effectToRgb(key & kDuvekKeySetFlag ? key : base);
    }
    return true;
  default:
    return false;
  }
}

bool applyDuvekLine(const LogLine &l, DuvekState *s, std::string *note) {
  const std::vector<std::string> &w = l.words;
  if (w.size() < 4 || w[0] != "CreateKeyboardEffect")
    return false;
  int type = std::atoi(w[1].c_str());
  std::vector<uint8_t> block;
  if (w[2] != "null" && !parseHex(w[2], &block))
    return false;
  DuvekState next = *s;
  if (!composeDuvekEffect(type, block, next.cells))
    return false;
  next.effect = type;
  *note = std::string("effect ") + std::to_string(type) + " (" +
          effectName(type) + ") -> " + resultOf(l);
  bool changed = next.effect != s->effect ||
                 std::memcmp(next.cells, s->cells, sizeof next.cells) != 0;
  *s = next;
  return changed;
}

KeyBox duvekCellBox(int row, int column) {
  return {kMargin + column * kCell, kHeader + row * kCell, kCell - kKeyGap,
          kCell - kKeyGap};
}

Image drawDuvekBoard(const DuvekState &s, const std::string &note,
                     const std::string &caption) {
  int width = kDuvekColumns * kCell + 2 * kMargin;
  int height = kHeader + kDuvekRows * kCell + kMargin;
  Image img = makeImage(width, height, kBackground);
  drawHeader(&img, caption, note);
  for (int r = 0; r < kDuvekRows; r++) {
    for (int c = 0; c < kDuvekColumns; c++) {
      KeyBox b = duvekCellBox(r, c);
      drawKey(&img, b.x, b.y, b.w, b.h, s.cells[r * kDuvekColumns + c],
              duvekCellLabel(r, c));
    }
  }
  return img;
}

namespace {

bool applyLine(const LogLine &line, Picture *shown, std::string *note) {
  return applyDuvekLine(line, &shown->duvek, note);
}

// The flash's red is a colour grid, its dark the effect off; any other
// effect is the redraw.
FlashStep flashStep(const LogLine &l) {
  if (l.words.size() < 2 || l.words[0] != "CreateKeyboardEffect")
    return FlashStep::None;
  int type = std::atoi(l.words[1].c_str());
  return type == kEffectColorGrid ? FlashStep::Red
         : type == kEffectOff     ? FlashStep::Dark
                                  : FlashStep::Other;
}

Image draw(const Picture &p, const std::string &caption) {
  return drawDuvekBoard(p.duvek, p.note, caption);
}

std::string terminalText(const Picture &p) {
  std::string out;
  for (int r = 0; r < kDuvekRows; r++) {
    for (int c = 0; c < kDuvekColumns; c++)
      out += terminalCell(p.duvek.cells[r * kDuvekColumns + c],
                          fitLabel(duvekCellLabel(r, c), kTerminalCellWidth)) +
             ' ';
    out += '\n';
  }
  return out;
}

// Lit cells as rrcc=colour, row and column in two hex digits each.
std::string stateText(const Picture &p) {
  std::ostringstream o;
  o << "effect " << p.duvek.effect << " cells";
  for (int i = 0; i < kDuvekCells; i++) {
    if (p.duvek.cells[i]) {
      char code[8];
      std::snprintf(code, sizeof code, "%02x%02x", i / kDuvekColumns,
                    i % kDuvekColumns);
      o << ' ' << code << '=' << rgbHex(p.duvek.cells[i]);
    }
  }
  return o.str();
}

} // namespace

const Keyboard kDuvekKeyboard = {
    applyLine, flashStep, nullptr,      nullptr,
    nullptr,   draw,      terminalText, stateText,
};

} // namespace preview
