// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/model_detection.h"

#include <array>
#include <cerrno>
#include <system_error>

#include "device/hid_data.h"
#include "platform/paths.h"
#include "protocol/device_commands.h"

namespace qor {

std::string ModelTextFromAnswer(const uint8_t* answer, std::size_t size) {
  std::string text;
  for (std::size_t i = 0; i < size && answer[i] != 0; ++i)
    text.push_back(static_cast<char>(answer[i]));
  auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' ' || c == '\x7f'; };
  std::size_t begin = 0, end = text.size();
  while (begin < end && blank(text[begin])) ++begin;
  while (end > begin && blank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

ModelDetection DetectModel(TuiHIDData& device, const TDM& dm,
                           const std::filesystem::path& programFolder) {
  ModelDetection d;
  // The read is one sequence of exchanges: one open and one exchange lock serve them all.
  const TuiHIDData::HandleHold hold = device.KeepHandlesOpen();
  std::array<uint8_t, kModelNumberSize> answer{};
  if (const std::error_code r = ReadModelNumber(device, answer); !r) {
    d.present = true;
    d.model = ModelTextFromAnswer(answer.data(), answer.size());
    d.layout = dm.GetModalLayoutByModalNumber(d.model);
  } else {
    if (r == std::errc::no_lock_available) d.busy = device.LockProblem();
    d.layout = dm.FModalsListInfo.NoModalLayout;
  }
  std::error_code ec;
  const std::filesystem::path file = paths::resolveInFolder(programFolder, d.layout);
  if (!d.layout.empty() && std::filesystem::is_regular_file(file, ec)) d.layoutFile = file;
  return d;
}

bool SettingButtonsEnabled(const ModelDetection& detection, const TDM& dm) {
  return detection.present || dm.FModalsListInfo.EnableNoDevice == 1;
}

}  // namespace qor
