// SPDX-License-Identifier: GPL-2.0-or-later
// The language file "ui.local": the source texts and one dictionary per language.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qor {

inline constexpr const char* kLanguageFileName = "ui.local";

// One language: its short ID (a Windows language identifier as four hexadecimal digits, such
// as "040a") and its dictionary, lines of a source text, "=" and its translation.
struct LanguageEntry {
  std::u16string shortID;
  std::vector<std::u16string> lines;  // sorted, each line once
};

// What a language file holds.
struct LanguageFileContent {
  std::vector<std::u16string> original;  // source texts: sorted, each once
  std::vector<LanguageEntry> languages;  // in file order
};

// Layout, all integers 32-bit signed little-endian, all texts UTF-16LE without terminator,
// each text preceded by its length in UTF-16 code units:
//   source texts: length N, N units, every source text followed by CR LF
//   language count L
//   L times: short ID (length n, n units), dictionary (length m, m units, every line
//   followed by CR LF)
// Lines are written sorted by UTF-16 code unit; a reader takes them as sets.

// Decodes a language file image. A damaged or truncated image (a length or count past the
// end, a negative count, a language without a valid short ID, bytes after the last
// dictionary) is refused whole: the error says what is wrong and where, and `out` is left
// untouched. Never reads past `size` bytes and never allocates more than they can hold.
std::optional<std::string> ParseLanguageFile(const uint8_t* data, std::size_t size,
                                             LanguageFileContent& out);

// Encodes `content` in the layout above; source texts and dictionary lines are sorted and
// written once each. Texts must not hold CR or LF. Fails only when a text block does not fit
// a 32-bit length.
std::optional<std::string> EncodeLanguageFile(const LanguageFileContent& content,
                                              std::vector<uint8_t>& out);

// Reads and decodes a language file; errors name the file.
std::optional<std::string> ReadLanguageFile(const std::filesystem::path& file,
                                            LanguageFileContent& out);
// Encodes `content` and replaces `file` with it atomically; errors name the file.
std::optional<std::string> WriteLanguageFile(const std::filesystem::path& file,
                                             const LanguageFileContent& content);

// Splits a dictionary line into source text and translation at its first "="; nothing for a
// line without one.
std::optional<std::pair<std::u16string_view, std::u16string_view>> SplitDictionaryLine(
    std::u16string_view line);

// Sorts by UTF-16 code unit and drops repeats: the order every text list of the file keeps.
void SortTextSet(std::vector<std::u16string>& texts);

// Whether `id` can name a language: 1 to 16 ASCII letters, digits, "-" or "_". Short IDs name
// picture folders and translators' files, so nothing else is taken.
bool IsValidShortID(std::u16string_view id);
// Compares short IDs without regard to ASCII letter case.
bool SameShortID(std::u16string_view a, std::u16string_view b);

}  // namespace qor
