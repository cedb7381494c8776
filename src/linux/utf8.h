#pragma once
// UTF-8 read one way wherever the Linux program reads it: for matching names without regard to
// case, and for showing them on one line.
#include <cstddef>
#include <string_view>

namespace stampix {

// The code point of the UTF-8 sequence at the front of `text` and its length, or 0 where the
// front byte starts no valid sequence: a stray continuation byte, a sequence cut short or too
// long for its value, a surrogate or a value past Unicode's end. The caller then takes the byte
// alone.
inline std::size_t Utf8Sequence(std::string_view text, char32_t& c) {
  if (text.empty()) return 0;
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  if (byte(0) < 0x80) return c = byte(0), 1;
  const std::size_t n = byte(0) >= 0xF0 ? 4 : byte(0) >= 0xE0 ? 3 : byte(0) >= 0xC2 ? 2 : 0;
  if (n == 0 || text.size() < n) return 0;
  char32_t value = byte(0) & (0x7F >> n);
  for (std::size_t i = 1; i < n; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
    value = (value << 6) | (byte(i) & 0x3F);
  }
  const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
  if (value < least[n] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
  return c = value, n;
}

}  // namespace stampix
