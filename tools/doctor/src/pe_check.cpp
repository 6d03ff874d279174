// Vendor files are read as bytes and parsed by the bounds-checked PE
// reader: loading one to look at it would run its start-up code inside the
// doctor.
#include "doctor.h"
#include "pe_file.h"

#include <windows.h>

#include <algorithm>
#include <new>
#include <stdexcept>

namespace doctor {
namespace {

// No vendor library comes near this; a bigger file is read no further.
constexpr DWORD kMaxFileBytes = 256u << 20;

bool readFile(const std::wstring &path, std::vector<uint8_t> &bytes,
              std::string &error) {
  HANDLE file =
      CreateFileW(path.c_str(), GENERIC_READ,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    error = "cannot be opened (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  DWORD high = 0;
  DWORD size = GetFileSize(file, &high);
  bool ok = size != INVALID_FILE_SIZE && high == 0 && size <= kMaxFileBytes;
  if (!ok)
    error = "is larger than 256 MB: no Windows library of a keyboard";
  DWORD got = 0;
  if (ok) {
    bytes.resize(size); // may throw std::bad_alloc: readPe reports it
    ok = size == 0 ||
         (ReadFile(file, bytes.data(), size, &got, nullptr) && got == size);
    if (!ok)
      error = "cannot be read whole";
  }
  CloseHandle(file);
  return ok;
}

} // namespace

PeFacts readPe(const std::wstring &path, const char *const *names,
               size_t count) {
  PeFacts pe;
  DWORD attributes = GetFileAttributesW(path.c_str());
  pe.exists = attributes != INVALID_FILE_ATTRIBUTES &&
              !(attributes & FILE_ATTRIBUTE_DIRECTORY);
  if (!pe.exists)
    return pe;
  // A 32-bit doctor may not find room for a big file, or for the names of
  // an export table of millions: that is a finding, not the doctor's end.
  try {
    std::vector<uint8_t> bytes;
    if (!readFile(path, bytes, pe.error))
      return pe;
    uint16_t machine = pe_file::readMachine(bytes);
    pe.bits = machine == pe_file::kMachineX86   ? 32
              : machine == pe_file::kMachineX64 ? 64
                                                : 0;
    std::vector<std::string> exports = pe_file::readExports(bytes);
    for (size_t i = 0; i < count; i++)
      if (std::find(exports.begin(), exports.end(), names[i]) == exports.end())
        pe.missing.emplace_back(names[i]);
  } catch (const std::runtime_error &e) {
    pe.error = std::string("is no Windows library: ") + e.what();
  } catch (const std::exception &) { // bad_alloc, length_error
    pe.error = "cannot be read into the doctor's memory";
  }
  return pe;
}

std::string describe(const PeFacts &pe, size_t count) {
  if (!pe.exists)
    return "no such file";
  if (!pe.error.empty())
    return pe.error;
  std::string bits =
      pe.bits ? std::to_string(pe.bits) + "-bit" : "not an x86 or x64 file";
  if (pe.missing.empty())
    return bits + ", exports all " + std::to_string(count) + " entry points";
  return bits + ", lacks " + joined(pe.missing);
}

std::string cannotLoad(const std::wstring &path, const PeFacts &pe, int bits) {
  return utf8(path) + " is " +
         (pe.bits ? std::to_string(pe.bits) + "-bit"
                  : "for another processor") +
         "; a " + std::to_string(bits) + "-bit game cannot load it";
}

std::string joined(const std::vector<std::string> &items) {
  std::string out;
  for (const std::string &item : items)
    out += (out.empty() ? "" : ", ") + item;
  return out;
}

} // namespace doctor
