// The PE reader with any bytes for a vendor file: each read returns or
// throws std::runtime_error, never reads outside the file (the bytes are a
// copy of exactly the input's length, so AddressSanitizer sees one byte
// past it), and never takes more names than the file has room for.
#include "pe_file.h"

#include <stdexcept>

#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::vector<uint8_t> file(data, data + size);
  try {
    uint16_t machine = pe_file::readMachine(file);
    FUZZ_REQUIRE(pe_file::readVersion(file).machine == machine);
  } catch (const std::runtime_error &) {
  }
  try {
    // Each name takes a 4-byte entry of the name table in the file.
    FUZZ_REQUIRE(pe_file::readExports(file).size() <= size / 4);
  } catch (const std::runtime_error &) {
  }
  return 0;
}
