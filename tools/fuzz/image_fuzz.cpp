// SPDX-License-Identifier: GPL-2.0-or-later
// Feeds any byte string to the picture decoder: it must either refuse it, leaving the target
// as it was, or give a bitmap whose size matches its dimensions within the pixel cap.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "ui/picture_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  qor::RgbaImage image{1, 1, {1, 2, 3, 4}};
  if (qor::DecodePicture(data, size, image)) {
    if (image.Width != 1 || image.Height != 1 || image.Pixels != std::vector<uint8_t>{1, 2, 3, 4})
      std::abort();
    return 0;
  }
  const uint64_t pixels = uint64_t(image.Width) * image.Height;
  if (pixels == 0 || pixels > qor::kMaxPicturePixels || image.Pixels.size() != pixels * 4)
    std::abort();
  return 0;
}
