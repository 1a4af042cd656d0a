// SPDX-License-Identifier: GPL-2.0-or-later
#include "icon_container.h"

#include <array>
#include <cstring>
#include <limits>

namespace qor {

namespace {

constexpr std::array<uint8_t, 8> kPngSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// Signature, IHDR length and type, then width and height (big-endian) at bytes 16 and 20.
constexpr std::size_t kIhdrTypeAt = 12;
constexpr std::size_t kIhdrWidthAt = 16;
constexpr std::size_t kIhdrHeightAt = 20;
constexpr std::size_t kIhdrEnd = 24;

uint32_t bigEndian32(const std::vector<uint8_t>& b, std::size_t at) {
  return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 |
         uint32_t(b[at + 3]);
}

template <typename T>
void append(std::vector<uint8_t>& out, const T& record) {
  const auto* p = reinterpret_cast<const uint8_t*>(&record);
  out.insert(out.end(), p, p + sizeof(T));
}

std::string imageError(std::size_t index, const std::string& what) {
  return "image " + std::to_string(index + 1) + ": " + what;
}

}  // namespace

std::optional<std::string> ReadPngSize(const std::vector<uint8_t>& png, PngSize& out) {
  if (png.size() < kIhdrEnd || !std::equal(kPngSignature.begin(), kPngSignature.end(), png.begin()))
    return std::string("not a PNG file");
  if (std::memcmp(png.data() + kIhdrTypeAt, "IHDR", 4) != 0)
    return std::string("PNG file without IHDR chunk at its start");
  const PngSize size{bigEndian32(png, kIhdrWidthAt), bigEndian32(png, kIhdrHeightAt)};
  if (size.width == 0 || size.height == 0) return std::string("PNG file of size 0");
  out = size;
  return std::nullopt;
}

std::optional<std::string> BuildIconFile(IconKind kind, const std::vector<IconImage>& images,
                                         std::vector<uint8_t>& out) {
  if (images.empty()) return std::string("no image given");
  if (images.size() > std::numeric_limits<uint16_t>::max()) return std::string("too many images");

  std::vector<ICONDIRENTRY> entries;
  std::size_t offset = sizeof(ICONDIR) + images.size() * sizeof(ICONDIRENTRY);
  for (std::size_t i = 0; i < images.size(); ++i) {
    const IconImage& image = images[i];
    PngSize size;
    if (auto e = ReadPngSize(image.png, size)) return imageError(i, *e);
    if (size.width > kMaxIconSide || size.height > kMaxIconSide)
      return imageError(i, std::to_string(size.width) + "x" + std::to_string(size.height) +
                               " is larger than 256x256");
    if (kind == IconKind::Cursor && (image.hotspotX >= size.width || image.hotspotY >= size.height))
      return imageError(i, "hotspot " + std::to_string(image.hotspotX) + "," +
                               std::to_string(image.hotspotY) + " lies outside the image");
    if (offset + image.png.size() > std::numeric_limits<uint32_t>::max())
      return imageError(i, "the file would pass 4 GiB");

    ICONDIRENTRY entry{};
    entry.bWidth = uint8_t(size.width % kMaxIconSide);
    entry.bHeight = uint8_t(size.height % kMaxIconSide);
    entry.wPlanes = kind == IconKind::Cursor ? image.hotspotX : 1;
    entry.wBitCount = kind == IconKind::Cursor ? image.hotspotY : 32;
    entry.dwBytesInRes = uint32_t(image.png.size());
    entry.dwImageOffset = uint32_t(offset);
    entries.push_back(entry);
    offset += image.png.size();
  }

  std::vector<uint8_t> file;
  file.reserve(offset);
  append(file, ICONDIR{0, uint16_t(kind), uint16_t(images.size())});
  for (const ICONDIRENTRY& entry : entries) append(file, entry);
  for (const IconImage& image : images) file.insert(file.end(), image.png.begin(), image.png.end());
  out = std::move(file);
  return std::nullopt;
}

}  // namespace qor
