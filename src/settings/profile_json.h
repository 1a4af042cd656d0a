// SPDX-License-Identifier: GPL-2.0-or-later
// A profile as a JSON document in the words of `set`, and back, byte for byte.
//
// The document names buttons, CPI levels, report rate, LED, pointer settings and macros. The
// bytes of the record that no member names and that differ from the factory profile travel in
// "extra" as {"OFFSET": "HEX"}. Reading starts from the factory profile, lays "extra" over it,
// then writes the named members, so an edited member always wins over "extra".
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "model/profile_records.h"

namespace qor {

inline constexpr std::string_view kProfileJsonFormat = "qorcfg51-profile";
inline constexpr int kProfileJsonVersion = 1;
// Larger documents are refused before they are parsed; a whole record in "extra" takes 220 kB.
inline constexpr std::size_t kProfileJsonMaxBytes = 2u * 1024u * 1024u;

// Writes `profile` as a document (indented, ending in a newline). Reading it back gives the same
// bytes: a stored value that the reading side would refuse (a record made elsewhere) is left out
// and its bytes travel in "extra".
std::string ProfileToJson(const TMOUSEPROFILEINFO& profile);

// What ParseProfileJson made of a document: the profile, or why it was refused.
struct ParsedProfile {
  std::unique_ptr<TMOUSEPROFILEINFO> profile;  // null when refused
  std::string path;                            // the refused member ("buttons[3].function"), or ""
  std::string why;

  // "buttons[3].function: \"ctrl+\" is not a button function ...", or the reason alone.
  std::string Refusal() const;
};

// Reads a document. Refused, with the path of the bad member: malformed JSON or text that is not
// UTF-8, another format or version, unknown members, wrong types, unknown words, values out of
// range, more than kProfileJsonMaxBytes.
ParsedProfile ParseProfileJson(std::string_view text);

// Whether a file starting with `start` is a document rather than a .PFX record: its first
// character after an optional UTF-8 byte-order mark and white space is '{'.
bool LooksLikeProfileJson(std::string_view start);

}  // namespace qor
