// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/translated_literals.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <optional>
#include <sstream>

namespace qor::test {
namespace {

bool isIdentifier(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

// Whether a string literal (with an optional u8, u, U or L prefix) starts at `pos`; sets
// `quote` to the position of its opening quote.
bool literalAt(std::string_view code, std::size_t pos, std::size_t& quote) {
  for (std::string_view prefix : {"", "u8", "u", "U", "L"}) {
    if (code.substr(pos, prefix.size()) != prefix) continue;
    const std::size_t q = pos + prefix.size();
    if (q < code.size() && code[q] == '"' && (pos == 0 || !isIdentifier(code[pos - 1]))) {
      quote = q;
      return true;
    }
  }
  return false;
}

// Reads the literal (or character literal) whose opening quote is at `pos`, decoding the
// simple escapes; returns the position after its closing quote.
std::size_t readQuoted(std::string_view code, std::size_t pos, std::string* text) {
  const char quote = code[pos];
  std::size_t i = pos + 1;
  while (i < code.size() && code[i] != quote) {
    char c = code[i];
    if (c == '\\' && i + 1 < code.size()) {
      c = code[++i];
      if (c == 'n') c = '\n';
      if (c == 't') c = '\t';
    }
    if (text) *text += c;
    ++i;
  }
  return std::min(i + 1, code.size());
}

// `code` with its comments blanked out (line ends kept, so lines still count).
std::string withoutComments(std::string_view code) {
  std::string out(code);
  for (std::size_t i = 0; i < out.size();) {
    if (out[i] == '"' || out[i] == '\'') {
      i = readQuoted(out, i, nullptr);
    } else if (out.compare(i, 2, "//") == 0) {
      while (i < out.size() && out[i] != '\n') out[i++] = ' ';
    } else if (out.compare(i, 2, "/*") == 0) {
      const std::size_t end = std::min(out.find("*/", i + 2), out.size() - 2) + 2;
      for (; i < end; ++i)
        if (out[i] != '\n') out[i] = ' ';
    } else {
      ++i;
    }
  }
  return out;
}

// The texts of one expression: each run of adjacent literals joined, and each constant;
// nothing when the expression joins texts at run time with "+".
std::optional<std::vector<std::string>> textsOf(
    std::string_view expr, const std::map<std::string, std::string>& constants) {
  std::vector<std::string> texts;
  bool joining = false;  // the previous token was a literal: a following one continues it
  for (std::size_t i = 0; i < expr.size();) {
    std::size_t quote;
    if (literalAt(expr, i, quote)) {
      std::string text;
      i = readQuoted(expr, quote, &text);
      if (joining)
        texts.back() += text;
      else
        texts.push_back(text);
      joining = true;
    } else if (expr[i] == '\'') {
      i = readQuoted(expr, i, nullptr);
      joining = false;
    } else if (expr[i] == '+') {
      return std::nullopt;
    } else if (isIdentifier(expr[i]) && (i == 0 || !isIdentifier(expr[i - 1]))) {
      std::size_t end = i;
      while (end < expr.size() && isIdentifier(expr[end])) ++end;
      if (auto it = constants.find(std::string(expr.substr(i, end - i))); it != constants.end())
        texts.push_back(it->second);
      i = end;
      joining = false;
    } else {
      if (!std::isspace(static_cast<unsigned char>(expr[i]))) joining = false;
      ++i;
    }
  }
  return texts;
}

// The top-level arguments of the call whose "(" is at `open`.
std::vector<std::string_view> arguments(std::string_view code, std::size_t open) {
  std::vector<std::string_view> args;
  int depth = 0;
  std::size_t start = open + 1;
  for (std::size_t i = open; i < code.size();) {
    const char c = code[i];
    if (c == '"' || c == '\'') {
      i = readQuoted(code, i, nullptr);
      continue;
    }
    if (c == '(' || c == '{' || c == '[') ++depth;
    if (c == ')' || c == '}' || c == ']') {
      if (--depth == 0) {
        args.push_back(code.substr(start, i - start));
        return args;
      }
    }
    if (c == ',' && depth == 1) {
      args.push_back(code.substr(start, i - start));
      start = i + 1;
    }
    ++i;
  }
  return {};
}

}  // namespace

void CollectTextConstants(std::string_view code, std::map<std::string, std::string>& constants) {
  const std::string plain = withoutComments(code);
  for (std::size_t i = 0; i + 1 < plain.size(); ++i) {
    if (plain[i] != 'k' || !std::isupper(static_cast<unsigned char>(plain[i + 1])) ||
        (i > 0 && isIdentifier(plain[i - 1])))
      continue;
    std::size_t end = i;
    while (end < plain.size() && isIdentifier(plain[end])) ++end;
    std::size_t j = plain.find_first_not_of(" \t\r\n", end);
    if (j == std::string::npos || plain[j] != '=' || plain.compare(j, 2, "==") == 0) continue;
    j = plain.find_first_not_of(" \t\r\n", j + 1);
    std::size_t quote;
    if (j == std::string::npos || !literalAt(plain, j, quote)) continue;
    // Adjacent literals make one text; anything else than ";" after them makes an expression.
    std::string text;
    while (j != std::string::npos && literalAt(plain, j, quote)) {
      j = readQuoted(plain, quote, &text);
      j = plain.find_first_not_of(" \t\r\n", j);
    }
    if (j != std::string::npos && plain[j] == ';') constants[plain.substr(i, end - i)] = text;
  }
}

std::vector<TranslatedLiteral> TranslatedLiterals(
    std::string_view code, const std::string& file,
    const std::map<std::string, std::string>& constants) {
  std::vector<TranslatedLiteral> found;
  const std::string plain = withoutComments(code);
  const std::string_view view = plain;
  for (std::size_t at = view.find("Translate"); at != std::string_view::npos;
       at = view.find("Translate", at + 1)) {
    if (at > 0 && isIdentifier(view[at - 1])) continue;  // AfterTranslate, SetAutoTranslate
    std::size_t end = at + 9;
    while (end < view.size() && isIdentifier(view[end])) ++end;
    const std::string_view name = view.substr(at, end - at);
    if (name != "Translate" && name != "TranslateText" && name != "TranslateIn") continue;
    const std::size_t open = view.find_first_not_of(" \t\r\n", end);
    if (open == std::string_view::npos || view[open] != '(') continue;
    const std::vector<std::string_view> args = arguments(view, open);
    const std::string where =
        file + ":" + std::to_string(1 + std::count(view.begin(), view.begin() + at, '\n'));
    if (name == "TranslateIn") {
      if (args.size() != 2) continue;
      const auto context = textsOf(args[0], constants);
      const auto texts = textsOf(args[1], constants);
      if (!context || context->size() != 1 || !texts) continue;
      for (const std::string& text : *texts)
        found.push_back({text + " [" + context->front() + "]", where});
    } else if (args.size() == 1) {
      if (const auto texts = textsOf(args[0], constants))
        for (const std::string& text : *texts) found.push_back({text, where});
    }
  }
  return found;
}

std::vector<TranslatedLiteral> TranslatedLiteralsBelow(const std::filesystem::path& root) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    const auto extension = entry.path().extension();
    if (!entry.is_regular_file() || (extension != ".cpp" && extension != ".h")) continue;
    std::ifstream in(entry.path());
    std::ostringstream text;
    text << in.rdbuf();
    files[std::filesystem::relative(entry.path(), root).string()] = text.str();
  }
  std::map<std::string, std::string> constants;
  for (const auto& [name, code] : files) CollectTextConstants(code, constants);
  std::vector<TranslatedLiteral> found;
  for (const auto& [name, code] : files) {
    auto more = TranslatedLiterals(code, name, constants);
    found.insert(found.end(), more.begin(), more.end());
  }
  return found;
}

}  // namespace qor::test
