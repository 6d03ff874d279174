#include "key_bitmap.h"

#include <cstring>

namespace tovrik {

// Six rows of keys from the top, each left to right.  0xAA..0xAE and 0xF1
// are reserved usages standing for this keyboard's keys without a standard
// one.
const KeyLedRow KeyLedMap[kKeyCount] = {
    // Escape, F1..F12, Print Screen, Scroll Lock, Pause
    {0x29, 1},
    {0x3A, 2},
    {0x3B, 14},
    {0x3C, 3},
    {0x3D, 15},
    {0x3E, 4},
    {0x3F, 16},
    {0x40, 5},
    {0x41, 17},
    {0x42, 6},
    {0x43, 7},
    {0x44, 8},
    {0x45, 20},
    {0x46, 9},
    {0x47, 21},
    {0x48, 33},
    // -, grave, 1..0, minus, equals, backspace, insert, home, page up,
    // num lock, keypad slash, asterisk, minus
    {0xAA, 0},
    {0x35, 12},
    {0x1E, 13},
    {0x1F, 25},
    {0x20, 26},
    {0x21, 27},
    {0x22, 39},
    {0x23, 28},
    {0x24, 40},
    {0x25, 29},
    {0x26, 41},
    {0x27, 18},
    {0x2D, 30},
    {0x2E, 19},
    {0x2A, 44},
    {0x49, 45},
    {0x4A, 57},
    {0x4B, 69},
    {0x53, 10},
    {0x54, 22},
    {0x55, 11},
    {0x56, 23},
    // -, tab, Q..P, brackets, enter, delete, end, page down, keypad 7 8 9 +
    {0xAB, 24},
    {0x2B, 36},
    {0x14, 37},
    {0x1A, 49},
    {0x08, 38},
    {0x15, 50},
    {0x17, 51},
    {0x1C, 52},
    {0x18, 64},
    {0x0C, 53},
    {0x12, 42},
    {0x13, 54},
    {0x2F, 31},
    {0x30, 43},
    {0x28, 68},
    {0x4C, 81},
    {0x4D, 93},
    {0x4E, 105},
    {0x5F, 34},
    {0x60, 46},
    {0x61, 35},
    {0x57, 47},
    // -, caps lock, A..L, semicolon, apostrophe, non-US hash, keypad 4 5 6
    {0xAC, 48},
    {0x39, 60},
    {0x04, 61},
    {0x16, 73},
    {0x07, 62},
    {0x09, 74},
    {0x0A, 63},
    {0x0B, 75},
    {0x0D, 76},
    {0x0E, 65},
    {0x0F, 66},
    {0x33, 78},
    {0x34, 55},
    {0x32, 67},
    {0x5C, 58},
    {0x5D, 70},
    {0x5E, 59},
    // -, left shift, non-US backslash, Z..M, comma, period, slash,
    // right shift, up, keypad 1 2 3 enter
    {0xAD, 72},
    {0xE1, 84},
    {0x64, 85},
    {0x1D, 97},
    {0x1B, 86},
    {0x06, 98},
    {0x19, 87},
    {0x05, 99},
    {0x11, 88},
    {0x10, 77},
    {0x36, 89},
    {0x37, 90},
    {0x38, 79},
    {0xE5, 80},
    {0x52, 117},
    {0x59, 82},
    {0x5A, 94},
    {0x5B, 83},
    {0x58, 95},
    // -, left control, GUI, alt, space, right alt, -, application,
    // right control, arrows, keypad 0 and period
    {0xAE, 96},
    {0xE0, 108},
    {0xE3, 109},
    {0xE2, 110},
    {0x2C, 112},
    {0xE6, 114},
    {0xF1, 115},
    {0x65, 103},
    {0xE4, 92},
    {0x50, 104},
    {0x51, 116},
    {0x4F, 118},
    {0x62, 106},
    {0x63, 107},
};

void applyFrame(LedBitmap &bitmap, const KeyFrame &frame) {
  for (int i = 0; i < kKeyCount; i++) {
    unsigned p = KeyLedMap[i].bit;
    unsigned shift = p % 8;
    uint8_t &byte = bitmap.bytes[p / 8];
    byte = static_cast<uint8_t>((byte & ~(1u << shift)) |
                                ((frame.keys[i] & 1u) << shift));
  }
}

void fillBitmap(LedBitmap &bitmap, bool on) {
  std::memset(bitmap.bytes, on ? 0xFF : 0x00, sizeof bitmap.bytes);
}

KeyBitmapPayload makePayload(const LedBitmap &bitmap) {
  KeyBitmapPayload payload{};
  std::memcpy(payload.bytes, bitmap.bytes, sizeof bitmap.bytes);
  return payload;
}

bool readReport(const void *data, uint32_t size, LedBitmap &bitmap) {
  if (!data || size < kBitmapBytes)
    return false;
  std::memcpy(bitmap.bytes, data, sizeof bitmap.bytes);
  return true;
}

} // namespace tovrik
