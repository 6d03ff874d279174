// Checks the screenshots the virtual keyboards took of their windows while
// the default session played (tovrik-NNNN.png, duvek-NNNN.png,
// ulvoran-NNNN.png), by the colour of a few keys, and copies one picture of
// each window into PAGE-DIR for the preview's page.
//   virtual_check.exe SHOTS-DIR PAGE-DIR
#include "check.h"
#include "duvek.h"
#include "tovrik.h"
#include "ulvoran.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace {

std::string gShots, gPage;
constexpr uint32_t kGreen = 0x00FF00, kRed = 0xFF0000;
constexpr uint32_t kDark = preview::kDarkKey;
constexpr uint32_t kOrange = 0xFF8000; // 100 50 0 percent

struct Shot {
  std::string path;
  int width = 0, height = 0;
  std::vector<unsigned char> rgb;

  uint32_t at(preview::KeyBox b) const {
    int x = b.x + 3, y = b.y + 3; // the face, away from the label
    if (x >= width || y >= height)
      return 0xFFFFFFFF;
    const unsigned char *p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
    return static_cast<uint32_t>(p[0] << 16 | p[1] << 8 | p[2]);
  }
};

// The window's screenshots in the order it took them.
std::vector<Shot> shotsOf(const char *window) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA fd;
  std::string pattern = gShots + "\\" + window + "-*.png";
  HANDLE h = FindFirstFileA(pattern.c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do
      names.push_back(fd.cFileName);
    while (FindNextFileA(h, &fd));
    FindClose(h);
  }
  std::sort(names.begin(), names.end());
  std::vector<Shot> shots;
  for (const std::string &name : names) {
    Shot s;
    s.path = gShots + "\\" + name;
    preview::Image img;
    if (!preview::readPng(s.path, &img))
      continue;
    s.width = img.width;
    s.height = img.height;
    s.rgb = std::move(img.rgb);
    shots.push_back(s);
  }
  std::printf("  %s: %zu screenshots\n", window, shots.size());
  return shots;
}

// The first shot from `from` on that shows the state, or -1.
template <typename Test>
int firstShowing(const std::vector<Shot> &shots, size_t from, Test shows) {
  for (size_t i = from; i < shots.size(); i++) {
    if (shows(shots[i]))
      return static_cast<int>(i);
  }
  return -1;
}

void keepForPage(const Shot &s, const char *name) {
  CreateDirectoryA(gPage.c_str(), nullptr);
  CHECK(CopyFileA(s.path.c_str(), (gPage + "\\" + name).c_str(), FALSE));
}

uint32_t tovrikKey(const Shot &s, const char *label) {
  return s.at(preview::tovrikKeyBox(preview::tovrikKeyByLabel(label)));
}

} // namespace

// After "updateHealthAndArmor 0.5 0.25" and "update": health F1-F6 and
// armour 1-2 in the key colour, the movement keys too; later, in a flash,
// every key red.
TEST_CASE(tovrik_window) {
  std::vector<Shot> shots = shotsOf("tovrik");
  int half = firstShowing(shots, 0, [](const Shot &s) {
    for (const char *k : {"F1", "F6", "1", "2", "W", "A", "S", "D"})
      if (tovrikKey(s, k) != kGreen)
        return false;
    for (const char *k : {"F7", "F12", "3", "Q"})
      if (tovrikKey(s, k) != kDark)
        return false;
    return true;
  });
  CHECK(half >= 0);
  int flash = firstShowing(shots, half + 1, [](const Shot &s) {
    for (int k = 0; k < preview::kTovrikKeys; k++)
      if (s.at(preview::tovrikKeyBox(k)) != kRed)
        return false;
    return true;
  });
  CHECK(flash > half);
  if (half >= 0)
    keepForPage(shots[half], "tovrik.png");
}

TEST_CASE(duvek_window) {
  std::vector<Shot> shots = shotsOf("duvek");
  auto cell = [](const Shot &s, int row, int column) {
    return s.at(preview::duvekCellBox(row, column));
  };
  // The bars have a colour of their own; the movement keys the key colour.
  int half = firstShowing(shots, 0, [&](const Shot &s) {
    uint32_t bar = cell(s, 0, 3); // F1
    for (int c = 4; c <= 8; c++)  // F2 to F6
      if (cell(s, 0, c) != bar)
        return false;
    return bar != kDark && cell(s, 0, 9) == kDark && cell(s, 0, 14) == kDark &&
           cell(s, 2, 3) == kGreen && cell(s, 3, 2) == kGreen; // W, A
  });
  CHECK(half >= 0);
  int flash = firstShowing(shots, half + 1, [&](const Shot &s) {
    for (int r = 0; r < preview::kDuvekRows; r++)
      for (int c = 0; c < preview::kDuvekColumns; c++)
        if (cell(s, r, c) != kRed)
          return false;
    return true;
  });
  CHECK(flash > half);
  if (half >= 0)
    keepForPage(shots[half], "duvek.png");
}

// The whole-board colour: green from the start, orange later.
TEST_CASE(ulvoran_window) {
  std::vector<Shot> shots = shotsOf("ulvoran");
  auto colour = [](const Shot &s) { return s.at(preview::ulvoranColourBox()); };
  int green = firstShowing(shots, 0,
                           [&](const Shot &s) { return colour(s) == kGreen; });
  CHECK(green >= 0);
  int orange = firstShowing(
      shots, green + 1, [&](const Shot &s) { return colour(s) == kOrange; });
  CHECK(orange > green);
  // The last orange picture has the bitmap and the longest log.
  int last = orange;
  while (last >= 0 && last + 1 < static_cast<int>(shots.size()) &&
         colour(shots[last + 1]) == kOrange)
    last++;
  if (last >= 0)
    keepForPage(shots[last], "ulvoran.png");
}

int main(int argc, char **argv) {
  if (argc != 3) {
    std::printf("usage: virtual_check SHOTS-DIR PAGE-DIR\n");
    return 2;
  }
  gShots = argv[1];
  gPage = argv[2];
  char *none[] = {argv[0]};
  return check::run(1, none);
}
