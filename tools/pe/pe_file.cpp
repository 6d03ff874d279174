#include "pe_file.h"

#include <algorithm>
#include <stdexcept>

namespace pe_file {
namespace {

using Bytes = std::vector<uint8_t>;

[[noreturn]] void fail(const std::string &what) {
  throw std::runtime_error(what);
}

uint32_t le(const Bytes &b, size_t at, size_t n) {
  if (at > b.size() || b.size() - at < n)
    fail("read past the end of the file at offset " + std::to_string(at));
  uint32_t v = 0;
  for (size_t i = n; i-- > 0;)
    v = v << 8 | b[at + i];
  return v;
}
uint16_t u16(const Bytes &b, size_t at) {
  return static_cast<uint16_t>(le(b, at, 2));
}
uint32_t u32(const Bytes &b, size_t at) { return le(b, at, 4); }

struct Section {
  uint32_t rva, rawSize, rawOffset;
};

size_t fileOffset(const std::vector<Section> &sections, uint32_t rva) {
  for (const Section &s : sections)
    if (rva >= s.rva && rva - s.rva < s.rawSize)
      return size_t{s.rawOffset} + (rva - s.rva);
  fail("RVA " + std::to_string(rva) + " lies in no section's file data");
}

constexpr uint32_t kSubdirectory = 0x80000000u;

// The offset field of the entry `id` (or of the first entry, for id < 0) of
// the resource directory at `dir`; offsets count from the section start.
uint32_t dirEntry(const Bytes &b, size_t rsrc, uint32_t dir, int id) {
  size_t at = rsrc + dir;
  unsigned count = u16(b, at + 12) + u16(b, at + 14);
  for (unsigned i = 0; i < count; i++) {
    size_t entry = at + 16 + 8 * size_t{i};
    uint32_t name = u32(b, entry);
    if (id < 0 || name == static_cast<uint32_t>(id))
      return u32(b, entry + 4);
  }
  fail("no resource directory entry " + std::to_string(id));
}

// One node of the VS_VERSIONINFO tree: length, value length, type, key,
// value, children; each part 32-bit aligned from the resource's start.
struct Block {
  std::string key;
  size_t value = 0, valueBytes = 0, children = 0, end = 0;
};

char narrow(uint16_t c) { return c < 0x80 ? static_cast<char>(c) : '?'; }

size_t align4(size_t base, size_t at) {
  return base + ((at - base + 3) & ~size_t{3});
}

Block block(const Bytes &b, size_t base, size_t at, size_t limit) {
  Block k;
  size_t length = u16(b, at);
  if (length < 6 || at > limit || length > limit - at)
    fail("version block at offset " + std::to_string(at) + " overruns");
  k.end = at + length;
  size_t valueLength = u16(b, at + 2);
  bool text = u16(b, at + 4) == 1;
  size_t p = at + 6;
  for (;;) {
    if (p + 2 > k.end)
      fail("version block key without its terminator");
    uint16_t c = u16(b, p);
    p += 2;
    if (c == 0)
      break;
    k.key += narrow(c);
  }
  k.value = align4(base, p);
  k.valueBytes = text ? 2 * valueLength : valueLength;
  if (k.value > k.end || k.valueBytes > k.end - k.value)
    fail("value of version block " + k.key + " overruns it");
  k.children = align4(base, k.value + k.valueBytes);
  return k;
}

template <typename Visit>
void eachChild(const Bytes &b, size_t base, const Block &parent, Visit visit) {
  for (size_t p = parent.children; p < parent.end;) {
    Block child = block(b, base, p, parent.end);
    visit(child);
    p = align4(base, child.end);
  }
}

std::string text(const Bytes &b, const Block &k) {
  std::string s;
  for (size_t p = k.value; p + 2 <= k.value + k.valueBytes; p += 2) {
    uint16_t c = u16(b, p);
    if (c == 0)
      break;
    s += narrow(c);
  }
  return s;
}

void split(uint32_t ms, uint32_t ls, std::array<uint16_t, 4> &out) {
  out = {static_cast<uint16_t>(ms >> 16), static_cast<uint16_t>(ms),
         static_cast<uint16_t>(ls >> 16), static_cast<uint16_t>(ls)};
}

// The headers every reader needs: machine, sections and data directories.
struct Image {
  uint16_t machine = 0;
  std::vector<Section> sections;
  size_t dirs = 0;       // offset of the first data directory
  uint32_t dirCount = 0; // how many the optional header declares
};

Image image(const Bytes &b) {
  Image img;
  if (u16(b, 0) != 0x5A4D) // "MZ"
    fail("no DOS header");
  size_t pe = u32(b, 0x3C);
  if (u32(b, pe) != 0x4550) // "PE\0\0"
    fail("no PE signature");
  img.machine = u16(b, pe + 4);
  unsigned sectionCount = u16(b, pe + 6);
  size_t optional = pe + 24;
  size_t optionalSize = u16(b, pe + 20);
  uint16_t magic = u16(b, optional);
  if (magic != 0x10B && magic != 0x20B)
    fail("neither a PE32 nor a PE32+ optional header");
  // Data directories: after 96 bytes in PE32, 112 in PE32+.
  img.dirs = optional + (magic == 0x10B ? 96 : 112);
  img.dirCount = u32(b, img.dirs - 4);
  for (unsigned i = 0; i < sectionCount; i++) {
    size_t s = optional + optionalSize + 40 * size_t{i};
    img.sections.push_back({u32(b, s + 12), u32(b, s + 16), u32(b, s + 20)});
  }
  return img;
}

// The RVA of data directory `index`, 0 when the file has none.
uint32_t directory(const Bytes &b, const Image &img, uint32_t index) {
  return index < img.dirCount ? u32(b, img.dirs + 8 * size_t{index}) : 0;
}

std::string cString(const Bytes &b, size_t at) {
  std::string s;
  for (;; at++) {
    auto c = static_cast<char>(le(b, at, 1));
    if (c == 0)
      return s;
    if (s.size() >= 4096)
      fail("export name without its terminator");
    s += c;
  }
}

} // namespace

uint16_t readMachine(const Bytes &b) { return image(b).machine; }

std::vector<std::string> readExports(const Bytes &b) {
  Image img = image(b);
  uint32_t rva = directory(b, img, 0);
  std::vector<std::string> names;
  if (rva == 0)
    return names;
  size_t exports = fileOffset(img.sections, rva);
  uint32_t count = u32(b, exports + 24);
  size_t table = fileOffset(img.sections, u32(b, exports + 32));
  if (count > (b.size() - std::min(table, b.size())) / 4)
    fail("export name table overruns the file");
  for (uint32_t i = 0; i < count; i++)
    names.push_back(
        cString(b, fileOffset(img.sections, u32(b, table + 4 * size_t{i}))));
  return names;
}

VersionInfo readVersion(const Bytes &b) {
  VersionInfo info;
  Image img = image(b);
  info.machine = img.machine;
  // The resource directory is the third.
  uint32_t rsrcRva = directory(b, img, 2);
  if (rsrcRva == 0)
    fail("no resources");
  const std::vector<Section> &sections = img.sections;
  size_t rsrc = fileOffset(sections, rsrcRva);

  // Three levels: type RT_VERSION (16), the first name, the first language.
  uint32_t type = dirEntry(b, rsrc, 0, 16);
  if (!(type & kSubdirectory))
    fail("RT_VERSION is not a directory");
  uint32_t name = dirEntry(b, rsrc, type & ~kSubdirectory, -1);
  if (!(name & kSubdirectory))
    fail("the version resource's name is not a directory");
  uint32_t lang = dirEntry(b, rsrc, name & ~kSubdirectory, -1);
  if (lang & kSubdirectory)
    fail("the version resource's language is not a data entry");
  uint32_t dataRva = u32(b, rsrc + lang);
  size_t dataSize = u32(b, rsrc + lang + 4);
  size_t data = fileOffset(sections, dataRva);
  if (data > b.size() || dataSize > b.size() - data)
    fail("version resource data overruns the file");

  Block root = block(b, data, data, data + dataSize);
  if (root.key != "VS_VERSION_INFO" || root.valueBytes < 52 ||
      u32(b, root.value) != 0xFEEF04BD)
    fail("no VS_FIXEDFILEINFO in the version resource");
  split(u32(b, root.value + 8), u32(b, root.value + 12), info.fileVersion);
  split(u32(b, root.value + 16), u32(b, root.value + 20), info.productVersion);
  info.fileType = u32(b, root.value + 36);

  eachChild(b, data, root, [&](const Block &child) {
    if (child.key != "StringFileInfo")
      return;
    eachChild(b, data, child, [&](const Block &table) {
      eachChild(b, data, table,
                [&](const Block &s) { info.strings[s.key] = text(b, s); });
    });
  });
  return info;
}

} // namespace pe_file
