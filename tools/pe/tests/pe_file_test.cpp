// The PE reader on cut-short headers: every read is checked for its whole
// width, so a field cut in two at the end of the file is an error even
// where the vector still holds the old bytes beyond its end.
#include "pe_file.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

void put(std::vector<uint8_t> &b, size_t at, uint32_t v, size_t n) {
  for (size_t i = 0; i < n; i++)
    b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// The least that readMachine reads: DOS header, signature, file header and
// a PE32 optional header up to its count of data directories (0 sections).
std::vector<uint8_t> smallestHeader() {
  std::vector<uint8_t> b(0x40 + 24 + 96);
  put(b, 0, 0x5A4D, 2);          // "MZ"
  put(b, 0x3C, 0x40, 4);         // e_lfanew
  put(b, 0x40, 0x4550, 4);       // "PE\0\0"
  put(b, 0x44, 0x14C, 2);        // x86
  put(b, 0x40 + 24, 0x10B, 2);   // PE32
  put(b, 0x40 + 24 + 92, 16, 4); // data directories
  return b;
}

TEST(PeFile, EveryCutHeaderIsAnError) {
  const std::vector<uint8_t> whole = smallestHeader();
  EXPECT_EQ(pe_file::readMachine(whole), pe_file::kMachineX86);
  for (size_t cut = 0; cut < whole.size(); cut++) {
    std::vector<uint8_t> b = whole;
    b.resize(cut); // keeps the capacity and the bytes beyond the cut
    EXPECT_THROW(pe_file::readMachine(b), std::runtime_error) << "cut " << cut;
  }
}

} // namespace
