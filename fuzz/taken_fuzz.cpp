// libFuzzer's way into the metadata readers: the input is a whole file, read through the same
// bounded Source as a real one. A crash, a hang or a date that is not eight digits is a finding.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "taken/taken.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::size_t read = 0;
  taken::Source source([&](std::uint64_t offset, std::uint8_t* into, std::size_t length) {
    const std::size_t n = offset < size ? std::min<std::uint64_t>(length, size - offset) : 0;
    if (n) std::memcpy(into, data + offset, n);
    read += length;
    return n;
  });
  const taken::Taken found = taken::Read(source);
  if (read > taken::kReadLimit) std::abort();
  if (!found.date.empty() &&
      taken::DateOfExif(found.date.substr(0, 4) + ":" + found.date.substr(4, 2) + ":" +
                        found.date.substr(6)) != found.date)
    std::abort();
  return 0;
}
