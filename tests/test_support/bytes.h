// SPDX-License-Identifier: GPL-2.0-or-later
// Little-endian field access by hand-computed offsets, for checking byte images.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace qor::test {

using Bytes = std::vector<uint8_t>;

template <typename T>
Bytes imageOf(const T& record) {
  Bytes b(sizeof(T));
  std::memcpy(b.data(), &record, sizeof(T));
  return b;
}

template <typename T>
T recordOf(const Bytes& b) {
  T record{};
  std::memcpy(&record, b.data(), std::min(b.size(), sizeof(T)));
  return record;
}

inline uint16_t u16At(const Bytes& b, std::size_t off) {
  return uint16_t(b.at(off) | b.at(off + 1) << 8);
}
inline int32_t i32At(const Bytes& b, std::size_t off) {
  return int32_t(uint32_t(b.at(off)) | uint32_t(b.at(off + 1)) << 8 |
                 uint32_t(b.at(off + 2)) << 16 | uint32_t(b.at(off + 3)) << 24);
}
inline void put16(Bytes& b, std::size_t off, uint16_t v) {
  b.at(off) = uint8_t(v);
  b.at(off + 1) = uint8_t(v >> 8);
}
inline void put32(Bytes& b, std::size_t off, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.at(off + i) = uint8_t(v >> (8 * i));
}
// Writes an ASCII text as UTF-16LE units, without terminator.
inline void putWide(Bytes& b, std::size_t off, const std::string& ascii) {
  for (std::size_t i = 0; i < ascii.size(); ++i) put16(b, off + 2 * i, uint8_t(ascii[i]));
}
// Reads n UTF-16LE units as ASCII, stopping at 0.
inline std::string wideAt(const Bytes& b, std::size_t off, std::size_t units) {
  std::string s;
  for (std::size_t i = 0; i < units; ++i) {
    uint16_t u = u16At(b, off + 2 * i);
    if (!u) break;
    s.push_back(char(u));
  }
  return s;
}

// A report of `size` bytes starting with `head`, zero after it.
inline Bytes padded(std::size_t size, Bytes head) {
  head.resize(size, 0);
  return head;
}

}  // namespace qor::test
