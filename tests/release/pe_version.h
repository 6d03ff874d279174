// Reads a PE file's version resource (RT_VERSION) the way Windows' version
// API sees it, on any host: the release tests check the DLLs without Wine.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace pe_version {

struct VersionInfo {
  uint16_t machine = 0;  // COFF machine: 0x14c x86, 0x8664 x64
  uint32_t fileType = 0; // VS_FIXEDFILEINFO dwFileType: 2 for a DLL
  std::array<uint16_t, 4> fileVersion{};    // major, minor, patch, build
  std::array<uint16_t, 4> productVersion{}; // likewise
  // Every value of every StringFileInfo table, ASCII ('?' for the rest).
  std::map<std::string, std::string> strings;
};

// Throws std::runtime_error naming what is missing or malformed; every read
// is bounds-checked, so a damaged file cannot take the reader outside it.
VersionInfo read(const std::vector<uint8_t> &file);

} // namespace pe_version
