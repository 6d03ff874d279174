// What a picture lights, as sets the preview's tests compare: Tovrik keys by
// index, Duvek cells as row << 8 | column with their colours, and the few
// set operations the expected sets are written with.  Shared by the host
// tests and the Wine check.
#ifndef PREVIEW_TESTS_LIT_KEYS_H
#define PREVIEW_TESTS_LIT_KEYS_H

#include "lighting.h"

#include <cstdint>
#include <set>
#include <utility>

namespace preview {
namespace lit {

using Cells = std::set<std::pair<int, uint32_t>>;

inline std::set<int> range(int from, int to) {
  std::set<int> s;
  for (int i = from; i <= to; i++)
    s.insert(i);
  return s;
}

inline std::set<int> plus(std::set<int> a, const std::set<int> &b) {
  a.insert(b.begin(), b.end());
  return a;
}

inline std::set<int> minus(std::set<int> a, const std::set<int> &b) {
  for (int x : b)
    a.erase(x);
  return a;
}

// The Tovrik keys lit in a key bitmap.
inline std::set<int> tovrikLitIn(const uint8_t *bitmap) {
  std::set<int> s;
  for (int i = 0; i < kTovrikKeys; i++) {
    if (tovrikKeyLit(bitmap, i))
      s.insert(i);
  }
  return s;
}

// The Tovrik keys a picture lights; none for no picture.
inline std::set<int> tovrikLit(const Picture *p) {
  return p ? tovrikLitIn(p->tovrik.bitmap) : std::set<int>();
}

// The Tovrik movement keys: W, A, S, D, Space.
inline const std::set<int> kTovrikMovement = {41, 62, 63, 64, 100};

// The Duvek cells a picture lights, with their colours; none for no picture.
inline Cells duvekLit(const Picture *p) {
  Cells s;
  for (int i = 0; p && i < kDuvekCells; i++) {
    if (p->duvek.cells[i])
      s.insert(
          {(i / kDuvekColumns) << 8 | (i % kDuvekColumns), p->duvek.cells[i]});
  }
  return s;
}

// Cells from..to (as row << 8 | column) in one colour.
inline void addCells(Cells *s, int from, int to, uint32_t rgb) {
  for (int c = from; c <= to; c++)
    s->insert({c, rgb});
}

// The Duvek cells of the movement keys (W, A, S, D, Space, and the key at
// row 0 column 20), in one colour.
inline Cells duvekMovement(uint32_t rgb) {
  Cells s;
  for (int code : {0x0203, 0x0302, 0x0303, 0x0304, 0x0507, 0x0014})
    s.insert({code, rgb});
  return s;
}

} // namespace lit
} // namespace preview

#endif
