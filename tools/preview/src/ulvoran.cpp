#include "ulvoran.h"

#include "keyboard.h"
#include "lighting.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

namespace preview {

namespace {

// Every engine entry's log line starts with it.
constexpr char kEntryPrefix[] = "UlvoLed";
constexpr size_t kEntryPrefixLength = sizeof kEntryPrefix - 1;
// The single-key entries, named for how they name the key.
constexpr char kKeyEntryPrefix[] = "SetLightingForKeyWith";
constexpr size_t kKeyEntryPrefixLength = sizeof kKeyEntryPrefix - 1;

// The picture: the colour swatch with its text beside it, then the bitmap
// as grey squares, then one line per key.
constexpr int kSwatchWidth = 120, kSwatchHeight = 60;
constexpr int kSwatchArea = 70; // the swatch's band, below the header
constexpr int kTextLeft = 136;  // the swatch's text, from the margin
constexpr int kBitmapCell = 22;
constexpr int kMinBoardWidth = 960;
constexpr int kKeyLine = 18, kKeySquare = 14;
constexpr int kFooter = 40;

uint32_t percentRgb(const std::vector<std::string> &w, size_t at) {
  uint32_t rgb = 0;
  for (size_t i = 0; i < 3; i++)
    rgb = rgb << 8 | percentToByte(std::atoi(w[at + i].c_str()));
  return rgb;
}

bool ulvoranArgs(const std::vector<std::string> &w, size_t n) {
  return w.size() >= n + 1 + 2; // entry, n args, "->", result
}

uint32_t grey(uint32_t level) { return level << 16 | level << 8 | level; }

} // namespace

uint8_t percentToByte(int32_t percent) {
  int32_t p = std::clamp<int32_t>(percent, 0, 100);
  return static_cast<uint8_t>((p * 255 + 50) / 100);
}

bool applyUlvoranLine(const LogLine &l, UlvoranState *s, std::string *note) {
  const std::vector<std::string> &w = l.words;
  if (w.empty() || w[0].rfind(kEntryPrefix, 0) != 0)
    return false;
  *note = abbreviateHex(l.text);
  const std::string name = w[0].substr(kEntryPrefixLength);
  if (name == "SetLighting" && ulvoranArgs(w, 3)) {
    s->haveColour = true;
    s->colour = percentRgb(w, 1);
    s->keys.clear();
    s->bitmap.clear();
  } else if (name == "SetLightingFromBitmap" && ulvoranArgs(w, 1)) {
    s->bitmap.clear();
    parseHex(w[1], &s->bitmap);
    s->keys.clear();
  } else if (name.rfind(kKeyEntryPrefix, 0) == 0 && ulvoranArgs(w, 4)) {
    UlvoranKey k{name.substr(kKeyEntryPrefixLength), std::atoi(w[1].c_str()),
                 percentRgb(w, 2)};
    auto same = [&](const UlvoranKey &o) {
      return o.how == k.how && o.key == k.key;
    };
    s->keys.erase(std::remove_if(s->keys.begin(), s->keys.end(), same),
                  s->keys.end());
    s->keys.push_back(k);
  } else if (name == "FlashLighting" || name == "PulseLighting" ||
             name == "FlashSingleKey" || name == "PulseSingleKey") {
    s->effect = l.text.substr(0, l.text.find(" ->"));
  } else if (name == "StopEffects" || name == "StopEffectsOnKey") {
    s->effect.clear();
  } else if (name == "RestoreLighting") {
    s->haveColour = false;
    s->keys.clear();
    s->bitmap.clear();
  } else {
    return false; // init, target device, save, shutdown: nothing to see
  }
  return true;
}

KeyBox ulvoranColourBox() {
  return {kMargin, kHeader, kSwatchWidth, kSwatchHeight};
}

Image drawUlvoranBoard(const UlvoranState &s, const std::string &note,
                       const std::string &caption) {
  int rows = (static_cast<int>(s.bitmap.size()) + kUlvoranBitmapColumns - 1) /
             kUlvoranBitmapColumns;
  int keyRows = static_cast<int>(s.keys.size());
  int width = std::max(kUlvoranBitmapColumns * kBitmapCell, kMinBoardWidth) +
              2 * kMargin;
  int height =
      kHeader + kSwatchArea + rows * kBitmapCell + keyRows * kKeyLine + kFooter;
  Image img = makeImage(width, height, kBackground);
  drawHeader(&img, caption, note);
  int y = kHeader;
  KeyBox swatch = ulvoranColourBox();
  fillRect(&img, swatch.x, swatch.y, swatch.w, swatch.h,
           s.haveColour ? s.colour : kDarkKey);
  drawText(&img, kMargin + kTextLeft, y + 8,
           s.haveColour ? "whole board " + rgbHex(s.colour, true)
                        : "whole board: no colour set",
           kCaption, 1);
  drawText(&img, kMargin + kTextLeft, y + 26,
           s.effect.empty() ? "no effect running" : "effect: " + s.effect,
           kNote, 1);
  y += kSwatchArea;
  if (!s.bitmap.empty()) {
    drawText(&img, kMargin, y, "bitmap (bytes as grey levels):", kNote, 1);
    y += 14;
    for (size_t i = 0; i < s.bitmap.size(); i++) {
      int cx = static_cast<int>(i % kUlvoranBitmapColumns);
      int cy = static_cast<int>(i / kUlvoranBitmapColumns);
      fillRect(&img, kMargin + cx * kBitmapCell, y + cy * kBitmapCell,
               kBitmapCell - 2, kBitmapCell - 2, grey(s.bitmap[i]));
    }
    y += rows * kBitmapCell + 6;
  }
  for (const UlvoranKey &k : s.keys) {
    fillRect(&img, kMargin, y, kKeySquare, kKeySquare, k.colour);
    drawText(&img, kMargin + 22, y + 3,
             k.how + " key " + std::to_string(k.key) + ": " +
                 rgbHex(k.colour, true),
             kCaption, 1);
    y += kKeyLine;
  }
  return img;
}

namespace {

bool applyLine(const LogLine &line, Picture *shown, std::string *note) {
  return applyUlvoranLine(line, &shown->ulvoran, note);
}

Image draw(const Picture &p, const std::string &caption) {
  return drawUlvoranBoard(p.ulvoran, p.note, caption);
}

std::string terminalText(const Picture &p) {
  const UlvoranState &s = p.ulvoran;
  std::string out = terminalCell(s.haveColour ? s.colour : 0, "        ");
  out += s.effect.empty() ? "" : "  " + s.effect;
  out += '\n';
  for (size_t i = 0; i < s.bitmap.size(); i++) {
    uint32_t v = s.bitmap[i];
    // A zero byte is black, not the dark key face.
    out += terminalCell(grey(v) | (v ? 0 : 0x000001), "  ");
    if ((i + 1) % kUlvoranBitmapColumns == 0 || i + 1 == s.bitmap.size())
      out += '\n';
  }
  for (const UlvoranKey &k : s.keys)
    out += terminalCell(k.colour, "  ") + " " + k.how + " " +
           std::to_string(k.key) + "\n";
  return out;
}

std::string stateText(const Picture &p) {
  const UlvoranState &u = p.ulvoran;
  std::ostringstream o;
  o << "colour " << (u.haveColour ? rgbHex(u.colour) : "none") << " bitmap "
    << u.bitmap.size() << " keys " << u.keys.size();
  return o.str();
}

} // namespace

const Keyboard kUlvoranKeyboard = {
    applyLine,      nullptr, kEntryPrefix, "LED engine log",
    "engine calls", draw,    terminalText, stateText,
};

} // namespace preview
