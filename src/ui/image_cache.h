// SPDX-License-Identifier: GPL-2.0-or-later
// TImageDataBase: the process-wide cache of pictures of the current language's picture folder,
// keyed by picture name. Used on the UI thread only.
#pragma once

#include <string>
#include <vector>

#include "ui/picture_file.h"

namespace qor {

struct TuiImageData {
  std::string ImageName;  // the name it was asked for
  std::string ImagePath;  // the file it was loaded from
  RgbaImage Image;
};

class TImageDataBase {
 public:
  // A cache whose base path is the program folder.
  TImageDataBase();
  // A cache whose base path is APath.
  explicit TImageDataBase(const std::string& APath);
  TImageDataBase(const TImageDataBase&) = delete;
  TImageDataBase& operator=(const TImageDataBase&) = delete;

  // The folder pictures are looked up in; it always ends with the separator.
  const std::string& ImageBasePath() const { return FImageBasePath; }
  // Sets the base path and empties the cache, so every name is loaded again from there.
  void SetImageBasePath(const std::string& APath);
  const std::vector<TuiImageData>& Images() const { return FImages; }

  // Fills ATargetImage with the picture AImageName: "EMPTY" gives an empty bitmap; a name
  // cached before gives its cached picture, whatever the paths; else the file AImageName in
  // the folder AImagePath when that is not empty, or in the base path's sub-folder
  // AImageSubPath (the base path itself when empty), is loaded and cached. Names accept "\"
  // and are matched without regard to case. A missing or unreadable file leaves ATargetImage
  // as it was. Returns whether ATargetImage was set.
  bool AssignIMAGE(RgbaImage& ATargetImage, const std::string& AImageName,
                   const std::string& AImageSubPath, const std::string& AImagePath);

 private:
  std::string FImageBasePath;
  std::vector<TuiImageData> FImages;
};

// The process-wide cache, created on first use with the base path "Images\0409" in the
// program folder and released when the program ends.
TImageDataBase& ImageDataBase();

}  // namespace qor
