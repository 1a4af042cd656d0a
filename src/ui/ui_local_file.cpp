// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/ui_local_file.h"

#include <algorithm>
#include <limits>

#include "model/wide_text.h"
#include "platform/atomic_file.h"

namespace qor {
namespace {

constexpr char16_t kCR = u'\r';
constexpr char16_t kLF = u'\n';
constexpr std::size_t kMaxShortIDUnits = 16;
// Each language takes at least its two lengths.
constexpr std::size_t kMinLanguageBytes = 8;

// Reads the file image front to back, checking every length against what is left.
class ImageReader {
 public:
  ImageReader(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  std::size_t remaining() const { return size_ - pos_; }

  std::optional<std::string> readInt32(const std::string& what, int32_t& value) {
    if (remaining() < 4)
      return "the file ends inside " + what + " (at byte " + std::to_string(pos_) + " of " +
             std::to_string(size_) + ")";
    const uint32_t u = uint32_t(data_[pos_]) | uint32_t(data_[pos_ + 1]) << 8 |
                       uint32_t(data_[pos_ + 2]) << 16 | uint32_t(data_[pos_ + 3]) << 24;
    value = static_cast<int32_t>(u);
    pos_ += 4;
    return std::nullopt;
  }

  // A length in UTF-16 units, then that many units.
  std::optional<std::string> readText(const std::string& what, std::u16string& text) {
    const std::size_t at = pos_;
    int32_t units = 0;
    if (auto e = readInt32("the length of " + what, units)) return e;
    if (units < 0)
      return "the length of " + what + " is negative (" + std::to_string(units) + " at byte " +
             std::to_string(at) + ")";
    if (static_cast<std::size_t>(units) > remaining() / 2)
      return "the length of " + what + " (" + std::to_string(units) + " units at byte " +
             std::to_string(at) + ") runs past the end of the file (" +
             std::to_string(remaining()) + " bytes left)";
    text.resize(static_cast<std::size_t>(units));
    for (std::size_t i = 0; i < text.size(); ++i, pos_ += 2)
      text[i] = static_cast<char16_t>(data_[pos_] | data_[pos_ + 1] << 8);
    return std::nullopt;
  }

 private:
  const uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

// The lines of a text block as a set. CR LF ends a line; a lone CR or LF, as older editing
// tools may have written, does too. Empty lines carry nothing and are dropped.
std::vector<std::u16string> splitLines(std::u16string_view block) {
  std::vector<std::u16string> lines;
  std::size_t start = 0;
  while (start < block.size()) {
    std::size_t end = block.find_first_of(u"\r\n", start);
    if (end == std::u16string_view::npos) end = block.size();
    if (end > start) lines.emplace_back(block.substr(start, end - start));
    start = end + 1;
    if (end < block.size() && block[end] == kCR && start < block.size() && block[start] == kLF)
      ++start;
  }
  SortTextSet(lines);
  return lines;
}

std::string describeLanguage(std::size_t index) {
  return "language " + std::to_string(index + 1);
}

void putInt32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void putUnits(std::vector<uint8_t>& out, std::u16string_view text) {
  for (char16_t u : text) {
    out.push_back(static_cast<uint8_t>(u));
    out.push_back(static_cast<uint8_t>(u >> 8));
  }
}

// Appends one length-prefixed text.
std::optional<std::string> putText(std::vector<uint8_t>& out, std::u16string_view text,
                                   const std::string& what) {
  if (text.size() > static_cast<std::size_t>(std::numeric_limits<int32_t>::max()))
    return what + " is too long for the language file (" + std::to_string(text.size()) + " units)";
  putInt32(out, static_cast<uint32_t>(text.size()));
  putUnits(out, text);
  return std::nullopt;
}

// A sorted set of lines as one block, every line followed by CR LF.
std::u16string joinLines(std::vector<std::u16string> lines) {
  SortTextSet(lines);
  std::u16string block;
  for (const std::u16string& line : lines) {
    block += line;
    block += kCR;
    block += kLF;
  }
  return block;
}

char16_t asciiLower(char16_t c) {
  return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

}  // namespace

std::optional<std::string> ParseLanguageFile(const uint8_t* data, std::size_t size,
                                             LanguageFileContent& out) {
  ImageReader reader(data, size);
  LanguageFileContent content;
  std::u16string block;
  if (auto e = reader.readText("the source texts", block)) return e;
  content.original = splitLines(block);

  int32_t count = 0;
  if (auto e = reader.readInt32("the language count", count)) return e;
  if (count < 0) return "the language count is negative (" + std::to_string(count) + ")";
  if (static_cast<std::size_t>(count) > reader.remaining() / kMinLanguageBytes)
    return "the language count (" + std::to_string(count) + ") needs more than the " +
           std::to_string(reader.remaining()) + " bytes left in the file";

  // Grown as short IDs are actually read, so a count the file cannot back allocates nothing.
  for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i) {
    std::u16string& id = content.languages.emplace_back().shortID;
    if (auto e = reader.readText("the short ID of " + describeLanguage(i), id)) return e;
    if (!IsValidShortID(id))
      return "the short ID of " + describeLanguage(i) + " (\"" + toUtf8(id) +
             "\") is not a language identifier";
  }
  for (std::size_t i = 0; i < content.languages.size(); ++i) {
    const std::string what = "the dictionary of " + describeLanguage(i) + " (" +
                             toUtf8(content.languages[i].shortID) + ")";
    if (auto e = reader.readText(what, block)) return e;
    content.languages[i].lines = splitLines(block);
  }
  if (reader.remaining() != 0)
    return std::to_string(reader.remaining()) + " unexpected bytes after the last dictionary";
  out = std::move(content);
  return std::nullopt;
}

std::optional<std::string> EncodeLanguageFile(const LanguageFileContent& content,
                                              std::vector<uint8_t>& out) {
  std::vector<uint8_t> image;
  if (auto e = putText(image, joinLines(content.original), "the source text list")) return e;
  if (content.languages.size() > static_cast<std::size_t>(std::numeric_limits<int32_t>::max()))
    return std::string("too many languages for the language file");
  putInt32(image, static_cast<uint32_t>(content.languages.size()));
  for (const LanguageEntry& language : content.languages)
    if (auto e = putText(image, language.shortID, "a short ID")) return e;
  for (const LanguageEntry& language : content.languages)
    if (auto e = putText(image, joinLines(language.lines),
                         "the dictionary of " + toUtf8(language.shortID)))
      return e;
  out = std::move(image);
  return std::nullopt;
}

std::optional<std::string> ReadLanguageFile(const std::filesystem::path& file,
                                            LanguageFileContent& out) {
  std::vector<uint8_t> bytes;
  if (auto e = readWholeFile(file, bytes)) return e;
  if (auto e = ParseLanguageFile(bytes.data(), bytes.size(), out))
    return "damaged language file " + file.string() + ": " + *e;
  return std::nullopt;
}

std::optional<std::string> WriteLanguageFile(const std::filesystem::path& file,
                                             const LanguageFileContent& content) {
  std::vector<uint8_t> image;
  if (auto e = EncodeLanguageFile(content, image))
    return "cannot write " + file.string() + ": " + *e;
  return writeFileAtomically(file, image.data(), image.size());
}

std::optional<std::pair<std::u16string_view, std::u16string_view>> SplitDictionaryLine(
    std::u16string_view line) {
  const std::size_t eq = line.find(u'=');
  if (eq == std::u16string_view::npos) return std::nullopt;
  return std::pair{line.substr(0, eq), line.substr(eq + 1)};
}

void SortTextSet(std::vector<std::u16string>& texts) {
  std::sort(texts.begin(), texts.end());
  texts.erase(std::unique(texts.begin(), texts.end()), texts.end());
}

bool IsValidShortID(std::u16string_view id) {
  if (id.empty() || id.size() > kMaxShortIDUnits) return false;
  return std::all_of(id.begin(), id.end(), [](char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
           c == u'-' || c == u'_';
  });
}

bool SameShortID(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](char16_t x, char16_t y) { return asciiLower(x) == asciiLower(y); });
}

}  // namespace qor
