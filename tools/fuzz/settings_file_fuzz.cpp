// SPDX-License-Identifier: GPL-2.0-or-later
// Feeds any byte string to the config.ini reader and the readers of its three sections: no
// fault, four models always, include list entries never empty, values valid UTF-8.
#include <cstdlib>
#include <string_view>

#include "model/settings_file.h"

namespace {

bool validUtf8(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    const auto b = static_cast<unsigned char>(s[i]);
    const std::size_t n = b < 0x80         ? 1
                          : (b >> 5) == 6  ? 2
                          : (b >> 4) == 14 ? 3
                          : (b >> 3) == 30 ? 4
                                           : 0;
    if (n == 0 || i + n > s.size()) return false;
    for (std::size_t k = 1; k < n; ++k)
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    i += n;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  using namespace qor;
  const SettingsFile ini =
      SettingsFile::parse(std::string_view(reinterpret_cast<const char*>(data), size));
  for (const std::string& id : ReadIncludeHIDDeviceList(ini))
    if (id.empty() || !validUtf8(id)) std::abort();
  TOtherConfig other{};
  std::string help;
  ReadOtherConfig(ini, other, help);
  if (!validUtf8(help)) std::abort();
  const TModalsListInfo models = ReadModalsList(ini);
  if (models.ModalsList.size() != 4) std::abort();
  for (const TModalInfo& m : models.ModalsList)
    if (!validUtf8(m.ModalNumber) || !validUtf8(m.ModalLayout)) std::abort();
  ini.readInteger("OtherConfig", "Nologo", 0);
  return 0;
}
