// Reads typed values off the front of a fuzzer's input; past its end every
// value reads as zero, so a short input is still a whole case.
#ifndef VELQUOR_FUZZ_INPUT_H
#define VELQUOR_FUZZ_INPUT_H

#include <cstddef>
#include <cstdint>
#include <cstring>

struct FuzzInput {
  const uint8_t *data;
  size_t size;

  template <typename T> T take() {
    T value{};
    size_t n = size < sizeof value ? size : sizeof value;
    std::memcpy(&value, data, n);
    data += n;
    size -= n;
    return value;
  }
};

#define FUZZ_REQUIRE(cond)                                                     \
  do {                                                                         \
    if (!(cond))                                                               \
      __builtin_trap();                                                        \
  } while (0)

#endif
