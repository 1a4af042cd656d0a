// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/translation.h"

#include <algorithm>

#include "model/wide_text.h"
#include "ui/ui_local_file.h"

namespace qor {

TranslationDictionary::TranslationDictionary(const std::vector<std::u16string>& lines) {
  for (const std::u16string& line : lines) {
    const auto parts = SplitDictionaryLine(line);
    if (!parts) continue;
    const auto [source, translation] = *parts;
    FTranslations.emplace(std::u16string(source), std::u16string(translation));
    if (!translation.empty()) FSources.emplace(std::u16string(translation), std::u16string(source));
  }
}

const std::u16string* TranslationDictionary::FindTranslation(std::u16string_view source) const {
  const auto it = FTranslations.find(source);
  return it == FTranslations.end() ? nullptr : &it->second;
}

const std::u16string* TranslationDictionary::FindSource(std::u16string_view translation) const {
  const auto it = FSources.find(translation);
  return it == FSources.end() ? nullptr : &it->second;
}

std::u16string TextTranslationService::Translate(std::u16string_view text) const {
  if (text.empty() || !FCurrent) return std::u16string(text);
  if (FSwitchingBack) {
    const std::u16string* source = FCurrent->FindSource(text);
    return source ? *source : std::u16string(text);
  }
  const std::u16string* translation = FCurrent->FindTranslation(text);
  return translation && !translation->empty() ? *translation : std::u16string(text);
}

std::string TextTranslationService::Translate(std::string_view text) const {
  if (text.empty() || !FCurrent) return std::string(text);
  return toUtf8(Translate(std::u16string_view(toUtf16(text))));
}

void TextTranslationService::DropDictionary() {
  if (!FCurrent) return;
  FSwitchingBack = true;
  translateScenes();
  FSwitchingBack = false;
  FCurrent.reset();
}

void TextTranslationService::UseDictionary(const std::vector<std::u16string>& lines) {
  FCurrent.emplace(lines);
  translateScenes();
}

void TextTranslationService::RegisterScene(TranslatableScene& scene) {
  if (std::find(FScenes.begin(), FScenes.end(), &scene) == FScenes.end()) FScenes.push_back(&scene);
}

void TextTranslationService::UnregisterScene(TranslatableScene& scene) {
  FScenes.erase(std::remove(FScenes.begin(), FScenes.end(), &scene), FScenes.end());
}

void TextTranslationService::translateScenes() {
  // A scene may close windows, and so unregister scenes, while it re-translates: walk a copy
  // and skip the scenes that left meanwhile.
  const std::vector<TranslatableScene*> scenes = FScenes;
  for (TranslatableScene* scene : scenes)
    if (std::find(FScenes.begin(), FScenes.end(), scene) != FScenes.end())
      scene->TranslateTexts(*this);
}

TextTranslationService& TranslationService() {
  static TextTranslationService service;
  return service;
}

std::u16string Translate(std::u16string_view text) {
  return TranslationService().Translate(text);
}

std::string Translate(std::string_view text) {
  return TranslationService().Translate(text);
}

std::string TranslateIn(std::string_view context, std::string_view text) {
  const std::string qualified = std::string(text) + " [" + std::string(context) + "]";
  const std::string translated = Translate(std::string_view(qualified));
  return translated == qualified ? std::string(text) : translated;
}

}  // namespace qor
