// Reads what Windows would see in a PE file (a DLL or an EXE) without
// loading it, on any host: its machine type, its export names and its
// version resource.  The release tests check the DLLs with it, and the
// doctor checks vendor files with it, which must never run their code.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace pe_file {

constexpr uint16_t kMachineX86 = 0x14C;
constexpr uint16_t kMachineX64 = 0x8664;

struct VersionInfo {
  uint16_t machine = 0;  // COFF machine: kMachineX86 or kMachineX64
  uint32_t fileType = 0; // VS_FIXEDFILEINFO dwFileType: 2 for a DLL
  std::array<uint16_t, 4> fileVersion{};    // major, minor, patch, build
  std::array<uint16_t, 4> productVersion{}; // likewise
  // Every value of every StringFileInfo table, ASCII ('?' for the rest).
  std::map<std::string, std::string> strings;
};

// Each throws std::runtime_error naming what is missing or malformed; every
// read is bounds-checked, so a damaged file cannot take the reader outside
// it.
uint16_t readMachine(const std::vector<uint8_t> &file);
VersionInfo readVersion(const std::vector<uint8_t> &file);
// The exported names, in the file's order; empty for a file without an
// export directory.
std::vector<std::string> readExports(const std::vector<uint8_t> &file);

} // namespace pe_file
