// The key frame, the service's key-light bitmap, the table that places each
// logical key on a bitmap bit, and the wire payload.  Plain data and code:
// nothing here knows about windows.
#ifndef TOVRIK_KEY_BITMAP_H
#define TOVRIK_KEY_BITMAP_H

#include <cstdint>

namespace tovrik {

constexpr int kKeyCount = 110;
constexpr int kBitmapBytes = 15;
constexpr int kPayloadBytes = 20;

// One byte per logical key, in KeyLedMap order; bit 0 says lit.
struct KeyFrame {
  uint8_t keys[kKeyCount];
};

// 120 key-light positions: position p is bit p % 8 of byte p / 8.
struct LedBitmap {
  uint8_t bytes[kBitmapBytes];
};

// What a key-bitmap message carries: the bitmap, then five reserved zeros.
struct KeyBitmapPayload {
  uint8_t bytes[kPayloadBytes];
};

struct KeyLedRow {
  uint8_t usage; // USB HID usage, Keyboard/Keypad page
  uint8_t bit;   // position in LedBitmap
};

extern const KeyLedRow KeyLedMap[kKeyCount];

// Writes bit 0 of every frame byte onto its key's position; positions that
// no key owns keep their value.
void applyFrame(LedBitmap &bitmap, const KeyFrame &frame);
void fillBitmap(LedBitmap &bitmap, bool on);
KeyBitmapPayload makePayload(const LedBitmap &bitmap);

// A report from the service replaces the whole bitmap.  Returns false, and
// leaves the bitmap alone, when it carries fewer than the bitmap's bytes.
bool readReport(const void *data, uint32_t size, LedBitmap &bitmap);

// Three bytes packed high to low into bits 16..23, 8..15 and 0..7.
constexpr uint32_t packBytes(uint8_t high, uint8_t mid, uint8_t low) {
  return uint32_t(high) << 16 | uint32_t(mid) << 8 | uint32_t(low);
}

} // namespace tovrik

#endif
