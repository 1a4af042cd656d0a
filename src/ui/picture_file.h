// SPDX-License-Identifier: GPL-2.0-or-later
// Decoding of PNG and JPEG pictures into an owned RGBA bitmap.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace qor {

// A decoded picture: Width x Height pixels of 4 bytes (R, G, B, A), rows top to bottom.
struct RgbaImage {
  uint32_t Width = 0;
  uint32_t Height = 0;
  std::vector<uint8_t> Pixels;

  bool IsEmpty() const { return Width == 0 || Height == 0; }
};

// Pictures with more pixels are refused before any pixel memory is taken: the program's
// pictures are skins and layouts, far below this.
inline constexpr uint64_t kMaxPicturePixels = 16u * 1024u * 1024u;

// Decodes a PNG or a JPEG picture, told apart by their signatures. A damaged or truncated
// picture, one without pixels or one above kMaxPicturePixels is refused. Returns an error
// text, or nothing with `out` replaced; `out` is untouched on failure.
std::optional<std::string> DecodePicture(const uint8_t* data, std::size_t size, RgbaImage& out);

// Reads and decodes a picture file; errors name the file.
std::optional<std::string> LoadPictureFile(const std::filesystem::path& file, RgbaImage& out);

}  // namespace qor
