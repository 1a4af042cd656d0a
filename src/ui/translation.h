// SPDX-License-Identifier: GPL-2.0-or-later
// The text-translation service: the current dictionary, Translate, and the scenes that
// re-translate themselves when the language changes.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qor {

class TextTranslationService;

// A window's drawing surface whose control texts follow the current language.
class TranslatableScene {
 public:
  virtual ~TranslatableScene() = default;
  // Passes the text of every control (unless its automatic translation is off) through
  // `service.Translate` and shows the result.
  virtual void TranslateTexts(const TextTranslationService& service) = 0;
};

// The lookups of one language's dictionary lines ("source=translation").
class TranslationDictionary {
 public:
  TranslationDictionary() = default;
  // Indexes `lines` in their order: the first line wins for a source text, and for a
  // translation in the reverse lookup. Lines without "=" translate nothing.
  explicit TranslationDictionary(const std::vector<std::u16string>& lines);

  // The translation part of the line for `source` (possibly empty), or null without one.
  const std::u16string* FindTranslation(std::u16string_view source) const;
  // The source part of the first line whose non-empty translation is `translation`, or null.
  const std::u16string* FindSource(std::u16string_view translation) const;

 private:
  std::map<std::u16string, std::u16string, std::less<>> FTranslations;
  std::map<std::u16string, std::u16string, std::less<>> FSources;
};

// Process-wide translation state. Everything runs on the UI thread.
class TextTranslationService {
 public:
  TextTranslationService() = default;
  TextTranslationService(const TextTranslationService&) = delete;
  TextTranslationService& operator=(const TextTranslationService&) = delete;

  // The text in the current language: empty stays empty; without a dictionary, or without a
  // non-empty translation for exactly this text (case-sensitive), the text itself. While
  // switching back from a language the lookup runs the other way: the source text of the
  // first line translated as `text`, or the text itself.
  std::u16string Translate(std::u16string_view text) const;
  // The same for UTF-8 text.
  std::string Translate(std::string_view text) const;

  // Whether a dictionary is current (none at start, none after switching to "en").
  bool HasDictionary() const { return FCurrent.has_value(); }
  // Whether the scenes are being mapped back to their source texts right now.
  bool SwitchingBack() const { return FSwitchingBack; }
  // When a dictionary is current: every scene re-translates with the reverse lookup, so it
  // shows its source texts again, and the dictionary is dropped.
  void DropDictionary();
  // Makes a copy of `lines` the current dictionary and has every scene re-translate.
  void UseDictionary(const std::vector<std::u16string>& lines);

  // Adds `scene` to the scenes told of language changes (once, however often registered).
  void RegisterScene(TranslatableScene& scene);
  // Removes `scene`; safe to call from inside a scene's TranslateTexts.
  void UnregisterScene(TranslatableScene& scene);
  std::size_t SceneCount() const { return FScenes.size(); }

 private:
  void translateScenes();

  std::optional<TranslationDictionary> FCurrent;
  bool FSwitchingBack = false;
  std::vector<TranslatableScene*> FScenes;
};

// Keeps a scene registered for as long as it lives.
class SceneRegistration {
 public:
  SceneRegistration(TextTranslationService& service, TranslatableScene& scene)
      : FService(service), FScene(scene) {
    FService.RegisterScene(FScene);
  }
  ~SceneRegistration() { FService.UnregisterScene(FScene); }
  SceneRegistration(const SceneRegistration&) = delete;
  SceneRegistration& operator=(const SceneRegistration&) = delete;

 private:
  TextTranslationService& FService;
  TranslatableScene& FScene;
};

// The service of the running program.
TextTranslationService& TranslationService();

// Translates through the running program's service; every text built in code for the user
// passes through one of these before it is shown.
std::u16string Translate(std::u16string_view text);
std::string Translate(std::string_view text);
// A text that means one thing here and another elsewhere ("Down", the state of a key, and
// "Down", the command that moves a row): translators see it as "text [context]"; without such
// a translation the text itself is shown, never the bracketed form.
std::string TranslateIn(std::string_view context, std::string_view text);

}  // namespace qor
