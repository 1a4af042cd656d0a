// SPDX-License-Identifier: GPL-2.0-or-later
// Feeds any config.ini text to add-mouse's change of the include list, through the file as
// add-mouse writes it: afterwards the mouse is listed after the entries listed before, or was
// listed already and the file is unchanged, or the change is refused with a reason and the
// file is unchanged.
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "model/ascii_text.h"
#include "model/include_list.h"
#include "model/settings_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  using namespace qor;
  using Outcome = IncludeListAddition::Outcome;
  // The first byte picks the entry: with an interface or without, in either letter case.
  static const char* const kEntries[] = {"HID\\VID_1A2B&PID_3C4D", "HID\\VID_1A2B&PID_3C4D&MI_01",
                                         "hid\\vid_046d&pid_c077"};
  if (size == 0) return 0;
  const std::string entry = kEntries[data[0] % 3];
  const std::string before(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::filesystem::path file = fuzz::InputFile(data + 1, size - 1, "config.ini");
  const std::vector<std::string> listed = ReadIncludeHIDDeviceList(SettingsFile::parse(before));

  IncludeListAddition addition;
  const auto problem = rewriteTextFile(file, [&](std::string text) {
    addition = AddIncludeListEntry(std::move(text), entry);
    return addition.text;
  });
  if (problem) std::abort();  // a regular file of ours in a folder of ours
  std::vector<uint8_t> bytes;
  if (readWholeFile(file, bytes)) std::abort();
  const std::string after(bytes.begin(), bytes.end());
  const std::vector<std::string> now = ReadIncludeHIDDeviceList(SettingsFile::load(file));

  const auto has = [&](const std::vector<std::string>& ids) {
    return std::any_of(ids.begin(), ids.end(),
                       [&](const std::string& id) { return equalsNoCase(id, entry); });
  };
  switch (addition.outcome) {
    case Outcome::Added:
      if (has(listed) || now.size() <= listed.size() || now[listed.size()] != entry ||
          !std::equal(listed.begin(), listed.end(), now.begin()) || after != addition.text)
        std::abort();
      break;
    case Outcome::AlreadyListed:
      if (!has(listed) || after != before) std::abort();
      break;
    case Outcome::Refused:
      if (addition.refusal.empty() || after != before) std::abort();
      break;
  }
  return 0;
}
