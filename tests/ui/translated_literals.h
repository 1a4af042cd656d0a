// SPDX-License-Identifier: GPL-2.0-or-later
// The source texts that C++ code hands to Translate, TranslateText and TranslateIn as string
// literals, or as constants named kSomething defined by literals: what every dictionary must
// carry for the program to show the text translated.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace qor::test {

struct TranslatedLiteral {
  std::string text;   // as looked up: "Down [key]" for TranslateIn("key", "Down")
  std::string where;  // the file's name and the call's line
};

// The constants `kName = "literal" "literal"...;` defined in `code`, by name.
void CollectTextConstants(std::string_view code, std::map<std::string, std::string>& constants);

// The literal texts of the calls in `code`, named after `file`. A call whose argument joins
// texts with "+" builds its text at run time and is left out; each branch of a "?:" counts.
std::vector<TranslatedLiteral> TranslatedLiterals(
    std::string_view code, const std::string& file,
    const std::map<std::string, std::string>& constants);

// The same for every .cpp and .h file below `root`.
std::vector<TranslatedLiteral> TranslatedLiteralsBelow(const std::filesystem::path& root);

}  // namespace qor::test
