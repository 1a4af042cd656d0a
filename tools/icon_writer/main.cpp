// SPDX-License-Identifier: GPL-2.0-or-later
// qorcfg51-icon-writer: packs rendered PNG files into the icon (.ico) and cursor (.cur) files
// of the program folder. A build tool; it is not installed.
#include <charconv>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "icon_container.h"
#include "platform/atomic_file.h"

using namespace qor;
namespace fs = std::filesystem;

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

// Far above any icon file; a larger input is a wrong argument, not a picture.
constexpr std::uintmax_t kMaxPngFileSize = 16u * 1024u * 1024u;

void printUsage(std::ostream& out) {
  out << "Usage: qorcfg51-icon-writer ico -o FILE PNG...\n"
         "       qorcfg51-icon-writer cur --hotspot X,Y -o FILE PNG...\n\n"
         "Writes an icon or cursor file whose images are the PNG files given, stored whole\n"
         "(PNG-compressed entries), in the order given; each side at most 256 pixels.\n\n"
         "  ico                 an icon file (type 1)\n"
         "  cur                 a cursor file (type 2); every entry carries the hotspot\n"
         "  --hotspot X,Y       the pixel a cursor points with, counted from the top left\n"
         "                      corner of the first image; further images get it scaled to\n"
         "                      their own width and height\n"
         "  -o, --output FILE   the file to write (replaced atomically)\n"
         "  --help              shows this text\n\n"
         "Exit status: 0 done, 1 refused or failed (the reason is on stderr), 2 usage error.\n";
}

int usageError(const std::string& message) {
  std::cerr << "qorcfg51-icon-writer: " << message << "\n\n";
  printUsage(std::cerr);
  return kExitUsage;
}

int failed(const std::string& message) {
  std::cerr << "qorcfg51-icon-writer: " << message << "\n";
  return kExitFailed;
}

std::optional<uint16_t> parseCoordinate(std::string_view text) {
  uint16_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

// Parses "X,Y".
bool parseHotspot(std::string_view text, uint16_t& x, uint16_t& y) {
  const auto comma = text.find(',');
  if (comma == std::string_view::npos) return false;
  const auto px = parseCoordinate(text.substr(0, comma));
  const auto py = parseCoordinate(text.substr(comma + 1));
  if (!px || !py) return false;
  x = *px;
  y = *py;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  for (const std::string& a : args) {
    if (a == "--help" || a == "-h") {
      printUsage(std::cout);
      return kExitOk;
    }
  }
  if (args.empty()) return usageError("missing the kind of file: ico or cur");

  IconKind kind;
  if (args[0] == "ico") {
    kind = IconKind::Icon;
  } else if (args[0] == "cur") {
    kind = IconKind::Cursor;
  } else {
    return usageError("unknown kind of file \"" + args[0] + "\": use ico or cur");
  }

  std::optional<fs::path> output;
  bool hasHotspot = false;
  uint16_t hotspotX = 0;
  uint16_t hotspotY = 0;
  std::vector<fs::path> inputs;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "-o" || a == "--output") {
      if (i + 1 >= args.size()) return usageError(a + " needs a file name");
      if (output) return usageError("more than one output file");
      output = args[++i];
    } else if (a == "--hotspot") {
      if (i + 1 >= args.size()) return usageError("--hotspot needs X,Y");
      if (!parseHotspot(args[++i], hotspotX, hotspotY))
        return usageError("--hotspot needs two whole numbers X,Y, not \"" + args[i] + "\"");
      hasHotspot = true;
    } else if (a.size() > 1 && a[0] == '-') {
      return usageError("unknown option " + a);
    } else {
      inputs.emplace_back(a);
    }
  }
  if (!output) return usageError("missing the output file: -o FILE");
  if (inputs.empty()) return usageError("missing the PNG files to store");
  if (kind == IconKind::Cursor && !hasHotspot) return usageError("a cursor needs --hotspot X,Y");
  if (kind == IconKind::Icon && hasHotspot) return usageError("--hotspot is for cursors only");

  std::vector<IconImage> images;
  PngSize first;
  for (const fs::path& input : inputs) {
    IconImage image;
    if (auto e = readWholeFile(input, image.png, kMaxPngFileSize)) return failed(*e);
    PngSize size;
    if (auto e = ReadPngSize(image.png, size)) return failed(input.string() + ": " + *e);
    if (images.empty()) first = size;
    image.hotspotX = uint16_t(uint32_t(hotspotX) * size.width / first.width);
    image.hotspotY = uint16_t(uint32_t(hotspotY) * size.height / first.height);
    images.push_back(std::move(image));
  }

  std::vector<uint8_t> file;
  if (auto e = BuildIconFile(kind, images, file)) return failed(output->string() + ": " + *e);
  if (auto e = writeFileAtomically(*output, file.data(), file.size())) return failed(*e);
  return kExitOk;
}
