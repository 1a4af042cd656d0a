// SPDX-License-Identifier: GPL-2.0-or-later
// Reading the installation settings file "config.ini".
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "model/profile_records.h"

namespace qor {

// An initialisation file read the way the Windows profile-string functions read one:
// section and key names without regard to ASCII case, keys and values trimmed, a value in
// matching quotes unquoted, ';' comment lines, values cut at 2047 UTF-16 code units (never
// inside a character), UTF-8 (with or without BOM) and UTF-16LE with BOM, CR LF, LF or CR
// line ends. The first of duplicate sections
// or keys wins: a later section of the same name is skipped whole, even for keys the first one
// lacks. Bytes that are not valid UTF-8 become U+FFFD; lines before the first section, lines
// without '=' and unclosed "[..." lines are ignored. Only the first 1 MiB of a file is read.
// The file is only read, never written.
class SettingsFile {
 public:
  SettingsFile() = default;

  // Reads the file, its name matched without regard to case in its folder; a missing or
  // unreadable file gives an empty settings file (all defaults).
  static SettingsFile load(const std::filesystem::path& file);
  // Parses file content given as raw bytes.
  static SettingsFile parse(std::string_view bytes);

  // The value of the key, or `def` when section or key is missing. A present key with an
  // empty value gives the empty text.
  std::string readString(std::string_view section, std::string_view key,
                         std::string_view def) const;
  // The value as decimal (optional sign, within int32) or "0x"/"$" hexadecimal (a 32-bit
  // pattern, no sign); anything else, such as "12abc", empty or missing, gives `def`.
  int32_t readInteger(std::string_view section, std::string_view key, int32_t def) const;

 private:
  struct Entry {
    std::string key;
    std::string value;
  };
  struct Section {
    std::string name;
    std::vector<Entry> entries;
  };
  const Section* findSection(std::string_view name) const;
  std::vector<Section> sections_;
};

// How many entries an include list holds at most: id1 to id101.
inline constexpr int kMaxIncludeListEntries = 101;

// Hardware IDs of "IncludeHIDDeviceList": id1, id2, ... up to id101, stopping at the first
// missing or empty key.
std::vector<std::string> ReadIncludeHIDDeviceList(const SettingsFile& ini);

// The "OtherConfig" section: Nologo into `other`, the help document's name into `helpFile`.
void ReadOtherConfig(const SettingsFile& ini, TOtherConfig& other, std::string& helpFile);

// The model list of "MODAL_LAYOUTS" and "Modal_SN": always four models, in order 1 to 4.
TModalsListInfo ReadModalsList(const SettingsFile& ini);

}  // namespace qor
