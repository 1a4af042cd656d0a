// SPDX-License-Identifier: GPL-2.0-or-later
// Which mouse model answers, and the picture that belongs to it.
#pragma once

#include <filesystem>
#include <string>

#include "model/data_module.h"

namespace qor {

class TuiHIDData;

struct ModelDetection {
  bool present = false;  // the mouse answered the model number read
  std::string model;     // its model text, trimmed
  std::string layout;    // the layout picture's name from config.ini (relative, `\` allowed)
  std::filesystem::path layoutFile;  // that picture in the program folder; empty when missing
  std::string busy;  // why the mouse was not asked: its exchange lock was not had; else ""
};

// The model text of a 16-byte model number answer: the one-byte characters up to the first
// zero, without leading and trailing spaces and control characters.
std::string ModelTextFromAnswer(const uint8_t* answer, std::size_t size);

// Reads the model number and looks up its layout picture (NoModalLayout when the read fails
// or the model is not configured).
ModelDetection DetectModel(TuiHIDData& device, const TDM& dm,
                           const std::filesystem::path& programFolder);

// Whether the setting buttons are usable: a mouse is present or EnableNoDevice is 1.
bool SettingButtonsEnabled(const ModelDetection& detection, const TDM& dm);

}  // namespace qor
