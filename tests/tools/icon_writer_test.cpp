// SPDX-License-Identifier: GPL-2.0-or-later
// Icon and cursor files with PNG entries, and qorcfg51-icon-writer, which writes them.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "icon_container.h"
#include "test_support/bytes.h"
#include "test_support/temp_dir.h"

namespace qor {
namespace {

using test::Bytes;

// The start of a PNG file of the given size: signature and IHDR chunk (CRC left zero, since
// only the size is read).
Bytes pngHeader(uint32_t width, uint32_t height) {
  Bytes b = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
  for (uint32_t v : {width, height})
    for (int shift = 24; shift >= 0; shift -= 8) b.push_back(uint8_t(v >> shift));
  b.insert(b.end(), {8, 6, 0, 0, 0, 0, 0, 0, 0});
  return b;
}

TEST(IconFile, StoresPngEntriesAfterTheDirectory) {
  const Bytes small = pngHeader(16, 16);
  Bytes large = pngHeader(256, 256);
  large.push_back(0xEE);
  Bytes file;
  ASSERT_FALSE(BuildIconFile(IconKind::Icon, {{small, 0, 0}, {large, 0, 0}}, file));

  // Directory: 6 + 2 x 16 = 38 bytes; the 33-byte PNG at 38, the 34-byte one at 71 (0x47).
  const Bytes directory = {
      0,  0,  1, 0, 2, 0,                                   // reserved, type 1, two images
      16, 16, 0, 0, 1, 0, 32, 0, 33, 0, 0, 0, 38, 0, 0, 0,  // 16 x 16, 1 plane, 32 bits
      0,  0,  0, 0, 1, 0, 32, 0, 34, 0, 0, 0, 71, 0, 0, 0,  // 256 x 256 is written as 0
  };
  ASSERT_EQ(file.size(), 38u + 33u + 34u);
  EXPECT_EQ(Bytes(file.begin(), file.begin() + 38), directory);
  EXPECT_EQ(Bytes(file.begin() + 38, file.begin() + 71), small);
  EXPECT_EQ(Bytes(file.begin() + 71, file.end()), large);
}

TEST(IconFile, CursorEntriesCarryTheHotspot) {
  const Bytes png = pngHeader(32, 32);
  Bytes file;
  ASSERT_FALSE(BuildIconFile(IconKind::Cursor, {{png, 11, 31}}, file));
  const Bytes directory = {0,  0,  2, 0, 1,  0,  // type 2, one image
                           32, 32, 0, 0, 11, 0, 31, 0, 33, 0, 0, 0, 22, 0, 0, 0};
  EXPECT_EQ(Bytes(file.begin(), file.begin() + 22), directory);
}

TEST(IconFile, RefusesWhatNoReaderCouldUse) {
  Bytes cut = pngHeader(16, 16);
  cut.resize(20);  // ends inside the IHDR chunk
  struct Case {
    IconKind kind;
    std::vector<IconImage> images;
    const char* message;
  } cases[] = {
      {IconKind::Icon, {}, "no image given"},
      {IconKind::Icon, {{pngHeader(16, 16), 0, 0}, {Bytes(40, 'x'), 0, 0}}, "image 2: not a PNG"},
      {IconKind::Icon, {{cut, 0, 0}}, "image 1: not a PNG"},
      {IconKind::Icon, {{pngHeader(0, 16), 0, 0}}, "size 0"},
      {IconKind::Icon, {{pngHeader(257, 16), 0, 0}}, "257x16 is larger than 256x256"},
      {IconKind::Cursor, {{pngHeader(32, 32), 32, 0}}, "hotspot 32,0 lies outside"},
      {IconKind::Cursor, {{pngHeader(32, 32), 0, 32}}, "hotspot 0,32 lies outside"},
  };
  for (const Case& c : cases) {
    Bytes file = {1, 2, 3};
    const auto error = BuildIconFile(c.kind, c.images, file);
    ASSERT_TRUE(error) << c.message;
    EXPECT_NE(error->find(c.message), std::string::npos) << *error;
    EXPECT_EQ(file, (Bytes{1, 2, 3}));
  }
}

int run(const std::string& arguments) {
  const std::string cmd = std::string(QOR_ICON_WRITER_PATH) + " " + arguments + " 2>/dev/null";
  const int raw = std::system(cmd.c_str());
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

TEST(IconWriterTool, ScalesTheHotspotToEachFurtherImage) {
  test::TempDir dir;
  test::writeBytes(dir / "a.png", pngHeader(32, 32));
  test::writeBytes(dir / "b.png", pngHeader(64, 64));
  const std::string out = (dir / "hand.cur").string();
  ASSERT_EQ(run("cur --hotspot 11,1 -o " + out + " " + (dir / "a.png").string() + " " +
                (dir / "b.png").string()),
            0);
  const Bytes file = test::readBytes(out);
  ASSERT_GE(file.size(), 38u);
  EXPECT_EQ(test::u16At(file, 6 + 4), 11);  // first entry: hotspot as given
  EXPECT_EQ(test::u16At(file, 6 + 6), 1);
  EXPECT_EQ(test::u16At(file, 6 + 16 + 4), 22);  // second entry: twice the size
  EXPECT_EQ(test::u16At(file, 6 + 16 + 6), 2);
}

TEST(IconWriterTool, ReportsUsageErrorsAndRefusalsApart) {
  test::TempDir dir;
  test::writeBytes(dir / "a.png", pngHeader(32, 32));
  test::writeText(dir / "text.png", "not a picture");
  const std::string a = (dir / "a.png").string();
  const std::string out = (dir / "x.cur").string();
  EXPECT_EQ(run("--help >/dev/null"), 0);
  EXPECT_EQ(run("cur -o " + out + " " + a), 2);                 // no hotspot
  EXPECT_EQ(run("ico --hotspot 1,1 -o " + out + " " + a), 2);   // hotspot on an icon
  EXPECT_EQ(run("cur --hotspot 1x1 -o " + out + " " + a), 2);   // malformed hotspot
  EXPECT_EQ(run("png -o " + out + " " + a), 2);                 // unknown kind
  EXPECT_EQ(run("cur --hotspot 40,1 -o " + out + " " + a), 1);  // outside the image
  EXPECT_EQ(run("ico -o " + out + " " + (dir / "text.png").string()), 1);
  EXPECT_EQ(run("ico -o " + out + " " + (dir / "missing.png").string()), 1);
  EXPECT_FALSE(std::filesystem::exists(out));
}

}  // namespace
}  // namespace qor
