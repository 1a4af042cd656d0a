// SPDX-License-Identifier: GPL-2.0-or-later
// Real PNG and JPEG files for the picture tests, written with libpng and libjpeg.
#pragma once

#include <cstdint>
#include <vector>

namespace qor::test {

// A PNG of w x h pixels; `pixels` holds 4 bytes (RGBA) or, with `alpha` false, 3 (RGB) each.
std::vector<uint8_t> pngOf(uint32_t w, uint32_t h, const std::vector<uint8_t>& pixels,
                           bool alpha = true);
// A JPEG of w x h pixels; `pixels` holds 3 bytes (RGB) or, with `gray`, 1 byte each.
std::vector<uint8_t> jpegOf(uint32_t w, uint32_t h, const std::vector<uint8_t>& pixels,
                            bool gray = false);
// A PNG whose header claims w x h pixels, followed by a small valid data chunk: it tests what
// a decoder decides from the header alone.
std::vector<uint8_t> pngHeaderOnly(uint32_t w, uint32_t h);

}  // namespace qor::test
