// SPDX-License-Identifier: GPL-2.0-or-later
#include "picture_fixtures.h"

// clang-format off
#include <cstdio>
#include <jpeglib.h>
// clang-format on
#include <png.h>
#include <zlib.h>

#include <cstdlib>
#include <stdexcept>
#include <string>

namespace qor::test {

std::vector<uint8_t> pngOf(uint32_t w, uint32_t h, const std::vector<uint8_t>& pixels, bool alpha) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = w;
  image.height = h;
  image.format = alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, nullptr))
    throw std::runtime_error(image.message);
  std::vector<uint8_t> out(size);
  if (!png_image_write_to_memory(&image, out.data(), &size, 0, pixels.data(), 0, nullptr))
    throw std::runtime_error(image.message);
  out.resize(size);
  return out;
}

std::vector<uint8_t> jpegOf(uint32_t w, uint32_t h, const std::vector<uint8_t>& pixels, bool gray) {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr err{};
  cinfo.err = jpeg_std_error(&err);  // fixtures are well-formed: libjpeg's exit is fine here
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = w;
  cinfo.image_height = h;
  cinfo.input_components = gray ? 1 : 3;
  cinfo.in_color_space = gray ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 100, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  const std::size_t stride = std::size_t(w) * cinfo.input_components;
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<uint8_t*>(pixels.data()) + cinfo.next_scanline * stride;
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  std::vector<uint8_t> out(buffer, buffer + size);
  jpeg_destroy_compress(&cinfo);
  std::free(buffer);
  return out;
}

namespace {

void putBig32(std::vector<uint8_t>& b, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) b.push_back(uint8_t(v >> shift));
}

void chunk(std::vector<uint8_t>& png, const char* type, const std::vector<uint8_t>& data) {
  putBig32(png, uint32_t(data.size()));
  const std::size_t start = png.size();
  png.insert(png.end(), type, type + 4);
  png.insert(png.end(), data.begin(), data.end());
  putBig32(png, uint32_t(crc32(0, png.data() + start, uInt(png.size() - start))));
}

}  // namespace

std::vector<uint8_t> pngHeaderOnly(uint32_t w, uint32_t h) {
  std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> ihdr;
  putBig32(ihdr, w);
  putBig32(ihdr, h);
  ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, no filter, no interlace
  chunk(png, "IHDR", ihdr);
  const uint8_t rows[8] = {};
  std::vector<uint8_t> idat(64);
  uLongf n = idat.size();
  compress(idat.data(), &n, rows, sizeof rows);
  idat.resize(n);
  chunk(png, "IDAT", idat);
  chunk(png, "IEND", {});
  return png;
}

}  // namespace qor::test
