// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/picture_file.h"

// clang-format off
#include <cstdio>  // jpeglib.h needs FILE and size_t declared first
#include <jpeglib.h>
#include <jerror.h>
// clang-format on
#include <png.h>

#include <csetjmp>
#include <cstring>

#include "platform/atomic_file.h"

namespace qor {
namespace {

constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr uint8_t kJpegSignature[3] = {0xFF, 0xD8, 0xFF};

bool startsWith(const uint8_t* data, std::size_t size, const uint8_t* sig, std::size_t n) {
  return size >= n && std::memcmp(data, sig, n) == 0;
}

std::optional<std::string> checkSize(uint64_t width, uint64_t height) {
  if (width == 0 || height == 0) return std::string("the picture has no pixels");
  if (width * height > kMaxPicturePixels)
    return "the picture is too large (" + std::to_string(width) + " x " + std::to_string(height) +
           " pixels, at most " + std::to_string(kMaxPicturePixels) + " are accepted)";
  return std::nullopt;
}

// ---- PNG ----------------------------------------------------------------------------------

// Frees libpng's state of a png_image on every path.
struct PngImage {
  png_image image{};
  PngImage() { image.version = PNG_IMAGE_VERSION; }
  ~PngImage() { png_image_free(&image); }
  PngImage(const PngImage&) = delete;
  PngImage& operator=(const PngImage&) = delete;
};

std::optional<std::string> decodePng(const uint8_t* data, std::size_t size, RgbaImage& out) {
  PngImage png;
  auto failed = [&png] { return "damaged PNG picture: " + std::string(png.image.message); };
  if (!png_image_begin_read_from_memory(&png.image, data, size)) return failed();
  if (auto error = checkSize(png.image.width, png.image.height)) return error;
  png.image.format = PNG_FORMAT_RGBA;
  RgbaImage decoded;
  decoded.Width = png.image.width;
  decoded.Height = png.image.height;
  decoded.Pixels.resize(PNG_IMAGE_SIZE(png.image));
  if (!png_image_finish_read(&png.image, nullptr, decoded.Pixels.data(), 0, nullptr))
    return failed();
  out = std::move(decoded);
  return std::nullopt;
}

// ---- JPEG ---------------------------------------------------------------------------------

struct JpegError {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
  bool truncated = false;
  char message[JMSG_LENGTH_MAX] = {};
};

[[noreturn]] void jpegErrorExit(j_common_ptr cinfo) {
  auto* error = reinterpret_cast<JpegError*>(cinfo->err);
  cinfo->err->format_message(cinfo, error->message);
  std::longjmp(error->jump, 1);
}

// Warnings are not printed; a picture cut short is remembered, since libjpeg would fill the
// missing rows with grey and report success.
void jpegEmitMessage(j_common_ptr cinfo, int level) {
  if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF)
    reinterpret_cast<JpegError*>(cinfo->err)->truncated = true;
}

// Destroys the decompressor however decoding ends.
struct JpegDecompressor {
  jpeg_decompress_struct cinfo{};
  bool created = false;
  ~JpegDecompressor() {
    if (created) jpeg_destroy_decompress(&cinfo);
  }
};

// libjpeg reports errors by longjmp into this frame, which holds no object with a destructor;
// every such object lives in the caller. Returns false with error->message set on failure.
bool jpegDecodeInto(const uint8_t* data, std::size_t size, JpegDecompressor* d, JpegError* error,
                    RgbaImage* out, bool* refusedSize) {
  jpeg_decompress_struct* cinfo = &d->cinfo;
  cinfo->err = jpeg_std_error(&error->manager);
  error->manager.error_exit = jpegErrorExit;
  error->manager.emit_message = jpegEmitMessage;
  if (setjmp(error->jump)) return false;
  jpeg_create_decompress(cinfo);
  d->created = true;
  jpeg_mem_src(cinfo, data, static_cast<unsigned long>(size));
  jpeg_read_header(cinfo, TRUE);
  const uint64_t pixels = uint64_t(cinfo->image_width) * cinfo->image_height;
  if (pixels == 0 || pixels > kMaxPicturePixels) {
    out->Width = cinfo->image_width;
    out->Height = cinfo->image_height;
    *refusedSize = true;
    return false;
  }
  cinfo->out_color_space = JCS_EXT_RGBA;
  jpeg_start_decompress(cinfo);
  out->Width = cinfo->output_width;
  out->Height = cinfo->output_height;
  const std::size_t stride = std::size_t(out->Width) * 4;
  out->Pixels.resize(stride * out->Height);
  while (cinfo->output_scanline < cinfo->output_height) {
    JSAMPROW row = out->Pixels.data() + std::size_t(cinfo->output_scanline) * stride;
    jpeg_read_scanlines(cinfo, &row, 1);
  }
  jpeg_finish_decompress(cinfo);
  return true;
}

std::optional<std::string> decodeJpeg(const uint8_t* data, std::size_t size, RgbaImage& out) {
  JpegDecompressor decompressor;
  JpegError error;
  RgbaImage decoded;
  bool refusedSize = false;
  if (!jpegDecodeInto(data, size, &decompressor, &error, &decoded, &refusedSize)) {
    if (refusedSize) return checkSize(decoded.Width, decoded.Height);
    return "damaged JPEG picture: " + std::string(error.message);
  }
  if (error.truncated) return std::string("damaged JPEG picture: the file ends too early");
  if (auto bad = checkSize(decoded.Width, decoded.Height)) return bad;
  out = std::move(decoded);
  return std::nullopt;
}

}  // namespace

std::optional<std::string> DecodePicture(const uint8_t* data, std::size_t size, RgbaImage& out) {
  if (startsWith(data, size, kPngSignature, sizeof kPngSignature))
    return decodePng(data, size, out);
  if (startsWith(data, size, kJpegSignature, sizeof kJpegSignature))
    return decodeJpeg(data, size, out);
  return std::string("not a PNG or JPEG picture");
}

std::optional<std::string> LoadPictureFile(const std::filesystem::path& file, RgbaImage& out) {
  std::vector<uint8_t> data;
  if (auto error = readWholeFile(file, data)) return error;
  if (auto error = DecodePicture(data.data(), data.size(), out))
    return "cannot load " + file.string() + ": " + *error;
  return std::nullopt;
}

}  // namespace qor
