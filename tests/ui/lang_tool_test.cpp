// SPDX-License-Identifier: GPL-2.0-or-later
// The translators' text files and qorcfg51-lang, which builds ui.local from them.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

#include "test_support/temp_dir.h"
#include "ui/language_source_file.h"
#include "ui/ui_local_file.h"

namespace qor {
namespace {

namespace fs = std::filesystem;

TEST(LanguageSourceText, ReadsEntriesSplitAtTheFirstEqualsSign) {
  LanguageEntry language;
  const auto error = ParseLanguageSourceText(
      "\xEF\xBB\xBF"
      "040c\r\n"
      "Cancel=Annuler\r\n"
      "\n"
      "a=b=c\n"
      "Empty=\n"
      "Apply=Appliquer",
      language);
  ASSERT_FALSE(error) << *error;
  EXPECT_EQ(language.shortID, u"040c");
  EXPECT_EQ(language.lines, (std::vector<std::u16string>{u"Apply=Appliquer", u"Cancel=Annuler",
                                                         u"Empty=", u"a=b=c"}));
  EXPECT_EQ(FormatLanguageSourceText(language),
            "040c\nApply=Appliquer\nCancel=Annuler\nEmpty=\na=b=c\n");
}

TEST(LanguageSourceText, RefusesMalformedTextNamingTheLine) {
  struct Case {
    const char* text;
    const char* message;
  } cases[] = {
      {"", "empty file"},
      {"0407 German\nA=B\n", "line 1: \"0407 German\" is not a short ID"},
      {"Apply=Aplicar\n", "line 1:"},
      {"0407\nA=B\nno separator\n", "line 3: no \"=\""},
      {"0407\n=nothing\n", "line 2: empty source text"},
      {"0407\nA=B\n\nA=C\n", "line 4: the source text \"A\" is given again (first on line 2)"},
      {"0407\nA=\xC3\x28\n", "line 2: not UTF-8"},
      {"0407\nA=B\rC\n", "line 2: carriage return"},
  };
  for (const Case& c : cases) {
    LanguageEntry language{u"kept", {}};
    const auto error = ParseLanguageSourceText(c.text, language);
    ASSERT_TRUE(error) << c.text;
    EXPECT_NE(error->find(c.message), std::string::npos) << *error;
    EXPECT_EQ(language.shortID, u"kept");
  }
}

TEST(LanguageSourceText, TheSourceListIsTheUnionOfAllLanguages) {
  LanguageFileContent content;
  ASSERT_FALSE(BuildLanguageFileContent({{u"0409", {u"A=A", u"B=B"}}, {u"0407", {u"C=c", u"A=a"}}},
                                        content));
  EXPECT_EQ(content.original, (std::vector<std::u16string>{u"A", u"B", u"C"}));
  EXPECT_EQ(content.languages[0].shortID, u"0409");
  const auto error = BuildLanguageFileContent({{u"0407", {}}, {u"0407", {}}}, content);
  ASSERT_TRUE(error);
  EXPECT_NE(error->find("0407 is given twice"), std::string::npos);
}

std::string textOf(const fs::path& file) {
  const auto bytes = test::readBytes(file);
  return std::string(bytes.begin(), bytes.end());
}

struct ToolRun {
  int status;
  std::string err;
};

// Runs qorcfg51-lang with `args` (already quoted), in `dir`.
ToolRun lang(const test::TempDir& dir, const std::string& args) {
  const std::string cmd = "cd '" + dir.path().string() + "' && " QOR_LANG_TOOL_PATH " " + args +
                          " 2>'" + (dir / "stderr").string() + "' >/dev/null";
  const int raw = std::system(cmd.c_str());
  return ToolRun{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, textOf(dir / "stderr")};
}

TEST(LangTool, BuildsAFileThatDumpsBackToTheSameEntries) {
  test::TempDir dir;
  test::writeText(dir / "en.txt", "0409\nCancel=Cancel\nApply=Apply\n");
  test::writeText(dir / "de.txt",
                  "0407\nApply=\xC3\x9C"
                  "bernehmen\nOnly German=Nur deutsch\n");
  ASSERT_EQ(lang(dir, "build en.txt de.txt -o ui.local").status, 0);

  LanguageFileContent content;
  ASSERT_FALSE(ReadLanguageFile(dir / "ui.local", content));
  EXPECT_EQ(content.original, (std::vector<std::u16string>{u"Apply", u"Cancel", u"Only German"}));
  ASSERT_EQ(content.languages.size(), 2u);
  EXPECT_EQ(content.languages[0].shortID, u"0409");  // in the order given
  EXPECT_EQ(content.languages[1].lines,
            (std::vector<std::u16string>{u"Apply=\u00dcbernehmen", u"Only German=Nur deutsch"}));

  ASSERT_EQ(lang(dir, "dump ui.local out").status, 0);
  EXPECT_EQ(textOf(dir / "out/0409.txt"), "0409\nApply=Apply\nCancel=Cancel\n");
  ASSERT_EQ(lang(dir, "build out/0409.txt out/0407.txt -o again.local").status, 0);
  EXPECT_EQ(test::readBytes(dir / "again.local"), test::readBytes(dir / "ui.local"));
}

TEST(LangTool, MalformedInputWritesNothing) {
  test::TempDir dir;
  test::writeText(dir / "good.txt", "0409\nApply=Apply\n");
  test::writeText(dir / "bad.txt", "0407\nApply\n");
  test::writeText(dir / "ui.local", "old");
  const ToolRun bad = lang(dir, "build good.txt bad.txt -o ui.local");
  EXPECT_EQ(bad.status, 1);
  EXPECT_NE(bad.err.find("bad.txt: line 2: no \"=\""), std::string::npos) << bad.err;
  EXPECT_EQ(lang(dir, "build good.txt good.txt -o ui.local").status, 1);  // one language twice
  EXPECT_EQ(test::readBytes(dir / "ui.local"), (std::vector<uint8_t>{'o', 'l', 'd'}));

  const ToolRun damaged = lang(dir, "dump ui.local out");
  EXPECT_EQ(damaged.status, 1);
  EXPECT_NE(damaged.err.find("damaged language file"), std::string::npos) << damaged.err;
  EXPECT_FALSE(fs::exists(dir / "out"));

  // A dictionary line that is not source=translation cannot be dumped as such.
  LanguageFileContent content{{}, {{u"0409", {u"Apply=Apply"}}, {u"0407", {u"no separator"}}}};
  ASSERT_FALSE(WriteLanguageFile(dir / "odd.local", content));
  EXPECT_EQ(lang(dir, "dump odd.local out").status, 1);
  EXPECT_FALSE(fs::exists(dir / "out"));
}

TEST(LangTool, UsageAndHelp) {
  test::TempDir dir;
  EXPECT_EQ(lang(dir, "--help").status, 0);
  EXPECT_EQ(lang(dir, "dump --help").status, 0);
  struct Case {
    const char* args;
  } cases[] = {{""}, {"translate x"}, {"build a.txt"}, {"build -o out"}, {"dump ui.local"}};
  for (const Case& c : cases) {
    const ToolRun r = lang(dir, c.args);
    EXPECT_EQ(r.status, 2) << c.args;
    EXPECT_NE(r.err.find("Usage:"), std::string::npos) << c.args;
  }
}

}  // namespace
}  // namespace qor
