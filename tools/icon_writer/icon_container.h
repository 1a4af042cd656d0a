// SPDX-License-Identifier: GPL-2.0-or-later
// ICO and CUR files whose entries are whole PNG files, as the program folder ships its icon
// and cursors.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qor {

static_assert(std::endian::native == std::endian::little,
              "the container headers are written as little-endian byte images of these structs");

// The container's type field.
enum class IconKind : uint16_t { Icon = 1, Cursor = 2 };

// The file header.
struct ICONDIR {
  uint16_t idReserved;  // always 0
  uint16_t idType;      // IconKind
  uint16_t idCount;     // number of ICONDIRENTRY records that follow
};

// One image of the file.
struct ICONDIRENTRY {
  uint8_t bWidth;          // pixels, 0 = 256
  uint8_t bHeight;         // pixels, 0 = 256
  uint8_t bColorCount;     // 0: not a palette image
  uint8_t bReserved;       // always 0
  uint16_t wPlanes;        // icons: colour planes (1); cursors: hotspot x
  uint16_t wBitCount;      // icons: bits per pixel (32); cursors: hotspot y
  uint32_t dwBytesInRes;   // size of the PNG file
  uint32_t dwImageOffset;  // from the start of the file
};

static_assert(sizeof(ICONDIR) == 6);
static_assert(offsetof(ICONDIR, idType) == 2 && offsetof(ICONDIR, idCount) == 4);
static_assert(sizeof(ICONDIRENTRY) == 16);
static_assert(offsetof(ICONDIRENTRY, wPlanes) == 4 && offsetof(ICONDIRENTRY, wBitCount) == 6);
static_assert(offsetof(ICONDIRENTRY, dwBytesInRes) == 8);
static_assert(offsetof(ICONDIRENTRY, dwImageOffset) == 12);

// The largest side an entry can declare (a side of 256 is written as 0).
inline constexpr uint32_t kMaxIconSide = 256;

// Width and height of a PNG file.
struct PngSize {
  uint32_t width = 0;
  uint32_t height = 0;
};

// Reads the size from the PNG signature and IHDR chunk at the start of `png`. Returns an error
// text, or nothing on success; `out` is untouched on failure.
std::optional<std::string> ReadPngSize(const std::vector<uint8_t>& png, PngSize& out);

// One image to store.
struct IconImage {
  std::vector<uint8_t> png;  // a whole PNG file
  uint16_t hotspotX = 0;     // cursors only: pixels from the left edge
  uint16_t hotspotY = 0;     // cursors only: pixels from the top edge
};

// Builds the whole file: header, one entry per image in the order given, then the PNG files
// unchanged. Refuses an empty list, a non-PNG entry, a side above 256 and a hotspot outside
// its image. Returns an error text (naming the image by its position from 1), or nothing on
// success; `out` is untouched on failure.
std::optional<std::string> BuildIconFile(IconKind kind, const std::vector<IconImage>& images,
                                         std::vector<uint8_t>& out);

}  // namespace qor
