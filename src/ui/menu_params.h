// SPDX-License-Identifier: GPL-2.0-or-later
// TMenuParams: the look of one function menu level, as a window defines it. Fills are ARGB
// colours (0: the skin's own), pictures are names of skin pictures (empty: none).
#pragma once

#include <cstdint>
#include <string>

namespace qor {

// Distances from a level's edges, in pixels.
struct TMenuBounds {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
};

struct TMenuFont {
  std::string Family;  // empty: the skin's
  int Size = 0;        // pixels; 0: the skin's
  bool Bold = false;
};

struct TMenuParams {
  uint32_t BGFill = 0;
  uint32_t ItemNormalFill = 0;
  uint32_t ItemOverFill = 0;
  uint32_t ItemDownFill = 0;
  uint32_t ItemCheckFill = 0;
  uint32_t ItemExtenderFill = 0;
  uint32_t ItemFontFill = 0;
  std::string BGImage;
  std::string ItemCheckImage;
  TMenuBounds BGMargins;
  TMenuBounds MenuTextPadding;
  std::string BGResource;
  TMenuFont ItemFont;
  int ItemHeight = 30;
  int ItemWidth = 0;  // used when ItemAutoSize is off
  bool ItemShowCheck = true;
  bool ItemAutoSize = true;
  int ItemCursor = 0;  // 0: the arrow
  bool MenuShowCheckbox = false;
  bool MenuShowSelectedState = true;
  bool MenuShowSelectedCheckMark = true;
  int CustomWidth = 0;  // 0: automatic
  int CustomHeight = 0;
};

}  // namespace qor
