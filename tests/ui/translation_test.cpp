// SPDX-License-Identifier: GPL-2.0-or-later
// Translate and the scenes that follow language switches.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/translation.h"

namespace qor {
namespace {

// A scene whose controls show `texts`, re-translated in place as the toolkit's are.
class FakeScene : public TranslatableScene {
 public:
  explicit FakeScene(std::vector<std::u16string> texts) : texts(std::move(texts)) {}
  void TranslateTexts(const TextTranslationService& service) override {
    ++calls;
    for (std::u16string& t : texts) t = service.Translate(t);
    if (onTranslate) onTranslate();
  }
  std::vector<std::u16string> texts;
  int calls = 0;
  std::function<void()> onTranslate;
};

const std::vector<std::u16string> kGerman = {u"Apply=Anwenden", u"Cancel=Abbrechen", u"Empty=",
                                             u"No equals sign", u"a=b=c"};
const std::vector<std::u16string> kFrench = {u"Apply=Appliquer", u"Cancel=Annuler"};

TEST(Translation, LooksUpExactSourceTexts) {
  TextTranslationService service;
  EXPECT_EQ(service.Translate(u"Apply"), u"Apply");  // no dictionary yet
  service.UseDictionary(kGerman);
  struct Case {
    std::u16string text, expected;
  } cases[] = {
      {u"Apply", u"Anwenden"},
      {u"apply", u"apply"},  // case-sensitive
      {u"Apply ", u"Apply "},
      {u"Empty", u"Empty"},  // an empty translation leaves the text
      {u"No equals sign", u"No equals sign"},
      {u"a", u"b=c"},  // the source part ends at the first "="
      {u"", u""},
  };
  for (const Case& c : cases) EXPECT_EQ(service.Translate(c.text), c.expected);
  EXPECT_EQ(service.Translate(std::string_view("Apply")), "Anwenden");
}

TEST(Translation, SwitchingShowsTheNewLanguageAlsoForTextsTheOldOneTranslated) {
  TextTranslationService service;
  FakeScene scene({u"Apply", u"Cancel", u"Other"});
  SceneRegistration registration(service, scene);
  service.RegisterScene(scene);  // a second registration changes nothing
  EXPECT_EQ(service.SceneCount(), 1u);

  service.UseDictionary(kGerman);
  EXPECT_EQ(scene.texts, (std::vector<std::u16string>{u"Anwenden", u"Abbrechen", u"Other"}));

  service.DropDictionary();  // maps the shown texts back through German
  service.UseDictionary(kFrench);
  EXPECT_EQ(scene.texts, (std::vector<std::u16string>{u"Appliquer", u"Annuler", u"Other"}));

  service.DropDictionary();
  EXPECT_FALSE(service.HasDictionary());
  EXPECT_EQ(scene.texts, (std::vector<std::u16string>{u"Apply", u"Cancel", u"Other"}));
  const int calls = scene.calls;
  service.DropDictionary();  // nothing current: scenes are left alone
  EXPECT_EQ(scene.calls, calls);
}

TEST(Translation, ReverseLookupTakesTheFirstLineOfATranslation) {
  TextTranslationService service;
  FakeScene scene({u"Stop"});
  service.RegisterScene(scene);
  service.UseDictionary({u"Pause=Halt", u"Stop=Halt"});
  EXPECT_EQ(scene.texts[0], u"Halt");
  service.DropDictionary();
  EXPECT_EQ(scene.texts[0], u"Pause");
  service.UnregisterScene(scene);
}

TEST(Translation, AScenePutAwayWhileTranslatingIsNotCalledAgain) {
  TextTranslationService service;
  FakeScene first({u"Apply"});
  FakeScene second({u"Apply"});
  service.RegisterScene(first);
  service.RegisterScene(second);
  first.onTranslate = [&] { service.UnregisterScene(second); };
  service.UseDictionary(kGerman);
  EXPECT_EQ(first.calls, 1);
  EXPECT_EQ(second.calls, 0);
  EXPECT_EQ(service.SceneCount(), 1u);
  service.UnregisterScene(first);
}

TEST(Translation, ATextInAContextHasATranslationOfItsOwn) {
  TranslationService().UseDictionary({u"Down=Nach unten", u"Down [key]=gedrückt"});
  EXPECT_EQ(TranslateIn("key", "Down"), "gedrückt");
  EXPECT_EQ(Translate(std::string_view("Down")), "Nach unten");
  EXPECT_EQ(TranslateIn("key", "Up"), "Up");  // no translation: the text, not "Up [key]"
  TranslationService().DropDictionary();
  EXPECT_EQ(TranslateIn("key", "Down"), "Down");
}

TEST(Translation, TheProgramServiceServesTheFreeFunctions) {
  TranslationService().UseDictionary(kGerman);
  EXPECT_EQ(Translate(u"Cancel"), u"Abbrechen");
  EXPECT_EQ(Translate(std::string_view("Cancel")), "Abbrechen");
  TranslationService().DropDictionary();
  EXPECT_EQ(Translate(std::string_view("Cancel")), "Cancel");
}

}  // namespace
}  // namespace qor
