// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/image_cache.h"

#include <algorithm>

#include "model/profile_store.h"
#include "platform/paths.h"

namespace qor {

TImageDataBase::TImageDataBase() : TImageDataBase(paths::program().string()) {}

TImageDataBase::TImageDataBase(const std::string& APath)
    : FImageBasePath(WithTrailingSeparator(APath)) {}

void TImageDataBase::SetImageBasePath(const std::string& APath) {
  FImageBasePath = WithTrailingSeparator(APath);
  FImages.clear();
}

bool TImageDataBase::AssignIMAGE(RgbaImage& ATargetImage, const std::string& AImageName,
                                 const std::string& AImageSubPath, const std::string& AImagePath) {
  if (AImageName == "EMPTY") {
    ATargetImage = RgbaImage{};
    return true;
  }
  auto cached = std::find_if(FImages.begin(), FImages.end(), [&](const TuiImageData& entry) {
    return entry.ImageName == AImageName;
  });
  if (cached != FImages.end()) {
    ATargetImage = cached->Image;
    return true;
  }
  const std::filesystem::path file =
      !AImagePath.empty() ? paths::resolveInFolder(AImagePath, AImageName)
      : AImageSubPath.empty()
          ? paths::resolveInFolder(FImageBasePath, AImageName)
          : paths::resolveInFolder(FImageBasePath, AImageSubPath + "\\" + AImageName);
  RgbaImage picture;
  if (LoadPictureFile(file, picture) || picture.IsEmpty()) return false;
  ATargetImage = picture;
  FImages.push_back(TuiImageData{AImageName, file.string(), std::move(picture)});
  return true;
}

TImageDataBase& ImageDataBase() {
  static TImageDataBase instance(paths::resolveInFolder(paths::program(), "Images\\0409").string());
  return instance;
}

}  // namespace qor
