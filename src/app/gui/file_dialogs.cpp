// SPDX-License-Identifier: GPL-2.0-or-later
#include <QFileDialog>

#include "app/gui/settings_services.h"
#include "widgets/qt_text.h"

namespace qor {
namespace {

QString askForProfileFile(QWidget* owner, const QString& folder, bool save) {
  QFileDialog dialog(owner, TranslateText(save ? "Export profile" : "Import profile"), folder);
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  // Both spellings of the suffix: files copied from other systems often keep the upper case.
  dialog.setNameFilter(TranslateText("Profile files") + " (*.PFX *.pfx)");
  dialog.setDefaultSuffix("PFX");
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}

}  // namespace

QString DesktopFileDialogs::SaveProfileFile(QWidget* owner, const QString& folder) {
  return askForProfileFile(owner, folder, true);
}

QString DesktopFileDialogs::OpenProfileFile(QWidget* owner, const QString& folder) {
  return askForProfileFile(owner, folder, false);
}

}  // namespace qor
