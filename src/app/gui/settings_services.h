// SPDX-License-Identifier: GPL-2.0-or-later
// What the settings windows reach beyond the data module; the main window hands in its own
// services, tests hand in stand-ins.
#pragma once

#include <QString>
#include <memory>

#include "platform/monitor_link.h"
#include "platform/pointer_settings.h"

class QWidget;

namespace qor {

// The desktop's file dialogs for profile files, behind a seam so tests script the answers.
class FileDialogs {
 public:
  virtual ~FileDialogs() = default;
  // Asks where to save a profile, starting in `folder`; empty when the user cancelled.
  virtual QString SaveProfileFile(QWidget* owner, const QString& folder) = 0;
  // Asks which profile file to open, starting in `folder`; empty when the user cancelled.
  virtual QString OpenProfileFile(QWidget* owner, const QString& folder) = 0;
};

// The desktop's own (Qt) dialogs: files named *.PFX or *.pfx, saved with the suffix .PFX.
class DesktopFileDialogs final : public FileDialogs {
 public:
  QString SaveProfileFile(QWidget* owner, const QString& folder) override;
  QString OpenProfileFile(QWidget* owner, const QString& folder) override;
};

struct SettingsServices {
  MonitorLink& monitor;                      // told of profile switches and imports
  std::shared_ptr<PointerSettings> pointer;  // the double-click time takes effect at once
  FileDialogs& files;
};

}  // namespace qor
