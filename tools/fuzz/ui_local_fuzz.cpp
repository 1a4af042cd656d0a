// SPDX-License-Identifier: GPL-2.0-or-later
// Feeds any byte string to the ui.local reader; a file it takes must write back to the same
// sets and translate without fault. The same bytes also go to the translators' text reader.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "ui/language_source_file.h"
#include "ui/translation.h"
#include "ui/ui_local_file.h"

namespace {

bool sameContent(const qor::LanguageFileContent& a, const qor::LanguageFileContent& b) {
  if (a.original != b.original || a.languages.size() != b.languages.size()) return false;
  for (std::size_t i = 0; i < a.languages.size(); ++i)
    if (a.languages[i].shortID != b.languages[i].shortID ||
        a.languages[i].lines != b.languages[i].lines)
      return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  qor::LanguageFileContent content;
  if (!qor::ParseLanguageFile(data, size, content)) {
    std::vector<uint8_t> image;
    if (qor::EncodeLanguageFile(content, image)) std::abort();
    qor::LanguageFileContent again;
    if (qor::ParseLanguageFile(image.data(), image.size(), again) || !sameContent(content, again))
      std::abort();
    qor::TextTranslationService service;
    for (const qor::LanguageEntry& language : content.languages) {
      service.DropDictionary();
      service.UseDictionary(language.lines);
      for (const std::u16string& source : content.original) service.Translate(source);
    }
  }
  qor::LanguageEntry language;
  qor::ParseLanguageSourceText(std::string_view(reinterpret_cast<const char*>(data), size),
                               language);
  return 0;
}
