// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/language_source_file.h"

#include <map>

#include "model/wide_text.h"

namespace qor {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Valid UTF-8 survives the trip through UTF-16 unchanged; anything else gains U+FFFD.
bool isUtf8(std::string_view s) {
  return toUtf8(toUtf16(s)) == s;
}

std::string lineError(std::size_t number, const std::string& what) {
  return "line " + std::to_string(number) + ": " + what;
}

}  // namespace

std::optional<std::string> ParseLanguageSourceText(std::string_view text, LanguageEntry& out) {
  if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
  LanguageEntry language;
  std::map<std::u16string, std::size_t> firstLineOfSource;
  bool haveID = false;
  std::size_t number = 0;
  for (std::size_t pos = 0; pos < text.size();) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    ++number;
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (line.find('\r') != std::string_view::npos)
      return lineError(number, "carriage return inside the line");
    if (!isUtf8(line)) return lineError(number, "not UTF-8 text");
    const std::u16string units = toUtf16(line);
    if (!haveID) {
      if (!IsValidShortID(units))
        return lineError(number, "\"" + std::string(line) +
                                     "\" is not a short ID (the first line names the language, "
                                     "for example 0407)");
      language.shortID = units;
      haveID = true;
      continue;
    }
    if (units.empty()) continue;
    const auto parts = SplitDictionaryLine(units);
    if (!parts) return lineError(number, "no \"=\" between source text and translation");
    if (parts->first.empty()) return lineError(number, "empty source text before \"=\"");
    const auto [it, added] = firstLineOfSource.emplace(std::u16string(parts->first), number);
    if (!added)
      return lineError(number, "the source text \"" + toUtf8(parts->first) +
                                   "\" is given again (first on line " +
                                   std::to_string(it->second) + ")");
    language.lines.push_back(units);
  }
  if (!haveID) return std::string("empty file: the first line must name the language");
  SortTextSet(language.lines);
  out = std::move(language);
  return std::nullopt;
}

std::string FormatLanguageSourceText(const LanguageEntry& language) {
  std::string text = toUtf8(language.shortID) + "\n";
  for (const std::u16string& line : language.lines) text += toUtf8(line) + "\n";
  return text;
}

std::optional<std::string> BuildLanguageFileContent(std::vector<LanguageEntry> languages,
                                                    LanguageFileContent& out) {
  LanguageFileContent content;
  for (std::size_t i = 0; i < languages.size(); ++i) {
    for (std::size_t j = 0; j < i; ++j)
      if (SameShortID(languages[i].shortID, languages[j].shortID))
        return "the language " + toUtf8(languages[i].shortID) + " is given twice";
    for (const std::u16string& line : languages[i].lines)
      if (const auto parts = SplitDictionaryLine(line)) content.original.emplace_back(parts->first);
  }
  SortTextSet(content.original);
  content.languages = std::move(languages);
  out = std::move(content);
  return std::nullopt;
}

}  // namespace qor
