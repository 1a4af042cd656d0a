// SPDX-License-Identifier: GPL-2.0-or-later
#include "model/settings_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace qor {
namespace {

namespace fs = std::filesystem;

const std::string kDef = "<def>";
const std::string kRepl = "\xEF\xBF\xBD";  // U+FFFD

// A fresh directory under the system temp folder, removed with everything in it.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "settings_file_test.XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const fs::path& path() const { return path_; }
  fs::path write(const std::string& name, const std::string& bytes) const {
    const fs::path file = path_ / name;
    std::ofstream out(file, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return file;
  }

 private:
  fs::path path_;
};

// UTF-16LE bytes with BOM.
std::string utf16le(std::u16string_view text) {
  std::string out = "\xFF\xFE";
  for (char16_t u : text) {
    out += static_cast<char>(u & 0xFF);
    out += static_cast<char>(u >> 8);
  }
  return out;
}

std::string repeat(std::string_view s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

void expectDefaultModels(const TModalsListInfo& info) {
  EXPECT_EQ(info.NoModalLayout, "IMAGES\\NOLAYOUT.PNG");
  EXPECT_EQ(info.EnableNoDevice, 0);
  EXPECT_EQ(info.ModalsListCount, 4);
  ASSERT_EQ(info.ModalsList.size(), 4u);
  for (int n = 1; n <= 4; ++n) {
    SCOPED_TRACE(n);
    EXPECT_EQ(info.ModalsList[n - 1].ModalNumber, "MODAL00" + std::to_string(n));
    EXPECT_EQ(info.ModalsList[n - 1].ModalLayout, "IMAGES\\LAYOUT" + std::to_string(n) + ".PNG");
  }
}

// ---- Defaults -------------------------------------------------------------------------------

TEST(SettingsFileDefaults, MissingOrUnreadableFileGivesAllDefaults) {
  TempDir dir;
  const fs::path cases[] = {dir.path() / "absent.ini", dir.path()};  // a folder can't be read
  for (const fs::path& file : cases) {
    SCOPED_TRACE(file.string());
    const SettingsFile ini = SettingsFile::load(file);
    expectDefaultModels(ReadModalsList(ini));
    EXPECT_TRUE(ReadIncludeHIDDeviceList(ini).empty());

    TOtherConfig other{5, 6, 7, 8, 9, 10};
    std::string helpFile = "stale";
    ReadOtherConfig(ini, other, helpFile);
    EXPECT_EQ(other.Nologo, 0);
    EXPECT_EQ(helpFile, "");
    // Only Nologo comes from the file; the rest belongs to the caller.
    EXPECT_EQ(other.ShowNumLock, 5);
    EXPECT_EQ(other.ShowCapsLock, 6);
    EXPECT_EQ(other.ShowScrollLock, 7);
    EXPECT_EQ(other.ShowLockStatePop, 8);
    EXPECT_EQ(other.HelpFile, 9u);
  }
}

// ---- Lookup rules ---------------------------------------------------------------------------

TEST(SettingsFileLookup, FollowsProfileStringRules) {
  const SettingsFile ini = SettingsFile::parse(
      "stray=before any section\n"
      "[Main]\n"
      "Plain = value with spaces inside  \n"
      "\tTabbed\t=\ttabbed value\t\n"
      "Empty=\n"
      "Dq=\"  quoted  \"\n"
      "Sq='single'\n"
      "Mixed=\"not closed'\n"
      "Lone=\"\n"
      "Inner=a\"b\"c\n"
      "Eq=a=b\n"
      ";Commented=1\n"
      "   ; Indented=1\n"
      "NoEqualsHere\n"
      "[Broken\n"
      "StillMain=yes\n"
      "=no key\n"
      "[ spaced name ]  trailing text\n"
      "k=v\n");
  struct Case {
    const char* section;
    const char* key;
    std::string expected;
  };
  const Case cases[] = {
      {"main", "PLAIN", "value with spaces inside"},
      {"MAIN", "tabbed", "tabbed value"},
      {"Main", "Empty", ""},
      {"Main", "Missing", kDef},
      {"Other", "Plain", kDef},
      {"Main", "Dq", "  quoted  "},
      {"Main", "Sq", "single"},
      {"Main", "Mixed", "\"not closed'"},
      {"Main", "Lone", "\""},
      {"Main", "Inner", "a\"b\"c"},
      {"Main", "Eq", "a=b"},
      {"Main", ";Commented", kDef},
      {"Main", "Commented", kDef},
      {"Main", "; Indented", kDef},
      {"Main", "NoEqualsHere", kDef},
      {"Main", "StillMain", "yes"},
      {"Main", "", kDef},
      {"Main", "stray", kDef},
      {"", "stray", kDef},
      {"spaced name", "K", "v"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.section) + " / " + c.key);
    EXPECT_EQ(ini.readString(c.section, c.key, kDef), c.expected);
  }
}

TEST(SettingsFileLookup, FirstOfDuplicateSectionsAndKeysWins) {
  const SettingsFile ini = SettingsFile::parse(
      "[A]\nk=first\nk=second\nK=third\n"
      "[b]\nx=1\n"
      "[a]\nk=later\nonly=later\n"
      "[B]\nx=2\n");
  EXPECT_EQ(ini.readString("A", "k", kDef), "first");
  EXPECT_EQ(ini.readString("A", "only", kDef), kDef);  // the repeated section is skipped whole
  EXPECT_EQ(ini.readString("b", "x", kDef), "1");
}

TEST(SettingsFileLookup, Integers) {
  struct Case {
    const char* text;
    int32_t expected;
  };
  const Case cases[] = {
      {"0", 0},
      {"42", 42},
      {"+7", 7},
      {"-12", -12},
      {"007", 7},
      {"'42'", 42},
      {"0x1F", 31},
      {"0X1f", 31},
      {"$1F", 31},
      {"0x0000001F", 31},
      {"0xFFFFFFFF", -1},
      {"2147483647", 2147483647},
      {"-2147483648", INT32_MIN},
      {"", 77},
      {"abc", 77},
      {"12abc", 77},
      {"1 2", 77},
      {"1.5", 77},
      {"-", 77},
      {"0x", 77},
      {"$", 77},
      {"0xG", 77},
      {"-0x10", 77},
      {"2147483648", 77},
      {"-2147483649", 77},
      {"99999999999999999999", 77},
      {"0x100000000", 77},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const SettingsFile ini = SettingsFile::parse(std::string("[N]\nv=") + c.text + "\n");
    EXPECT_EQ(ini.readInteger("n", "V", 77), c.expected);
  }
  EXPECT_EQ(SettingsFile::parse("[N]\n").readInteger("N", "v", 77), 77);
}

TEST(SettingsFileLookup, ValuesAreCutAt2047Utf16Units) {
  const std::string emoji = "\xF0\x9F\x98\x80";  // two UTF-16 units
  const std::string eAcute = "\xC3\xA9";         // one unit, two bytes
  struct Case {
    const char* name;
    std::string value;
    std::string expected;
  };
  const Case cases[] = {
      {"ascii", repeat("a", 3000), repeat("a", 2047)},
      {"exact", repeat("a", 2047), repeat("a", 2047)},
      {"quoted", "\"" + repeat("a", 3000) + "\"", repeat("a", 2047)},
      {"two-byte", repeat(eAcute, 3000), repeat(eAcute, 2047)},
      {"pair fits", repeat("a", 2045) + emoji + "b", repeat("a", 2045) + emoji},
      {"pair split", repeat("a", 2046) + emoji + "b", repeat("a", 2046)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const SettingsFile ini = SettingsFile::parse("[S]\nk=" + c.value + "\n");
    EXPECT_EQ(ini.readString("S", "k", kDef), c.expected);
  }
}

// ---- Encodings and damaged files --------------------------------------------------------------

TEST(SettingsFileEncoding, LineEndsAndEncodingsReadAlike) {
  const std::string lines8[] = {"[Modal_SN]", "SN1=Maus \xC3\xBC \xE2\x82\xAC",
                                "SN2=\xF0\x9F\x98\x80x", "[OtherConfig]", "HelpFile=h.pdf"};
  const std::u16string lines16[] = {u"[Modal_SN]", u"SN1=Maus \u00FC \u20AC", u"SN2=\U0001F600x",
                                    u"[OtherConfig]", u"HelpFile=h.pdf"};
  const auto join8 = [&](std::string_view eol) {
    std::string out;
    for (const std::string& l : lines8) out += l + std::string(eol);
    return out;
  };
  const auto join16 = [&](std::u16string_view eol) {
    std::u16string out;
    for (const std::u16string& l : lines16) out += l + std::u16string(eol);
    return utf16le(out);
  };
  struct Case {
    const char* name;
    std::string bytes;
  };
  const Case cases[] = {
      {"utf8 lf", join8("\n")},          {"utf8 crlf", join8("\r\n")},
      {"utf8 cr", join8("\r")},          {"utf8 bom crlf", "\xEF\xBB\xBF" + join8("\r\n")},
      {"utf16le crlf", join16(u"\r\n")}, {"utf16le lf", join16(u"\n")},
  };
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const SettingsFile ini = SettingsFile::load(dir.write("config.ini", c.bytes));
    const TModalsListInfo models = ReadModalsList(ini);
    ASSERT_EQ(models.ModalsList.size(), 4u);
    EXPECT_EQ(models.ModalsList[0].ModalNumber, "Maus \xC3\xBC \xE2\x82\xAC");
    EXPECT_EQ(models.ModalsList[1].ModalNumber, "\xF0\x9F\x98\x80x");
    EXPECT_EQ(models.ModalsList[2].ModalNumber, "MODAL003");
    EXPECT_EQ(ini.readString("otherconfig", "helpfile", kDef), "h.pdf");
  }
}

TEST(SettingsFileEncoding, BrokenUtf16BecomesReplacementCharacters) {
  std::u16string text = u"[S]\r\nhigh=";
  text += char16_t{0xD800};
  text += u"a\r\nlow=";
  text += char16_t{0xDC00};
  text += u"b\r\nswapped=";
  text += {char16_t{0xDC00}, char16_t{0xD800}};
  text += u"\r\nthenPrivate=";
  text += {char16_t{0xD800}, char16_t{0xE000}};
  text += u"\r\nlast=c";
  const std::string bytes = utf16le(text) + "\x7F";  // odd trailing byte
  const SettingsFile ini = SettingsFile::parse(bytes);
  EXPECT_EQ(ini.readString("S", "high", kDef), kRepl + "a");
  EXPECT_EQ(ini.readString("S", "low", kDef), kRepl + "b");
  EXPECT_EQ(ini.readString("S", "swapped", kDef), kRepl + kRepl);
  EXPECT_EQ(ini.readString("S", "thenPrivate", kDef), kRepl + "\xEE\x80\x80");
  EXPECT_EQ(ini.readString("S", "last", kDef), "c");
}

TEST(SettingsFileEncoding, InvalidUtf8BecomesReplacementCharacters) {
  struct Case {
    const char* name;
    std::string value;
    std::string expected;
  };
  const Case cases[] = {
      {"stray byte",
       "A\xFF"
       "B",
       "A" + kRepl + "B"},
      {"continuation", "\x80", kRepl},
      {"overlong", "\xC0\xAF", kRepl + kRepl},
      {"surrogate", "\xED\xA0\x80", kRepl + kRepl + kRepl},
      {"beyond U+10FFFF", "\xF4\x90\x80\x80", repeat(kRepl, 4)},
      {"cut short", "x\xE2\x82", "x" + kRepl + kRepl},
      {"valid 3 bytes", "\xE2\x82\xAC", "\xE2\x82\xAC"},
      {"valid 4 bytes", "\xF4\x8F\xBF\xBF", "\xF4\x8F\xBF\xBF"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const SettingsFile ini = SettingsFile::parse("[S]\nk=" + c.value + "\nnext=1\n");
    EXPECT_EQ(ini.readString("S", "k", kDef), c.expected);
    EXPECT_EQ(ini.readString("S", "next", kDef), "1");
  }
  // A file cut in the middle of a sequence, as the size limit can leave it.
  EXPECT_EQ(SettingsFile::parse("[S]\nk=x\xF0\x9F\x98").readString("S", "k", kDef),
            "x" + repeat(kRepl, 3));
}

TEST(SettingsFileEncoding, BinaryJunkDoesNotStopParsing) {
  std::string bytes = "junk\x01\x02\xC0\n[S]\nnul=x";
  bytes += std::string("\0y=z\n", 5);  // a NUL ends the line: values never hold one
  uint32_t seed = 12345;
  for (int i = 0; i < 8192; ++i) {
    seed = seed * 1103515245u + 12345u;
    bytes += static_cast<char>(seed >> 24);
  }
  bytes += "\n[T]\nk=v\n";
  const SettingsFile ini = SettingsFile::parse(bytes);
  EXPECT_EQ(ini.readString("S", "nul", kDef), "x");
  EXPECT_EQ(ini.readString("S", "y", kDef), "z");
  EXPECT_EQ(ini.readString("T", "k", kDef), "v");
}

TEST(SettingsFileEncoding, OnlyTheFirstMebibyteOfAHugeFileIsRead) {
  constexpr std::size_t kMiB = 1024 * 1024;
  const std::string filler = "; " + std::string(60, '-') + "\n";
  std::string bytes = "[S]\nearly=1\n";
  while (bytes.size() + filler.size() < kMiB - 100) bytes += filler;
  bytes += "near=2\n";  // still inside the first MiB
  while (bytes.size() < kMiB + 10) bytes += filler;
  bytes += "late=3\n[T]\nk=v\n";

  TempDir dir;
  const SettingsFile ini = SettingsFile::load(dir.write("huge.ini", bytes));
  EXPECT_EQ(ini.readString("S", "early", kDef), "1");
  EXPECT_EQ(ini.readString("S", "near", kDef), "2");
  EXPECT_EQ(ini.readString("S", "late", kDef), kDef);
  EXPECT_EQ(ini.readString("T", "k", kDef), kDef);
}

// ---- The section readers ----------------------------------------------------------------------

TEST(SettingsFileReaders, IncludeListStopsAtFirstMissingOrEmptyId) {
  std::string hundredTwo = "[IncludeHIDDeviceList]\n";
  for (int n = 1; n <= 102; ++n)
    hundredTwo += "id" + std::to_string(n) + "=D" + std::to_string(n) + "\n";
  std::vector<std::string> hundredOne;
  for (int n = 1; n <= 101; ++n) hundredOne.push_back("D" + std::to_string(n));

  struct Case {
    const char* name;
    std::string text;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"gap", "[IncludeHIDDeviceList]\nid1=A\nid3=C\n", {"A"}},
      {"empty id2", "[IncludeHIDDeviceList]\nid1=A\nid2=\nid3=C\n", {"A"}},
      {"no id1", "[IncludeHIDDeviceList]\nid2=B\n", {}},
      {"number order, any case", "[includehiddevicelist]\nID2=B\nId1=A\n", {"A", "B"}},
      {"quoted", "[IncludeHIDDeviceList]\nid1=' HID\\VID_1209 '\n", {" HID\\VID_1209 "}},
      {"at most 101", hundredTwo, hundredOne},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ReadIncludeHIDDeviceList(SettingsFile::parse(c.text)), c.expected);
  }
}

TEST(SettingsFileReaders, OtherConfigFromFile) {
  TOtherConfig other{5, 6, 7, 8, 9, 10};
  std::string helpFile;
  ReadOtherConfig(SettingsFile::parse("[otherconfig]\nnologo=$1\nHELPFILE=Manual.pdf\n"), other,
                  helpFile);
  EXPECT_EQ(other.Nologo, 1);
  EXPECT_EQ(helpFile, "Manual.pdf");
  EXPECT_EQ(other.ShowNumLock, 5);
}

TEST(SettingsFileReaders, ModelListTakesPresentKeysAndDefaultsTheRest) {
  const TModalsListInfo info = ReadModalsList(SettingsFile::parse(
      "[modal_layouts]\nnolayout=pics\\none.png\nEnableNoDevice=1\nLAYOUT3=\"pics\\three.png\"\n"
      "[Modal_SN]\nSN2=\nSN4=X9\n"));
  EXPECT_EQ(info.NoModalLayout, "pics\\none.png");
  EXPECT_EQ(info.EnableNoDevice, 1);
  EXPECT_EQ(info.ModalsListCount, 4);
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"MODAL001", "IMAGES\\LAYOUT1.PNG"},
      {"", "IMAGES\\LAYOUT2.PNG"},  // present but empty stays empty
      {"MODAL003", "pics\\three.png"},
      {"X9", "IMAGES\\LAYOUT4.PNG"},
  };
  ASSERT_EQ(info.ModalsList.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(i + 1);
    EXPECT_EQ(info.ModalsList[i].ModalNumber, expected[i].first);
    EXPECT_EQ(info.ModalsList[i].ModalLayout, expected[i].second);
  }
}

TEST(SettingsFileReaders, UnreadableEnableNoDeviceMeansOff) {
  const TModalsListInfo info =
      ReadModalsList(SettingsFile::parse("[MODAL_LAYOUTS]\nENABLENODEVICE=abc\n"));
  EXPECT_EQ(info.EnableNoDevice, 0);
}

// ---- The shipped file ------------------------------------------------------------------------

TEST(ShippedConfig, StagedConfigIniReadsAsIntended) {
  const char* stage = std::getenv("QORCFG51_TEST_STAGE");
  if (stage == nullptr || *stage == '\0') GTEST_SKIP() << "QORCFG51_TEST_STAGE is not set";
  const fs::path file = fs::path(stage) / "config.ini";
  ASSERT_TRUE(fs::is_regular_file(file)) << file;
  const SettingsFile ini = SettingsFile::load(file);

  const std::vector<std::string> ids = ReadIncludeHIDDeviceList(ini);
  ASSERT_EQ(ids.size(), 1u);
  EXPECT_TRUE(ids[0].starts_with("HID\\VID_")) << ids[0];
  EXPECT_EQ(ids[0].find('@'), std::string::npos) << "placeholder left unreplaced: " << ids[0];

  const TModalsListInfo models = ReadModalsList(ini);
  ASSERT_EQ(models.ModalsList.size(), 4u);
  EXPECT_EQ(models.ModalsList[0].ModalNumber, "MODAL001");
  EXPECT_EQ(models.ModalsList[0].ModalLayout, "IMAGES\\LAYOUT1.PNG");
  EXPECT_EQ(models.EnableNoDevice, 0);

  TOtherConfig other{};
  std::string helpFile = "stale";
  ReadOtherConfig(ini, other, helpFile);
  EXPECT_EQ(other.Nologo, 0);
  EXPECT_EQ(helpFile, "");
}

}  // namespace
}  // namespace qor
