// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <filesystem>

#include "picture_fixtures.h"
#include "test_support/temp_dir.h"
#include "ui/image_cache.h"
#include "ui/picture_file.h"

namespace qor {
namespace {

using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

// A marker picture: a target that must stay as it was.
RgbaImage marker() {
  return RgbaImage{1, 1, {1, 2, 3, 4}};
}

void expectPixelNear(const RgbaImage& image, std::size_t index, std::array<int, 4> rgba,
                     int tolerance) {
  for (int c = 0; c < 4; ++c)
    EXPECT_NEAR(image.Pixels.at(index * 4 + c), rgba[c], tolerance)
        << "pixel " << index << " channel " << c;
}

TEST(Picture, PngDecodesToExactRgba) {
  const Bytes rgba = {255, 0,  0,  255, 0,  255, 0,  128, 0,  0,   255, 0,
                      10,  20, 30, 40,  50, 60,  70, 80,  90, 100, 110, 255};
  const Bytes file = test::pngOf(3, 2, rgba);
  RgbaImage image;
  ASSERT_EQ(DecodePicture(file.data(), file.size(), image), std::nullopt);
  EXPECT_EQ(image.Width, 3u);
  EXPECT_EQ(image.Height, 2u);
  EXPECT_EQ(image.Pixels, rgba);

  const Bytes rgb = {1, 2, 3, 4, 5, 6};  // without alpha: opaque
  const Bytes png = test::pngOf(1, 2, rgb, false);
  ASSERT_EQ(DecodePicture(png.data(), png.size(), image), std::nullopt);
  EXPECT_EQ(image.Pixels, (Bytes{1, 2, 3, 255, 4, 5, 6, 255}));
}

TEST(Picture, JpegDecodesToOpaqueRgba) {
  Bytes rgb;
  for (int i = 0; i < 16 * 8; ++i) rgb.insert(rgb.end(), {200, 40, 90});
  const Bytes jpeg = test::jpegOf(16, 8, rgb);
  RgbaImage image;
  ASSERT_EQ(DecodePicture(jpeg.data(), jpeg.size(), image), std::nullopt);
  EXPECT_EQ(image.Width, 16u);
  EXPECT_EQ(image.Height, 8u);
  ASSERT_EQ(image.Pixels.size(), 16u * 8u * 4u);
  expectPixelNear(image, 0, {200, 40, 90, 255}, 3);
  expectPixelNear(image, 127, {200, 40, 90, 255}, 3);

  const Bytes gray = test::jpegOf(8, 8, Bytes(64, 77), true);
  ASSERT_EQ(DecodePicture(gray.data(), gray.size(), image), std::nullopt);
  expectPixelNear(image, 63, {77, 77, 77, 255}, 1);
}

// The JPEG with its frame header (SOF0 or SOF2) claiming w x h pixels.
Bytes withJpegSize(Bytes jpeg, uint16_t w, uint16_t h) {
  for (std::size_t i = 0; i + 8 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC2)) {
      // FF Cn, length (2), precision (1), height (2), width (2); big-endian
      jpeg[i + 5] = uint8_t(h >> 8);
      jpeg[i + 6] = uint8_t(h);
      jpeg[i + 7] = uint8_t(w >> 8);
      jpeg[i + 8] = uint8_t(w);
      return jpeg;
    }
  }
  ADD_FAILURE() << "no frame header";
  return jpeg;
}

TEST(Picture, DamagedOrUnsuitableFilesAreRefused) {
  Bytes noise;
  for (int i = 0; i < 64 * 64 * 3; ++i) noise.push_back(uint8_t(i * 7919 >> 3));
  const Bytes png = test::pngOf(64, 64, Bytes(64 * 64 * 4, 9));
  const Bytes jpeg = test::jpegOf(64, 64, noise);
  struct Case {
    const char* what;
    Bytes data;
    const char* says = "";  // a part of the error text
  } cases[] = {
      {"text", Bytes{'h', 'e', 'l', 'l', 'o'}, "not a PNG or JPEG"},
      {"empty", {}, "not a PNG or JPEG"},
      {"PNG signature alone", Bytes(png.begin(), png.begin() + 8)},
      {"truncated PNG", Bytes(png.begin(), png.begin() + png.size() / 2)},
      {"truncated JPEG", Bytes(jpeg.begin(), jpeg.begin() + jpeg.size() / 2)},
      {"JPEG header alone", Bytes(jpeg.begin(), jpeg.begin() + 4)},
      {"zero-size PNG", test::pngHeaderOnly(0, 0)},
      // Refused from the header, before any pixel memory is taken.
      {"enormous PNG", test::pngHeaderOnly(100000, 100000), "pixels, at most 16777216"},
      {"too many pixels", test::pngHeaderOnly(4097, 4096), "pixels, at most 16777216"},
      {"enormous JPEG", withJpegSize(jpeg, 60000, 60000), "pixels, at most 16777216"},
  };
  for (const Case& c : cases) {
    RgbaImage image = marker();
    const auto error = DecodePicture(c.data.data(), c.data.size(), image);
    ASSERT_NE(error, std::nullopt) << c.what;
    EXPECT_NE(error->find(c.says), std::string::npos) << c.what << ": " << *error;
    EXPECT_EQ(image.Pixels, marker().Pixels) << c.what;
  }
}

// ---- The image cache ------------------------------------------------------------------------

class ImageCache : public ::testing::Test {
 protected:
  // A picture file whose one pixel tells which file it is.
  void picture(const fs::path& file, uint8_t tag) {
    fs::create_directories(file.parent_path());
    test::writeBytes(file, test::pngOf(1, 1, Bytes{tag, tag, tag, 255}));
  }
  static uint8_t tagOf(const RgbaImage& image) { return image.Pixels.at(0); }

  test::TempDir dir;
};

TEST_F(ImageCache, FindsPicturesByTheThreeRulesAndCachesThemByName) {
  picture(dir / "images" / "0409" / "mainlogo.png", 1);
  picture(dir / "images" / "0409" / "Skin" / "Button.PNG", 2);
  picture(dir / "layouts" / "LAYOUT1.png", 3);
  TImageDataBase cache((dir / "images" / "0409").string());
  EXPECT_EQ(cache.ImageBasePath(), (dir / "images" / "0409").string() + "/");

  RgbaImage a, b, c;
  ASSERT_TRUE(cache.AssignIMAGE(a, "mainlogo.png", "", ""));
  EXPECT_EQ(tagOf(a), 1);
  ASSERT_TRUE(cache.AssignIMAGE(b, "button.png", "skin", ""));  // case and sub-folder
  EXPECT_EQ(tagOf(b), 2);
  ASSERT_TRUE(cache.AssignIMAGE(c, "LAYOUTS\\layout1.PNG", "ignored", dir.path().string()));
  EXPECT_EQ(tagOf(c), 3);
  ASSERT_EQ(cache.Images().size(), 3u);
  EXPECT_EQ(cache.Images()[1].ImageName, "button.png");
  EXPECT_EQ(cache.Images()[1].ImagePath,
            (dir / "images" / "0409" / "Skin" / "Button.PNG").string());

  // A cached name gives the picture cached first, whatever the paths say.
  RgbaImage again;
  ASSERT_TRUE(cache.AssignIMAGE(again, "button.png", "elsewhere", "/nowhere"));
  EXPECT_EQ(tagOf(again), 2);
  EXPECT_EQ(cache.Images().size(), 3u);
  ASSERT_TRUE(cache.AssignIMAGE(again, "EMPTY", "", ""));
  EXPECT_TRUE(again.IsEmpty());
  EXPECT_TRUE(again.Pixels.empty());
}

TEST_F(ImageCache, AnotherBasePathLoadsCachedNamesAgain) {
  picture(dir / "images" / "0409" / "mainlogo.png", 1);
  picture(dir / "images" / "0407" / "mainlogo.png", 7);
  TImageDataBase cache((dir / "images" / "0409").string());
  RgbaImage logo;
  ASSERT_TRUE(cache.AssignIMAGE(logo, "mainlogo.png", "", ""));
  cache.SetImageBasePath((dir / "images" / "0407/").string());
  EXPECT_TRUE(cache.Images().empty());
  ASSERT_TRUE(cache.AssignIMAGE(logo, "mainlogo.png", "", ""));
  EXPECT_EQ(tagOf(logo), 7);
  EXPECT_EQ(cache.ImageBasePath(), (dir / "images" / "0407").string() + "/");
}

TEST_F(ImageCache, AMissingOrBrokenPictureLeavesTheTargetAndTheCache) {
  const Bytes png = test::pngOf(4, 4, Bytes(64, 5));
  test::writeBytes(dir / "cut.png", Bytes(png.begin(), png.end() - 20));
  test::writeText(dir / "text.png", "not a picture");
  fs::create_directory(dir / "folder.png");
  TImageDataBase cache(dir.path().string());
  for (const char* name : {"missing.png", "cut.png", "text.png", "folder.png", ""}) {
    RgbaImage target = marker();
    EXPECT_FALSE(cache.AssignIMAGE(target, name, "", "")) << name;
    EXPECT_EQ(target.Pixels, marker().Pixels) << name;
  }
  EXPECT_TRUE(cache.Images().empty());
}

TEST_F(ImageCache, TheProcessWideCacheStartsInTheEnglishPictureFolder) {
  fs::create_directories(dir / "images" / "0409");
  ::setenv("QORCFG51_PROGRAM_DIR", dir.path().c_str(), 1);
  EXPECT_EQ(ImageDataBase().ImageBasePath(), (dir / "images" / "0409").string() + "/");
  EXPECT_EQ(&ImageDataBase(), &ImageDataBase());
  ::unsetenv("QORCFG51_PROGRAM_DIR");
}

}  // namespace
}  // namespace qor
