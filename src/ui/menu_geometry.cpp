// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/menu_geometry.h"

#include <algorithm>

namespace qor {
namespace {

// Lower case of the letters menus show: ASCII, Latin-1, Latin Extended-A, Greek and
// Cyrillic capitals (no locale is needed, the C library's would be "C" here).
char32_t lowered(char32_t c) {
  if ((c >= U'A' && c <= U'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 0x20;
  if (c == 0x178) return 0xFF;
  if (c >= 0x100 && c <= 0x17F && c != 0x130 && c != 0x138 && c != 0x149)
    return (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E) ? c + ((c & 1) ? 1 : 0) : c | 1;
  if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 0x20;
  if (c >= 0x410 && c <= 0x42F) return c + 0x20;
  if (c >= 0x400 && c <= 0x40F) return c + 0x50;
  return c;
}

// The first character of a UTF-16 text; 0 for an empty one.
char32_t firstCharacter(const std::u16string& text) {
  if (text.empty()) return 0;
  const char16_t high = text[0];
  if (high >= 0xD800 && high < 0xDC00 && text.size() > 1) {
    const char16_t low = text[1];
    if (low >= 0xDC00 && low < 0xE000)
      return 0x10000 + ((char32_t(high) - 0xD800) << 10) + (char32_t(low) - 0xDC00);
  }
  return high;
}

}  // namespace

MenuLook LevelLook(const TuiMenuItemsEx& level) {
  if (!level.RootMenu().UseCustomMenuParams) return MenuLook::Default;
  return level.UseParentParameter ? MenuLook::Root : MenuLook::Own;
}

const TMenuParams& LevelParams(const TuiMenuItemsEx& level) {
  return LevelLook(level) == MenuLook::Own ? level.Parameters : level.RootMenu().Parameters;
}

int MenuRowHeight(const TuiMenuItemsEx& level) {
  if (LevelLook(level) == MenuLook::Default) return kDefaultMenuRowHeight;
  return std::max(LevelParams(level).ItemHeight, kMinMenuRowHeight);
}

MenuLevelSize MeasureMenuLevel(const TuiMenuItemsEx& level, int rowCount, int widestCaption,
                               int screenWidth, int screenHeight) {
  const MenuLook look = LevelLook(level);
  const TMenuParams& root = level.RootMenu().Parameters;
  const TMenuParams& params = LevelParams(level);
  MenuLevelSize size;
  size.RowHeight = MenuRowHeight(level);
  size.ContentHeight = std::max(rowCount, 0) * size.RowHeight + root.BGMargins.Top +
                       root.BGMargins.Bottom + (look == MenuLook::Own ? kOwnParamsExtraHeight : 0);
  size.Height = params.CustomHeight > 0 ? params.CustomHeight : size.ContentHeight;
  if (screenHeight > 0) size.Height = std::min(size.Height, screenHeight);
  size.Scrolls = size.ContentHeight > size.Height;

  if (look == MenuLook::Own) {
    const int margins = params.BGMargins.Left + params.BGMargins.Right;
    size.Width =
        (params.ItemAutoSize ? widestCaption + kMenuCaptionRoom : params.ItemWidth) + margins;
  } else {
    size.Width = widestCaption + kMenuCaptionRoom;
    if (look == MenuLook::Root) size.Width += root.BGMargins.Left + root.BGMargins.Right;
  }
  if (params.CustomWidth > 0) size.Width = params.CustomWidth;
  // A caption too long for the screen is shown cut.
  if (screenWidth > 0) size.Width = std::min(size.Width, screenWidth);
  return size;
}

MenuPoint PlaceMenuLevel(const MenuPlacementRequest& r, int width, int height) {
  const MenuRect& t = r.Target;
  MenuPoint p;
  switch (r.Placement) {
    case MenuPlacement::LeftCenter:
      p = {t.Left - width, t.Top + (t.Height - height) / 2};
      break;
    case MenuPlacement::RightCenter:
      p = {t.Right(), t.Top + (t.Height - height) / 2};
      break;
    case MenuPlacement::Right:
      p = {t.Right(), t.Top};
      break;
  }
  if (t.Right() + width >= r.Screen.Right()) {
    if (r.HasPlacementRectangle) {
      p.X -= t.Width;
      p.Y += 20;
    } else {
      p.X = r.Window.Left - width;
    }
  }
  // Never above or below the screen; a level taller than the screen is capped before.
  p.Y = std::clamp(p.Y, r.Screen.Top, std::max(r.Screen.Top, r.Screen.Bottom() - height));
  p.X = std::max(p.X, r.Screen.Left);
  return p;
}

int MenuKeySelection(const std::vector<std::u16string>& rowTexts, int current, MenuKey key,
                     char32_t character) {
  const int count = static_cast<int>(rowTexts.size());
  if (count == 0) return current;
  switch (key) {
    case MenuKey::Character:
      for (int i = 0; i < count; ++i) {
        const char32_t first = firstCharacter(rowTexts[i]);
        if (first != 0 && lowered(first) == lowered(character)) return i;
      }
      return current;
    case MenuKey::Home:
      return 0;
    case MenuKey::End:
      return count - 1;
    case MenuKey::Up:
    case MenuKey::Left:
      return current < 0 ? count - 1 : std::max(current - 1, 0);
    case MenuKey::Down:
    case MenuKey::Right:
      return current < 0 ? 0 : std::min(current + 1, count - 1);
  }
  return current;
}

}  // namespace qor
