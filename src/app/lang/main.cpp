// SPDX-License-Identifier: GPL-2.0-or-later
// qorcfg51-lang: builds the language file ui.local from translators' text files, and writes
// a language file back as text files.
#include <algorithm>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "model/wide_text.h"
#include "platform/atomic_file.h"
#include "platform/command_line.h"
#include "ui/language_source_file.h"
#include "ui/ui_local_file.h"

using namespace qor;
namespace fs = std::filesystem;

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

void printUsage(std::ostream& out) {
  out << "Usage: qorcfg51-lang build SOURCE... -o FILE\n"
         "       qorcfg51-lang dump FILE DIR\n"
         "       qorcfg51-lang --version\n\n"
         "Builds the language file of qorcfg51 (ui.local) from one text file per language,\n"
         "and writes a language file back as such text files.\n\n"
         "A text file is UTF-8. Its first line is the language's short ID, the Windows\n"
         "language identifier as four hexadecimal digits (0409 English, 0407 German, ...).\n"
         "Every further line is one entry, the English source text, \"=\", and its\n"
         "translation; the line is split at its first \"=\". Empty lines are ignored.\n\n"
         "  build SOURCE... -o FILE  writes FILE with the languages in the order given (the\n"
         "                           first is language 0, the factory choice); the source\n"
         "                           texts are those of all entries together; -o FILE is\n"
         "                           also --output FILE or --output=FILE\n"
         "  dump FILE DIR            writes every language of FILE as DIR/<short ID>.txt,\n"
         "                           entries sorted\n\n"
         "Nothing is written when an input is malformed; files are replaced atomically.\n"
         "Exit status: 0 done, 1 refused or failed (the reason is on stderr), 2 usage error.\n";
}

int usageError(const std::string& message) {
  std::cerr << "qorcfg51-lang: " << message << "\n\n";
  printUsage(std::cerr);
  return kExitUsage;
}

int failed(const std::string& message) {
  std::cerr << "qorcfg51-lang: " << message << "\n";
  return kExitFailed;
}

int build(const std::vector<std::string>& args) {
  std::vector<fs::path> sources;
  std::optional<fs::path> output;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "-o" || args[i] == "--output") {
      if (i + 1 >= args.size()) return usageError(args[i] + " needs a file name");
      if (output) return usageError("more than one output file");
      output = args[++i];
    } else {
      sources.emplace_back(args[i]);
    }
  }
  if (sources.empty()) return usageError("build needs at least one text file");
  if (!output) return usageError("build needs the output file: -o FILE");

  std::vector<LanguageEntry> languages;
  for (const fs::path& source : sources) {
    std::vector<uint8_t> bytes;
    if (auto e = readWholeFile(source, bytes)) return failed(*e);
    LanguageEntry language;
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (auto e = ParseLanguageSourceText(text, language))
      return failed(source.string() + ": " + *e);
    languages.push_back(std::move(language));
  }
  LanguageFileContent content;
  if (auto e = BuildLanguageFileContent(std::move(languages), content)) return failed(*e);
  if (auto e = WriteLanguageFile(*output, content)) return failed(*e);
  return kExitOk;
}

int dump(const std::vector<std::string>& args) {
  if (args.size() != 2) return usageError("dump needs the language file and a folder");
  const fs::path file = args[0];
  const fs::path folder = args[1];
  LanguageFileContent content;
  if (auto e = ReadLanguageFile(file, content)) return failed(*e);

  // Everything is checked before the first file is written.
  std::vector<std::pair<fs::path, std::string>> outputs;
  std::vector<std::u16string> covered;
  for (std::size_t i = 0; i < content.languages.size(); ++i) {
    const LanguageEntry& language = content.languages[i];
    const std::string id = toUtf8(language.shortID);
    for (std::size_t j = 0; j < i; ++j)
      if (SameShortID(language.shortID, content.languages[j].shortID))
        return failed(file.string() + ": the language " + id +
                      " appears twice; its text files would overwrite each other");
    for (const std::u16string& line : language.lines) {
      const auto parts = SplitDictionaryLine(line);
      if (!parts || parts->first.empty())
        return failed(file.string() + ": the dictionary of " + id + " has the line \"" +
                      toUtf8(line) + "\", which is not source=translation");
      covered.emplace_back(parts->first);
    }
    outputs.emplace_back(folder / (id + ".txt"), FormatLanguageSourceText(language));
  }
  SortTextSet(covered);
  std::size_t uncovered = 0;
  for (const std::u16string& source : content.original)
    if (!std::binary_search(covered.begin(), covered.end(), source)) ++uncovered;
  if (uncovered > 0)
    std::cerr << "qorcfg51-lang: note: " << uncovered
              << " source texts have no entry in any language and are not written\n";

  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec) return failed("cannot create " + folder.string() + ": " + ec.message());
  for (const auto& [path, text] : outputs)
    if (auto e =
            writeFileAtomically(path, reinterpret_cast<const uint8_t*>(text.data()), text.size()))
      return failed(*e);
  return kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
  ReportOversizedWrites();
  std::vector<std::string> args = SplitOptionValues(argc, argv);
  if (args.empty()) return usageError("no command given");
  for (const std::string& a : args) {
    if (a == "--help" || a == "-h" || (&a == &args[0] && a == "help")) {
      printUsage(std::cout);
      return kExitOk;
    }
  }
  if (args[0] == "--version") {
    std::cout << VersionLine("qorcfg51-lang") << "\n";
    return kExitOk;
  }
  const std::string command = args[0];
  args.erase(args.begin());
  if (command == "build") return build(args);
  if (command == "dump") return dump(args);
  return usageError("unknown command \"" + command + "\"");
}
